// Times the bare listing of a folder (see BareScan.h) and prints the median
// milliseconds, how many names it found, and the bytes those names take as
// UTF-16, the form Qt holds text in: what showing them costs at the least.
// Usage: bench_bare_scan FOLDER [files|folders] [RUNS]
#include "BareScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// UTF-16 units of UTF-8 text: one per character, two beyond the first plane.
std::size_t utf16Units(const std::string &text)
{
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xc0) != 0x80)
            units += byte >= 0xf0 ? 2 : 1;
    }
    return units;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [files|folders] [RUNS]\n", argv[0]);
        return 2;
    }
    const bool folders = argc > 2 && std::strcmp(argv[2], "folders") == 0;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<double> times;
    std::vector<std::string> names;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        names = barescan::list(argv[1], folders);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    std::size_t bytes = 0;
    for (const std::string &name : names)
        bytes += 2 * utf16Units(name);
    std::sort(times.begin(), times.end());
    std::printf("%.1f %zu %zu\n", times[times.size() / 2], names.size(), bytes);
    return 0;
}
