#pragma once

#include "core/browse/FileListView.h"
#include "core/playback/AutoPlay.h"
#include "core/playback/MediaPlayer.h"
#include "core/playback/PlaybackFailures.h"
#include "core/scheduler/AlarmTime.h"
#include "core/scheduler/Clock.h"
#include "core/settings/SettingsFiles.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTime>

namespace chimebox::playback {

// What the play timer did at a tick.
enum class AlarmOutcome {
    None,
    OnTime,        // fired in its minute
    CaughtUp,      // fired on noticing that the clock had skipped its minute
    Missed,        // the skipped minute was too long ago to ring now
    CouldNotSound, // no audio output came back in time for it
};

// What one tick did.
struct TickResult
{
    bool stopPressed = false; // the stop timer stopped playback
    AlarmOutcome alarm = AlarmOutcome::None;
    int minutesLate = 0;          // for CaughtUp and Missed
    QTime alarmTime;              // the play timer's minute, whatever the outcome
    QString fileName;             // the file the alarm started; empty for the chime
    bool requestConsumed = false; // a pending request was taken
    bool urlSet = false;          // the player was given a file

    // The play timer requested playback.
    bool alarmFired() const
    {
        return alarm == AlarmOutcome::OnTime || alarm == AlarmOutcome::CaughtUp;
    }
};

// Everything that decides what plays and when: the continuous-play machine,
// the day the alarm last sounded, what to do about files that cannot be
// played, and the one-second tick that starts every playback. The window's
// handlers each make one call here. Nothing is kept about the settings: the
// tick reads the files afresh every second.
class PlaybackSession : public QObject
{
    Q_OBJECT

public:
    PlaybackSession(MediaPlayer &player, browse::FileListView &files, const scheduler::Clock &clock,
                    settings::SettingsFolder folder, QObject *parent = nullptr);

    AutoPlay autoPlayState() const { return state_; }
    scheduler::LastAlarmDate &lastAlarmDate() { return lastAlarmDate_; }
    const scheduler::LastAlarmDate &lastAlarmDate() const { return lastAlarmDate_; }

    // The stop button, the stop timer and every change of folder. The state is
    // written before the player is called, so every notification the stop
    // raises finds Stopped and advances nothing.
    void stop();
    // A click on a file: the next tick plays whichever file is selected then.
    void requestPlay();
    // The player announced a change of playState.
    void statusChanged();
    // The player could not play its file: skip it, sound the chime for an
    // alarm, or give up after a whole pass in which nothing played.
    void playbackFailed(const QString &reason, bool outputFailed);

    // Stop timer, play timer, pending play, in that order. Never throws: a
    // step that fails ends the tick and is reported, once until a tick
    // succeeds again. The play timer fires in its minute, or, when the wall
    // clock skipped that minute since the last tick that got through, at once
    // if it is no more than kCatchUpMinutes late.
    TickResult tick();

Q_SIGNALS:
    // A failure for the user to read; nothing waits for an answer.
    void failureReported(const QString &text);
    // Continuous play was ended: the stop button, the stop timer or a change
    // of folder. Not raised between the files of continuous play.
    void stopped();

private:
    TickResult runTick();
    bool stopTimerDue() const;
    void playTimer(TickResult &result, const QDateTime &now);
    void fire(TickResult &result, AlarmOutcome outcome, const QString &date, QTime minute,
              int index, const QDateTime &now);
    void pendingPlay(TickResult &result, const QDateTime &now);
    void reportTickFailure(const QString &text);

    MediaPlayer &player_;
    browse::FileListView &files_;
    const scheduler::Clock &clock_;
    settings::SettingsFolder folder_;

    AutoPlay state_ = AutoPlay::Idle;
    scheduler::LastAlarmDate lastAlarmDate_;
    PlaybackFailures failures_;
    // The clock at the last tick that ran to its end: a minute skipped since
    // then is caught up.
    QDateTime previousTick_;
    // When the alarm last fired, and whether the pending request tries it
    // again because no audio output was there.
    QDateTime alarmFiredAt_;
    QTime alarmTime_;
    bool retryingAlarm_ = false;
    // Each kind of failure is reported once until things go right again: a
    // tick that fails every second until a tick succeeds, a folder that
    // cannot be played until something plays, the user picks a file or the
    // alarm fires.
    bool tickFailureShown_ = false;
    bool playbackFailureShown_ = false;
};

} // namespace chimebox::playback
