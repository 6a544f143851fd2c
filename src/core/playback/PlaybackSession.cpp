#include "core/playback/PlaybackSession.h"

#include "base/Failure.h"
#include "core/browse/FolderScan.h"
#include "core/playback/ContinuousPlay.h"
#include "core/playback/PlayTimerRules.h"
#include "core/scheduler/AlarmTime.h"

#include <QFileInfo>
#include <exception>
#include <utility>

namespace chimebox::playback {

using settings::SettingsFile;

PlaybackSession::PlaybackSession(Transport &player, const scheduler::Clock &clock,
                                 settings::SettingsFolder folder, AudioOutput *output,
                                 QObject *parent)
    : QObject(parent), player_(player), clock_(clock), settings_(std::move(folder)), output_(output)
{
    if (output_)
        connect(output_, &AudioOutput::changed, this, &PlaybackSession::followOutput);
}

Abilities PlaybackSession::abilities() const
{
    return abilitiesOf(player_.playState(), !player_.currentName().isEmpty());
}

OutputState PlaybackSession::outputState() const
{
    return output_ ? output_->state() : OutputState{OutputState::Server::Absent, {}, {}, {}};
}

AlarmOutlook PlaybackSession::outlook() const
{
    AlarmOutlook outlook;
    outlook.folderExists = browse::isFolder(folder_);
    outlook.folderReadable = outlook.folderExists && browse::isReadableFolder(folder_);
    // The current file, else the folder's first, as the alarm chooses.
    const int index = state_.index >= 0 ? state_.index : (names_.isEmpty() ? -1 : 0);
    if (index >= 0) {
        outlook.file = names_.at(index);
        outlook.fileReadable = QFileInfo(folder_ + u'/' + outlook.file).isReadable();
    }
    outlook.output = outputState();
    outlook.barMuted = player_.isMuted();
    outlook.barVolume = player_.volume();
    if (state_.snooze)
        outlook.snoozedUntil = state_.snooze->at;
    return outlook;
}

void PlaybackSession::watchOutput()
{
    if (!output_ || std::exchange(watching_, true))
        return;
    QMetaObject::invokeMethod(output_, &AudioOutput::watch, Qt::QueuedConnection);
}

Situation PlaybackSession::situation() const
{
    const bool exists = browse::isFolder(folder_);
    return {{folder_, int(names_.size()), exists, exists && browse::isReadableFolder(folder_)},
            outputState(),
            clock_.now()};
}

void PlaybackSession::carryOut(const Actions &actions)
{
    using Kind = PlayerCommand::Kind;
    for (const PlayerCommand &command : actions.player) {
        switch (command.kind) {
        case Kind::Stop:
            player_.stop();
            break;
        case Kind::Open:
            player_.setURL(command.url);
            break;
        case Kind::Chime:
            player_.playChime();
            break;
        case Kind::Unmute:
            player_.setMute(false);
            break;
        case Kind::SetVolume:
            player_.setVolume(command.volume);
            break;
        case Kind::Prepare:
            player_.prepareNext(command.url);
            break;
        case Kind::DropPrepared:
            player_.dropPrepared();
            break;
        case Kind::Load:
            player_.preload();
            break;
        }
    }
    if (output_) {
        for (const OutputCommand &command : actions.output)
            output_->setLevel(command.sink, command.level);
    }
    if (actions.indexChanged)
        Q_EMIT currentIndexChanged(state_.index);
    if (actions.stopped)
        Q_EMIT stopped();
    for (const QString &text : actions.messages)
        Q_EMIT message(text);
    if (actions.noticeWithdrawn)
        Q_EMIT noticeWithdrawn();
    if (actions.notice)
        Q_EMIT noticeShown(*actions.notice);
    if (actions.alarmChanged)
        Q_EMIT alarmChanged();
}

void PlaybackSession::showFolder(const QString &folder, const browse::NameList &names)
{
    folder_ = folder;
    names_ = names;
    state_.index = -1;
}

void PlaybackSession::select(int index)
{
    if (index < 0 || index >= names_.size())
        index = -1;
    if (index == state_.index)
        return;
    const int next = index < 0 ? -1 : nextIndex(index, int(names_.size()));
    const QString nextUrl = next < 0 ? QString() : folder_ + u'/' + names_.at(next);
    const int state = player_.playState();
    const bool playing = state == Playing || state == Paused || state == Transitioning;
    carryOut(playback::select(state_, index, nextUrl, playing));
}

void PlaybackSession::requestPlay()
{
    carryOut(playback::requestPlay(state_));
}

void PlaybackSession::preload()
{
    player_.preload();
}

void PlaybackSession::stop()
{
    carryOut(playback::stop(state_, outputState()));
}

void PlaybackSession::snooze()
{
    carryOut(playback::snooze(state_, outputState(), clock_.now()));
}

void PlaybackSession::playTimerChanged(const scheduler::PlayTimerChange &change)
{
    if (change.rearm)
        carryOut(playback::playTimerChanged(state_, change.switchedOff));
}

void PlaybackSession::close()
{
    carryOut(playback::close(state_, outputState()));
    // The server must have the output back before this process goes.
    if (output_)
        output_->finish(500);
}

void PlaybackSession::play()
{
    if (abilities().play)
        player_.play();
}

void PlaybackSession::pause()
{
    if (abilities().pause)
        player_.pause();
}

void PlaybackSession::togglePause()
{
    if (abilities().pause)
        player_.pause();
    else
        play();
}

void PlaybackSession::seek(double seconds)
{
    if (abilities().seek)
        player_.seek(seconds);
}

void PlaybackSession::setVolume(int volume)
{
    player_.setVolume(volume);
}

void PlaybackSession::setMute(bool muted)
{
    player_.setMute(muted);
}

void PlaybackSession::statusChanged()
{
    // Each test reads playState afresh, as a player that moves on between
    // them may.
    const std::array<int, 3> readings{player_.playState(), player_.playState(),
                                      player_.playState()};
    carryOut(playback::statusChanged(state_, readings, situation()));
}

void PlaybackSession::playbackFailed(const QString &reason, bool outputFailed)
{
    carryOut(playback::playbackFailed(state_, reason, outputFailed, situation()));
}

void PlaybackSession::followOutput()
{
    carryOut(playback::outputChanged(state_, outputState()));
    Q_EMIT outputChanged();
}

TickResult PlaybackSession::tick()
{
    try {
        TickResult result = runTick();
        state_.tickFailureShown = false;
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
    if (!std::exchange(state_.tickFailureShown, true))
        Q_EMIT message(text);
}

TickResult PlaybackSession::runTick()
{
    const QDateTime now = clock_.now();
    TickResult result;
    if (stopTimerDue()) {
        stop();
        result.stopPressed = true;
    }
    playTimer(result, now);
    if (state_.autoPlay == AutoPlay::Requested) {
        const int count = int(names_.size());
        const auto nameAt = [&](int index) {
            return index >= 0 && index < count ? names_.at(index) : QString();
        };
        const QString name = nameAt(state_.index);
        const QString next = name.isEmpty() ? QString() : nameAt(nextIndex(state_.index, count));
        // Only continuous play moving on asks what the player has done since.
        const bool followOn = state_.followOn;
        carryOut(playback::pendingPlay(state_, result,
                                       {situation(), name, next, player_.isMuted(),
                                        player_.volume(), followOn ? player_.URL() : QString(),
                                        followOn ? player_.playState() : 0}));
    }
    state_.previousTick = now;
    return result;
}

bool PlaybackSession::stopTimerDue() const
{
    const bool markerPresent = settings_.isPresent(SettingsFile::StopMarker);
    const bool timePresent = settings_.isPresent(SettingsFile::StopTime);
    return markerPresent && timePresent &&
           scheduler::isNow(settings_.readTime(SettingsFile::StopTime), clock_);
}

void PlaybackSession::playTimer(TickResult &result, const QDateTime &now)
{
    // All are read on every tick, in this order, whatever the earlier ones say.
    const bool notPlaying = player_.playState() != Playing;
    const bool markerPresent = settings_.isPresent(SettingsFile::PlayMarker);
    const bool timePresent = settings_.isPresent(SettingsFile::PlayTime);
    const QString date = clock_.dateText();
    const PlayTimerGate gate =
        playTimerGate(state_, notPlaying, markerPresent, timePresent, date, now);
    if (gate.readTime()) {
        const settings::StoredTime time = settings_.readTime(SettingsFile::PlayTime);
        const bool matches = gate.newDay && scheduler::isNow(time, clock_);
        AlarmDecision decision = decideAlarm(state_, gate, time, matches, now);
        if (decision.outcome == AlarmOutcome::OnTime)
            decision.date = clock_.dateText();
        if (decision.outcome != AlarmOutcome::None) {
            carryOut(fireAlarm(state_, result, decision, int(names_.size()), now));
            // Set by hand in the settings folder, the alarm may ring unlooked-for.
            watchOutput();
            return;
        }
        if (decision.soon) {
            Actions load;
            load.player.append(PlayerCommand::of(PlayerCommand::Kind::Load));
            carryOut(load);
        }
    }
    carryOut(snoozeDue(state_, result, notPlaying, names_, now));
}

} // namespace chimebox::playback
