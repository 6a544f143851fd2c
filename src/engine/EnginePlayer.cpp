#include "engine/EnginePlayer.h"

#include "base/Failure.h"
#include "base/NativeName.h"
#include "engine/ToneWav.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>

namespace chimebox::engine {

namespace {

constexpr int kPositionUpdateMs = 250;
// How far a file must get before it counts as having sounded: a few samples
// of a truncated file move the position a fraction of a millisecond.
constexpr double kSoundedSeconds = 0.01;

} // namespace

EnginePlayer::EnginePlayer(PlaybackEngine &engine, QObject *parent)
    : playback::Transport(parent), engine_(engine)
{
    positionThrottle_.setSingleShot(true);
    positionThrottle_.setInterval(kPositionUpdateMs);
    connect(&positionThrottle_, &QTimer::timeout, this,
            [this] { Q_EMIT positionChanged(position_); });

    connect(&engine_, &PlaybackEngine::fileStarted, this,
            [this](qint64 entryId) { startingId_ = entryId; });
    connect(&engine_, &PlaybackEngine::fileLoaded, this, &EnginePlayer::fileLoaded);
    connect(&engine_, &PlaybackEngine::fileEnded, this, &EnginePlayer::fileEnded);
    connect(&engine_, &PlaybackEngine::shutDown, this, &EnginePlayer::engineShutDown);
    connect(&engine_, &PlaybackEngine::pauseChanged, this, &EnginePlayer::setPaused);
    connect(&engine_, &PlaybackEngine::positionChanged, this, &EnginePlayer::enginePosition);
    connect(&engine_, &PlaybackEngine::durationChanged, this, &EnginePlayer::engineDuration);
    connect(&engine_, &PlaybackEngine::volumeChanged, this, &EnginePlayer::engineVolume);
    connect(&engine_, &PlaybackEngine::muteChanged, this, &EnginePlayer::engineMute);
}

EnginePlayer::~EnginePlayer() = default;

void EnginePlayer::fileLoaded()
{
    // The engine's fileLoaded belongs to the file whose fileStarted came last.
    if (startingId_ != entryId_ || entryId_ < 0)
        return;
    opened_ = true;
    setState(paused_ ? playback::Paused : playback::Playing);
}

void EnginePlayer::fileEnded(const FileEnd &end)
{
    if (end.entryId != entryId_ || entryId_ < 0)
        return;
    entryId_ = -1;
    setPosition(0);
    // What was prepared when the file played to its end follows it; after
    // any other end the engine must not go on to it.
    std::optional<Prepared> next;
    if (end.reason == EndReason::EndOfFile && heard_ && prepared_ && prepared_->entryId >= 0)
        next = std::exchange(prepared_, std::nullopt);
    else
        dropPrepared();
    const quint64 generation = generation_;
    switch (end.reason) {
    case EndReason::EndOfFile:
        if (!heard_) {
            // Only a header, or nothing the decoder could use: counted like a
            // file that cannot be played, so a folder of such files does not
            // go round for ever in silence.
            setState(playback::Stopped);
            if (generation == generation_)
                Q_EMIT playbackFailed(
                    QStringLiteral("「%1」からは音が出ませんでした").arg(currentName_), false);
            break;
        }
        // Listeners advance to the next file only on exactly this order.
        for (int state : {playback::MediaEnded, playback::Transitioning, playback::Stopped}) {
            setState(state);
            if (generation != generation_)
                return;
        }
        if (next)
            follow(*next);
        break;
    case EndReason::Failed:
    case EndReason::OutputFailed: {
        const bool outputFailed = end.reason == EndReason::OutputFailed;
        const QString reason =
            outputFailed
                ? QStringLiteral("音声を出力できません（%1）").arg(end.error)
                : QStringLiteral("「%1」を再生できません（%2）").arg(currentName_, end.error);
        setState(playback::Stopped);
        if (generation == generation_)
            Q_EMIT playbackFailed(reason, outputFailed);
        break;
    }
    case EndReason::Redirected:
        // A playlist or a folder: its entries would play under numbers nobody
        // follows, so refuse it like any other file that cannot be played.
        engine_.stop();
        setState(playback::Stopped);
        if (generation == generation_)
            Q_EMIT playbackFailed(
                QStringLiteral("「%1」は音声ファイルではありません").arg(currentName_), false);
        break;
    case EndReason::Stopped:
    case EndReason::Quit:
        setState(playback::Stopped);
        break;
    }
}

void EnginePlayer::engineShutDown()
{
    // Whatever the engine held went with it; the next file starts a new one,
    // whose numbers start afresh.
    startingId_ = -1;
    prepared_.reset();
    engineDuration(0);
    if (entryId_ < 0)
        return;
    entryId_ = -1;
    setPosition(0);
    // Counted like a file that cannot be played, so continuous play moves on
    // and gives up after a pass in which nothing sounded.
    const quint64 generation = generation_;
    setState(playback::Stopped);
    if (generation == generation_)
        Q_EMIT playbackFailed(
            QStringLiteral("「%1」の再生中に再生エンジンが終了しました").arg(currentName_), false);
}

void EnginePlayer::enginePosition(double seconds)
{
    // A file that follows another without a gap counts from below zero
    // while the sound before it runs out.
    seconds = std::max(0.0, seconds);
    if (opened_ && seconds >= kSoundedSeconds && !heard_) {
        heard_ = true;
        // Queued only now: a file that cannot be opened or gives no sound
        // must not lead the engine on to the next one on its own, and with a
        // file queued the engine tells of the end of a short one before
        // anything of it was heard.
        if (prepared_ && prepared_->entryId < 0)
            queuePrepared();
    }
    // Follows the clock many times a second; the bar needs a few.
    position_ = seconds;
    if (!positionThrottle_.isActive())
        positionThrottle_.start();
}

void EnginePlayer::engineDuration(double seconds)
{
    if (seconds == duration_)
        return;
    duration_ = seconds;
    Q_EMIT durationChanged(duration_);
}

void EnginePlayer::engineVolume(int volume)
{
    if (volume == volume_)
        return;
    volume_ = volume;
    Q_EMIT volumeChanged(volume_);
}

void EnginePlayer::engineMute(bool muted)
{
    if (muted == muted_)
        return;
    muted_ = muted;
    Q_EMIT muteChanged(muted_);
}

void EnginePlayer::setState(int state)
{
    if (state == state_)
        return;
    state_ = state;
    Q_EMIT StatusChange();
}

void EnginePlayer::setPosition(double seconds)
{
    positionThrottle_.stop();
    if (position_ == seconds)
        return;
    position_ = seconds;
    Q_EMIT positionChanged(position_);
}

void EnginePlayer::setPaused(bool paused)
{
    paused_ = paused;
    if (state_ == playback::Playing || state_ == playback::Paused)
        setState(paused ? playback::Paused : playback::Playing);
}

void EnginePlayer::load(const Source &source)
{
    ++generation_;
    // The engine forgets what was queued as it replaces what plays.
    prepared_.reset();
    try {
        engine_.start();
    } catch (const Failure &failure) {
        // Without an engine nothing can sound, whichever file comes next.
        reportFailureLater(failure.message(), true);
        return;
    }
    engine_.setPause(false);
    paused_ = false;
    opened_ = false;
    heard_ = false;
    const LoadResult loaded = engine_.loadFile(source.target, source.name);

    current_ = source;
    if (currentName_ != source.name) {
        currentName_ = source.name;
        Q_EMIT currentNameChanged(currentName_);
    }
    setPosition(0);
    if (loaded.entryId < 0) {
        // Reported like any file that cannot be played, not as a failure of
        // the caller.
        entryId_ = -1;
        const quint64 generation = generation_;
        setState(playback::Stopped);
        if (generation == generation_)
            reportFailureLater(
                QStringLiteral("「%1」を開けません（%2）").arg(source.name, loaded.error), false);
        return;
    }
    entryId_ = loaded.entryId;
    setState(playback::Transitioning);
}

void EnginePlayer::reportFailureLater(const QString &reason, bool outputFailed)
{
    // Like a failure the engine reports, it arrives after the call that
    // started the file has returned, so the caller has noted what it started.
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, reason, outputFailed] {
            if (generation == generation_)
                Q_EMIT playbackFailed(reason, outputFailed);
        },
        Qt::QueuedConnection);
}

EnginePlayer::Source EnginePlayer::sourceOf(const QString &url)
{
    // The engine reads a relative name against its own idea of the current
    // folder, and one that looks like "name://" as a protocol; an absolute
    // path is always a file.
    const QString path = QDir::isAbsolutePath(url) ? url : QDir::current().absoluteFilePath(url);
    return {nativename::encode(path), QFileInfo(url).fileName()};
}

void EnginePlayer::setURL(const QString &url)
{
    url_ = url;
    load(sourceOf(url));
}

QString EnginePlayer::URL() const
{
    return url_;
}

int EnginePlayer::playState() const
{
    return state_;
}

void EnginePlayer::stop()
{
    // The engine's stop forgets what was queued.
    prepared_.reset();
    if (entryId_ < 0)
        return;
    ++generation_;
    entryId_ = -1;
    // Silent before anyone hears of it: a listener may start the next file.
    engine_.stop();
    setPosition(0);
    setState(playback::Stopped);
}

void EnginePlayer::playChime()
{
    QByteArray target;
    try {
        target = chimeTarget();
    } catch (const Failure &failure) {
        // Like a file that cannot be opened: whatever follows an unplayable
        // file follows.
        stop();
        reportFailureLater(failure.message(), false);
        return;
    }
    load({target, QStringLiteral("チャイム")});
}

QByteArray EnginePlayer::chimeTarget()
{
    // The engine gets a short local path, not the whole sound in an address
    // that it would copy into its playlist and properties. Written when first
    // needed, so a start writes nothing, and kept for later chimes and replays.
    if (!chimeFile_) {
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                     QStringLiteral("/chimebox-chime-XXXXXX.wav"));
        const QByteArray wav = chimeWav();
        if (!file->open() || file->write(wav) != wav.size() || !file->flush())
            throw Failure(
                QStringLiteral("チャイムを用意できません（%1）").arg(file->errorString()));
        file->close();
        chimeFile_ = std::move(file);
    }
    return nativename::encode(chimeFile_->fileName());
}

void EnginePlayer::play()
{
    if (state_ == playback::Paused)
        engine_.setPause(false);
    else if (entryId_ < 0 && !current_.target.isEmpty())
        load(current_);
}

void EnginePlayer::pause()
{
    if (state_ == playback::Playing)
        engine_.setPause(true);
}

void EnginePlayer::togglePause()
{
    if (state_ == playback::Playing)
        pause();
    else
        play();
}

void EnginePlayer::seek(double seconds)
{
    if (state_ != playback::Playing && state_ != playback::Paused)
        return;
    engine_.seek(seconds);
    position_ = seconds;
}

void EnginePlayer::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume != volume_) {
        volume_ = volume;
        Q_EMIT volumeChanged(volume_);
    }
    engine_.setVolume(volume_);
}

void EnginePlayer::setMute(bool muted)
{
    if (muted != muted_) {
        muted_ = muted;
        Q_EMIT muteChanged(muted_);
    }
    engine_.setMute(muted_);
}

void EnginePlayer::prepareNext(const QString &url)
{
    // With nothing open there is nothing for it to follow.
    if (entryId_ < 0) {
        dropPrepared();
        return;
    }
    prepared_ = Prepared{url, sourceOf(url), -1};
    if (heard_)
        queuePrepared();
}

void EnginePlayer::queuePrepared()
{
    // The engine puts it in place of any file queued before.
    const LoadResult queued = engine_.queueFile(prepared_->source.target, prepared_->source.name);
    if (queued.entryId < 0) {
        // Not followed on to: continuous play opens it as any file, and
        // hears then why it cannot be played.
        dropPrepared();
        return;
    }
    prepared_->entryId = queued.entryId;
}

void EnginePlayer::follow(const Prepared &next)
{
    // The engine went on with it as the file before ran out.
    url_ = next.url;
    current_ = next.source;
    if (currentName_ != next.source.name) {
        currentName_ = next.source.name;
        Q_EMIT currentNameChanged(currentName_);
    }
    entryId_ = next.entryId;
    opened_ = false;
    heard_ = false;
    setState(playback::Transitioning);
}

void EnginePlayer::dropPrepared()
{
    const bool queued = prepared_ && prepared_->entryId >= 0;
    prepared_.reset();
    if (queued)
        engine_.dropQueued();
}

void EnginePlayer::preload()
{
    engine_.preload();
}

} // namespace chimebox::engine
