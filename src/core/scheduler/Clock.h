#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace chimebox::scheduler {

// The time of day and the date as the tick reads them.
class Clock
{
public:
    virtual ~Clock() = default;
    // hh:mm:ss on the 24-hour clock, two digits each.
    virtual QString timeText() const = 0;
    // MM-dd-yyyy.
    virtual QString dateText() const = 0;
    // The same instant with its place in real time: date() and time() read
    // as the wall clock does, while the distance between two readings is real
    // time, so a daylight-saving change is told from a suspend or a clock set.
    virtual QDateTime now() const = 0;
};

// The texts of a given instant, as every clock of the program spells them.
QString timeTextOf(QTime time);
QString dateTextOf(QDate date);

class SystemClock final : public Clock
{
public:
    QString timeText() const override;
    QString dateText() const override;
    QDateTime now() const override;
};

} // namespace chimebox::scheduler
