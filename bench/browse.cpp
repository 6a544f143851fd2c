// How long File1 and Dir1 take to show a big folder, painted, against the
// bare scan of the same folder, interleaved in one process; medians. Each
// list first moves to an empty folder, so the big one is read afresh;
// "again" sets the same, unchanged folder once more.
// Usage: bench_browse FILES_FOLDER DIRS_FOLDER [RUNS]
#include "BareScan.h"
#include "base/NativeName.h"
#include "core/browse/FolderScan.h"
#include "gui/browse/DirList.h"
#include "gui/browse/FileList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace chimebox::browse;

namespace {

double msOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Ready means painted: the layout a view defers is part of showing the folder.
void settle(QAbstractItemView &view)
{
    QCoreApplication::processEvents();
    view.viewport()->repaint();
}

struct Figures
{
    std::vector<double> bare;
    std::vector<double> shown;
    std::vector<double> again;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void print(const char *what, const Figures &figures)
{
    const double bare = median(figures.bare);
    const double shown = median(figures.shown);
    const double again = median(figures.again);
    std::printf("%-24s %8.1f %8.1f %6.2fx %8.1f\n", what, bare, shown, shown / bare, again);
}

// Rounds of: the bare scan of folder; the list moved to an empty folder (not
// timed); the list moved to folder; and once more.
template <typename List>
Figures measure(List &list, const QString &folder, bool folders, const QString &empty, int runs,
                std::size_t &found)
{
    Figures figures;
    for (int run = 0; run < runs; ++run) {
        figures.bare.push_back(msOf(
            [&] { found = barescan::list(chimebox::nativename::toPath(folder), folders).size(); }));
        list.setPath(empty);
        settle(list);
        figures.shown.push_back(msOf([&] {
            list.setPath(folder);
            settle(list);
        }));
        figures.again.push_back(msOf([&] {
            list.setPath(folder);
            settle(list);
        }));
    }
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILES_FOLDER DIRS_FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    const QString filesFolder = QString::fromLocal8Bit(argv[1]);
    const QString dirsFolder = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const QTemporaryDir empty;

    // One scan for both lists, as in the window.
    chimebox::browse::FolderScan scan;
    FileList files(scan);
    files.setPattern(QStringLiteral("*.wav;*.mp3;*.wma"));
    files.resize(425, 426);
    files.show();
    DirList dirs(scan);
    dirs.resize(425, 174);
    dirs.show();
    settle(files);
    settle(dirs);

    std::size_t folders = 0;
    const Figures dirFigures = measure(dirs, dirsFolder, true, empty.path(), runs, folders);
    std::size_t listed = 0;
    const Figures fileFigures = measure(files, filesFolder, false, empty.path(), runs, listed);
    if (std::size_t(files.listCount()) != listed) {
        std::fprintf(stderr, "File1 shows %d files, the bare scan found %zu\n", files.listCount(),
                     listed);
        return 1;
    }
    std::printf("%-24s %8s %8s %7s %8s\n", "list", "bare ms", "shown ms", "ratio", "again ms");
    print(qPrintable(QStringLiteral("File1, %1 files").arg(listed)), fileFigures);
    print(qPrintable(QStringLiteral("Dir1, %1 subfolders").arg(folders)), dirFigures);
    return 0;
}
