#include "support/SessionRig.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using chimebox::playback::AutoPlay;
using chimebox::playback::PlaybackSession;
using chimebox::playback::PlayState;

// The session's own operations: the stop rule, a click's request, the
// player's reports and what follows a file that cannot be played.
class TestPlaybackSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<SessionRig> rig;
    const QString noFile = QStringLiteral("再生できるファイルがありません。");

    // The tick starts the selected file; the player then fails it.
    void startAndFail(SessionRig &r)
    {
        r.session.requestPlay();
        QVERIFY(r.run().urlSet);
        r.player.fail();
    }

private Q_SLOTS:
    void init()
    {
        rig = std::make_unique<SessionRig>();
        rig->session.showFolder(QStringLiteral("/music"), {"a.mp3", "b.mp3", "c.mp3"});
        rig->player.startsPlaying = false;
        rig->player.putPlayState(PlayState::Stopped);
    }
    void cleanup() { rig.reset(); }

    void stopIsRecordedBeforeThePlayerReports_data()
    {
        QTest::addColumn<int>("from");
        for (const AutoPlay state : {AutoPlay::Idle, AutoPlay::Ended, AutoPlay::Transitioning,
                                     AutoPlay::Requested, AutoPlay::Stopped})
            QTest::addRow("from %d", int(state)) << int(state);
    }
    void stopIsRecordedBeforeThePlayerReports()
    {
        QFETCH(int, from);
        SessionRig &r = *rig;
        r.session.select(0);
        r.player.putPlayState(PlayState::Playing);
        r.reach(AutoPlay(from));
        // The player's report of "stopped" arrives inside stop(): right after
        // the end of a file it would otherwise move on to the next one.
        QSignalSpy stopped(&r.session, &PlaybackSession::stopped);
        r.session.stop();
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(r.player.calls, QStringList{"stop"});
        QCOMPARE(r.state(), AutoPlay::Stopped);
        QCOMPARE(r.session.currentIndex(), 0);
        QVERIFY(!r.run().urlSet);
    }

    void aClickRequestsWhateverIsSelectedAtTheTick()
    {
        SessionRig &r = *rig;
        r.session.select(-1);
        r.session.requestPlay();
        QCOMPARE(r.state(), AutoPlay::Requested);
        r.session.select(2);
        QVERIFY(r.run().urlSet);
        QCOMPARE(r.player.urls, QStringList{"/music/c.mp3"});
        QCOMPARE(r.state(), AutoPlay::Idle);
    }

    void theEndOfAFileRequestsTheNext()
    {
        SessionRig &r = *rig;
        r.session.select(2);
        QSignalSpy stopped(&r.session, &PlaybackSession::stopped);
        r.player.finishFile();
        QCOMPARE(r.state(), AutoPlay::Requested);
        QCOMPARE(r.session.currentIndex(), 0);
        r.run();
        QCOMPARE(r.player.urls, QStringList{"/music/a.mp3"});
        // Continuous play goes on: nothing stopped it.
        QCOMPARE(stopped.size(), 0);
    }

    void unplayableFilesAreSkippedForOnePass()
    {
        SessionRig &r = *rig;
        r.session.select(0);
        startAndFail(r);
        QCOMPARE(r.state(), AutoPlay::Requested);
        QCOMPARE(r.session.currentIndex(), 1);
        r.run();
        r.player.fail();
        r.run();
        r.player.fail();
        QCOMPARE(r.state(), AutoPlay::Stopped);
        QCOMPARE(r.player.urls, (QStringList{"/music/a.mp3", "/music/b.mp3", "/music/c.mp3"}));
        QCOMPARE(r.reported.size(), 1);
        QVERIFY(r.reported.first().startsWith(noFile));
        QVERIFY(!r.run().urlSet);
    }

    void aFileThatPlaysStartsANewPass()
    {
        SessionRig &r = *rig;
        r.session.select(0);
        startAndFail(r);
        r.run();
        r.player.fail();
        // The third file plays: the two failures before it no longer count.
        r.run();
        r.player.setPlayState(PlayState::Playing);
        r.player.finishFile();
        r.run();
        r.player.fail();
        r.run();
        r.player.fail();
        QCOMPARE(r.state(), AutoPlay::Requested);
        QVERIFY(r.reported.isEmpty());
    }

    // Files that open but end without a sound fail after reaching Playing:
    // a pass of them still gives up, once.
    void filesThatOpenButMakeNoSoundGiveUpAfterAPass()
    {
        SessionRig &r = *rig;
        r.session.select(0);
        r.session.requestPlay();
        for (int i = 0; i < 3; ++i) {
            QVERIFY(r.run().urlSet);
            r.player.setPlayState(PlayState::Playing);
            r.player.fail(QStringLiteral("音が出ませんでした"));
        }
        QCOMPARE(r.state(), AutoPlay::Stopped);
        QCOMPARE(r.reported.size(), 1);
        QVERIFY(!r.run().urlSet);
    }

    void theStopButtonForgetsTheFailuresCounted()
    {
        SessionRig &r = *rig;
        r.session.select(0);
        startAndFail(r);
        r.run();
        r.player.fail();
        r.session.stop();
        // A new start after the stop gets a whole pass of its own.
        r.session.select(0);
        startAndFail(r);
        r.run();
        r.player.fail();
        QCOMPARE(r.state(), AutoPlay::Requested);
        QVERIFY(r.reported.isEmpty());
        // A report that arrives after the stop changes nothing.
        r.session.stop();
        r.player.fail();
        QCOMPARE(r.state(), AutoPlay::Stopped);
    }

    void anAlarmWhoseFileFailsChimesAndGoesOn()
    {
        SessionRig &r = *rig;
        r.playAt("0730\r\n");
        r.clock.set(QTime(7, 30));
        r.session.select(0);
        QVERIFY(r.run().alarmFired());
        r.player.fail();
        QCOMPARE(r.player.calls, (QStringList{"url:/music/a.mp3", "chime"}));
        // The chime ends like any file, and the next file follows it.
        r.player.finishFile();
        QCOMPARE(r.session.currentIndex(), 1);
        r.clock.advanceSecond();
        r.run();
        QCOMPARE(r.player.urls.last(), QStringLiteral("/music/b.mp3"));
        QVERIFY(r.reported.isEmpty());
    }

    // The alarm finds no audio output, as while a sound server restarts after
    // a resume: each tick tries again, said once, until sound comes out, the
    // user stops it, or five minutes have passed.
    void anAlarmWithoutAudioOutputTriesAgainForFiveMinutes_data()
    {
        QTest::addColumn<int>("backAfter"); // seconds; -1 never
        QTest::addColumn<int>("stopAt");    // seconds; -1 never
        QTest::addColumn<int>("tries");
        QTest::addColumn<bool>("heard");
        QTest::newRow("back after 10 s") << 10 << -1 << 11 << true;
        QTest::newRow("back after 4:59") << 299 << -1 << 300 << true;
        QTest::newRow("never back") << -1 << -1 << 300 << false;
        QTest::newRow("stopped by the user") << -1 << 30 << 30 << false;
    }
    void anAlarmWithoutAudioOutputTriesAgainForFiveMinutes()
    {
        QFETCH(int, backAfter);
        QFETCH(int, stopAt);
        QFETCH(int, tries);
        QFETCH(bool, heard);
        SessionRig &r = *rig;
        r.playAt("0730\r\n");
        r.session.select(0);
        const QString reason = QStringLiteral("音声を出力できません（x）");
        QList<chimebox::playback::AlarmOutcome> outcomes;
        for (int s = 0; s <= 400; ++s) {
            r.clock.set(QTime(7, 30).addSecs(s));
            if (s == stopAt)
                r.session.stop();
            const auto result = r.run();
            if (result.alarm != chimebox::playback::AlarmOutcome::None) {
                outcomes.append(result.alarm);
                // Minutes later, still the alarm's own minute.
                QCOMPARE(result.alarmTime, QTime(7, 30));
            }
            if (!result.urlSet)
                continue;
            if (backAfter < 0 || s < backAfter)
                r.player.fail(reason, true);
            else
                r.player.setPlayState(PlayState::Playing);
        }
        QCOMPARE(r.player.urls.size(), tries);
        QCOMPARE(r.player.urls.last(), QStringLiteral("/music/a.mp3"));
        QCOMPARE(r.player.playState(), int(heard ? PlayState::Playing : PlayState::Stopped));
        using chimebox::playback::AlarmOutcome;
        const bool gaveUp = !heard && stopAt < 0;
        const QList<AlarmOutcome> expected =
            gaveUp ? QList{AlarmOutcome::OnTime, AlarmOutcome::CouldNotSound}
                   : QList{AlarmOutcome::OnTime};
        QCOMPARE(outcomes, expected);
        QCOMPARE(r.reported.size(), 1);
        QVERIFY2(r.reported.first().startsWith(reason + u'\n') &&
                     r.reported.first().contains(QStringLiteral("5 分間")),
                 qPrintable(r.reported.first()));
    }

    void aFailureIsReportedOnceUntilSomethingPlaysOrTheUserPicks()
    {
        SessionRig &r = *rig;
        r.session.showFolder(QStringLiteral("/music"), {"a.mp3"});
        r.session.select(0);
        startAndFail(r);
        QCOMPARE(r.reported.size(), 1);
        // A late report after giving up says nothing more.
        r.player.fail();
        QCOMPARE(r.reported.size(), 1);
        // The user picks the file again: it is news again.
        startAndFail(r);
        QCOMPARE(r.reported.size(), 2);

        // A file that plays to its end is news too: the user played the last
        // one again from the bar, and the folder then fails once more.
        r.player.setPlayState(PlayState::Playing);
        r.player.finishFile();
        r.run();
        r.player.fail();
        QCOMPARE(r.reported.size(), 3);

        // No sound can come out at all: said once, in the engine's own words.
        r.reported.clear();
        r.session.requestPlay();
        r.run();
        r.player.fail(QStringLiteral("音声を出力できません（x）"), true);
        QCOMPARE(r.reported, QStringList{"音声を出力できません（x）"});
        QCOMPARE(r.state(), AutoPlay::Stopped);

        // An alarm that then finds no output either is news again.
        r.playAt("0730\r\n");
        r.clock.set(QTime(7, 30));
        QVERIFY(r.run().alarmFired());
        r.player.fail(QStringLiteral("音声を出力できません（x）"), true);
        QCOMPARE(r.reported.size(), 2);
        QVERIFY2(r.reported.last().contains(QStringLiteral("5 分間")),
                 qPrintable(r.reported.last()));
    }
};

CHIMEBOX_TEST_MAIN(TestPlaybackSession)
#include "test_playback_session.moc"
