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

} // namespace chimebox::playback
