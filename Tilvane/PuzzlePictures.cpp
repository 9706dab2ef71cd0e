// The game's three images: made, placed, painted from a picture and painted again at a new DPI.
#include "Tilvane/PuzzlePictures.h"

#include "Framework/WaitCursor.h"
#include "Include/BitmapCanvas.h"
#include "Include/Error.h"
#include "Tilvane/TilvaneIds.h"

#include <algorithm>

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";

struct TImagePlace {
    int Left, Top, Width, Height;
};
const TImagePlace OriginalImagePlace = {5, 20, 330, 255};
const TImagePlace PuzzleImagePlace = {5, 20, 395, 440};
const TImagePlace BackupImagePlace = {100, 10, 30, 30};

// A place for a picture still to come takes the area; a painted picture keeps its bitmap's size.
void PlaceImage(TImage& image, int left, int top, int width, int height) {
    if (image.Canvas()) image.SetBounds(left, top, image.BitmapWidth(), image.BitmapHeight());
    else image.SetBounds(left, top, width, height);
}

int WidthOf(const RECT& bounds) { return bounds.right - bounds.left; }
int HeightOf(const RECT& bounds) { return bounds.bottom - bounds.top; }

// A new, hidden image control showing the painted bitmap; null after a failure raised on op.
std::unique_ptr<TImage> NewImage(TFunOperation& op, TWindow& parent, int left, int top,
                                 std::unique_ptr<TBitmapCanvas> bitmap, const std::string& pictureFile, int id) {
    ClearLastError();
    auto image = std::make_unique<TImage>(parent, left, top, std::move(bitmap), id);
    if (image->Handle()) return image;
    op.Raise(__LINE__, fsError, "The picture control could not be created.", pictureFile, "",
             static_cast<int32_t>(LastError()));
    return nullptr;
}

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

// Every piece is copied from this unshuffled copy of the puzzle picture, never from the puzzle.
std::unique_ptr<TBitmapCanvas> CopyOf(TFunOperation& op, const TBitmapCanvas& puzzle) {
    const int width = puzzle.Width(), height = puzzle.Height();
    std::unique_ptr<TBitmapCanvas> copy = TBitmapCanvas::Create(width, height);
    if (!copy) {
        op.Raise(__LINE__, fsError, TBitmapCanvas::NoMemoryReport(width, height), "", "0");
        return nullptr;
    }
    BitBlt(copy->Canvas(), 0, 0, width, height, puzzle.Canvas(), 0, 0, SRCCOPY);
    return copy;
}

// Shows a new picture image in place of the old one.
void ShowInstead(std::unique_ptr<TImage>& shown, std::unique_ptr<TImage> painted) {
    shown = std::move(painted);
    shown->SetVisible(true);
    shown->Refresh();
}

}  // namespace

// Three pictures painted for a game, not shown yet.
struct TPuzzlePictures::TPainted {
    std::unique_ptr<TImage> Puzzle, Backup, Original;
    int32_t Columns = 0, Rows = 0;
    TPictureSource Source;
};

TPuzzlePictures::TPuzzlePictures(TForm& window, TGroupBox& originalBox, TGroupBox& puzzleBox)
    : window_(window), originalBox_(originalBox), puzzleBox_(puzzleBox) {
    auto place = [this](TGroupBox& parent, const TImagePlace& at, int id) {
        return std::make_unique<TImage>(parent, window_.Scaled(at.Left), window_.Scaled(at.Top),
                                        window_.Scaled(at.Width), window_.Scaled(at.Height), id);
    };
    original_ = place(originalBox_, OriginalImagePlace, idOriginalPictureImage);
    puzzle_ = place(puzzleBox_, PuzzleImagePlace, idPuzzlePictureImage);
    backup_ = place(puzzleBox_, BackupImagePlace, idBackupPictureImage);
}

void TPuzzlePictures::Place() {
    const RECT original = originalBox_.Bounds();
    PlaceImage(*original_, window_.Scaled(OriginalImagePlace.Left), OriginalImageTop(),
               WidthOf(original) - window_.Scaled(10), HeightOf(original) - window_.Scaled(10));
    const RECT puzzle = puzzleBox_.Bounds();
    PlaceImage(*puzzle_, window_.Scaled(PuzzleImagePlace.Left), PuzzleImageTop(), WidthOf(puzzle) - window_.Scaled(10),
               HeightOf(puzzle) - PuzzleImageTop() - window_.Scaled(5));
}

std::vector<TPictureSize> TPuzzlePictures::Areas() const { return {PuzzleArea(), OriginalArea()}; }

// A group box squeezed below its margins (a tiny window at a dense DPI) leaves an empty area, not
// a negative one, which the decoder would take for a damaged request.
TPictureSize TPuzzlePictures::PuzzleArea() const {
    return {std::max(puzzleBox_.ClientWidth() - window_.Scaled(10), 0),
            std::max(puzzleBox_.ClientHeight() - PuzzleImageTop() - window_.Scaled(5), 0)};
}

TPictureSize TPuzzlePictures::OriginalArea() const {
    return {std::max(originalBox_.ClientWidth() - window_.Scaled(10), 0),
            std::max(originalBox_.ClientHeight() - OriginalImageTop() - window_.Scaled(5), 0)};
}

int TPuzzlePictures::PuzzleImageTop() const { return window_.Scaled(PuzzleImagePlace.Top); }

int TPuzzlePictures::OriginalImageTop() const { return window_.Scaled(OriginalImagePlace.Top); }

TPieceSize TPuzzlePictures::PieceSizeFor(TGridChoice grid) const {
    const TPictureSize area = PuzzleArea();
    return TPieceSize{area.Width / grid.Columns, area.Height / grid.Rows};
}

bool TPuzzlePictures::PieceSizeOnGrid(TPictureSize picture, TGridChoice choice, int32_t columns, int32_t rows,
                                      TPieceSize& piece) const {
    const int32_t areaWidth = PuzzleArea().Width;
    const int32_t areaHeight = PuzzleArea().Height;
    int32_t fittedWidth = 0, fittedHeight = 0;
    FitPictureSize(picture.Width, picture.Height, areaWidth, areaHeight, true, fittedWidth, fittedHeight);
    const int32_t choiceWidth = areaWidth / std::max(choice.Columns, 1);
    const int32_t choiceHeight = areaHeight / std::max(choice.Rows, 1);
    const TPictureGrid asNewGame = ChoosePictureGrid(fittedWidth, fittedHeight, choiceWidth, choiceHeight,
                                                     TPuzzleBoard::MaxColumns, TPuzzleBoard::MaxRows);
    if (asNewGame.Columns == columns && asNewGame.Rows == rows && choiceWidth > 0 && choiceHeight > 0) {
        piece = TPieceSize{choiceWidth, choiceHeight};
        return true;
    }
    const int32_t pieceWidth = std::max(fittedWidth / columns, 1), pieceHeight = std::max(fittedHeight / rows, 1);
    const TPictureGrid grid = ChoosePictureGrid(fittedWidth, fittedHeight, pieceWidth, pieceHeight, columns, rows);
    if (grid.Columns != columns || grid.Rows != rows) return false;
    piece = TPieceSize{pieceWidth, pieceHeight};
    return true;
}

bool TPuzzlePictures::Show(TFunOperation& op, const TPicture& picture, TPieceSize piece, int32_t maxColumns,
                           int32_t maxRows, TPuzzleBoard& board) {
    TPainted painted;
    if (!Paint(op, picture, piece, maxColumns, maxRows, painted)) return false;
    board.ResultedColumns = painted.Columns;
    board.ResultedRows = painted.Rows;
    ShowPainted(painted, piece);
    return true;
}

bool TPuzzlePictures::Paint(TFunOperation& op, const TPicture& picture, TPieceSize piece, int32_t maxColumns,
                            int32_t maxRows, TPainted& painted) {
    const std::vector<TPictureSize> areas = Areas();
    painted.Source = TPictureSource{TPictureSize{picture.Width(), picture.Height()}, picture.FileName(),
                                    picture.FileStamp()};
    std::unique_ptr<TBitmapCanvas> puzzle =
        PaintPictureToGrid(picture, true, areas[0].Width, areas[0].Height, piece.Width, piece.Height, maxColumns,
                           maxRows, painted.Columns, painted.Rows);
    if (op.TakeCurrent()) return false;
    std::unique_ptr<TBitmapCanvas> backup = CopyOf(op, *puzzle);
    if (!backup) return false;
    std::unique_ptr<TBitmapCanvas> original = PaintPictureUsingGrid(picture, true, areas[1].Width, areas[1].Height,
                                                                    painted.Columns, painted.Rows);
    if (op.TakeCurrent()) return false;
    painted.Puzzle = NewImage(op, puzzleBox_, window_.Scaled(5), PuzzleImageTop(), std::move(puzzle),
                              picture.FileName(), idPuzzlePictureImage);
    if (painted.Puzzle)
        painted.Original = NewImage(op, originalBox_, window_.Scaled(5), OriginalImageTop(), std::move(original),
                                    picture.FileName(), idOriginalPictureImage);
    if (painted.Original)
        painted.Backup = NewImage(op, puzzleBox_, 0, 0, std::move(backup), picture.FileName(), idBackupPictureImage);
    return painted.Backup != nullptr;
}

// The painted pictures replace those on screen, with their piece size.
void TPuzzlePictures::ShowPainted(TPainted& painted, TPieceSize piece) {
    piece_ = piece;
    source_ = painted.Source;
    backup_ = std::move(painted.Backup);
    ShowInstead(puzzle_, std::move(painted.Puzzle));
    ShowInstead(original_, std::move(painted.Original));
}

// The pictures get the sizes a saved game of this grid would get in the new areas. The grid
// stays and the pieces stay whole pixels. On a denser screen the picture is drawn again from its
// file, as sharp as there; on a sparser one the shown pictures, scaled down, look as good at a
// fraction of the cost. A picture too flat for its grid in the new area, or no memory for the new
// pictures, leaves the game as it is, at its old pixel size.
bool TPuzzlePictures::Repaint(bool denser, TGridChoice cutGrid, int32_t columns, int32_t rows) {
    if (columns <= 0 || rows <= 0 || !backup_ || !backup_->Canvas()) return false;
    return (denser && RepaintFromFile(cutGrid, columns, rows)) || Stretch(cutGrid, columns, rows);
}

// As sharp as the game loaded at the new size: the picture is decoded again, and shown only when
// its file is the very one the game was painted from, unchanged, so that its pieces show the
// same picture.
bool TPuzzlePictures::RepaintFromFile(TGridChoice cutGrid, int32_t columns, int32_t rows) {
    if (source_.File.empty() || source_.Stamp.Empty()) return false;
    TFunOperation op(Module, "TTilvaneForm::RepaintPicturesFromFile", __LINE__);
    bool shown = false;
    op.Guard(__LINE__, [&] {
        const TWaitCursor busy;
        std::unique_ptr<TPicture> picture = LoadPictureFile(source_.File, Areas());
        if (op.TakeCurrent() || picture->FileStamp() != source_.Stamp) return;
        TPieceSize piece;
        const TPictureSize size{picture->Width(), picture->Height()};
        if (!PieceSizeOnGrid(size, cutGrid, columns, rows, piece)) return;
        TPainted painted;
        if (!Paint(op, *picture, piece, columns, rows, painted)) return;
        if (painted.Columns != columns || painted.Rows != rows) return;
        ShowPainted(painted, piece);
        shown = true;
    });
    // No failure for the player: the pictures the game shows are stretched instead.
    op.Own.Reset(fsPerfect);
    op.EndPassing();
    return shown;
}

// The pixels scaled from the unshuffled puzzle picture the game keeps: a game whose file was
// moved or changed meanwhile still follows the window.
bool TPuzzlePictures::Stretch(TGridChoice cutGrid, int32_t columns, int32_t rows) {
    TPieceSize piece;
    const TPictureSize pictureSize = source_.Size;
    if (!PieceSizeOnGrid(pictureSize, cutGrid, columns, rows, piece)) return false;
    const TPictureSize puzzleSize{columns * piece.Width, rows * piece.Height};
    const TPictureSize area = OriginalArea();
    int32_t fittedWidth = 0, fittedHeight = 0;
    FitPictureSize(pictureSize.Width, pictureSize.Height, area.Width, area.Height, true, fittedWidth,
                   fittedHeight);
    const TPictureGrid original = PictureSizeOnGrid(fittedWidth, fittedHeight, columns, rows);

    const TImage& source = *backup_;
    TPainted painted;
    painted.Columns = columns;
    painted.Rows = rows;
    painted.Source = source_;
    painted.Backup = ScaledImage(source, puzzleBox_, POINT{0, 0}, puzzleSize, idBackupPictureImage);
    painted.Puzzle = ScaledImage(source, puzzleBox_, POINT{window_.Scaled(5), PuzzleImageTop()}, puzzleSize,
                                 idPuzzlePictureImage);
    painted.Original = ScaledImage(source, originalBox_, POINT{window_.Scaled(5), OriginalImageTop()},
                                   TPictureSize{original.Width, original.Height}, idOriginalPictureImage);
    if (!painted.Backup || !painted.Puzzle || !painted.Original) return false;
    ShowPainted(painted, piece);
    return true;
}

void TPuzzlePictures::Hide() {
    puzzle_->SetVisible(false);
    original_->SetVisible(false);
}

bool TPuzzlePictures::Shown() const { return puzzle_ && puzzle_->Visible() && original_ && original_->Visible(); }
