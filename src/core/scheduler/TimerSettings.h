#pragma once

#include "core/scheduler/AlarmTime.h"
#include "core/settings/SettingsFiles.h"

#include <QString>

namespace chimebox::scheduler {

// The timer settings as the check boxes and time pickers write them. Nothing
// is kept in memory: the tick reads the files afresh every second. A failure
// to write or delete throws chimebox::Failure and skips the rest of the
// operation, the re-arming of the alarm included.
class TimerSettings
{
public:
    TimerSettings(settings::SettingsFolder folder, LastAlarmDate &lastAlarmDate);

    // The stop timer's check box: value 1 writes the marker; any other value,
    // the greyed 2 included, deletes it when it is present.
    void switchStopTimer(int value);
    // The play timer's check box: the same for its marker; then the alarm is
    // armed again for today, whichever way the box went.
    void switchPlayTimer(int value);

    // Start-up has ended (its last act): the time pickers save from now on,
    // and not while start-up fills them. Never undone.
    void markFormLoaded() { formLoaded_ = true; }
    bool formLoaded() const { return formLoaded_; }

    // Once start-up has ended, the hour text directly followed by the minute
    // text, nothing trimmed.
    void saveStopTime(const QString &hour, const QString &minute);
    // Saved as the stop time is; then the alarm is armed again, even before
    // start-up has ended.
    void savePlayTime(const QString &hour, const QString &minute);

private:
    void switchMarker(settings::SettingsFile marker, int value);

    settings::SettingsFolder folder_;
    LastAlarmDate &lastAlarmDate_;
    bool formLoaded_ = false;
};

} // namespace chimebox::scheduler
