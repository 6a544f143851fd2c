#pragma once

#include "engine/PlaybackEngine.h"

#include <QString>
#include <atomic>

struct mpv_handle;
struct mpv_event;

namespace chimebox::engine {

// libmpv behind the engine's commands and signals. All of mpv's news reaches
// this object on the thread that owns it; nothing here waits for the engine
// to open or decode a file. libmpv itself is loaded by the first start().
class MpvController final : public PlaybackEngine
{
    Q_OBJECT

public:
    struct Options
    {
        // mpv's audio output drivers, first that opens wins; empty picks the
        // platform's usual ones.
        QString audioOutput;
    };

    explicit MpvController(Options options = {}, QObject *parent = nullptr);
    ~MpvController() override;

    void start() override;
    LoadResult loadFile(const QByteArray &path, const QString &title) override;
    void stop() override;
    void setPause(bool paused) override;
    void seek(double seconds) override;
    void setVolume(int volume) override;
    void setMute(bool muted) override;

private:
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void handleEndFile(const mpv_event &event);
    void handlePropertyChange(const mpv_event &event);
    void destroy();
    static void wakeup(void *self);

    Options options_;
    mpv_handle *mpv_ = nullptr;
    std::atomic<bool> wakeupPending_{false};
    int volume_ = 50;
    bool muted_ = false;
};

} // namespace chimebox::engine
