#include "engine/ToneWav.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace chimebox::engine {

namespace {

void appendLe32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void appendLe16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

QByteArray wavFromSamples(const std::vector<double> &samples, int sampleRate)
{
    const quint32 dataBytes = static_cast<quint32>(samples.size() * 2);
    QByteArray out;
    out.reserve(44 + static_cast<qsizetype>(dataBytes));
    out.append("RIFF", 4);
    appendLe32(out, 36 + dataBytes);
    out.append("WAVEfmt ", 8);
    appendLe32(out, 16);
    appendLe16(out, 1); // PCM
    appendLe16(out, 1); // mono
    appendLe32(out, static_cast<quint32>(sampleRate));
    appendLe32(out, static_cast<quint32>(sampleRate) * 2);
    appendLe16(out, 2);
    appendLe16(out, 16);
    out.append("data", 4);
    appendLe32(out, dataBytes);
    for (double s : samples) {
        const double clamped = std::clamp(s, -1.0, 1.0);
        appendLe16(out, static_cast<quint16>(static_cast<qint16>(std::lround(clamped * 32767))));
    }
    return out;
}

} // namespace

QByteArray toneWav(double frequencyHz, int milliseconds, int sampleRate)
{
    const auto count = static_cast<std::size_t>(std::max(0, milliseconds)) *
                       static_cast<std::size_t>(sampleRate) / 1000;
    const double fade = sampleRate * 0.005;
    std::vector<double> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double edge = static_cast<double>(std::min(i, count - 1 - i));
        const double gain = std::min(1.0, edge / fade);
        samples[i] =
            0.5 * gain *
            std::sin(2 * std::numbers::pi * frequencyHz * static_cast<double>(i) / sampleRate);
    }
    return wavFromSamples(samples, sampleRate);
}

QByteArray chimeWav(int sampleRate)
{
    struct Stroke
    {
        double startSeconds;
        double frequencyHz;
    };
    // A falling triad, each stroke ringing with a quieter inharmonic partial
    // so it sounds like a bell rather than a beep.
    constexpr Stroke strokes[] = {{0.0, 1046.5}, {0.45, 830.6}, {0.9, 698.5}};
    constexpr double totalSeconds = 2.6;
    const auto count = static_cast<std::size_t>(totalSeconds * sampleRate);
    std::vector<double> samples(count, 0.0);
    for (const Stroke &stroke : strokes) {
        const auto first = static_cast<std::size_t>(stroke.startSeconds * sampleRate);
        for (std::size_t i = first; i < count; ++i) {
            const double t = static_cast<double>(i - first) / sampleRate;
            const double attack = std::min(1.0, t / 0.004);
            const double ring = attack * std::exp(-t * 2.2);
            const double w = 2 * std::numbers::pi * stroke.frequencyHz * t;
            samples[i] += 0.22 * ring * (std::sin(w) + 0.35 * std::sin(2.76 * w));
        }
    }
    // Fade the tail out so the file ends in silence.
    const auto tail = static_cast<std::size_t>(0.2 * sampleRate);
    for (std::size_t k = 0; k < tail && k < count; ++k)
        samples[count - 1 - k] *= static_cast<double>(k) / static_cast<double>(tail);
    return wavFromSamples(samples, sampleRate);
}

} // namespace chimebox::engine
