#include "core/playback/MediaPlayer.h"
#include "core/playback/PlayTimerRules.h"
#include "support/RuleFixtures.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;

using namespace rulefixtures;

// The play timer's own decisions beyond its minute, which the tick's tests
// cover: a snooze rings again.
class TestPlayTimerRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Snooze: quiet now, the same file ten minutes later, caught up after a
    // sleep; the day's alarm stays spent, and a timer switched off forgets it.
    void snoozeRingsAgainTenMinutesLater_data()
    {
        QTest::addColumn<int>("after"); // seconds after the snooze
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("minutesLate");
        QTest::newRow("9:59 later") << 599 << false << int(AlarmOutcome::None) << 0;
        QTest::newRow("10 minutes later") << 600 << false << int(AlarmOutcome::OnTime) << 0;
        QTest::newRow("asleep through it")
            << 600 + 15 * 60 << false << int(AlarmOutcome::CaughtUp) << 15;
        QTest::newRow("asleep too long")
            << 600 + 31 * 60 << false << int(AlarmOutcome::Missed) << 31;
        QTest::newRow("music playing then") << 600 << true << int(AlarmOutcome::None) << 0;
    }
    void snoozeRingsAgainTenMinutesLater()
    {
        QFETCH(int, after);
        QFETCH(bool, playing);
        QFETCH(int, outcome);
        QFETCH(int, minutesLate);
        SessionState state = ringing();
        state.index = 2; // continuous play moved on
        snooze(state, speakers(false, 50), k0730);
        QCOMPARE(state.snooze->at, k0730.addSecs(600));
        TickResult result;
        const Actions actions =
            snoozeDue(state, result, !playing, {"a.mp3", "b.mp3", "c.mp3"}, k0730.addSecs(after));
        QCOMPARE(int(result.alarm), outcome);
        QCOMPARE(result.minutesLate, minutesLate);
        QCOMPARE(state.lastAlarmDate.text(), QStringLiteral("03-01-2024"));
        const bool rings = result.alarmFired();
        QCOMPARE(state.autoPlay == AutoPlay::Requested, rings);
        QCOMPARE(state.snooze.has_value(), after < 600);
        if (rings) {
            QCOMPARE(state.index, 1); // the alarm's own file again
            QVERIFY(state.alarm->snoozed);
        }
        QCOMPARE(actions.messages.size(), outcome == int(AlarmOutcome::Missed) ? 1 : 0);

        SessionState off = ringing();
        snooze(off, speakers(false, 50), k0730);
        QVERIFY(playTimerChanged(off, true).alarmChanged);
        QVERIFY(!off.snooze);
    }
};

CHIMEBOX_TEST_MAIN(TestPlayTimerRules)
#include "test_play_timer_rules.moc"
