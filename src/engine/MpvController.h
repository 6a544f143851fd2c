#pragma once

#include "engine/PlaybackEngine.h"

#include <QString>
#include <atomic>
#include <future>

struct mpv_handle;
struct mpv_event;

namespace chimebox::engine {

// libmpv behind the engine's commands and signals. All of mpv's news reaches
// this object on the thread that owns it; nothing here waits for the engine
// to open or decode a file. libmpv itself is loaded, and the engine made, on a
// thread of its own by preload(), or else by the first start().
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

    void preload() override;
    void start() override;
    LoadResult loadFile(const QByteArray &path, const QString &title) override;
    LoadResult queueFile(const QByteArray &path, const QString &title) override;
    void dropQueued() override;
    void stop() override;
    void setPause(bool paused) override;
    void seek(double seconds) override;
    void setVolume(int volume) override;
    void setMute(bool muted) override;

private:
    // A new engine, or why none could be made.
    struct Made
    {
        mpv_handle *handle = nullptr;
        QString failure;
    };
    // Runs on any thread: touches nothing of this object.
    static Made make(const QString &audioOutput);
    void adopt(mpv_handle *handle);
    // Runs a loadfile command; the new entry's number.
    LoadResult load(const char **args);
    void removeIfPlaying(qint64 entryId);
    void setGapless(bool gapless);
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void handleEndFile(const mpv_event &event);
    void handlePropertyChange(const mpv_event &event);
    void destroy();
    static void wakeup(void *self);

    Options options_;
    mpv_handle *mpv_ = nullptr;
    // The engine preload() is making.
    std::future<Made> making_;
    std::atomic<bool> wakeupPending_{false};
    // The file queued to follow the one that plays; -1 for none.
    qint64 queuedId_ = -1;
    bool gapless_ = false;
    int volume_ = 50;
    bool muted_ = false;
};

} // namespace chimebox::engine
