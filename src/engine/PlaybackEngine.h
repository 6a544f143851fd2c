#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace chimebox::engine {

// Why the engine let go of a file.
enum class EndReason {
    EndOfFile,    // played to its end
    Stopped,      // replaced by another file or stopped
    Quit,         // the engine is going away
    Failed,       // could not be opened or decoded
    OutputFailed, // no audio output could be opened: nothing can sound
    Redirected,   // the file named other files to play instead
};

struct FileEnd
{
    qint64 entryId = -1;
    EndReason reason = EndReason::Stopped;
    // The engine's words for a failure; empty otherwise.
    QString error;
};

struct LoadResult
{
    // The engine's number for the file; its later news carries it. -1 when
    // the file was refused.
    qint64 entryId = -1;
    QString error;
};

// The audio engine as the player sees it: commands in, typed news out, always
// on the thread that owns it. The libmpv controller implements it; tests
// drive the player through a fake.
class PlaybackEngine : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Begins making the engine in the background, so that start() finds it
    // ready; nothing when it is running or on its way.
    virtual void preload() = 0;
    // Creates the engine if it is not running, or takes the one preload()
    // made, waiting for it; throws chimebox::Failure when it cannot be
    // created. Every command below but volume and mute needs it.
    virtual void start() = 0;
    // Replaces whatever plays with the file at path (the file system's bytes),
    // shown under title. Its news follows later, never inside this call.
    virtual LoadResult loadFile(const QByteArray &path, const QString &title) = 0;
    // Makes the file at path follow what plays now without a gap, in place of
    // any file queued before. Once the file before it has ended (fileEnded,
    // EndOfFile) the engine plays it: it is no longer queued, and its news
    // follows as any file's. Whatever else ends that file, the queued one must
    // be dropped.
    virtual LoadResult queueFile(const QByteArray &path, const QString &title) = 0;
    // Forgets the queued file, also when the engine has just gone on to it and
    // not yet told so.
    virtual void dropQueued() = 0;
    // Silences the engine; nothing queued stays.
    virtual void stop() = 0;
    virtual void setPause(bool paused) = 0;
    virtual void seek(double seconds) = 0;
    // Kept for the engine's next start when it is not running.
    virtual void setVolume(int volume) = 0;
    virtual void setMute(bool muted) = 0;

Q_SIGNALS:
    void fileStarted(qint64 entryId);
    // The file whose fileStarted came last is open and sounds (or is paused).
    void fileLoaded();
    void fileEnded(const chimebox::engine::FileEnd &end);
    void pauseChanged(bool paused);
    // 0 while nothing plays.
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void muteChanged(bool muted);
    // The engine ended on its own; files it had are gone. The next start()
    // creates a new one.
    void shutDown();
};

} // namespace chimebox::engine
