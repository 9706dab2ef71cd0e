// The game window at a new DPI (moved to a denser or sparser monitor, or the scale changed):
// controls, picture areas and the pictures of the game on screen, all in the new pixels.
#include "Tilvane/TilvaneDialog.h"

#include "Include/Core/PictureFit.h"
#include "Tilvane/TilvaneIds.h"

#include <algorithm>

namespace {

// A new, hidden image showing the source's bitmap stretched to the size; null without memory
// for it.
std::unique_ptr<TImage> ScaledImage(const TImage& source, TWindow& parent, POINT place, TPictureSize size, int id) {
    if (size.Width <= 0 || size.Height <= 0) return nullptr;
    std::unique_ptr<TBitmapCanvas> bitmap = TBitmapCanvas::Create(size.Width, size.Height);
    if (!bitmap) return nullptr;
    SetStretchBltMode(bitmap->Canvas(), HALFTONE);
    SetBrushOrgEx(bitmap->Canvas(), 0, 0, nullptr);
    StretchBlt(bitmap->Canvas(), 0, 0, size.Width, size.Height, source.Canvas(), 0, 0, source.BitmapWidth(),
               source.BitmapHeight(), SRCCOPY);
    auto image = std::make_unique<TImage>(parent, place.x, place.y, std::move(bitmap), id);
    if (!image->Handle()) return nullptr;
    return image;
}

}  // namespace

void TTilvaneForm::DpiChanged(int) {
    if (hint_) hint_->Hide();
    layout_.Arrange(*this);
    ArrangePictureAreas();
    if (PicturesShown())
        RepaintPicturesForDpi();
    else
        ComputePieceSize();
}

// The pictures get the sizes a saved game of this grid would get in the new areas, and their
// pixels are scaled from the unshuffled puzzle picture the game keeps, not decoded from the file
// again: a game whose file was moved or changed meanwhile still follows the window. The grid
// stays, the pieces stay whole pixels. A picture too flat for its grid in the new area, or no
// memory for the new pictures, leaves the game as it is, at its old pixel size.
void TTilvaneForm::RepaintPicturesForDpi() {
    const int32_t columns = Board.ResultedColumns, rows = Board.ResultedRows;
    if (columns <= 0 || rows <= 0 || !BackupPictureImage || !BackupPictureImage->Canvas()) return;
    TPieceSize piece;
    if (!PieceSizeOnGrid(shownPictureSize_, TGridChoice{ColumnsCount, RowsCount}, columns, rows, piece)) return;
    const TPictureSize puzzleSize{columns * piece.Width, rows * piece.Height};
    const TPictureSize area = OriginalArea();
    int32_t fittedWidth = 0, fittedHeight = 0;
    FitPictureSize(shownPictureSize_.Width, shownPictureSize_.Height, area.Width, area.Height, true, fittedWidth,
                   fittedHeight);
    const TPictureGrid original = PictureSizeOnGrid(fittedWidth, fittedHeight, columns, rows);

    // The keyboard stays on the puzzle, with its selected cell, when it was there.
    const bool puzzleFocused = GetFocus() == PuzzlePictureImage->Handle();
    const TImage& source = *BackupPictureImage;
    TPaintedPictures painted;
    painted.Columns = columns;
    painted.Rows = rows;
    painted.PictureSize = shownPictureSize_;
    painted.Backup = ScaledImage(source, *PuzzlePictureGroupBox, POINT{0, 0}, puzzleSize, idBackupPictureImage);
    painted.Puzzle = ScaledImage(source, *PuzzlePictureGroupBox, POINT{Scaled(5), PuzzleImageTop()}, puzzleSize,
                                 idPuzzlePictureImage);
    painted.Original = ScaledImage(source, *OriginalPictureGroupBox, POINT{Scaled(5), OriginalImageTop()},
                                   TPictureSize{original.Width, original.Height}, idOriginalPictureImage);
    if (!painted.Backup || !painted.Puzzle || !painted.Original) return;
    ShowPaintedPictures(painted, piece);
    if (puzzleFocused) SetFocus(PuzzlePictureImage->Handle());
    RedrawBoard();
}

// The board as it was on screen: pieces and grid while it is played, the whole picture before
// the shuffle and once it is solved; the marked cell keeps its mark.
void TTilvaneForm::RedrawBoard() {
    const bool marked = markShown_;
    if (Board.CountMisplacedPieces() == 0) {
        DrawGrids(true);
        return;
    }
    DrawAllPieces();
    DrawGrids(false);
    if (marked) MarkCell(MarkedColumn, MarkedRow);
}
