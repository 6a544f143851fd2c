#pragma once

#include "core/scheduler/Clock.h"
#include "core/settings/SettingsFiles.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace chimebox::scheduler {

// Whether a stored time names the clock's current minute: "hh:mm" formed from
// the stored hour and minute against the first five characters of the time of
// day. A time that forms no real hh:mm simply never matches.
bool isNow(const settings::StoredTime &time, const Clock &clock);

// The minute of the day a stored time names: two digits of hour 00 to 23 and
// two of minute 00 to 59. None for a time that can never match the clock.
std::optional<QTime> minuteOf(const settings::StoredTime &time);

// Why the times in a timer's pickers can never match the clock, for the
// pickers' tooltip; empty when they can. The texts are read as the tick reads
// the file they are stored in.
enum class Timer { Stop, Play };
QString whyItNeverMatches(Timer timer, const QString &hour, const QString &minute);

// A minute skipped by the wall clock longer ago than this is let go.
inline constexpr int kCatchUpMinutes = 30;

// A minute the wall clock passed between two ticks with no tick in it (the
// machine slept, the process was stopped, the clock was set forward, or a
// daylight-saving change skipped it).
struct SkippedMinute
{
    // The day the minute belongs to.
    QDate date;
    // Real time since the minute was passed: since the minute itself after a
    // sleep, no more than the time between the two ticks after a jump of the
    // clock.
    int minutesLate = 0;
};

// Whether the wall clock passed a whole minute between two ticks without a
// tick in it; cheap enough for every tick.
bool skipsAMinute(const QDateTime &previousTick, const QDateTime &thisTick);

// The latest time the minute came round strictly between the two ticks' wall
// clock minutes, if it did. A clock that went back skips nothing.
std::optional<SkippedMinute> skippedMinute(QTime minute, const QDateTime &previousTick,
                                           const QDateTime &thisTick);

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
