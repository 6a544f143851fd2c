// Times the bare listing of a folder (see BareScan.h) and prints the median
// milliseconds and what it found.
// Usage: bench_bare_scan FOLDER [files|folders] [RUNS]
#include "BareScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [files|folders] [RUNS]\n", argv[0]);
        return 2;
    }
    const bool folders = argc > 2 && std::strcmp(argv[2], "folders") == 0;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::vector<double> times;
    std::size_t found = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        found = barescan::list(argv[1], folders).size();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f %zu\n", times[times.size() / 2], found);
    return 0;
}
