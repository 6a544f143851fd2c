#include "core/playback/PlaybackSession.h"
#include "desktop/Mpris.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePlayer.h"
#include "support/AutoPlayName.h"
#include "support/BusClient.h"
#include "support/PrivateBus.h"
#include "support/TestMain.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

using chimebox::desktop::Mpris;
using chimebox::playback::PlaybackSession;
using chimebox::playback::PlayState;

namespace {

const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kName = QStringLiteral("org.mpris.MediaPlayer2.chimebox");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

} // namespace

// What the bus sends to a listener: PropertiesChanged and Seeked.
class BusSignals : public QObject
{
    Q_OBJECT

public:
    QList<QVariantMap> changed;
    QList<qlonglong> seeked;

public Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &values, const QStringList &)
    {
        QVariantMap plain;
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            plain.insert(it.key(), BusClient::plain(it.value()));
        if (interface == kPlayer)
            changed.append(plain);
    }
    void seekedTo(qlonglong position) { seeked.append(position); }
};

// The player's session on a bus of the test's own, read and driven by a
// client as a sound menu or media keys would.
struct MprisRig
{
    PrivateBus bus;
    QTemporaryDir settings;
    FakeClock clock;
    FakePlayer player;
    PlaybackSession session{player, clock, chimebox::settings::SettingsFolder(settings.path())};
    std::unique_ptr<Mpris> mpris;
    QString name;
    std::optional<BusClient> client;
    BusSignals heard;

    bool start()
    {
        if (!bus.start())
            return false;
        mpris = std::make_unique<Mpris>(session);
        name = mpris->attach(bus.connect(QStringLiteral("program")));
        client = BusClient{bus.connect(QStringLiteral("client")), name,
                           QStringLiteral("/org/mpris/MediaPlayer2")};
        client->bus.connect(name, client->path, QStringLiteral("org.freedesktop.DBus.Properties"),
                            QStringLiteral("PropertiesChanged"), &heard,
                            SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        client->bus.connect(name, client->path, kPlayer, QStringLiteral("Seeked"), &heard,
                            SLOT(seekedTo(qlonglong)));
        return name == kName;
    }

    QVariant get(const QString &property) const { return client->property(kPlayer, property); }
    QVariantMap metadata() const { return get(QStringLiteral("Metadata")).toMap(); }
    QString trackId() const
    {
        return metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    }
    QDBusMessage call(const QString &method, const QVariantList &arguments = {}) const
    {
        return client->call(kPlayer, method, arguments);
    }
};

class TestMpris : public QObject
{
    Q_OBJECT

    std::unique_ptr<MprisRig> rig;

private Q_SLOTS:
    void init()
    {
        rig = std::make_unique<MprisRig>();
        QVERIFY2(rig->start(), "no private bus, or the name was not taken");
    }
    void cleanup() { rig.reset(); }

    // The names the desktop matches to the menu entry and its icon.
    void whoThePlayerIs()
    {
        const BusClient &client = *rig->client;
        QCOMPARE(client.property(kRoot, QStringLiteral("Identity")).toString(),
                 QStringLiteral("chimebox"));
        QCOMPARE(client.property(kRoot, QStringLiteral("DesktopEntry")).toString(),
                 QStringLiteral("io.github.chimebox.Chimebox"));
    }

    void statusFollowsThePlayerAndAPendingRequest_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("status");
        QTest::newRow("playing") << int(PlayState::Playing) << false << "Playing";
        QTest::newRow("opening a file") << int(PlayState::Transitioning) << false << "Playing";
        QTest::newRow("paused") << int(PlayState::Paused) << false << "Paused";
        QTest::newRow("stopped") << int(PlayState::Stopped) << false << "Stopped";
        QTest::newRow("never played") << int(PlayState::Undefined) << false << "Stopped";
        QTest::newRow("clicked, waiting for the tick")
            << int(PlayState::Stopped) << true << "Playing";
        QTest::newRow("between two files") << int(PlayState::MediaEnded) << true << "Playing";
    }
    void statusFollowsThePlayerAndAPendingRequest()
    {
        QFETCH(int, state);
        QFETCH(bool, pending);
        QFETCH(QString, status);
        if (pending)
            rig->session.requestPlay();
        rig->player.putPlayState(state);
        QCOMPARE(rig->get(QStringLiteral("PlaybackStatus")).toString(), status);
    }

    void metadataNamesTheFile()
    {
        MprisRig &r = *rig;
        QCOMPARE(r.metadata().keys(), QStringList{"mpris:trackid"});
        QCOMPARE(r.trackId(), kNoTrack);

        r.player.setURL(QStringLiteral("/music/朝 1.mp3"));
        QVariantMap data = r.metadata();
        QCOMPARE(data.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("朝 1.mp3"));
        QCOMPARE(data.value(QStringLiteral("xesam:url")).toString(),
                 QStringLiteral("file:///music/%E6%9C%9D%201.mp3"));
        QVERIFY(!data.contains(QStringLiteral("mpris:length")));
        const QString first = r.trackId();
        QVERIFY2(first.startsWith(QStringLiteral("/io/github/chimebox/Chimebox/track/")),
                 qPrintable(first));

        r.player.setTimes(0, 12.5);
        QCOMPARE(r.metadata().value(QStringLiteral("mpris:length")).toLongLong(), 12'500'000);
        r.player.setURL(QStringLiteral("/music/b.wav"));
        QVERIFY(r.trackId() != first);
    }

    void methodsActAsTheBarAndTheWindow_data()
    {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("asked");
        const int playing = PlayState::Playing;
        const int paused = PlayState::Paused;
        const int stopped = PlayState::Stopped;
        QTest::newRow("Play, paused") << kPlayer << "Play" << paused << QStringList{"play"} << "";
        QTest::newRow("Play, stopped") << kPlayer << "Play" << stopped << QStringList{"play"} << "";
        QTest::newRow("Play, playing") << kPlayer << "Play" << playing << QStringList() << "";
        QTest::newRow("Pause, playing")
            << kPlayer << "Pause" << playing << QStringList{"pause"} << "";
        QTest::newRow("Pause, paused") << kPlayer << "Pause" << paused << QStringList() << "";
        QTest::newRow("PlayPause, playing")
            << kPlayer << "PlayPause" << playing << QStringList{"pause"} << "";
        QTest::newRow("PlayPause, paused")
            << kPlayer << "PlayPause" << paused << QStringList{"play"} << "";
        // The bar's button is disabled with nothing to play.
        QTest::newRow("PlayPause, nothing yet")
            << kPlayer << "PlayPause" << int(PlayState::Undefined) << QStringList() << "";
        QTest::newRow("Next") << kPlayer << "Next" << playing << QStringList() << "";
        QTest::newRow("Previous") << kPlayer << "Previous" << playing << QStringList() << "";
        // As the window's stop button: continuous play ends with it.
        QTest::newRow("Stop") << kPlayer << "Stop" << playing << QStringList{"stop"} << "";
        QTest::newRow("Raise") << kRoot << "Raise" << stopped << QStringList() << "raise";
        QTest::newRow("Quit") << kRoot << "Quit" << playing << QStringList() << "quit";
    }
    void methodsActAsTheBarAndTheWindow()
    {
        QFETCH(QString, interface);
        QFETCH(QString, method);
        QFETCH(int, state);
        QFETCH(QStringList, calls);
        QFETCH(QString, asked);
        MprisRig &r = *rig;
        QStringList window;
        QObject::connect(r.mpris.get(), &Mpris::raiseRequested, [&] { window.append("raise"); });
        QObject::connect(r.mpris.get(), &Mpris::quitRequested, [&] { window.append("quit"); });
        if (state != PlayState::Undefined) {
            r.player.setURL(QStringLiteral("/music/a.mp3"));
            r.player.calls.clear();
        }
        r.player.putPlayState(state);
        QCOMPARE(r.client->call(interface, method).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(r.player.calls, calls);
        QCOMPARE(window, asked.isEmpty() ? QStringList() : QStringList{asked});
        if (method == "Stop")
            QCOMPARE(r.session.autoPlayState(), chimebox::playback::AutoPlay::Stopped);
    }

    // Nothing to play, pause or seek until a file is there; seeking while it
    // is open.
    void whatCanBeDoneFollowsWhatIsLoaded_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("state");
        QTest::addColumn<QVariantList>("abilities"); // CanPlay, CanPause, CanSeek
        QTest::newRow("nothing yet")
            << false << int(PlayState::Undefined) << QVariantList{false, false, false};
        QTest::newRow("stopped after a file")
            << true << int(PlayState::Stopped) << QVariantList{true, true, false};
        QTest::newRow("playing") << true << int(PlayState::Playing)
                                 << QVariantList{true, true, true};
        QTest::newRow("paused") << true << int(PlayState::Paused) << QVariantList{true, true, true};
    }
    void whatCanBeDoneFollowsWhatIsLoaded()
    {
        QFETCH(bool, loaded);
        QFETCH(int, state);
        QFETCH(QVariantList, abilities);
        MprisRig &r = *rig;
        if (loaded)
            r.player.setURL(QStringLiteral("/music/a.mp3"));
        r.player.putPlayState(state);
        QCOMPARE((QVariantList{r.get("CanPlay"), r.get("CanPause"), r.get("CanSeek")}), abilities);
    }

    void seekingAsTheBarDoes()
    {
        MprisRig &r = *rig;
        r.player.setURL(QStringLiteral("/music/a.mp3"));
        r.player.setTimes(10, 60);
        r.player.putPlayState(PlayState::Playing);
        r.player.calls.clear();
        const QString track = r.trackId();
        const auto setPosition = [&](const QString &id, qlonglong at) {
            return r.call(QStringLiteral("SetPosition"),
                          {QVariant::fromValue(QDBusObjectPath(id)), at});
        };
        r.call(QStringLiteral("Seek"), {qlonglong(5'000'000)});
        r.call(QStringLiteral("Seek"), {qlonglong(-20'000'000)});
        // Past the end would be the next track: there is none.
        r.call(QStringLiteral("Seek"), {qlonglong(51'000'000)});
        setPosition(track, 30'000'000);
        setPosition(QStringLiteral("/io/github/chimebox/Chimebox/track/999"), 40'000'000);
        setPosition(track, 61'000'000);
        r.player.putPlayState(PlayState::Stopped);
        setPosition(track, 20'000'000);
        QCOMPARE(r.player.calls, (QStringList{"seek:15", "seek:0", "seek:30"}));
        QVERIFY(QTest::qWaitFor([&] { return r.heard.seeked.size() >= 3; }, 5000));
        QTest::qWait(50);
        QCOMPARE(r.heard.seeked, (QList<qlonglong>{15'000'000, 0, 30'000'000}));
    }

    void volumeBothWays()
    {
        MprisRig &r = *rig;
        QCOMPARE(r.get(QStringLiteral("Volume")).toDouble(), 0.5);
        QVERIFY(r.client->setProperty(kPlayer, QStringLiteral("Volume"), 0.25));
        QCOMPARE(r.player.volume(), 25);
        // Rounded, not cut: 0.29 is 29, though 0.29 * 100 is a hair under it.
        QVERIFY(r.client->setProperty(kPlayer, QStringLiteral("Volume"), 0.29));
        QCOMPARE(r.player.volume(), 29);
        QVERIFY(r.client->setProperty(kPlayer, QStringLiteral("Volume"), 1.5));
        QCOMPARE(r.player.volume(), 100);
        r.player.setVolume(80);
        QCOMPARE(r.get(QStringLiteral("Volume")).toDouble(), 0.8);
        // Muted, nothing is heard; a volume set from the bus is to be heard.
        r.player.setMute(true);
        QCOMPARE(r.get(QStringLiteral("Volume")).toDouble(), 0.0);
        QVERIFY(r.client->setProperty(kPlayer, QStringLiteral("Volume"), 0.4));
        QVERIFY(!r.player.isMuted());
        QCOMPARE(r.get(QStringLiteral("Volume")).toDouble(), 0.4);
    }

    // Each change is sent once, with only what changed; the position is not,
    // which Seeked is for.
    void changesAreAnnounced()
    {
        MprisRig &r = *rig;
        r.player.startsPlaying = false;
        r.player.setURL(QStringLiteral("/music/a.mp3"));
        QVERIFY(QTest::qWaitFor([&] { return r.heard.changed.size() == 1; }, 5000));
        QCOMPARE(r.heard.changed.last().keys(), (QStringList{"CanPause", "CanPlay", "Metadata"}));
        QCOMPARE(r.heard.changed.last()
                     .value(QStringLiteral("Metadata"))
                     .toMap()
                     .value(QStringLiteral("xesam:title"))
                     .toString(),
                 QStringLiteral("a.mp3"));

        r.player.setPlayState(PlayState::Playing);
        QVERIFY(QTest::qWaitFor([&] { return r.heard.changed.size() == 2; }, 5000));
        QCOMPARE(r.heard.changed.last(),
                 (QVariantMap{{"PlaybackStatus", "Playing"}, {"CanSeek", true}}));

        r.player.setVolume(30);
        QVERIFY(QTest::qWaitFor([&] { return r.heard.changed.size() == 3; }, 5000));
        QCOMPARE(r.heard.changed.last(), (QVariantMap{{"Volume", 0.3}}));

        // Nothing that a listener shows changes.
        r.player.setPlayState(PlayState::Playing);
        r.player.setVolume(30);
        QTest::qWait(200);
        QCOMPARE(r.heard.changed.size(), 3);
    }

    void aSecondCopyTakesANameOfItsOwn()
    {
        MprisRig &r = *rig;
        Mpris second(r.session);
        QCOMPARE(second.attach(r.bus.connect(QStringLiteral("second"))),
                 kName + QStringLiteral(".instance") +
                     QString::number(QCoreApplication::applicationPid()));
    }

    void withoutABusNothingIsTaken()
    {
        Mpris mpris(rig->session);
        QCOMPARE(mpris.attach(QDBusConnection(QStringLiteral("never connected"))), QString());
    }
};

CHIMEBOX_TEST_MAIN(TestMpris)
#include "test_mpris.moc"
