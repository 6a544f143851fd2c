#include "Failure.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileList.h"
#include "fakes/FakePlayer.h"
#include "playback/ContinuousPlay.h"
#include "scheduler/TimerSettings.h"
#include "scheduler/TimerTick.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace chimebox::scheduler;
using chimebox::playback::PlayState;
using chimebox::settings::SettingsFile;
using chimebox::settings::SettingsFolder;
namespace autoplay = chimebox::playback::autoplay;

namespace {

// The fakes with their reads written to one shared log, so the order of reads
// across objects can be checked.
struct LoggingFileList : FakeFileList
{
    using FakeFileList::FakeFileList;
    QStringList *log = nullptr;
    std::function<void()> onIndexRead;
    int listIndex() const override
    {
        if (log)
            log->append(QStringLiteral("index"));
        if (onIndexRead)
            onIndexRead();
        return FakeFileList::listIndex();
    }
};

struct LoggingPlayer : FakePlayer
{
    QStringList *log = nullptr;
    std::function<void()> onStateRead;
    int playState() const override
    {
        if (log)
            log->append(QStringLiteral("state"));
        if (onStateRead)
            onStateRead();
        return FakePlayer::playState();
    }
};

// One window's worth of what the tick touches, over a fresh settings folder.
struct Rig
{
    QTemporaryDir dir;
    SettingsFolder folder{dir.path()};
    FakeClock clock{QDate(2024, 3, 1), QTime(7, 0)};
    LoggingPlayer player;
    LoggingFileList files{QStringLiteral("/music"), {"a.mp3", "b.mp3"}, 1};
    qint16 autoPlayState = autoplay::Idle;
    QString lastAlarmDate;
    int stopPresses = 0;
    TimerTick tick{folder, clock, player, files, [this] {
                       ++stopPresses;
                       chimebox::playback::stopPlayback(autoPlayState, player);
                   }};

    TickResult run() { return tick.run(autoPlayState, lastAlarmDate); }
    void put(SettingsFile file, const QByteArray &content) const
    {
        QFile f(folder.path(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    void stopAt(const QByteArray &stored)
    {
        put(SettingsFile::StopMarker, "\r\n");
        put(SettingsFile::StopTime, stored);
    }
    void playAt(const QByteArray &stored)
    {
        put(SettingsFile::PlayMarker, "\r\n");
        put(SettingsFile::PlayTime, stored);
    }
    // One tick at each second from..to inclusive; how many fired the alarm.
    int sweep(QTime from, QTime to)
    {
        int alarms = 0;
        for (QTime t = from; t <= to; t = t.addSecs(1)) {
            clock.set(t);
            alarms += run().alarmFired ? 1 : 0;
        }
        return alarms;
    }
};

} // namespace

class TestTimerTick : public QObject
{
    Q_OBJECT

    std::unique_ptr<Rig> rig;

private Q_SLOTS:
    void init()
    {
        rig = std::make_unique<Rig>();
        QVERIFY(rig->dir.isValid());
        // The player stays where the test puts it unless a case says otherwise.
        rig->player.startsPlaying = false;
        rig->player.putPlayState(PlayState::Stopped);
    }
    void cleanup() { rig.reset(); }

    void storedTimeFiresAtItsMinute_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QStringList>("minutes");
        const QStringList never;
        QTest::newRow("0730") << QByteArray("0730\r\n") << QStringList{"07:30"};
        QTest::newRow("07:30") << QByteArray("07:30\r\n") << QStringList{"07:30"};
        QTest::newRow("07 alone") << QByteArray("07\r\n") << QStringList{"07:07"};
        QTest::newRow("07:30:15") << QByteArray("07:30:15\r\n") << QStringList{"07:15"};
        QTest::newRow("CR LF inside") << QByteArray("07\r\n30\r\n") << QStringList{"07:30"};
        QTest::newRow("no line break") << QByteArray("2359") << QStringList{"23:59"};
        QTest::newRow("730") << QByteArray("730\r\n") << never;
        QTest::newRow("7") << QByteArray("7\r\n") << never;
        QTest::newRow("empty") << QByteArray("\r\n") << never;
        QTest::newRow("0730 LF only") << QByteArray("0730\n") << never;
    }
    void storedTimeFiresAtItsMinute()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, minutes);
        Rig &r = *rig;
        r.stopAt(stored);
        r.playAt(stored);
        QStringList stops, alarms;
        for (int m = 0; m < 24 * 60; ++m) {
            r.clock.set(QTime(m / 60, m % 60, 30));
            r.lastAlarmDate.clear();
            const TickResult result = r.run();
            const QString hhmm = QTime(m / 60, m % 60).toString(QStringLiteral("HH:mm"));
            if (result.stopPressed)
                stops.append(hhmm);
            if (result.alarmFired)
                alarms.append(hhmm);
        }
        QCOMPARE(stops, minutes);
        QCOMPARE(alarms, minutes);
    }

    void eachTimerNeedsBothOfItsFiles_data()
    {
        QTest::addColumn<bool>("play");
        QTest::addColumn<QString>("present");
        QTest::addColumn<int>("fired");
        for (const bool play : {false, true}) {
            const char *timer = play ? "play: " : "stop: ";
            const int armed = play ? 1 : 60; // the alarm once a day, the stop every tick
            QTest::addRow("%sboth", timer) << play << "both" << armed;
            QTest::addRow("%stime file only", timer) << play << "time" << 0;
            QTest::addRow("%smarker only", timer) << play << "marker" << 0;
            QTest::addRow("%smarker is a folder", timer) << play << "folder marker" << 0;
        }
    }
    void eachTimerNeedsBothOfItsFiles()
    {
        QFETCH(bool, play);
        QFETCH(QString, present);
        QFETCH(int, fired);
        Rig &r = *rig;
        const SettingsFile marker = play ? SettingsFile::PlayMarker : SettingsFile::StopMarker;
        const SettingsFile time = play ? SettingsFile::PlayTime : SettingsFile::StopTime;
        if (present == "both" || present == "marker")
            r.put(marker, "\r\n");
        if (present == "folder marker")
            QVERIFY(QDir().mkdir(r.folder.path(marker)));
        if (present != "marker")
            r.put(time, "0730\r\n");

        const int alarms = r.sweep(QTime(7, 29, 58), QTime(7, 31, 1));
        QCOMPARE(play ? alarms : r.stopPresses, fired);
        QCOMPARE(r.player.stopCount, r.stopPresses);
        QCOMPARE(r.autoPlayState, fired && !play ? autoplay::Stopped : autoplay::Idle);
    }

    void playTimerFiresOncePerDateUnlessRearmed()
    {
        Rig &r = *rig;
        r.playAt("0730\r\n");
        QCOMPARE(r.sweep(QTime(7, 30), QTime(7, 30, 20)), 1);
        QCOMPARE(r.lastAlarmDate, QStringLiteral("03-01-2024"));
        QCOMPARE(r.player.urls, QStringList{"/music/b.mp3"});

        // Switching the play timer off and on again within the minute arms it.
        switchPlayMarker(r.folder, 0, r.lastAlarmDate);
        switchPlayMarker(r.folder, 1, r.lastAlarmDate);
        QCOMPARE(r.sweep(QTime(7, 30, 21), QTime(7, 30, 40)), 1);
        // So does a change of the play time, even to the same minute.
        savePlayTime(r.folder, true, "07", "30", r.lastAlarmDate);
        r.clock.set(QTime(7, 30, 41));
        QVERIFY(r.run().alarmFired);
        QCOMPARE(r.sweep(QTime(7, 30, 42), QTime(7, 31, 5)), 0);

        // The next day at the same minute, once again.
        r.clock.advanceDay();
        QCOMPARE(r.sweep(QTime(7, 29, 55), QTime(7, 31, 5)), 1);
        QCOMPARE(r.lastAlarmDate, QStringLiteral("03-02-2024"));
        QCOMPARE(r.player.urls.size(), 4);
    }

    void playTimerWaitsForThePlayerWithinTheMinuteOnly_data()
    {
        QTest::addColumn<int>("later");
        QTest::addColumn<int>("alarms");
        QTest::newRow("paused") << int(PlayState::Paused) << 1;
        QTest::newRow("stopped") << int(PlayState::Stopped) << 1;
        QTest::newRow("undefined") << int(PlayState::Undefined) << 1;
        QTest::newRow("still playing") << int(PlayState::Playing) << 0;
    }
    void playTimerWaitsForThePlayerWithinTheMinuteOnly()
    {
        QFETCH(int, later);
        QFETCH(int, alarms);
        Rig &r = *rig;
        r.playAt("0730\r\n");
        r.player.putPlayState(PlayState::Playing);
        r.player.setURL(QStringLiteral("/other/old.mp3"));
        r.player.urls.clear();
        QCOMPARE(r.sweep(QTime(7, 30), QTime(7, 30, 39)), 0);
        r.player.putPlayState(later);
        QCOMPARE(r.sweep(QTime(7, 30, 40), QTime(7, 30, 40)), alarms);
        QCOMPARE(r.player.URL(), QString(alarms ? "/music/b.mp3" : "/other/old.mp3"));

        // No catch-up once the minute is over, whatever the player does then.
        if (!alarms) {
            QCOMPARE(r.sweep(QTime(7, 30, 41), QTime(7, 30, 59)), 0);
            r.player.putPlayState(PlayState::Stopped);
            QCOMPARE(r.sweep(QTime(7, 31), QTime(7, 32)), 0);
            QVERIFY(r.lastAlarmDate.isEmpty());
        }
    }

    void noSelectionMeansNoAlarm()
    {
        Rig &r = *rig;
        r.playAt("0730\r\n");
        r.files.setListIndex(-1);
        r.lastAlarmDate = QStringLiteral("02-29-2024");
        QCOMPARE(r.sweep(QTime(7, 30), QTime(7, 30, 59)), 0);
        QCOMPARE(r.lastAlarmDate, QStringLiteral("02-29-2024"));
        QCOMPARE(r.autoPlayState, autoplay::Idle);
        QVERIFY(r.player.calls.isEmpty());
    }

    void everyConditionIsReadEachTickInOrder()
    {
        Rig &r = *rig;
        QStringList log;
        r.files.log = &log;
        r.player.log = &log;
        r.clock.onDateRead = [&log] { log.append(QStringLiteral("date")); };
        r.files.setListIndex(-1);
        r.player.putPlayState(PlayState::Playing);

        // Both timers off and nothing selected: still all read, once each.
        r.run();
        QCOMPARE(log, (QStringList{"index", "state", "date"}));
        QCOMPARE(r.clock.timeReads, 0);

        // The markers are tested after playState and before the date: files
        // that appear at the state read count, a marker gone at the date read
        // still counts.
        log.clear();
        r.files.setListIndex(0);
        r.player.putPlayState(PlayState::Stopped);
        r.clock.set(QTime(7, 30));
        r.player.onStateRead = [&r] { r.playAt("0730\r\n"); };
        r.clock.onDateRead = [&r, &log] {
            log.append(QStringLiteral("date"));
            QFile::remove(r.folder.path(SettingsFile::PlayMarker));
        };
        QVERIFY(r.run().alarmFired);
        // The date is read once more for storing it, then the pending play reads the list.
        QCOMPARE(log, (QStringList{"index", "state", "date", "date", "index"}));
        QCOMPARE(r.player.urls, QStringList{"/music/a.mp3"});
    }

    void stopAndPlayOnTheSameMinute()
    {
        Rig &r = *rig;
        r.player.startsPlaying = true;
        r.player.putPlayState(PlayState::Undefined);
        r.stopAt("0730\r\n");
        r.playAt("0730\r\n");
        // What the player's notifications find: the request is already taken
        // when the file starts, and the stop is recorded before the player stops.
        QList<int> seen;
        connect(&r.player, &FakePlayer::StatusChange, this, [&] { seen.append(r.autoPlayState); });
        r.clock.set(QTime(7, 30));
        const TickResult first = r.run();
        QVERIFY(first.stopPressed && first.alarmFired && first.requestConsumed && first.urlSet);
        QCOMPARE(r.player.calls, (QStringList{"stop", "url:/music/b.mp3"}));
        QCOMPARE(r.autoPlayState, autoplay::Idle);
        QCOMPARE(r.lastAlarmDate, QStringLiteral("03-01-2024"));

        r.clock.advanceSecond();
        const TickResult second = r.run();
        QVERIFY(second.stopPressed && !second.alarmFired && !second.urlSet);
        QCOMPARE(r.player.calls, (QStringList{"stop", "url:/music/b.mp3", "stop"}));
        QCOMPARE(r.autoPlayState, autoplay::Stopped);
        QCOMPARE(r.player.playState(), int(PlayState::Stopped));
        QCOMPARE(seen, (QList<int>{autoplay::Idle, autoplay::Stopped}));
    }

    void pendingPlay_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QStringList>("urls");
        QTest::newRow("request") << "/music" << 1 << 3 << 0 << QStringList{"/music/b.mp3"};
        QTest::newRow("root folder") << "/" << 0 << 3 << 0 << QStringList{"//a.mp3"};
        QTest::newRow("request, nothing selected") << "/music" << -1 << 3 << 0 << QStringList();
        for (const int other : {0, 1, 2, 4})
            QTest::addRow("state %d", other) << "/music" << 1 << other << other << QStringList();
    }
    void pendingPlay()
    {
        QFETCH(QString, folder);
        QFETCH(int, index);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QStringList, urls);
        Rig &r = *rig;
        r.files.show(folder, {"a.mp3", "b.mp3"});
        r.files.setListIndex(index);
        r.autoPlayState = qint16(before);
        const TickResult result = r.run();
        QCOMPARE(int(r.autoPlayState), after);
        QCOMPARE(result.requestConsumed, before == autoplay::Requested);
        QCOMPARE(result.urlSet, !urls.isEmpty());
        QCOMPARE(r.player.urls, urls);
    }

    void aFileChosenDuringTheStopMinuteNeverPlays()
    {
        Rig &r = *rig;
        r.stopAt("0730\r\n");
        for (QTime t(7, 30); t <= QTime(7, 30, 59); t = t.addSecs(10)) {
            r.autoPlayState = autoplay::Requested; // a click in the file list
            r.clock.set(t);
            r.run();
            QCOMPARE(r.autoPlayState, autoplay::Stopped);
        }
        QVERIFY(r.player.urls.isEmpty());

        r.autoPlayState = autoplay::Requested;
        r.clock.set(QTime(7, 31));
        QVERIFY(r.run().urlSet);
    }

    void aTimeFileGoneBeforeItsReadFailsTheTick_data()
    {
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("deleted") << false;
        QTest::newRow("replaced by a folder") << true;
    }
    void aTimeFileGoneBeforeItsReadFailsTheTick()
    {
        QFETCH(bool, asFolder);
        Rig &r = *rig;
        r.playAt("0730\r\n");
        r.clock.set(QTime(7, 30));
        r.autoPlayState = autoplay::Requested; // a request waiting for step three
        const QString path = r.folder.path(SettingsFile::PlayTime);
        r.clock.onDateRead = [&] {
            QFile::remove(path);
            if (asFolder)
                QDir().mkdir(path);
        };
        QVERIFY_THROWS_EXCEPTION(chimebox::Failure, r.run());
        QCOMPARE(r.autoPlayState, autoplay::Requested);
        QVERIFY(r.lastAlarmDate.isEmpty());
        QVERIFY(r.player.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTimerTick)
#include "test_timer_tick.moc"
