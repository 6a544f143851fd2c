#include "core/scheduler/TimerSettings.h"

#include <utility>

namespace chimebox::scheduler {

using settings::SettingsFile;

TimerSettings::TimerSettings(settings::SettingsFolder folder, LastAlarmDate &lastAlarmDate)
    : folder_(std::move(folder)), lastAlarmDate_(lastAlarmDate)
{}

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

void TimerSettings::switchPlayTimer(int value)
{
    switchMarker(SettingsFile::PlayMarker, value);
    lastAlarmDate_.rearm();
}

void TimerSettings::saveStopTime(const QString &hour, const QString &minute)
{
    if (formLoaded_)
        folder_.writeTime(SettingsFile::StopTime, hour, minute);
}

void TimerSettings::savePlayTime(const QString &hour, const QString &minute)
{
    if (formLoaded_)
        folder_.writeTime(SettingsFile::PlayTime, hour, minute);
    lastAlarmDate_.rearm();
}

} // namespace chimebox::scheduler
