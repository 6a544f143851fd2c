#pragma once

#include "core/playback/AlarmCheck.h"

namespace chimebox::playback {
class PlaybackSession;
}

namespace chimebox::app {

class FormControls;

// Marks each timer's pickers with what will not happen as they show: a ticked
// stop timer whose time never comes round, and what the ticked play timer's
// alarm would meet if it rang now. Returns the play timer's check, empty while
// it is off; with it on, the session follows the desktop's output.
playback::AlarmCheck markTimers(FormControls &ui, playback::PlaybackSession &session);

} // namespace chimebox::app
