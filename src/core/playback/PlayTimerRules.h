#pragma once

#include "core/browse/NameList.h"
#include "core/playback/SessionRules.h"
#include "core/settings/SettingsFiles.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

// The play timer's decisions at a tick, and a snooze's: whether the alarm
// rings now, rings late, or has missed its minute.
namespace chimebox::playback {

// What the play timer's files and the clock say at a tick, read in this order:
// whether the player plays, the marker, the time file, the date.
struct PlayTimerGate
{
    bool notPlaying = false;
    bool markerPresent = false;
    bool timePresent = false;
    bool newDay = false;
    bool skipped = false;

    // The time file is worth reading.
    bool readTime() const
    {
        return notPlaying && markerPresent && timePresent && (newDay || skipped);
    }
};

PlayTimerGate playTimerGate(const SessionState &state, bool notPlaying, bool markerPresent,
                            bool timePresent, const QString &date, const QDateTime &now);

// Whether the play timer rings, given its stored time; matchesNow is the
// stored time against the clock's minute.
struct AlarmDecision
{
    AlarmOutcome outcome = AlarmOutcome::None;
    QTime minute;
    int minutesLate = 0;
    // The day it rang for; for OnTime, today's, read once more from the clock.
    QString date;
    // It has not rung yet and will within kLoadAhead: the engine is made now.
    bool soon = false;
};

// How long before the alarm's minute the engine is made, so that its first
// sound does not wait for it.
inline constexpr int kLoadAheadSeconds = 120;

AlarmDecision decideAlarm(const SessionState &state, const PlayTimerGate &gate,
                          const settings::StoredTime &time, bool matchesNow, const QDateTime &now);

// The play timer rang (OnTime or CaughtUp: a request for the current file,
// else the folder's first) or missed its minute (said once, the day spent).
Actions fireAlarm(SessionState &state, TickResult &result, const AlarmDecision &decision,
                  int folderCount, const QDateTime &now);

// A snooze whose time has come: rings again when the player is quiet,
// choosing the same file as before when the folder still shows it.
Actions snoozeDue(SessionState &state, TickResult &result, bool notPlaying,
                  const browse::NameList &names, const QDateTime &now);

} // namespace chimebox::playback
