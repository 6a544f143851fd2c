#include "fakes/FakeWindowManager.h"
#include "gui/app/FirstShow.h"
#include "support/PrivateBus.h"
#include "support/ProgramRig.h"
#include "support/TestMain.h"

#include <QDBusConnectionInterface>
#include <QTest>
#include <chrono>

using chimebox::app::FirstShow;
using namespace std::chrono_literals;

// The real program's first show under a window manager of the test's own,
// which can be busy as while it starts, and lose requests to map as openbox
// 3.6 does then.
class TestFirstShow : public QObject
{
    Q_OBJECT

    const QByteArray said =
        QStringLiteral("chimebox: ウィンドウが %1 秒たっても表示されないため、もう一度表示します\n")
            .arg(FirstShow::kPatience.count())
            .toUtf8();

    // Lets the window manager work for a while.
    static void pumpFor(FakeWindowManager &wm, std::chrono::milliseconds time)
    {
        const QDeadlineTimer end(time);
        while (!end.hasExpired()) {
            wm.pump();
            QTest::qWait(10);
        }
    }

    static bool waitForWindow(FakeWindowManager &wm)
    {
        return QTest::qWaitFor(
            [&] {
                wm.pump();
                return !wm.mapRequests.isEmpty();
            },
            20000);
    }

private Q_SLOTS:
    void aLostRequestToMapIsMadeOnceMore_data()
    {
        QTest::addColumn<int>("busyMs");
        QTest::addColumn<int>("lost");       // the first requests to map it loses
        QTest::addColumn<bool>("whileBusy"); // and those that came while it was busy
        QTest::addColumn<bool>("answers");   // _NET_REQUEST_FRAME_EXTENTS
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("shown");
        QTest::newRow("mapped at once") << 0 << 0 << false << true << 1 << true;
        QTest::newRow("the first lost") << 0 << 1 << false << true << 2 << true;
        QTest::newRow("every one lost") << 0 << 99 << false << true << 2 << false;
        QTest::newRow("the first lost, frame extents unknown")
            << 0 << 1 << false << false << 2 << true;
        // The second request waits until the window manager answers.
        QTest::newRow("busy 4 s, losing what came meanwhile")
            << 4000 << 0 << true << true << 2 << true;
        QTest::newRow("busy 4 s, only slow") << 4000 << 0 << false << true << 1 << true;
    }

    void aLostRequestToMapIsMadeOnceMore()
    {
        QFETCH(int, busyMs);
        QFETCH(int, lost);
        QFETCH(bool, whileBusy);
        QFETCH(bool, answers);
        QFETCH(int, requests);
        QFETCH(bool, shown);
        XServer server;
        if (!server.start())
            QSKIP("Xvfb is not installed");
        FakeWindowManager wm;
        wm.mapsToLose = lost;
        wm.losesMapsWhileBusy = whileBusy;
        wm.answersFrameExtents = answers;
        QVERIFY(wm.start(server.display));
        wm.busyFor(busyMs);
        ProgramRig rig;
        const auto process = rig.start(server.environment());

        QVERIFY(waitForWindow(wm));
        const xcb_window_t window = wm.mapRequests.first();
        if (shown)
            QVERIFY(QTest::qWaitFor(
                [&] {
                    wm.pump();
                    return wm.viewable(window);
                },
                20000));
        // Nothing more comes, however long it stays unseen.
        pumpFor(wm, FirstShow::kPatience + FirstShow::kAskAgain);
        QCOMPARE(wm.mapRequests.size(), requests);
        QVERIFY(wm.mapRequests.count(window) == requests);
        QCOMPARE(wm.viewable(window), shown);
        const QByteArray errors = ProgramRig::errorsSoFar(*process);
        QCOMPARE(errors.count(said), requests - 1);
    }

    // After the first paint, or once the window was shown again: a window that
    // waits for nobody.
    void theSessionBusWaitsForTheWindow()
    {
        XServer server;
        PrivateBus bus;
        if (!server.start() || !bus.start())
            QSKIP("Xvfb or dbus-daemon is not installed");
        FakeWindowManager wm;
        wm.mapsToLose = 99;
        QVERIFY(wm.start(server.display));
        ProgramRig rig;
        QProcessEnvironment environment = server.environment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
        const auto process = rig.start(environment);
        QDBusConnectionInterface *names = bus.connect(QStringLiteral("watch")).interface();
        const QString player = QStringLiteral("org.mpris.MediaPlayer2.chimebox");

        QVERIFY(waitForWindow(wm));
        pumpFor(wm, FirstShow::kPatience - 1s);
        QVERIFY(!names->isServiceRegistered(player));
        QVERIFY(QTest::qWaitFor(
            [&] {
                wm.pump();
                return names->isServiceRegistered(player).value();
            },
            10000));
        QCOMPARE(wm.mapRequests.size(), 2);
    }
};

CHIMEBOX_TEST_MAIN(TestFirstShow)
#include "test_first_show.moc"
