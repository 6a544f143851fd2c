#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QtGlobal>

namespace chimebox::playback {

// How loud an output is: its mute switch and each channel's volume, in the
// sound server's own steps, so that what was there can be put back exactly.
struct OutputLevel
{
    // A channel at this volume plays at the level of the source: 100 %.
    static constexpr quint32 kNormal = 0x10000U;

    bool muted = false;
    QList<quint32> channels;

    // The loudest channel in percent of kNormal, rounded; 0 without channels.
    int percent() const;
    // Every channel at percent of kNormal, unmuted.
    static OutputLevel at(int percent, qsizetype channelCount);

    bool operator==(const OutputLevel &) const = default;
};

// The desktop's sound output as the alarm sees it: the output the player's
// sound goes to (while it plays, the one its stream is on; otherwise the
// one a new stream would go to).
struct OutputState
{
    enum class Server {
        Connecting, // not yet known: the first answer has not come
        Ready,      // a sound server answers; sink and level are known
        NoOutput,   // a server answers but has no output to play on
        Absent,     // no sound server to ask (ALSA alone): the level cannot be known
        Lost,       // the server stopped answering; tried again later
    };

    Server server = Server::Connecting;
    // The output's name on the server, which setLevel takes back.
    QString sink;
    // Its name as the desktop shows it.
    QString description;
    OutputLevel level;

    bool operator==(const OutputState &) const = default;
};

// The seam to the desktop's sound server. Everything is asynchronous: state()
// reads what the server last said, and a change asked for shows there, with
// changed(), once the server has made it.
class AudioOutput : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Begins to follow the server, once: until then, and until it answers,
    // the state is Connecting.
    virtual void watch() = 0;
    virtual OutputState state() const = 0;
    // Sets sink's mute switch and channel volumes to level. Without a server,
    // or for a sink that has gone, nothing happens.
    virtual void setLevel(const QString &sink, const OutputLevel &level) = 0;
    // The program is about to end: sends what is still to be sent and waits
    // for the server to take it, at most timeoutMs.
    virtual void finish(int timeoutMs) = 0;

Q_SIGNALS:
    // state() reads differently: the server answered, the output or its level
    // changed, or the player's stream moved to another output.
    void changed();
};

} // namespace chimebox::playback
