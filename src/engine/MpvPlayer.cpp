#include "MpvPlayer.h"

#include "Failure.h"
#include "MpvLibrary.h"
#include "NativeName.h"
#include "ToneWav.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <vector>

namespace chimebox::playback {

namespace {

// Property observers are told apart by their reply id.
enum Observed : uint64_t {
    ObservedPause = 1,
    ObservedTimePos,
    ObservedDuration,
    ObservedVolume,
    ObservedMute,
};

constexpr int kPositionUpdateMs = 250;

// Loaded by the first start(): a library that cannot be loaded is an engine
// that cannot start.
const MpvLibrary &mpv()
{
    return MpvLibrary::get();
}

QString mpvError(int code)
{
    return QString::fromUtf8(mpv().errorString(code));
}

} // namespace

MpvPlayer::MpvPlayer(Options options, QObject *parent)
    : MediaPlayer(parent), options_(std::move(options))
{
    positionThrottle_.setSingleShot(true);
    positionThrottle_.setInterval(kPositionUpdateMs);
    connect(&positionThrottle_, &QTimer::timeout, this,
            [this] { Q_EMIT positionChanged(position_); });
}

MpvPlayer::~MpvPlayer()
{
    if (mpv_ == nullptr)
        return;
    // mpv's threads must not reach this object while it goes away.
    mpv().setWakeupCallback(mpv_, nullptr, nullptr);
    mpv().terminateDestroy(mpv_);
}

void MpvPlayer::start()
{
    if (mpv_ != nullptr)
        return;
    // mpv parses numbers the C way and refuses to start under a locale with
    // a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle *handle = mpv().create();
    if (handle == nullptr)
        throw Failure(QStringLiteral("再生エンジンを作成できません"));

    const QByteArray volume = QByteArray::number(volume_);
    std::vector<std::pair<const char *, QByteArray>> settings = {
        {"idle", "yes"},
        {"vid", "no"},
        {"audio-display", "no"},
        {"force-window", "no"},
        {"osd-level", "0"},
        {"gapless-audio", "no"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"volume", volume},
        {"mute", muted_ ? "yes" : "no"},
        {"speed", "1"},
        {"audio-client-name", "chimebox"},
    };
    if (!options_.audioOutput.isEmpty())
        settings.emplace_back("ao", options_.audioOutput.toUtf8());
    for (const auto &[name, value] : settings) {
        const int rc = mpv().setOptionString(handle, name, value.constData());
        if (rc < 0) {
            mpv().terminateDestroy(handle);
            throw Failure(QStringLiteral("再生エンジンの設定 %1 に失敗しました（%2）")
                              .arg(QString::fromLatin1(name), mpvError(rc)));
        }
    }
    const int rc = mpv().initialize(handle);
    if (rc < 0) {
        mpv().terminateDestroy(handle);
        throw Failure(QStringLiteral("再生エンジンを初期化できません（%1）").arg(mpvError(rc)));
    }
    mpv().observeProperty(handle, ObservedPause, "pause", MPV_FORMAT_FLAG);
    mpv().observeProperty(handle, ObservedTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv().observeProperty(handle, ObservedDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv().observeProperty(handle, ObservedVolume, "volume", MPV_FORMAT_DOUBLE);
    mpv().observeProperty(handle, ObservedMute, "mute", MPV_FORMAT_FLAG);
    mpv_ = handle;
    mpv().setWakeupCallback(mpv_, &MpvPlayer::wakeup, this);
}

void MpvPlayer::wakeup(void *self)
{
    auto *player = static_cast<MpvPlayer *>(self);
    // Runs on one of mpv's threads: only ask the UI thread to look, once per
    // batch of events.
    if (!player->wakeupPending_.exchange(true))
        QMetaObject::invokeMethod(player, &MpvPlayer::drainEvents, Qt::QueuedConnection);
}

void MpvPlayer::drainEvents()
{
    wakeupPending_.store(false);
    while (mpv_ != nullptr) {
        const mpv_event *event = mpv().waitEvent(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvPlayer::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        startingId_ = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        // FILE_LOADED belongs to the entry whose START_FILE came last.
        if (startingId_ == entryId_ && entryId_ >= 0)
            setState(paused_ ? Paused : Playing);
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    default:
        break;
    }
}

void MpvPlayer::handleEndFile(const mpv_event &event)
{
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    if (end->playlist_entry_id != entryId_ || entryId_ < 0)
        return;
    entryId_ = -1;
    setPosition(0);
    const quint64 generation = generation_;
    switch (end->reason) {
    case MPV_END_FILE_REASON_EOF:
        // Listeners advance to the next file only on exactly this order.
        for (int state : {MediaEnded, Transitioning, Stopped}) {
            setState(state);
            if (generation != generation_)
                return;
        }
        break;
    case MPV_END_FILE_REASON_ERROR: {
        const bool outputFailed = end->error == MPV_ERROR_AO_INIT_FAILED;
        const QString reason =
            outputFailed ? QStringLiteral("音声を出力できません（%1）").arg(mpvError(end->error))
                         : QStringLiteral("「%1」を再生できません（%2）")
                               .arg(currentName_, mpvError(end->error));
        setState(Stopped);
        if (generation == generation_)
            Q_EMIT playbackFailed(reason, outputFailed);
        break;
    }
    case MPV_END_FILE_REASON_REDIRECT:
        // A playlist or a folder: its entries would play under ids nobody
        // follows, so refuse it like any other file that cannot be played.
        command({"stop"});
        setState(Stopped);
        if (generation == generation_)
            Q_EMIT playbackFailed(
                QStringLiteral("「%1」は音声ファイルではありません").arg(currentName_), false);
        break;
    default:
        setState(Stopped);
        break;
    }
}

void MpvPlayer::handlePropertyChange(const mpv_event &event)
{
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    const bool available = property->format != MPV_FORMAT_NONE && property->data != nullptr;
    const auto flag = [&] { return available && *static_cast<const int *>(property->data) != 0; };
    const auto number = [&] {
        return available ? *static_cast<const double *>(property->data) : 0.0;
    };
    switch (event.reply_userdata) {
    case ObservedPause:
        setPaused(flag());
        break;
    case ObservedTimePos:
        // Follows the clock many times a second; the bar needs a few.
        position_ = number();
        if (!positionThrottle_.isActive())
            positionThrottle_.start();
        break;
    case ObservedDuration:
        if (number() != duration_) {
            duration_ = number();
            Q_EMIT durationChanged(duration_);
        }
        break;
    case ObservedVolume:
        if (available) {
            const int volume = static_cast<int>(std::lround(number()));
            if (volume != volume_) {
                volume_ = volume;
                Q_EMIT volumeChanged(volume_);
            }
        }
        break;
    case ObservedMute:
        if (available && flag() != muted_) {
            muted_ = flag();
            Q_EMIT muteChanged(muted_);
        }
        break;
    default:
        break;
    }
}

void MpvPlayer::setState(int state)
{
    if (state == state_)
        return;
    state_ = state;
    Q_EMIT StatusChange();
}

void MpvPlayer::setPosition(double seconds)
{
    positionThrottle_.stop();
    if (position_ == seconds)
        return;
    position_ = seconds;
    Q_EMIT positionChanged(position_);
}

void MpvPlayer::setPaused(bool paused)
{
    paused_ = paused;
    if (state_ == Playing || state_ == Paused)
        setState(paused ? Paused : Playing);
}

void MpvPlayer::command(std::initializer_list<const char *> args)
{
    std::vector<const char *> argv(args);
    argv.push_back(nullptr);
    mpv().command(mpv_, argv.data());
}

void MpvPlayer::load(const Source &source)
{
    ++generation_;
    try {
        start();
    } catch (const Failure &failure) {
        // Without an engine nothing can sound, whichever file comes next.
        reportFailureLater(failure.message(), true);
        return;
    }
    int no = 0;
    mpv().setProperty(mpv_, "pause", MPV_FORMAT_FLAG, &no);
    paused_ = false;
    // The sound server names the audio stream after the media title and
    // drops a client whose stream name passes 64 KiB, as a title tag can: the
    // name shown for the file is short.
    const QByteArray title = source.name.toUtf8();
    const char *titleText = title.constData();
    mpv().setProperty(mpv_, "force-media-title", MPV_FORMAT_STRING, &titleText);

    const char *args[] = {"loadfile", source.target.constData(), "replace", nullptr};
    mpv_node result;
    const int rc = mpv().commandRet(mpv_, args, &result);
    int64_t id = -1;
    if (rc >= 0) {
        if (result.format == MPV_FORMAT_NODE_MAP) {
            for (int i = 0; i < result.u.list->num; ++i) {
                if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                    result.u.list->values[i].format == MPV_FORMAT_INT64)
                    id = result.u.list->values[i].u.int64;
            }
        }
        mpv().freeNodeContents(&result);
    }

    current_ = source;
    if (currentName_ != source.name) {
        currentName_ = source.name;
        Q_EMIT currentNameChanged(currentName_);
    }
    setPosition(0);
    if (rc < 0 || id < 0) {
        // Reported like any file that cannot be played, not as a failure of
        // the caller.
        entryId_ = -1;
        const quint64 generation = generation_;
        setState(Stopped);
        if (generation == generation_)
            reportFailureLater(
                QStringLiteral("「%1」を開けません（%2）").arg(source.name, mpvError(rc)), false);
        return;
    }
    entryId_ = id;
    setState(Transitioning);
}

void MpvPlayer::reportFailureLater(const QString &reason, bool outputFailed)
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

void MpvPlayer::setURL(const QString &url)
{
    url_ = url;
    // mpv reads a relative name against its own idea of the current folder,
    // and one that looks like "name://" as a protocol; an absolute path is
    // always a file.
    const QString path = QDir::isAbsolutePath(url) ? url : QDir::current().absoluteFilePath(url);
    load({nativename::encode(path), QFileInfo(url).fileName()});
}

QString MpvPlayer::URL() const
{
    return url_;
}

int MpvPlayer::playState() const
{
    return state_;
}

void MpvPlayer::stop()
{
    if (mpv_ == nullptr || entryId_ < 0)
        return;
    ++generation_;
    entryId_ = -1;
    setPosition(0);
    setState(Stopped);
    command({"stop"});
}

void MpvPlayer::playChime()
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

QByteArray MpvPlayer::chimeTarget()
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

void MpvPlayer::play()
{
    if (state_ == Paused) {
        int no = 0;
        mpv().setProperty(mpv_, "pause", MPV_FORMAT_FLAG, &no);
    } else if (entryId_ < 0 && !current_.target.isEmpty()) {
        load(current_);
    }
}

void MpvPlayer::pause()
{
    if (state_ != Playing)
        return;
    int yes = 1;
    mpv().setProperty(mpv_, "pause", MPV_FORMAT_FLAG, &yes);
}

void MpvPlayer::togglePause()
{
    if (state_ == Playing)
        pause();
    else
        play();
}

void MpvPlayer::seek(double seconds)
{
    if (state_ != Playing && state_ != Paused)
        return;
    const QByteArray target = QByteArray::number(std::max(0.0, seconds), 'f', 3);
    const char *args[] = {"seek", target.constData(), "absolute", nullptr};
    mpv().commandAsync(mpv_, 0, args);
    position_ = seconds;
}

void MpvPlayer::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume != volume_) {
        volume_ = volume;
        Q_EMIT volumeChanged(volume_);
    }
    if (mpv_ != nullptr) {
        double value = volume_;
        mpv().setPropertyAsync(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &value);
    }
}

void MpvPlayer::setMute(bool muted)
{
    if (muted != muted_) {
        muted_ = muted;
        Q_EMIT muteChanged(muted_);
    }
    if (mpv_ != nullptr) {
        int value = muted_ ? 1 : 0;
        mpv().setPropertyAsync(mpv_, 0, "mute", MPV_FORMAT_FLAG, &value);
    }
}

} // namespace chimebox::playback
