// The game window with a large picture on a 30 x 30 grid: the memory the process keeps after
// the load against the three picture bitmaps (the decoded picture must be gone), a change of
// DPI there and back, one move with its drawing, and one Randomize with all pieces and both
// grids. Prints figures; passes or
// fails nothing.
#include "Include/PictureDecoderServer.h"
#include "tests/bench/BenchCommon.h"
#include "tests/bench/win/BenchWindow.h"
#include "tests/support/GdiplusPictures.h"
#include "tests/support/TestFiles.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace {

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// The window moved to a monitor of twice its DPI and back, as Windows tells it: the milliseconds
// of the two changes together.
double DpiChangeThereAndBack(TTilvaneForm& form) {
    RECT window = {};
    GetWindowRect(form.Handle(), &window);
    const int dpi = form.Dpi();
    RECT denser = {window.left, window.top, window.left + (window.right - window.left) * 2,
                   window.top + (window.bottom - window.top) * 2};
    const DWORD start = GetTickCount();
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2), reinterpret_cast<LPARAM>(&denser));
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&window));
    return static_cast<double>(GetTickCount() - start);
}

double BitmapMegabytes(const TImage* image) {
    return image ? Megabytes(static_cast<SIZE_T>(image->BitmapWidth()) * image->BitmapHeight() * 4) : 0.0;
}

}  // namespace

int main() {
    // Started as its own picture decoder process, the program serves that and nothing else.
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    TBenchGameWindow window;
    TTilvaneForm& form = window.Form;
    TTilvaneFormTestAccess& inside = window.Inside;

    const TTempFolder folder("BenchGameWindow");
    const std::string path = folder / "picture.jpg";
    if (!MakeGradientJpeg(std::wstring(path.begin(), path.end()), 6000, 4000)) {
        std::printf("could not make the picture\n");
        return 1;
    }
    inside.ColumnsCountComboBox.SetSelectedText("30");
    inside.RowsCountComboBox.SetSelectedText("30");

    const PROCESS_MEMORY_COUNTERS before = Memory();
    inside.LoadGameFromPicture(path);
    const PROCESS_MEMORY_COUNTERS after = Memory();
    if (inside.Board.ResultedColumns < 2) {
        std::printf("the picture did not load\n");
        return 1;
    }
    const double bitmaps = BitmapMegabytes(inside.PuzzlePictureImage.get()) + BitmapMegabytes(inside.BackupPictureImage.get()) +
                           BitmapMegabytes(inside.OriginalPictureImage.get());
    std::printf("24-megapixel JPEG on a %d x %d grid:\n", inside.Board.ResultedColumns, inside.Board.ResultedRows);
    std::printf("  private memory kept by the load: %.1f MB (the three picture bitmaps: %.1f MB; the decoded picture "
                "alone would be %.1f MB)\n",
                Megabytes(after.PagefileUsage) - Megabytes(before.PagefileUsage), bitmaps, Megabytes(6000u * 4000u * 4u));
    std::printf("  peak private memory of the process: %.1f MB\n", Megabytes(after.PeakPagefileUsage));

    const double fromFile = DpiChangeThereAndBack(form);
    DeleteFileA(path.c_str());
    const double stretched = DpiChangeThereAndBack(form);
    std::printf("  to twice the DPI and back: %.0f ms with the file (drawn again from it on the way there), "
                "%.0f ms without it (stretched both ways)\n",
                fromFile, stretched);

    const double randomize = bench::MedianMilliseconds(21, [&] { inside.RandomizeMenuClick(); });
    std::printf("  Randomize (shuffle, all pieces, both grids): %.2f ms\n", randomize);

    TPuzzleBoard& board = inside.Board;
    const double move = bench::MedianMilliseconds(201, [&] {
        // A misplaced piece dropped on another misplaced place: one move with its drawing.
        for (int32_t cell = 0; cell < board.ResultedColumns * board.ResultedRows; ++cell) {
            const int32_t column = cell % board.ResultedColumns, row = cell / board.ResultedColumns;
            if (board.IsPieceInPlace(column, row)) continue;
            board.SetDragCell(column, row);
            const int32_t target = (cell + 1) % (board.ResultedColumns * board.ResultedRows);
            board.DropPiece(target % board.ResultedColumns, target / board.ResultedColumns);
            return;
        }
    });
    std::printf("  one move (swap, two pieces, four outlines, labels): %.3f ms\n", move);
    return 0;
}
