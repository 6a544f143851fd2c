#include "engine/PulseOutput.h"

#include "base/Failure.h"
#include "base/Version.h"
#include "engine/PulseLibrary.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLoggingCategory>
#include <algorithm>
#include <utility>

namespace chimebox::engine {

using playback::OutputLevel;
using playback::OutputState;

namespace {

// A desktop without a sound server is told by the alarm's check, not here.
Q_LOGGING_CATEGORY(lcOutput, "chimebox.output", QtWarningMsg)

// The stand-in PulseAudio puts up when no device is there (module-always-sink),
// named alike by PipeWire's pulse server: what plays on it is heard nowhere.
const QLatin1String kDummySink("auto_null");

constexpr auto kWatched = pa_subscription_mask_t(
    PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SINK_INPUT | PA_SUBSCRIPTION_MASK_SERVER);

// libpulse's GLib main loop is dispatched only where Qt's event dispatcher is
// GLib's (not under QT_NO_GLIB=1), and only on the main thread, whose GLib
// context is the default one.
bool onGlibMainContext(const QObject &object)
{
    const QAbstractEventDispatcher *dispatcher =
        QAbstractEventDispatcher::instance(object.thread());
    return dispatcher != nullptr && dispatcher->inherits("QEventDispatcherGlib") &&
           QCoreApplication::instance() != nullptr &&
           object.thread() == QCoreApplication::instance()->thread();
}

OutputLevel levelOf(bool muted, const pa_cvolume &volume)
{
    OutputLevel level{muted, {}};
    for (quint8 channel = 0; channel < volume.channels; ++channel)
        level.channels.append(volume.values[channel]);
    return level;
}

// level's volumes for a sink of channelCount channels: as given when the
// counts match, so that a level read from the sink goes back exactly; else
// every channel at the loudest given, as loud as the level reads.
pa_cvolume volumeFor(const OutputLevel &level, int channelCount)
{
    pa_cvolume volume{};
    volume.channels = quint8(std::clamp(channelCount, 1, int(PA_CHANNELS_MAX)));
    const bool exact = level.channels.size() == volume.channels;
    const quint32 loudest = *std::max_element(level.channels.cbegin(), level.channels.cend());
    for (int channel = 0; channel < volume.channels; ++channel)
        volume.values[channel] = std::min(exact ? level.channels[channel] : loudest, PA_VOLUME_MAX);
    return volume;
}

qint64 processIdIn(const PulseLibrary &pa, const pa_proplist *properties)
{
    bool ok = false;
    const qint64 pid =
        QByteArray(pa.proplistGets(properties, PA_PROP_APPLICATION_PROCESS_ID)).toLongLong(&ok);
    return ok ? pid : -1;
}

// A state with nothing known but the server's.
OutputState only(OutputState::Server server)
{
    OutputState state;
    state.server = server;
    return state;
}

QString text(const char *value)
{
    return QString::fromUtf8(value);
}

} // namespace

// libpulse's callbacks, each handing its answer to the output it was asked by.
struct PulseOutput::Answers
{
    static PulseOutput &to(void *output) { return *static_cast<PulseOutput *>(output); }

    static void contextState(pa_context *, void *output) { to(output).contextStateChanged(); }

    static void event(pa_context *, pa_subscription_event_type_t, uint32_t, void *output)
    {
        to(output).refresh();
    }

    static void server(pa_context *, const pa_server_info *info, void *output)
    {
        if (info != nullptr && info->default_sink_name != nullptr)
            to(output).reading_.defaultSink = text(info->default_sink_name);
        to(output).answerArrived();
    }

    static void sink(pa_context *, const pa_sink_info *info, int last, void *output)
    {
        if (last != 0)
            return to(output).answerArrived();
        to(output).reading_.sinks.append({info->index, text(info->name), text(info->description),
                                          levelOf(info->mute != 0, info->volume)});
    }

    static void stream(pa_context *, const pa_sink_input_info *info, int last, void *output)
    {
        if (last != 0)
            return to(output).answerArrived();
        to(output).reading_.streams.append({info->index, info->sink,
                                            processIdIn(*to(output).pa_, info->proplist),
                                            info->corked != 0});
    }

    static void levelSent(pa_context *, int success, void *output)
    {
        to(output).levelSent(success != 0);
    }
};

PulseOutput::PulseOutput(std::chrono::milliseconds retryInterval, QObject *parent)
    : AudioOutput(parent)
{
    retry_.setSingleShot(true);
    retry_.setInterval(retryInterval);
    connect(&retry_, &QTimer::timeout, this, &PulseOutput::openContext);
}

PulseOutput::~PulseOutput()
{
    releaseContext();
    if (mainloop_ != nullptr)
        pa_->glibMainloopFree(mainloop_);
}

void PulseOutput::watch()
{
    if (pa_ != nullptr || state_.server != OutputState::Server::Connecting)
        return;
    if (!onGlibMainContext(*this)) {
        qCWarning(lcOutput) << "the sound server cannot be asked: Qt's event loop is not GLib's";
        return publish(only(OutputState::Server::Absent));
    }
    try {
        pa_ = &PulseLibrary::get();
    } catch (const Failure &failure) {
        qCWarning(lcOutput).noquote() << failure.message();
        return publish(only(OutputState::Server::Absent));
    }
    mainloop_ = pa_->glibMainloopNew(nullptr);
    openContext();
}

void PulseOutput::openContext()
{
    releaseContext();
    context_ =
        pa_->contextNew(pa_->glibMainloopGetApi(mainloop_), version::name().toUtf8().constData());
    if (context_ == nullptr)
        return connectionEnded("no context");
    pa_->contextSetStateCallback(context_, &Answers::contextState, this);
    pa_->contextSetSubscribeCallback(context_, &Answers::event, this);
    // A desktop without a sound server is told so, not given one.
    if (pa_->contextConnect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        connectionEnded(pa_->strerror(pa_->contextErrno(context_)));
}

void PulseOutput::releaseContext()
{
    if (context_ == nullptr)
        return;
    // Disconnecting cancels what is still asked, and no callback may reach
    // this object afterwards.
    pa_->contextSetStateCallback(context_, nullptr, nullptr);
    pa_->contextSetSubscribeCallback(context_, nullptr, nullptr);
    pa_->contextDisconnect(context_);
    pa_->contextUnref(std::exchange(context_, nullptr));
    contextReady_ = false;
    answersDue_ = 0;
    readAgain_ = false;
    levelsDue_ = 0;
}

void PulseOutput::contextStateChanged()
{
    switch (pa_->contextGetState(context_)) {
    case PA_CONTEXT_READY:
        contextReady_ = true;
        if (pa_operation *operation = pa_->contextSubscribe(context_, kWatched, nullptr, nullptr))
            pa_->operationUnref(operation);
        refresh();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        connectionEnded(pa_->strerror(pa_->contextErrno(context_)));
        break;
    default:
        break;
    }
}

void PulseOutput::connectionEnded(const char *why)
{
    // The state callback and pa_context_connect() may both tell of one end.
    if (retry_.isActive())
        return;
    // What was asked is cancelled with the connection, unanswered. The failed
    // context itself is released by the next try, outside its own callback.
    answersDue_ = 0;
    readAgain_ = false;
    levelsDue_ = 0;
    if (finishing_ != nullptr)
        finishing_->quit();
    sinkChannels_.clear();
    const bool lost = contextReady_ || state_.server == OutputState::Server::Lost;
    const OutputState state = only(lost ? OutputState::Server::Lost : OutputState::Server::Absent);
    // Told once, not at every try.
    if (state != state_)
        qCInfo(lcOutput) << "no sound server:" << why;
    retry_.start();
    publish(state);
}

void PulseOutput::refresh()
{
    // One reading at a time; news during it asks for one more after it.
    if (answersDue_ > 0) {
        readAgain_ = true;
        return;
    }
    reading_ = {};
    expectAnswer(pa_->contextGetServerInfo(context_, &Answers::server, this));
    expectAnswer(pa_->contextGetSinkInfoList(context_, &Answers::sink, this));
    expectAnswer(pa_->contextGetSinkInputInfoList(context_, &Answers::stream, this));
}

void PulseOutput::expectAnswer(pa_operation *operation)
{
    if (operation == nullptr)
        return;
    ++answersDue_;
    pa_->operationUnref(operation);
}

void PulseOutput::answerArrived()
{
    if (--answersDue_ > 0)
        return;
    sinkChannels_.clear();
    for (const Sink &sink : std::as_const(reading_.sinks))
        sinkChannels_.insert(sink.name, int(sink.level.channels.size()));
    publish(stateFrom(reading_));
    if (std::exchange(readAgain_, false))
        refresh();
}

OutputState PulseOutput::stateFrom(const Reading &reading) const
{
    // The player's stream is this process's: PulseAudio and PipeWire alike
    // give a stream its client's properties, the process id among them. One
    // that plays goes before a paused one, and a newer before an older.
    const qint64 self = QCoreApplication::applicationPid();
    const Stream *ours = nullptr;
    for (const Stream &stream : reading.streams) {
        if (stream.pid == self && (ours == nullptr || std::pair(!stream.corked, stream.index) >
                                                          std::pair(!ours->corked, ours->index)))
            ours = &stream;
    }
    const auto sinkWhere = [&reading](auto matches) -> const Sink * {
        const auto found = std::find_if(reading.sinks.cbegin(), reading.sinks.cend(), matches);
        return found == reading.sinks.cend() ? nullptr : &*found;
    };
    const Sink *sink = nullptr;
    if (ours != nullptr)
        sink = sinkWhere([ours](const Sink &candidate) { return candidate.index == ours->sink; });
    if (sink == nullptr)
        sink = sinkWhere(
            [&reading](const Sink &candidate) { return candidate.name == reading.defaultSink; });
    if (sink == nullptr || sink->name == kDummySink)
        return only(OutputState::Server::NoOutput);
    return {OutputState::Server::Ready, sink->name, sink->description, sink->level};
}

void PulseOutput::publish(const OutputState &state)
{
    state_ = state;
    // Told from Qt's event loop rather than from inside libpulse's callback,
    // whose main loop does not run again until it returns: a slot may call
    // finish().
    if (!announcing_) {
        announcing_ = true;
        QMetaObject::invokeMethod(this, &PulseOutput::announce, Qt::QueuedConnection);
    }
}

void PulseOutput::announce()
{
    announcing_ = false;
    if (std::exchange(announced_, state_) != state_)
        Q_EMIT changed();
}

void PulseOutput::setLevel(const QString &sink, const OutputLevel &level)
{
    const auto channels = sinkChannels_.constFind(sink);
    if (state_.server != OutputState::Server::Ready || channels == sinkChannels_.cend())
        return;
    const QByteArray name = sink.toUtf8();
    const auto setMute = [&] {
        expectLevelSent(pa_->contextSetSinkMuteByName(context_, name.constData(), level.muted,
                                                      &Answers::levelSent, this));
    };
    // Muting goes first and unmuting last, so that no moment sounds at a
    // volume meant to be silent.
    if (level.muted)
        setMute();
    if (!level.channels.isEmpty()) {
        const pa_cvolume volume = volumeFor(level, *channels);
        expectLevelSent(pa_->contextSetSinkVolumeByName(context_, name.constData(), &volume,
                                                        &Answers::levelSent, this));
    }
    if (!level.muted)
        setMute();
}

void PulseOutput::expectLevelSent(pa_operation *operation)
{
    if (operation == nullptr)
        return;
    ++levelsDue_;
    pa_->operationUnref(operation);
}

void PulseOutput::levelSent(bool success)
{
    if (!success)
        qCWarning(lcOutput) << "the sound server refused a level:"
                            << pa_->strerror(pa_->contextErrno(context_));
    if (--levelsDue_ == 0 && finishing_ != nullptr)
        finishing_->quit();
}

void PulseOutput::finish(int timeoutMs)
{
    if (levelsDue_ == 0)
        return;
    QEventLoop loop;
    finishing_ = &loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    finishing_ = nullptr;
}

} // namespace chimebox::engine
