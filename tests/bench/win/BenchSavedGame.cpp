// A saved game of 30 x 30 through the game window's own code: loading it (the file read aside
// and checked, the picture decoded and painted on the saved grid, every piece drawn) and saving
// it, side by side with merely reading the file's bytes and splitting them into lines. The same
// game without a picture separates the file's share of a load from the picture's. Prints
// figures; passes or fails nothing.
#include "Include/Error.h"
#include "Include/Myrandom.h"
#include "Tilvane/TilvaneDialog.h"
#include "tests/bench/BenchCommon.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int Repetitions = 21;
const int PictureSide = 1500;

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    CloseHandle(file);
    return complete;
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

// A square 24-bit BMP with gradients and a checkerboard.
std::string PictureBytes(int side) {
    const int rowBytes = (side * 3 + 3) / 4 * 4;
    std::string bmp(54 + static_cast<size_t>(rowBytes) * side, '\0');
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(side));
    put32(22, static_cast<uint32_t>(side));
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const size_t at = 54 + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 3;
            bmp[at] = static_cast<char>(((x / 50 + y / 50) & 1) ? 230 : 40);
            bmp[at + 1] = static_cast<char>(y * 255 / side);
            bmp[at + 2] = static_cast<char>(x * 255 / side);
        }
    return bmp;
}

// A game as the program writes one: every piece on the opposite place, mirrored in a pattern.
std::string GameText(const std::string& picture) {
    const int cells = bench::Columns * bench::Rows;
    std::string text = "[TilvaneGame]\r\nColumnsCount=7\r\nRowsCount=7\r\nLightGrid=FALSE\r\nPictureTitle=" + picture +
                       "\r\nResultedColumns=30\r\nResultedRows=30\r\nMovesCount=1234\r\nWrongMoves=56\r\n\r\n[Map]\r\n";
    for (int n = 0; n < cells; ++n) {
        const int piece = cells - 1 - n;
        const std::string number = std::to_string(n);
        text += "C" + number + "=" + std::to_string(piece % bench::Columns) + "\r\n";
        text += "R" + number + "=" + std::to_string(piece / bench::Columns) + "\r\n";
        text += "FH" + number + "=" + (n % 2 == 0 ? "TRUE" : "FALSE") + "\r\n";
        text += "FV" + number + "=" + (n % 3 == 0 ? "TRUE" : "FALSE") + "\r\n";
    }
    return text + "\r\n";
}

// The load took the game over: the window names the file and shows the saved grid.
bool Loaded(const TTilvaneForm& form, const std::string& game) {
    return form.LastGamePath == game && form.Board.ResultedColumns == bench::Columns &&
           form.Board.ResultedRows == bench::Rows && form.Board.MovesCount == 1234;
}

// The median time of saving to a path that does not exist yet, so that no overwrite question comes.
double MedianSaveMilliseconds(TTilvaneForm& form, const std::string& path, bool& allSaved) {
    std::vector<double> times;
    for (int i = 0; i < Repetitions; ++i) {
        DeleteFileA(path.c_str());
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            allSaved = false;
            return 0;
        }
        const auto start = std::chrono::steady_clock::now();
        allSaved = form.SaveGameTo(path) && allSaved;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + Repetitions / 2, times.end());
    return times[Repetitions / 2];
}

}  // namespace

int main() {
    InstallReportServices();
    SeedRandom();
    TTilvaneForm form;
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    form.ArrangeWindow();

    const std::string folder = "C:\\Tilvane\\tmp\\BenchSavedGame-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA("C:\\Tilvane", nullptr);
    CreateDirectoryA("C:\\Tilvane\\tmp", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string picture = folder + "\\square.bmp", game = folder + "\\game.tvg",
                      withoutPicture = folder + "\\without-picture.tvg", saved = folder + "\\saved.tvg";
    auto cleanUp = [&] {
        for (const std::string& path : {picture, game, withoutPicture, saved}) DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    };
    if (!WriteBytes(picture, PictureBytes(PictureSide)) || !WriteBytes(game, GameText(picture)) ||
        !WriteBytes(withoutPicture, GameText(folder + "\\notes.txt"))) {
        std::printf("could not write the files in %s\n", folder.c_str());
        cleanUp();
        return 1;
    }

    form.LoadGameFrom(game);
    if (!Loaded(form, game)) {
        std::printf("the game did not load\n");
        cleanUp();
        return 1;
    }
    const int pieceWidth = form.PieceWidth, pieceHeight = form.PieceHeight;

    size_t lineCount = 0;
    const double split = bench::MedianMilliseconds(Repetitions, [&] { lineCount = bench::SplitLines(ReadBytes(game)).size(); });
    bool allLoaded = true;
    const double fileOnly = bench::MedianMilliseconds(Repetitions, [&] {
        form.LoadGameFrom(withoutPicture);
        allLoaded = Loaded(form, withoutPicture) && allLoaded;
    });
    const double load = bench::MedianMilliseconds(Repetitions, [&] {
        form.LoadGameFrom(game);
        allLoaded = Loaded(form, game) && allLoaded;
    });
    bool allSaved = true;
    const double save = MedianSaveMilliseconds(form, saved, allSaved);
    allSaved = allSaved && ReadBytes(saved) == ReadBytes(game);
    cleanUp();

    std::printf("saved game 30 x 30: %zu lines, %d x %d pixels a piece, %d x %d picture (BMP)%s%s\n", lineCount,
                pieceWidth, pieceHeight, PictureSide, PictureSide, allLoaded ? "" : ", SOME LOADS FAILED",
                allSaved ? "" : ", SOME SAVES FAILED OR DIFFERED FROM THE FILE LOADED");
    std::printf("read+split of the file: %.3f ms\n", split);
    std::printf("LoadGameFrom without a picture (read aside, checked, taken over): %.3f ms  ratio %.1fx\n", fileOnly,
                fileOnly / split);
    std::printf("LoadGameFrom with its picture (decoded, painted, 900 pieces drawn): %.3f ms  ratio %.1fx\n", load,
                load / split);
    std::printf("SaveGameTo (written, flushed, renamed): %.3f ms  ratio %.1fx\n", save, save / split);
    return allLoaded && allSaved ? 0 : 1;
}
