// How much a saved game of 30 x 30 costs in the settings-file document compared with merely
// reading its bytes and splitting them into lines. Prints figures; passes or fails nothing.
#include "Include/Core/TextStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int Columns = 30, Rows = 30, Repetitions = 200;

// The game writer's order: the settings keys, then four keys per cell, rows outer.
void WriteGame(TTextStore& store) {
    store.Clear();
    const std::string game = "TilvaneGame";
    store.WriteInteger(game, "ColumnsCount", Columns);
    store.WriteInteger(game, "RowsCount", Rows);
    store.WriteBool(game, "LightGrid", false);
    store.WriteString(game, "PictureTitle", "C:\\Users\\Player\\Pictures\\Mountain lake at dawn.jpg");
    store.WriteInteger(game, "ResultedColumns", Columns);
    store.WriteInteger(game, "ResultedRows", Rows);
    store.WriteInteger(game, "MovesCount", 1234);
    store.WriteInteger(game, "WrongMoves", 56);
    for (int n = 0; n < Columns * Rows; ++n) {
        const std::string number = std::to_string(n);
        store.WriteInteger("Map", "C" + number, n * 7 % Columns);
        store.WriteInteger("Map", "R" + number, n * 11 % Rows);
        store.WriteBool("Map", "FH" + number, n % 2 == 0);
        store.WriteBool("Map", "FV" + number, n % 3 == 0);
    }
}

// The game reader's lookups, one key at a time; returns a checksum so nothing is optimised away.
int64_t ReadGame(const TTextStore& store) {
    const std::string game = "TilvaneGame";
    int32_t columns = 7, rows = 7, resultedColumns = 7, resultedRows = 7, moves = 0, wrong = 0;
    bool light = false;
    std::string picture;
    store.ReadInteger(game, "ColumnsCount", columns, 30, 5);
    store.ReadInteger(game, "RowsCount", rows, 30, 5);
    store.ReadBool(game, "LightGrid", light);
    store.ReadString(game, "PictureTitle", picture, true, 259);
    store.ReadInteger(game, "ResultedColumns", resultedColumns, 30, 1);
    store.ReadInteger(game, "ResultedRows", resultedRows, 30, 1);
    store.ReadInteger(game, "MovesCount", moves, 2147483647, 0);
    store.ReadInteger(game, "WrongMoves", wrong, 2147483647, 0);
    int64_t sum = columns + rows + moves + wrong + static_cast<int64_t>(picture.size());
    for (int n = 0; n < resultedColumns * resultedRows; ++n) {
        const std::string number = std::to_string(n);
        int32_t column = n % resultedColumns, row = n / resultedColumns;
        bool flipH = false, flipV = false;
        store.ReadInteger("Map", "C" + number, column, resultedColumns - 1, 0);
        store.ReadInteger("Map", "R" + number, row, resultedRows - 1, 0);
        store.ReadBool("Map", "FH" + number, flipH);
        store.ReadBool("Map", "FV" + number, flipV);
        sum += column * 31 + row + flipH * 2 + flipV;
    }
    return sum;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.emplace_back(bytes, start, end - start);
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

template <class Work>
double MedianMilliseconds(Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < Repetitions; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + Repetitions / 2, times.end());
    return times[Repetitions / 2];
}

}  // namespace

int main() {
    const std::string path = "BenchTextStore-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".tvg";
    TTextStore written;
    WriteGame(written);
    std::ofstream(path, std::ios::binary) << written.ToBytes();

    size_t lineCount = 0;
    int64_t checksum = 0;
    const double split = MedianMilliseconds([&] { lineCount = SplitLines(ReadBytes(path)).size(); });
    const double whole = MedianMilliseconds([&] {
        TTextStore store;
        store.Parse(ReadBytes(path));
        checksum += ReadGame(store);
        WriteGame(store);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << store.ToBytes();
    });
    std::remove(path.c_str());
    std::printf("saved game 30 x 30: %zu lines, checksum %lld\n", lineCount, static_cast<long long>(checksum));
    std::printf("read+split: %.3f ms  load+lookups+save: %.3f ms  ratio %.1fx\n", split, whole, whole / split);
    return 0;
}
