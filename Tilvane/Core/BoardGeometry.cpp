#include "Tilvane/Core/BoardGeometry.h"

#include <algorithm>

namespace {

// Whole cells of that size from the picture's edge to the point; negative points lie before the
// first cell, not in it, as truncating division would have it.
bool CellIndex(int32_t at, int32_t cellSide, int32_t extent, int32_t& index) {
    if (cellSide <= 0 || at < 0 || at >= extent) return false;
    index = at / cellSide;
    return true;
}

}  // namespace

TBoardGeometry::TBoardGeometry(int32_t columns, int32_t rows, TPieceSize piece, int32_t originalWidth,
                               int32_t originalHeight)
    : columns_(std::max(columns, 0)), rows_(std::max(rows, 0)), piece_(piece), originalWidth_(originalWidth),
      originalHeight_(originalHeight) {}

TCellRect TBoardGeometry::PuzzleCell(TCellPlace cell) const {
    return PieceAt(cell.Column * piece_.Width, cell.Row * piece_.Height);
}

bool TBoardGeometry::PuzzleCellAt(int32_t x, int32_t y, TCellPlace& cell) const {
    TCellPlace found;
    if (!CellIndex(x, piece_.Width, columns_ * piece_.Width, found.Column) ||
        !CellIndex(y, piece_.Height, rows_ * piece_.Height, found.Row))
        return false;
    cell = found;
    return true;
}

TPieceSize TBoardGeometry::OriginalCellSize() const {
    if (columns_ <= 0 || rows_ <= 0) return TPieceSize{};
    return TPieceSize{originalWidth_ / columns_, originalHeight_ / rows_};
}

TCellRect TBoardGeometry::OriginalCell(TCellPlace cell) const {
    const TPieceSize size = OriginalCellSize();
    const int32_t left = cell.Column * size.Width, top = cell.Row * size.Height;
    return TCellRect{left, top, left + size.Width, top + size.Height};
}

bool TBoardGeometry::OriginalCellAt(int32_t x, int32_t y, TCellPlace& cell) const {
    const TPieceSize size = OriginalCellSize();
    TCellPlace found;
    if (!CellIndex(x, size.Width, originalWidth_, found.Column) || !CellIndex(y, size.Height, originalHeight_, found.Row))
        return false;
    cell = TCellPlace{std::min(found.Column, columns_ - 1), std::min(found.Row, rows_ - 1)};
    return true;
}

TCellRect TBoardGeometry::PieceAt(int32_t left, int32_t top) const {
    return TCellRect{left, top, left + piece_.Width, top + piece_.Height};
}
