// Keyboard play on the puzzle: a selection frame moved by the arrows, a piece picked up with Enter
// and dropped with Enter again, mirrored with Ctrl+Enter or Shift+Enter, a mark with M, and the
// piece hint while Ctrl and Alt are held. The rules are the pointer's: the same board calls.
#include "Tilvane/PuzzleView.h"
#include "Tilvane/PiecePainting.h"
#include "Tilvane/TilvaneKeys.h"

#include <algorithm>

namespace {

constexpr TShiftState NoModifiers = 0;
constexpr TShiftState Ctrl = ShiftSetOf(ssCtrl);
constexpr TShiftState Shift = ShiftSetOf(ssShift);

// The frame stands out from every outline colour (yellow, red, silver, black) and, being two
// colours, from any picture: magenta over the outline, white inside it.
const COLORREF FrameOuterColour = RGB(255, 0, 255);
const COLORREF FrameInnerColour = RGB(255, 255, 255);

// Only the keys a player presses on their own: the buttons a pointer event carries never count.
TShiftState KeyModifiers(TShiftState shift) {
    return shift & (ShiftSetOf(ssShift) | ShiftSetOf(ssAlt) | ShiftSetOf(ssCtrl));
}

}  // namespace

const TPuzzleKey PuzzleKeys[] = {
    {VK_LEFT, NoModifiers, TPuzzleAction::Left, "Left arrow"},
    {VK_RIGHT, NoModifiers, TPuzzleAction::Right, "Right arrow"},
    {VK_UP, NoModifiers, TPuzzleAction::Up, "Up arrow"},
    {VK_DOWN, NoModifiers, TPuzzleAction::Down, "Down arrow"},
    {VK_HOME, NoModifiers, TPuzzleAction::RowStart, "Home"},
    {VK_END, NoModifiers, TPuzzleAction::RowEnd, "End"},
    {VK_HOME, Ctrl, TPuzzleAction::FirstCell, "Ctrl+Home"},
    {VK_END, Ctrl, TPuzzleAction::LastCell, "Ctrl+End"},
    {VK_RETURN, NoModifiers, TPuzzleAction::PickUpOrDrop, "Enter"},
    {VK_ESCAPE, NoModifiers, TPuzzleAction::PutBack, "Escape"},
    {VK_RETURN, Ctrl, TPuzzleAction::MirrorLeftRight, "Ctrl+Enter"},
    {VK_RETURN, Shift, TPuzzleAction::MirrorTopBottom, "Shift+Enter"},
    {'M', NoModifiers, TPuzzleAction::Mark, "M"},
};
const int PuzzleKeyCount = static_cast<int>(sizeof PuzzleKeys / sizeof PuzzleKeys[0]);
const char* const PieceHintKeys = "Ctrl+Alt";

bool FindPuzzleAction(uint16_t key, TShiftState modifiers, TPuzzleAction& action) {
    const TPuzzleKey* end = PuzzleKeys + PuzzleKeyCount;
    const TPuzzleKey* found = std::find_if(PuzzleKeys, end, [&](const TPuzzleKey& entry) {
        return entry.Key == key && entry.Modifiers == KeyModifiers(modifiers);
    });
    if (found == end) return false;
    action = found->Action;
    return true;
}

void TPuzzleView::FocusPuzzle() {
    TImage* puzzle = pictures_.Puzzle();
    if (!puzzle || !puzzle->Visible()) return;
    pieceLifted_ = false;
    SelectedColumn = SelectedRow = 0;
    SetFocus(puzzle->Handle());
    puzzle->Refresh();
    ShowSelectedPosition();
}

void TPuzzleView::PuzzlePictureImageKeyDown(WORD key, TShiftState shift) {
    motion_.Finish();
    TPuzzleAction action;
    if (FindPuzzleAction(key, shift, action)) {
        RunPuzzleAction(action);
        return;
    }
    if ((key == VK_CONTROL || key == VK_MENU) && ShiftEquals2(KeyModifiers(shift), ssCtrl, ssAlt))
        ShowSelectedPieceHint();
}

void TPuzzleView::PuzzlePictureImageKeyUp(WORD key, TShiftState) {
    if (!keyboardHint_ || (key != VK_CONTROL && key != VK_MENU)) return;
    keyboardHint_ = false;
    hint_->Hide();
}

void TPuzzleView::RunPuzzleAction(TPuzzleAction action) {
    const int32_t lastColumn = board_->ResultedColumns - 1, lastRow = board_->ResultedRows - 1;
    switch (action) {
    case TPuzzleAction::Left: return SelectCell(SelectedColumn - 1, SelectedRow);
    case TPuzzleAction::Right: return SelectCell(SelectedColumn + 1, SelectedRow);
    case TPuzzleAction::Up: return SelectCell(SelectedColumn, SelectedRow - 1);
    case TPuzzleAction::Down: return SelectCell(SelectedColumn, SelectedRow + 1);
    case TPuzzleAction::RowStart: return SelectCell(0, SelectedRow);
    case TPuzzleAction::RowEnd: return SelectCell(lastColumn, SelectedRow);
    case TPuzzleAction::FirstCell: return SelectCell(0, 0);
    case TPuzzleAction::LastCell: return SelectCell(lastColumn, lastRow);
    case TPuzzleAction::PickUpOrDrop: return pieceLifted_ ? DropLiftedPiece() : LiftSelectedPiece();
    case TPuzzleAction::PutBack: return PutBackLiftedPiece();
    case TPuzzleAction::MirrorLeftRight: return MirrorSelectedPiece(true);
    case TPuzzleAction::MirrorTopBottom: return MirrorSelectedPiece(false);
    case TPuzzleAction::Mark: return ToggleSelectedMark();
    }
}

// The frame stops at the edges; only the two cells it leaves and enters are shown again.
void TPuzzleView::SelectCell(int32_t column, int32_t row) {
    if (board_->ResultedColumns < 1 || board_->ResultedRows < 1) return;
    const RECT left = CellArea(SelectedColumn, SelectedRow);
    SelectedColumn = std::clamp(column, 0, board_->ResultedColumns - 1);
    SelectedRow = std::clamp(row, 0, board_->ResultedRows - 1);
    selectionHidden_ = false;
    pictures_.Puzzle()->RefreshArea(left);
    pictures_.Puzzle()->RefreshArea(CellArea(SelectedColumn, SelectedRow));
    ShowSelectedPosition();
}

void TPuzzleView::LiftSelectedPiece() {
    if (!board_->IsInPlay(SelectedColumn, SelectedRow) || board_->IsPieceInPlace(SelectedColumn, SelectedRow))
        return RefuseKey();
    board_->SetDragCell(SelectedColumn, SelectedRow);
    pieceLifted_ = true;
    pictures_.Puzzle()->RefreshArea(CellArea(SelectedColumn, SelectedRow));
}

// A drop by the keyboard is the pointer's drop on the selected cell: the same move, the same
// count of wrong moves, the same end when the last piece comes home.
void TPuzzleView::DropLiftedPiece() {
    if (!board_->AcceptsDrop(SelectedColumn, SelectedRow)) return RefuseKey();
    const RECT lifted = CellArea(board_->DragColumn(), board_->DragRow());
    pieceLifted_ = false;
    board_->DropPiece(SelectedColumn, SelectedRow);
    pictures_.Puzzle()->RefreshArea(lifted);
}

void TPuzzleView::PutBackLiftedPiece() {
    if (!pieceLifted_) return;
    pieceLifted_ = false;
    pictures_.Puzzle()->RefreshArea(CellArea(board_->DragColumn(), board_->DragRow()));
}

void TPuzzleView::MirrorSelectedPiece(bool leftToRight) {
    if (!owner_->MirroringAllowed() || !board_->IsInPlay(SelectedColumn, SelectedRow) ||
        board_->IsPieceInPlace(SelectedColumn, SelectedRow))
        return RefuseKey();
    if (leftToRight)
        board_->ToggleFlipHorizontal(SelectedColumn, SelectedRow);
    else
        board_->ToggleFlipVertical(SelectedColumn, SelectedRow);
}

void TPuzzleView::ToggleSelectedMark() {
    const bool selectedIsMarked = markShown_ && MarkedColumn == SelectedColumn && MarkedRow == SelectedRow;
    UnmarkCell();
    if (!selectedIsMarked) MarkCell(SelectedColumn, SelectedRow);
}

void TPuzzleView::RefuseKey() { MessageBeep(MB_OK); }

// Beside the cell, at its right edge, so that neither the frame nor the piece is covered.
void TPuzzleView::ShowSelectedPieceHint() {
    if (!board_->IsInPlay(SelectedColumn, SelectedRow)) return;
    const RECT cell = CellArea(SelectedColumn, SelectedRow);
    POINT beside = {cell.right + 2, cell.top};
    ClientToScreen(pictures_.Puzzle()->Handle(), &beside);
    hint_->ShowAt(PieceHintText(SelectedColumn, SelectedRow), beside, false);
    keyboardHint_ = true;
}

void TPuzzleView::ShowSelectedPosition() { owner_->ShowPosition(PositionText(SelectedColumn, SelectedRow)); }

// The frame goes when another control of the window takes the keyboard; a question, a dialog or
// another program only borrow it, and the frame stays where the player left it.
void TPuzzleView::PuzzlePictureImageFocusChange(bool focused, HWND other) {
    if (!pictures_.Puzzle()) return;
    keysOnPuzzle_ = focused || !other || !IsChild(window_.Handle(), other);
    pictures_.Puzzle()->RefreshArea(CellArea(SelectedColumn, SelectedRow));
    if (focused) ShowSelectedPosition();
}

// Drawn on the screen only: the picture's bitmap never holds a frame.
void TPuzzleView::PaintKeyboardMarks(HDC dc) {
    if (keysOnPuzzle_ && !selectionHidden_) {
        const RECT frame = CellArea(SelectedColumn, SelectedRow);
        FrameRing(dc, frame, FrameOuterColour);
        FrameRing(dc, Inset(frame), FrameInnerColour);
    }
    if (pieceLifted_) {
        const RECT lifted = CellArea(board_->DragColumn(), board_->DragRow());
        DashedRing(dc, lifted, FrameOuterColour, FrameInnerColour);
        DashedRing(dc, Inset(lifted), FrameOuterColour, FrameInnerColour);
    }
}

RECT TPuzzleView::CellArea(int32_t column, int32_t row) const {
    return ToRect(Geometry().PuzzleCell(TCellPlace{column, row}));
}
