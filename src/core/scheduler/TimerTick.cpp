#include "scheduler/TimerTick.h"

#include "playback/ContinuousPlay.h"

#include <QStringView>
#include <utility>

namespace chimebox::scheduler {

using settings::SettingsFile;

TimerTick::TimerTick(settings::SettingsFolder folder, const Clock &clock,
                     playback::MediaPlayer &player, browse::FileListView &files,
                     std::function<void()> stopButton)
    : folder_(std::move(folder)), clock_(clock), player_(player), files_(files),
      stopButton_(std::move(stopButton))
{}

TickResult TimerTick::run(qint16 &autoPlayState, QString &lastAlarmDate)
{
    TickResult result;
    result.stopPressed = stopTimer();
    result.alarmFired = playTimer(autoPlayState, lastAlarmDate);
    pendingPlay(autoPlayState, result);
    return result;
}

bool TimerTick::stopTimer()
{
    const bool markerPresent = folder_.isPresent(SettingsFile::StopMarker);
    const bool timePresent = folder_.isPresent(SettingsFile::StopTime);
    if (!(markerPresent && timePresent))
        return false;
    if (!matchesNow(SettingsFile::StopTime))
        return false;
    stopButton_();
    return true;
}

bool TimerTick::playTimer(qint16 &autoPlayState, QString &lastAlarmDate)
{
    // All five are read on every tick, in this order, whatever the earlier ones say.
    const bool selected = files_.listIndex() >= 0;
    const bool notPlaying = player_.playState() != playback::Playing;
    const bool markerPresent = folder_.isPresent(SettingsFile::PlayMarker);
    const bool timePresent = folder_.isPresent(SettingsFile::PlayTime);
    const bool newDay = clock_.dateText() != lastAlarmDate;
    if (!(notPlaying && markerPresent && timePresent && newDay && selected))
        return false;
    if (!matchesNow(SettingsFile::PlayTime))
        return false;
    lastAlarmDate = clock_.dateText();
    autoPlayState = playback::autoplay::Requested;
    return true;
}

void TimerTick::pendingPlay(qint16 &autoPlayState, TickResult &result)
{
    if (autoPlayState != playback::autoplay::Requested)
        return;
    autoPlayState = playback::autoplay::Idle;
    result.requestConsumed = true;
    const QString folder = files_.path();
    const int index = files_.listIndex();
    // Nothing selected: the request is used up and the player keeps what it has.
    if (index < 0)
        return;
    player_.setURL(folder + u'/' + files_.item(index));
    result.urlSet = true;
}

bool TimerTick::matchesNow(SettingsFile timeFile) const
{
    const QString wanted = settings::normalisedTime(folder_.read(timeFile));
    const QString now = clock_.timeText();
    return wanted == QStringView(now).left(5);
}

} // namespace chimebox::scheduler
