// The settings-file class on a real saved game of 30 x 30 under the system: Load, the game
// reader's lookups and Save, compared with merely reading the file's bytes and splitting them
// into lines. Prints figures; passes or fails nothing.
#include "Include/StoredTextList.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int Columns = 30, Rows = 30, Repetitions = 100;

// The game writer's order: the settings keys, then four keys per cell, rows outer.
void WriteGame(TStoredTextList& list) {
    list.Clear();
    const std::string game = "TilvaneGame";
    list.WriteInteger(game, "ColumnsCount", Columns);
    list.WriteInteger(game, "RowsCount", Rows);
    list.WriteBool(game, "LightGrid", false);
    list.WriteString(game, "PictureTitle", "C:\\Users\\Player\\Pictures\\Mountain lake at dawn.jpg");
    list.WriteInteger(game, "ResultedColumns", Columns);
    list.WriteInteger(game, "ResultedRows", Rows);
    list.WriteInteger(game, "MovesCount", 1234);
    list.WriteInteger(game, "WrongMoves", 56);
    for (int n = 0; n < Columns * Rows; ++n) {
        const std::string number = std::to_string(n);
        list.WriteInteger("Map", "C" + number, n * 7 % Columns);
        list.WriteInteger("Map", "R" + number, n * 11 % Rows);
        list.WriteBool("Map", "FH" + number, n % 2 == 0);
        list.WriteBool("Map", "FV" + number, n % 3 == 0);
    }
}

// The game reader's lookups, one key at a time; the checksum keeps them from being optimised away.
int64_t Checksum = 0;
void ReadGame(TStoredTextList& list) {
    const std::string game = "TilvaneGame";
    int32_t columns = 7, rows = 7, resultedColumns = 7, resultedRows = 7, moves = 0, wrong = 0;
    bool light = false;
    std::string picture;
    list.ReadInteger(game, "ColumnsCount", columns, 30, 5);
    list.ReadInteger(game, "RowsCount", rows, 30, 5);
    list.ReadBool(game, "LightGrid", light);
    list.ReadString(game, "PictureTitle", picture, true, 259);
    list.ReadInteger(game, "ResultedColumns", resultedColumns, 30, 1);
    list.ReadInteger(game, "ResultedRows", resultedRows, 30, 1);
    list.ReadInteger(game, "MovesCount", moves, 2147483647, 0);
    list.ReadInteger(game, "WrongMoves", wrong, 2147483647, 0);
    Checksum += columns + rows + moves + wrong + static_cast<int64_t>(picture.size());
    for (int n = 0; n < resultedColumns * resultedRows; ++n) {
        const std::string number = std::to_string(n);
        int32_t column = n % resultedColumns, row = n / resultedColumns;
        bool flipH = false, flipV = false;
        list.ReadInteger("Map", "C" + number, column, resultedColumns - 1, 0);
        list.ReadInteger("Map", "R" + number, row, resultedRows - 1, 0);
        list.ReadBool("Map", "FH" + number, flipH);
        list.ReadBool("Map", "FV" + number, flipV);
        Checksum += column * 31 + row + flipH * 2 + flipV;
    }
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) bytes.resize(read);
    CloseHandle(file);
    return bytes;
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
    const std::string folder = "C:\\Tilvane\\tmp\\BenchStoredTextList-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA("C:\\Tilvane", nullptr);
    CreateDirectoryA("C:\\Tilvane\\tmp", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\game.tvg";

    TStoredTextList list(path);
    list.OnAfterLoad = ReadGame;
    list.OnBeforeSave = WriteGame;
    if (!list.Load() || !list.Save(false)) {
        std::printf("could not make %s\n", path.c_str());
        return 1;
    }
    size_t lineCount = 0;
    bool allSaved = true;
    const double split = MedianMilliseconds([&] { lineCount = SplitLines(ReadBytes(path)).size(); });
    const double load = MedianMilliseconds([&] { list.Load(); });
    const double save = MedianMilliseconds([&] { allSaved = list.Save(false) && allSaved; });
    const double whole = MedianMilliseconds([&] { allSaved = list.Load() && list.Save(false) && allSaved; });
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
    std::printf("saved game 30 x 30: %zu lines, checksum %lld%s\n", lineCount, static_cast<long long>(Checksum),
                allSaved ? "" : ", SOME SAVES FAILED");
    std::printf("load+lookups: %.3f ms  save (with flush and rename): %.3f ms\n", load, save);
    std::printf("read+split: %.3f ms  load+lookups+save: %.3f ms  ratio %.1fx\n", split, whole, whole / split);
    return allSaved ? 0 : 1;
}
