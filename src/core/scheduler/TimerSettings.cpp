#include "core/scheduler/TimerSettings.h"

#include <cerrno>
#include <exception>
#include <utility>

namespace chimebox::scheduler {

using settings::SettingsFile;

namespace {

SettingsFile markerOf(Timer timer)
{
    return timer == Timer::Play ? SettingsFile::PlayMarker : SettingsFile::StopMarker;
}

SettingsFile timeOf(Timer timer)
{
    return timer == Timer::Play ? SettingsFile::PlayTime : SettingsFile::StopTime;
}

// Why a write failed, as the start of a sentence.
QString because(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("ディスクに空きがないため");
    case EDQUOT:
        return QStringLiteral("ディスクの使用量の上限に達したため");
    case EROFS:
        return QStringLiteral("読み取り専用の場所のため");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込みが許されていないため");
    case ENOENT:
        return QStringLiteral("設定フォルダが見つからないため");
    default:
        return QStringLiteral("書き込みに失敗したため");
    }
}

// What the timer does with what is stored.
QString consequence(Timer timer, const StoredTimer &now)
{
    const bool play = timer == Timer::Play;
    if (now.switchValue != 1)
        return play ? QStringLiteral("再生タイマーは無効のままです。")
                    : QStringLiteral("停止タイマは無効のままです。");
    const std::optional<QTime> minute = minuteOf({now.hour, now.minute});
    if (!now.hasTime || !minute)
        return play ? QStringLiteral("時刻が保存されていないため、アラームは鳴りません。")
                    : QStringLiteral("時刻が保存されていないため、停止タイマは働きません。");
    const QString at = minute->toString(QStringLiteral("HH:mm"));
    return play ? QStringLiteral("アラームは %1 のままです。").arg(at)
                : QStringLiteral("停止タイマは %1 のままです。").arg(at);
}

} // namespace

TimerSettings::TimerSettings(settings::SettingsFolder folder) : folder_(std::move(folder)) {}

StoredTimer TimerSettings::stored(Timer timer) const
{
    StoredTimer now;
    now.switchValue = folder_.isPresent(markerOf(timer)) ? 1 : 0;
    if (!folder_.isPresent(timeOf(timer)))
        return now;
    try {
        const settings::StoredTime time = folder_.readTime(timeOf(timer));
        now = {now.switchValue, true, time.hour, time.minute};
    } catch (const std::exception &) {
        // Unreadable, it holds no time the tick could use either.
    }
    return now;
}

void TimerSettings::notSaved(Timer timer, const Failure &failure) const
{
    const QString what =
        timer == Timer::Play ? QStringLiteral("再生タイマー") : QStringLiteral("停止タイマ");
    throw Failure(because(failure.error()) +
                      QStringLiteral("、%1を保存できませんでした。").arg(what) +
                      consequence(timer, stored(timer)) + u'\n' + failure.message(),
                  failure.error());
}

void TimerSettings::switchMarker(Timer timer, int value)
{
    try {
        if (value == 1)
            folder_.writeMarker(markerOf(timer));
        else
            folder_.removeIfPresent(markerOf(timer));
    } catch (const Failure &failure) {
        notSaved(timer, failure);
    }
}

void TimerSettings::saveTime(Timer timer, const QString &hour, const QString &minute)
{
    if (!formLoaded_)
        return;
    try {
        folder_.writeTime(timeOf(timer), hour, minute);
    } catch (const Failure &failure) {
        notSaved(timer, failure);
    }
}

void TimerSettings::switchStopTimer(int value)
{
    switchMarker(Timer::Stop, value);
}

PlayTimerChange TimerSettings::switchPlayTimer(int value)
{
    switchMarker(Timer::Play, value);
    return {true, value != 1};
}

void TimerSettings::saveStopTime(const QString &hour, const QString &minute)
{
    saveTime(Timer::Stop, hour, minute);
}

PlayTimerChange TimerSettings::savePlayTime(const QString &hour, const QString &minute)
{
    saveTime(Timer::Play, hour, minute);
    return {};
}

} // namespace chimebox::scheduler
