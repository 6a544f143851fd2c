#include "core/scheduler/Clock.h"

namespace chimebox::scheduler {

QString timeTextOf(QTime time)
{
    // Leading zeros matter: the tick compares the first five characters with
    // a stored "07:30".
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString dateTextOf(QDate date)
{
    return date.toString(QStringLiteral("MM-dd-yyyy"));
}

QString SystemClock::timeText() const
{
    return timeTextOf(QTime::currentTime());
}

QString SystemClock::dateText() const
{
    return dateTextOf(QDate::currentDate());
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

} // namespace chimebox::scheduler
