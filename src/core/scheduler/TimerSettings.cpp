#include "core/scheduler/TimerSettings.h"

#include <utility>

namespace chimebox::scheduler {

using settings::SettingsFile;

TimerSettings::TimerSettings(settings::SettingsFolder folder) : folder_(std::move(folder)) {}

void TimerSettings::switchMarker(SettingsFile marker, int value)
{
    if (value == 1)
        folder_.writeMarker(marker);
    else
        folder_.removeIfPresent(marker);
}

void TimerSettings::switchStopTimer(int value)
{
    switchMarker(SettingsFile::StopMarker, value);
}

PlayTimerChange TimerSettings::switchPlayTimer(int value)
{
    switchMarker(SettingsFile::PlayMarker, value);
    return {true, value != 1};
}

void TimerSettings::saveStopTime(const QString &hour, const QString &minute)
{
    if (formLoaded_)
        folder_.writeTime(SettingsFile::StopTime, hour, minute);
}

PlayTimerChange TimerSettings::savePlayTime(const QString &hour, const QString &minute)
{
    if (formLoaded_)
        folder_.writeTime(SettingsFile::PlayTime, hour, minute);
    return {};
}

} // namespace chimebox::scheduler
