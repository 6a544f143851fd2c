#include "playback/ContinuousPlay.h"

namespace chimebox::playback {

void onStatusChange(qint16 &autoPlayState, const MediaPlayer &player, browse::FileListView &files)
{
    if (player.playState() == MediaEnded)
        autoPlayState = autoplay::Ended;
    if (player.playState() == Transitioning && autoPlayState == autoplay::Ended)
        autoPlayState = autoplay::Transitioning;
    if (player.playState() == Stopped && autoPlayState == autoplay::Transitioning) {
        autoPlayState = autoplay::Requested;
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

void stopPlayback(qint16 &autoPlayState, MediaPlayer &player)
{
    autoPlayState = autoplay::Stopped;
    player.stop();
}

} // namespace chimebox::playback
