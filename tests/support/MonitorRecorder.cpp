#include "support/MonitorRecorder.h"

#include <QtEndian>

MonitorRecorder::MonitorRecorder(QObject *parent) : QObject(parent)
{
    parec_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&parec_, &QProcess::readyReadStandardOutput, this, &MonitorRecorder::readAvailable);
}

MonitorRecorder::~MonitorRecorder()
{
    if (parec_.state() == QProcess::NotRunning)
        return;
    parec_.terminate();
    if (!parec_.waitForFinished(3000))
        parec_.kill();
    parec_.waitForFinished(3000);
}

bool MonitorRecorder::start(const QString &source)
{
    // A short latency makes chunks arrive close to when they were played.
    parec_.start(QStringLiteral("parec"),
                 {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                  QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--channels=2"),
                  QStringLiteral("--latency-msec=20"), QStringLiteral("-d"), source});
    if (!parec_.waitForStarted(5000)) {
        error_ = QStringLiteral("parec did not start: ") + parec_.errorString();
        return false;
    }
    clock_.start();
    return true;
}

void MonitorRecorder::readAvailable()
{
    samples_.append(parec_.readAllStandardOutput());
    chunks_.append({frameCount(), clock_.elapsed()});
}

qint16 MonitorRecorder::left(qint64 frame) const
{
    return qFromLittleEndian<qint16>(samples_.constData() + frame * 4);
}

bool MonitorRecorder::frameSounds(qint64 frame) const
{
    const char *bytes = samples_.constData() + frame * 4;
    return qFromLittleEndian<qint16>(bytes) != 0 || qFromLittleEndian<qint16>(bytes + 2) != 0;
}

qint64 MonitorRecorder::firstSoundFrom(qint64 from) const
{
    for (qint64 frame = qMax<qint64>(from, 0); frame < frameCount(); ++frame) {
        if (frameSounds(frame))
            return frame;
    }
    return -1;
}

qint64 MonitorRecorder::lastSound() const
{
    for (qint64 frame = frameCount() - 1; frame >= 0; --frame) {
        if (frameSounds(frame))
            return frame;
    }
    return -1;
}

qint64 MonitorRecorder::firstSilenceFrom(qint64 from, qint64 length) const
{
    qint64 silentSince = -1;
    for (qint64 frame = qMax<qint64>(from, 0); frame < frameCount(); ++frame) {
        if (frameSounds(frame)) {
            silentSince = -1;
            continue;
        }
        if (silentSince < 0)
            silentSince = frame;
        if (frame + 1 - silentSince >= length)
            return silentSince;
    }
    return -1;
}

qint64 MonitorRecorder::longestSilence(qint64 from, qint64 to) const
{
    qint64 longest = 0;
    qint64 silentSince = -1;
    for (qint64 frame = qMax<qint64>(from, 0); frame < qMin(to, frameCount()); ++frame) {
        if (frameSounds(frame))
            silentSince = -1;
        else if (silentSince < 0)
            silentSince = frame;
        if (silentSince >= 0)
            longest = qMax(longest, frame + 1 - silentSince);
    }
    return longest;
}

qint64 MonitorRecorder::arrivalMs(qint64 frame) const
{
    for (const Chunk &chunk : chunks_) {
        if (frame < chunk.endFrame)
            return chunk.arrivedMs;
    }
    return -1;
}

qint64 MonitorRecorder::toneFrom(qint64 from, double hz, qint64 window) const
{
    const qint64 step = framesIn(10);
    for (qint64 first = qMax<qint64>(from, 0); first + window <= frameCount(); first += step) {
        if (qAbs(frequencyHz(first, window) - hz) <= hz * 0.1)
            return first;
    }
    return -1;
}

double MonitorRecorder::frequencyHz(qint64 first, qint64 count) const
{
    if (first < 0 || count < 2 || first + count > frameCount())
        return 0;
    // A sine crosses zero twice per period; zeros themselves are skipped so a
    // sample that lands exactly on zero is not counted twice.
    int crossings = 0;
    int previousSign = 0;
    for (qint64 frame = first; frame < first + count; ++frame) {
        const qint16 sample = left(frame);
        const int sign = sample > 0 ? 1 : sample < 0 ? -1 : 0;
        if (sign == 0)
            continue;
        if (previousSign != 0 && sign != previousSign)
            ++crossings;
        previousSign = sign;
    }
    return crossings / 2.0 * kRate / double(count);
}
