#pragma once

#include "core/playback/PlaybackSession.h"

#include <QString>
#include <optional>

namespace chimebox::playback {

// What the desktop is told when the play timer did something, in the words a
// notification shows.
struct AlarmNotice
{
    QString summary;
    // Plain text: the file's name may hold anything.
    QString body;
    // Sounding now: the notice offers to stop it and stays until it stops.
    bool ringing = false;
};

// The notice for a tick; none when the play timer did nothing.
std::optional<AlarmNotice> alarmNotice(const TickResult &tick);

} // namespace chimebox::playback
