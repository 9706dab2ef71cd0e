// One round of a player who leaves the game open for weeks, played through the window's own
// commands: a new game of the next picture of the folder on a 30 x 30 grid, shuffled, 500 moves,
// every one taken back and made again, the game saved and loaded back, and the window moved to a
// screen of 192 DPI and back; now and then the decoder process is ended and started again. The
// soak benchmark and the end-to-end test of a long session play this same round and count what
// the process holds between rounds (ProcessResources.h). Header-only, for the benchmarks.
#pragma once

#include "Include/PictureDecoderClient.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TilvaneFormAccess.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace soak {

const int Grid = 30;
const int MovesPerRound = 500;
const int HighDpi = 192;
// How far the counts may stray from those after the first round, GDI objects not at all. The
// few handles cover what Wine and the system open for themselves when they please (a thread of
// their pool, say); a handle lost every round is past them by the tenth.
const int UserSlack = 2;
const int HandleSlack = 4;

// A scratch folder of real pictures for the next-picture command to walk through, of every kind
// the decoder reads (JPEG by our own decoder, PNG by GDI+, WebP and AVIF by their libraries),
// copied from the staged test pictures (scripts/make-test-pictures.sh); the saved game lies
// beside them. Every fifth round shows the same picture, so figures taken every five rounds
// compare like with like.
const int PictureCount = 5;

class TPictureFolder {
public:
    TPictureFolder() : folder_("soak") {
        const char* const names[PictureCount] = {"photo.jpg", "plasma.jpg", "upright.png", "lossy.webp",
                                                 "8bit-420.avif"};
        for (const char* name : names)
            ready_ = CopyFileA((std::string(StagedPictures) + name).c_str(), (folder_ / name).c_str(), FALSE) && ready_;
    }
    // False when a staged picture was missing.
    bool Ready() const { return ready_; }
    std::string FirstPicture() const { return folder_ / "photo.jpg"; }
    std::string GameFile() const { return folder_ / "soak.tvg"; }
    static constexpr const char* StagedPictures = "C:\\Tilvane\\pictures\\";

private:
    TTempFolder folder_;
    bool ready_ = true;
};

// The grid in play, row by row.
inline std::vector<PieceCell> ArrangementOf(const TPuzzleBoard& board) {
    std::vector<PieceCell> cells;
    for (int32_t row = 0; row < board.ResultedRows; ++row)
        for (int32_t column = 0; column < board.ResultedColumns; ++column) cells.push_back(board.Pieces[column][row]);
    return cells;
}

inline bool SameArrangement(const std::vector<PieceCell>& a, const std::vector<PieceCell>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].SourceColumn != b[i].SourceColumn || a[i].SourceRow != b[i].SourceRow ||
            a[i].FlipHorizontal != b[i].FlipHorizontal || a[i].FlipVertical != b[i].FlipVertical)
            return false;
    return true;
}

// Every message waiting, as the message loop would run them between the player's commands.
inline void RunWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The N key with 30 x 30 chosen in the lists. Each step here and below returns what went wrong,
// empty when nothing did.
inline std::string StartGameOfNextPicture(TTilvaneFormTestAccess& inside) {
    const std::string previous = inside.PicturePath;
    inside.ColumnsCountComboBox.SetSelectedText(std::to_string(Grid));
    inside.RowsCountComboBox.SetSelectedText(std::to_string(Grid));
    inside.NextPictureMenuClick();
    if (inside.PicturePath == previous) return "no new game came after " + previous;
    // A piece is the picture area cut 30 x 30, so a picture of another shape than the area has
    // 30 pieces along one side only.
    if (std::max(inside.Board.ResultedColumns, inside.Board.ResultedRows) != Grid)
        return inside.PicturePath + " was cut into " + std::to_string(inside.Board.ResultedColumns) + " x " +
               std::to_string(inside.Board.ResultedRows) + " pieces";
    return {};
}

// Moves as the pointer makes them: a misplaced piece dropped on another misplaced piece. The
// number made, `count` unless the board refused them all for too long.
inline int MakeRandomMoves(TPuzzleBoard& board, int count, std::mt19937& random) {
    std::uniform_int_distribution<int32_t> anyCell(0, board.ResultedColumns * board.ResultedRows - 1);
    int made = 0;
    for (int attempt = 0; made < count && attempt < count * 10; ++attempt) {
        const int32_t from = anyCell(random), to = anyCell(random);
        const int32_t fromColumn = from % board.ResultedColumns, fromRow = from / board.ResultedColumns;
        if (board.IsPieceInPlace(fromColumn, fromRow)) continue;
        board.SetDragCell(fromColumn, fromRow);
        const int32_t movesBefore = board.MovesCount();
        board.DropPiece(to % board.ResultedColumns, to / board.ResultedColumns);
        if (board.MovesCount() != movesBefore) ++made;
    }
    board.ClearDragCell();
    return made;
}

// Undo (or redo) until there is nothing left to take back (or make again); the number of steps,
// one more than `most` when it would not stop.
template <class TStep, class TCanStep>
int StepThroughHistory(int most, TStep step, TCanStep canStep) {
    int steps = 0;
    while (canStep() && steps <= most) {
        step();
        ++steps;
    }
    return steps;
}

inline std::string PlayTakeBackAndMakeAgain(TTilvaneFormTestAccess& inside, std::mt19937& random) {
    TPuzzleBoard& board = inside.Board;
    inside.RandomizeMenuClick();
    const std::vector<PieceCell> shuffled = ArrangementOf(board);
    const int made = MakeRandomMoves(board, MovesPerRound, random);
    if (made != MovesPerRound) return "only " + std::to_string(made) + " moves were made";
    const std::vector<PieceCell> played = ArrangementOf(board);
    const int undone = StepThroughHistory(made, [&] { inside.UndoMoveMenuClick(); }, [&] { return board.CanUndo(); });
    if (undone != made || !SameArrangement(ArrangementOf(board), shuffled))
        return std::to_string(undone) + " undos did not bring back the shuffled board";
    const int redone = StepThroughHistory(made, [&] { inside.RedoMoveMenuClick(); }, [&] { return board.CanRedo(); });
    if (redone != made || !SameArrangement(ArrangementOf(board), played))
        return std::to_string(redone) + " redos did not bring back the board played";
    return {};
}

// Each load shows its pictures in new controls, so a new puzzle image tells that the load ran.
inline std::string SaveAndLoadBack(TTilvaneFormTestAccess& inside, const std::string& gameFile) {
    const std::vector<PieceCell> saved = ArrangementOf(inside.Board);
    DeleteFileA(gameFile.c_str());  // so that no question about replacing it comes
    if (!inside.SaveGameTo(gameFile)) return "the game could not be saved to " + gameFile;
    const HWND puzzleBefore = inside.PuzzlePictureImage->Handle();
    inside.LoadGameFrom(gameFile);
    if (inside.PuzzlePictureImage->Handle() == puzzleBefore) return "the saved game did not load";
    if (!SameArrangement(ArrangementOf(inside.Board), saved)) return "the game loaded is not the game saved";
    return {};
}

// WM_DPICHANGED as Windows sends it when the window moves to a screen of that DPI, then back.
inline std::string MoveToDpiAndBack(TTilvaneForm& form, int dpi) {
    const int ownDpi = form.Dpi();
    RECT window = {};
    GetWindowRect(form.Handle(), &window);
    RECT there = {window.left, window.top, window.left + MulDiv(window.right - window.left, dpi, ownDpi),
                  window.top + MulDiv(window.bottom - window.top, dpi, ownDpi)};
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&there));
    const int dpiThere = form.Dpi();
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(ownDpi, ownDpi), reinterpret_cast<LPARAM>(&window));
    if (dpiThere != dpi || form.Dpi() != ownDpi) return "the window did not follow the DPI there and back";
    return {};
}

// One round as the header describes it; with restartDecoder, the decoder process is ended first
// and started again in the background, as the game does after a picture it refused.
inline std::string PlayRound(TTilvaneFormTestAccess& inside, const std::string& gameFile, std::mt19937& random,
                             bool restartDecoder) {
    if (restartDecoder) {
        EndPictureDecoder();
        StartPictureDecoderInBackground();
    }
    std::string failure = StartGameOfNextPicture(inside);
    if (failure.empty()) failure = PlayTakeBackAndMakeAgain(inside, random);
    if (failure.empty()) failure = SaveAndLoadBack(inside, gameFile);
    if (failure.empty()) failure = MoveToDpiAndBack(inside.Form, HighDpi);
    RunWaitingMessages();
    return failure;
}

}  // namespace soak
