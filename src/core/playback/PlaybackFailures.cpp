#include "playback/PlaybackFailures.h"

namespace chimebox::playback {

void PlaybackFailures::started(bool byAlarm)
{
    active_ = true;
    alarmFile_ = byAlarm;
}

void PlaybackFailures::played()
{
    failuresInRow_ = 0;
    alarmFile_ = false;
}

void PlaybackFailures::stopped()
{
    *this = PlaybackFailures();
}

PlaybackFailures::Decision PlaybackFailures::failed(bool outputFailed, int listCount)
{
    if (!active_)
        return {};
    if (outputFailed) {
        // No file and no chime can be heard; going on would only spin.
        stopped();
        return {Action::GiveUp, QStringLiteral("音声を出力できません。")};
    }
    ++failuresInRow_;
    if (alarmFile_) {
        // Once per alarm: a failing chime falls through to the pass count.
        alarmFile_ = false;
        return {Action::PlayChime, {}};
    }
    if (failuresInRow_ >= listCount) {
        stopped();
        return {Action::GiveUp, QStringLiteral("再生できるファイルがありません。")};
    }
    return {Action::SkipToNext, {}};
}

} // namespace chimebox::playback
