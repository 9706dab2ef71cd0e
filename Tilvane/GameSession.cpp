// The game in play. The rules of the board are the core's (Tilvane/Core/PuzzleBoard.h).
#include "Tilvane/GameSession.h"

#include "Framework/WaitCursor.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/File.h"
#include "Include/Myrandom.h"
#include "Include/Program.h"
#include "Tilvane/TilvaneProgram.h"

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";

}  // namespace

TGameSession::TGameSession(TPuzzleView& view, TGamePanel& panel, TPlayTime& playTime, TBestResultsBook& results,
                           const TPictureEngine& engine)
    : view_(view), panel_(panel), playTime_(playTime), results_(results), engine_(engine),
      picturePath_(WithTrailingBackslash(GetMyPicturesPath()) + "*") {
    panel_.ShowPosition("");
    panel_.SetTip(StartTip);
    ResetCounters();
    panel_.ClearWrongMoves();
    // The whole array starts in order, so that nothing stale stands outside the first grid.
    board_.ResetPieces(TPuzzleBoard::MaxColumns, TPuzzleBoard::MaxRows);
    view_.Show(board_, *this);
}

bool TGameSession::StartFromPicture(const std::string& path) {
    if (!LoadPicture(path)) return false;
    view_.ShowUnshuffled();
    panel_.SetTip(RandomizeTip);
    board_.ResetWrongMoves();
    panel_.ClearWrongMoves();
    view_.FocusPuzzle();
    return true;
}

bool TGameSession::LoadPicture(const std::string& path) {
    TFunOperation op(Module, "TTilvaneForm::LoadPicture", __LINE__);
    bool loaded = false;
    op.Guard(__LINE__, [&] {
        // After the save question: the player answers it with the usual pointer.
        const TWaitCursor busy;
        panel_.ShowPosition("");
        // Whether the file exists and is a picture is known before anything of the game changes.
        if (!PathExists(path)) {
            op.Raise(__LINE__, fsError, "There is no such file.", path);
            return;
        }
        std::unique_ptr<TPicture> picture = LoadPictureFile(path, view_.PictureAreas());
        if (op.TakeCurrent()) return;
        const TGridChoice choice = panel_.ChosenGrid();
        if (!view_.ShowPicture(*picture, view_.PieceSizeFor(choice), TPuzzleBoard::MaxColumns,
                               TPuzzleBoard::MaxRows)) {
            op.TakeCurrent();
            return;
        }
        ResetCounters();
        picturePath_ = path;
        cutGrid_ = choice;
        board_.ResetPieces(board_.ResultedColumns, board_.ResultedRows);
        loaded = true;
    });
    op.EndPassing();
    return loaded;
}

void TGameSession::TakeOver(const TSavedGame& game) {
    if (engine_.IsPictureFile(game.Keys.PicturePath)) {
        TakeOverWithPicture(game);
        return;
    }
    TakeOverWithoutPicture(game);
    // Without a picture the old one must not stand for the new board.
    view_.HidePictures();
}

// Checks the game's picture, then takes the game over and paints it on the saved grid.
void TGameSession::TakeOverWithPicture(const TSavedGame& game) {
    TFunOperation op(Module, "TTilvaneForm::TakeOverGameWithPicture", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string& picturePath = game.Keys.PicturePath;
        if (!PathExists(picturePath)) {
            op.Raise(__LINE__, fsError, "There is no such file.", picturePath);
            return;
        }
        std::unique_ptr<TPicture> picture = LoadPictureFile(picturePath, view_.PictureAreas());
        TPieceSize piece;
        if (op.TakeCurrent() || !SavedGameFitsPicture(op, game, *picture, piece)) return;
        // The game on screen changes only once the new pictures are painted and shown.
        if (!view_.ShowPicture(*picture, piece, game.Board.ResultedColumns, game.Board.ResultedRows)) {
            op.TakeCurrent();
            return;
        }
        panel_.ShowPosition("");
        TakeOverWithoutPicture(game);
        TakeChosenGrid();
        view_.ShowBoard();
        panel_.SetTip(DragTip);
        MovesChanged();
        WrongMoveMade();
        view_.FocusPuzzle();
    });
    op.EndPassing();
}

// A saved game looks as it did: its picture is cut as a new game of its grid choice would cut it
// here. Only where that gives another grid (a game saved on a screen of another size) are the
// saved grid's pieces cut from the picture as it fits this screen; a picture too narrow or too
// flat for that grid is refused. Gives the piece size.
bool TGameSession::SavedGameFitsPicture(TFunOperation& op, const TSavedGame& game, const TPicture& picture,
                                        TPieceSize& piece) {
    const int32_t columns = game.Board.ResultedColumns, rows = game.Board.ResultedRows;
    if (view_.PieceSizeOnGrid(TPictureSize{picture.Width(), picture.Height()},
                              TGridChoice{game.Keys.ColumnsCount, game.Keys.RowsCount}, columns, rows, piece))
        return true;
    op.Raise(__LINE__, fsError, "The saved game does not fit its picture: the picture is too narrow or too flat for " +
             std::to_string(columns) + " x " + std::to_string(rows) + " pieces.", picture.FileName());
    return false;
}

void TGameSession::TakeOverWithoutPicture(const TSavedGame& game) {
    TakeKeys(game.Keys);
    board_.TakeOverGame(game.Board);
    // A file saved before games kept their flipping setting: a game with mirrored pieces was
    // shuffled with flipping.
    flipping_ = game.ShuffledWithFlipping.value_or(panel_.FlippingAllowed() || board_.HasMirroredPieces());
    playTime_.Restart(game.PlaySeconds);
}

void TGameSession::Shuffle() {
    if (!view_.PicturesShown()) return;
    ResetCounters();
    board_.ShufflePieces(panel_.FlippingAllowed(), [] { return Random.GetRandom(); });
    view_.ShowShuffled();
    panel_.SetTip(DragTip);
    flipping_ = panel_.FlippingAllowed();
    playTime_.Show();
    MovesChanged();
    board_.ResetWrongMoves();
    WrongMoveMade();
}

void TGameSession::ResetCounters() {
    board_.ResetCounters();
    panel_.ClearCounters();
    playTime_.Clear();
}

// A game is written with the grid its picture was cut with, not the lists' present choice.
TSavedGame TGameSession::CurrentGame() const {
    TSavedGame game;
    game.Keys = CurrentKeys();
    game.Board = board_;
    game.PlaySeconds = playTime_.ElapsedSeconds();
    game.ShuffledWithFlipping = flipping_;
    return game;
}

TCommonKeys TGameSession::CurrentKeys() const {
    return TCommonKeys{cutGrid_.Columns, cutGrid_.Rows, lightGrid_, picturePath_};
}

TCommonKeys TGameSession::DefaultKeys() const {
    const TGridChoice listed = panel_.ListedGrid();
    TCommonKeys keys;
    keys.ColumnsCount = listed.Columns;
    keys.RowsCount = listed.Rows;
    keys.PicturePath = picturePath_;
    return keys;
}

void TGameSession::TakeKeys(const TCommonKeys& keys) {
    cutGrid_ = TGridChoice{keys.ColumnsCount, keys.RowsCount};
    panel_.ShowKeys(keys);
    lightGrid_ = keys.LightGrid;
    picturePath_ = keys.PicturePath;
}

void TGameSession::TakeChosenGrid() { cutGrid_ = panel_.ChosenGrid(); }

// The outline colours follow "Light grid"; "Allow flipping" only takes effect at the next
// shuffle, but the grids are drawn again all the same.
void TGameSession::OptionsChanged() {
    lightGrid_ = panel_.LightGrid();
    view_.RedrawGrids();
}

// Told before the move changes the board: a solved board has no game under way.
void TGameSession::MoveStarting() {
    if (playTime_.Playing() || board_.CountMisplacedPieces() == 0) return;
    playTime_.StartPlaying();
}

// On a solve the view shows the whole picture once this has told it.
void TGameSession::MovesChanged() {
    const int32_t remaining = board_.CountMisplacedPieces();
    panel_.ShowCounters(board_.MovesCount(), remaining);
    if (remaining != 0) return;
    RecordSolve();
    panel_.SetTip(StartTip);
}

void TGameSession::WrongMoveMade() { panel_.ShowWrongMoves(board_.WrongMoves()); }

void TGameSession::RecordSolve() {
    if (!playTime_.Playing()) return;
    const int32_t seconds = playTime_.Stop();
    const TResultKey key{picturePath_, board_.ResultedColumns, board_.ResultedRows, flipping_};
    playTime_.ShowSolved(results_.Record(key, seconds, board_.MovesCount(), board_.WrongMoves()));
}
