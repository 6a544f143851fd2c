#pragma once

#include "core/playback/Alarm.h"

#include <QString>
#include <QTime>

namespace chimebox::playback {

// What the desktop is told about the alarm, in the words a notification shows.
struct AlarmNotice
{
    QString summary;
    // Plain text: the file's name may hold anything.
    QString body;
    // Sounding now: the notice offers to stop it or snooze, and stays until
    // it stops.
    bool ringing = false;

    bool operator==(const AlarmNotice &) const = default;
};

// The notice of an alarm that sounds: its minute, how late, what it plays
// and what it did to be heard.
AlarmNotice ringingNotice(const AlarmRun &alarm);

// The notice of an alarm that did not sound (Missed or CouldNotSound), and
// the same words as one line for a message box.
AlarmNotice silentNotice(AlarmOutcome outcome, QTime minute, int minutesLate);
QString silentMessage(const AlarmNotice &notice);

} // namespace chimebox::playback
