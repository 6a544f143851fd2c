#include "core/playback/AudioOutput.h"

#include <algorithm>

namespace chimebox::playback {

int OutputLevel::percent() const
{
    if (channels.isEmpty())
        return 0;
    const quint64 loudest = *std::max_element(channels.cbegin(), channels.cend());
    return int((loudest * 100 + kNormal / 2) / kNormal);
}

OutputLevel OutputLevel::at(int percent, qsizetype channelCount)
{
    const auto volume = quint32((quint64(std::max(0, percent)) * kNormal + 50) / 100);
    return {false, QList<quint32>(std::max<qsizetype>(1, channelCount), volume)};
}

} // namespace chimebox::playback
