#include "core/playback/PlayTimerRules.h"

#include <utility>

namespace chimebox::playback {

namespace {

void moveTo(SessionState &state, Actions &actions, int index)
{
    state.index = index;
    actions.indexChanged = true;
}

} // namespace

PlayTimerGate playTimerGate(const SessionState &state, bool notPlaying, bool markerPresent,
                            bool timePresent, const QString &date, const QDateTime &now)
{
    return {notPlaying, markerPresent, timePresent, !state.lastAlarmDate.firedOn(date),
            scheduler::skipsAMinute(state.previousTick, now)};
}

AlarmDecision decideAlarm(const SessionState &state, const PlayTimerGate &gate,
                          const settings::StoredTime &time, bool matchesNow, const QDateTime &now)
{
    if (!gate.readTime())
        return {};
    if (gate.newDay && matchesNow) {
        // A time that matched names the clock's minute.
        return {AlarmOutcome::OnTime, QTime(now.time().hour(), now.time().minute()), 0, {}};
    }
    const std::optional<QTime> minute = scheduler::minuteOf(time);
    AlarmDecision none;
    if (gate.newDay && minute) {
        const int ahead = now.time().secsTo(*minute);
        none.soon = ahead > 0 && ahead <= kLoadAheadSeconds;
    }
    if (!gate.skipped || !minute)
        return none;
    // The wall clock jumped past the alarm's minute: a suspend, a stopped
    // process, a clock set forward or a daylight-saving gap.
    const std::optional<scheduler::SkippedMinute> passed =
        scheduler::skippedMinute(*minute, state.previousTick, now);
    if (!passed)
        return none;
    const QString date = scheduler::dateTextOf(passed->date);
    if (state.lastAlarmDate.firedOn(date))
        return none;
    const AlarmOutcome outcome = passed->minutesLate <= scheduler::kCatchUpMinutes
                                     ? AlarmOutcome::CaughtUp
                                     : AlarmOutcome::Missed;
    return {outcome, *minute, passed->minutesLate, date};
}

Actions fireAlarm(SessionState &state, TickResult &result, const AlarmDecision &decision,
                  int folderCount, const QDateTime &now)
{
    Actions actions;
    result.alarm = decision.outcome;
    result.alarmTime = decision.minute;
    result.minutesLate = decision.minutesLate;
    state.lastAlarmDate.fired(decision.date);
    if (decision.outcome == AlarmOutcome::Missed) {
        // Too late to wake anyone: said once, and the day's alarm is spent.
        const AlarmNotice notice =
            silentNotice(AlarmOutcome::Missed, decision.minute, decision.minutesLate);
        actions.messages.append(silentMessage(notice));
        actions.notice = notice;
        return actions;
    }
    AlarmRun alarm;
    alarm.outcome = decision.outcome;
    alarm.minute = decision.minute;
    alarm.minutesLate = decision.minutesLate;
    alarm.firedAt = now;
    // An earlier alarm still under way keeps what it has to put back.
    if (state.alarm) {
        alarm.output = state.alarm->output;
        alarm.outputChecked = state.alarm->outputChecked;
    }
    state.alarm = alarm;
    state.snooze.reset();
    state.autoPlay = AutoPlay::Requested;
    state.followOn = false;
    state.playbackFailureShown = false;
    actions.alarmChanged = true;
    // Nothing current, as after a start or a change of folder: the folder's
    // first file, from which continuous play goes on.
    if (state.index < 0 && folderCount > 0)
        moveTo(state, actions, 0);
    return actions;
}

Actions snoozeDue(SessionState &state, TickResult &result, bool notPlaying,
                  const browse::NameList &names, const QDateTime &now)
{
    Actions actions;
    if (!state.snooze || now < state.snooze->at)
        return actions;
    const Snooze snoozed = *std::exchange(state.snooze, std::nullopt);
    actions.alarmChanged = true;
    const int minutesLate = int(snoozed.at.secsTo(now) / 60);
    result.alarmTime = snoozed.alarm.minute;
    result.minutesLate = minutesLate;
    if (minutesLate > scheduler::kCatchUpMinutes) {
        result.alarm = AlarmOutcome::Missed;
        const AlarmNotice notice =
            silentNotice(AlarmOutcome::Missed, snoozed.alarm.minute, minutesLate);
        actions.messages.append(silentMessage(notice));
        actions.notice = notice;
        return actions;
    }
    // Someone is listening to something else: they are awake.
    if (!notPlaying)
        return actions;
    AlarmRun alarm = snoozed.alarm;
    alarm.snoozed = true;
    alarm.outcome = minutesLate > 0 ? AlarmOutcome::CaughtUp : AlarmOutcome::OnTime;
    alarm.minutesLate = minutesLate;
    alarm.firedAt = now;
    state.alarm = alarm;
    state.autoPlay = AutoPlay::Requested;
    state.followOn = false;
    state.playbackFailureShown = false;
    result.alarm = alarm.outcome;
    const int same = int(names.indexOf(alarm.file));
    if (same >= 0)
        moveTo(state, actions, same);
    else if (state.index < 0 && !names.isEmpty())
        moveTo(state, actions, 0);
    return actions;
}

} // namespace chimebox::playback
