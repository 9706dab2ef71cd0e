// The settings-file class on a real saved game of 30 x 30 under the system: Load, the game
// reader's lookups and Save, compared with merely reading the file's bytes and splitting them
// into lines. Prints figures; passes or fails nothing.
#include "Include/StoredTextList.h"

#include <windows.h>

#include "tests/bench/BenchCommon.h"
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int Repetitions = 100;
int64_t Checksum = 0;

}  // namespace

int main() {
    const TTempFolder folder("BenchStoredTextList");
    const std::string path = folder / "game.tvg";

    TStoredTextList list(path);
    list.OnAfterLoad = [](TStoredTextList& loaded) { Checksum += bench::ReadGame(loaded); };
    list.OnBeforeSave = [](TStoredTextList& saving) { bench::WriteGame(saving); };
    if (!list.Load() || !list.Save(false)) {
        std::printf("could not make %s\n", path.c_str());
        return 1;
    }
    size_t lineCount = 0;
    bool allSaved = true;
    const double split = bench::MedianMilliseconds(Repetitions, [&] { lineCount = bench::SplitLines(ReadFileBytes(path)).size(); });
    const double load = bench::MedianMilliseconds(Repetitions, [&] { list.Load(); });
    const double save = bench::MedianMilliseconds(Repetitions, [&] { allSaved = list.Save(false) && allSaved; });
    const double whole = bench::MedianMilliseconds(Repetitions, [&] { allSaved = list.Load() && list.Save(false) && allSaved; });
    std::printf("saved game 30 x 30: %zu lines, checksum %lld%s\n", lineCount, static_cast<long long>(Checksum),
                allSaved ? "" : ", SOME SAVES FAILED");
    std::printf("load+lookups: %.3f ms  save (with flush and rename): %.3f ms\n", load, save);
    std::printf("read+split: %.3f ms  load+lookups+save: %.3f ms  ratio %.1fx\n", split, whole, whole / split);
    return allSaved ? 0 : 1;
}
