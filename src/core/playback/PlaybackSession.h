#pragma once

#include "core/browse/NameList.h"
#include "core/playback/AlarmCheck.h"
#include "core/playback/AudioOutput.h"
#include "core/playback/SessionRules.h"
#include "core/playback/Transport.h"
#include "core/scheduler/Clock.h"
#include "core/scheduler/TimerSettings.h"
#include "core/settings/SettingsFiles.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

namespace chimebox::playback {

// What plays and why: the folder shown and its current file, continuous play,
// the day the alarm last sounded, an alarm under way with what it changed to
// be heard, a snooze, and the one-second tick that starts every playback.
// Every wish about playback comes here (the window's list and stop button,
// the player bar, the desktop's media keys and notifications), and the player
// is reached from here alone. The decisions are SessionRules'; this carries
// them out and tells whoever shows the session. Nothing is kept about the
// settings: the tick reads the files afresh every second.
class PlaybackSession : public QObject
{
    Q_OBJECT

public:
    // output may be null: nothing is known of the desktop's output then.
    PlaybackSession(Transport &player, const scheduler::Clock &clock,
                    settings::SettingsFolder folder, AudioOutput *output = nullptr,
                    QObject *parent = nullptr);

    AutoPlay autoPlayState() const { return state_.autoPlay; }
    const scheduler::LastAlarmDate &lastAlarmDate() const { return state_.lastAlarmDate; }
    const std::optional<AlarmRun> &alarm() const { return state_.alarm; }
    const std::optional<Snooze> &snoozed() const { return state_.snooze; }

    // The folder whose files are shown and played, and its current file: -1
    // for none.
    const QString &folder() const { return folder_; }
    const browse::NameList &names() const { return names_; }
    int currentIndex() const { return state_.index; }

    // The player, to show and to follow; what it is asked to do goes through
    // the session.
    const Transport &player() const { return player_; }
    Abilities abilities() const;
    // The desktop's output as last heard of.
    OutputState outputState() const;
    // What the alarm would meet if it rang now, but for the timer's own
    // settings; a look at the folder and the file, nothing opened.
    AlarmOutlook outlook() const;
    // The desktop's output is worth following: an alarm is set. Begins once
    // the event loop runs, so never before the window is up.
    void watchOutput();

    // The file list now shows these files of folder, none of them current.
    void showFolder(const QString &folder, const browse::NameList &names);
    // The user made another file current (-1 for none).
    void select(int index);
    // A click on a file: the next tick plays whichever file is current then.
    void requestPlay();
    // Every stop: the stop button, the stop timer, a change of folder, the
    // player bar's stop, the desktop's. Continuous play ends, the player
    // stops, and an alarm under way ends with what it changed put back.
    void stop();
    // The ringing alarm goes quiet and rings again kSnoozeMinutes later.
    void snooze();
    // The play timer's check box or time changed.
    void playTimerChanged(const scheduler::PlayTimerChange &change);
    // The program is ending: the alarm's output is put back before it goes.
    void close();
    // The window is up and nothing else is to be done: the engine is loaded
    // now, so that the first file sounds as soon as the later ones.
    void preload();

    // The player bar's and the desktop's wishes, as far as abilities() allow.
    void play();
    void pause();
    void togglePause();
    void seek(double seconds);
    void setVolume(int volume);
    void setMute(bool muted);

    // The player announced a change of playState.
    void statusChanged();
    // The player could not play its file.
    void playbackFailed(const QString &reason, bool outputFailed);

    // Stop timer, play timer (and a snooze), pending play, in that order.
    // Never throws: a step that fails ends the tick and is reported, once
    // until a tick succeeds again.
    TickResult tick();

Q_SIGNALS:
    void currentIndexChanged(int index);
    // Continuous play was ended: a stop, or a folder where nothing plays. Not
    // raised between the files of continuous play.
    void stopped();
    // A failure for the user to read; nothing waits for an answer.
    void message(const QString &text);
    // The alarm's notice, shown or replacing the one before.
    void noticeShown(const chimebox::playback::AlarmNotice &notice);
    // The alarm ended: a ringing notice goes.
    void noticeWithdrawn();
    // An alarm or a snooze began or ended.
    void alarmChanged();
    // The desktop's output changed.
    void outputChanged();

private:
    TickResult runTick();
    bool stopTimerDue() const;
    void playTimer(TickResult &result, const QDateTime &now);
    Situation situation() const;
    void followOutput();
    void reportTickFailure(const QString &text);
    void carryOut(const Actions &actions);

    Transport &player_;
    const scheduler::Clock &clock_;
    settings::SettingsFolder settings_;
    AudioOutput *output_;
    QString folder_;
    browse::NameList names_;
    SessionState state_;
    bool watching_ = false;
};

} // namespace chimebox::playback
