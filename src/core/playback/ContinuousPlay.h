#pragma once

#include "browse/FileListView.h"
#include "playback/MediaPlayer.h"

#include <QtGlobal>

// The continuous-play machine kept in the window's `autoPlayState`:
// 0 idle, 1 media ended, 2 transitioning after the end, 3 play requested,
// 4 stopped. Only the tick turns a request into playback.
namespace chimebox::playback {

namespace autoplay {
constexpr qint16 Idle = 0;
constexpr qint16 Ended = 1;
constexpr qint16 Transitioning = 2;
constexpr qint16 Requested = 3;
constexpr qint16 Stopped = 4;
} // namespace autoplay

// wmp1_StatusChange: three tests in order, each reading playState afresh, so a
// player that moves on between reads lets one notification take several steps.
void onStatusChange(qint16 &autoPlayState, const MediaPlayer &player, browse::FileListView &files);

// Moves the selection to the next file, wrapping from the last to the first;
// with nothing selected the first file. An empty list keeps its selection.
void advanceSelection(browse::FileListView &files);

// Command1_Click: the state is written before the player is called, so every
// notification the stop raises finds 4 and advances nothing.
void stopPlayback(qint16 &autoPlayState, MediaPlayer &player);

} // namespace chimebox::playback
