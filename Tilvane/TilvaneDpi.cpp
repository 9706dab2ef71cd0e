// The game window at a new DPI (moved to a denser or sparser monitor, or the scale changed):
// controls, picture areas and the pictures of the game on screen, all in the new pixels.
#include "Tilvane/TilvaneDialog.h"

#include "Framework/WaitCursor.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PictureFit.h"
#include "Tilvane/TilvaneIds.h"

#include <algorithm>

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";

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

void TTilvaneForm::DpiChanged(int oldDpi) {
    if (hint_) hint_->Hide();
    layout_.Arrange(*this);
    ArrangePictureAreas();
    if (PicturesShown())
        RepaintPicturesForDpi(Dpi() > oldDpi);
    else
        ComputePieceSize();
}

// The pictures get the sizes a saved game of this grid would get in the new areas. The grid
// stays, the pieces stay whole pixels, and the keyboard stays on the puzzle, with its selected
// cell, when it was there. On a denser screen the picture is drawn again from its file, as sharp
// as there; on a sparser one the shown pictures, scaled down, look as good at a fraction of the
// cost. A picture too flat for its grid in the new area, or no memory for the new pictures, leaves
// the game as it is, at its old pixel size.
void TTilvaneForm::RepaintPicturesForDpi(bool denser) {
    const int32_t columns = Board.ResultedColumns, rows = Board.ResultedRows;
    if (columns <= 0 || rows <= 0 || !BackupPictureImage || !BackupPictureImage->Canvas()) return;
    const bool puzzleFocused = GetFocus() == PuzzlePictureImage->Handle();
    if (!(denser && RepaintPicturesFromFile(columns, rows)) && !StretchPictures(columns, rows)) return;
    if (puzzleFocused) SetFocus(PuzzlePictureImage->Handle());
    RedrawBoard();
}

// As sharp as the game loaded at the new size: the picture is decoded again, and shown only when
// its file is the very one the game was painted from, unchanged, so that its pieces show the
// same picture.
bool TTilvaneForm::RepaintPicturesFromFile(int32_t columns, int32_t rows) {
    if (shownPicture_.File.empty() || shownPicture_.Stamp.Empty()) return false;
    TFunOperation op(Module, "TTilvaneForm::RepaintPicturesFromFile", __LINE__);
    bool shown = false;
    op.Guard(__LINE__, [&] {
        const TWaitCursor busy;
        std::unique_ptr<TPicture> picture = LoadPictureFile(shownPicture_.File, PictureAreas());
        if (op.TakeCurrent() || picture->FileStamp() != shownPicture_.Stamp) return;
        TPieceSize piece;
        const TPictureSize size{picture->Width(), picture->Height()};
        if (!PieceSizeOnGrid(size, TGridChoice{ColumnsCount, RowsCount}, columns, rows, piece)) return;
        TPaintedPictures painted;
        if (!PaintNewPictures(op, *picture, piece, columns, rows, painted)) return;
        if (painted.Columns != columns || painted.Rows != rows) return;
        ShowPaintedPictures(painted, piece);
        shown = true;
    });
    // No failure for the player: the pictures the game shows are stretched instead.
    op.Own.Reset(fsPerfect);
    op.EndPassing();
    return shown;
}

// The pixels scaled from the unshuffled puzzle picture the game keeps: a game whose file was
// moved or changed meanwhile still follows the window.
bool TTilvaneForm::StretchPictures(int32_t columns, int32_t rows) {
    TPieceSize piece;
    const TPictureSize pictureSize = shownPicture_.Size;
    if (!PieceSizeOnGrid(pictureSize, TGridChoice{ColumnsCount, RowsCount}, columns, rows, piece)) return false;
    const TPictureSize puzzleSize{columns * piece.Width, rows * piece.Height};
    const TPictureSize area = OriginalArea();
    int32_t fittedWidth = 0, fittedHeight = 0;
    FitPictureSize(pictureSize.Width, pictureSize.Height, area.Width, area.Height, true, fittedWidth,
                   fittedHeight);
    const TPictureGrid original = PictureSizeOnGrid(fittedWidth, fittedHeight, columns, rows);

    const TImage& source = *BackupPictureImage;
    TPaintedPictures painted;
    painted.Columns = columns;
    painted.Rows = rows;
    painted.Source = shownPicture_;
    painted.Backup = ScaledImage(source, *PuzzlePictureGroupBox, POINT{0, 0}, puzzleSize, idBackupPictureImage);
    painted.Puzzle = ScaledImage(source, *PuzzlePictureGroupBox, POINT{Scaled(5), PuzzleImageTop()}, puzzleSize,
                                 idPuzzlePictureImage);
    painted.Original = ScaledImage(source, *OriginalPictureGroupBox, POINT{Scaled(5), OriginalImageTop()},
                                   TPictureSize{original.Width, original.Height}, idOriginalPictureImage);
    if (!painted.Backup || !painted.Puzzle || !painted.Original) return false;
    ShowPaintedPictures(painted, piece);
    return true;
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
