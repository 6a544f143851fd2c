#pragma once

#include "core/playback/AutoPlay.h"

#include <array>

namespace chimebox::playback {

// What one status notification of the player did to continuous play.
struct StatusStep
{
    AutoPlay state = AutoPlay::Idle;
    // Media ended, transitioning and stopped came in that order: the next
    // file is requested and the current file moves on.
    bool advance = false;
};

// The player's status change: three tests in order, each on a reading of
// playState of its own, so a player that moves on between the readings lets
// one notification take several steps.
StatusStep onStatusChange(AutoPlay state, const std::array<int, 3> &readings);

// The file after index in a folder of count files, wrapping from the last to
// the first; with nothing current, the first. An empty folder has none (-1).
int nextIndex(int index, int count);

} // namespace chimebox::playback
