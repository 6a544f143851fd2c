#include "core/scheduler/AlarmTime.h"

#include <QStringView>
#include <QTimeZone>
#include <algorithm>

namespace chimebox::scheduler {

namespace {

// Two ASCII digits forming a number from 0 to last.
std::optional<int> twoDigits(const QString &text, int last)
{
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (text.size() != 2 || !digit(text[0]) || !digit(text[1]))
        return std::nullopt;
    const int value = (text[0].unicode() - u'0') * 10 + (text[1].unicode() - u'0');
    return value <= last ? std::optional<int>(value) : std::nullopt;
}

// The wall clock's reading at the start of its minute, as a plain number line:
// an hour skipped by daylight saving counts as an hour here.
QDateTime wallMinute(const QDateTime &instant)
{
    const QTime time = instant.time();
    return QDateTime(instant.date(), QTime(time.hour(), time.minute()), QTimeZone::utc());
}

} // namespace

bool isNow(const settings::StoredTime &time, const Clock &clock)
{
    const QString now = clock.timeText();
    return time.clockText() == QStringView(now).left(5);
}

std::optional<QTime> minuteOf(const settings::StoredTime &time)
{
    const std::optional<int> hour = twoDigits(time.hour, 23);
    const std::optional<int> minute = twoDigits(time.minute, 59);
    if (!hour || !minute)
        return std::nullopt;
    return QTime(*hour, *minute);
}

QString whyItNeverMatches(Timer timer, const QString &hour, const QString &minute)
{
    const settings::StoredTime time = settings::parseTime(hour + minute);
    if (minuteOf(time))
        return {};
    const QString what = timer == Timer::Play ? QStringLiteral("再生タイマーは鳴りません")
                                              : QStringLiteral("停止タイマは働きません");
    if (time.hour.isEmpty())
        return QStringLiteral("時刻が入っていないため、%1。").arg(what);
    return QStringLiteral("この時刻は %1 と読まれ、そのような時刻はないため、%2。\n"
                          "時は 00〜23、分は 00〜59 を、それぞれ 2 桁で入れてください。")
        .arg(time.clockText(), what);
}

bool skipsAMinute(const QDateTime &previousTick, const QDateTime &thisTick)
{
    return previousTick.isValid() && thisTick.isValid() &&
           wallMinute(previousTick).secsTo(wallMinute(thisTick)) > 60;
}

std::optional<SkippedMinute> skippedMinute(QTime minute, const QDateTime &previousTick,
                                           const QDateTime &thisTick)
{
    if (!skipsAMinute(previousTick, thisTick))
        return std::nullopt;
    const QDateTime from = wallMinute(previousTick);
    const QDateTime to = wallMinute(thisTick);
    QDateTime candidate(thisTick.date(), minute, QTimeZone::utc());
    if (candidate >= to)
        candidate = candidate.addDays(-1);
    if (candidate <= from)
        return std::nullopt;
    // After a sleep the wall clock and real time moved on together. After a
    // jump of the clock (set forward, or a daylight-saving gap) real time
    // moved on by no more than between the two ticks.
    const qint64 wallSeconds =
        candidate.secsTo(QDateTime(thisTick.date(), thisTick.time(), QTimeZone::utc()));
    const qint64 late = std::max<qint64>(0, std::min(previousTick.secsTo(thisTick), wallSeconds));
    return SkippedMinute{candidate.date(), int(late / 60)};
}

} // namespace chimebox::scheduler
