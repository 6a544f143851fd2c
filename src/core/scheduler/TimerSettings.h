#pragma once

#include "base/Failure.h"
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

// What the settings folder holds for a timer, as its check box and pickers
// show it.
struct StoredTimer
{
    int switchValue = 0; // 1 while its marker is there
    bool hasTime = false;
    QString hour;
    QString minute;

    bool operator==(const StoredTimer &) const = default;
};

// The timer settings as the check boxes and time pickers write them. Nothing
// is kept in memory: the tick reads the files afresh every second. A failure
// to write or delete throws chimebox::Failure saying, in the user's words,
// why and what the timer does now; nothing stored is damaged, and what the
// change would have meant for the alarm does not happen.
class TimerSettings
{
public:
    explicit TimerSettings(settings::SettingsFolder folder);

    // What is stored now: what a control whose change could not be saved
    // shows again.
    StoredTimer stored(Timer timer) const;

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
    void switchMarker(Timer timer, int value);
    void saveTime(Timer timer, const QString &hour, const QString &minute);
    [[noreturn]] void notSaved(Timer timer, const Failure &failure) const;

    settings::SettingsFolder folder_;
    bool formLoaded_ = false;
};

} // namespace chimebox::scheduler
