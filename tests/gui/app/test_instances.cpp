#include "gui/app/ProgramRig.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QTest>
#include <csignal>

namespace {

// The line that goes with the box, for a start from a terminal or a log.
const QByteArray kLine = QStringLiteral("chimebox: chimebox はすでに起動しています。").toUtf8();

} // namespace

// One program per settings folder, with real processes: a second start says so
// and runs nothing of its own, and a crash leaves nothing that blocks the next.
class TestInstances : public QObject
{
    Q_OBJECT

    static void finishWithSignal(QProcess &process)
    {
        ::kill(pid_t(process.processId()), SIGTERM);
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
        QByteArray errors;
        QTRY_VERIFY_WITH_TIMEOUT((errors += ProgramRig::errorsSoFar(*second)).contains(kLine),
                                 10000);
        QVERIFY2(started.elapsed() < 5000, QByteArray::number(started.elapsed()).constData());
        // Besides whatever Qt itself reports, one line says it.
        QCOMPARE(errors.split('\n').count(kLine), 1);
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
        // The lock goes with the program that held it.
        QVERIFY(!rig.files().contains(QStringLiteral("chimebox.lock")));
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
        QVERIFY(second->readAllStandardError().contains(kLine));
        QCOMPARE(first->state(), QProcess::Running);
        finishWithSignal(*first);
    }

    // A program killed outright leaves its lock file behind; the next start
    // finds its process gone and starts all the same.
    void aKilledInstanceDoesNotBlockTheNextStart()
    {
        ProgramRig rig;
        rig.markStartUp();
        const auto killed = rig.start();
        QVERIFY(rig.waitForStartUp());
        QVERIFY(rig.files().contains(QStringLiteral("chimebox.lock")));
        ::kill(pid_t(killed->processId()), SIGKILL);
        QVERIFY(killed->waitForFinished(20000));
        QVERIFY(rig.files().contains(QStringLiteral("chimebox.lock")));

        rig.markStartUp();
        const auto next = rig.start();
        QVERIFY(rig.waitForStartUp());
        QVERIFY(!ProgramRig::errorsSoFar(*next).contains(kLine));
        finishWithSignal(*next);
        QCOMPARE(next->exitCode(), 0);
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

    // Where no lock can be made (the settings folder cannot be written) the
    // program still starts: the alarm matters more, and no instance there can
    // write the settings anyway.
    void aFolderWithoutALockStillStarts()
    {
        ProgramRig rig;
        QTemporaryDir config;
        const QString fallback = config.filePath(QStringLiteral("chimebox"));
        QVERIFY(QDir().mkpath(fallback));
        readonlyfolder::make(rig.dir.path());
        readonlyfolder::make(fallback);
        QProcessEnvironment environment = ProgramRig::offscreen();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());

        const auto process = rig.start(environment);
        QTest::qWait(2000);
        const QProcess::ProcessState state = process->state();
        const QByteArray errors = ProgramRig::errorsSoFar(*process);
        ::kill(pid_t(process->processId()), SIGKILL);
        QVERIFY(process->waitForFinished(20000));
        readonlyfolder::undo(fallback);
        readonlyfolder::undo(rig.dir.path());
        if (rig.files().contains(QStringLiteral("chimebox.lock")) ||
            QFile::exists(fallback + QStringLiteral("/chimebox.lock")))
            QSKIP("the program writes into any folder here");
        QCOMPARE(state, QProcess::Running);
        QVERIFY(!errors.contains(kLine));
    }
};

CHIMEBOX_TEST_MAIN(TestInstances)
#include "test_instances.moc"
