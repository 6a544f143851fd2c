#pragma once

#include "scheduler/Clock.h"
#include "settings/SettingsFiles.h"

#include <QString>

namespace chimebox::scheduler {

// Whether a stored time names the clock's current minute: "hh:mm" formed from
// the stored hour and minute against the first five characters of the time of
// day. A time that forms no real hh:mm simply never matches.
bool isNow(const settings::StoredTime &time, const Clock &clock);

// The date on which the play timer last fired. The alarm sounds at most once
// per date text, until a change of the play timer's settings arms it again.
class LastAlarmDate
{
public:
    const QString &text() const { return date_; }
    bool firedOn(const QString &date) const { return date_ == date; }
    void fired(const QString &date) { date_ = date; }
    void rearm() { date_.clear(); }

private:
    QString date_;
};

} // namespace chimebox::scheduler
