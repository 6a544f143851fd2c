#include "core/playback/ContinuousPlay.h"

#include "core/playback/MediaPlayer.h"

namespace chimebox::playback {

StatusStep onStatusChange(AutoPlay state, const std::array<int, 3> &readings)
{
    StatusStep step{state, false};
    if (readings[0] == MediaEnded)
        step.state = AutoPlay::Ended;
    if (readings[1] == Transitioning && step.state == AutoPlay::Ended)
        step.state = AutoPlay::Transitioning;
    if (readings[2] == Stopped && step.state == AutoPlay::Transitioning) {
        step.state = AutoPlay::Requested;
        step.advance = true;
    }
    return step;
}

int nextIndex(int index, int count)
{
    // The first file of an empty folder does not exist; the tick then
    // consumes the request without a file.
    if (count <= 0)
        return -1;
    return index >= 0 && index < count - 1 ? index + 1 : 0;
}

} // namespace chimebox::playback
