#pragma once

#include "scheduler/Clock.h"

#include <QDateTime>
#include <functional>

// A clock that stands still until a test moves it; reads are counted.
class FakeClock : public chimebox::scheduler::Clock
{
public:
    explicit FakeClock(QDate date = QDate(2024, 3, 1), QTime time = QTime(7, 0))
        : now_(date, time, Qt::UTC)
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

    void set(QTime time) { now_.setTime(time); }
    void set(QDate date, QTime time) { now_ = QDateTime(date, time, Qt::UTC); }
    void advanceSecond(int seconds = 1) { now_ = now_.addSecs(seconds); }
    void advanceMinute(int minutes = 1) { now_ = now_.addSecs(60 * minutes); }
    void advanceDay(int days = 1) { now_ = now_.addDays(days); }

private:
    QDateTime now_;
};
