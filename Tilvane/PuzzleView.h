// The two pictures of the game window and the play on them: pieces, outlines, the grid, the
// marked cell, drags and drops, the keyboard's frame and lifted piece, the piece hint, undo and
// redo. Not a window: it makes and owns the images inside the two group boxes it is given. Moves
// go to the board by its rules, the board's drawing comes back through TBoardView, and the owner
// hears of the moves.
#pragma once

#include "Framework/Controls.h"
#include "Framework/Form.h"
#include "Framework/Hint.h"
#include "Framework/Image.h"
#include "Include/Owned.h"
#include "Tilvane/Core/BoardGeometry.h"
#include "Tilvane/Core/PuzzleBoard.h"
#include "Tilvane/PieceMotion.h"
#include "Tilvane/PuzzlePictures.h"
#include "Tilvane/PuzzleViewOwner.h"
#include "Tilvane/TilvaneKeys.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TPuzzleView : private TBoardView {
public:
    TPuzzleView(TForm& window, TGroupBox& originalBox, TGroupBox& puzzleBox);
    ~TPuzzleView() override;
    TPuzzleView(const TPuzzleView&) = delete;
    TPuzzleView& operator=(const TPuzzleView&) = delete;
    // Once, before any picture: the board shown and the owner told.
    void Show(TPuzzleBoard& board, TPuzzleViewOwner& owner);

    void PlaceImages() { pictures_.Place(); }
    std::vector<TPictureSize> PictureAreas() const { return pictures_.Areas(); }
    TPieceSize PieceSizeFor(TGridChoice grid) const { return pictures_.PieceSizeFor(grid); }
    bool PieceSizeOnGrid(TPictureSize picture, TGridChoice choice, int32_t columns, int32_t rows,
                         TPieceSize& piece) const {
        return pictures_.PieceSizeOnGrid(picture, choice, columns, rows, piece);
    }
    void FitPieces(TGridChoice grid) { pictures_.FitPieces(grid); }

    // Paints and shows the picture, the board taking its grid; false: nothing changed.
    bool ShowPicture(const TPicture& picture, TPieceSize piece, int32_t maxColumns, int32_t maxRows);
    // A saved game without a picture: the old one must not stand for the new board.
    void HidePictures();
    bool PicturesShown() const { return pictures_.Shown(); }
    // The pictures again at the window's new DPI, the keyboard kept on the puzzle, the board and
    // the mark drawn again; without pictures only the piece size of the grid.
    void FollowDpi(bool denser, TGridChoice cutGrid);

    // A new picture: whole, the grid on the original only.
    void ShowUnshuffled() { DrawGrids(true); }
    // Every piece and both grids; a solved board shows the whole picture.
    void ShowBoard();
    // The same after a shuffle, which forgets a lifted piece and shows the frame again.
    void ShowShuffled();
    // An option changed: the outlines in its colours.
    void RedrawGrids();

    // After a picture or a game is loaded the keyboard plays at once, from the top-left cell.
    void FocusPuzzle();
    // Refused with a beep while a piece is dragged or when there is nothing to take back.
    void TakeBackMove();
    void MakeMoveAgain();
    void HideHint() { hint_->Hide(); }
    // Whether moves slide and a solved puzzle is revealed gently; the system's setting is asked as well.
    void SetAnimated(bool animated) { motion_.SetAnimated(animated); }
    bool Animated() const { return motion_.Animated(); }
    // The window's WM_TIMER; true when it was the view's.
    bool HandleTimer(UINT_PTR id) { return motion_.HandleTimer(id); }

private:
    friend struct TTilvaneFormTestAccess;

    // TBoardView: the board's drawing, and its moves told to the owner.
    void DrawPiece(int32_t column, int32_t row) override;
    void DrawCellOutlines(int32_t column, int32_t row) override;
    void UpdatePieceCursor(int32_t column, int32_t row) override;
    void PlayerMoved() override { owner_->MoveStarting(); }
    void PiecesSwapped(int32_t column1, int32_t row1, int32_t column2, int32_t row2) override;
    void ShowMoves() override;
    void ShowWrongMoves() override { owner_->WrongMoveMade(); }

    // Drawing (PuzzleView.cpp).
    TBoardGeometry Geometry() const;
    void ShowSolvedPicture();
    void RedrawBoard();
    void DrawAllPieces();
    void DrawCellOutline(TImage& image, const TCellRect& cell, int32_t column, int32_t row, bool mark);
    void DrawCellOutlines(int32_t column, int32_t row, bool mark);
    void DrawGrid(TImage& image, bool original);
    void DrawGrids(bool originalOnly);
    void MarkCell(int32_t column, int32_t row);
    void UnmarkCell();

    // Pointer play (PuzzleViewPointer.cpp).
    void OriginalPictureImageMouseMove(TShiftState shift, int x, int y);
    void PuzzlePictureImageMouseMove(TShiftState shift, int x, int y);
    void PuzzlePictureImageMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void OriginalPictureImageMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void PuzzlePictureImageDragOver(TImage* source, int x, int y, bool& accept);
    void OriginalPictureImageDragOver(TImage* source, int x, int y, bool& accept);
    void PuzzlePictureImageDragDrop(TImage* source, int x, int y);
    void OriginalPictureImageDragDrop(TImage* source, int x, int y);
    void ShowPieceHint(int32_t column, int32_t row);
    static std::string PositionText(int32_t column, int32_t row);
    std::string PieceHintText(int32_t column, int32_t row) const;
    struct TImageHandlers {
        void (TPuzzleView::*MouseMove)(TShiftState shift, int x, int y);
        void (TPuzzleView::*MouseDown)(TMouseButton button, TShiftState shift, int x, int y);
        void (TPuzzleView::*DragOver)(TImage* source, int x, int y, bool& accept);
        void (TPuzzleView::*DragDrop)(TImage* source, int x, int y);
    };
    void AttachImageHandlers(TImage& image, const TImageHandlers& handlers);
    void AttachPuzzleImageHandlers();
    void AttachOriginalImageHandlers();

    // Keyboard play (PuzzleViewKeyboard.cpp).
    void PuzzlePictureImageKeyDown(WORD key, TShiftState shift);
    void PuzzlePictureImageKeyUp(WORD key, TShiftState shift);
    void PuzzlePictureImageFocusChange(bool focused, HWND other);
    void RunPuzzleAction(TPuzzleAction action);
    void SelectCell(int32_t column, int32_t row);
    void LiftSelectedPiece();
    void DropLiftedPiece();
    // Also when none is lifted: a pointer press takes over from the keyboard.
    void PutBackLiftedPiece();
    void MirrorSelectedPiece(bool leftToRight);
    void ToggleSelectedMark();
    void RefuseKey();
    void ShowSelectedPieceHint();
    void ShowSelectedPosition();
    void PaintKeyboardMarks(HDC dc);
    RECT CellArea(int32_t column, int32_t row) const;

    TForm& window_;
    TPuzzleBoard* board_ = nullptr;
    TPuzzleViewOwner* owner_ = nullptr;
    TPuzzlePictures pictures_;
    TPieceMotion motion_;
    // Where the pointer let a dragged piece go over the puzzle, while its drop is made.
    std::optional<TCellRect> releasedAt_;
    std::unique_ptr<THint> hint_;
    TOwnedPen pens_[4];  // made on first use, one per outline colour
    int32_t MarkedColumn = 0;
    int32_t MarkedRow = 0;
    bool markShown_ = false;  // the marked cell still has its red outline
    // The keyboard's cell, and a piece it lifted with Enter (the board's drag cell).
    int32_t SelectedColumn = 0;
    int32_t SelectedRow = 0;
    bool pieceLifted_ = false;
    bool keysOnPuzzle_ = false;     // the keyboard plays the puzzle, or will when the window is back
    bool selectionHidden_ = false;  // the solved picture shows no frame until a key moves it
    bool keyboardHint_ = false;     // the piece hint was asked for by Ctrl+Alt on the keyboard
};
