#include "core/playback/ContinuousPlay.h"

namespace chimebox::playback {

void onStatusChange(AutoPlay &state, const MediaPlayer &player, browse::FileListView &files)
{
    if (player.playState() == MediaEnded)
        state = AutoPlay::Ended;
    if (player.playState() == Transitioning && state == AutoPlay::Ended)
        state = AutoPlay::Transitioning;
    if (player.playState() == Stopped && state == AutoPlay::Transitioning) {
        state = AutoPlay::Requested;
        advanceSelection(files);
    }
}

void advanceSelection(browse::FileListView &files)
{
    const int index = files.listIndex();
    const int count = files.listCount();
    // Selecting index 0 of an empty list would fail; the tick then consumes the
    // request without a file.
    if (count <= 0)
        return;
    if (index == count - 1)
        files.setListIndex(0);
    else
        files.setListIndex(files.listIndex() + 1);
}

} // namespace chimebox::playback
