#include "core/playback/PlaybackSession.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePlayer.h"
#include "gui/playback/PlayerWidget.h"
#include "support/AutoPlayName.h"
#include "support/TestMain.h"

#include <QAccessible>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace chimebox::playback;

namespace {

// The bar over a playback session and a player that plays nothing.
struct BarRig
{
    QTemporaryDir settings;
    FakeClock clock;
    FakePlayer player;
    PlaybackSession session{player, clock, chimebox::settings::SettingsFolder(settings.path())};
    PlayerWidget bar{session};

    BarRig() { player.startsPlaying = false; }
};

} // namespace

class TestPlayerWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonsFollowThePlayerAndAskTheSession()
    {
        BarRig rig;
        FakePlayer &player = rig.player;
        PlayerWidget &bar = rig.bar;
        bar.show();
        QCOMPARE(bar.size(), QSize(425, 45));
        auto *playPause = bar.findChild<QToolButton *>(QStringLiteral("playPauseButton"));
        auto *stop = bar.findChild<QToolButton *>(QStringLiteral("stopButton"));
        auto *name = bar.findChild<QLabel *>(QStringLiteral("nameLabel"));
        // Every control of the bar has a name a screen reader can say.
        for (QWidget *control : bar.findChildren<QWidget *>()) {
            if (qobject_cast<QAbstractButton *>(control) || qobject_cast<QSlider *>(control))
                QVERIFY2(!QAccessible::queryAccessibleInterface(control)
                              ->text(QAccessible::Name)
                              .isEmpty(),
                         qPrintable(control->objectName()));
        }
        // Nothing to play yet: the transport buttons are off.
        QVERIFY(!playPause->isEnabled());
        QVERIFY(!stop->isEnabled());

        // Not the window's "■": a screen reader tells them apart.
        QCOMPARE(stop->accessibleName(), QStringLiteral("再生停止"));

        player.setURL(QStringLiteral("/music/長い音.wav"));
        player.calls.clear();
        player.setPlayState(Transitioning);
        QCOMPARE(name->toolTip(), QStringLiteral("長い音.wav"));
        QVERIFY(stop->isEnabled());
        player.setPlayState(Playing);
        QCOMPARE(playPause->toolTip(), QStringLiteral("一時停止"));
        QCOMPARE(playPause->accessibleName(), QStringLiteral("一時停止"));
        QTest::mouseClick(playPause, Qt::LeftButton);
        player.setPlayState(Paused);
        QCOMPARE(playPause->toolTip(), QStringLiteral("再生"));
        QVERIFY(stop->isEnabled());
        // The bar's stop is a stop like any other: continuous play ends.
        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(rig.session.autoPlayState(), AutoPlay::Stopped);
        QVERIFY(!stop->isEnabled());
        // The last file can be played again from the bar.
        QVERIFY(playPause->isEnabled());
        QTest::mouseClick(playPause, Qt::LeftButton);
        QCOMPARE(player.calls, QStringList({"pause", "stop", "play"}));
    }

    void positionBarShowsTheTimeAndSeeks()
    {
        BarRig rig;
        FakePlayer &player = rig.player;
        PlayerWidget &bar = rig.bar;
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        auto *position = bar.findChild<QSlider *>(QStringLiteral("positionSlider"));
        auto *time = bar.findChild<QLabel *>(QStringLiteral("timeLabel"));
        player.setPlayState(Playing);
        Q_EMIT player.durationChanged(3725);
        Q_EMIT player.positionChanged(65.4);
        QCOMPARE(time->text(), QStringLiteral("1:05 / 1:02:05"));

        // While the handle is held the player's news does not move it; the
        // seek happens on release.
        position->setSliderDown(true);
        position->setSliderPosition(1000);
        Q_EMIT player.positionChanged(70);
        QCOMPARE(position->value(), 1000);
        QCOMPARE(time->text(), QStringLiteral("1:40 / 1:02:05"));
        position->setSliderDown(false);
        QCOMPARE(player.calls, QStringList({"seek:100"}));

        // A click beside the handle seeks at once.
        player.calls.clear();
        QTest::mouseClick(position, Qt::LeftButton, {},
                          QPoint(position->width() - 3, position->height() / 2));
        QTRY_COMPARE(player.calls.size(), 1);
        QCOMPARE(player.calls.at(0), QStringLiteral("seek:%1").arg(position->value() / 10.0));
        QVERIFY(position->value() > 1000);
    }

    void volumeAndMuteFollowTheControls()
    {
        BarRig rig;
        FakePlayer &player = rig.player;
        PlayerWidget &bar = rig.bar;
        auto *mute = bar.findChild<QToolButton *>(QStringLiteral("muteButton"));
        auto *volume = bar.findChild<QSlider *>(QStringLiteral("volumeSlider"));
        QCOMPARE(volume->value(), 50);
        volume->setValue(30);
        QCOMPARE(player.volume(), 30);
        QTest::mouseClick(mute, Qt::LeftButton);
        QVERIFY(player.isMuted());
        player.setMute(false);
        QVERIFY(!mute->isChecked());
        player.setVolume(80);
        QCOMPARE(volume->value(), 80);
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestPlayerWidget)
#include "test_player_widget.moc"
