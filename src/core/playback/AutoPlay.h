#pragma once

#include <QtGlobal>

namespace chimebox::playback {

// The continuous-play machine. Only the tick turns a request into playback;
// the numbers are those the window's field has always held.
enum class AutoPlay : qint16 {
    Idle = 0,          // no request pending
    Ended = 1,         // the player reported the end of a file
    Transitioning = 2, // ... and then that it moves on
    Requested = 3,     // the next tick plays the file selected in the list
    Stopped = 4,       // continuous play cancelled
};

// A file is about to play: requested, or continuous play moving on to the next.
inline bool playPending(AutoPlay state)
{
    return state == AutoPlay::Requested || state == AutoPlay::Ended ||
           state == AutoPlay::Transitioning;
}

} // namespace chimebox::playback
