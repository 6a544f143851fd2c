#include "playback/PlaybackFailures.h"

#include "playback/ContinuousPlay.h"

namespace chimebox::playback {

void PlaybackFailures::started(bool byAlarm)
{
    active_ = true;
    alarmFile_ = byAlarm;
}

void PlaybackFailures::playing()
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

QString carryOut(const PlaybackFailures::Decision &decision, qint16 &autoPlayState,
                 MediaPlayer &player, browse::FileListView &files)
{
    switch (decision.action) {
    case PlaybackFailures::Action::Ignore:
        break;
    case PlaybackFailures::Action::SkipToNext:
        autoPlayState = autoplay::Requested;
        advanceSelection(files);
        break;
    case PlaybackFailures::Action::PlayChime:
        player.playChime();
        break;
    case PlaybackFailures::Action::GiveUp:
        autoPlayState = autoplay::Stopped;
        break;
    }
    return decision.message;
}

} // namespace chimebox::playback
