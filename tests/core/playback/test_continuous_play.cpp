#include "core/playback/ContinuousPlay.h"
#include "core/playback/MediaPlayer.h"
#include "support/AutoPlayName.h"
#include "support/TestMain.h"

#include <QTest>

using namespace chimebox::playback;

// The continuous-play machine: the player's three reports at the end of a
// file, in order, request the next file, wrapping from the last to the first.
class TestContinuousPlay : public QObject
{
    Q_OBJECT

    AutoPlay state = AutoPlay::Idle;
    int advances = 0;

    // One notification whose three tests all read value.
    void report(int value)
    {
        const StatusStep step = onStatusChange(state, {value, value, value});
        state = step.state;
        advances += step.advance ? 1 : 0;
    }

private Q_SLOTS:
    void init()
    {
        state = AutoPlay::Idle;
        advances = 0;
    }

    void endOfFileMovesToTheNextFile_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("first to second") << 3 << 0 << 1;
        QTest::newRow("middle to last") << 3 << 1 << 2;
        QTest::newRow("last wraps to first") << 3 << 2 << 0;
        QTest::newRow("one file plays again") << 1 << 0 << 0;
        QTest::newRow("nothing selected gives the first") << 3 << -1 << 0;
        QTest::newRow("empty list has none") << 0 << -1 << -1;
    }
    void endOfFileMovesToTheNextFile()
    {
        QFETCH(int, count);
        QFETCH(int, before);
        QFETCH(int, after);
        for (const int value : {MediaEnded, Transitioning, Stopped})
            report(value);
        QCOMPARE(state, AutoPlay::Requested);
        QCOMPARE(advances, 1);
        QCOMPARE(nextIndex(before, count), after);
    }

    void onlyTheOrderEndedTransitioningStoppedAdvances()
    {
        report(Transitioning);
        report(Stopped);
        QCOMPARE(state, AutoPlay::Idle);

        report(MediaEnded);
        report(Stopped);
        QCOMPARE(state, AutoPlay::Ended);

        report(Paused);
        report(Playing);
        QCOMPARE(state, AutoPlay::Ended);
        QCOMPARE(advances, 0);
    }

    void repeatedNotificationsAdvanceOnce()
    {
        report(MediaEnded);
        report(MediaEnded);
        report(Transitioning);
        report(Transitioning);
        QCOMPARE(state, AutoPlay::Transitioning);
        report(Stopped);
        report(Stopped);
        QCOMPARE(state, AutoPlay::Requested);
        QCOMPARE(advances, 1);

        // 8 sets state 1 again, from any value, a stop included.
        state = AutoPlay::Stopped;
        report(MediaEnded);
        QCOMPARE(state, AutoPlay::Ended);
    }

    void eachTestHasAReadingOfItsOwn()
    {
        // The player moved on between the readings of one notification.
        StatusStep step = onStatusChange(AutoPlay::Idle, {MediaEnded, Transitioning, Stopped});
        QCOMPARE(step.state, AutoPlay::Requested);
        QVERIFY(step.advance);

        // A value read for one test is not reused for the next.
        step = onStatusChange(AutoPlay::Ended, {Playing, Transitioning, Playing});
        QCOMPARE(step.state, AutoPlay::Transitioning);
        QVERIFY(!step.advance);
    }
};

CHIMEBOX_TEST_MAIN(TestContinuousPlay)
#include "test_continuous_play.moc"
