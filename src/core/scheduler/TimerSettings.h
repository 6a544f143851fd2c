#pragma once

#include "core/scheduler/AlarmTime.h"
#include "core/settings/SettingsFiles.h"

#include <QString>

namespace chimebox::scheduler {

// What a change of the play timer's settings means for the alarm.
struct PlayTimerChange
{
    // It may ring again today, even in a minute it has rung in.
    bool rearm = true;
    // The timer is off: a snoozed alarm is forgotten.
    bool switchedOff = false;

    bool operator==(const PlayTimerChange &) const = default;
};

// The timer settings as the check boxes and time pickers write them. Nothing
// is kept in memory: the tick reads the files afresh every second. A failure
// to write or delete throws chimebox::Failure, and what the change would have
// meant for the alarm does not happen.
class TimerSettings
{
public:
    explicit TimerSettings(settings::SettingsFolder folder);

    // The stop timer's check box: value 1 writes the marker; any other value,
    // the greyed 2 included, deletes it when it is present.
    void switchStopTimer(int value);
    // The play timer's check box: the same for its marker; the alarm is armed
    // again for today, whichever way the box went.
    PlayTimerChange switchPlayTimer(int value);

    // Start-up has ended (its last act): the time pickers save from now on,
    // and not while start-up fills them. Never undone.
    void markFormLoaded() { formLoaded_ = true; }
    bool formLoaded() const { return formLoaded_; }

    // Once start-up has ended, the hour text directly followed by the minute
    // text, nothing trimmed.
    void saveStopTime(const QString &hour, const QString &minute);
    // Saved as the stop time is; the alarm is armed again, even before
    // start-up has ended.
    PlayTimerChange savePlayTime(const QString &hour, const QString &minute);

private:
    void switchMarker(settings::SettingsFile marker, int value);

    settings::SettingsFolder folder_;
    bool formLoaded_ = false;
};

} // namespace chimebox::scheduler
