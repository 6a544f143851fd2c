#include "scheduler/AlarmTime.h"

#include <QStringView>

namespace chimebox::scheduler {

bool isNow(const settings::StoredTime &time, const Clock &clock)
{
    const QString now = clock.timeText();
    return time.clockText() == QStringView(now).left(5);
}

} // namespace chimebox::scheduler
