#include "desktop/AlarmNotifier.h"
#include "fakes/FakeNotificationServer.h"
#include "support/PrivateBus.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using chimebox::desktop::AlarmNotifier;
using chimebox::playback::AlarmNotice;

namespace {

const AlarmNotice kRinging{QStringLiteral("07:30 のアラーム"), QStringLiteral("<朝> & 夜.mp3"),
                           true};
const AlarmNotice kMissed{QStringLiteral("07:30 のアラームは鳴りませんでした"),
                          QStringLiteral("スリープなどで止まっている間に 45 分過ぎていました。"),
                          false};

} // namespace

// The alarm's notices as a notification server on a private bus receives them.
class TestAlarmNotifier : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<FakeNotificationServer> server;

    bool startServer()
    {
        server = std::make_unique<FakeNotificationServer>();
        return server->attach(bus->connect(QStringLiteral("server")));
    }
    bool noticesArrive(qsizetype count)
    {
        return QTest::qWaitFor([&] { return server->notices.size() >= count; }, 5000);
    }

private Q_SLOTS:
    void init()
    {
        bus = std::make_unique<PrivateBus>();
        QVERIFY(bus->start());
    }
    void cleanup()
    {
        server.reset();
        bus.reset();
    }

    void aRingingAlarmOffersToStopOrSnooze()
    {
        QVERIFY(startServer());
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        notifier.show(kRinging);
        QVERIFY(noticesArrive(1));
        const FakeNotificationServer::Notice &notice = server->notices.first();
        QCOMPARE(notice.appName, QStringLiteral("chimebox"));
        QCOMPARE(notice.appIcon, QStringLiteral("io.github.chimebox.Chimebox"));
        QCOMPARE(notice.summary, kRinging.summary);
        QCOMPARE(notice.actions, (QStringList{"stop", "停止", "snooze", "スヌーズ（10 分）"}));
        QCOMPARE(notice.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("io.github.chimebox.Chimebox"));
        QCOMPARE(notice.hints.value(QStringLiteral("urgency")).toInt(), 2);
        QCOMPARE(notice.timeout, 0);
    }

    // The name is escaped only for a server that reads markup; the server is
    // asked once.
    void bodyMarkupAsTheServerReadsIt_data()
    {
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("body");
        QTest::newRow("plain text") << false << kRinging.body;
        QTest::newRow("markup") << true << QStringLiteral("&lt;朝&gt; &amp; 夜.mp3");
    }
    void bodyMarkupAsTheServerReadsIt()
    {
        QFETCH(bool, markup);
        QFETCH(QString, body);
        QVERIFY(startServer());
        if (markup)
            server->capabilities.append(QStringLiteral("body-markup"));
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        notifier.show(kRinging);
        QVERIFY(noticesArrive(1));
        notifier.show(kMissed);
        QVERIFY(noticesArrive(2));
        QCOMPARE(server->notices.first().body, body);
        QCOMPARE(server->capabilityQuestions, 1);
    }

    void theActionsStopOrSnoozeAndAStopWithdrawsTheNotice()
    {
        QVERIFY(startServer());
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        QSignalSpy stopRequested(&notifier, &AlarmNotifier::stopRequested);
        QSignalSpy snoozeRequested(&notifier, &AlarmNotifier::snoozeRequested);
        notifier.show(kRinging);
        QVERIFY(noticesArrive(1));
        QTest::qWait(50);
        // Another program's notice, or another action: not ours to act on.
        Q_EMIT server->ActionInvoked(7, QStringLiteral("stop"));
        Q_EMIT server->ActionInvoked(7, QStringLiteral("snooze"));
        Q_EMIT server->ActionInvoked(1, QStringLiteral("default"));
        Q_EMIT server->ActionInvoked(1, QStringLiteral("snooze"));
        Q_EMIT server->ActionInvoked(1, QStringLiteral("stop"));
        QVERIFY(stopRequested.wait(5000));
        QCOMPARE(stopRequested.size(), 1);
        QCOMPARE(snoozeRequested.size(), 1);
        notifier.withdraw();
        QVERIFY(QTest::qWaitFor([&] { return !server->closed.isEmpty(); }, 5000));
        QCOMPARE(server->closed, QList<uint>{1});
        // Withdrawn once: a second stop closes nothing more.
        notifier.withdraw();
        QTest::qWait(100);
        QCOMPARE(server->closed.size(), 1);
    }

    // Only the last of the notices that wait for the server's answer is shown.
    void noticesWaitingForTheServerCollapse()
    {
        QVERIFY(startServer());
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        notifier.show(kRinging);
        notifier.show(kMissed);
        QVERIFY(noticesArrive(1));
        QTest::qWait(100);
        QCOMPARE(server->notices.size(), 1);
        QCOMPARE(server->notices.first().summary, kMissed.summary);
    }

    void aNoticeThatIsNotRingingStays()
    {
        QVERIFY(startServer());
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        notifier.show(kMissed);
        QVERIFY(noticesArrive(1));
        QCOMPARE(server->notices.first().actions, QStringList());
        QCOMPARE(server->notices.first().hints.value(QStringLiteral("urgency")).toInt(), 1);
        QTest::qWait(50);
        notifier.withdraw();
        QTest::qWait(100);
        QCOMPARE(server->closed, QList<uint>());
    }

    // The next notice takes the place of the last one on screen.
    void aLaterNoticeReplacesTheLast()
    {
        QVERIFY(startServer());
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        notifier.show(kRinging);
        QVERIFY(noticesArrive(1));
        QTest::qWait(50);
        notifier.show(kMissed);
        QVERIFY(noticesArrive(2));
        QCOMPARE(server->notices.last().replacesId, 1u);
    }

    // Stopped before the server answered: the notice goes once it has.
    void aStopBeforeTheAnswerStillWithdraws()
    {
        QVERIFY(startServer());
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        notifier.show(kRinging);
        QVERIFY(noticesArrive(1));
        notifier.withdraw();
        QVERIFY(QTest::qWaitFor([&] { return !server->closed.isEmpty(); }, 5000));
        QCOMPARE(server->closed, QList<uint>{1});
    }

    // A server closed by the user: nothing left to withdraw.
    void aNoticeClosedByTheServerIsForgotten()
    {
        QVERIFY(startServer());
        AlarmNotifier notifier(bus->connect(QStringLiteral("program")));
        notifier.show(kRinging);
        QVERIFY(noticesArrive(1));
        QTest::qWait(50);
        Q_EMIT server->NotificationClosed(1, 2);
        QTest::qWait(100);
        notifier.withdraw();
        QTest::qWait(100);
        QCOMPARE(server->closed, QList<uint>());
    }

    void withoutAServerOrABusNothingFails()
    {
        AlarmNotifier onBus(bus->connect(QStringLiteral("program")));
        onBus.show(kRinging);
        onBus.withdraw();
        onBus.show(kMissed);
        AlarmNotifier offBus(QDBusConnection(QStringLiteral("never connected")));
        offBus.show(kRinging);
        offBus.withdraw();
        QTest::qWait(200);
        // A server that comes later gets the next notice.
        QVERIFY(startServer());
        onBus.show(kRinging);
        QVERIFY(noticesArrive(1));
        QCOMPARE(server->notices.first().summary, kRinging.summary);
    }
};

CHIMEBOX_TEST_MAIN(TestAlarmNotifier)
#include "test_alarm_notifier.moc"
