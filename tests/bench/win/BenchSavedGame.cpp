// A saved game of 30 x 30 through the game window's own code: loading it (the file read aside
// and checked, the picture decoded and painted on the saved grid, every piece drawn) and saving
// it, side by side with merely reading the file's bytes and splitting them into lines. The same
// game without a picture separates the file's share of a load from the picture's. Prints
// figures; passes or fails nothing.
#include "Include/PictureDecoderServer.h"
#include "Tilvane/Core/GameFiles.h"
#include "tests/bench/BenchCommon.h"
#include "tests/bench/win/BenchWindow.h"
#include "tests/support/TestFiles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

const int Repetitions = 21;
const int PictureSide = 1500;

// A square 24-bit BMP with gradients and a checkerboard, laid out from its bottom row up.
std::string PictureBytes(int side) {
    return BitmapFileBytes(side, side, [side](int x, int y) {
        const int fromBottom = side - 1 - y;
        return RGB(x * 255 / side, fromBottom * 255 / side, ((x / 50 + fromBottom / 50) & 1) ? 230 : 40);
    });
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
bool Loaded(TTilvaneFormTestAccess& inside, const std::string& game) {
    return inside.LastGamePath == game && inside.Board.ResultedColumns == bench::Columns &&
           inside.Board.ResultedRows == bench::Rows && inside.Board.MovesCount() == 1234;
}

TSavedGame GameIn(const std::string& bytes) {
    TTextStore store;
    store.Parse(bytes);
    return ReadGame(store, TCommonKeys());
}

// What a save must keep of the game loaded: its keys, grid, counters, play time and every cell.
// Keys that the loaded file lacked and a save now writes (its flipping) are the save's own.
bool KeepsTheLoadedGame(const std::string& loadedBytes, const std::string& savedBytes) {
    const TSavedGame loaded = GameIn(loadedBytes), saved = GameIn(savedBytes);
    const TPuzzleBoard &before = loaded.Board, &after = saved.Board;
    if (loaded.Keys != saved.Keys || loaded.PlaySeconds != saved.PlaySeconds ||
        before.ResultedColumns != after.ResultedColumns || before.ResultedRows != after.ResultedRows ||
        before.MovesCount() != after.MovesCount() || before.WrongMoves() != after.WrongMoves())
        return false;
    for (int32_t row = 0; row < before.ResultedRows; ++row)
        for (int32_t column = 0; column < before.ResultedColumns; ++column) {
            const PieceCell &a = before.Pieces[column][row], &b = after.Pieces[column][row];
            if (a.SourceColumn != b.SourceColumn || a.SourceRow != b.SourceRow ||
                a.FlipHorizontal != b.FlipHorizontal || a.FlipVertical != b.FlipVertical)
                return false;
        }
    return true;
}

// The median time of saving to a path that does not exist yet, so that no overwrite question comes.
double MedianSaveMilliseconds(TTilvaneFormTestAccess& inside, const std::string& path, bool& allSaved) {
    std::vector<double> times;
    for (int i = 0; i < Repetitions; ++i) {
        DeleteFileA(path.c_str());
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            allSaved = false;
            return 0;
        }
        const auto start = std::chrono::steady_clock::now();
        allSaved = inside.SaveGameTo(path) && allSaved;
        times.push_back(bench::MillisecondsSince(start));
    }
    return bench::Median(std::move(times));
}

}  // namespace

int main() {
    // Started as its own picture decoder process, the program serves that and nothing else.
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    TBenchGameWindow window;
    TTilvaneFormTestAccess& inside = window.Inside;

    const TTempFolder folder("BenchSavedGame");
    const std::string picture = folder / "square.bmp", game = folder / "game.tvg",
                      withoutPicture = folder / "without-picture.tvg", saved = folder / "saved.tvg";
    try {
        WriteFileBytes(picture, PictureBytes(PictureSide));
        WriteFileBytes(game, GameText(picture));
        WriteFileBytes(withoutPicture, GameText(folder / "notes.txt"));
    } catch (const std::runtime_error&) {
        std::printf("could not write the files in %s\n", folder.Path().c_str());
        return 1;
    }

    inside.LoadGameFrom(game);
    if (!Loaded(inside, game)) {
        std::printf("the game did not load\n");
        return 1;
    }
    const int pieceWidth = inside.PieceWidth, pieceHeight = inside.PieceHeight;

    size_t lineCount = 0;
    const double split = bench::MedianMilliseconds(Repetitions, [&] { lineCount = bench::SplitLines(ReadFileBytes(game)).size(); });
    bool allLoaded = true;
    const double fileOnly = bench::MedianMilliseconds(Repetitions, [&] {
        inside.LoadGameFrom(withoutPicture);
        allLoaded = Loaded(inside, withoutPicture) && allLoaded;
    });
    const double load = bench::MedianMilliseconds(Repetitions, [&] {
        inside.LoadGameFrom(game);
        allLoaded = Loaded(inside, game) && allLoaded;
    });
    bool allSaved = true;
    const double save = MedianSaveMilliseconds(inside, saved, allSaved);
    allSaved = allSaved && FileExists(saved) && KeepsTheLoadedGame(ReadFileBytes(game), ReadFileBytes(saved));

    std::printf("saved game 30 x 30: %zu lines, %d x %d pixels a piece, %d x %d picture (BMP)%s%s\n", lineCount,
                pieceWidth, pieceHeight, PictureSide, PictureSide, allLoaded ? "" : ", SOME LOADS FAILED",
                allSaved ? "" : ", SOME SAVES FAILED OR LOST PART OF THE GAME LOADED");
    std::printf("read+split of the file: %.3f ms\n", split);
    std::printf("LoadGameFrom without a picture (read aside, checked, taken over): %.3f ms  ratio %.1fx\n", fileOnly,
                fileOnly / split);
    std::printf("LoadGameFrom with its picture (decoded, painted, 900 pieces drawn): %.3f ms  ratio %.1fx\n", load,
                load / split);
    std::printf("SaveGameTo (written, flushed, renamed): %.3f ms  ratio %.1fx\n", save, save / split);
    return allLoaded && allSaved ? 0 : 1;
}
