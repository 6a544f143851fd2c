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
using chimebox::playback::PlayState;

namespace {

const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");

} // namespace

// The window on a bus of the test's own: what the sound menu and the alarm's
// notification ask is done by the window's own handlers.
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
        link = std::make_unique<chimebox::app::DesktopLink>(*h->form, h->player);
        const QString name = link->join(bus->connect(QStringLiteral("program")));
        client = std::make_unique<BusClient>(BusClient{bus->connect(QStringLiteral("client")), name,
                                                       QStringLiteral("/org/mpris/MediaPlayer2")});
        return name == QStringLiteral("org.mpris.MediaPlayer2.chimebox");
    }

    // The window on the bus with server beside it, the play timer armed for
    // 07:30 and the clock in that minute: the next tick rings.
    bool atTheAlarmMinute(FakeNotificationServer &server)
    {
        if (!server.attach(bus->connect(QStringLiteral("server"))) || !join())
            return false;
        h->putSetting("player.ini", "\r\n");
        h->putSetting("playtime.ini", "0730\r\n");
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
        QCOMPARE(h->autoPlayState(), 4);
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
        QCOMPARE(server.notices.first().actions, (QStringList{"stop", "停止"}));

        // Continuous play moves on: the notice stays.
        h->player.finishFile();
        tick();
        QTest::qWait(100);
        QCOMPARE(server.closed, QList<uint>());

        h->player.calls.clear();
        Q_EMIT server.ActionInvoked(1, QStringLiteral("stop"));
        QVERIFY(QTest::qWaitFor([&] { return !h->player.calls.isEmpty(); }, 5000));
        QCOMPARE(h->player.calls, QStringList{"stop"});
        QCOMPARE(h->autoPlayState(), 4);
        QVERIFY(QTest::qWaitFor([&] { return !server.closed.isEmpty(); }, 5000));
        QCOMPARE(server.closed, QList<uint>{1});
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
        chimebox::app::DesktopLink offBus(*h->form, h->player);
        QCOMPARE(offBus.join(QDBusConnection::connectToBus(
                     QStringLiteral("unix:path=/nonexistent/chimebox-test-bus"),
                     QStringLiteral("nowhere"))),
                 QString());
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
        QVERIFY(join());
        h->putSetting("player.ini", "\r\n");
        h->putSetting("playtime.ini", "0730\r\n");
        h->clock.set(QTime(7, 30, 5));
        tick();
        QCOMPARE(h->player.urls.size(), 1);
        QTest::qWait(200);
        h->click("Command1");
        QCOMPARE(h->autoPlayState(), 4);
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
