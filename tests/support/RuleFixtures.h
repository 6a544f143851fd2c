#pragma once

#include "core/playback/PlayTimerRules.h"
#include "core/playback/SessionRules.h"

// States and readings the playback session's rules are tested from.
namespace rulefixtures {

using namespace chimebox::playback;

inline const QDateTime k0730(QDate(2024, 3, 1), QTime(7, 30, 5));

inline OutputState speakers(bool muted, int percent)
{
    OutputLevel level = OutputLevel::at(percent, 2);
    level.muted = muted;
    return {OutputState::Server::Ready, "speakers", {}, level};
}

// The alarm fired at 07:30:05 and asks for the second of three files.
inline SessionState fired()
{
    SessionState state;
    state.index = 1;
    TickResult result;
    fireAlarm(state, result, {AlarmOutcome::OnTime, QTime(7, 30), 0, "03-01-2024"}, 3, k0730);
    return state;
}

inline PendingPlay pending(const OutputState &output, bool barMuted = false, int barVolume = 50)
{
    return {{{"/music", 3}, output, k0730}, "b.mp3", "c.mp3", barMuted, barVolume, {}, Stopped};
}

// The alarm's file sounding, having found the output muted at 10 %.
inline SessionState ringing(Actions *actions = nullptr)
{
    SessionState state = fired();
    TickResult result;
    result.alarm = AlarmOutcome::OnTime;
    const Actions started = pendingPlay(state, result, pending(speakers(true, 10)));
    if (actions)
        *actions = started;
    return state;
}

} // namespace rulefixtures
