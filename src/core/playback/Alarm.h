#pragma once

#include "core/playback/AudioOutput.h"

#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace chimebox::playback {

// What the play timer did at a tick.
enum class AlarmOutcome {
    None,
    OnTime,        // fired in its minute
    CaughtUp,      // fired on noticing that the clock had skipped its minute
    Missed,        // the skipped minute was too long ago to ring now
    CouldNotSound, // no audio output came back in time for it
};

// An alarm is heard: a player bar turned down this far is turned up, and an
// output this quiet is raised while the alarm sounds.
inline constexpr int kBarQuietPercent = 10;
inline constexpr int kBarRaisedPercent = 50;
inline constexpr int kOutputQuietPercent = 20;
inline constexpr int kOutputRaisedPercent = 50;
// Snooze rings again this much later.
inline constexpr int kSnoozeMinutes = 10;
// An alarm with nothing to play sounds its chime for this long at most.
inline constexpr int kChimeMinutes = 30;

// Why an alarm sounds its chime instead of music.
enum class ChimeReason {
    FolderMissing,    // the folder is gone (an unplugged stick, a share away)
    FolderUnreadable, // it is there but cannot be read
    NoFiles,          // it holds no file to play
    NothingPlays,     // every file failed
};

// The desktop's output as the alarm found it and what it set: put back when
// the alarm ends, except what the user changed in between.
struct OutputHold
{
    QString sink;
    OutputLevel before;
    OutputLevel set;
    // The server has reported the alarm's own setting of the switch, or of
    // the volume; a different value after that is the user's.
    bool muteSeen = false;
    bool volumeSeen = false;
    bool userMute = false;
    bool userVolume = false;

    bool unmuted() const { return before.muted && !set.muted; }
    bool raised() const { return set.channels != before.channels; }
};

// The level to set when the alarm starts sounding on this output: unmuted,
// and at kOutputRaisedPercent when under kOutputQuietPercent. None when it is
// loud enough, or unknown.
std::optional<OutputHold> raiseOutput(const OutputState &output);

// The hold after the server said how the output is now: the user's changes
// are told from the echo of the alarm's own.
OutputHold followOutput(OutputHold hold, const OutputState &output);

// What to put back when the alarm ends: what it changed and the user did not.
// None when nothing is left to put back.
std::optional<OutputLevel> restoreLevel(const OutputHold &hold, const OutputState &output);

// An alarm that is sounding, or trying to: from the tick that fired it until
// the stop that ends it.
struct AlarmRun
{
    AlarmOutcome outcome = AlarmOutcome::OnTime; // OnTime or CaughtUp
    // The play timer's minute, whatever time it rings at.
    QTime minute;
    int minutesLate = 0;
    // It rings again after a snooze.
    bool snoozed = false;
    QDateTime firedAt;
    // The file it started, which a snooze plays again; empty before it has
    // started one, and for the chime.
    QString file;
    // No audio output yet: the request is tried again at each tick.
    bool retryingOutput = false;
    // Sounding its chime, since when and why.
    std::optional<ChimeReason> chime;
    QDateTime chimingSince;
    // The desktop's output has been seen since it rang: raised then if it was
    // too quiet, and left to the user after that.
    bool outputChecked = false;
    std::optional<OutputHold> output;
};

// A snoozed alarm, waiting to ring again.
struct Snooze
{
    QDateTime at;
    AlarmRun alarm;
};

} // namespace chimebox::playback
