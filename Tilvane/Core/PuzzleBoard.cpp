#include "Tilvane/Core/PuzzleBoard.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>

namespace {

// A counter loaded from a saved game may already stand at the top of its range.
void CountOne(int32_t& counter) {
    if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}

// |value rem count| with the remainder truncated toward zero; count is at least 1.
int32_t CellIndexFrom(int32_t value, int32_t count) {
    return std::abs(value % count);
}

bool IsEven(int32_t value) {
    return (static_cast<uint32_t>(value) & 1u) == 0;
}

}  // namespace

TPuzzleBoard::TPuzzleBoard() {
    ResetPieces(MaxColumns, MaxRows);
}

void TPuzzleBoard::ResetPieces(int32_t columns, int32_t rows) {
    columns = std::clamp(columns, 0, MaxColumns);
    rows = std::clamp(rows, 0, MaxRows);
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column)
            Pieces[column][row] = PieceCell{column, row, false, false};
    history_.Clear();
}

void TPuzzleBoard::ResetCounters() {
    modified_ = false;
    movesCount_ = 0;
}

void TPuzzleBoard::RestoreCounters(int32_t movesCount, int32_t wrongMoves) {
    movesCount_ = std::max(movesCount, 0);
    wrongMoves_ = std::max(wrongMoves, 0);
}

void TPuzzleBoard::TakeOverGame(const TPuzzleBoard& game) {
    std::copy(&game.Pieces[0][0], &game.Pieces[0][0] + MaxColumns * MaxRows, &Pieces[0][0]);
    ResultedColumns = game.ResultedColumns;
    ResultedRows = game.ResultedRows;
    RestoreCounters(game.movesCount_, game.wrongMoves_);
    history_.Clear();
}

bool TPuzzleBoard::HoldsEveryPieceOnce() const {
    if (ResultedColumns < 1 || ResultedRows < 1 || ResultedColumns > MaxColumns || ResultedRows > MaxRows)
        return false;
    bool seen[MaxColumns][MaxRows] = {};
    for (int32_t row = 0; row < ResultedRows; ++row)
        for (int32_t column = 0; column < ResultedColumns; ++column) {
            const PieceCell& cell = Pieces[column][row];
            if (!IsInPlay(cell.SourceColumn, cell.SourceRow) || seen[cell.SourceColumn][cell.SourceRow]) return false;
            seen[cell.SourceColumn][cell.SourceRow] = true;
        }
    return true;
}

void TPuzzleBoard::SetDragCell(int32_t column, int32_t row) {
    dragColumn_ = column;
    dragRow_ = row;
}

void TPuzzleBoard::SwapPieces(int32_t column1, int32_t row1, int32_t column2, int32_t row2) {
    if (!IsInArray(column1, row1) || !IsInArray(column2, row2)) return;
    std::swap(Pieces[column1][row1], Pieces[column2][row2]);
    modified_ = true;
}

bool TPuzzleBoard::IsPieceInPlace(int32_t column, int32_t row) const {
    if (!IsInArray(column, row)) return false;
    const PieceCell& cell = Pieces[column][row];
    return cell.SourceColumn == column && cell.SourceRow == row;
}

int32_t TPuzzleBoard::CountMisplacedPieces() const {
    int32_t misplaced = 0;
    for (int32_t row = 0; row < PlayRows(); ++row)
        for (int32_t column = 0; column < PlayColumns(); ++column)
            if (!IsPieceInPlace(column, row)) ++misplaced;
    return misplaced;
}

bool TPuzzleBoard::HasMirroredPieces() const {
    for (int32_t row = 0; row < PlayRows(); ++row)
        for (int32_t column = 0; column < PlayColumns(); ++column)
            if (Pieces[column][row].FlipHorizontal || Pieces[column][row].FlipVertical) return true;
    return false;
}

bool TPuzzleBoard::IsInPlay(int32_t column, int32_t row) const {
    return column >= 0 && column < PlayColumns() && row >= 0 && row < PlayRows();
}

PieceCell TPuzzleBoard::DrawnPiece(int32_t column, int32_t row) const {
    if (!IsInArray(column, row)) return PieceCell{column, row, false, false};
    PieceCell cell = Pieces[column][row];
    if (IsPieceInPlace(column, row)) cell.FlipHorizontal = cell.FlipVertical = false;
    return cell;
}

void TPuzzleBoard::ShufflePieces(bool allowFlipping, const TRandomSource& nextRandom) {
    const int32_t columns = PlayColumns();
    const int32_t rows = PlayRows();
    history_.Clear();
    for (int pass = 0; pass < 5; ++pass) {
        for (int32_t row = 0; row < rows; ++row) {
            for (int32_t column = 0; column < columns; ++column) {
                const int32_t a = nextRandom();
                const int32_t b = nextRandom();
                SwapPieces(column, row, CellIndexFrom(a, columns), CellIndexFrom(b, rows));
            }
        }
    }
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < columns; ++column) {
            PieceCell& cell = Pieces[column][row];
            if (allowFlipping && !IsPieceInPlace(column, row)) {
                cell.FlipHorizontal = IsEven(nextRandom());
                cell.FlipVertical = IsEven(nextRandom());
            } else {
                cell.FlipHorizontal = cell.FlipVertical = false;
            }
        }
    }
}

void TPuzzleBoard::ToggleFlipHorizontal(int32_t column, int32_t row) {
    if (!IsInPlay(column, row)) return;
    if (view_) view_->PlayerMoved();
    Flip(TBoardStep::FlipHorizontal, column, row);
    history_.Record(TBoardStep{TBoardStep::FlipHorizontal, column, row});
}

void TPuzzleBoard::ToggleFlipVertical(int32_t column, int32_t row) {
    if (!IsInPlay(column, row)) return;
    if (view_) view_->PlayerMoved();
    Flip(TBoardStep::FlipVertical, column, row);
    history_.Record(TBoardStep{TBoardStep::FlipVertical, column, row});
}

void TPuzzleBoard::Flip(TBoardStep::TKind kind, int32_t column, int32_t row) {
    PieceCell& cell = Pieces[column][row];
    if (kind == TBoardStep::FlipHorizontal) cell.FlipHorizontal = !cell.FlipHorizontal;
    else cell.FlipVertical = !cell.FlipVertical;
    DrawPieceAndOutlines(column, row);
}

bool TPuzzleBoard::MovePiece(int32_t column, int32_t row) {
    // A move with either end outside the grid would trade a piece in play for one that is not.
    if (!IsInPlay(column, row) || !IsInPlay(dragColumn_, dragRow_)) return false;
    if (column == dragColumn_ && row == dragRow_) return false;

    if (view_) view_->PlayerMoved();
    SwapPieces(column, row, dragColumn_, dragRow_);
    if (view_) {
        view_->PiecesSwapped(column, row, dragColumn_, dragRow_);
        view_->DrawPiece(column, row);
        view_->DrawPiece(dragColumn_, dragRow_);
        view_->DrawCellOutlines(column, row);
        view_->DrawCellOutlines(dragColumn_, dragRow_);
    }
    CountOne(movesCount_);
    history_.Record(TBoardStep{TBoardStep::Swap, column, row, dragColumn_, dragRow_});
    if (view_) {
        view_->ShowMoves();
        view_->UpdatePieceCursor(column, row);
    }
    return true;
}

bool TPuzzleBoard::CanUndo() const { return history_.CanTakeBack() && !IsSolved(); }

bool TPuzzleBoard::CanRedo() const { return history_.CanMakeAgain() && !IsSolved(); }

bool TPuzzleBoard::UndoMove() {
    TBoardStep step;
    if (!CanUndo() || !history_.TakeBack(step)) return false;
    ApplyStep(step);
    return true;
}

bool TPuzzleBoard::RedoMove() {
    TBoardStep step;
    if (!CanRedo() || !history_.MakeAgain(step)) return false;
    ApplyStep(step);
    return true;
}

// The same step takes a move back and makes it again. The counters stay; a swap still changes the
// board that a save would write.
void TPuzzleBoard::ApplyStep(const TBoardStep& step) {
    if (step.Kind != TBoardStep::Swap) {
        Flip(step.Kind, step.Column1, step.Row1);
        return;
    }
    SwapPieces(step.Column1, step.Row1, step.Column2, step.Row2);
    if (view_) view_->PiecesSwapped(step.Column1, step.Row1, step.Column2, step.Row2);
    DrawPieceAndOutlines(step.Column1, step.Row1);
    DrawPieceAndOutlines(step.Column2, step.Row2);
    if (view_) view_->ShowMoves();
}

bool TPuzzleBoard::AcceptsDrop(int32_t column, int32_t row) const {
    if (!IsInPlay(column, row) || !IsInPlay(dragColumn_, dragRow_)) return false;
    if (column == dragColumn_ && row == dragRow_) return false;
    return !IsPieceInPlace(column, row);
}

void TPuzzleBoard::DropPiece(int32_t column, int32_t row) {
    if (!AcceptsDrop(column, row)) return;
    if (!MovePiece(column, row)) return;
    if (IsPieceInPlace(column, row)) return;
    CountOne(wrongMoves_);
    if (view_) view_->ShowWrongMoves();
}

bool TPuzzleBoard::IsInArray(int32_t column, int32_t row) const {
    return column >= 0 && column < MaxColumns && row >= 0 && row < MaxRows;
}

int32_t TPuzzleBoard::PlayColumns() const {
    return std::clamp(ResultedColumns, 0, MaxColumns);
}

int32_t TPuzzleBoard::PlayRows() const {
    return std::clamp(ResultedRows, 0, MaxRows);
}

void TPuzzleBoard::DrawPieceAndOutlines(int32_t column, int32_t row) {
    if (!view_) return;
    view_->DrawPiece(column, row);
    view_->DrawCellOutlines(column, row);
}
