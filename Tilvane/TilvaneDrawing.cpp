// The board on screen: pieces copied from the unshuffled backup picture, mirrored as their cells
// say, and cell outlines whose colour tells what is placed, marked or plain.
#include "Tilvane/TilvaneDialog.h"

namespace {

enum TOutlineColour { ocPlaced, ocMark, ocLight, ocPlain };

const COLORREF OutlineColours[] = {
    RGB(255, 255, 0),  // yellow: the piece here is in place
    RGB(255, 0, 0),    // red: the marked cell
    RGB(192, 192, 192),
    RGB(0, 0, 0),
};

}  // namespace

// One stretching copy from the backup picture; a reversed destination axis mirrors the piece.
void TTilvaneForm::DrawPiece(int32_t column, int32_t row) {
    if (!PuzzlePictureImage || !BackupPictureImage) return;
    const PieceCell cell = Board.DrawnPiece(column, row);
    const int w = PieceWidth, h = PieceHeight;
    const int left = column * w, top = row * h;
    const int destinationX = cell.FlipHorizontal ? left + w - 1 : left;
    const int destinationY = cell.FlipVertical ? top + h - 1 : top;
    const int destinationWidth = cell.FlipHorizontal ? -w : w;
    const int destinationHeight = cell.FlipVertical ? -h : h;
    SetStretchBltMode(PuzzlePictureImage->Canvas(), COLORONCOLOR);
    StretchBlt(PuzzlePictureImage->Canvas(), destinationX, destinationY, destinationWidth, destinationHeight,
               BackupPictureImage->Canvas(), cell.SourceColumn * w, cell.SourceRow * h, w, h, SRCCOPY);
    PuzzlePictureImage->Refresh();
}

void TTilvaneForm::DrawAllPieces() {
    for (int32_t row = 0; row < Board.ResultedRows; ++row)
        for (int32_t column = 0; column < Board.ResultedColumns; ++column) DrawPiece(column, row);
}

void TTilvaneForm::DrawCellOutline(TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t column, int32_t row,
                                   bool mark) {
    TOutlineColour colour = ocPlain;
    if (Board.IsPieceInPlace(column, row))
        colour = ocPlaced;
    else if (mark)
        colour = ocMark;
    else if (panel_->LightGrid())
        colour = ocLight;
    if (!pens_[colour]) pens_[colour].reset(CreatePen(PS_SOLID, 1, OutlineColours[colour]));
    TSelection pen(image.Canvas(), pens_[colour].get());
    const int x = column * cellWidth, y = row * cellHeight;
    const POINT corners[] = {{x, y}, {x + cellWidth - 1, y}, {x + cellWidth - 1, y + cellHeight - 1},
                             {x, y + cellHeight - 1}, {x, y}};
    Polyline(image.Canvas(), corners, 5);
    image.Refresh();
}

void TTilvaneForm::DrawCellOutlines(int32_t column, int32_t row, bool mark) {
    if (!OriginalPictureImage || !PuzzlePictureImage) return;
    if (column == MarkedColumn && row == MarkedRow) markShown_ = mark;
    DrawCellOutline(*OriginalPictureImage, OriginalCellWidth(), OriginalCellHeight(), column, row, mark);
    DrawCellOutline(*PuzzlePictureImage, PieceWidth, PieceHeight, column, row, mark);
}

void TTilvaneForm::DrawCellOutlines(int32_t column, int32_t row) { DrawCellOutlines(column, row, false); }

void TTilvaneForm::DrawGrid(TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t columns, int32_t rows) {
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column)
            DrawCellOutline(image, cellWidth, cellHeight, column, row, false);
}

void TTilvaneForm::DrawGrids(bool originalOnly) {
    if (!OriginalPictureImage || !PuzzlePictureImage) return;
    markShown_ = false;
    if (!originalOnly) DrawGrid(*PuzzlePictureImage, PieceWidth, PieceHeight, Board.ResultedColumns, Board.ResultedRows);
    DrawGrid(*OriginalPictureImage, OriginalCellWidth(), OriginalCellHeight(), Board.ResultedColumns,
             Board.ResultedRows);
}

void TTilvaneForm::MarkCell(int32_t column, int32_t row) {
    DrawCellOutlines(column, row, true);
    MarkedColumn = column;
    MarkedRow = row;
    markShown_ = true;
}

void TTilvaneForm::UnmarkCell() { DrawCellOutlines(MarkedColumn, MarkedRow, false); }

int32_t TTilvaneForm::OriginalCellWidth() const {
    return Board.ResultedColumns > 0 ? OriginalPictureImage->BitmapWidth() / Board.ResultedColumns : 0;
}

int32_t TTilvaneForm::OriginalCellHeight() const {
    return Board.ResultedRows > 0 ? OriginalPictureImage->BitmapHeight() / Board.ResultedRows : 0;
}
