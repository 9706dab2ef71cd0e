// The piece in the hand and the moves shown, on the largest board a player makes: a 30 x 30 game
// of a 24-megapixel photo in a 3840 x 2160 window at 192 DPI. Times, from the message to the end
// of the painting: a pointer move during a drag, a drop and an undo drawn at once (animations
// off), and each frame of a slide with the slide's length. Prints figures; passes or fails nothing.
#include "Include/PictureDecoderServer.h"
#include "tests/bench/BenchCommon.h"
#include "tests/bench/win/BenchMeasure.h"
#include "tests/bench/win/BenchWindow.h"
#include "tests/support/GdiplusPictures.h"
#include "tests/support/TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Milliseconds(double seconds) { return seconds * 1000.0; }

struct TFigures {
    std::vector<double> Samples;
    double Percentile(double share) {
        if (Samples.empty()) return 0;
        std::sort(Samples.begin(), Samples.end());
        return Samples[std::min(Samples.size() - 1, static_cast<size_t>(share * Samples.size()))];
    }
};

// Every message waiting, paints included, as the message loop would run them.
void RunWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    GdiFlush();
}

// Runs the messages of a slide (and of a sweep after it) until it ends: the milliseconds of each
// frame, from its timer to the end of its painting, go into `frames`.
void RunMotion(TTilvaneFormTestAccess& inside, std::vector<double>& frames) {
    MSG message;
    while (inside.Motion.Moving() && GetMessageA(&message, nullptr, 0, 0) > 0) {
        const bool frame = message.message == WM_TIMER;
        const double frameStart = Now();
        DispatchMessageA(&message);
        if (!frame) continue;
        // Its paints, and nothing after them: the next frame's timer is the next frame.
        while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
        GdiFlush();
        frames.push_back(Milliseconds(Now() - frameStart));
    }
}

LPARAM ClientPoint(POINT point) { return MAKELPARAM(point.x, point.y); }

POINT CellCentre(const TTilvaneFormTestAccess& inside, int32_t column, int32_t row) {
    return POINT{column * inside.PieceWidth + inside.PieceWidth / 2, row * inside.PieceHeight + inside.PieceHeight / 2};
}

// A misplaced piece and another misplaced cell to drop it on, both in play.
bool FindMove(const TPuzzleBoard& board, int32_t seed, int32_t& from, int32_t& to) {
    const int32_t cells = board.ResultedColumns * board.ResultedRows;
    from = to = -1;
    for (int32_t i = 0; i < cells && (from < 0 || to < 0); ++i) {
        const int32_t cell = (seed + i * 7) % cells;
        if (board.IsPieceInPlace(cell % board.ResultedColumns, cell / board.ResultedColumns)) continue;
        if (from < 0)
            from = cell;
        else if (cell != from)
            to = cell;
    }
    return from >= 0 && to >= 0;
}

}  // namespace

int main() {
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    TBenchGameWindow window;
    TTilvaneForm& form = window.Form;
    TTilvaneFormTestAccess& inside = window.Inside;
    // Moved to a 192-DPI screen as Windows tells it, in a window of 3840 x 2160.
    RECT large = {0, 0, 3840, 2160};
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&large));

    const TTempFolder folder("BenchPieceMotion");
    const std::string path = folder / "photo.jpg";
    if (!MakeGradientJpeg(std::wstring(path.begin(), path.end()), 6000, 4000)) {
        std::printf("could not make the picture\n");
        return 1;
    }
    inside.ColumnsCountComboBox.SetSelectedText("30");
    inside.RowsCountComboBox.SetSelectedText("30");
    inside.LoadGameFromPicture(path);
    inside.RandomizeMenuClick();
    RunWaitingMessages();
    TPuzzleBoard& board = inside.Board;
    if (board.ResultedColumns < 30 || board.ResultedRows < 2) {
        std::printf("the picture did not load on 30 columns\n");
        return 1;
    }
    RECT client = {};
    GetClientRect(form.Handle(), &client);
    std::printf("24-megapixel photo on %d x %d, window %ld x %ld at %d DPI, pieces of %d x %d:\n", board.ResultedColumns,
                board.ResultedRows, client.right, client.bottom, form.Dpi(), inside.PieceWidth, inside.PieceHeight);
    HWND puzzle = inside.PuzzlePictureImage->Handle();

    // Pointer moves during a drag: a piece carried across the puzzle and over the original.
    TFigures carry;
    int32_t from = 0, to = 0;
    FindMove(board, 1, from, to);
    const int32_t columns = board.ResultedColumns;
    SendMessageA(puzzle, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(CellCentre(inside, from % columns, from / columns)));
    RunWaitingMessages();
    RECT puzzleArea = {};
    GetClientRect(puzzle, &puzzleArea);
    for (int step = 0; step < 400; ++step) {
        // Across the puzzle and on to the left, over the original picture.
        const POINT at = {puzzleArea.right - (step * (puzzleArea.right + 1500)) / 400,
                          (step * 37) % std::max<LONG>(puzzleArea.bottom, 1)};
        const double start = Now();
        SendMessageA(puzzle, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(at));
        RunWaitingMessages();
        carry.Samples.push_back(Milliseconds(Now() - start));
    }
    SendMessageA(puzzle, WM_CANCELMODE, 0, 0);
    RunWaitingMessages();
    std::printf("  pointer move during a drag: %.2f ms at the 95th percentile (median %.2f, most %.2f; goal 8)\n",
                carry.Percentile(0.95), carry.Percentile(0.5), carry.Percentile(1.0));

    // Drops and undos drawn at once.
    inside.Motion.SetAnimated(false);
    TFigures drops, undos, wholeDrops;
    for (int32_t round = 0; round < 60 && FindMove(board, round * 13 + 5, from, to); ++round) {
        SendMessageA(puzzle, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(CellCentre(inside, from % columns, from / columns)));
        SendMessageA(puzzle, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(CellCentre(inside, to % columns, to / columns)));
        RunWaitingMessages();
        double start = Now();
        SendMessageA(puzzle, WM_LBUTTONUP, 0, ClientPoint(CellCentre(inside, to % columns, to / columns)));
        RunWaitingMessages();
        drops.Samples.push_back(Milliseconds(Now() - start));
        start = Now();
        inside.UndoMoveMenuClick();
        RunWaitingMessages();
        undos.Samples.push_back(Milliseconds(Now() - start));
        // The same drop as every move was drawn before the pieces could be seen moving: each
        // piece and outline it drew showed both pictures again, whole.
        board.SetDragCell(from % columns, from / columns);
        start = Now();
        board.DropPiece(to % columns, to / columns);
        InvalidateRect(puzzle, nullptr, FALSE);
        InvalidateRect(inside.OriginalPictureImage->Handle(), nullptr, FALSE);
        RunWaitingMessages();
        wholeDrops.Samples.push_back(Milliseconds(Now() - start));
        inside.UndoMoveMenuClick();
        RunWaitingMessages();
    }
    std::printf("  %zu drops made (%d moves counted)\n", drops.Samples.size(), board.MovesCount());
    std::printf("  drop, animations off: median %.2f ms, most %.2f ms (goal 16); drawn as before, both pictures "
                "painted whole: median %.2f ms, most %.2f ms\n",
                drops.Percentile(0.5), drops.Percentile(1.0), wholeDrops.Percentile(0.5), wholeDrops.Percentile(1.0));
    std::printf("  undo, animations off: median %.2f ms, most %.2f ms (goal 16)\n", undos.Percentile(0.5),
                undos.Percentile(1.0));

    // Slides: every frame from its timer to the end of its painting, and the slide's length.
    inside.Motion.SetAnimated(true);
    TFigures frames, lengths;
    for (int32_t round = 0; round < 12 && FindMove(board, round * 29 + 3, from, to); ++round) {
        board.SetDragCell(from % columns, from / columns);
        const double start = Now();
        board.DropPiece(to % columns, to / columns);
        RunMotion(inside, frames.Samples);
        lengths.Samples.push_back(Milliseconds(Now() - start));
        RunWaitingMessages();
    }
    std::printf("  slide frames: %zu, %.2f ms at the 95th percentile, most %.2f ms (goal 16)\n", frames.Samples.size(),
                frames.Percentile(0.95), frames.Percentile(1.0));
    std::printf("  slide length: median %.0f ms, most %.0f ms (nominal %.0f, goal within 20 %%)\n", lengths.Percentile(0.5),
                lengths.Percentile(1.0), TPieceMotion::SlideMilliseconds);

    // The last move: its slide, then the grid fading from the whole picture.
    board.ResetPieces(board.ResultedColumns, board.ResultedRows);
    board.SwapPieces(0, 0, 1, 0);
    inside.ShowBoard();
    RunWaitingMessages();
    TFigures solving;
    board.SetDragCell(0, 0);
    const double start = Now();
    board.DropPiece(1, 0);
    RunMotion(inside, solving.Samples);
    std::printf("  solving move with the sweep of its grid: %zu frames, %.2f ms at the 95th percentile, most %.2f ms, %.0f ms in all "
                "(nominal %.0f)\n",
                solving.Samples.size(), solving.Percentile(0.95), solving.Percentile(1.0), Milliseconds(Now() - start),
                TPieceMotion::SlideMilliseconds + TPieceMotion::RevealMilliseconds);
    return 0;
}
