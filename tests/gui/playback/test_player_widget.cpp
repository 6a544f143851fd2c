#include "core/playback/Transport.h"
#include "gui/playback/PlayerWidget.h"
#include "support/TestMain.h"

#include <QAccessible>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QToolButton>

using namespace chimebox::playback;

namespace {

// A transport that plays nothing: it records what the bar asks and takes
// volume and mute as the real player does; tests announce the rest.
class FakeTransport : public Transport
{
public:
    // "togglePause", "stop", "seek:<seconds>", ...
    QStringList calls;

    void setURL(const QString &) override {}
    QString URL() const override { return {}; }
    int playState() const override { return state_; }
    void stop() override { calls.append(QStringLiteral("stop")); }
    void playChime() override {}
    void play() override { calls.append(QStringLiteral("play")); }
    void pause() override { calls.append(QStringLiteral("pause")); }
    void togglePause() override { calls.append(QStringLiteral("togglePause")); }
    void seek(double seconds) override { calls.append(QStringLiteral("seek:%1").arg(seconds)); }
    void setVolume(int volume) override
    {
        if (std::exchange(volume_, volume) != volume)
            Q_EMIT volumeChanged(volume);
    }
    void setMute(bool muted) override
    {
        if (std::exchange(muted_, muted) != muted)
            Q_EMIT muteChanged(muted);
    }
    double position() const override { return 0; }
    double duration() const override { return 0; }
    int volume() const override { return volume_; }
    bool isMuted() const override { return muted_; }
    QString currentName() const override { return name_; }

    void announce(int state)
    {
        state_ = state;
        Q_EMIT StatusChange();
    }
    void name(const QString &name)
    {
        name_ = name;
        Q_EMIT currentNameChanged(name);
    }

private:
    int state_ = Undefined;
    int volume_ = 50;
    bool muted_ = false;
    QString name_;
};

} // namespace

class TestPlayerWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttonsFollowThePlayerAndDriveIt()
    {
        FakeTransport player;
        PlayerWidget bar(player);
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

        player.name(QStringLiteral("長い音.wav"));
        player.announce(Transitioning);
        QCOMPARE(name->toolTip(), QStringLiteral("長い音.wav"));
        QVERIFY(stop->isEnabled());
        player.announce(Playing);
        QCOMPARE(playPause->toolTip(), QStringLiteral("一時停止"));
        QCOMPARE(playPause->accessibleName(), QStringLiteral("一時停止"));
        QTest::mouseClick(playPause, Qt::LeftButton);
        player.announce(Paused);
        QCOMPARE(playPause->toolTip(), QStringLiteral("再生"));
        QVERIFY(stop->isEnabled());
        QTest::mouseClick(stop, Qt::LeftButton);
        player.announce(Stopped);
        QVERIFY(!stop->isEnabled());
        // The last file can be played again from the bar.
        QVERIFY(playPause->isEnabled());
        QTest::mouseClick(playPause, Qt::LeftButton);
        QCOMPARE(player.calls, QStringList({"togglePause", "stop", "togglePause"}));
    }

    void positionBarShowsTheTimeAndSeeks()
    {
        FakeTransport player;
        PlayerWidget bar(player);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        auto *position = bar.findChild<QSlider *>(QStringLiteral("positionSlider"));
        auto *time = bar.findChild<QLabel *>(QStringLiteral("timeLabel"));
        player.announce(Playing);
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
        FakeTransport player;
        PlayerWidget bar(player);
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
