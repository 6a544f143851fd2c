#include "base/NativeName.h"
#include "base/Version.h"
#include "core/app/Autostart.h"
#include "support/Files.h"
#include "support/ProgramRig.h"
#include "support/ReadOnlyFolder.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using chimebox::app::Autostart;
using chimebox::app::execValue;
using chimebox::app::programOfExec;

namespace {

// A copy of the program in the folder bin, installed (the menu entry in
// share/applications beside bin) or not, and a configuration folder without
// an autostart folder yet.
struct Copy
{
    QTemporaryDir dir;
    QString program;
    QString menuEntry =
        dir.filePath(QStringLiteral("share/applications/") + chimebox::version::applicationId() +
                     QStringLiteral(".desktop"));
    QString config = dir.filePath(QStringLiteral("config"));
    QString folder = config + QStringLiteral("/autostart");
    Autostart autostart{QString(), QString(), QString()};
    QString entryPath;

    explicit Copy(const QString &bin = QStringLiteral("bin"), bool installed = false)
        : program(dir.filePath(bin + QStringLiteral("/chimebox")))
    {
        testfiles::makeFolder(QFileInfo(program).path());
        testfiles::makeFolder(config);
        testfiles::writeFile(program, {});
        if (installed) {
            testfiles::makeFolder(QFileInfo(menuEntry).path());
            QFile::copy(QStringLiteral(CHIMEBOX_MENU_ENTRY), menuEntry);
        }
        autostart = Autostart(program, menuEntry, folder);
        entryPath = autostart.entryPath();
    }

    void putEntry(const QByteArray &bytes) const
    {
        testfiles::makeFolder(folder);
        QFile file(entryPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QStringList entryLines() const
    {
        QFile file(entryPath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n')
                                              : QStringList();
    }

    QStringList folderFiles() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
};

// The process whose parent is parent, 0 for none. The name in /proc/<pid>/stat
// may hold blanks and parentheses; the fields after its last ')' do not.
qint64 childOf(qint64 parent)
{
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == parent)
            return pid.toLongLong();
    }
    return 0;
}

} // namespace

// Whether and how the session starts this copy: the Exec value, which entry
// counts as this copy's, what enable and disable leave on disk, and what the
// desktops' own tools make of the entry.
class TestAutostart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theExecValueNamesTheProgramWhole_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        // As they stand in the file: "/say \\"hi\\"/chimebox", "/a\\\\b/chimebox", ...
        QTest::newRow("plain") << "/usr/bin/chimebox"
                               << "/usr/bin/chimebox";
        QTest::newRow("a space") << "/my build/chimebox"
                                 << "\"/my build/chimebox\"";
        QTest::newRow("double quotes") << "/say \"hi\"/chimebox"
                                       << "\"/say \\\\\"hi\\\\\"/chimebox\"";
        QTest::newRow("a backslash") << "/a\\b/chimebox"
                                     << "\"/a\\\\\\\\b/chimebox\"";
        QTest::newRow("a dollar") << "/$HOME/chimebox"
                                  << "\"/\\\\$HOME/chimebox\"";
        QTest::newRow("backticks") << "/`id`/chimebox"
                                   << "\"/\\\\`id\\\\`/chimebox\"";
        QTest::newRow("a percent") << "/100%/chimebox"
                                   << "/100%%/chimebox";
        QTest::newRow("a percent, quoted") << "/100% sure/chimebox"
                                           << "\"/100%% sure/chimebox\"";
        QTest::newRow("Japanese") << "/音楽/チャイム/chimebox"
                                  << "/音楽/チャイム/chimebox";
        QTest::newRow("Japanese, a space") << "/ビルド フォルダ/c"
                                           << "\"/ビルド フォルダ/c\"";
        QTest::newRow("a single quote") << "/it's/chimebox"
                                        << "\"/it's/chimebox\"";
        QTest::newRow("what a shell reads") << "/a(1);b&c|d>e<f*g?h#i~j"
                                            << "\"/a(1);b&c|d>e<f*g?h#i~j\"";
        QTest::newRow("a line break, a tab") << "/a\nb\tc/chimebox"
                                             << "\"/a\\nb\\tc/chimebox\"";
        QTest::newRow("all at once") << "/t/\"$`\\% 音"
                                     << "\"/t/\\\\\"\\\\$\\\\`\\\\\\\\%% 音\"";
    }

    // The value as it stands in the file, and read back as the desktops read it.
    void theExecValueNamesTheProgramWhole()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(execValue(program), exec);
        QCOMPARE(programOfExec(exec), program);
    }

    void whetherTheSessionStartsThisCopy_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QByteArray>("entry"); // %1 stands for this copy's Exec value
        QTest::addColumn<bool>("enabled");
        const QByteArray head("[Desktop Entry]\nType=Application\nName=chimebox\n");
        QTest::newRow("this copy's") << false << head + "Exec=%1\n" << true;
        QTest::newRow("with arguments") << false << head + "Exec=%1 --x %U\n" << true;
        QTest::newRow("CR LF, blanks")
            << false << QByteArray("[Desktop Entry]\r\nExec = %1\r\n") << true;
        QTest::newRow("Hidden") << false << head + "Exec=%1\nHidden=true\n" << false;
        QTest::newRow("switched off")
            << false << head + "Exec=%1\nX-GNOME-Autostart-enabled=false\n"
            << false;
        QTest::newRow("switched off, 0") << false << head + "Exec=%1\nX-GNOME-Autostart-enabled=0\n"
                                         << false;
        QTest::newRow("another copy's") << false << head + "Exec=/elsewhere/chimebox\n" << false;
        // As desktops' start-up settings copy the installed menu entry.
        QTest::newRow("the menu entry's command") << true << head + "Exec=chimebox\n" << true;
        QTest::newRow("that, not installed") << false << head + "Exec=chimebox\n" << false;
        QTest::newRow("in another group")
            << false << QByteArray("[Desktop Action x]\nExec=%1\n[Desktop Entry]\n") << false;
        QTest::newRow("an unknown escape") << false << head + "Exec=%1\\q\n" << false;
        QTest::newRow("no closing quote") << false << head + "Exec=\"/x/chimebox\n" << false;
        QTest::newRow("none") << false << QByteArray() << false;
    }

    void whetherTheSessionStartsThisCopy()
    {
        QFETCH(bool, installed);
        QFETCH(QByteArray, entry);
        QFETCH(bool, enabled);
        const Copy copy(QStringLiteral("ビルド フォルダ"), installed);
        if (!entry.isEmpty())
            copy.putEntry(entry.replace("%1", execValue(copy.program).toUtf8()));
        QCOMPARE(copy.autostart.isEnabled(), enabled);
    }

    // Whatever stood there, enable leaves this copy's entry and disable
    // nothing; a link goes, its target stays.
    void enablingThenDisabling_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("no configuration folder") << "none";
        QTest::newRow("an entry switched off") << "off";
        QTest::newRow("a link") << "link";
    }

    void enablingThenDisabling()
    {
        QFETCH(QString, before);
        const Copy copy;
        const QString target = copy.dir.filePath(QStringLiteral("target.desktop"));
        testfiles::writeFile(target, {});
        if (before == u"none")
            QVERIFY(QDir(copy.config).removeRecursively());
        if (before == u"off")
            copy.putEntry("[Desktop Entry]\nExec=" + execValue(copy.program).toUtf8() +
                          "\nX-GNOME-Autostart-enabled=false\n");
        if (before == u"link")
            QVERIFY(QDir().mkpath(copy.folder) && QFile::link(target, copy.entryPath));

        QCOMPARE(copy.autostart.enable(), std::nullopt);
        QVERIFY(copy.autostart.isEnabled());
        QVERIFY(!QFileInfo(copy.entryPath).isSymLink());
        QCOMPARE(copy.folderFiles(), QStringList{QFileInfo(copy.entryPath).fileName()});
        const auto privateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                   QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        if (before == u"none") {
            QCOMPARE(QFile::permissions(copy.config), privateFolder);
            QCOMPARE(QFile::permissions(copy.folder), privateFolder);
        }

        QCOMPARE(copy.autostart.disable(), std::nullopt);
        QVERIFY(!copy.autostart.isEnabled());
        QVERIFY(copy.folderFiles().isEmpty());
        QCOMPARE(copy.autostart.disable(), std::nullopt);
        QCOMPARE(QFileInfo(target).size(), 0);
    }

    // An installed copy's entry carries its menu entry's names, comments and
    // icon, any other copy's its name and icon; both start the copy by its
    // path, and desktop-file-validate finds nothing to say.
    void theEntryPassesTheValidator_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("bin");
        QTest::newRow("installed") << true << "bin";
        QTest::newRow("a copy of its own, in an awkward folder")
            << false << "ビルド \"1\" $x `y` \\z 100% (a;b)";
    }

    void theEntryPassesTheValidator()
    {
        QFETCH(bool, installed);
        QFETCH(QString, bin);
        const Copy copy(bin, installed);
        QCOMPARE(copy.autostart.enable(), std::nullopt);
        const QStringList lines = copy.entryLines();
        QStringList expected{QStringLiteral("Name=chimebox"),
                             QStringLiteral("Icon=") + chimebox::version::applicationId(),
                             QStringLiteral("Exec=") + execValue(copy.program),
                             QStringLiteral("X-GNOME-Autostart-enabled=true")};
        QFile menu(copy.menuEntry);
        if (installed && menu.open(QIODevice::ReadOnly)) {
            for (const QString &line : QString::fromUtf8(menu.readAll()).split(u'\n')) {
                if (!line.startsWith(QStringLiteral("Exec=")))
                    expected += line;
            }
        }
        for (const QString &line : expected)
            QVERIFY2(lines.contains(line), qPrintable(line));

        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        QVERIFY2(!validator.isEmpty(), "desktop-file-validate is needed: scripts/deps test");
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {copy.entryPath});
        QVERIFY(validate.waitForFinished(30000));
        // Some of its errors still exit 0; a clean entry prints nothing.
        QCOMPARE(validate.readAll(), QByteArray());
        QCOMPARE(validate.exitCode(), 0);
    }

    // Each refusal says why, and leaves no file behind.
    void refusalsChangeNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("enabling");
        QTest::addColumn<QString>("said");
        QTest::newRow("an autostart folder that cannot be written")
            << "folder" << true << "ファイルを書き込めません: ";
        QTest::newRow("a configuration folder that cannot be written")
            << "config" << true << "フォルダを作れません: ";
        QTest::newRow("a program path that is no UTF-8") << "bytes" << true << "UTF-8";
        QTest::newRow("a program that is gone")
            << "gone" << true << "プログラムのファイルがありません";
        QTest::newRow("an entry in a folder that cannot be written")
            << "folder" << false << "ファイルを削除できません: ";
    }

    void refusalsChangeNothing()
    {
        QFETCH(QString, fault);
        QFETCH(bool, enabling);
        QFETCH(QString, said);
        const Copy copy;
        QString program = copy.program;
        if (fault == u"bytes")
            program = chimebox::nativename::decode(QFile::encodeName(copy.dir.path()) + "/\xff/c");
        if (fault == u"gone")
            QVERIFY(QFile::remove(program));
        const Autostart autostart(program, copy.menuEntry, copy.folder);
        if (!enabling)
            QCOMPARE(autostart.enable(), std::nullopt);
        const QString locked = fault == u"config" ? copy.config : copy.folder;
        testfiles::makeFolder(locked);
        if ((fault == u"folder" || fault == u"config") && !readonlyfolder::make(locked))
            QSKIP("This file system lets every folder be written");

        const std::optional<QString> failure = enabling ? autostart.enable() : autostart.disable();
        readonlyfolder::undo(locked);
        QVERIFY(failure);
        QVERIFY2(failure->contains(said), qPrintable(*failure));
        QVERIFY(failure->startsWith(enabling ? QStringLiteral("ログイン時に起動するよう")
                                             : QStringLiteral("ログイン時の起動を")));
        QCOMPARE(autostart.isEnabled(), !enabling);
        QCOMPARE(copy.folderFiles().size(), enabling ? 0 : 1);
        QCOMPARE(QFileInfo::exists(copy.folder), fault != u"config");
    }

    // The entry written for a build folder, started as a session without one
    // of the big desktops starts it: the real program comes up from the
    // folder the entry names, a blank and Japanese in its name.
    void dexStartsTheProgramFromTheEntry()
    {
        const QString dex = QStandardPaths::findExecutable(QStringLiteral("dex"));
        QVERIFY2(!dex.isEmpty(), "dex is needed: scripts/deps test");
        const Copy copy(QStringLiteral("ビルド フォルダ"));
        QVERIFY(QFile::remove(copy.program));
        QVERIFY(QFile::copy(QStringLiteral(CHIMEBOX_BINARY), copy.program));
        QCOMPARE(copy.autostart.enable(), std::nullopt);
        // Start-up writes the play switch anew: "starting" becomes CR LF.
        QFile marker(QFileInfo(copy.program).dir().filePath(QStringLiteral("player.ini")));
        QVERIFY(marker.open(QIODevice::WriteOnly) && marker.write("starting") == 8);
        marker.close();

        QProcess session;
        QProcessEnvironment environment = ProgramRig::offscreen();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), copy.config);
        session.setProcessEnvironment(environment);
        session.setChildProcessModifier([] {
            for (const int s : {SIGTERM, SIGINT, SIGHUP})
                std::signal(s, SIG_DFL);
            readonlyfolder::giveUpOverrideForChild();
        });
        session.start(dex, {QStringLiteral("--wait"), copy.entryPath});
        qint64 program = 0;
        QTRY_VERIFY_WITH_TIMEOUT((program = childOf(session.processId())) > 0, 20000);
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(program)).symLinkTarget(),
                 copy.program);
        const auto startedUp = [&] {
            QFile read(marker.fileName());
            return read.open(QIODevice::ReadOnly) && read.readAll() == "\r\n";
        };
        QTRY_VERIFY_WITH_TIMEOUT(startedUp(), 20000);

        QVERIFY(testprocess::sendSignal(program, SIGTERM));
        QVERIFY(session.waitForFinished(20000));
        QCOMPARE(session.exitCode(), 0);
    }
};

CHIMEBOX_TEST_MAIN(TestAutostart)
#include "test_autostart.moc"
