// How long the file list takes to show a big folder: the direct scan the
// program uses, against QDir's own name filters for comparison.
#include "core/browse/FolderScan.h"
#include "core/browse/NaturalOrder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString kPattern = QStringLiteral("*.wav;*.mp3;*.wma");

// A folder of n files, one in four of them not audio.
class BigFolder
{
public:
    explicit BigFolder(int n)
    {
        static const char *const suffixes[] = {".mp3", ".WAV", ".wma", ".txt"};
        for (int i = 0; i < n; ++i) {
            QFile file(dir_.filePath(
                QStringLiteral("track %1%2").arg(i).arg(QLatin1String(suffixes[i % 4]))));
            file.open(QIODevice::WriteOnly);
        }
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

void listWithScan(benchmark::State &state)
{
    const BigFolder folder(int(state.range(0)));
    chimebox::browse::FolderScan scan;
    for (auto _ : state)
        benchmark::DoNotOptimize(scan.audioFiles(folder.path(), kPattern));
}

void listWithEntryList(benchmark::State &state)
{
    const BigFolder folder(int(state.range(0)));
    const QStringList filters = kPattern.split(u';');
    for (auto _ : state) {
        QStringList names = QDir(folder.path()).entryList(filters, QDir::Files);
        chimebox::browse::sortNaturally(names);
        benchmark::DoNotOptimize(names);
    }
}

} // namespace

BENCHMARK(listWithScan)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(listWithEntryList)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
