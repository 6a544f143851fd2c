#include "fakes/FakeNotificationServer.h"
#include "gui/app/DesktopLink.h"
#include "gui/browse/FileList.h"
#include "support/BusClient.h"
#include "support/FormHarness.h"
#include "support/PrivateBus.h"
#include "support/ProgramRig.h"
#include "support/SendSignal.h"
#include "support/TestMain.h"

#include <QTest>
#include <csignal>

using chimebox::browse::FileList;
using chimebox::playback::AutoPlay;
using chimebox::playback::PlayState;

namespace {

const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");

} // namespace

// The program on a bus of the test's own: what the sound menu and the alarm's
// notification ask reaches the playback session the window shows.
class TestDesktopLink : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<FormHarness> h;
    std::unique_ptr<chimebox::app::DesktopLink> link;
    std::unique_ptr<BusClient> client;
    QString folder;

    FileList *files() const { return h->find<FileList>("File1"); }
    void tick() const { h->form->Timer1_Timer(); }

    bool join()
    {
        link = std::make_unique<chimebox::app::DesktopLink>(*h->form, h->session);
        const QString name = link->join(bus->connect(QStringLiteral("program")));
        client = std::make_unique<BusClient>(BusClient{bus->connect(QStringLiteral("client")), name,
                                                       QStringLiteral("/org/mpris/MediaPlayer2")});
        return name == QStringLiteral("org.mpris.MediaPlayer2.chimebox");
    }

    // The window on the bus with server beside it, and the clock in the play
    // timer's minute: the next tick rings.
    bool atTheAlarmMinute(FakeNotificationServer &server)
    {
        if (!server.attach(bus->connect(QStringLiteral("server"))) || !join())
            return false;
        h->clock.set(QTime(7, 30, 5));
        return true;
    }

private Q_SLOTS:
    void init()
    {
        bus = std::make_unique<PrivateBus>();
        QVERIFY(bus->start());
        h = std::make_unique<FormHarness>();
        folder = h->makeFolder(QStringLiteral("music"),
                               {QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
        h->putSetting("chimebox.ini", folder.toUtf8() + "\r\n");
        // The play timer on for 07:30; the clock stands at 07:00.
        h->putSetting("player.ini", "\r\n");
        h->putSetting("playtime.ini", "0730\r\n");
        QVERIFY(h->loadAndShow());
    }
    void cleanup()
    {
        client.reset();
        link.reset();
        h.reset();
        bus.reset();
    }

    void stopFromTheSoundMenuIsTheStopButton()
    {
        QVERIFY(join());
        FormHarness::clickRow(files(), 1);
        QCOMPARE(client->property(kPlayer, QStringLiteral("PlaybackStatus")).toString(),
                 QStringLiteral("Playing")); // requested: the tick will start it
        tick();
        const QVariantMap metadata = client->property(kPlayer, QStringLiteral("Metadata")).toMap();
        QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("b.mp3"));
        QCOMPARE(metadata.value(QStringLiteral("xesam:url")).toString(),
                 QUrl::fromLocalFile(folder + QStringLiteral("/b.mp3")).toString());

        // Between two files continuous play is still playing.
        h->player.finishFile();
        QCOMPARE(client->property(kPlayer, QStringLiteral("PlaybackStatus")).toString(),
                 QStringLiteral("Playing"));
        tick();
        QCOMPARE(h->player.playState(), int(PlayState::Playing));

        h->player.calls.clear();
        QCOMPARE(client->call(kPlayer, QStringLiteral("Stop")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(h->player.calls, QStringList{"stop"});
        QCOMPARE(h->autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(client->property(kPlayer, QStringLiteral("PlaybackStatus")).toString(),
                 QStringLiteral("Stopped"));
        tick();
        QCOMPARE(h->player.urls.size(), 2);
    }

    void raiseShowsTheWindowAndQuitClosesItWithItsSave()
    {
        QVERIFY(join());
        h->form->showMinimized();
        QVERIFY(QTest::qWaitFor([&] { return h->form->isMinimized(); }, 5000));
        client->call(kRoot, QStringLiteral("Raise"));
        QVERIFY(QTest::qWaitFor([&] { return !h->form->isMinimized(); }, 5000));
        QVERIFY(h->form->isVisible());

        // The close saves the folder shown, whatever the file held.
        h->putSetting("chimebox.ini", "elsewhere\r\n");
        client->call(kRoot, QStringLiteral("Quit"));
        QVERIFY(QTest::qWaitFor([&] { return !h->form->isVisible(); }, 5000));
        QCOMPARE(h->setting("chimebox.ini"), folder.toUtf8() + "\r\n");
    }

    void theAlarmIsNotifiedAndItsActionStopsIt()
    {
        FakeNotificationServer server;
        QVERIFY(atTheAlarmMinute(server));
        files()->setListIndex(1);
        tick();
        QCOMPARE(h->player.urls, QStringList{folder + QStringLiteral("/b.mp3")});
        QVERIFY(QTest::qWaitFor([&] { return server.notices.size() == 1; }, 5000));
        QCOMPARE(server.notices.first().summary, QStringLiteral("07:30 のアラーム"));
        QCOMPARE(server.notices.first().body, QStringLiteral("b.mp3"));
        QCOMPARE(server.notices.first().actions,
                 (QStringList{"stop", "停止", "snooze", "スヌーズ（10 分）"}));

        // Continuous play moves on: the notice stays.
        h->player.finishFile();
        tick();
        QTest::qWait(100);
        QCOMPARE(server.closed, QList<uint>());

        h->player.calls.clear();
        Q_EMIT server.ActionInvoked(1, QStringLiteral("stop"));
        QVERIFY(QTest::qWaitFor([&] { return !h->player.calls.isEmpty(); }, 5000));
        QCOMPARE(h->player.calls, QStringList{"stop"});
        QCOMPARE(h->autoPlayState(), AutoPlay::Stopped);
        QVERIFY(QTest::qWaitFor([&] { return !server.closed.isEmpty(); }, 5000));
        QCOMPARE(server.closed, QList<uint>{1});
    }

    // Snooze: quiet at once, the notice gone, and the same file ten minutes
    // later with a notice of its own; the next day's alarm is unchanged.
    void snoozeRingsAgainTenMinutesLater()
    {
        FakeNotificationServer server;
        QVERIFY(atTheAlarmMinute(server));
        files()->setListIndex(1);
        tick();
        QVERIFY(QTest::qWaitFor([&] { return server.notices.size() == 1; }, 5000));
        h->player.finishFile();
        tick();
        QCOMPARE(h->player.URL(), folder + QStringLiteral("/a.mp3"));

        Q_EMIT server.ActionInvoked(1, QStringLiteral("snooze"));
        QVERIFY(QTest::qWaitFor([&] { return h->autoPlayState() == AutoPlay::Stopped; }, 5000));
        QCOMPARE(h->player.playState(), int(PlayState::Stopped));
        QVERIFY(QTest::qWaitFor([&] { return server.closed == QList<uint>{1}; }, 5000));
        const QString tip = h->find<QWidget>("Combo3")->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("07:40 にもう一度鳴ります")), qPrintable(tip));

        h->player.urls.clear();
        // Snoozed at 07:30:05.
        h->clock.set(QTime(7, 40, 4));
        tick();
        QVERIFY(h->player.urls.isEmpty());
        h->clock.set(QTime(7, 40, 5));
        tick();
        QCOMPARE(h->player.urls, QStringList{folder + QStringLiteral("/b.mp3")});
        QVERIFY(QTest::qWaitFor([&] { return server.notices.size() == 2; }, 5000));
        QCOMPARE(server.notices.last().summary, QStringLiteral("07:30 のアラーム（スヌーズ）"));
        QCOMPARE(h->session.lastAlarmDate().text(), QStringLiteral("03-01-2024"));
    }

    // The stop button takes a ringing alarm's notice away too.
    void theStopButtonWithdrawsTheNotice()
    {
        FakeNotificationServer server;
        QVERIFY(atTheAlarmMinute(server));
        tick();
        QVERIFY(QTest::qWaitFor([&] { return server.notices.size() == 1; }, 5000));
        QTest::qWait(50);
        h->click("Command1");
        QVERIFY(QTest::qWaitFor([&] { return !server.closed.isEmpty(); }, 5000));
    }

    // No session bus at all, and a bus without a notification server: the
    // window runs and rings as ever.
    void withoutABusOrAServerNothingFails()
    {
        chimebox::app::DesktopLink offBus(*h->form, h->session);
        QCOMPARE(offBus.join(QDBusConnection::connectToBus(
                     QStringLiteral("unix:path=/nonexistent/chimebox-test-bus"),
                     QStringLiteral("nowhere"))),
                 QString());
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
        QVERIFY(join());
        h->clock.set(QTime(7, 30, 5));
        tick();
        QCOMPARE(h->player.urls.size(), 1);
        QTest::qWait(200);
        h->click("Command1");
        QCOMPARE(h->autoPlayState(), AutoPlay::Stopped);
        QVERIFY(h->messages.failures.isEmpty());
        QVERIFY(h->messages.messages.isEmpty());
    }

    // The real program without a session bus: the bus is tried once the
    // window is up, and that it is missing is not worth a word.
    void theProgramWithoutABusSaysNothing()
    {
        ProgramRig rig;
        QTemporaryDir runtime;
        QProcessEnvironment environment = ProgramRig::offscreen();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/nonexistent/chimebox-test-bus"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        rig.markStartUp();
        const auto process = rig.start(environment);
        QVERIFY(rig.waitForStartUp());
        QTest::qWait(1500);
        QCOMPARE(process->state(), QProcess::Running);
        QVERIFY(testprocess::sendSignal(*process, SIGTERM));
        QVERIFY(process->waitForFinished(10000));
        QCOMPARE(process->exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process->readAllStandardError()), QString());
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestDesktopLink)
#include "test_desktop_link.moc"
