#include "support/SessionRig.h"
#include "support/TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimeZone>
#include <filesystem>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using chimebox::playback::AlarmOutcome;
using chimebox::playback::AutoPlay;
using chimebox::playback::PlayState;
using chimebox::playback::TickResult;
using chimebox::scheduler::Timer;
using chimebox::scheduler::whyItNeverMatches;
using chimebox::settings::SettingsFile;
using chimebox::settings::StoredTime;
using Rig = SessionRig;

// The one-second tick: stop timer, play timer and pending play, run by the
// playback session against the settings files, the clock, the player and the
// file list.
class TestTick : public QObject
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
        QTest::newRow("0730 LF only") << QByteArray("0730\n") << QStringList{"07:30"};
        QTest::newRow("0730 CR only") << QByteArray("0730\r") << QStringList{"07:30"};
        QTest::newRow("LF inside") << QByteArray("07\n30\n") << QStringList{"07:30"};
        // As a person means them: a Windows editor's byte-order mark, and the
        // digits of an input method left in full-width mode.
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                       "0730\r\n")
                                         << QStringList{"07:30"};
        QTest::newRow("full-width") << QByteArray("０７３０\r\n") << QStringList{"07:30"};
        QTest::newRow("full-width, colon") << QByteArray("０７：３０") << QStringList{"07:30"};
        QTest::newRow("full-width after a mark") << QByteArray("\xEF\xBB\xBF"
                                                               "２３５９\r\n")
                                                 << QStringList{"23:59"};
        QTest::newRow("blank, 730") << QByteArray(" 730\r\n") << never;
        QTest::newRow("-1") << QByteArray("-1\r\n") << never;
        QTest::newRow("2400") << QByteArray("2400\r\n") << never;
        QTest::newRow("0760") << QByteArray("0760\r\n") << never;
        QTest::newRow("letters") << QByteArray("ab\r\n") << never;
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE"
                                              "0\0"
                                              "7\0"
                                              "3\0"
                                              "0\0"
                                              "\r\0\n\0",
                                              14)
                                << never;
    }
    void storedTimeFiresAtItsMinute()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, minutes);
        Rig &r = *rig;
        r.stopAt(stored);
        r.playAt(stored);
        // The pickers show what start-up reads, and are marked exactly when
        // that time never comes round.
        const StoredTime shown = r.folder.readTime(SettingsFile::PlayTime);
        for (const Timer timer : {Timer::Stop, Timer::Play})
            QCOMPARE(whyItNeverMatches(timer, shown.hour, shown.minute).isEmpty(),
                     !minutes.isEmpty());
        QStringList stops, alarms;
        for (int m = 0; m < 24 * 60; ++m) {
            r.clock.set(QTime(m / 60, m % 60, 30));
            r.session.playTimerChanged({});
            const TickResult result = r.run();
            const QString hhmm = QTime(m / 60, m % 60).toString(QStringLiteral("HH:mm"));
            if (result.stopPressed)
                stops.append(hhmm);
            if (result.alarmFired())
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
#ifdef Q_OS_UNIX
            // Opening a pipe would wait for a writer: the tick must not.
            QTest::addRow("%stime file is a pipe", timer) << play << "pipe time" << 0;
#endif
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
#ifdef Q_OS_UNIX
        if (present == "pipe time") {
            r.put(marker, "\r\n");
            QCOMPARE(mkfifo(QFile::encodeName(r.folder.path(time)).constData(), 0600), 0);
        }
#endif
        if (present != "marker" && present != "pipe time")
            r.put(time, "0730\r\n");

        const int alarms = r.sweep(QTime(7, 29, 58), QTime(7, 31, 1));
        QCOMPARE(play ? alarms : r.stopPresses, fired);
        QCOMPARE(r.player.stopCount, r.stopPresses);
        QCOMPARE(r.state(), fired && !play ? AutoPlay::Stopped : AutoPlay::Idle);
    }

    void playTimerFiresOncePerDateUnlessRearmed()
    {
        Rig &r = *rig;
        r.playAt("0730\r\n");
        QCOMPARE(r.sweep(QTime(7, 30), QTime(7, 30, 20)), 1);
        QCOMPARE(r.lastAlarmDate(), QStringLiteral("03-01-2024"));
        QCOMPARE(r.player.urls, QStringList{"/music/b.mp3"});

        // Switching the play timer off and on again within the minute arms it.
        r.switchPlayTimer(0);
        r.switchPlayTimer(1);
        QCOMPARE(r.sweep(QTime(7, 30, 21), QTime(7, 30, 40)), 1);
        // So does a change of the play time, even to the same minute.
        r.savePlayTime("07", "30");
        r.clock.set(QTime(7, 30, 41));
        QVERIFY(r.run().alarmFired());
        QCOMPARE(r.sweep(QTime(7, 30, 42), QTime(7, 31, 5)), 0);

        // The next day at the same minute, once again.
        r.clock.advanceDay();
        QCOMPARE(r.sweep(QTime(7, 29, 55), QTime(7, 31, 5)), 1);
        QCOMPARE(r.lastAlarmDate(), QStringLiteral("03-02-2024"));
        QCOMPARE(r.player.urls.size(), 4);
    }

    // The engine is made in the two minutes before the alarm, not earlier
    // and not again once it rang, so its first sound does not wait for it.
    void theEngineIsMadeJustBeforeTheAlarm()
    {
        Rig &r = *rig;
        r.playAt("0730\r\n");
        QCOMPARE(r.sweep(QTime(7, 27, 0), QTime(7, 27, 59)), 0);
        QCOMPARE(r.player.preloads, 0);
        QCOMPARE(r.sweep(QTime(7, 28, 0), QTime(7, 30, 0)), 1);
        QVERIFY(r.player.preloads > 0);
        const int before = r.player.preloads;
        r.player.stop();
        QCOMPARE(r.sweep(QTime(7, 30, 1), QTime(7, 31, 0)), 0);
        QCOMPARE(r.player.preloads, before);
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
            QVERIFY(r.lastAlarmDate().isEmpty());
        }
    }

    // After a start or a change of folder nothing is selected: the alarm
    // plays the folder's first file and the folder goes on from there; in a
    // folder without files the chime sounds, and sounds again. A selected
    // file still wins.
    void anAlarmWithNothingSelectedPlaysTheFirstFile_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("calls");
        const QStringList ab{"a.mp3", "b.mp3"};
        QTest::newRow("after a start")
            << "/music" << ab << -1 << QStringList{"url:/music/a.mp3", "url:/music/b.mp3"};
        QTest::newRow("after browsing") << "/other" << QStringList{"x.mp3"} << -1
                                        << QStringList{"url:/other/x.mp3", "url:/other/x.mp3"};
        QTest::newRow("selected") << "/music" << ab << 1
                                  << QStringList{"url:/music/b.mp3", "url:/music/a.mp3"};
        QTest::newRow("no files") << "/empty" << QStringList() << -1
                                  << QStringList{"chime", "chime"};
    }
    void anAlarmWithNothingSelectedPlaysTheFirstFile()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, names);
        QFETCH(int, selected);
        QFETCH(QStringList, calls);
        Rig &r = *rig;
        r.player.startsPlaying = true;
        r.playAt("0730\r\n");
        r.session.showFolder(folder, names);
        r.session.select(selected);
        QCOMPARE(r.sweep(QTime(7, 30), QTime(7, 30, 5)), 1);
        QCOMPARE(r.lastAlarmDate(), QStringLiteral("03-01-2024"));
        r.player.finishFile();
        r.run();
        QCOMPARE(r.player.calls, calls);
        QVERIFY(r.reported.isEmpty());
    }

    // The wall clock jumps past the alarm's minute between two ticks: the
    // machine slept, the process was stopped, the clock was set, or daylight
    // saving skipped or repeated an hour. Each row ticks once at the first
    // time, moves the clock to the second (at once, or second by second
    // through the zone's changes), then ticks on for three minutes.
    void aSkippedMinuteIsCaughtUpWithinHalfAnHour_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<bool>("bySeconds");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("minutesLate");
        QTest::addColumn<QString>("lastDate");
        const QDate day(2024, 3, 1);
        const auto at = [](QDate date, int h, int m, int s = 0) {
            return QDateTime(date, QTime(h, m, s));
        };
        const QByteArray utc("UTC");
        const QByteArray t0730("0730\r\n");
        const int none = int(AlarmOutcome::None);
        const int onTime = int(AlarmOutcome::OnTime);
        const int caughtUp = int(AlarmOutcome::CaughtUp);
        const int missed = int(AlarmOutcome::Missed);
        QTest::newRow("stopped 07:29:55 to 07:31:10")
            << utc << at(day, 7, 29, 55) << at(day, 7, 31, 10) << false << t0730 << caughtUp << 1
            << "03-01-2024";
        QTest::newRow("clock set 07:29:55 to 07:31:05")
            << utc << at(day, 7, 29, 55) << at(day, 7, 31, 5) << false << t0730 << caughtUp << 1
            << "03-01-2024";
        QTest::newRow("30 minutes late") << utc << at(day, 7, 29, 59) << at(day, 8, 0, 59) << false
                                         << t0730 << caughtUp << 30 << "03-01-2024";
        QTest::newRow("31 minutes late") << utc << at(day, 7, 29, 59) << at(day, 8, 1) << false
                                         << t0730 << missed << 31 << "03-01-2024";
        QTest::newRow("asleep overnight") << utc << at(day, 23, 10) << at(day.addDays(1), 7, 45)
                                          << false << t0730 << caughtUp << 15 << "03-02-2024";
        QTest::newRow("asleep for three days") << utc << at(day, 7, 0) << at(day.addDays(3), 9, 0)
                                               << false << t0730 << missed << 90 << "03-04-2024";
        QTest::newRow("past midnight, the day before's minute")
            << utc << at(day, 23, 58, 30) << at(day.addDays(1), 0, 10) << false
            << QByteArray("2359\r\n") << caughtUp << 11 << "03-01-2024";
        QTest::newRow("woke in the minute") << utc << at(day, 7, 28) << at(day, 7, 30, 5) << false
                                            << t0730 << onTime << 0 << "03-01-2024";
        QTest::newRow("woke before the minute") << utc << at(day, 7, 0) << at(day, 7, 29, 30)
                                                << false << t0730 << onTime << 0 << "03-01-2024";
        QTest::newRow("a time that never comes round")
            << utc << at(day, 7, 0) << at(day, 7, 45) << false << QByteArray("730\r\n") << none << 0
            << "";
        // It rang at its first tick; the minute comes round again.
        QTest::newRow("clock set back after ringing")
            << utc << at(day, 7, 30) << at(day, 7, 29) << false << t0730 << onTime << 0
            << "03-01-2024";
        // Berlin's clocks go from 01:59:59 to 03:00:00 that night: 02:30
        // never comes, and 03:00 is its moment.
        QTest::newRow("daylight-saving gap")
            << QByteArray("Europe/Berlin") << at(QDate(2026, 3, 29), 1, 59, 50)
            << at(QDate(2026, 3, 29), 3, 0, 10) << true << QByteArray("0230\r\n") << caughtUp << 0
            << "03-29-2026";
        // ... and from 02:59:59 back to 02:00:00 in October: 02:30 comes twice.
        QTest::newRow("daylight-saving end")
            << QByteArray("Europe/Berlin") << at(QDate(2026, 10, 25), 1, 59, 50)
            << at(QDate(2026, 10, 25), 3, 0, 10) << true << QByteArray("0230\r\n") << onTime << 0
            << "10-25-2026";
    }
    void aSkippedMinuteIsCaughtUpWithinHalfAnHour()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(bool, bySeconds);
        QFETCH(QByteArray, stored);
        QFETCH(int, outcome);
        QFETCH(int, minutesLate);
        QFETCH(QString, lastDate);
        const QTimeZone timeZone(zone);
        QVERIFY2(timeZone.isValid(), zone.constData());
        Rig &r = *rig;
        r.player.startsPlaying = true;
        r.playAt(stored);
        r.clock = FakeClock(from.date(), from.time(), timeZone);
        QList<TickResult> fired;
        const auto tick = [&] {
            const TickResult result = r.run();
            if (result.alarm != AlarmOutcome::None)
                fired.append(result);
            // The alarm's file plays for a second.
            if (r.player.playState() == PlayState::Playing)
                r.player.setPlayState(PlayState::Stopped);
        };
        tick();
        const QDateTime end(to.date(), to.time(), timeZone);
        if (bySeconds) {
            while (r.clock.now() < end) {
                r.clock.advanceSecond();
                tick();
            }
        } else {
            r.clock.set(to.date(), to.time());
            tick();
        }
        for (int s = 0; s < 180; ++s) {
            r.clock.advanceSecond();
            tick();
        }

        QCOMPARE(fired.size(), outcome == int(AlarmOutcome::None) ? 0 : 1);
        QCOMPARE(r.lastAlarmDate(), lastDate);
        if (fired.isEmpty())
            return;
        QCOMPARE(int(fired.first().alarm), outcome);
        QCOMPARE(fired.first().minutesLate, minutesLate);
        // What a notice names: the alarm's minute, and the file it started.
        QCOMPARE(fired.first().alarmTime,
                 QTime::fromString(QString::fromLatin1(stored.left(4)), QStringLiteral("HHmm")));
        const bool rang = fired.first().alarmFired();
        QCOMPARE(fired.first().fileName, rang ? QStringLiteral("b.mp3") : QString());
        QCOMPARE(r.player.urls, rang ? QStringList{"/music/b.mp3"} : QStringList());
        // Missing it is said once, with the minute and how late it was.
        QCOMPARE(r.reported.size(), rang ? 0 : 1);
        if (!rang)
            QVERIFY2(r.reported.first().contains(QStringLiteral("07:30")) &&
                         r.reported.first().contains(QString::number(minutesLate)),
                     qPrintable(r.reported.first()));
    }

    // Once the day's alarm has rung, its time file is not read again at each
    // new minute: one that cannot be read by then (grown huge) fails no tick,
    // and a click still plays.
    void afterTheAlarmItsTimeIsNotReadEachMinute()
    {
        Rig &r = *rig;
        r.playAt("0730\r\n");
        QCOMPARE(r.sweep(QTime(7, 30), QTime(7, 30, 1)), 1);
        r.player.putPlayState(PlayState::Stopped);
        std::filesystem::resize_file(
            QFile::encodeName(r.folder.path(SettingsFile::PlayTime)).toStdString(), 10'000'000);
        QCOMPARE(r.sweep(QTime(7, 30, 2), QTime(7, 33, 5)), 0);
        QVERIFY(r.reported.isEmpty());
        r.session.requestPlay();
        QVERIFY(r.run().urlSet);
    }

    // A minute the play timer has seen is not skipped: it rang in it (and the
    // clock was then set back, then the machine slept across it), or a tick
    // came in it while music played.
    void aMinuteSeenIsNotCaughtUp_data()
    {
        QTest::addColumn<QTime>("first");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("alarms");
        QTest::newRow("rang, set back, slept") << QTime(7, 30) << false << 1;
        QTest::newRow("music played in the minute") << QTime(7, 30, 30) << true << 0;
    }
    void aMinuteSeenIsNotCaughtUp()
    {
        QFETCH(QTime, first);
        QFETCH(bool, playing);
        QFETCH(int, alarms);
        Rig &r = *rig;
        r.playAt("0730\r\n");
        r.player.putPlayState(playing ? PlayState::Playing : PlayState::Stopped);
        int fired = r.sweep(first, first);
        r.player.putPlayState(PlayState::Stopped);
        if (alarms)
            fired += r.sweep(QTime(7, 29), QTime(7, 29)); // the clock set back
        fired += r.sweep(QTime(7, 45), QTime(7, 45));     // after a sleep across 07:30
        QCOMPARE(fired, alarms);
        QVERIFY(r.reported.isEmpty());
    }

    void everyConditionIsReadEachTickInOrder()
    {
        Rig &r = *rig;
        QStringList log;
        r.session.select(-1);
        r.player.log = &log;
        r.clock.onDateRead = [&log] { log.append(QStringLiteral("date")); };
        r.player.putPlayState(PlayState::Playing);

        // Both timers off and nothing selected: still all read, once each.
        r.run();
        QCOMPARE(log, (QStringList{"state", "date"}));
        QCOMPARE(r.clock.timeReads, 0);

        // The markers are tested after playState and before the date: files
        // that appear at the state read count, a marker gone at the date read
        // still counts.
        r.session.select(0);
        log.clear();
        r.player.putPlayState(PlayState::Stopped);
        r.clock.set(QTime(7, 30));
        r.player.onStateRead = [&r] { r.playAt("0730\r\n"); };
        r.clock.onDateRead = [&r, &log] {
            log.append(QStringLiteral("date"));
            QFile::remove(r.folder.path(SettingsFile::PlayMarker));
        };
        QVERIFY(r.run().alarmFired());
        // The date is read once more for storing it.
        QCOMPARE(log, (QStringList{"state", "date", "date"}));
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
        QList<AutoPlay> seen;
        connect(&r.player, &FakePlayer::StatusChange, this, [&] { seen.append(r.state()); });
        r.clock.set(QTime(7, 30));
        const TickResult first = r.run();
        QVERIFY(first.stopPressed && first.alarmFired() && first.requestConsumed && first.urlSet);
        QCOMPARE(r.player.calls, (QStringList{"stop", "url:/music/b.mp3"}));
        QCOMPARE(r.state(), AutoPlay::Idle);
        QCOMPARE(r.lastAlarmDate(), QStringLiteral("03-01-2024"));

        r.clock.advanceSecond();
        const TickResult second = r.run();
        QVERIFY(second.stopPressed && !second.alarmFired() && !second.urlSet);
        QCOMPARE(r.player.calls, (QStringList{"stop", "url:/music/b.mp3", "stop"}));
        QCOMPARE(r.state(), AutoPlay::Stopped);
        QCOMPARE(r.player.playState(), int(PlayState::Stopped));
        QCOMPARE(seen, (QList<AutoPlay>{AutoPlay::Idle, AutoPlay::Stopped}));
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
        r.session.showFolder(folder, {"a.mp3", "b.mp3"});
        r.session.select(index);
        r.reach(AutoPlay(before));
        const TickResult result = r.run();
        QCOMPARE(int(r.state()), after);
        QCOMPARE(result.requestConsumed, before == int(AutoPlay::Requested));
        QCOMPARE(result.urlSet, !urls.isEmpty());
        QCOMPARE(r.player.urls, urls);
    }

    void aFileChosenDuringTheStopMinuteNeverPlays()
    {
        Rig &r = *rig;
        r.stopAt("0730\r\n");
        for (QTime t(7, 30); t <= QTime(7, 30, 59); t = t.addSecs(10)) {
            r.reach(AutoPlay::Requested); // a click in the file list
            r.clock.set(t);
            r.run();
            QCOMPARE(r.state(), AutoPlay::Stopped);
        }
        QVERIFY(r.player.urls.isEmpty());

        r.reach(AutoPlay::Requested);
        r.clock.set(QTime(7, 31));
        QVERIFY(r.run().urlSet);
    }

    void aFailingTickEndsThereAndIsReportedOnce_data()
    {
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("deleted") << false;
        QTest::newRow("replaced by a folder") << true;
    }
    void aFailingTickEndsThereAndIsReportedOnce()
    {
        QFETCH(bool, asFolder);
        Rig &r = *rig;
        r.playAt("0730\r\n");
        r.clock.set(QTime(7, 30));
        r.reach(AutoPlay::Requested); // a request waiting for the pending play
        const QString path = r.folder.path(SettingsFile::PlayTime);
        r.clock.onDateRead = [&] {
            QFile::remove(path);
            if (asFolder)
                QDir().mkdir(path);
        };
        r.run();
        // The tick ended at the failing read: the request still waits.
        QCOMPARE(r.state(), AutoPlay::Requested);
        QVERIFY(r.lastAlarmDate().isEmpty());
        QVERIFY(r.player.calls.isEmpty());
        QCOMPARE(r.reported.size(), 1);
        QVERIFY2(r.reported.first().contains(QStringLiteral("playtime.ini")),
                 qPrintable(r.reported.first()));

        // Failing every second, it is reported once; once a tick gets through,
        // the next failure is news again.
        for (int i = 0; i < 5; ++i) {
            r.clock.advanceSecond();
            r.run();
        }
        QCOMPARE(r.reported.size(), 1);
        r.clock.onDateRead = nullptr;
        if (asFolder)
            QDir().rmdir(path);
        r.run();
        QCOMPARE(r.state(), AutoPlay::Idle);
        r.put(SettingsFile::PlayTime, "0730\r\n");
        r.clock.onDateRead = [&] { QFile::remove(path); };
        r.run();
        QCOMPARE(r.reported.size(), 2);
    }

    // A time file far too large (a sparse 100 GB file, a link to one, or just
    // 10 MB) is refused by its size every second without being read: the
    // ticks stay quick, the stop timer does nothing, the refusal names the
    // file once, and a sound file brings the timer back.
    void aHugeTimeFileIsRefusedEachTickWithoutReadingIt_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("100 GB sparse") << qint64(100) * 1024 * 1024 * 1024 << false;
        QTest::newRow("link to 100 GB sparse") << qint64(100) * 1024 * 1024 * 1024 << true;
        QTest::newRow("10 MB") << qint64(10'000'000) << false;
    }
    void aHugeTimeFileIsRefusedEachTickWithoutReadingIt()
    {
        namespace fs = std::filesystem;
        QFETCH(qint64, size);
        QFETCH(bool, throughLink);
        Rig &r = *rig;
        r.stopAt("0730\r\n");
        const QString path = r.folder.path(SettingsFile::StopTime);
        const QString target = throughLink ? r.dir.filePath(QStringLiteral("huge.bin")) : path;
        if (throughLink) {
            QVERIFY(QFile::rename(path, target));
            fs::create_symlink(target.toStdString(), path.toStdString());
        }
        fs::resize_file(target.toStdString(), std::uintmax_t(size));

        QElapsedTimer timer;
        timer.start();
        for (QTime t(7, 29, 50); t <= QTime(7, 30, 49); t = t.addSecs(1)) {
            r.clock.set(t);
            r.run();
        }
        // Sixty ticks; reading 10 MB each time would take far longer.
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(r.stopPresses, 0);
        QCOMPARE(r.reported.size(), 1);
        QVERIFY2(r.reported.first().contains(path), qPrintable(r.reported.first()));

        fs::resize_file(target.toStdString(), 4);
        r.run();
        QCOMPARE(r.stopPresses, 1);
    }

    // Whatever a tick meets, even an exception of no known type, ends that
    // tick only: it is reported once and the next ticks run.
    void anyExceptionEndsTheTickAndIsReportedOnce()
    {
        Rig &r = *rig;
        r.player.onStateRead = [] { throw 42; };
        for (int i = 0; i < 3; ++i) {
            const TickResult result = r.run();
            QVERIFY(!result.stopPressed && !result.alarmFired() && !result.requestConsumed);
        }
        QCOMPARE(r.reported.size(), 1);
        QVERIFY(!r.reported.first().isEmpty());
        r.player.onStateRead = nullptr;
        r.playAt("0730\r\n");
        r.clock.set(QTime(7, 30));
        QVERIFY(r.run().alarmFired());
    }
};

CHIMEBOX_TEST_MAIN(TestTick)
#include "test_playback_session_tick.moc"
