// What reading the largest results file the game takes costs at a start: 10000 entries of one
// grid, their pictures in one folder. Prints figures; passes or fails nothing.
#include "Tilvane/Core/BestResults.h"

#include "tests/bench/BenchCommon.h"

#include <cstdio>
#include <string>

int main() {
    TBestResults results;
    for (size_t i = 0; i < TBestResults::MaxEntries; ++i)
        results.Record(TResultKey{"C:\\Users\\Player\\Pictures\\Holidays\\Picture " + std::to_string(i) + ".jpg", 7, 5,
                                  false},
                       187, 40, 6, "2026-12-01");
    TTextStore written;
    results.Write(written);
    const std::string bytes = written.ToBytes();
    std::string refused;
    size_t entries = 0;
    const double read = bench::MedianMilliseconds(3, [&] {
        TTextStore store;
        store.Parse(bytes);
        TBestResults taken;
        refused = taken.Read(store);
        entries = taken.Entries().size();
    });
    const double solve = bench::MedianMilliseconds(3, [&] {
        TBestResults full = results;
        full.Record(TResultKey{"C:\\New.jpg", 7, 5, false}, 100, 30, 2, "2026-12-02");
    });
    std::printf("results file of %zu entries (%zu bytes)%s: parse+read %.1f ms; a solve in a full list, with its copy, %.1f ms\n", entries,
                bytes.size(), refused.empty() ? "" : " REFUSED", read, solve);
    return 0;
}
