#pragma once

#include "core/playback/Alarm.h"
#include "core/playback/AlarmNotice.h"
#include "core/playback/AutoPlay.h"
#include "core/playback/PlaybackFailures.h"
#include "core/scheduler/AlarmTime.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <array>
#include <optional>

// The playback session's decisions, each from the state and what was read to
// the next state and the actions that carry it out: nothing here calls out.
namespace chimebox::playback {

// Everything the session keeps between events.
struct SessionState
{
    AutoPlay autoPlay = AutoPlay::Idle;
    // The current file of the folder shown: the one that plays, or is about
    // to; -1 for none.
    int index = -1;
    // The pending request is continuous play moving on, which the player may
    // have done already with the file prepared for it.
    bool followOn = false;
    scheduler::LastAlarmDate lastAlarmDate;
    PlaybackFailures failures;
    // The clock at the last tick that ran to its end: a minute skipped since
    // then is caught up.
    QDateTime previousTick;
    std::optional<AlarmRun> alarm;
    std::optional<Snooze> snooze;
    // Each kind of failure is reported once until things go right again: a
    // tick that fails every second until a tick succeeds, a folder that
    // cannot be played until something plays, the user picks a file or an
    // alarm fires.
    bool tickFailureShown = false;
    bool playbackFailureShown = false;
};

// One thing for the player to do.
struct PlayerCommand
{
    enum class Kind {
        Stop,
        Open,      // url: play this file
        Chime,     // the player's own chime
        Unmute,    // the player bar's mute goes off
        SetVolume, // the player bar's volume: volume
        Prepare,   // url: the file to follow the current one without a gap
        DropPrepared,
        Load, // the engine is made ahead of the file that will need it
    };
    Kind kind = Kind::Stop;
    QString url;
    int volume = 0;

    static PlayerCommand open(const QString &url) { return {Kind::Open, url, 0}; }
    static PlayerCommand prepare(const QString &url) { return {Kind::Prepare, url, 0}; }
    static PlayerCommand of(Kind kind, int volume = 0) { return {kind, {}, volume}; }

    bool operator==(const PlayerCommand &) const = default;
};

// The desktop's output is set to level.
struct OutputCommand
{
    QString sink;
    OutputLevel level;

    bool operator==(const OutputCommand &) const = default;
};

// What a decision asks to be done, in this order: the player's commands, the
// output's, then what those who show the session are told.
struct Actions
{
    QList<PlayerCommand> player;
    QList<OutputCommand> output;
    // The current file changed.
    bool indexChanged = false;
    // Continuous play was ended.
    bool stopped = false;
    // Failures for the user to read; nothing waits for an answer.
    QStringList messages;
    // The alarm's notice is shown, or replaces the one shown before.
    std::optional<AlarmNotice> notice;
    // A ringing notice is taken away: the alarm ended.
    bool noticeWithdrawn = false;
    // The alarm or its snooze began or ended.
    bool alarmChanged = false;

    void append(const Actions &more);
};

// The folder shown as the rules need it.
struct FolderView
{
    QString path;
    int count = 0;
    // Whether it is still there and readable, for an alarm that finds
    // nothing to play.
    bool exists = true;
    bool readable = true;
};

// The world around a decision: the folder shown, the desktop's output as it
// is now, and the clock.
struct Situation
{
    FolderView folder;
    OutputState output;
    QDateTime now;
};

// Stop button, stop timer, a change of folder, the bar's stop, the desktop's
// stop, snooze and close all end here: continuous play ends, the player
// stops (after the state says so, so that every report the stop raises finds
// it), and an alarm ends: its notice withdrawn, the output put back as it was,
// a snooze forgotten. output is how the desktop's output is now.
Actions stop(SessionState &state, const OutputState &output);

// The ringing alarm goes quiet as stop() does, and rings again kSnoozeMinutes
// after now. Nothing without a ringing alarm.
Actions snooze(SessionState &state, const OutputState &output, const QDateTime &now);

// The program ends: an alarm's output is put back and a snooze is forgotten;
// the player is left as it is.
Actions close(SessionState &state, const OutputState &output);

// A click on a file: the next tick plays whichever file is current then;
// nothing prepared follows the file that plays now.
Actions requestPlay(SessionState &state);

// The user made another file current while one plays: the file prepared to
// follow is the one after it. nextUrl is that file; playing, whether the
// player has a file open.
Actions select(SessionState &state, int index, const QString &nextUrl, bool playing);

// The play timer's settings changed: it may ring again today; switched off,
// a snooze is forgotten.
Actions playTimerChanged(SessionState &state, bool switchedOff);

// The player announced a change of playState, read afresh for each test.
Actions statusChanged(SessionState &state, const std::array<int, 3> &readings,
                      const Situation &situation);

// The player could not play its file: skip it, sound the chime for an alarm,
// or give up after a whole pass in which nothing played.
Actions playbackFailed(SessionState &state, const QString &reason, bool outputFailed,
                       const Situation &situation);

// The desktop's output changed: the alarm raises an output it could not see
// when it started, and notices the user's own changes.
Actions outputChanged(SessionState &state, const OutputState &output);

// What the player bar and the desktop's player may do now: pause while
// playing, seek while a file is open, play what is loaded.
struct Abilities
{
    bool loaded = false; // a file is open, or can be played again
    bool play = false;
    bool pause = false;
    bool seek = false;
    bool stop = false;

    bool operator==(const Abilities &) const = default;
};

Abilities abilitiesOf(int playState, bool hasFile);

// What the tick did, for the notices and for tests.
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

// The pending play: a request turns into a file given to the player (or the
// chime, for an alarm with nothing to play). output is for the alarm: the
// player bar and the desktop's output are turned up as it starts.
struct PendingPlay
{
    Situation situation;
    // The name of the current file, and of the one continuous play takes
    // after it; empty without one.
    QString name;
    QString nextName;
    bool barMuted = false;
    int barVolume = 0;
    // What the player has open and whether it plays: continuous play may
    // have moved on to the prepared file already.
    QString playerUrl;
    int playerState = 0;
};

Actions pendingPlay(SessionState &state, TickResult &result, const PendingPlay &play);

} // namespace chimebox::playback
