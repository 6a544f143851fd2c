#include "scheduler/TimerSettings.h"

namespace chimebox::scheduler {

using settings::SettingsFile;

void switchMarker(const settings::SettingsFolder &folder, SettingsFile marker, int value)
{
    Q_ASSERT(marker == SettingsFile::StopMarker || marker == SettingsFile::PlayMarker);
    if (value == 1)
        folder.write(marker, QString());
    else
        folder.removeIfPresent(marker);
}

void switchPlayMarker(const settings::SettingsFolder &folder, int value, QString &lastAlarmDate)
{
    switchMarker(folder, SettingsFile::PlayMarker, value);
    lastAlarmDate.clear();
}

void saveStopTime(const settings::SettingsFolder &folder, bool formLoaded, const QString &hour,
                  const QString &minute)
{
    if (formLoaded)
        folder.write(SettingsFile::StopTime, hour + minute);
}

void savePlayTime(const settings::SettingsFolder &folder, bool formLoaded, const QString &hour,
                  const QString &minute, QString &lastAlarmDate)
{
    if (formLoaded)
        folder.write(SettingsFile::PlayTime, hour + minute);
    lastAlarmDate.clear();
}

} // namespace chimebox::scheduler
