#include "base/Failure.h"
#include "core/app/ExitSave.h"
#include "core/app/Startup.h"
#include "core/favourites/Favourites.h"
#include "support/TestMain.h"
#include "support/Unreadable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace chimebox;
using namespace chimebox::app;
using favourites::Favourites;
using settings::SettingsFile;
using settings::SettingsFolder;
using settings::StoredTime;

namespace {

// Records what start-up asks of the window; a call named in failOn throws,
// as a handler whose write fails would.
struct Window : RestoreTarget
{
    QStringList calls;
    QStringList failOn;

    void record(const QString &call)
    {
        calls.append(call);
        if (failOn.contains(call.section(u' ', 0, 0)))
            throw Failure(call.section(u' ', 0, 0) + QStringLiteral(" failed"));
    }
    void addFavourites(const QStringList &folders) override
    {
        record(QStringLiteral("favourites ") + folders.join(u','));
    }
    void showStopTime(const StoredTime &time) override
    {
        record(QStringLiteral("stopTime ") + time.hour + u'|' + time.minute);
    }
    void showPlayTime(const StoredTime &time) override
    {
        record(QStringLiteral("playTime ") + time.hour + u'|' + time.minute);
    }
    void tickStopTimer() override { record(QStringLiteral("stopSwitch")); }
    void tickPlayTimer() override { record(QStringLiteral("playSwitch")); }
    void openFolder(const QString &folder) override { record(QStringLiteral("open ") + folder); }
    void fillPickers(const QStringList &hours, const QStringList &minutes) override
    {
        record(QStringLiteral("pickers %1 %2").arg(hours.size()).arg(minutes.size()));
    }
};

} // namespace

Q_DECLARE_METATYPE(SettingsFile)

class TestRestore : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QTemporaryDir music;
    SettingsFolder folder{dir.path()};

    void put(SettingsFile file, const QByteArray &bytes) const
    {
        QFile f(folder.path(file));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray bytes(SettingsFile file) const
    {
        QFile f(folder.path(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void putEverything() const
    {
        put(SettingsFile::Favourites, "/a\r\n/b\r\n\r\n");
        put(SettingsFile::StopTime, "0730\r\n");
        put(SettingsFile::PlayTime, "0645\r\n");
        put(SettingsFile::StopMarker, "\r\n");
        put(SettingsFile::PlayMarker, "\r\n");
        put(SettingsFile::LastFolder, music.path().toUtf8() + "\r\n");
    }

private Q_SLOTS:
    void init()
    {
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(dir.filePath(name));
    }

    void everyStepInItsOrder()
    {
        putEverything();
        Window window;
        Favourites favourites(folder);
        const RestoreResult result = restoreSettings(folder, favourites, window);
        QCOMPARE(window.calls,
                 (QStringList{"favourites /a,/b", "stopTime 07|30", "playTime 06|45", "stopSwitch",
                              "playSwitch", "open " + music.path(), "pickers 24 6"}));
        QVERIFY(result.failures.isEmpty());
        QVERIFY(result.notRestored.isEmpty());
        QCOMPARE(favourites.folders(), (QStringList{"/a", "/b"}));
    }

    void aFirstRunFillsThePickersAlone()
    {
        Window window;
        Favourites favourites(folder);
        QCOMPARE(restoreSettings(folder, favourites, window).failures, QStringList());
        QCOMPARE(window.calls, QStringList{"pickers 24 6"});
        QCOMPARE(hourItems().first(), QStringLiteral("00"));
        QCOMPARE(hourItems().last(), QStringLiteral("23"));
        QCOMPARE(minuteItems(), (QStringList{"00", "10", "20", "30", "40", "50"}));
    }

    void aFailingStepStandsAlone_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("named");
        QTest::addColumn<SettingsFile>("file");
        QTest::newRow("favourites") << "favourites"
                                    << "お気に入り" << SettingsFile::Favourites;
        QTest::newRow("stop time") << "stopTime"
                                   << "停止タイマの時刻" << SettingsFile::StopTime;
        QTest::newRow("stop switch") << "stopSwitch"
                                     << "停止タイマ" << SettingsFile::StopMarker;
        QTest::newRow("last folder") << "open"
                                     << "前回のフォルダ" << SettingsFile::LastFolder;
    }
    void aFailingStepStandsAlone()
    {
        QFETCH(QString, failing);
        QFETCH(QString, named);
        QFETCH(SettingsFile, file);
        putEverything();
        Window window;
        Favourites favourites(folder);
        window.failOn = {failing};
        const RestoreResult result = restoreSettings(folder, favourites, window);
        QCOMPARE(window.calls.size(), 7);
        QCOMPARE(window.calls.last(), QStringLiteral("pickers 24 6"));
        QCOMPARE(result.failures,
                 QStringList{named + QStringLiteral(": ") + failing + QStringLiteral(" failed")});
        QCOMPARE(result.notRestored, QList<SettingsFile>{file});
    }

    void aLastFolderThatIsGoneIsNoFailure()
    {
        put(SettingsFile::LastFolder, music.path().toUtf8() + "/gone\r\n");
        Window window;
        Favourites favourites(folder);
        const RestoreResult result = restoreSettings(folder, favourites, window);
        QCOMPARE(window.calls, QStringList{"pickers 24 6"});
        QVERIFY(result.failures.isEmpty());
        QVERIFY(result.notRestored.isEmpty());
    }

    // A file that cannot be read is named, and kept as it is at exit.
    void anUnreadableFileIsNamedAndKept()
    {
        putEverything();
        if (!makeUnreadable(folder.path(SettingsFile::Favourites)) ||
            !makeUnreadable(folder.path(SettingsFile::LastFolder)))
            QSKIP("files stay readable here");
        Window window;
        Favourites favourites(folder);
        const RestoreResult result = restoreSettings(folder, favourites, window);
        QCOMPARE(window.calls, (QStringList{"stopTime 07|30", "playTime 06|45", "stopSwitch",
                                            "playSwitch", "pickers 24 6"}));
        QCOMPARE(result.failures.size(), 2);
        QVERIFY(result.failures[0].startsWith(QStringLiteral("お気に入り: ")));
        QVERIFY(result.failures[1].startsWith(QStringLiteral("前回のフォルダ: ")));
        QCOMPARE(result.notRestored,
                 (QList<SettingsFile>{SettingsFile::Favourites, SettingsFile::LastFolder}));
        QFile::setPermissions(folder.path(SettingsFile::Favourites),
                              QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
    }

    void exitSavesBothOnceAndKeepsWhatWasNotRead()
    {
        Favourites favourites(folder);
        ExitSave save(folder, favourites);
        QCOMPARE(save.save(QStringLiteral("/m")), QStringList());
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/m\r\n"));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("\r\n"));

        // Asked again with the same contents (a close after a signal): nothing
        // is written, so a file made read-only since draws no message.
        QFile::setPermissions(folder.path(SettingsFile::LastFolder), QFile::ReadOwner);
        QCOMPARE(save.save(QStringLiteral("/m")), QStringList());
        // Something changed: both are attempted, the failure of the first
        // does not cost the second (a favourite its own write missed).
        QFile::setPermissions(folder.path(SettingsFile::Favourites), QFile::ReadOwner);
        QVERIFY(favourites.add(QStringLiteral("/b")));
        QFile::setPermissions(folder.path(SettingsFile::Favourites),
                              QFile::ReadOwner | QFile::WriteOwner);
        const QStringList failures = save.save(QStringLiteral("/n"));
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures.first().contains(QStringLiteral("chimebox.ini")));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("/b\r\n\r\n"));

        Favourites unread(folder);
        ExitSave keeping(folder, unread);
        keeping.keep({SettingsFile::Favourites});
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(keeping.save(QStringLiteral("/o")), QStringList());
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/o\r\n"));
        QCOMPARE(bytes(SettingsFile::Favourites), QByteArray("/b\r\n\r\n"));
    }

    // Once start-up is over, each other folder the file list shows is written
    // at once; a write that fails is said once until one gets through.
    void theShownFolderIsWrittenAsItChanges()
    {
        Favourites favourites(folder);
        ExitSave save(folder, favourites);
        QCOMPARE(save.folderShown(QStringLiteral("/during-start-up")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("<missing>"));
        save.started(QStringLiteral("/m"));
        QCOMPARE(save.folderShown(QStringLiteral("/m")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("<missing>"));
        QCOMPARE(save.folderShown(QStringLiteral("/n")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/n\r\n"));

        QFile::setPermissions(folder.path(SettingsFile::LastFolder), QFile::ReadOwner);
        const std::optional<QString> failure = save.folderShown(QStringLiteral("/o"));
        QVERIFY(failure && failure->contains(folder.path(SettingsFile::LastFolder)));
        QCOMPARE(save.folderShown(QStringLiteral("/p")), std::nullopt);
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(save.folderShown(QStringLiteral("/q")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/q\r\n"));
        QFile::setPermissions(folder.path(SettingsFile::LastFolder), QFile::ReadOwner);
        QVERIFY(save.folderShown(QStringLiteral("/r")));
        QFile::setPermissions(folder.path(SettingsFile::LastFolder),
                              QFile::ReadOwner | QFile::WriteOwner);

        // Not read at start: left as it is.
        ExitSave keeping(folder, favourites);
        keeping.keep({SettingsFile::LastFolder});
        keeping.started(QStringLiteral("/m"));
        QCOMPARE(keeping.folderShown(QStringLiteral("/s")), std::nullopt);
        QCOMPARE(bytes(SettingsFile::LastFolder), QByteArray("/q\r\n"));
    }
};

CHIMEBOX_TEST_MAIN(TestRestore)
#include "test_restore.moc"
