// The puzzle view: its pictures shown, followed to a new DPI, and the board on them: pieces copied
// from the unshuffled backup picture, mirrored as their cells say, and cell outlines whose colour
// tells what is placed, marked or plain.
#include "Tilvane/PuzzleView.h"

#include "Include/Core/FunOperation.h"
#include "Include/Myrandom.h"

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";

enum TOutlineColour { ocPlaced, ocMark, ocLight, ocPlain };

const COLORREF OutlineColours[] = {
    RGB(255, 255, 0),  // yellow: the piece here is in place
    RGB(255, 0, 0),    // red: the marked cell
    RGB(192, 192, 192),
    RGB(0, 0, 0),
};

}  // namespace

TPuzzleView::TPuzzleView(TForm& window, TGroupBox& originalBox, TGroupBox& puzzleBox)
    : window_(window), pictures_(window, originalBox, puzzleBox), hint_(std::make_unique<THint>(window.Handle())) {
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
    if (!pictures_.Repaint(denser, cutGrid, board_->ResultedColumns, board_->ResultedRows)) return;
    AttachPuzzleImageHandlers();
    AttachOriginalImageHandlers();
    if (puzzleFocused) SetFocus(pictures_.Puzzle()->Handle());
    RedrawBoard();
}

void TPuzzleView::ShowBoard() {
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
    if (PicturesShown()) DrawGrids(false);
}

// A piece the keyboard has lifted is put back first: the move taken back may have moved it. A
// piece the pointer drags is not: the drop would move whatever the move put in its cell.
void TPuzzleView::TakeBackMove() {
    if (!PicturesShown()) return;
    if (pictures_.Puzzle()->Dragging()) return RefuseKey();
    ForgetLiftedPiece();
    if (!board_->UndoMove()) RefuseKey();
}

void TPuzzleView::MakeMoveAgain() {
    if (!PicturesShown()) return;
    if (pictures_.Puzzle()->Dragging()) return RefuseKey();
    ForgetLiftedPiece();
    if (!board_->RedoMove()) RefuseKey();
}

// The owner counts first; whoever solved the board, it then shows the whole picture.
void TPuzzleView::ShowMoves() {
    owner_->MovesChanged();
    if (board_->CountMisplacedPieces() == 0) ShowSolvedPicture();
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

// One stretching copy from the backup picture; a reversed destination axis mirrors the piece.
void TPuzzleView::DrawPiece(int32_t column, int32_t row) {
    TImage* puzzle = pictures_.Puzzle();
    TImage* backup = pictures_.Backup();
    if (!puzzle || !backup) return;
    const PieceCell cell = board_->DrawnPiece(column, row);
    const int w = pictures_.Piece().Width, h = pictures_.Piece().Height;
    const int left = column * w, top = row * h;
    const int destinationX = cell.FlipHorizontal ? left + w - 1 : left;
    const int destinationY = cell.FlipVertical ? top + h - 1 : top;
    const int destinationWidth = cell.FlipHorizontal ? -w : w;
    const int destinationHeight = cell.FlipVertical ? -h : h;
    SetStretchBltMode(puzzle->Canvas(), COLORONCOLOR);
    StretchBlt(puzzle->Canvas(), destinationX, destinationY, destinationWidth, destinationHeight, backup->Canvas(),
               cell.SourceColumn * w, cell.SourceRow * h, w, h, SRCCOPY);
    puzzle->Refresh();
}

void TPuzzleView::DrawAllPieces() {
    for (int32_t row = 0; row < board_->ResultedRows; ++row)
        for (int32_t column = 0; column < board_->ResultedColumns; ++column) DrawPiece(column, row);
}

void TPuzzleView::DrawCellOutline(TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t column, int32_t row,
                                  bool mark) {
    TOutlineColour colour = ocPlain;
    if (board_->IsPieceInPlace(column, row))
        colour = ocPlaced;
    else if (mark)
        colour = ocMark;
    else if (owner_->LightGrid())
        colour = ocLight;
    if (!pens_[colour]) pens_[colour].reset(CreatePen(PS_SOLID, 1, OutlineColours[colour]));
    TSelection pen(image.Canvas(), pens_[colour].get());
    const int x = column * cellWidth, y = row * cellHeight;
    const POINT corners[] = {{x, y}, {x + cellWidth - 1, y}, {x + cellWidth - 1, y + cellHeight - 1},
                             {x, y + cellHeight - 1}, {x, y}};
    Polyline(image.Canvas(), corners, 5);
    image.Refresh();
}

void TPuzzleView::DrawCellOutlines(int32_t column, int32_t row, bool mark) {
    if (!pictures_.Original() || !pictures_.Puzzle()) return;
    if (column == MarkedColumn && row == MarkedRow) markShown_ = mark;
    DrawCellOutline(*pictures_.Original(), OriginalCellWidth(), OriginalCellHeight(), column, row, mark);
    DrawCellOutline(*pictures_.Puzzle(), pictures_.Piece().Width, pictures_.Piece().Height, column, row, mark);
}

void TPuzzleView::DrawCellOutlines(int32_t column, int32_t row) { DrawCellOutlines(column, row, false); }

void TPuzzleView::DrawGrid(TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t columns, int32_t rows) {
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column)
            DrawCellOutline(image, cellWidth, cellHeight, column, row, false);
}

void TPuzzleView::DrawGrids(bool originalOnly) {
    if (!pictures_.Original() || !pictures_.Puzzle()) return;
    markShown_ = false;
    const int32_t columns = board_->ResultedColumns, rows = board_->ResultedRows;
    if (!originalOnly)
        DrawGrid(*pictures_.Puzzle(), pictures_.Piece().Width, pictures_.Piece().Height, columns, rows);
    DrawGrid(*pictures_.Original(), OriginalCellWidth(), OriginalCellHeight(), columns, rows);
}

void TPuzzleView::MarkCell(int32_t column, int32_t row) {
    DrawCellOutlines(column, row, true);
    MarkedColumn = column;
    MarkedRow = row;
    markShown_ = true;
}

void TPuzzleView::UnmarkCell() { DrawCellOutlines(MarkedColumn, MarkedRow, false); }

int32_t TPuzzleView::OriginalCellWidth() const {
    return board_->ResultedColumns > 0 ? pictures_.Original()->BitmapWidth() / board_->ResultedColumns : 0;
}

int32_t TPuzzleView::OriginalCellHeight() const {
    return board_->ResultedRows > 0 ? pictures_.Original()->BitmapHeight() / board_->ResultedRows : 0;
}
