// One full tick with both timers on: all four settings files present, neither
// time matching the clock, so every presence test and both reads happen.
#include "core/playback/PlaybackSession.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePlayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using chimebox::settings::SettingsFile;
using chimebox::settings::SettingsFolder;

namespace {

void put(const SettingsFolder &folder, SettingsFile file, const QByteArray &content)
{
    QFile f(folder.path(file));
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
}

void fullTick(benchmark::State &state)
{
    QTemporaryDir dir;
    const SettingsFolder folder(dir.path());
    put(folder, SettingsFile::StopMarker, "\r\n");
    put(folder, SettingsFile::StopTime, "0630\r\n");
    put(folder, SettingsFile::PlayMarker, "\r\n");
    put(folder, SettingsFile::PlayTime, "0730\r\n");

    FakeClock clock(QDate(2024, 3, 1), QTime(12, 0));
    FakePlayer player;
    player.putPlayState(FakePlayer::PlayState::Stopped);
    chimebox::playback::PlaybackSession session(player, clock, folder);
    session.showFolder(QStringLiteral("/music"), {"a.mp3", "b.mp3"});
    session.select(0);

    for (auto _ : state) {
        const auto result = session.tick();
        benchmark::DoNotOptimize(result);
    }
    if (player.stopCount != 0 || !player.urls.isEmpty())
        state.SkipWithError("a timer fired: the set-up is wrong");
}

} // namespace

BENCHMARK(fullTick)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
