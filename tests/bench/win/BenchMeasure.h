// What the Windows benchmarks measure with: a clock in seconds, the process's peak of memory and the
// median of repeated times with their spread.
#pragma once

#include <windows.h>
#include <psapi.h>

#include "tests/bench/BenchCommon.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

inline double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Wine's private-bytes counters leave out the heap, so the peak working set stands for them:
// every byte a decode allocates it also writes.
inline double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(std::max(counters.PeakWorkingSetSize, counters.PeakPagefileUsage)) / (1024.0 * 1024.0);
}

// The median of a step's times with their spread, the machine being shared.
struct TSpread {
    std::vector<double> Ms;
    void Add(double seconds) { Ms.push_back(seconds * 1e3); }
    double Median() const { return bench::Median(Ms); }
    std::string Text() const {
        char text[96];
        std::snprintf(text, sizeof text, "%8.1f ms  (%.1f to %.1f)", Median(), *std::min_element(Ms.begin(), Ms.end()),
                      *std::max_element(Ms.begin(), Ms.end()));
        return text;
    }
};
