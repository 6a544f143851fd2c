#include "core/playback/PlaybackSession.h"

#include "base/Failure.h"
#include "core/playback/AlarmNotice.h"
#include "core/playback/ContinuousPlay.h"

#include <exception>
#include <optional>
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
    retryingAlarm_ = false;
    player_.stop();
    failures_.stopped();
    Q_EMIT stopped();
}

void PlaybackSession::requestPlay()
{
    state_ = AutoPlay::Requested;
    retryingAlarm_ = false;
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
    case PlaybackFailures::Action::RetryLater:
        state_ = AutoPlay::Requested;
        retryingAlarm_ = true;
        break;
    }
    if (decision.message.isEmpty() || playbackFailureShown_)
        return;
    playbackFailureShown_ = true;
    // The reason for a silent output already says what failed; what is done
    // about it follows.
    if (!outputFailed)
        Q_EMIT failureReported(decision.message + u'\n' + reason);
    else if (decision.action == PlaybackFailures::Action::RetryLater)
        Q_EMIT failureReported(reason + u'\n' + decision.message);
    else
        Q_EMIT failureReported(reason);
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
    const QDateTime now = clock_.now();
    TickResult result;
    if (stopTimerDue()) {
        stop();
        result.stopPressed = true;
    }
    playTimer(result, now);
    pendingPlay(result, now);
    previousTick_ = now;
    return result;
}

bool PlaybackSession::stopTimerDue() const
{
    const bool markerPresent = folder_.isPresent(SettingsFile::StopMarker);
    const bool timePresent = folder_.isPresent(SettingsFile::StopTime);
    return markerPresent && timePresent &&
           scheduler::isNow(folder_.readTime(SettingsFile::StopTime), clock_);
}

void PlaybackSession::playTimer(TickResult &result, const QDateTime &now)
{
    // All five are read on every tick, in this order, whatever the earlier ones say.
    const int index = files_.listIndex();
    const bool notPlaying = player_.playState() != Playing;
    const bool markerPresent = folder_.isPresent(SettingsFile::PlayMarker);
    const bool timePresent = folder_.isPresent(SettingsFile::PlayTime);
    const bool newDay = !lastAlarmDate_.firedOn(clock_.dateText());
    if (!(notPlaying && markerPresent && timePresent))
        return;
    const bool skipped = scheduler::skipsAMinute(previousTick_, now);
    if (!newDay && !skipped)
        return;
    const settings::StoredTime time = folder_.readTime(SettingsFile::PlayTime);
    if (newDay && scheduler::isNow(time, clock_)) {
        // A time that matched names the clock's minute.
        const QTime minute(now.time().hour(), now.time().minute());
        fire(result, AlarmOutcome::OnTime, clock_.dateText(), minute, index, now);
        return;
    }
    if (!skipped)
        return;

    // The wall clock jumped past the alarm's minute: a suspend, a stopped
    // process, a clock set forward or a daylight-saving gap.
    const std::optional<QTime> minute = scheduler::minuteOf(time);
    if (!minute)
        return;
    const std::optional<scheduler::SkippedMinute> passed =
        scheduler::skippedMinute(*minute, previousTick_, now);
    if (!passed)
        return;
    const QString date = scheduler::dateTextOf(passed->date);
    if (lastAlarmDate_.firedOn(date))
        return;
    result.minutesLate = passed->minutesLate;
    if (passed->minutesLate <= scheduler::kCatchUpMinutes) {
        fire(result, AlarmOutcome::CaughtUp, date, *minute, index, now);
        return;
    }
    // Too late to wake anyone: said once, and the day's alarm is spent.
    lastAlarmDate_.fired(date);
    result.alarm = AlarmOutcome::Missed;
    result.alarmTime = *minute;
    const AlarmNotice notice = *alarmNotice(result);
    Q_EMIT failureReported(notice.summary + u'。' + notice.body);
}

void PlaybackSession::fire(TickResult &result, AlarmOutcome outcome, const QString &date,
                           QTime minute, int index, const QDateTime &now)
{
    lastAlarmDate_.fired(date);
    state_ = AutoPlay::Requested;
    playbackFailureShown_ = false;
    alarmFiredAt_ = now;
    alarmTime_ = minute;
    result.alarm = outcome;
    result.alarmTime = minute;
    // Nothing selected, as after a start or a change of folder: the folder's
    // first file, from which continuous play goes on.
    if (index < 0 && files_.listCount() > 0)
        files_.setListIndex(0);
}

void PlaybackSession::pendingPlay(TickResult &result, const QDateTime &now)
{
    const bool retry = std::exchange(retryingAlarm_, false);
    if (state_ != AutoPlay::Requested)
        return;
    state_ = AutoPlay::Idle;
    result.requestConsumed = true;
    if (retry && alarmFiredAt_.secsTo(now) >= kOutputRetryMinutes * 60) {
        // Still no audio output: the message said so when it first failed.
        state_ = AutoPlay::Stopped;
        failures_.stopped();
        result.alarm = AlarmOutcome::CouldNotSound;
        result.alarmTime = alarmTime_;
        return;
    }
    const bool byAlarm = retry || result.alarmFired();
    const QString folder = files_.path();
    const int index = files_.listIndex();
    if (index < 0) {
        // A folder without files: an alarm still sounds, with the chime. Any
        // other request is used up and the player keeps what it has.
        if (byAlarm) {
            player_.playChime();
            failures_.started(true);
        }
        return;
    }
    const QString name = files_.item(index);
    player_.setURL(folder + u'/' + name);
    result.urlSet = true;
    if (byAlarm)
        result.fileName = name;
    failures_.started(byAlarm);
}

} // namespace chimebox::playback
