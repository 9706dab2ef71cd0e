// Pointer play over the two pictures: the cell under the pointer, drags and drops, flips with
// Ctrl or Shift, marks with the right button, a piece's own place while Ctrl and Alt are held,
// and every pointer position fed to the random generator.
#include "Tilvane/TilvaneDialog.h"

#include "Include/Myrandom.h"

namespace {

const char* YesNo(bool value) { return value ? "YES" : "NO"; }

}  // namespace

std::string TTilvaneForm::PositionText(int32_t column, int32_t row) {
    return "Column " + std::to_string(column + 1) + ". Row " + std::to_string(row + 1) + ".";
}

// Where the piece in the cell belongs and how it is mirrored, counted from 1.
std::string TTilvaneForm::PieceHintText(int32_t column, int32_t row) const {
    const PieceCell& cell = Board.Pieces[column][row];
    return "Column " + std::to_string(cell.SourceColumn + 1) + "; Row " + std::to_string(cell.SourceRow + 1) +
           "; Flip horiz " + YesNo(cell.FlipHorizontal) + "; Flip vert " + YesNo(cell.FlipVertical);
}

void TTilvaneForm::UpdatePieceCursor(int32_t column, int32_t row) {
    if (!PuzzlePictureImage) return;
    const bool movable = !Board.IsPieceInPlace(column, row);
    PuzzlePictureImage->SetCursor(LoadCursorA(nullptr, movable ? IDC_HAND : IDC_ARROW));
}

int32_t TTilvaneForm::ColumnAtOriginalX(int x) const {
    const int32_t cellWidth = OriginalCellWidth();
    if (cellWidth <= 0) return 0;
    return std::min(x / cellWidth, Board.ResultedColumns - 1);
}

int32_t TTilvaneForm::RowAtOriginalY(int y) const {
    const int32_t cellHeight = OriginalCellHeight();
    if (cellHeight <= 0) return 0;
    return std::min(y / cellHeight, Board.ResultedRows - 1);
}

void TTilvaneForm::GroupBoxMouseMove(TShiftState, int x, int y) { Random.AddPoint(x, y); }

void TTilvaneForm::OriginalPictureImageMouseMove(TShiftState, int x, int y) {
    panel_->ShowPosition(PositionText(ColumnAtOriginalX(x), RowAtOriginalY(y)));
    Random.AddPoint(x, y);
}

void TTilvaneForm::PuzzlePictureImageMouseMove(TShiftState shift, int x, int y) {
    if (PieceWidth <= 0 || PieceHeight <= 0) return;
    const int32_t column = x / PieceWidth, row = y / PieceHeight;
    UpdatePieceCursor(column, row);
    panel_->ShowPosition(PositionText(column, row));
    hint_->Hide();
    if (ShiftEquals2(shift, ssCtrl, ssAlt)) ShowPieceHint(column, row);
    Random.AddPoint(x, y);
}

void TTilvaneForm::ShowPieceHint(int32_t column, int32_t row) {
    if (!Board.IsInPlay(column, row)) return;
    POINT pointer;
    GetCursorPos(&pointer);
    hint_->ShowAt(PieceHintText(column, row), pointer);
}

void TTilvaneForm::PuzzlePictureImageMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (PieceWidth <= 0 || PieceHeight <= 0) return;
    hint_->Hide();  // a drag, a flip or a mark makes what it says stale
    if (button == TMouseButton::Right) {
        UnmarkCell();
        MarkCell(x / PieceWidth, y / PieceHeight);
        return;
    }
    if (button != TMouseButton::Left) return;
    ForgetLiftedPiece();
    Board.SetDragCell(x / PieceWidth, y / PieceHeight);
    if (Board.IsPieceInPlace(Board.DragColumn(), Board.DragRow())) return;
    const TShiftState modifiers = shift & static_cast<TShiftState>(~ShiftSetOf(ssLeft));
    if (ShiftIsEmpty(modifiers)) {
        PuzzlePictureImage->BeginDrag();
        return;
    }
    if (ShiftEquals(modifiers, ssCtrl)) Board.ToggleFlipHorizontal(Board.DragColumn(), Board.DragRow());
    if (ShiftEquals(modifiers, ssShift)) Board.ToggleFlipVertical(Board.DragColumn(), Board.DragRow());
    Board.ClearDragCell();
}

void TTilvaneForm::OriginalPictureImageMouseDown(TMouseButton button, TShiftState, int x, int y) {
    if (button != TMouseButton::Right) return;
    UnmarkCell();
    MarkCell(ColumnAtOriginalX(x), RowAtOriginalY(y));
}

void TTilvaneForm::PuzzlePictureImageDragOver(TImage*, int x, int y, bool& accept) {
    accept = PieceWidth > 0 && PieceHeight > 0 && Board.AcceptsDrop(x / PieceWidth, y / PieceHeight);
}

void TTilvaneForm::OriginalPictureImageDragOver(TImage*, int x, int y, bool& accept) {
    accept = Board.AcceptsDrop(ColumnAtOriginalX(x), RowAtOriginalY(y));
}

void TTilvaneForm::PuzzlePictureImageDragDrop(TImage*, int x, int y) {
    hint_->Hide();
    if (PieceWidth <= 0 || PieceHeight <= 0) return;
    Board.DropPiece(x / PieceWidth, y / PieceHeight);
}

void TTilvaneForm::OriginalPictureImageDragDrop(TImage*, int x, int y) {
    hint_->Hide();
    Board.DropPiece(ColumnAtOriginalX(x), RowAtOriginalY(y));
}

// A picture image is made anew with every picture, so its handlers are attached anew too.
void TTilvaneForm::AttachImageHandlers(TImage& image, const TImageHandlers& handlers) {
    image.OnMouseMove = [this, handlers](TShiftState shift, int x, int y) { (this->*handlers.MouseMove)(shift, x, y); };
    image.OnMouseDown = [this, handlers](TMouseButton button, TShiftState shift, int x, int y) {
        (this->*handlers.MouseDown)(button, shift, x, y);
    };
    image.OnDragOver = [this, handlers](TImage* source, int x, int y, bool& accept) {
        (this->*handlers.DragOver)(source, x, y, accept);
    };
    image.OnDragDrop = [this, handlers](TImage* source, int x, int y) { (this->*handlers.DragDrop)(source, x, y); };
}

void TTilvaneForm::AttachPuzzleImageHandlers() {
    TImage& image = *PuzzlePictureImage;
    AttachImageHandlers(image, {&TTilvaneForm::PuzzlePictureImageMouseMove, &TTilvaneForm::PuzzlePictureImageMouseDown,
                                &TTilvaneForm::PuzzlePictureImageDragOver, &TTilvaneForm::PuzzlePictureImageDragDrop});
    // The puzzle also plays with the keyboard: the last tab stop, after the four option controls.
    image.SetTabStop();
    // The hint names the piece under the pointer: it goes with the pointer, also before it shows.
    image.OnMouseLeave = [this] { hint_->Hide(); };
    image.OnKeyDown = [this](WORD key, TShiftState shift) { PuzzlePictureImageKeyDown(key, shift); };
    image.OnKeyUp = [this](WORD key, TShiftState shift) { PuzzlePictureImageKeyUp(key, shift); };
    image.OnFocusChange = [this](bool focused, HWND other) { PuzzlePictureImageFocusChange(focused, other); };
    image.OnPaintOverlay = [this](HDC dc) { PaintKeyboardMarks(dc); };
}

void TTilvaneForm::AttachOriginalImageHandlers() {
    AttachImageHandlers(*OriginalPictureImage,
                        {&TTilvaneForm::OriginalPictureImageMouseMove, &TTilvaneForm::OriginalPictureImageMouseDown,
                         &TTilvaneForm::OriginalPictureImageDragOver, &TTilvaneForm::OriginalPictureImageDragDrop});
}
