// Where the cells of a game lie on its two pictures: the puzzle, whose cells are whole pieces,
// and the original picture, whose cells are its bitmap divided by the grid. Pointer, keyboard,
// drawing and motion all ask here, so that a cell is found and placed by one rule.
#pragma once

#include <cstdint>

struct TPieceSize {
    int32_t Width = 0, Height = 0;
};

struct TCellPlace {
    int32_t Column = 0, Row = 0;
    bool operator==(const TCellPlace& other) const { return Column == other.Column && Row == other.Row; }
    bool operator!=(const TCellPlace& other) const { return !(*this == other); }
};

// Right and bottom exclusive, in the picture's pixels.
struct TCellRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TCellRect& other) const {
        return Left == other.Left && Top == other.Top && Right == other.Right && Bottom == other.Bottom;
    }
};

class TBoardGeometry {
public:
    TBoardGeometry() = default;
    // A grid of columns x rows, pieces of that size, and an original picture of that size.
    TBoardGeometry(int32_t columns, int32_t rows, TPieceSize piece, int32_t originalWidth, int32_t originalHeight);

    int32_t Columns() const { return columns_; }
    int32_t Rows() const { return rows_; }
    TPieceSize Piece() const { return piece_; }
    // A grid with cells of at least a pixel on the puzzle.
    bool HasCells() const { return columns_ > 0 && rows_ > 0 && piece_.Width > 0 && piece_.Height > 0; }

    TCellRect PuzzleCell(TCellPlace cell) const;
    // The cell of the puzzle under (x, y), by whole pieces; false outside the grid.
    bool PuzzleCellAt(int32_t x, int32_t y, TCellPlace& cell) const;

    // The original picture's cells: its size divided by the grid, truncated.
    TPieceSize OriginalCellSize() const;
    TCellRect OriginalCell(TCellPlace cell) const;
    // The cell of the original picture under (x, y); the last column or row takes what the
    // truncated cells leave at the right and bottom edges. False outside the picture.
    bool OriginalCellAt(int32_t x, int32_t y, TCellPlace& cell) const;

    // A rectangle of a piece's size with its top left at (left, top): where a piece stands
    // between cells.
    TCellRect PieceAt(int32_t left, int32_t top) const;

private:
    int32_t columns_ = 0, rows_ = 0;
    TPieceSize piece_;
    int32_t originalWidth_ = 0, originalHeight_ = 0;
};
