#include "core/playback/Alarm.h"

namespace chimebox::playback {

std::optional<OutputHold> raiseOutput(const OutputState &output)
{
    if (output.server != OutputState::Server::Ready || output.sink.isEmpty())
        return std::nullopt;
    const OutputLevel &now = output.level;
    const bool quiet = now.percent() < kOutputQuietPercent;
    if (!now.muted && !quiet)
        return std::nullopt;
    OutputLevel set = now;
    set.muted = false;
    if (quiet)
        set.channels = OutputLevel::at(kOutputRaisedPercent, now.channels.size()).channels;
    return OutputHold{output.sink, now, set};
}

OutputHold followOutput(OutputHold hold, const OutputState &output)
{
    if (output.server != OutputState::Server::Ready || output.sink != hold.sink)
        return hold;
    // Until the server shows the alarm's setting, what it shows is on the way
    // there, not the user's.
    if (output.level.muted == hold.set.muted)
        hold.muteSeen = true;
    else if (hold.muteSeen)
        hold.userMute = true;
    if (output.level.channels == hold.set.channels)
        hold.volumeSeen = true;
    else if (hold.volumeSeen)
        hold.userVolume = true;
    return hold;
}

std::optional<OutputLevel> restoreLevel(const OutputHold &hold, const OutputState &output)
{
    const bool putMute = hold.set.muted != hold.before.muted && !hold.userMute;
    const bool putVolume = hold.set.channels != hold.before.channels && !hold.userVolume;
    if (!putMute && !putVolume)
        return std::nullopt;
    // The output's other setting stays as it is now; if the player's sound has
    // moved elsewhere since, how it is now is not known here.
    OutputLevel level = output.sink == hold.sink ? output.level : hold.set;
    if (putMute)
        level.muted = hold.before.muted;
    if (putVolume)
        level.channels = hold.before.channels;
    return level;
}

} // namespace chimebox::playback
