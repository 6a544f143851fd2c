#pragma once

#include <QString>

namespace chimebox::playback {

// How long an alarm that finds no audio output keeps trying: long enough for
// a sound server restarting after a resume.
inline constexpr int kOutputRetryMinutes = 5;

// Decides what follows when the player reports that a file cannot be played,
// so that continuous play skips such files without circling for ever through
// a folder where nothing plays, and an alarm still makes a sound.
class PlaybackFailures
{
public:
    enum class Action {
        Ignore,     // no playback of ours is under way (stopped, or never started)
        SkipToNext, // request the next file, as at the end of a file
        PlayChime,  // the alarm's file failed: sound the player's own chime
        GiveUp,     // stop continuous play and show the message once
        RetryLater, // the alarm found no audio output yet: try it again
    };

    struct Decision
    {
        Action action = Action::Ignore;
        QString message;
    };

    // The tick gave the player a file; byAlarm when the play timer asked for it.
    void started(bool byAlarm);
    // A file played to its end, so sound came out: a new pass begins, and
    // the alarm, if it was one, has been heard.
    void played();
    // The stop button, the stop timer or a change of folder: forget everything.
    void stopped();
    // The player reported playbackFailed. listCount is the number of files in
    // the list, one pass through the folder.
    Decision failed(bool outputFailed, int listCount);
    // A file of ours is under way: one it started has not yet been stopped.
    bool active() const { return active_; }

private:
    bool active_ = false;
    bool alarmFile_ = false;
    // The alarm has not yet made a sound, chime or file.
    bool alarmUnheard_ = false;
    int failuresInRow_ = 0;
};

} // namespace chimebox::playback
