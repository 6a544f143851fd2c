#include "playback/PlayerWidget.h"
#include "support/PlayerFixtures.h"
#include "support/TestMain.h"

#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace chimebox::playback;
using namespace playertest;

class TestPlayerWidget : public QObject
{
    Q_OBJECT

    static constexpr int kTimeout = 15000;

    QTemporaryDir dir_;
    QString wav_;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        wav_ = writeFile(QDir(dir_.path()), QStringLiteral("長い音.wav").toUtf8(),
                         toneWav(440, 20000));
    }

    void fitsTheWindowsSlot()
    {
        MpvPlayer player(nullOutput());
        PlayerWidget bar(player);
        QCOMPARE(bar.size(), QSize(425, 45));
        // Nothing to play yet: the transport buttons are off.
        QVERIFY(!bar.findChild<QToolButton *>(QStringLiteral("playPauseButton"))->isEnabled());
        QVERIFY(!bar.findChild<QToolButton *>(QStringLiteral("stopButton"))->isEnabled());
        QCOMPARE(player.playState(), int(Undefined));
    }

    void buttonsDriveThePlayer()
    {
        MpvPlayer player(nullOutput());
        PlayerWidget bar(player);
        bar.show();
        auto *playPause = bar.findChild<QToolButton *>(QStringLiteral("playPauseButton"));
        auto *stop = bar.findChild<QToolButton *>(QStringLiteral("stopButton"));
        auto *time = bar.findChild<QLabel *>(QStringLiteral("timeLabel"));
        auto *name = bar.findChild<QLabel *>(QStringLiteral("nameLabel"));

        player.setURL(wav_);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Playing), kTimeout);
        QCOMPARE(name->toolTip(), QStringLiteral("長い音.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(time->text().endsWith(QStringLiteral(" / 0:20")), true, kTimeout);
        QVERIFY(stop->isEnabled());

        QTest::mouseClick(playPause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Paused), kTimeout);
        QTest::mouseClick(playPause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Playing), kTimeout);

        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(player.playState(), int(Stopped));
        QVERIFY(!stop->isEnabled());

        // Play from the bar after a stop starts the same file again.
        QTest::mouseClick(playPause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), int(Playing), kTimeout);
        QCOMPARE(player.URL(), wav_);
        player.stop();
    }

    void volumeAndMuteFollowTheControls()
    {
        MpvPlayer player(nullOutput());
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
