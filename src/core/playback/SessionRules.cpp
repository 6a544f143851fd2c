#include "core/playback/SessionRules.h"

#include "core/playback/ContinuousPlay.h"
#include "core/playback/MediaPlayer.h"

#include <utility>

namespace chimebox::playback {

void Actions::append(const Actions &more)
{
    player.append(more.player);
    output.append(more.output);
    indexChanged = indexChanged || more.indexChanged;
    stopped = stopped || more.stopped;
    messages.append(more.messages);
    if (more.notice)
        notice = more.notice;
    noticeWithdrawn = noticeWithdrawn || more.noticeWithdrawn;
    alarmChanged = alarmChanged || more.alarmChanged;
}

namespace {

// The alarm is over: its notice goes, and the output is put back as the
// alarm found it, but for what the user changed since.
Actions endAlarm(SessionState &state, const OutputState &output)
{
    Actions actions;
    if (!state.alarm)
        return actions;
    if (const std::optional<OutputHold> &hold = state.alarm->output) {
        if (const std::optional<OutputLevel> level = restoreLevel(*hold, output))
            actions.output.append({hold->sink, *level});
    }
    state.alarm.reset();
    actions.noticeWithdrawn = true;
    actions.alarmChanged = true;
    return actions;
}

void moveTo(SessionState &state, Actions &actions, int index)
{
    state.index = index;
    actions.indexChanged = true;
}

ChimeReason chimeReason(const FolderView &folder)
{
    if (!folder.exists)
        return ChimeReason::FolderMissing;
    if (!folder.readable)
        return ChimeReason::FolderUnreadable;
    return folder.count == 0 ? ChimeReason::NoFiles : ChimeReason::NothingPlays;
}

// The alarm has nothing to play: its chime sounds over and over instead.
void startChiming(SessionState &state, Actions &actions, const FolderView &folder,
                  const QDateTime &now)
{
    state.alarm->chime = chimeReason(folder);
    state.alarm->chimingSince = now;
    actions.notice = ringingNotice(*state.alarm);
}

bool chimedLongEnough(const AlarmRun &alarm, const QDateTime &now)
{
    return alarm.chimingSince.secsTo(now) >= qint64(kChimeMinutes) * 60;
}

// The alarm starts a sound: a player bar turned down is turned up, and the
// desktop's output is raised if the alarm has not yet looked at it.
void makeHeard(SessionState &state, Actions &actions, const PendingPlay &play)
{
    if (play.barMuted)
        actions.player.append(PlayerCommand::of(PlayerCommand::Kind::Unmute));
    if (play.barVolume < kBarQuietPercent)
        actions.player.append(PlayerCommand::of(PlayerCommand::Kind::SetVolume, kBarRaisedPercent));
    actions.append(outputChanged(state, play.situation.output));
}

} // namespace

Actions stop(SessionState &state, const OutputState &output)
{
    state.autoPlay = AutoPlay::Stopped;
    state.followOn = false;
    state.failures.stopped();
    Actions actions;
    actions.player.append(PlayerCommand::of(PlayerCommand::Kind::Stop));
    actions.stopped = true;
    actions.append(endAlarm(state, output));
    if (std::exchange(state.snooze, std::nullopt))
        actions.alarmChanged = true;
    return actions;
}

Actions snooze(SessionState &state, const OutputState &output, const QDateTime &now)
{
    if (!state.alarm)
        return {};
    AlarmRun again = *state.alarm;
    Actions actions = stop(state, output);
    // Rung again from the start: its file, turned up anew.
    again.retryingOutput = false;
    again.chime.reset();
    again.outputChecked = false;
    again.output.reset();
    state.snooze = Snooze{now.addSecs(qint64(kSnoozeMinutes) * 60), again};
    actions.alarmChanged = true;
    return actions;
}

Actions close(SessionState &state, const OutputState &output)
{
    Actions actions = endAlarm(state, output);
    state.snooze.reset();
    return actions;
}

Actions requestPlay(SessionState &state)
{
    state.autoPlay = AutoPlay::Requested;
    state.followOn = false;
    state.playbackFailureShown = false;
    if (state.alarm)
        state.alarm->retryingOutput = false;
    Actions actions;
    actions.player.append(PlayerCommand::of(PlayerCommand::Kind::DropPrepared));
    return actions;
}

Actions select(SessionState &state, int index, const QString &nextUrl, bool playing)
{
    Actions actions;
    if (index == state.index)
        return actions;
    state.index = index;
    if (playing && !nextUrl.isEmpty())
        actions.player.append(PlayerCommand::prepare(nextUrl));
    return actions;
}

Actions playTimerChanged(SessionState &state, bool switchedOff)
{
    state.lastAlarmDate.rearm();
    Actions actions;
    if (switchedOff && std::exchange(state.snooze, std::nullopt))
        actions.alarmChanged = true;
    return actions;
}

Actions statusChanged(SessionState &state, const std::array<int, 3> &readings,
                      const Situation &situation)
{
    Actions actions;
    const StatusStep step = onStatusChange(state.autoPlay, readings);
    state.autoPlay = step.state;
    if (step.advance) {
        if (state.alarm && state.alarm->chime) {
            // The chime sounds again at the next tick, the folder stays where
            // it is; not for ever.
            if (chimedLongEnough(*state.alarm, situation.now)) {
                state.autoPlay = AutoPlay::Stopped;
                actions.stopped = true;
                actions.append(endAlarm(state, situation.output));
            }
        } else {
            moveTo(state, actions, nextIndex(state.index, situation.folder.count));
            state.followOn = true;
        }
    }
    // A file played to its end: sound came out, so the files that failed
    // before it no longer count against the folder. Reaching Playing is not
    // enough: a file can open and end without a sound.
    if (readings[0] == MediaEnded) {
        state.failures.played();
        state.playbackFailureShown = false;
    }
    return actions;
}

Actions playbackFailed(SessionState &state, const QString &reason, bool outputFailed,
                       const Situation &situation)
{
    const FolderView &folder = situation.folder;
    Actions actions;
    const auto report = [&](const QString &text) {
        if (!std::exchange(state.playbackFailureShown, true))
            actions.messages.append(text);
    };

    if (state.alarm && state.alarm->chime && state.failures.active()) {
        // The chime itself will not sound. Without an output it is tried
        // again at each tick, within the chime's time; otherwise nothing is
        // left to sound.
        state.autoPlay = outputFailed ? AutoPlay::Requested : AutoPlay::Stopped;
        if (!outputFailed) {
            state.failures.stopped();
            actions.stopped = true;
            actions.append(endAlarm(state, situation.output));
        }
        report(reason);
        return actions;
    }

    const PlaybackFailures::Decision decision = state.failures.failed(outputFailed, folder.count);
    switch (decision.action) {
    case PlaybackFailures::Action::Ignore:
        return actions;
    case PlaybackFailures::Action::SkipToNext:
        state.autoPlay = AutoPlay::Requested;
        state.followOn = true;
        moveTo(state, actions, nextIndex(state.index, folder.count));
        break;
    case PlaybackFailures::Action::PlayChime:
        actions.player.append(PlayerCommand::of(PlayerCommand::Kind::Chime));
        break;
    case PlaybackFailures::Action::GiveUp:
        if (state.alarm && !outputFailed) {
            // An alarm with nothing to play keeps sounding; the notice says why.
            state.autoPlay = AutoPlay::Requested;
            startChiming(state, actions, folder, situation.now);
            return actions;
        }
        state.autoPlay = AutoPlay::Stopped;
        actions.stopped = true;
        actions.append(endAlarm(state, situation.output));
        break;
    case PlaybackFailures::Action::RetryLater:
        state.autoPlay = AutoPlay::Requested;
        if (state.alarm)
            state.alarm->retryingOutput = true;
        break;
    }
    if (decision.message.isEmpty())
        return actions;
    // The reason for a silent output already says what failed; what is done
    // about it follows.
    if (!outputFailed)
        report(decision.message + u'\n' + reason);
    else if (decision.action == PlaybackFailures::Action::RetryLater)
        report(reason + u'\n' + decision.message);
    else
        report(reason);
    return actions;
}

Actions outputChanged(SessionState &state, const OutputState &output)
{
    Actions actions;
    if (!state.alarm)
        return actions;
    AlarmRun &alarm = *state.alarm;
    if (alarm.output) {
        alarm.output = followOutput(*alarm.output, output);
        return actions;
    }
    if (alarm.outputChecked || output.server != OutputState::Server::Ready)
        return actions;
    alarm.outputChecked = true;
    if (const std::optional<OutputHold> hold = raiseOutput(output)) {
        alarm.output = hold;
        actions.output.append({hold->sink, hold->set});
        actions.notice = ringingNotice(alarm);
    }
    return actions;
}

Abilities abilitiesOf(int playState, bool hasFile)
{
    const bool playing = playState == Playing;
    const bool paused = playState == Paused;
    const bool loaded = playing || paused || hasFile;
    return {loaded, loaded && !playing, playing, playing || paused,
            playing || paused || playState == Transitioning};
}

Actions pendingPlay(SessionState &state, TickResult &result, const PendingPlay &play)
{
    const QDateTime &now = play.situation.now;
    const FolderView &folder = play.situation.folder;
    Actions actions;
    const bool retry = state.alarm && std::exchange(state.alarm->retryingOutput, false);
    if (state.autoPlay != AutoPlay::Requested)
        return actions;
    state.autoPlay = AutoPlay::Idle;
    result.requestConsumed = true;
    const bool followOn = std::exchange(state.followOn, false);
    AlarmRun *alarm = state.alarm ? &*state.alarm : nullptr;
    if (retry && alarm->firedAt.secsTo(now) >= qint64(kOutputRetryMinutes) * 60) {
        // Still no audio output: the message said so when it first failed.
        state.autoPlay = AutoPlay::Stopped;
        state.failures.stopped();
        result.alarm = AlarmOutcome::CouldNotSound;
        result.alarmTime = alarm->minute;
        actions.stopped = true;
        actions.append(endAlarm(state, play.situation.output));
        actions.notice = silentNotice(AlarmOutcome::CouldNotSound, result.alarmTime, 0);
        return actions;
    }
    if (alarm && alarm->chime) {
        if (chimedLongEnough(*alarm, now)) {
            state.autoPlay = AutoPlay::Stopped;
            actions.stopped = true;
            actions.append(endAlarm(state, play.situation.output));
            return actions;
        }
        actions.player.append(PlayerCommand::of(PlayerCommand::Kind::Chime));
        state.failures.started(true);
        return actions;
    }

    // The play timer asked for this file now, or tries it again.
    const bool byAlarm = alarm && (retry || result.alarmFired());
    if (byAlarm)
        makeHeard(state, actions, play);
    if (state.index < 0 || play.name.isEmpty()) {
        // A folder without files: an alarm still sounds, with its chime. Any
        // other request is used up and the player keeps what it has.
        if (byAlarm) {
            startChiming(state, actions, folder, now);
            actions.player.append(PlayerCommand::of(PlayerCommand::Kind::Chime));
            state.failures.started(true);
        }
        return actions;
    }
    const QString url = folder.path + u'/' + play.name;
    const bool followingOn = followOn && !byAlarm && play.playerUrl == url &&
                             (play.playerState == Transitioning || play.playerState == Playing ||
                              play.playerState == Paused);
    // Continuous play went on with the file prepared for it, without a gap:
    // the request is used up by what already plays.
    if (!followingOn) {
        actions.player.append(PlayerCommand::open(url));
        result.urlSet = true;
    }
    if (!play.nextName.isEmpty())
        actions.player.append(PlayerCommand::prepare(folder.path + u'/' + play.nextName));
    if (byAlarm) {
        result.fileName = play.name;
        alarm->file = play.name;
    }
    // Said when it rings; a retry for an output rings nothing new.
    if (alarm && result.alarmFired())
        actions.notice = ringingNotice(*alarm);
    state.failures.started(byAlarm);
    return actions;
}

} // namespace chimebox::playback
