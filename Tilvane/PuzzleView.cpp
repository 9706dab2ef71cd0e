// The puzzle view: its pictures shown, followed to a new DPI, and the board on them: pieces copied
// from the unshuffled backup picture, mirrored as their cells say, and cell outlines whose colour
// tells what is placed, marked or plain.
#include "Tilvane/PuzzleView.h"

#include "Include/Core/FunOperation.h"
#include "Include/Myrandom.h"
#include "Tilvane/PiecePainting.h"

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";

enum TOutlineColour { ocPlaced, ocMark, ocLight, ocPlain };

const COLORREF OutlineColours[] = {
    RGB(255, 255, 0),  // yellow: the piece here is in place
    RGB(255, 0, 0),    // red: the marked cell
    RGB(192, 192, 192),
    RGB(0, 0, 0),
};

// The piece now at `to` is shown on its way from `from`, as it was drawn there; the dragged
// piece starts where the pointer let it go.
TSlidingPiece SlidingPiece(const TPuzzleBoard& board, const std::optional<TCellRect>& releasedAt,
                           const TBoardGeometry& geometry, TCellPlace from, TCellPlace to) {
    PieceCell drawn = board.Pieces[to.Column][to.Row];
    if (drawn.SourceColumn == from.Column && drawn.SourceRow == from.Row) drawn.FlipHorizontal = drawn.FlipVertical = false;
    const bool released = releasedAt && from == TCellPlace{board.DragColumn(), board.DragRow()};
    return TSlidingPiece{drawn, released ? *releasedAt : geometry.PuzzleCell(from), geometry.PuzzleCell(to)};
}

}  // namespace

TPuzzleView::TPuzzleView(TForm& window, TGroupBox& originalBox, TGroupBox& puzzleBox)
    : window_(window), pictures_(window, originalBox, puzzleBox), motion_(window, pictures_),
      hint_(std::make_unique<THint>(window.Handle())) {
    hint_->SetTiming(THintTiming{400, 100000, 200});
    // Every pointer position over the pictures feeds the random generator.
    originalBox.OnMouseMove = [](TShiftState, int x, int y) { Random.AddPoint(x, y); };
    puzzleBox.OnMouseMove = [](TShiftState, int x, int y) { Random.AddPoint(x, y); };
}

TPuzzleView::~TPuzzleView() {
    if (board_) board_->SetView(nullptr);
}

void TPuzzleView::Show(TPuzzleBoard& board, TPuzzleViewOwner& owner) {
    board_ = &board;
    owner_ = &owner;
    board.SetView(this);
}

// All three pictures are painted before any of them replaces the old one: a failure at any step
// leaves the game on screen whole, with its pictures, grid and piece size.
bool TPuzzleView::ShowPicture(const TPicture& picture, TPieceSize piece, int32_t maxColumns, int32_t maxRows) {
    TFunOperation op(Module, "TTilvaneForm::PaintPictures", __LINE__);
    bool shown = false;
    op.Guard(__LINE__, [&] {
        motion_.Stop();
        if (!pictures_.Show(op, picture, piece, maxColumns, maxRows, *board_)) return;
        selectionHidden_ = false;  // until a solved game hides it again
        AttachPuzzleImageHandlers();
        AttachOriginalImageHandlers();
        shown = true;
    });
    op.EndPassing();
    return shown;
}

// The keyboard stays on the puzzle, with its selected cell, when it was there.
void TPuzzleView::FollowDpi(bool denser, TGridChoice cutGrid) {
    if (!PicturesShown()) {
        FitPieces(cutGrid);
        return;
    }
    const bool puzzleFocused = GetFocus() == pictures_.Puzzle()->Handle();
    motion_.Stop();
    if (!pictures_.Repaint(denser, cutGrid, board_->ResultedColumns, board_->ResultedRows)) return;
    AttachPuzzleImageHandlers();
    AttachOriginalImageHandlers();
    if (puzzleFocused) SetFocus(pictures_.Puzzle()->Handle());
    RedrawBoard();
}

void TPuzzleView::ShowBoard() {
    motion_.Finish();
    DrawAllPieces();
    DrawGrids(false);
    if (board_->CountMisplacedPieces() == 0) ShowSolvedPicture();
}

void TPuzzleView::ShowShuffled() {
    pieceLifted_ = false;
    selectionHidden_ = false;
    ShowBoard();
}

void TPuzzleView::RedrawGrids() {
    motion_.Finish();
    if (PicturesShown()) DrawGrids(false);
}

void TPuzzleView::HidePictures() {
    motion_.Stop();
    pictures_.Hide();
}


// A piece the keyboard has lifted is put back first: the move taken back may have moved it. A
// piece the pointer drags is not: the drop would move whatever the move put in its cell.
void TPuzzleView::TakeBackMove() {
    if (!PicturesShown()) return;
    if (pictures_.Puzzle()->Dragging()) return RefuseKey();
    motion_.Finish();
    PutBackLiftedPiece();
    if (!board_->UndoMove()) RefuseKey();
}

void TPuzzleView::MakeMoveAgain() {
    if (!PicturesShown()) return;
    if (pictures_.Puzzle()->Dragging()) return RefuseKey();
    motion_.Finish();
    PutBackLiftedPiece();
    if (!board_->RedoMove()) RefuseKey();
}

// The owner counts first; whoever solved the board, it then shows the whole picture, the grid
// fading from it once the last pieces have slid home.
void TPuzzleView::ShowMoves() {
    owner_->MovesChanged();
    if (board_->CountMisplacedPieces() != 0 || !PicturesShown()) return;
    ShowSolvedPicture();
    motion_.Reveal(Geometry(), OutlineColours[ocPlaced]);
}

void TPuzzleView::PiecesSwapped(int32_t column1, int32_t row1, int32_t column2, int32_t row2) {
    if (!PicturesShown()) return;
    const TBoardGeometry geometry = Geometry();
    const TCellPlace first{column1, row1}, second{column2, row2};
    motion_.Slide(geometry, SlidingPiece(*board_, releasedAt_, geometry, second, first),
                  SlidingPiece(*board_, releasedAt_, geometry, first, second));
}

TBoardGeometry TPuzzleView::Geometry() const {
    const TImage* original = pictures_.Original();
    return TBoardGeometry(board_->ResultedColumns, board_->ResultedRows, pictures_.Piece(),
                          original ? original->BitmapWidth() : 0, original ? original->BitmapHeight() : 0);
}

// The whole unshuffled picture over the puzzle, without a single grid line.
void TPuzzleView::ShowSolvedPicture() {
    if (!PicturesShown()) return;
    selectionHidden_ = true;
    pieceLifted_ = false;
    TImage& puzzle = *pictures_.Puzzle();
    const TImage& backup = *pictures_.Backup();
    BitBlt(puzzle.Canvas(), 0, 0, backup.BitmapWidth(), backup.BitmapHeight(), backup.Canvas(), 0, 0, SRCCOPY);
    puzzle.Refresh();
}

// The board as it was on screen: pieces and grid while it is played, the whole picture before
// the shuffle and once it is solved; the marked cell keeps its mark.
void TPuzzleView::RedrawBoard() {
    const bool marked = markShown_;
    if (board_->CountMisplacedPieces() == 0) {
        DrawGrids(true);
        return;
    }
    DrawAllPieces();
    DrawGrids(false);
    if (marked) MarkCell(MarkedColumn, MarkedRow);
}

void TPuzzleView::DrawPiece(int32_t column, int32_t row) {
    TImage* puzzle = pictures_.Puzzle();
    TImage* backup = pictures_.Backup();
    if (!puzzle || !backup) return;
    const TBoardGeometry geometry = Geometry();
    const TCellRect cell = geometry.PuzzleCell(TCellPlace{column, row});
    CopyPiece(puzzle->Canvas(), cell, backup->Canvas(), geometry, board_->DrawnPiece(column, row));
    puzzle->RefreshArea(ToRect(cell));
}

void TPuzzleView::DrawAllPieces() {
    for (int32_t row = 0; row < board_->ResultedRows; ++row)
        for (int32_t column = 0; column < board_->ResultedColumns; ++column) DrawPiece(column, row);
}

// Drawn into the bitmap; the caller shows it.
void TPuzzleView::DrawCellOutline(TImage& image, const TCellRect& cell, int32_t column, int32_t row, bool mark) {
    TOutlineColour colour = ocPlain;
    if (board_->IsPieceInPlace(column, row))
        colour = ocPlaced;
    else if (mark)
        colour = ocMark;
    else if (owner_->LightGrid())
        colour = ocLight;
    if (!pens_[colour]) pens_[colour].reset(CreatePen(PS_SOLID, 1, OutlineColours[colour]));
    TSelection pen(image.Canvas(), pens_[colour].get());
    const int right = cell.Right - 1, bottom = cell.Bottom - 1;
    const POINT corners[] = {{cell.Left, cell.Top}, {right, cell.Top}, {right, bottom}, {cell.Left, bottom},
                             {cell.Left, cell.Top}};
    Polyline(image.Canvas(), corners, 5);
}

void TPuzzleView::DrawCellOutlines(int32_t column, int32_t row, bool mark) {
    TImage* original = pictures_.Original();
    TImage* puzzle = pictures_.Puzzle();
    if (!original || !puzzle) return;
    if (column == MarkedColumn && row == MarkedRow) markShown_ = mark;
    const TBoardGeometry geometry = Geometry();
    const TCellPlace place{column, row};
    DrawCellOutline(*original, geometry.OriginalCell(place), column, row, mark);
    DrawCellOutline(*puzzle, geometry.PuzzleCell(place), column, row, mark);
    original->RefreshArea(ToRect(geometry.OriginalCell(place)));
    puzzle->RefreshArea(ToRect(geometry.PuzzleCell(place)));
}

void TPuzzleView::DrawCellOutlines(int32_t column, int32_t row) { DrawCellOutlines(column, row, false); }

void TPuzzleView::DrawGrid(TImage& image, bool original) {
    const TBoardGeometry geometry = Geometry();
    for (int32_t row = 0; row < board_->ResultedRows; ++row)
        for (int32_t column = 0; column < board_->ResultedColumns; ++column) {
            const TCellPlace place{column, row};
            DrawCellOutline(image, original ? geometry.OriginalCell(place) : geometry.PuzzleCell(place), column, row,
                            false);
        }
    image.Refresh();
}

void TPuzzleView::DrawGrids(bool originalOnly) {
    if (!pictures_.Original() || !pictures_.Puzzle()) return;
    markShown_ = false;
    if (!originalOnly) DrawGrid(*pictures_.Puzzle(), false);
    DrawGrid(*pictures_.Original(), true);
}

void TPuzzleView::MarkCell(int32_t column, int32_t row) {
    DrawCellOutlines(column, row, true);
    MarkedColumn = column;
    MarkedRow = row;
    markShown_ = true;
}

void TPuzzleView::UnmarkCell() { DrawCellOutlines(MarkedColumn, MarkedRow, false); }
