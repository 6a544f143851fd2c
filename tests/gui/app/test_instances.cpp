#include "support/ProgramRig.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QTest>
#include <csignal>
#include <unistd.h>

using testprocess::sendSignal;

// One program per settings folder, with real processes: a second start says so
// and runs nothing of its own, and a crash leaves nothing that blocks the next.
class TestInstances : public QObject
{
    Q_OBJECT

    // The line that goes with the box, for a start from a terminal or a log.
    static QByteArray alreadyRunning(const ProgramRig &rig)
    {
        return QStringLiteral("chimebox: chimebox はすでに起動しています（設定フォルダ: %1）。")
            .arg(rig.dir.path())
            .toUtf8();
    }

    static void finishWithSignal(QProcess &process)
    {
        sendSignal(process, SIGTERM);
        QVERIFY(process.waitForFinished(20000));
    }

private Q_SLOTS:
    // The second instance shows its one box and waits for OK; it never runs
    // start-up, so the first keeps the only copy of the settings.
    void aSecondInstanceSaysSoAndRunsNothing()
    {
        ProgramRig rig;
        rig.put("chimeboxfl.ini", "/first\r\n\r\n");
        rig.markStartUp();
        const auto first = rig.start();
        QVERIFY(rig.waitForStartUp());

        // Left by a write of the first that is still going on.
        rig.put("player.ini.tmp123456", "half");
        rig.markStartUp();
        QElapsedTimer started;
        started.start();
        const auto second = rig.start();
        const QByteArray line = alreadyRunning(rig);
        QByteArray errors;
        QTRY_VERIFY_WITH_TIMEOUT((errors += ProgramRig::errorsSoFar(*second)).contains(line),
                                 10000);
        QVERIFY2(started.elapsed() < 5000, QByteArray::number(started.elapsed()).constData());
        // Besides whatever Qt itself reports, one line says it.
        QCOMPARE(errors.split('\n').count(line), 1);
        // Waiting for OK: nothing of the window's start-up has run.
        QTest::qWait(500);
        QCOMPARE(second->state(), QProcess::Running);
        QCOMPARE(rig.bytes("player.ini"), QByteArray("starting"));
        QCOMPARE(rig.bytes("player.ini.tmp123456"), QByteArray("half"));

        // Nothing to save: a signal just ends it, and the first goes on.
        finishWithSignal(*second);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(rig.bytes("chimeboxfl.ini"), QByteArray("/first\r\n\r\n"));

        finishWithSignal(*first);
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QCOMPARE(first->exitCode(), 0);
        QCOMPARE(rig.bytes("chimeboxfl.ini"), QByteArray("/first\r\n\r\n"));
    }

    // On a real display: the second instance's one window is the box, with
    // the program's caption, and its OK ends the program with status 0.
    void theBoxsOkEndsTheSecondInstance()
    {
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        XServer server;
        if (xdotool.isEmpty() || !server.start())
            QSKIP("Xvfb and xdotool are needed");
        const auto xdo = [&](const QStringList &arguments) {
            QProcess process;
            process.setProcessEnvironment(server.environment());
            process.start(xdotool, arguments);
            process.waitForFinished(10000);
            return process.readAllStandardOutput().trimmed();
        };
        ProgramRig rig;
        rig.markStartUp();
        const auto first = rig.start(server.environment());
        QVERIFY(rig.waitForStartUp());
        const auto second = rig.start(server.environment());
        const QString pid = QString::number(second->processId());
        QByteArray windows;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(windows = xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                             QStringLiteral("--pid"), pid}))
                 .isEmpty(),
            10000);
        QCOMPARE(windows.count('\n'), 0);
        const QString box = QString::fromLatin1(windows);
        QCOMPARE(xdo({QStringLiteral("getwindowname"), box}), QByteArray("CHIMEBOX7"));

        xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), box});
        xdo({QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(second->readAllStandardError().contains(alreadyRunning(rig)));
        QCOMPARE(first->state(), QProcess::Running);
        finishWithSignal(*first);
    }

    // The kernel lets go of the folder however the program ends.
    void aKilledInstanceDoesNotBlockTheNextStart()
    {
        ProgramRig rig;
        rig.markStartUp();
        const auto killed = rig.start();
        QVERIFY(rig.waitForStartUp());
        QVERIFY(sendSignal(*killed, SIGKILL));
        QVERIFY(killed->waitForFinished(20000));

        rig.markStartUp();
        const auto next = rig.start();
        QVERIFY(rig.waitForStartUp());
        QVERIFY(!ProgramRig::errorsSoFar(*next).contains(alreadyRunning(rig)));
        finishWithSignal(*next);
        QCOMPARE(next->exitCode(), 0);
    }

    // Older versions kept a lock file, chimebox.lock, which a dead copy could
    // leave in any state. Nothing of it blocks a start, and it is left alone.
    void nothingADeadCopyLeftBlocksTheStart_data()
    {
        QTest::addColumn<QByteArray>("kind");
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        // A live process of this machine, as after a restart that reused the pid.
        const QByteArray alive = QByteArray::number(::getpid()) + "\nchimebox\n" + host + "\n";
        QTest::newRow("empty") << QByteArray("file:");
        QTest::newRow("garbled") << QByteArray("file:\0\0\n\xff", 10);
        QTest::newRow("naming a live process") << "file:" + alive;
        QTest::newRow("naming another machine") << QByteArray("file:4242\nchimebox\nother-pc\n");
        QTest::newRow("mode 0444") << "0444:" + alive;
        QTest::newRow("mode 000") << "0000:" + alive;
        QTest::newRow("an empty folder") << QByteArray("folder:");
        QTest::newRow("a link that leads nowhere") << QByteArray("link:");
    }

    void nothingADeadCopyLeftBlocksTheStart()
    {
        QFETCH(QByteArray, kind);
        ProgramRig rig;
        const QString old = rig.path("chimebox.lock");
        const QByteArray content = kind.mid(kind.indexOf(':') + 1);
        if (kind.startsWith("folder:")) {
            QVERIFY(QDir().mkdir(old));
        } else if (kind.startsWith("link:")) {
            QVERIFY(QFile::link(rig.path("gone"), old));
        } else {
            rig.put("chimebox.lock", content);
            if (kind.startsWith("0444:"))
                QVERIFY(QFile::setPermissions(old, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                       QFileDevice::ReadOther));
            if (kind.startsWith("0000:"))
                QVERIFY(QFile::setPermissions(old, {}));
        }
        const QFileInfo before(old);

        rig.markStartUp();
        const auto process = rig.start();
        QVERIFY2(rig.waitForStartUp(), ProgramRig::errorsSoFar(*process).constData());
        QVERIFY(!ProgramRig::errorsSoFar(*process).contains(alreadyRunning(rig)));
        finishWithSignal(*process);
        const QFileInfo after(old);
        QCOMPARE(after.isSymLink(), before.isSymLink());
        QCOMPARE(after.isDir(), before.isDir());
        QCOMPARE(after.permissions(), before.permissions());
        if (after.isFile()) {
            QFile::setPermissions(old, QFileDevice::ReadOwner);
            QCOMPARE(rig.bytes("chimebox.lock"), content);
        }
    }

    // A tidy-up or a sync tool that removes every file beside the program
    // cannot let a second copy in.
    void removingFilesLetsNoSecondCopyIn()
    {
        ProgramRig rig;
        rig.markStartUp();
        const auto first = rig.start();
        QVERIFY(rig.waitForStartUp());
        for (const QString &name : rig.files()) {
            if (name != QStringLiteral("chimebox"))
                QVERIFY(QFile::remove(rig.dir.filePath(name)));
        }

        const auto second = rig.start();
        const QByteArray line = alreadyRunning(rig);
        QByteArray errors;
        QTRY_VERIFY_WITH_TIMEOUT((errors += ProgramRig::errorsSoFar(*second)).contains(line),
                                 10000);
        finishWithSignal(*second);
        QCOMPARE(first->state(), QProcess::Running);
        finishWithSignal(*first);
    }

    // The program holds the folder open for its lock; a file manager started
    // from "open", which may outlive the window, must not inherit it.
    void theLockIsNotHandedToProgramsItStarts()
    {
        ProgramRig rig;
        rig.markStartUp();
        const auto process = rig.start();
        QVERIFY(rig.waitForStartUp());
        const QString fds = QStringLiteral("/proc/%1/fd").arg(process->processId());
        QStringList flags;
        const QDir::Filters all = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
        for (const QString &fd : QDir(fds).entryList(all)) {
            if (QFile::symLinkTarget(fds + u'/' + fd) != rig.dir.path())
                continue;
            QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(process->processId()).arg(fd));
            QVERIFY(info.open(QIODevice::ReadOnly));
            for (const QByteArray &line : info.readAll().split('\n')) {
                if (line.startsWith("flags:"))
                    flags.append(QString::fromLatin1(line.mid(6).trimmed()));
            }
        }
        finishWithSignal(*process);
        // The lock, and any moment's look at the folder (a write syncing it),
        // are closed on exec. O_CLOEXEC is 02000000 in the octal flags.
        QVERIFY(!flags.isEmpty());
        for (const QString &flag : std::as_const(flags))
            QVERIFY2((flag.toUInt(nullptr, 8) & 02000000) != 0, qPrintable(flag));
    }

    // A write killed before its rename leaves a temporary file; the next start
    // removes those of the six files, and nothing else however alike.
    void startUpRemovesTheWritersLeftovers()
    {
        ProgramRig rig;
        const QStringList leftovers{"playtime.ini.tmp123456", "chimeboxfl.ini.tmp000000",
                                    "stoper.ini.tmp999999", "chimebox.ini.tmp042042"};
        for (const QString &name : leftovers)
            rig.put(name.toUtf8().constData(), "half");
        const QStringList others{"playtime.ini.tmp",       "playtime.ini.bak",
                                 "notes.tmp123456",        "playtime.ini.tmp1234567",
                                 "playtime.ini.tmp12345a", "other.ini.tmp123456"};
        for (const QString &name : others)
            rig.put(name.toUtf8().constData(), "keep");
        rig.markStartUp();
        const auto process = rig.start();
        QVERIFY(rig.waitForStartUp());
        for (const QString &name : leftovers)
            QVERIFY2(!rig.files().contains(name), qPrintable(name));
        for (const QString &name : others)
            QCOMPARE(rig.bytes(name.toUtf8().constData()), QByteArray("keep"));
        finishWithSignal(*process);
    }

    // Where the folder cannot be locked (here: it cannot be listed, though its
    // files can be read and written) the program starts all the same, and
    // says why naming the folder: a second copy is a lesser harm than no alarm.
    void aFolderThatCannotBeCheckedStillStartsAndSaysWhy()
    {
        ProgramRig rig;
        rig.markStartUp();
        readonlyfolder::giveUpOverrideHere();
        QVERIFY(
            QFile::setPermissions(rig.dir.path(), QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        const auto process = rig.start();
        const bool started = rig.waitForStartUp();
        const QByteArray errors = ProgramRig::errorsSoFar(*process);
        finishWithSignal(*process);
        readonlyfolder::undo(rig.dir.path());
        QVERIFY2(started, errors.constData());
        QVERIFY2(errors.contains("chimebox: 設定フォルダ " + rig.dir.path().toUtf8() +
                                 " では二重起動を確かめられません（"),
                 errors.constData());
        QVERIFY(!errors.contains(alreadyRunning(rig)));
    }
};

CHIMEBOX_TEST_MAIN(TestInstances)
#include "test_instances.moc"
