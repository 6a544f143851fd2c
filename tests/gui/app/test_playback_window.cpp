#include "gui/browse/FileList.h"
#include "support/FormHarness.h"
#include "support/TestMain.h"

#include <QTest>

using chimebox::browse::FileList;
using chimebox::playback::AutoPlay;
using chimebox::playback::PlayState;

// Continuous play, the alarm and files that will not play, through the window
// as the player and the tick drive it.
class TestPlaybackWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormHarness> h;
    QString folder;

    FileList *files() const { return h->find<FileList>("File1"); }

    void clickFile(int row) const { FormHarness::clickRow(files(), row); }

    void tick() const { h->form->Timer1_Timer(); }

    QString url(const char *name) const { return folder + u'/' + QLatin1String(name); }

private Q_SLOTS:
    void init()
    {
        h = std::make_unique<FormHarness>();
        folder = h->makeFolder(
            QStringLiteral("music"),
            {QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
        h->putSetting("chimebox.ini", folder.toUtf8() + "\r\n");
        QVERIFY(h->loadAndShow());
        h->player.calls.clear();
    }

    void aClickedFilePlaysAndTheFolderPlaysOnAndWraps()
    {
        clickFile(1);
        QCOMPARE(h->autoPlayState(), AutoPlay::Requested);
        QVERIFY(h->player.urls.isEmpty()); // only the tick starts playback
        tick();
        QCOMPARE(h->player.urls, QStringList{url("b.mp3")});

        h->player.finishFile();
        QCOMPARE(files()->listIndex(), 2);
        tick();
        h->player.finishFile();
        QCOMPARE(files()->listIndex(), 0);
        tick();
        QCOMPARE(h->player.urls, QStringList({url("b.mp3"), url("c.mp3"), url("a.mp3")}));

        // The stop button: the stopped report advances nothing.
        h->click("Command1");
        QCOMPARE(h->autoPlayState(), AutoPlay::Stopped);
        tick();
        QCOMPARE(h->player.urls.size(), 3);
        QCOMPARE(files()->listIndex(), 0);
    }

    // "■" after the player reported the end of a file (8, 9) but before its
    // "stopped" (1): the stop is recorded first, so the 1 advances nothing.
    void theStopButtonBetweenTheEndAndTheStoppedReport()
    {
        clickFile(0);
        tick();
        h->player.setPlayState(PlayState::MediaEnded);
        h->player.setPlayState(PlayState::Transitioning);
        QCOMPARE(h->autoPlayState(), AutoPlay::Transitioning);
        h->click("Command1");
        QCOMPARE(h->player.calls.last(), QStringLiteral("stop"));
        QCOMPARE(h->autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(files()->listIndex(), 0);
        tick();
        QCOMPARE(h->player.urls.size(), 1);
    }

    // "■" forgets the files that failed: a new start gets a whole pass.
    void theStopButtonStartsTheCountOfFailuresAfresh()
    {
        h->player.startsPlaying = false;
        clickFile(0);
        tick();
        h->player.fail();
        tick();
        h->player.fail();
        h->click("Command1");
        clickFile(0);
        tick();
        h->player.fail();
        tick();
        h->player.fail();
        QCOMPARE(h->autoPlayState(), AutoPlay::Requested);
        QVERIFY(h->messages.failures.isEmpty());
    }

    void aFolderWhereNothingPlaysIsPlayedThroughOnceAndReportedOnce()
    {
        // As the real player, a file that cannot be decoded never reaches Playing.
        h->player.startsPlaying = false;
        clickFile(0);
        for (int i = 0; i < 3; ++i) {
            tick();
            h->player.fail();
        }
        QCOMPARE(h->player.urls, QStringList({url("a.mp3"), url("b.mp3"), url("c.mp3")}));
        QCOMPARE(h->autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(h->messages.failures.size(), 1);
        tick();
        QCOMPARE(h->player.urls.size(), 3);

        // The user tries again: the same folder fails again and says so again.
        clickFile(0);
        for (int i = 0; i < 3; ++i) {
            tick();
            h->player.fail();
        }
        QCOMPARE(h->messages.failures.size(), 2);
        QCOMPARE(h->player.chimeCount, 0);
    }

    void oneBadFileIsSkipped()
    {
        h->player.startsPlaying = false;
        clickFile(0);
        tick();
        h->player.fail();
        h->player.startsPlaying = true;
        tick();
        QCOMPARE(h->player.playState(), int(PlayState::Playing));
        h->player.finishFile();
        tick();
        QCOMPARE(h->player.urls, QStringList({url("a.mp3"), url("b.mp3"), url("c.mp3")}));
        QVERIFY(h->messages.failures.isEmpty());
    }

    void anAlarmWhoseFileWillNotPlayStillSounds()
    {
        h->putSetting("player.ini", "\r\n");
        h->putSetting("playtime.ini", "0730\r\n");
        h->clock.set(QTime(7, 30, 5));
        files()->setListIndex(2);
        tick();
        QCOMPARE(h->player.urls, QStringList{url("c.mp3")});
        h->player.fail();
        QCOMPARE(h->player.chimeCount, 1);
        QVERIFY(h->messages.failures.isEmpty());

        // After the chime the folder plays on from the next file.
        h->player.finishFile();
        tick();
        QCOMPARE(h->player.urls.last(), url("a.mp3"));
    }

    void noSoundAtAllIsReportedOnceAndStopsThePlay()
    {
        clickFile(0);
        tick();
        h->player.fail(QStringLiteral("音声を出力できません"), true);
        QCOMPARE(h->autoPlayState(), AutoPlay::Stopped);
        QCOMPARE(h->messages.failures, QStringList{QStringLiteral("音声を出力できません")});
        tick();
        QCOMPARE(h->player.urls.size(), 1);
    }

    void aTickThatKeepsFailingIsReportedOnceUntilItSucceeds()
    {
        h->putSetting("player.ini", "\r\n");
        h->putSetting("playtime.ini", "0730\r\n");
        files()->setListIndex(0);
        // The time file vanishes between its presence test and its read.
        bool vanish = true;
        h->clock.onDateRead = [&] {
            if (vanish)
                QFile::remove(h->settingsPath("playtime.ini"));
        };
        for (int i = 0; i < 3; ++i) {
            h->putSetting("playtime.ini", "0730\r\n");
            tick();
        }
        QCOMPARE(h->messages.failures.size(), 1);
        QVERIFY(h->player.urls.isEmpty());

        vanish = false;
        tick();
        h->player.stop();
        vanish = true;
        h->putSetting("playtime.ini", "0730\r\n");
        tick();
        QCOMPARE(h->messages.failures.size(), 2);
    }
};

CHIMEBOX_GUI_TEST_MAIN(TestPlaybackWindow)
#include "test_playback_window.moc"
