#include "playback/PlaybackSession.h"

#include "Failure.h"
#include "playback/ContinuousPlay.h"

#include <exception>
#include <utility>

namespace chimebox::playback {

using settings::SettingsFile;

PlaybackSession::PlaybackSession(MediaPlayer &player, browse::FileListView &files,
                                 const scheduler::Clock &clock, settings::SettingsFolder folder,
                                 QObject *parent)
    : QObject(parent), player_(player), files_(files), clock_(clock), folder_(std::move(folder))
{}

void PlaybackSession::stop()
{
    state_ = AutoPlay::Stopped;
    player_.stop();
    failures_.stopped();
}

void PlaybackSession::requestPlay()
{
    state_ = AutoPlay::Requested;
    playbackFailureShown_ = false;
}

void PlaybackSession::statusChanged()
{
    onStatusChange(state_, player_, files_);
    // A file played to its end: sound came out, so the files that failed
    // before it no longer count against the folder. Reaching Playing is not
    // enough: a file can open and end without a sound.
    if (player_.playState() == MediaEnded) {
        failures_.played();
        playbackFailureShown_ = false;
    }
}

void PlaybackSession::playbackFailed(const QString &reason, bool outputFailed)
{
    const PlaybackFailures::Decision decision = failures_.failed(outputFailed, files_.listCount());
    switch (decision.action) {
    case PlaybackFailures::Action::Ignore:
        break;
    case PlaybackFailures::Action::SkipToNext:
        state_ = AutoPlay::Requested;
        advanceSelection(files_);
        break;
    case PlaybackFailures::Action::PlayChime:
        player_.playChime();
        break;
    case PlaybackFailures::Action::GiveUp:
        state_ = AutoPlay::Stopped;
        break;
    }
    if (decision.message.isEmpty() || playbackFailureShown_)
        return;
    playbackFailureShown_ = true;
    // The reason for a silent output already says all there is to say.
    Q_EMIT failureReported(outputFailed ? reason : decision.message + u'\n' + reason);
}

TickResult PlaybackSession::tick()
{
    try {
        const TickResult result = runTick();
        tickFailureShown_ = false;
        return result;
    } catch (const Failure &failure) {
        reportTickFailure(failure.message());
    } catch (const std::exception &error) {
        reportTickFailure(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        // The tick runs every second for weeks: nothing may end the program.
        reportTickFailure(QStringLiteral("原因不明のエラーが発生しました。"));
    }
    return {};
}

void PlaybackSession::reportTickFailure(const QString &text)
{
    if (tickFailureShown_)
        return;
    tickFailureShown_ = true;
    Q_EMIT failureReported(text);
}

TickResult PlaybackSession::runTick()
{
    TickResult result;
    if (stopTimerDue()) {
        stop();
        result.stopPressed = true;
    }
    result.alarmFired = playTimerDue();
    pendingPlay(result);
    return result;
}

bool PlaybackSession::stopTimerDue() const
{
    const bool markerPresent = folder_.isPresent(SettingsFile::StopMarker);
    const bool timePresent = folder_.isPresent(SettingsFile::StopTime);
    return markerPresent && timePresent &&
           scheduler::isNow(folder_.readTime(SettingsFile::StopTime), clock_);
}

bool PlaybackSession::playTimerDue()
{
    // All five are read on every tick, in this order, whatever the earlier ones say.
    const bool selected = files_.listIndex() >= 0;
    const bool notPlaying = player_.playState() != Playing;
    const bool markerPresent = folder_.isPresent(SettingsFile::PlayMarker);
    const bool timePresent = folder_.isPresent(SettingsFile::PlayTime);
    const bool newDay = !lastAlarmDate_.firedOn(clock_.dateText());
    if (!(notPlaying && markerPresent && timePresent && newDay && selected))
        return false;
    if (!scheduler::isNow(folder_.readTime(SettingsFile::PlayTime), clock_))
        return false;
    lastAlarmDate_.fired(clock_.dateText());
    state_ = AutoPlay::Requested;
    return true;
}

void PlaybackSession::pendingPlay(TickResult &result)
{
    if (state_ != AutoPlay::Requested)
        return;
    state_ = AutoPlay::Idle;
    result.requestConsumed = true;
    const QString folder = files_.path();
    const int index = files_.listIndex();
    // Nothing selected: the request is used up and the player keeps what it has.
    if (index < 0)
        return;
    player_.setURL(folder + u'/' + files_.item(index));
    result.urlSet = true;
    failures_.started(result.alarmFired);
}

} // namespace chimebox::playback
