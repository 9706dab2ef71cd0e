// How much a saved game of 30 x 30 costs in the settings-file document compared with merely
// reading its bytes and splitting them into lines. Prints figures; passes or fails nothing.
#include "Include/Core/TextStore.h"
#include "Tilvane/Core/GameFiles.h"

#include "tests/bench/BenchCommon.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int Repetitions = 200;


std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}



}  // namespace

int main() {
    const std::string path = "BenchTextStore-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".tvg";
    TTextStore written;
    bench::WriteGame(written);
    std::ofstream(path, std::ios::binary) << written.ToBytes();

    size_t lineCount = 0;
    int64_t checksum = 0;
    const double split = bench::MedianMilliseconds(Repetitions, [&] { lineCount = bench::SplitLines(ReadBytes(path)).size(); });
    const double whole = bench::MedianMilliseconds(Repetitions, [&] {
        TTextStore store;
        store.Parse(ReadBytes(path));
        checksum += bench::ReadGame(store);
        bench::WriteGame(store);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << store.ToBytes();
    });
    // The game's own reader and writer on the same file, in memory: the record's share of a load and a save.
    const std::string bytes = written.ToBytes();
    const double records = bench::MedianMilliseconds(Repetitions, [&] {
        TTextStore store;
        store.Parse(bytes);
        const TSavedGame game = ReadGame(store, TCommonKeys{});
        WriteGame(store, game);
        checksum += game.Board.MovesCount() + static_cast<int64_t>(store.ToBytes().size());
    });
    std::remove(path.c_str());
    std::printf("saved game 30 x 30: %zu lines, checksum %lld\n", lineCount, static_cast<long long>(checksum));
    std::printf("read+split: %.3f ms  load+lookups+save: %.3f ms  ratio %.1fx\n", split, whole, whole / split);
    std::printf("parse+ReadGame+WriteGame+bytes (records): %.3f ms\n", records);
    return 0;
}
