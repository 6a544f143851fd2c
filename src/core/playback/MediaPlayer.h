#pragma once

#include <QObject>
#include <QString>

namespace chimebox::playback {

// playState numbers as the window's handlers test them.
enum PlayState : int {
    Undefined = 0,
    Stopped = 1,
    Paused = 2,
    Playing = 3,
    MediaEnded = 8,
    Transitioning = 9,
    Ready = 10,
};

// What the window asks of its player `wmp1`. The player over the audio engine
// implements it; tests use a fake.
class MediaPlayer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the file and starts playing it at once.
    virtual void setURL(const QString &url) = 0;
    virtual QString URL() const = 0;
    virtual int playState() const = 0;
    // controls.stop: playback ends and playState becomes Stopped; on an idle
    // player it succeeds and changes nothing.
    virtual void stop() = 0;
    // A short sound of the player's own, for an alarm whose file cannot be
    // played. Its end is announced like the end of any file.
    virtual void playChime() = 0;

Q_SIGNALS:
    // Raised at every change of playState.
    void StatusChange();
    // The current file could not be played. Never raised inside setURL or
    // playChime: the caller has returned before it learns of the failure.
    // outputFailed: no sound can come out at all (no audio device, no
    // engine), so trying other files is pointless.
    void playbackFailed(const QString &reason, bool outputFailed);
};

} // namespace chimebox::playback
