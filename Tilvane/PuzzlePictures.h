// The pictures of a game as the window paints them: the original picture, the puzzle and the
// puzzle's hidden unshuffled copy, with the grid chosen for a picture, the size of a piece and
// the picture file they are painted from.
#pragma once

#include "Framework/Controls.h"
#include "Framework/Form.h"
#include "Framework/Image.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PictureFit.h"
#include "Include/MyGDIPlus.h"
#include "Tilvane/Core/BoardGeometry.h"
#include "Tilvane/Core/PuzzleBoard.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TGridChoice {
    int32_t Columns, Rows;
};

// The picture file the game's pictures are painted from: the picture's own size before fitting,
// and the file's state when it was decoded.
struct TPictureSource {
    TPictureSize Size;
    std::string File;
    TPictureFileStamp Stamp;
};

// The three images, children of the two group boxes with the window's ids and places. All three
// are painted before any replaces the shown ones, so that a failure at any step leaves the game
// whole; at a new DPI they are painted again.
class TPuzzlePictures {
public:
    // Places for the pictures until the first one is painted: hidden, without bitmaps.
    TPuzzlePictures(TForm& window, TGroupBox& originalBox, TGroupBox& puzzleBox);
    TPuzzlePictures(const TPuzzlePictures&) = delete;
    TPuzzlePictures& operator=(const TPuzzlePictures&) = delete;

    // After the window laid the group boxes out.
    void Place();
    // The areas of the puzzle and of the original picture, in pixels: a picture is decoded no
    // larger than they show it.
    std::vector<TPictureSize> Areas() const;
    // The cells of that grid over the whole puzzle area.
    TPieceSize PieceSizeFor(TGridChoice grid) const;
    // The pieces of a columns x rows game of that grid choice, for a picture of that size, in the
    // puzzle area as it is now; false when the picture is too narrow or too flat for that grid.
    bool PieceSizeOnGrid(TPictureSize picture, TGridChoice choice, int32_t columns, int32_t rows,
                         TPieceSize& piece) const;
    // The piece size before any picture, or of a game shown without one.
    void FitPieces(TGridChoice grid) { piece_ = PieceSizeFor(grid); }
    TPieceSize Piece() const { return piece_; }

    // Paints the picture and shows it in place of the pictures shown, the board taking the grid
    // painted. False after a failure raised on op: nothing changed.
    bool Show(TFunOperation& op, const TPicture& picture, TPieceSize piece, int32_t maxColumns, int32_t maxRows,
              TPuzzleBoard& board);
    // The same grid at the window's new DPI: on a denser screen decoded again from its unchanged
    // file, else stretched from the bitmaps shown. False when the pictures stayed as they were.
    bool Repaint(bool denser, TGridChoice cutGrid, int32_t columns, int32_t rows);
    void Hide();
    bool Shown() const;

    TImage* Puzzle() const { return puzzle_.get(); }
    TImage* Original() const { return original_.get(); }
    TImage* Backup() const { return backup_.get(); }

private:
    friend struct TTilvaneFormTestAccess;
    struct TPainted;

    TPictureSize PuzzleArea() const;
    TPictureSize OriginalArea() const;
    int PuzzleImageTop() const;
    int OriginalImageTop() const;
    bool Paint(TFunOperation& op, const TPicture& picture, TPieceSize piece, int32_t maxColumns, int32_t maxRows,
               TPainted& painted);
    void ShowPainted(TPainted& painted, TPieceSize piece);
    bool RepaintFromFile(TGridChoice cutGrid, int32_t columns, int32_t rows);
    bool Stretch(TGridChoice cutGrid, int32_t columns, int32_t rows);

    TForm& window_;
    TGroupBox& originalBox_;
    TGroupBox& puzzleBox_;
    // Made anew with every picture, shown inside their group boxes.
    std::unique_ptr<TImage> original_;
    std::unique_ptr<TImage> puzzle_;
    std::unique_ptr<TImage> backup_;
    TPictureSource source_;  // what the images show
    TPieceSize piece_;
};
