// What the Windows benchmarks measure with: a clock in seconds and the process's peak of memory.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>

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
