#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>

// Records a PulseAudio source (a sink's monitor) through parec into memory, as
// 16-bit stereo frames at 44.1 kHz, and answers questions about what was heard.
// Frames are numbered from the start of the recording; each chunk remembers
// when it arrived, so a frame can be placed on the recorder's own clock.
class MonitorRecorder : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRate = 44100;

    explicit MonitorRecorder(QObject *parent = nullptr);
    ~MonitorRecorder() override;

    // Starts parec on source; false, with the reason in error(), when it fails.
    bool start(const QString &source);
    QString error() const { return error_; }

    // Milliseconds on the recorder's clock, which starts with the recording.
    qint64 elapsedMs() const { return clock_.elapsed(); }
    qint64 frameCount() const { return samples_.size() / 4; }
    static qint64 framesIn(int ms) { return qint64(ms) * kRate / 1000; }

    // The first frame at or after from with a sample other than zero; -1 if none.
    qint64 firstSoundFrom(qint64 from) const;
    // The last frame with a sample other than zero; -1 if none.
    qint64 lastSound() const;
    // The first frame at or after from that begins `length` silent frames in a
    // row; -1 if none yet.
    qint64 firstSilenceFrom(qint64 from, qint64 length) const;
    // The most frames in a row without sound from `from` up to `to`: the
    // silence between two sounds.
    qint64 longestSilence(qint64 from, qint64 to) const;
    // When the chunk holding frame arrived, on the recorder's clock.
    qint64 arrivalMs(qint64 frame) const;
    // The start of the first window of `window` frames, at or after from and
    // in 10 ms steps, whose pitch is within 10 % of hz; -1 if none yet. A window
    // that is partly silent or holds another tone falls outside.
    qint64 toneFrom(qint64 from, double hz, qint64 window) const;
    // The left channel's pitch over count frames from the first, by counting
    // zero crossings; 0 for a window that is not wholly recorded.
    double frequencyHz(qint64 first, qint64 count) const;

private:
    void readAvailable();
    qint16 left(qint64 frame) const;
    bool frameSounds(qint64 frame) const;

    struct Chunk
    {
        qint64 endFrame;
        qint64 arrivedMs;
    };

    QProcess parec_;
    QElapsedTimer clock_;
    QByteArray samples_;
    QList<Chunk> chunks_;
    QString error_;
};
