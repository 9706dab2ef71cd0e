// The model of one game: which piece of the picture stands in every cell of the grid and how it
// is mirrored, the move counters and the modified flag. The window shows the board through the
// TBoardView hooks; the rules here know nothing of windows.
#pragma once

#include "Tilvane/Core/MoveHistory.h"

#include <cstdint>
#include <functional>

struct PieceCell {
    int32_t SourceColumn;  // the piece's own place in the picture
    int32_t SourceRow;
    bool FlipHorizontal;
    bool FlipVertical;
};

// What the board asks of the window after it has changed cells. Outlines are drawn in the
// normal colour (never as a mark), in both images.
class TBoardView {
public:
    virtual ~TBoardView() = default;
    virtual void DrawPiece(int32_t column, int32_t row) = 0;
    virtual void DrawCellOutlines(int32_t column, int32_t row) = 0;
    virtual void ShowMoves() = 0;
    virtual void ShowWrongMoves() = 0;
    virtual void UpdatePieceCursor(int32_t column, int32_t row) = 0;
    // The player moves or flips a piece: play begins. Told before the board changes, so that a
    // game that was one move from solved is still in play when that move solves it.
    virtual void PlayerMoved() {}
    // A move, or one taken back or made again, has exchanged the pieces of two cells; told
    // before their pieces are drawn, so that the view can show them on their way.
    virtual void PiecesSwapped(int32_t /*column1*/, int32_t /*row1*/, int32_t /*column2*/, int32_t /*row2*/) {}
};

class TPuzzleBoard {
public:
    static constexpr int32_t MaxColumns = 30;
    static constexpr int32_t MaxRows = 30;

    // One value of the random generator per call (the game passes Random.GetRandom).
    using TRandomSource = std::function<int32_t()>;

    // The whole array in order, no grid in play, counters 0, no drag cell.
    TPuzzleBoard();

    // Indexed [column][row]; only the top-left ResultedColumns x ResultedRows block is in play.
    PieceCell Pieces[MaxColumns][MaxRows];
    int32_t ResultedColumns = 0;
    int32_t ResultedRows = 0;

    int32_t MovesCount() const { return movesCount_; }
    int32_t WrongMoves() const { return wrongMoves_; }
    // A swap has changed the board since the counters were reset or the game was saved.
    bool Modified() const { return modified_; }
    // The cell a drag started from; -1, -1 when there is none.
    int32_t DragColumn() const { return dragColumn_; }
    int32_t DragRow() const { return dragRow_; }

    // Null while nothing shows the board: the rules still run, nothing is drawn.
    void SetView(TBoardView* view) { view_ = view; }

    // Puts the top-left columns x rows block in order, unmirrored; other cells keep their contents.
    void ResetPieces(int32_t columns, int32_t rows);
    // A new game or shuffle: not modified, no moves. The wrong moves are reset on their own.
    void ResetCounters();
    void ResetWrongMoves() { wrongMoves_ = 0; }
    // The counters of a game read from a file; negative counts read as 0.
    void RestoreCounters(int32_t movesCount, int32_t wrongMoves);
    // The game has been written to a file.
    void MarkSaved() { modified_ = false; }
    // The game stands in no file of the player's (a game recovered after a crash): closing asks.
    void MarkUnsaved() { modified_ = true; }
    // Cells, grid and counters of a game read from a file. The modified flag, the drag cell and
    // the view stay: loading a game does not count as a change.
    void TakeOverGame(const TPuzzleBoard& game);
    // Every place of the grid in play stands in exactly one cell, and the grid is not empty.
    bool HoldsEveryPieceOnce() const;

    void SetDragCell(int32_t column, int32_t row);
    void ClearDragCell() { SetDragCell(-1, -1); }

    // Exchanges two cells whole and marks the game modified, also when a cell meets itself.
    void SwapPieces(int32_t column1, int32_t row1, int32_t column2, int32_t row2);
    // The flags play no part: a mirrored piece on its own place is in place.
    bool IsPieceInPlace(int32_t column, int32_t row) const;
    int32_t CountMisplacedPieces() const;
    bool IsInPlay(int32_t column, int32_t row) const;
    // A piece of the grid in play is stored mirrored: the game was shuffled with flipping.
    bool HasMirroredPieces() const;

    // The cell as it is drawn: a piece standing on its own place is never shown mirrored, though
    // its stored flags are kept and saved.
    PieceCell DrawnPiece(int32_t column, int32_t row) const;

    // Five swap passes over the current arrangement, then fresh flips for misplaced pieces (or
    // none at all when flipping is not allowed).
    void ShufflePieces(bool allowFlipping, const TRandomSource& nextRandom);

    // Mirror one misplaced piece; not a move, so neither the counters nor Modified change.
    void ToggleFlipHorizontal(int32_t column, int32_t row);
    void ToggleFlipVertical(int32_t column, int32_t row);

    // Moves the piece of the drag cell to (column, row); true when it moved.
    bool MovePiece(int32_t column, int32_t row);

    // Taking back the last move (a swap or a flip) and making it again, as far back as the last
    // shuffle or load; never once the puzzle is solved. The counters stay as they are: a move
    // taken back was still made, and a wrong one stays wrong.
    bool CanUndo() const;
    bool CanRedo() const;
    bool UndoMove();
    bool RedoMove();

    // Whether a dragged piece may be dropped on (column, row): not back on the drag cell, and not
    // on a piece that is already in place.
    bool AcceptsDrop(int32_t column, int32_t row) const;
    // What a drop on either picture does: the move, then a wrong move when the dragged piece did
    // not reach its own place. The piece sent back to the drag cell is not looked at.
    void DropPiece(int32_t column, int32_t row);

private:
    bool IsInArray(int32_t column, int32_t row) const;
    // The grid in play limited to the array, so that a bad grid read from a file cannot reach
    // outside it.
    int32_t PlayColumns() const;
    int32_t PlayRows() const;
    void DrawPieceAndOutlines(int32_t column, int32_t row);
    void Flip(TBoardStep::TKind kind, int32_t column, int32_t row);
    void ApplyStep(const TBoardStep& step);
    bool IsSolved() const { return CountMisplacedPieces() == 0; }

    int32_t movesCount_ = 0;
    int32_t wrongMoves_ = 0;
    bool modified_ = false;
    int32_t dragColumn_ = -1;
    int32_t dragRow_ = -1;
    TBoardView* view_ = nullptr;
    TMoveHistory history_;
};
