#pragma once

#include "browse/FileListView.h"
#include "playback/MediaPlayer.h"
#include "scheduler/Clock.h"
#include "settings/SettingsFiles.h"

#include <QString>
#include <QtGlobal>
#include <functional>

namespace chimebox::scheduler {

// What one tick did, for the window to pass on (the failure policy wants to
// know that a file was started, and whether the alarm started it).
struct TickResult
{
    bool stopPressed = false;     // the stop timer called the stop button's handler
    bool alarmFired = false;      // the play timer requested playback
    bool requestConsumed = false; // a pending request was taken (state 3 to 0)
    bool urlSet = false;          // the player was given a file
};

// Timer1_Timer: stop timer, play timer, pending play, in that order, every
// second. Nothing is kept between ticks: the settings files, the clock, the
// player and the file list are read afresh each time.
class TimerTick
{
public:
    // stopButton is the stop button's handler: it sets autoPlayState to 4 and
    // stops the player.
    TimerTick(settings::SettingsFolder folder, const Clock &clock, playback::MediaPlayer &player,
              browse::FileListView &files, std::function<void()> stopButton);

    // A failing read or control call throws chimebox::Failure and the rest of
    // the tick does not run.
    TickResult run(qint16 &autoPlayState, QString &lastAlarmDate);

private:
    bool stopTimer();
    bool playTimer(qint16 &autoPlayState, QString &lastAlarmDate);
    void pendingPlay(qint16 &autoPlayState, TickResult &result);
    bool matchesNow(settings::SettingsFile timeFile) const;

    settings::SettingsFolder folder_;
    const Clock &clock_;
    playback::MediaPlayer &player_;
    browse::FileListView &files_;
    std::function<void()> stopButton_;
};

} // namespace chimebox::scheduler
