#include "gui/app/QtMessageSink.h"
#include "gui/app/QuitSignals.h"
#include "support/Files.h"
#include "support/FormHarness.h"
#include "support/ProgramRig.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>

using chimebox::app::QuitSignals;

// A close, a signal and the application's end all save through one shutdown
// that runs once; the real program exits with status 0 after a signal.
class TestQuitSignals : public QObject
{
    Q_OBJECT

    static void addSignalRows()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    // A second write of either file would now be refused and reported.
    static void refuseFurtherWrites(const FormHarness &h)
    {
        for (const char *name : {"chimebox.ini", "chimeboxfl.ini"})
            QVERIFY(QFile::setPermissions(h.settingsPath(name), QFileDevice::ReadOwner));
    }

    static void quitTheEventLoop()
    {
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }

private Q_SLOTS:
    void aSignalClosesTheWindowAndSavesOnce_data() { addSignalRows(); }

    void aSignalClosesTheWindowAndSavesOnce()
    {
        QFETCH(int, signal);
        FormHarness h;
        const QString folder = h.makeFolder(QStringLiteral("A"), {"a.mp3"});
        h.putSetting("chimebox.ini", folder.toUtf8() + "\r\n");
        // Rewritten in the program's own form by the save.
        h.putSetting("chimeboxfl.ini", "/fav\n");
        QVERIFY(h.loadAndShow());
        QuitSignals quitSignals(*h.form);

        std::raise(signal);
        QTRY_VERIFY(!h.form->isVisible());
        QCOMPARE(h.setting("chimebox.ini"), folder.toUtf8() + "\r\n");
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("/fav\r\n\r\n"));

        refuseFurtherWrites(h);
        std::raise(signal);
        quitTheEventLoop();
        QCOMPARE(h.messages.messages, QStringList());
    }

    void theApplicationsEndSavesLikeAClose()
    {
        FormHarness h;
        h.putSetting("chimeboxfl.ini", "/fav\n");
        QVERIFY(h.loadAndShow());
        QuitSignals quitSignals(*h.form);
        quitTheEventLoop();
        QCOMPARE(h.setting("chimebox.ini"), QDir::currentPath().toUtf8() + "\r\n");
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("/fav\r\n\r\n"));
    }

    void aCloseIsNotSavedAgainWhenTheApplicationEnds()
    {
        FormHarness h;
        QVERIFY(h.loadAndShow());
        QuitSignals quitSignals(*h.form);
        h.form->close();
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("\r\n"));
        refuseFurtherWrites(h);
        quitTheEventLoop();
        QCOMPARE(h.messages.messages, QStringList());
    }

    // A signal while a box waits for its OK (here a gone favourite's) closes
    // the box with the window: the program's end waits for no one.
    void aSignalWhileABoxIsOpenEndsTheProgram()
    {
        FormHarness h;
        chimebox::app::QtMessageSink boxes;
        h.sink = &boxes;
        h.create();
        boxes.setParentWindow(h.form.get());
        h.putSetting("chimeboxfl.ini", "/no/such/folder\r\n\r\n");
        QVERIFY(h.loadAndShow());
        QuitSignals quitSignals(*h.form);

        QTimer signalOnceTheBoxIsUp;
        signalOnceTheBoxIsUp.setInterval(10);
        connect(&signalOnceTheBoxIsUp, &QTimer::timeout, this, [&] {
            if (!qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                return;
            signalOnceTheBoxIsUp.stop();
            std::raise(SIGTERM);
        });
        signalOnceTheBoxIsUp.start();
        QTimer::singleShot(0, this,
                           [&h] { FormHarness::clickRow(h.find<QListWidget>("List1"), 0); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!signalOnceTheBoxIsUp.isActive());
        QVERIFY(!h.form->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("/no/such/folder\r\n\r\n"));
    }

    // The session manager's request to save runs the shutdown while the
    // program goes on; should the logout be cancelled, the close still saves.
    void aChangeAfterTheSessionsSaveIsSavedAtTheClose()
    {
        FormHarness h;
        QVERIFY(h.loadAndShow());
        h.form->Form_Unload();
        QCOMPARE(h.setting("chimeboxfl.ini"), QByteArray("\r\n"));
        h.addFavourite();
        h.form->close();
        QCOMPARE(h.setting("chimeboxfl.ini"), QDir::currentPath().toUtf8() + "\r\n\r\n");
    }

    // The real program in a folder of its own, which is therefore its settings
    // folder: a signal after start-up rewrites both files and ends it cleanly.
    void theProgramSavesAndExitsOnASignal_data() { addSignalRows(); }

    void theProgramSavesAndExitsOnASignal()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("chimebox"));
        QVERIFY(QFile::copy(QStringLiteral(CHIMEBOX_BINARY), program));
        const QString folder = dir.filePath(QStringLiteral("音楽"));
        QVERIFY(QDir().mkpath(folder));
        const auto put = [&dir](const char *name, const QByteArray &bytes) {
            testfiles::writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
        };
        // Both files come back in the form the program writes: the folder
        // cleaned, the favourites one a line and then an empty line.
        put("chimebox.ini", folder.toUtf8() + "/.\r\n");
        put("chimeboxfl.ini", "/x\r\n\r\n" + folder.toUtf8() + "\r\n");
        // Start-up writes the play switch anew: the sign that it has run.
        put("player.ini", "starting");

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        // Whatever this test was started with, the program gets the signals'
        // default handling, as from a desktop session.
        process.setChildProcessModifier([] {
            for (const int s : {SIGTERM, SIGINT, SIGHUP})
                std::signal(s, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
        });
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        const auto playSwitch = [&dir] {
            return testfiles::readFile(dir.filePath(QStringLiteral("player.ini")));
        };
        QTRY_COMPARE_WITH_TIMEOUT(playSwitch(), QByteArray("\r\n"), 20000);

        QVERIFY(testprocess::sendSignal(process, signal));
        QVERIFY2(process.waitForFinished(20000), process.readAll().constData());
        QVERIFY2(process.exitStatus() == QProcess::NormalExit, process.readAll().constData());
        QCOMPARE(process.exitCode(), 0);

        const auto bytes = [&dir](const char *name) {
            return testfiles::readFile(dir.filePath(QString::fromLatin1(name)));
        };
        QCOMPARE(bytes("chimebox.ini"), folder.toUtf8() + "\r\n");
        QCOMPARE(bytes("chimeboxfl.ini"), "/x\r\n" + folder.toUtf8() + "\r\n\r\n");
        // Nothing half-written is left beside them.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"chimebox", "chimebox.ini", "chimeboxfl.ini", "player.ini"}));
    }

    // A write refused at a signal is reported in its box as at a close, and
    // the program waits for OK; a second signal (a session that will not wait)
    // ends it with status 0 and nothing more lost: both writes were tried.
    void aSecondSignalEndsTheProgramWhileTheSavesBoxIsOpen()
    {
        ProgramRig rig;
        const QString folder = rig.dir.filePath(QStringLiteral("A"));
        QVERIFY(QDir().mkpath(folder));
        rig.put("chimebox.ini", folder.toUtf8() + "/.\r\n");
        rig.put("chimeboxfl.ini", "/x\r\n\r\n");
        QVERIFY(QFile::setPermissions(rig.path("chimeboxfl.ini"), QFileDevice::ReadOwner));
        rig.markStartUp();
        const auto process = rig.start();
        QVERIFY(rig.waitForStartUp());

        const qint64 pid = process->processId();
        QVERIFY(testprocess::sendSignal(pid, SIGTERM));
        QTRY_COMPARE_WITH_TIMEOUT(rig.bytes("chimebox.ini"), folder.toUtf8() + "\r\n", 20000);
        QTest::qWait(500);
        QCOMPARE(process->state(), QProcess::Running);

        QVERIFY(testprocess::sendSignal(pid, SIGTERM));
        QVERIFY(process->waitForFinished(20000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
        QCOMPARE(rig.bytes("chimeboxfl.ini"), QByteArray("/x\r\n\r\n"));
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestQuitSignals)
#include "test_quit_signals.moc"
