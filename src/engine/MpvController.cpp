#include "engine/MpvController.h"

#include "base/Failure.h"
#include "engine/MpvLibrary.h"

#include <QLoggingCategory>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <system_error>
#include <utility>
#include <vector>

namespace chimebox::engine {

namespace {

Q_LOGGING_CATEGORY(lcEngine, "chimebox.engine")

// What the engine tells about what plays, each observed under its own id.
enum class Observed : uint64_t {
    Pause = 1,
    Position,
    Duration,
    Volume,
    Mute,
};

struct ObservedProperty
{
    Observed id;
    const char *name;
    mpv_format format;
};

constexpr ObservedProperty kObserved[] = {
    {Observed::Pause, "pause", MPV_FORMAT_FLAG},
    {Observed::Position, "time-pos", MPV_FORMAT_DOUBLE},
    {Observed::Duration, "duration", MPV_FORMAT_DOUBLE},
    {Observed::Volume, "volume", MPV_FORMAT_DOUBLE},
    {Observed::Mute, "mute", MPV_FORMAT_FLAG},
};

// Loaded by the first start(): a library that cannot be loaded is an engine
// that cannot start.
const MpvLibrary &mpv()
{
    return MpvLibrary::get();
}

// On Linux mpv would otherwise also try JACK and SDL once the sound servers
// and ALSA fail, and SDL's audio keeps memory it never frees; PulseAudio comes
// first because PipeWire desktops serve it too, and probing PipeWire's own
// client first costs time on every file where only PulseAudio runs.
QByteArray defaultAudioOutputs()
{
#if defined(Q_OS_LINUX)
    return QByteArrayLiteral("pulse,pipewire,alsa");
#else
    return {};
#endif
}

QString mpvError(int code)
{
    return QString::fromUtf8(mpv().errorString(code));
}

} // namespace

MpvController::MpvController(Options options, QObject *parent)
    : PlaybackEngine(parent), options_(std::move(options))
{}

MpvController::~MpvController()
{
    // An engine still being made is waited for, and goes too.
    if (making_.valid()) {
        if (mpv_handle *made = making_.get().handle)
            mpv().terminateDestroy(made);
    }
    destroy();
}

void MpvController::destroy()
{
    if (mpv_ == nullptr)
        return;
    // mpv's threads must not reach this object while the handle goes away.
    mpv().setWakeupCallback(mpv_, nullptr, nullptr);
    mpv().terminateDestroy(std::exchange(mpv_, nullptr));
    queuedId_ = -1;
}

void MpvController::preload()
{
    if (mpv_ != nullptr || making_.valid())
        return;
    // mpv parses numbers the C way and refuses to start under a locale with
    // a decimal comma; the locale is the whole process's, so it is set here,
    // not on the thread that makes the engine.
    std::setlocale(LC_NUMERIC, "C");
    try {
        making_ = std::async(std::launch::async, &MpvController::make, options_.audioOutput);
    } catch (const std::system_error &) {
        // Without a thread to spare, the first file makes the engine.
    }
}

void MpvController::start()
{
    if (mpv_ != nullptr)
        return;
    Made made;
    if (making_.valid()) {
        made = making_.get();
    } else {
        std::setlocale(LC_NUMERIC, "C");
        made = make(options_.audioOutput);
    }
    if (made.handle == nullptr)
        throw Failure(made.failure);
    adopt(made.handle);
}

MpvController::Made MpvController::make(const QString &audioOutput)
{
    Made made;
    try {
        mpv_handle *handle = mpv().create();
        if (handle == nullptr)
            throw Failure(QStringLiteral("再生エンジンを作成できません"));
        std::vector<std::pair<const char *, QByteArray>> settings = {
            {"idle", "yes"},
            {"vid", "no"},
            {"audio-display", "no"},
            {"force-window", "no"},
            {"osd-level", "0"},
            // Turned on only while a file is queued to follow (setGapless).
            {"gapless-audio", "no"},
            // The queued file is opened once the current one has been read
            // to its end, not when its sound runs out.
            {"prefetch-playlist", "yes"},
            {"config", "no"},
            {"load-scripts", "no"},
            {"ytdl", "no"},
            {"terminal", "no"},
            {"input-default-bindings", "no"},
            {"input-vo-keyboard", "no"},
            {"osc", "no"},
            {"speed", "1"},
            {"audio-client-name", "chimebox"},
            // Only the file the program names is opened. A "song" that is a
            // playlist, an edit list, a cue sheet or an archive would make the
            // engine open the files or web addresses named inside it, and one
            // that is a stream description would make FFmpeg open sockets.
            {"access-references", "no"},
            {"demuxer-lavf-o", "protocol_whitelist=file"},
            // Nor the pictures and subtitles beside it that mpv looks for.
            {"cover-art-auto", "no"},
            {"sub-auto", "no"},
        };
        if (!audioOutput.isEmpty())
            settings.emplace_back("ao", audioOutput.toUtf8());
        else if (const QByteArray outputs = defaultAudioOutputs(); !outputs.isEmpty())
            settings.emplace_back("ao", outputs);
        for (const auto &[name, value] : settings) {
            const int rc = mpv().setOptionString(handle, name, value.constData());
            if (rc < 0) {
                mpv().terminateDestroy(handle);
                throw Failure(QStringLiteral("再生エンジンの設定 %1 に失敗しました（%2）")
                                  .arg(QString::fromLatin1(name), mpvError(rc)));
            }
        }
        // The on-screen statistics and console would each keep a script
        // thread and some 3 MiB from the start on; an engine built without
        // scripts has no such settings.
        for (const char *name : {"load-stats-overlay", "load-osd-console", "load-auto-profiles"})
            mpv().setOptionString(handle, name, "no");
        const int rc = mpv().initialize(handle);
        if (rc < 0) {
            mpv().terminateDestroy(handle);
            throw Failure(QStringLiteral("再生エンジンを初期化できません（%1）").arg(mpvError(rc)));
        }
        made.handle = handle;
    } catch (const Failure &failure) {
        made.failure = failure.message();
    }
    return made;
}

void MpvController::adopt(mpv_handle *handle)
{
    for (const ObservedProperty &property : kObserved)
        mpv().observeProperty(handle, uint64_t(property.id), property.name, property.format);
    // Why a file failed is in mpv's log, not in its events.
    mpv().requestLogMessages(handle, "warn");
    mpv_ = handle;
    gapless_ = false;
    // As the player bar has them now, which may have changed while the
    // engine was being made.
    double volume = volume_;
    int muted = muted_ ? 1 : 0;
    mpv().setProperty(mpv_, "volume", MPV_FORMAT_DOUBLE, &volume);
    mpv().setProperty(mpv_, "mute", MPV_FORMAT_FLAG, &muted);
    mpv().setWakeupCallback(mpv_, &MpvController::wakeup, this);
}

void MpvController::wakeup(void *self)
{
    auto *controller = static_cast<MpvController *>(self);
    // Runs on one of mpv's threads: only ask the owner's thread to look, once
    // per batch of events.
    if (!controller->wakeupPending_.exchange(true))
        QMetaObject::invokeMethod(controller, &MpvController::drainEvents, Qt::QueuedConnection);
}

void MpvController::drainEvents()
{
    wakeupPending_.store(false);
    while (mpv_ != nullptr) {
        const mpv_event *event = mpv().waitEvent(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvController::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        Q_EMIT fileStarted(
            static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        Q_EMIT fileLoaded();
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto *message = static_cast<const mpv_event_log_message *>(event.data);
        qCWarning(lcEngine).noquote() << QString::fromUtf8(message->prefix) + QStringLiteral(": ") +
                                             QString::fromUtf8(message->text).trimmed();
        break;
    }
    case MPV_EVENT_SHUTDOWN:
        // The core is quitting: the handle is of no more use.
        destroy();
        Q_EMIT shutDown();
        break;
    default:
        break;
    }
}

void MpvController::handleEndFile(const mpv_event &event)
{
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    FileEnd fileEnd{end->playlist_entry_id, EndReason::Stopped, {}};
    switch (end->reason) {
    case MPV_END_FILE_REASON_EOF:
        fileEnd.reason = EndReason::EndOfFile;
        // mpv goes on to the next file in its list: the queued one plays.
        // It kept the output open for it already; with nothing queued after
        // it, its own end is told once its sound has run out, not before
        // anything of a short one was heard.
        queuedId_ = -1;
        setGapless(false);
        break;
    case MPV_END_FILE_REASON_STOP:
        fileEnd.reason = EndReason::Stopped;
        break;
    case MPV_END_FILE_REASON_QUIT:
        fileEnd.reason = EndReason::Quit;
        break;
    case MPV_END_FILE_REASON_ERROR:
        fileEnd.reason =
            end->error == MPV_ERROR_AO_INIT_FAILED ? EndReason::OutputFailed : EndReason::Failed;
        fileEnd.error = mpvError(end->error);
        break;
    case MPV_END_FILE_REASON_REDIRECT:
        fileEnd.reason = EndReason::Redirected;
        break;
    }
    Q_EMIT fileEnded(fileEnd);
}

void MpvController::handlePropertyChange(const mpv_event &event)
{
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    // A property without a value is one that does not apply now, such as the
    // position while nothing plays.
    const bool available = property->format != MPV_FORMAT_NONE && property->data != nullptr;
    const auto flag = [&] { return available && *static_cast<const int *>(property->data) != 0; };
    const auto number = [&] {
        return available ? *static_cast<const double *>(property->data) : 0.0;
    };
    switch (Observed(event.reply_userdata)) {
    case Observed::Pause:
        Q_EMIT pauseChanged(flag());
        break;
    case Observed::Position:
        Q_EMIT positionChanged(number());
        break;
    case Observed::Duration:
        Q_EMIT durationChanged(number());
        break;
    case Observed::Volume:
        if (available)
            Q_EMIT volumeChanged(static_cast<int>(std::lround(number())));
        break;
    case Observed::Mute:
        if (available)
            Q_EMIT muteChanged(flag());
        break;
    }
}

LoadResult MpvController::loadFile(const QByteArray &path, const QString &title)
{
    if (mpv_ == nullptr)
        return {-1, QStringLiteral("再生エンジンが動いていません")};
    // Without gapless output the file replaced goes silent at once, and the
    // end of this one is told once its sound has run out.
    setGapless(false);
    queuedId_ = -1;
    // The sound server names the audio stream after the media title and
    // drops a client whose stream name passes 64 KiB, as a title tag can: the
    // title given here is short.
    const QByteArray titleBytes = title.toUtf8();
    const char *titleText = titleBytes.constData();
    mpv().setProperty(mpv_, "force-media-title", MPV_FORMAT_STRING, &titleText);
    const char *args[] = {"loadfile", path.constData(), "replace", nullptr};
    return load(args);
}

LoadResult MpvController::queueFile(const QByteArray &path, const QString &title)
{
    if (mpv_ == nullptr)
        return {-1, QStringLiteral("再生エンジンが動いていません")};
    // The output stays open from one file to the next, only while a file is
    // queued: mpv then ends a file as soon as it has decoded the last of it,
    // which is some 300 ms before its sound has run out.
    setGapless(true);
    const qint64 previous = std::exchange(queuedId_, -1);
    // mpv keeps the files it played in its list; only what plays stays.
    const char *clear[] = {"playlist-clear", nullptr};
    mpv().command(mpv_, clear);
    // The title goes with the file: the one set for the file playing now
    // must not change.
    const QByteArray titleBytes = title.toUtf8();
    const QByteArray options =
        "force-media-title=%" + QByteArray::number(titleBytes.size()) + '%' + titleBytes;
    // "append-play": should mpv have ended the current file already, with
    // nothing to go on to, it starts this one, as the player will expect
    // once it hears of that end.
    const char *args[] = {"loadfile", path.constData(), "append-play", options.constData(),
                          nullptr};
    LoadResult queued = load(args);
    // mpv went on to the file queued before and has not told so yet: it
    // goes, and the new one follows in its place.
    removeIfPlaying(previous);
    queuedId_ = queued.entryId;
    return queued;
}

void MpvController::dropQueued()
{
    if (mpv_ == nullptr)
        return;
    setGapless(false);
    const qint64 queued = std::exchange(queuedId_, -1);
    if (queued < 0)
        return;
    const char *clear[] = {"playlist-clear", nullptr};
    mpv().command(mpv_, clear);
    removeIfPlaying(queued);
}

void MpvController::removeIfPlaying(qint64 entryId)
{
    // After playlist-clear, what plays is the list's first entry.
    int64_t first = -1;
    if (entryId < 0 || mpv().getProperty(mpv_, "playlist/0/id", MPV_FORMAT_INT64, &first) < 0 ||
        first != entryId)
        return;
    const char *args[] = {"playlist-remove", "0", nullptr};
    mpv().command(mpv_, args);
}

void MpvController::setGapless(bool gapless)
{
    if (gapless == gapless_)
        return;
    // "weak": files of another sample format or rate reopen the output
    // after the sound before has run out, a short gap rather than all later
    // files resampled to the first one's rate.
    const char *value = gapless ? "weak" : "no";
    mpv().setProperty(mpv_, "gapless-audio", MPV_FORMAT_STRING, &value);
    gapless_ = gapless;
}

LoadResult MpvController::load(const char **args)
{
    mpv_node result;
    const int rc = mpv().commandRet(mpv_, args, &result);
    if (rc < 0)
        return {-1, mpvError(rc)};
    LoadResult loaded{-1, {}};
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                result.u.list->values[i].format == MPV_FORMAT_INT64)
                loaded.entryId = result.u.list->values[i].u.int64;
        }
    }
    mpv().freeNodeContents(&result);
    if (loaded.entryId < 0)
        loaded.error = QStringLiteral("再生エンジンが番号を返しません");
    return loaded;
}

void MpvController::stop()
{
    if (mpv_ == nullptr)
        return;
    // Gapless output would let the sound run out before it stops.
    setGapless(false);
    queuedId_ = -1;
    const char *args[] = {"stop", nullptr};
    mpv().command(mpv_, args);
}

void MpvController::setPause(bool paused)
{
    if (mpv_ == nullptr)
        return;
    int value = paused ? 1 : 0;
    mpv().setProperty(mpv_, "pause", MPV_FORMAT_FLAG, &value);
}

void MpvController::seek(double seconds)
{
    if (mpv_ == nullptr)
        return;
    const QByteArray target = QByteArray::number(std::max(0.0, seconds), 'f', 3);
    const char *args[] = {"seek", target.constData(), "absolute", nullptr};
    mpv().commandAsync(mpv_, 0, args);
}

void MpvController::setVolume(int volume)
{
    volume_ = volume;
    if (mpv_ == nullptr)
        return;
    double value = volume_;
    mpv().setPropertyAsync(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

void MpvController::setMute(bool muted)
{
    muted_ = muted;
    if (mpv_ == nullptr)
        return;
    int value = muted_ ? 1 : 0;
    mpv().setPropertyAsync(mpv_, 0, "mute", MPV_FORMAT_FLAG, &value);
}

} // namespace chimebox::engine
