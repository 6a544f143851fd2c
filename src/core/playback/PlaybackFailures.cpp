#include "core/playback/PlaybackFailures.h"

namespace chimebox::playback {

void PlaybackFailures::started(bool byAlarm)
{
    active_ = true;
    alarmFile_ = byAlarm;
    alarmUnheard_ = byAlarm;
}

void PlaybackFailures::played()
{
    failuresInRow_ = 0;
    alarmFile_ = false;
    alarmUnheard_ = false;
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
        // A sound server restarting after a resume comes back within moments;
        // an alarm waits for it.
        if (alarmUnheard_) {
            return {
                Action::RetryLater,
                QStringLiteral("アラームは、音声を出力できるようになるまで %1 分間試し続けます。")
                    .arg(kOutputRetryMinutes)};
        }
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
