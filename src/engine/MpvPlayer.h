#pragma once

#include "playback/MediaPlayer.h"

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>

class QTemporaryFile;

struct mpv_handle;
struct mpv_event;

namespace chimebox::playback {

// The window's player over libmpv. All of mpv's news reaches this object on
// the UI thread; nothing here waits for the engine to open or decode a file.
class MpvPlayer final : public MediaPlayer
{
    Q_OBJECT

public:
    struct Options
    {
        // mpv's audio output driver; empty leaves mpv's own choice.
        QString audioOutput;
    };

    explicit MpvPlayer(Options options = {}, QObject *parent = nullptr);
    ~MpvPlayer() override;

    // Creates and initialises the engine; later calls do nothing. Anything
    // that needs the engine calls this itself.
    void start();

    void setURL(const QString &url) override;
    QString URL() const override;
    int playState() const override;
    void stop() override;
    void playChime() override;

    // Resumes a paused file, or plays the last file again after a stop or
    // an end.
    void play();
    void pause();
    void togglePause();
    void seek(double seconds);
    void setVolume(int volume);
    void setMute(bool muted);

    double position() const { return position_; }
    double duration() const { return duration_; }
    int volume() const { return volume_; }
    bool isMuted() const { return muted_; }
    // The name shown for what plays now: the file's name, or the chime's.
    QString currentName() const { return currentName_; }

Q_SIGNALS:
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void muteChanged(bool muted);
    void currentNameChanged(const QString &name);

private:
    struct Source
    {
        QByteArray target; // what loadfile gets
        QString name;
    };

    void load(const Source &source);
    QByteArray chimeTarget();
    void reportFailureLater(const QString &reason, bool outputFailed);
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void handleEndFile(const mpv_event &event);
    void handlePropertyChange(const mpv_event &event);
    void setState(int state);
    void setPosition(double seconds);
    void setPaused(bool paused);
    void command(std::initializer_list<const char *> args);
    static void wakeup(void *self);

    Options options_;
    mpv_handle *mpv_ = nullptr;
    std::atomic<bool> wakeupPending_{false};

    QString url_;
    Source current_;
    QString currentName_;
    // Written at the first chime and removed with the player.
    std::unique_ptr<QTemporaryFile> chimeFile_;
    int state_ = Undefined;
    // The playlist entry this player follows; events of any other entry are
    // left-overs of files already replaced or stopped.
    int64_t entryId_ = -1;
    int64_t startingId_ = -1;
    // Bumped by every setURL, stop and playChime, so an announcement whose
    // listener started something new does not carry on with stale steps.
    quint64 generation_ = 0;

    bool paused_ = false;
    double position_ = 0;
    double duration_ = 0;
    int volume_ = 50;
    bool muted_ = false;
    QTimer positionThrottle_;
};

} // namespace chimebox::playback
