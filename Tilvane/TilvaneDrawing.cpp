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

void TTilvaneForm::DrawPiece(const PieceCell& cell, int32_t column, int32_t row) {
    if (!PuzzlePictureImage || !BackupPictureImage) return;
    const int w = PieceWidth, h = PieceHeight;
    const int left = column * w, top = row * h;
    // A piece on its own place is shown as the picture has it, whatever its stored flags.
    const bool placed = Board.IsPieceInPlace(cell.SourceColumn, cell.SourceRow);
    const bool flipHorizontal = cell.FlipHorizontal && !placed;
    const bool flipVertical = cell.FlipVertical && !placed;
    // One stretching copy; a reversed destination axis mirrors the piece.
    const int destinationX = flipHorizontal ? left + w - 1 : left;
    const int destinationY = flipVertical ? top + h - 1 : top;
    const int destinationWidth = flipHorizontal ? -w : w;
    const int destinationHeight = flipVertical ? -h : h;
    SetStretchBltMode(PuzzlePictureImage->Canvas(), COLORONCOLOR);
    StretchBlt(PuzzlePictureImage->Canvas(), destinationX, destinationY, destinationWidth, destinationHeight,
               BackupPictureImage->Canvas(), cell.SourceColumn * w, cell.SourceRow * h, w, h, SRCCOPY);
    PuzzlePictureImage->Refresh();
}

void TTilvaneForm::DrawPiece(int32_t column, int32_t row) { DrawPiece(Board.Pieces[column][row], column, row); }

void TTilvaneForm::DrawAllPieces() {
    for (int32_t row = 0; row < Board.ResultedRows; ++row)
        for (int32_t column = 0; column < Board.ResultedColumns; ++column)
            DrawPiece(Board.Pieces[column][row], column, row);
}

void TTilvaneForm::SwapAndDrawPieces(int32_t column1, int32_t row1, int32_t column2, int32_t row2) {
    Board.SwapPieces(column1, row1, column2, row2);
    DrawPiece(column1, row1);
    DrawPiece(column2, row2);
}

void TTilvaneForm::DrawCellOutline(TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t column, int32_t row,
                                   bool mark) {
    TOutlineColour colour = ocPlain;
    if (Board.IsPieceInPlace(column, row))
        colour = ocPlaced;
    else if (mark)
        colour = ocMark;
    else if (LightGridCheckBox->Checked())
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
    if (!originalOnly) DrawGrid(*PuzzlePictureImage, PieceWidth, PieceHeight, Board.ResultedColumns, Board.ResultedRows);
    DrawGrid(*OriginalPictureImage, OriginalCellWidth(), OriginalCellHeight(), Board.ResultedColumns,
             Board.ResultedRows);
}

void TTilvaneForm::MarkCell(int32_t column, int32_t row) {
    DrawCellOutlines(column, row, true);
    MarkedColumn = column;
    MarkedRow = row;
}

void TTilvaneForm::UnmarkCell() { DrawCellOutlines(MarkedColumn, MarkedRow, false); }

int32_t TTilvaneForm::OriginalCellWidth() const {
    return Board.ResultedColumns > 0 ? OriginalPictureImage->BitmapWidth() / Board.ResultedColumns : 0;
}

int32_t TTilvaneForm::OriginalCellHeight() const {
    return Board.ResultedRows > 0 ? OriginalPictureImage->BitmapHeight() / Board.ResultedRows : 0;
}
