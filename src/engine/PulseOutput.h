#pragma once

#include "core/playback/AudioOutput.h"

#include <QHash>
#include <QList>
#include <QTimer>
#include <chrono>

class QEventLoop;
struct pa_context;
struct pa_glib_mainloop;
struct pa_operation;

namespace chimebox::engine {

struct PulseLibrary;

// The desktop's sound output through the PulseAudio client library, which
// PipeWire's pulse server answers too. It runs on Qt's event loop (GLib's,
// which Qt iterates on Linux), so no call waits for the server but finish().
// Nothing happens before watch(); a server is never started for it.
// Lives on the application's main thread.
class PulseOutput final : public playback::AudioOutput
{
    Q_OBJECT

public:
    // retryInterval: how long a lost or missing server is left alone before
    // the next try.
    explicit PulseOutput(std::chrono::milliseconds retryInterval = std::chrono::seconds(30),
                         QObject *parent = nullptr);
    ~PulseOutput() override;

    // Loads libpulse and starts connecting; the answer arrives with changed().
    void watch() override;

    playback::OutputState state() const override { return state_; }
    void setLevel(const QString &sink, const playback::OutputLevel &level) override;
    void finish(int timeoutMs) override;

private:
    // One reading of the server, gathered from three answers.
    struct Sink
    {
        quint32 index = 0;
        QString name;
        QString description;
        playback::OutputLevel level;
    };
    struct Stream
    {
        quint32 index = 0;
        quint32 sink = 0;
        qint64 pid = -1;
        bool corked = false;
    };
    struct Reading
    {
        QString defaultSink;
        QList<Sink> sinks;
        QList<Stream> streams;
    };
    struct Answers;
    friend struct Answers;

    void openContext();
    void releaseContext();
    void contextStateChanged();
    void connectionEnded(const char *why);
    void refresh();
    void expectAnswer(pa_operation *operation);
    void answerArrived();
    void expectLevelSent(pa_operation *operation);
    void levelSent(bool success);
    playback::OutputState stateFrom(const Reading &reading) const;
    void publish(const playback::OutputState &state);
    void announce();

    const PulseLibrary *pa_ = nullptr;
    pa_glib_mainloop *mainloop_ = nullptr;
    pa_context *context_ = nullptr;
    // This context has answered; its end is a server lost, not one missing.
    bool contextReady_ = false;
    QTimer retry_;

    Reading reading_;
    int answersDue_ = 0;
    bool readAgain_ = false;
    // The sinks of the last reading by name, with their channel count.
    QHash<QString, int> sinkChannels_;
    playback::OutputState state_;
    // What changed() last told, and whether it is about to tell again.
    playback::OutputState announced_;
    bool announcing_ = false;

    int levelsDue_ = 0;
    QEventLoop *finishing_ = nullptr;
};

} // namespace chimebox::engine
