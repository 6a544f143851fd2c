#pragma once

#include "core/playback/MediaPlayer.h"

#include <QString>

namespace chimebox::playback {

// The player as its transport bar drives it: the window's four operations
// plus pause, seek, volume and what plays now.
class Transport : public MediaPlayer
{
    Q_OBJECT

public:
    using MediaPlayer::MediaPlayer;

    // Resumes a paused file, or plays the last file again after a stop or
    // an end.
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void togglePause() = 0;
    virtual void seek(double seconds) = 0;
    // 0 to 100; other values are clamped.
    virtual void setVolume(int volume) = 0;
    virtual void setMute(bool muted) = 0;

    // The file continuous play will choose next, made ready to follow the
    // current one without a gap: when the current file ends, the end is
    // announced as ever (MediaEnded, Transitioning, Stopped) and then the
    // prepared file is the current one, opening or playing. Replaces what was
    // prepared before; setURL, stop and playChime drop it, as does
    // dropPrepared. A prepared file that fails is reported like any other.
    virtual void prepareNext(const QString &url) = 0;
    virtual void dropPrepared() = 0;
    // Loads the engine ahead of the first file, where it takes a while;
    // nothing when it is there already.
    virtual void preload() = 0;

    virtual double position() const = 0;
    virtual double duration() const = 0;
    virtual int volume() const = 0;
    virtual bool isMuted() const = 0;
    // The name shown for what plays now: the file's name, or the chime's.
    virtual QString currentName() const = 0;

Q_SIGNALS:
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void muteChanged(bool muted);
    void currentNameChanged(const QString &name);
};

} // namespace chimebox::playback
