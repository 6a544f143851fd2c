#include "core/playback/MediaPlayer.h"
#include "core/playback/PlayTimerRules.h"
#include "core/playback/SessionRules.h"
#include "support/AutoPlayName.h"
#include "support/RuleFixtures.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;
using Kind = PlayerCommand::Kind;

namespace {

using namespace rulefixtures;

QList<Kind> kinds(const Actions &actions)
{
    QList<Kind> found;
    for (const PlayerCommand &command : actions.player)
        found.append(command.kind);
    return found;
}

} // namespace

// The playback session's decisions: what to play, the alarm's audibility,
// its end, snooze and chime, each from a state and what was read.
class TestSessionRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneRuleForWhatTheBarAndTheDesktopMayDo_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<Abilities>("can"); // loaded, play, pause, seek, stop
        QTest::newRow("nothing yet") << int(Undefined) << false << Abilities{};
        QTest::newRow("opening") << int(Transitioning) << true
                                 << Abilities{true, true, false, false, true};
        QTest::newRow("playing") << int(Playing) << true
                                 << Abilities{true, false, true, true, true};
        QTest::newRow("paused") << int(Paused) << true << Abilities{true, true, false, true, true};
        QTest::newRow("stopped after a file")
            << int(Stopped) << true << Abilities{true, true, false, false, false};
    }
    void oneRuleForWhatTheBarAndTheDesktopMayDo()
    {
        QFETCH(int, state);
        QFETCH(bool, hasFile);
        QFETCH(Abilities, can);
        QCOMPARE(abilitiesOf(state, hasFile), can);
    }

    // The alarm turns up a bar that would hide it; music the user starts
    // keeps the bar as the user left it.
    void theAlarmTurnsUpThePlayerBar_data()
    {
        QTest::addColumn<bool>("byAlarm");
        QTest::addColumn<bool>("muted");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QList<Kind>>("commands");
        QTest::newRow("alarm, bar as it should be")
            << true << false << 10 << QList{Kind::Open, Kind::Prepare};
        QTest::newRow("alarm, bar muted")
            << true << true << 50 << QList{Kind::Unmute, Kind::Open, Kind::Prepare};
        QTest::newRow("alarm, bar at 9")
            << true << false << 9 << QList{Kind::SetVolume, Kind::Open, Kind::Prepare};
        QTest::newRow("alarm, both")
            << true << true << 0 << QList{Kind::Unmute, Kind::SetVolume, Kind::Open, Kind::Prepare};
        QTest::newRow("a click, bar muted at 0")
            << false << true << 0 << QList{Kind::Open, Kind::Prepare};
    }
    void theAlarmTurnsUpThePlayerBar()
    {
        QFETCH(bool, byAlarm);
        QFETCH(bool, muted);
        QFETCH(int, volume);
        QFETCH(QList<Kind>, commands);
        SessionState state;
        state.index = 1;
        TickResult result;
        if (byAlarm) {
            state = fired();
            result.alarm = AlarmOutcome::OnTime;
        } else {
            requestPlay(state);
        }
        const Actions actions =
            pendingPlay(state, result, pending(speakers(false, 80), muted, volume));
        QCOMPARE(kinds(actions), commands);
        if (commands.contains(Kind::SetVolume))
            QCOMPARE(actions.player.at(commands.indexOf(Kind::SetVolume)).volume, 50);
    }

    // Continuous play goes from one file into the next without a gap: the
    // file after the current one is prepared, and a request to move on that
    // the player has already carried out with it is used up by it. A click
    // starts its file afresh.
    void theNextFileFollowsWithoutAGap_data()
    {
        QTest::addColumn<bool>("click");
        QTest::addColumn<QString>("playerUrl");
        QTest::addColumn<int>("playerState");
        QTest::addColumn<QList<Kind>>("commands");
        QTest::newRow("moved on into the prepared file")
            << false << "/music/b.mp3" << int(Playing) << QList{Kind::Prepare};
        QTest::newRow("... still opening it")
            << false << "/music/b.mp3" << int(Transitioning) << QList{Kind::Prepare};
        QTest::newRow("nothing followed")
            << false << "/music/a.mp3" << int(Stopped) << QList{Kind::Open, Kind::Prepare};
        QTest::newRow("a click on the file that plays")
            << true << "/music/b.mp3" << int(Playing) << QList{Kind::Open, Kind::Prepare};
    }
    void theNextFileFollowsWithoutAGap()
    {
        QFETCH(bool, click);
        QFETCH(QString, playerUrl);
        QFETCH(int, playerState);
        QFETCH(QList<Kind>, commands);
        SessionState state;
        state.index = 0;
        const Situation music{{"/music", 3}, speakers(false, 80), k0730};
        if (click) {
            state.index = 1;
            QCOMPARE(kinds(requestPlay(state)), QList{Kind::DropPrepared});
        } else {
            statusChanged(state, {MediaEnded, Transitioning, Stopped}, music);
            QCOMPARE(state.index, 1);
        }
        TickResult result;
        PendingPlay play = pending(speakers(false, 80));
        play.playerUrl = playerUrl;
        play.playerState = playerState;
        const Actions actions = pendingPlay(state, result, play);
        QCOMPARE(kinds(actions), commands);
        QCOMPARE(actions.player.last().url, QStringLiteral("/music/c.mp3"));
        QVERIFY(result.requestConsumed);

        // Another file made current while one plays: the one after it follows.
        QCOMPARE(select(state, 2, "/music/a.mp3", true).player,
                 QList{PlayerCommand::prepare("/music/a.mp3")});
        QVERIFY(select(state, 2, "/music/a.mp3", true).player.isEmpty());
        QVERIFY(select(state, 0, "/music/b.mp3", false).player.isEmpty());
    }

    // The output is raised as the alarm starts, said in its notice, and put
    // back by whatever ends the alarm, once.
    void everyEndOfTheAlarmPutsTheOutputBack_data()
    {
        QTest::addColumn<QString>("end");
        for (const char *end : {"stop", "snooze", "close"})
            QTest::newRow(end) << QString::fromLatin1(end);
    }
    void everyEndOfTheAlarmPutsTheOutputBack()
    {
        QFETCH(QString, end);
        Actions started;
        SessionState state = ringing(&started);
        const OutputLevel raised = OutputLevel::at(50, 2);
        QCOMPARE(started.output, (QList<OutputCommand>{{"speakers", raised}}));
        QVERIFY(started.notice && started.notice->ringing);
        QCOMPARE(started.notice->body,
                 QStringLiteral("b.mp3\n出力のミュートを解除し、音量を 50% に上げました"));

        const OutputState now = speakers(false, 50);
        const Actions ended = end == "stop"     ? stop(state, now)
                              : end == "snooze" ? snooze(state, now, k0730)
                                                : close(state, now);
        QCOMPARE(ended.output, (QList<OutputCommand>{{"speakers", speakers(true, 10).level}}));
        QVERIFY(ended.noticeWithdrawn);
        QVERIFY(!state.alarm);
        QCOMPARE(kinds(ended), end == "close" ? QList<Kind>{} : QList{Kind::Stop});
        QCOMPARE(state.snooze.has_value(), end == "snooze");
        // Ended already: a second stop puts back nothing.
        const Actions again = stop(state, now);
        QVERIFY(again.output.isEmpty() && !again.noticeWithdrawn);
    }

    // An output not yet heard from when the alarm starts is raised when it
    // answers; one that was loud then is the user's to turn down.
    void theOutputIsLookedAtOnce()
    {
        SessionState state = fired();
        TickResult result;
        result.alarm = AlarmOutcome::OnTime;
        OutputState connecting;
        QVERIFY(pendingPlay(state, result, pending(connecting)).output.isEmpty());
        QCOMPARE(outputChanged(state, speakers(true, 80)).output.size(), 1);

        state = fired();
        QVERIFY(pendingPlay(state, result, pending(speakers(false, 80))).output.isEmpty());
        QVERIFY(outputChanged(state, speakers(true, 80)).output.isEmpty());
        QVERIFY(stop(state, speakers(true, 80)).output.isEmpty());
    }

    // Nothing to play: the chime sounds over and over, without a box, until
    // the alarm is stopped or half an hour has passed.
    void anAlarmWithNothingToPlayChimesForHalfAnHour()
    {
        SessionState state = ringing();
        const Situation gone{{"/music", 3, false, false}, speakers(false, 50), k0730};
        // The alarm's file fails (a chime), then every other one in turn.
        QCOMPARE(kinds(playbackFailed(state, "x", false, gone)), QList{Kind::Chime});
        state.failures.played();
        for (int i = 0; i < 2; ++i) {
            state.failures.started(false);
            QCOMPARE(playbackFailed(state, "x", false, gone).messages, QStringList());
        }
        state.failures.started(false);
        const Actions chiming = playbackFailed(state, "x", false, gone);
        QVERIFY(chiming.messages.isEmpty());
        QCOMPARE(state.alarm->chime, ChimeReason::FolderMissing);
        QCOMPARE(chiming.notice->body,
                 QStringLiteral("フォルダが見つからないため、チャイムを鳴らしています\n"
                                "出力のミュートを解除し、音量を 50% に上げました"));

        // The chime plays, ends, and is asked for again; the folder stays
        // where it is.
        const int at = state.index;
        const auto chimeAt = [&](int minutes) {
            Situation later = gone;
            later.now = k0730.addSecs(minutes * 60);
            TickResult result;
            if (!kinds(pendingPlay(state, result, {later, {}, {}, false, 50, {}, Stopped}))
                     .contains(Kind::Chime))
                return false;
            const Actions ended = statusChanged(state, {MediaEnded, Transitioning, Stopped}, later);
            return !ended.noticeWithdrawn && state.index == at &&
                   state.autoPlay == AutoPlay::Requested;
        };
        QVERIFY(chimeAt(0));
        QVERIFY(chimeAt(29));
        QVERIFY(!chimeAt(30));
        QVERIFY(!state.alarm);
        QCOMPARE(state.autoPlay, AutoPlay::Stopped);
    }
};

CHIMEBOX_TEST_MAIN(TestSessionRules)
#include "test_session_rules.moc"
