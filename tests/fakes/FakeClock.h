#pragma once

#include "core/scheduler/Clock.h"

#include <QDateTime>
#include <QTimeZone>
#include <functional>

// A clock that stands still until a test moves it; reads are counted. It reads
// the wall clock of its time zone, UTC unless a test gives another, so moving
// it by seconds goes through that zone's daylight-saving changes.
class FakeClock : public chimebox::scheduler::Clock
{
public:
    explicit FakeClock(QDate date = QDate(2024, 3, 1), QTime time = QTime(7, 0),
                       const QTimeZone &zone = QTimeZone::utc())
        : now_(date, time, zone)
    {}

    mutable int timeReads = 0;
    mutable int dateReads = 0;
    // Runs at every date read: lets a test change the world at that moment.
    std::function<void()> onDateRead;

    QString timeText() const override
    {
        ++timeReads;
        return chimebox::scheduler::timeTextOf(now_.time());
    }
    QString dateText() const override
    {
        ++dateReads;
        if (onDateRead)
            onDateRead();
        return chimebox::scheduler::dateTextOf(now_.date());
    }
    QDateTime now() const override { return now_; }

    // The wall clock shows this time; as far as the program can tell, the
    // clock was set or the machine slept.
    void set(QTime time) { now_.setTime(time); }
    void set(QDate date, QTime time) { now_ = QDateTime(date, time, now_.timeZone()); }
    void advanceSecond(int seconds = 1) { now_ = now_.addSecs(seconds); }
    void advanceMinute(int minutes = 1) { now_ = now_.addSecs(60 * minutes); }
    void advanceDay(int days = 1) { now_ = now_.addDays(days); }

private:
    QDateTime now_;
};
