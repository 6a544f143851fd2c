#pragma once

#include "core/playback/Transport.h"
#include "engine/PlaybackEngine.h"

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class QTemporaryFile;

namespace chimebox::engine {

// The window's player: turns the engine's news into playState and its
// announcements, with MediaEnded, Transitioning, Stopped in that order at the
// end of a file, and reports files that cannot be played. The file prepared to
// follow is queued in the engine once the current one has sounded, and becomes
// the current one when that plays to its end.
class EnginePlayer final : public playback::Transport
{
    Q_OBJECT

public:
    explicit EnginePlayer(PlaybackEngine &engine, QObject *parent = nullptr);
    ~EnginePlayer() override;

    void setURL(const QString &url) override;
    QString URL() const override;
    int playState() const override;
    void stop() override;
    void playChime() override;

    void play() override;
    void pause() override;
    void togglePause() override;
    void seek(double seconds) override;
    void setVolume(int volume) override;
    void setMute(bool muted) override;
    void prepareNext(const QString &url) override;
    void dropPrepared() override;
    void preload() override;

    double position() const override { return position_; }
    double duration() const override { return duration_; }
    int volume() const override { return volume_; }
    bool isMuted() const override { return muted_; }
    QString currentName() const override { return currentName_; }

private:
    struct Source
    {
        QByteArray target; // the path the engine gets
        QString name;
    };

    // The file to follow the current one; entryId is the engine's number
    // once it is queued there.
    struct Prepared
    {
        QString url;
        Source source;
        qint64 entryId = -1;
    };

    static Source sourceOf(const QString &url);
    void load(const Source &source);
    void queuePrepared();
    void follow(const Prepared &next);
    QByteArray chimeTarget();
    void reportFailureLater(const QString &reason, bool outputFailed);
    void fileLoaded();
    void fileEnded(const FileEnd &end);
    void engineShutDown();
    void enginePosition(double seconds);
    void engineDuration(double seconds);
    void engineVolume(int volume);
    void engineMute(bool muted);
    void setState(int state);
    void setPosition(double seconds);
    void setPaused(bool paused);

    PlaybackEngine &engine_;
    QString url_;
    Source current_;
    std::optional<Prepared> prepared_;
    QString currentName_;
    // Written at the first chime and removed with the player.
    std::unique_ptr<QTemporaryFile> chimeFile_;
    int state_ = playback::Undefined;
    // The file this player follows; news of any other is a left-over of files
    // already replaced or stopped.
    qint64 entryId_ = -1;
    qint64 startingId_ = -1;
    // Bumped by every setURL, stop and playChime, so an announcement whose
    // listener started something new does not carry on with stale steps.
    quint64 generation_ = 0;

    bool paused_ = false;
    // The current file has opened, and its position has moved on from the
    // start: sound came out. A file that ends without either made none, whatever its
    // header claimed.
    bool opened_ = false;
    bool heard_ = false;
    double position_ = 0;
    double duration_ = 0;
    int volume_ = 50;
    bool muted_ = false;
    QTimer positionThrottle_;
};

} // namespace chimebox::engine
