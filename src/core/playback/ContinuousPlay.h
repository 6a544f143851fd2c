#pragma once

#include "core/browse/FileListView.h"
#include "core/playback/AutoPlay.h"
#include "core/playback/MediaPlayer.h"

namespace chimebox::playback {

// The player's status change: three tests in order, each reading playState
// afresh, so a player that moves on between reads lets one notification take
// several steps. Media ended, transitioning and stopped, in that order, request
// the next file.
void onStatusChange(AutoPlay &state, const MediaPlayer &player, browse::FileListView &files);

// Moves the selection to the next file, wrapping from the last to the first;
// with nothing selected the first file. An empty list keeps its selection.
void advanceSelection(browse::FileListView &files);

} // namespace chimebox::playback
