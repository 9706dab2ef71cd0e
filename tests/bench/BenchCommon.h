// What the benchmarks share: the saved game of 30 x 30 written and read key by key as the game
// does, the baseline of splitting a file's bytes into lines, and the median of repeated timings.
// Built natively as well as for Windows: no system headers here.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bench {

const int Columns = 30, Rows = 30;

// The game writer's order: the settings keys, then four keys per cell, rows outer.
template <class TStore>
void WriteGame(TStore& store) {
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

// The game reader's lookups, one key at a time; returns a checksum so that nothing is optimised away.
template <class TStore>
int64_t ReadGame(const TStore& store) {
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

// The baseline: the file's lines and nothing more.
inline std::vector<std::string> SplitLines(const std::string& bytes) {
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

// The middle one of the timings (the upper middle of an even count): one slow run from another
// process on the machine does not move it.
inline double Median(std::vector<double> times) {
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

inline double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template <class Work>
double MedianMilliseconds(int repetitions, Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(MillisecondsSince(start));
    }
    return Median(std::move(times));
}

}  // namespace bench
