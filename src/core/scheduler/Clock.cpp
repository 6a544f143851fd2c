#include "scheduler/Clock.h"

#include <QDateTime>

namespace chimebox::scheduler {

QString SystemClock::timeText() const
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

QString SystemClock::dateText() const
{
    return QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy"));
}

} // namespace chimebox::scheduler
