#pragma once

#include <QByteArray>

namespace chimebox::engine {

// A mono 16-bit PCM WAV file, whole, in memory: one sine tone with short fades
// so it starts and ends without a click.
QByteArray toneWav(double frequencyHz, int milliseconds, int sampleRate = 44100);

// The player's own chime: three bell-like strokes that ring out, about 2.5 s.
QByteArray chimeWav(int sampleRate = 22050);

} // namespace chimebox::engine
