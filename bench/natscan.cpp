// The reference for showing a big folder: a bare program that lists a folder's
// audio files in the order chimebox must show them, natural (numeric,
// case-insensitive) through QCollator's ICU sort keys, in one process. Each
// of its five rounds reads, filters and sorts the folder afresh and prints
// "ms=<milliseconds> n=<files>"; the first round also opens the collator, as
// a fresh start does. The scan is the shared reference's, line for line;
// only the layout and the usage line are the project's.
// Usage: bench_natscan FOLDER
#include <QCollator>
#include <QCollatorSortKey>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

static bool is_audio(const std::string &n)
{
    auto d = n.rfind('.');
    if (d == std::string::npos || n.size() - d != 4)
        return false;
    std::string e = n.substr(d + 1);
    for (auto &c : e)
        c = char(tolower(c));
    return e == "wav" || e == "mp3" || e == "wma";
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (int r = 0; r < 5; r++) {
        auto t0 = std::chrono::steady_clock::now();
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(argv[1])) {
            if (!e.is_regular_file())
                continue;
            std::string n = e.path().filename().string();
            if (is_audio(n))
                names.push_back(std::move(n));
        }
        QCollator col;
        col.setNumericMode(true);
        col.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<std::pair<QCollatorSortKey, int>> keys;
        keys.reserve(names.size());
        for (int i = 0; i < (int)names.size(); i++)
            keys.emplace_back(col.sortKey(QString::fromStdString(names[i])), i);
        std::sort(keys.begin(), keys.end(),
                  [](auto &a, auto &b) { return a.first.compare(b.first) < 0; });
        auto t1 = std::chrono::steady_clock::now();
        std::printf("ms=%.1f n=%zu\n", std::chrono::duration<double, std::milli>(t1 - t0).count(),
                    names.size());
    }
}
