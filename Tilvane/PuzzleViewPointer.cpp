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

void TPuzzleView::OriginalPictureImageMouseMove(TShiftState, int x, int y) {
    TCellPlace cell;
    if (Geometry().OriginalCellAt(x, y, cell)) owner_->ShowPosition(PositionText(cell.Column, cell.Row));
    Random.AddPoint(x, y);
}

void TPuzzleView::PuzzlePictureImageMouseMove(TShiftState shift, int x, int y) {
    TCellPlace cell;
    if (!Geometry().PuzzleCellAt(x, y, cell)) return;
    UpdatePieceCursor(cell.Column, cell.Row);
    owner_->ShowPosition(PositionText(cell.Column, cell.Row));
    hint_->Hide();
    if (ShiftEquals2(shift, ssCtrl, ssAlt)) ShowPieceHint(cell.Column, cell.Row);
    Random.AddPoint(x, y);
}

void TPuzzleView::ShowPieceHint(int32_t column, int32_t row) {
    if (!board_->IsInPlay(column, row)) return;
    POINT pointer;
    GetCursorPos(&pointer);
    hint_->ShowAt(PieceHintText(column, row), pointer);
}

// A press ends any slide at once: the board is already the one the player sees next.
void TPuzzleView::PuzzlePictureImageMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const TBoardGeometry geometry = Geometry();
    TCellPlace cell;
    if (!geometry.PuzzleCellAt(x, y, cell)) return;
    motion_.Finish();
    hint_->Hide();  // a drag, a flip or a mark makes what it says stale
    if (button == TMouseButton::Right) {
        UnmarkCell();
        MarkCell(cell.Column, cell.Row);
        return;
    }
    if (button != TMouseButton::Left) return;
    PutBackLiftedPiece();
    board_->SetDragCell(cell.Column, cell.Row);
    if (board_->IsPieceInPlace(cell.Column, cell.Row)) return;
    const TShiftState modifiers = shift & static_cast<TShiftState>(~ShiftSetOf(ssLeft));
    if (ShiftIsEmpty(modifiers)) {
        motion_.PickUp(geometry, cell, board_->DrawnPiece(cell.Column, cell.Row), POINT{x, y});
        pictures_.Puzzle()->BeginDrag();
        return;
    }
    if (ShiftEquals(modifiers, ssCtrl)) board_->ToggleFlipHorizontal(cell.Column, cell.Row);
    if (ShiftEquals(modifiers, ssShift)) board_->ToggleFlipVertical(cell.Column, cell.Row);
    board_->ClearDragCell();
}

void TPuzzleView::OriginalPictureImageMouseDown(TMouseButton button, TShiftState, int x, int y) {
    motion_.Finish();
    TCellPlace cell;
    if (button != TMouseButton::Right || !Geometry().OriginalCellAt(x, y, cell)) return;
    UnmarkCell();
    MarkCell(cell.Column, cell.Row);
}

void TPuzzleView::PuzzlePictureImageDragOver(TImage*, int x, int y, bool& accept) {
    TCellPlace cell;
    accept = Geometry().PuzzleCellAt(x, y, cell) && board_->AcceptsDrop(cell.Column, cell.Row);
    motion_.Aim(TDropAim{TDropAim::Puzzle, cell, accept});
}

void TPuzzleView::OriginalPictureImageDragOver(TImage*, int x, int y, bool& accept) {
    TCellPlace cell;
    accept = Geometry().OriginalCellAt(x, y, cell) && board_->AcceptsDrop(cell.Column, cell.Row);
    motion_.Aim(TDropAim{TDropAim::Original, cell, accept});
}

// The piece slides from where the pointer let it go to its cell.
void TPuzzleView::PuzzlePictureImageDragDrop(TImage*, int x, int y) {
    hint_->Hide();
    TCellPlace cell;
    if (!Geometry().PuzzleCellAt(x, y, cell)) return;
    releasedAt_ = motion_.CarriedRect();
    board_->DropPiece(cell.Column, cell.Row);
    releasedAt_.reset();
}

void TPuzzleView::OriginalPictureImageDragDrop(TImage*, int x, int y) {
    hint_->Hide();
    TCellPlace cell;
    if (Geometry().OriginalCellAt(x, y, cell)) board_->DropPiece(cell.Column, cell.Row);
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
    image.OnPaintOverlay = [this](HDC dc) {
        motion_.PaintOverPuzzle(dc);
        PaintKeyboardMarks(dc);
    };
    // Over anything but the two pictures the piece still follows the pointer, framing no cell.
    image.OnDragMoved = [this](POINT screen, TImage* over) {
        motion_.Carry(screen);
        if (!over) motion_.Aim(TDropAim{});
    };
    image.OnDragEnded = [this] { motion_.PutDown(); };
}

void TPuzzleView::AttachOriginalImageHandlers() {
    TImage& image = *pictures_.Original();
    AttachImageHandlers(image, {&TPuzzleView::OriginalPictureImageMouseMove, &TPuzzleView::OriginalPictureImageMouseDown,
                                &TPuzzleView::OriginalPictureImageDragOver, &TPuzzleView::OriginalPictureImageDragDrop});
    image.OnPaintOverlay = [this](HDC dc) { motion_.PaintOverOriginal(dc); };
}
