// Pointer play over the two pictures: the cell under the pointer, drags and drops, flips with
// Ctrl or Shift, marks with the right button, a piece's own place while Ctrl and Alt are held,
// and every pointer position fed to the random generator.
#include "Tilvane/PuzzleView.h"

#include "Include/Myrandom.h"

namespace {

const char* YesNo(bool value) { return value ? "YES" : "NO"; }

}  // namespace

std::string TPuzzleView::PositionText(int32_t column, int32_t row) {
    return "Column " + std::to_string(column + 1) + ". Row " + std::to_string(row + 1) + ".";
}

// Where the piece in the cell belongs and how it is mirrored, counted from 1.
std::string TPuzzleView::PieceHintText(int32_t column, int32_t row) const {
    const PieceCell& cell = board_->Pieces[column][row];
    return "Column " + std::to_string(cell.SourceColumn + 1) + "; Row " + std::to_string(cell.SourceRow + 1) +
           "; Flip horiz " + YesNo(cell.FlipHorizontal) + "; Flip vert " + YesNo(cell.FlipVertical);
}

void TPuzzleView::UpdatePieceCursor(int32_t column, int32_t row) {
    if (!pictures_.Puzzle()) return;
    const bool movable = !board_->IsPieceInPlace(column, row);
    pictures_.Puzzle()->SetCursor(LoadCursorA(nullptr, movable ? IDC_HAND : IDC_ARROW));
}

int32_t TPuzzleView::ColumnAtOriginalX(int x) const {
    const int32_t cellWidth = OriginalCellWidth();
    if (cellWidth <= 0) return 0;
    return std::min(x / cellWidth, board_->ResultedColumns - 1);
}

int32_t TPuzzleView::RowAtOriginalY(int y) const {
    const int32_t cellHeight = OriginalCellHeight();
    if (cellHeight <= 0) return 0;
    return std::min(y / cellHeight, board_->ResultedRows - 1);
}

void TPuzzleView::OriginalPictureImageMouseMove(TShiftState, int x, int y) {
    owner_->ShowPosition(PositionText(ColumnAtOriginalX(x), RowAtOriginalY(y)));
    Random.AddPoint(x, y);
}

void TPuzzleView::PuzzlePictureImageMouseMove(TShiftState shift, int x, int y) {
    const TPieceSize piece = pictures_.Piece();
    if (piece.Width <= 0 || piece.Height <= 0) return;
    const int32_t column = x / piece.Width, row = y / piece.Height;
    UpdatePieceCursor(column, row);
    owner_->ShowPosition(PositionText(column, row));
    hint_->Hide();
    if (ShiftEquals2(shift, ssCtrl, ssAlt)) ShowPieceHint(column, row);
    Random.AddPoint(x, y);
}

void TPuzzleView::ShowPieceHint(int32_t column, int32_t row) {
    if (!board_->IsInPlay(column, row)) return;
    POINT pointer;
    GetCursorPos(&pointer);
    hint_->ShowAt(PieceHintText(column, row), pointer);
}

void TPuzzleView::PuzzlePictureImageMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const TPieceSize piece = pictures_.Piece();
    if (piece.Width <= 0 || piece.Height <= 0) return;
    hint_->Hide();  // a drag, a flip or a mark makes what it says stale
    if (button == TMouseButton::Right) {
        UnmarkCell();
        MarkCell(x / piece.Width, y / piece.Height);
        return;
    }
    if (button != TMouseButton::Left) return;
    ForgetLiftedPiece();
    board_->SetDragCell(x / piece.Width, y / piece.Height);
    if (board_->IsPieceInPlace(board_->DragColumn(), board_->DragRow())) return;
    const TShiftState modifiers = shift & static_cast<TShiftState>(~ShiftSetOf(ssLeft));
    if (ShiftIsEmpty(modifiers)) {
        pictures_.Puzzle()->BeginDrag();
        return;
    }
    if (ShiftEquals(modifiers, ssCtrl)) board_->ToggleFlipHorizontal(board_->DragColumn(), board_->DragRow());
    if (ShiftEquals(modifiers, ssShift)) board_->ToggleFlipVertical(board_->DragColumn(), board_->DragRow());
    board_->ClearDragCell();
}

void TPuzzleView::OriginalPictureImageMouseDown(TMouseButton button, TShiftState, int x, int y) {
    if (button != TMouseButton::Right) return;
    UnmarkCell();
    MarkCell(ColumnAtOriginalX(x), RowAtOriginalY(y));
}

void TPuzzleView::PuzzlePictureImageDragOver(TImage*, int x, int y, bool& accept) {
    const TPieceSize piece = pictures_.Piece();
    accept = piece.Width > 0 && piece.Height > 0 && board_->AcceptsDrop(x / piece.Width, y / piece.Height);
}

void TPuzzleView::OriginalPictureImageDragOver(TImage*, int x, int y, bool& accept) {
    accept = board_->AcceptsDrop(ColumnAtOriginalX(x), RowAtOriginalY(y));
}

void TPuzzleView::PuzzlePictureImageDragDrop(TImage*, int x, int y) {
    hint_->Hide();
    const TPieceSize piece = pictures_.Piece();
    if (piece.Width <= 0 || piece.Height <= 0) return;
    board_->DropPiece(x / piece.Width, y / piece.Height);
}

void TPuzzleView::OriginalPictureImageDragDrop(TImage*, int x, int y) {
    hint_->Hide();
    board_->DropPiece(ColumnAtOriginalX(x), RowAtOriginalY(y));
}

// A picture image is made anew with every picture, so its handlers are attached anew too.
void TPuzzleView::AttachImageHandlers(TImage& image, const TImageHandlers& handlers) {
    image.OnMouseMove = [this, handlers](TShiftState shift, int x, int y) { (this->*handlers.MouseMove)(shift, x, y); };
    image.OnMouseDown = [this, handlers](TMouseButton button, TShiftState shift, int x, int y) {
        (this->*handlers.MouseDown)(button, shift, x, y);
    };
    image.OnDragOver = [this, handlers](TImage* source, int x, int y, bool& accept) {
        (this->*handlers.DragOver)(source, x, y, accept);
    };
    image.OnDragDrop = [this, handlers](TImage* source, int x, int y) { (this->*handlers.DragDrop)(source, x, y); };
}

void TPuzzleView::AttachPuzzleImageHandlers() {
    TImage& image = *pictures_.Puzzle();
    AttachImageHandlers(image, {&TPuzzleView::PuzzlePictureImageMouseMove, &TPuzzleView::PuzzlePictureImageMouseDown,
                                &TPuzzleView::PuzzlePictureImageDragOver, &TPuzzleView::PuzzlePictureImageDragDrop});
    // The puzzle also plays with the keyboard: the last tab stop, after the four option controls.
    image.SetTabStop();
    // The hint names the piece under the pointer: it goes with the pointer, also before it shows.
    image.OnMouseLeave = [this] { hint_->Hide(); };
    image.OnKeyDown = [this](WORD key, TShiftState shift) { PuzzlePictureImageKeyDown(key, shift); };
    image.OnKeyUp = [this](WORD key, TShiftState shift) { PuzzlePictureImageKeyUp(key, shift); };
    image.OnFocusChange = [this](bool focused, HWND other) { PuzzlePictureImageFocusChange(focused, other); };
    image.OnPaintOverlay = [this](HDC dc) { PaintKeyboardMarks(dc); };
}

void TPuzzleView::AttachOriginalImageHandlers() {
    AttachImageHandlers(*pictures_.Original(),
                        {&TPuzzleView::OriginalPictureImageMouseMove, &TPuzzleView::OriginalPictureImageMouseDown,
                         &TPuzzleView::OriginalPictureImageDragOver, &TPuzzleView::OriginalPictureImageDragDrop});
}
