#include "support/SessionRig.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <iterator>

using chimebox::playback::AutoPlay;
using chimebox::playback::PlayState;
using chimebox::playback::TickResult;

namespace {

// Resident memory in bytes, or -1 where it cannot be read. ASan's quarantine
// holds freed blocks and grows the resident set by design, so the figure says
// nothing there; LeakSanitizer checks that build instead.
qint64 residentBytes()
{
#if defined(Q_OS_LINUX) && !defined(__SANITIZE_ADDRESS__)
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields.at(1).toLongLong() * 4096;
#else
    return -1;
#endif
}

// Each file plays for its own length, so ends fall on every second of the
// minute over the week.
int lengthOf(int index)
{
    static constexpr int kSeconds[] = {187, 241, 3, 599, 64};
    return kSeconds[index % std::size(kSeconds)];
}

} // namespace

// A week of the real tick, one call per simulated second, with the player
// going through a folder for days on end and both timers armed: what an alarm
// that is never closed lives through.
class TestSoak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One loop over a week of seconds whose counters the day's checks read:
    // split up, it would only hand them around.
    // NOLINTNEXTLINE(readability-function-cognitive-complexity)
    void aWeekOfTicksWithBothTimersOn()
    {
        SessionRig r;
        QVERIFY(r.dir.isValid());
        const QStringList names{"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3", "6.mp3", "7.mp3"};
        r.session.showFolder(QStringLiteral("/music"), names);
        r.session.select(0);
        r.stopAt("2300\r\n");
        r.playAt("0730\r\n");
        const QDate first(2024, 3, 4);
        r.clock.set(first, QTime(0, 0));

        constexpr int kDays = 7;
        constexpr int kSecondsPerDay = 24 * 60 * 60;
        const QTime stopMinute(23, 0);
        const QTime alarmMinute(7, 30);
        // The day on which a file ends just before the stop minute's first tick.
        constexpr int kEndAtStopDay = 2;
        qint64 dayOneMemory = -1;
        QElapsedTimer elapsed;
        elapsed.start();

        for (int day = 0; day < kDays; ++day) {
            int alarms = 0;
            int stopTicks = 0;
            int filesEnded = 0;
            int startedInStopMinute = 0;
            int startedOvernight = 0;
            bool playingBeforeStop = false;
            int playedFor = 0;
            r.player.urls.clear();
            r.player.calls.clear();

            for (int second = 0; second < kSecondsPerDay; ++second) {
                const QTime now = QTime(0, 0).addSecs(second);
                r.clock.set(first.addDays(day), now);
                const bool playing = r.player.playState() == PlayState::Playing;
                if (now == stopMinute)
                    playingBeforeStop = playing;
                // The player reaches the end of its file between two ticks.
                // Once, that is just before the stop minute's first tick,
                // which then finds the next file requested.
                const bool endAtStop = day == kEndAtStopDay && now == stopMinute;
                if (playing && (++playedFor >= lengthOf(r.session.currentIndex()) || endAtStop)) {
                    r.player.finishFile();
                    ++filesEnded;
                }

                const qsizetype urlsBefore = r.player.urls.size();
                const TickResult result = r.run();
                const bool started = r.player.urls.size() > urlsBefore;
                if (started)
                    playedFor = 0;
                alarms += result.alarmFired() ? 1 : 0;
                if (result.alarmFired())
                    QCOMPARE(now, alarmMinute);
                const bool inStopMinute = now >= stopMinute && now < stopMinute.addSecs(60);
                if (result.stopPressed) {
                    QVERIFY(inStopMinute);
                    ++stopTicks;
                }
                if (started && inStopMinute)
                    ++startedInStopMinute;
                if (started && (now >= stopMinute || now < alarmMinute))
                    ++startedOvernight;
            }

            QCOMPARE(alarms, 1);
            QCOMPARE(r.lastAlarmDate(), chimebox::scheduler::dateTextOf(first.addDays(day)));
            QVERIFY2(playingBeforeStop, qPrintable(QStringLiteral("day %1").arg(day + 1)));
            QCOMPARE(stopTicks, 60);
            QCOMPARE(startedInStopMinute, 0);
            QCOMPARE(startedOvernight, 0);
            QCOMPARE(r.player.playState(), int(PlayState::Stopped));
            QCOMPARE(r.state(), AutoPlay::Stopped);
            // The alarm's file, then one file for every end but one cut short
            // by the stop: continuous play went on all day through the folder
            // in order, wrapping round.
            QCOMPARE(r.player.urls.size(), filesEnded + (day == kEndAtStopDay ? 0 : 1));
            for (qsizetype i = 1; i < r.player.urls.size(); ++i) {
                const int before = int(names.indexOf(r.player.urls.at(i - 1).section(u'/', -1)));
                const int after = int(names.indexOf(r.player.urls.at(i).section(u'/', -1)));
                QCOMPARE(after, int((before + 1) % names.size()));
            }
            QVERIFY(filesEnded > 100);
            QVERIFY(r.reported.isEmpty());

            if (day == 0)
                dayOneMemory = residentBytes();
        }

        qInfo("%d simulated days in %lld ms", kDays, elapsed.elapsed());
        const qint64 dayLastMemory = residentBytes();
        if (dayOneMemory < 0 || dayLastMemory < 0)
            QSKIP("resident memory is not measured on this platform or under a sanitizer");
        qInfo("resident memory after day 1: %lld KiB, after day %d: %lld KiB", dayOneMemory / 1024,
              kDays, dayLastMemory / 1024);
        QVERIFY2(dayLastMemory - dayOneMemory < 256 * 1024,
                 qPrintable(
                     QStringLiteral("grew by %1 KiB").arg((dayLastMemory - dayOneMemory) / 1024)));
    }
};

CHIMEBOX_TEST_MAIN(TestSoak)
#include "test_playback_session_soak.moc"
