// Test pictures whose every pixel tells where it belongs: each cell of a grid has four quadrants
// of colours of its own, so one pixel read from the screen names the piece a cell shows and how
// that piece is mirrored.
#pragma once

#include "e2e/E2ESupport.h"

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

// Red tells the column and green the row of the cell, spread over the whole range for the grid;
// blue tells the quadrant (0 top left, 1 top right, 2 bottom left, 3 bottom right).
COLORREF QuadrantColour(int column, int row, int quadrant, int columns, int rows);

// The colour of pixel (x, y) of such a picture of cells of pieceWidth x pieceHeight.
COLORREF QuadrantPixel(int x, int y, int columns, int rows, int pieceWidth, int pieceHeight);

// A 24-bit BMP file of columns x rows cells of pieceWidth x pieceHeight pixels.
std::string QuadrantPicture(int columns, int rows, int pieceWidth, int pieceHeight);

bool NearColour(COLORREF a, COLORREF b);

// The piece size at which a picture of columns x rows pieces fills the puzzle area unscaled: the
// group box's client area less the room the program keeps for the box's frame and caption.
SIZE PieceSizeFilling(HWND puzzleGroupBox, int columns, int rows);

// What a cell shows: which piece (row x columns + column of its own place, -1 when the pixel
// is no colour of the picture) and whether it is mirrored each way.
struct TShownPiece {
    int Piece = -1;
    bool FlipHorizontal = false;
    bool FlipVertical = false;
    bool operator==(const TShownPiece& other) const {
        return Piece == other.Piece && FlipHorizontal == other.FlipHorizontal && FlipVertical == other.FlipVertical;
    }
    bool operator!=(const TShownPiece& other) const { return !(*this == other); }
};

inline std::ostream& operator<<(std::ostream& out, const TShownPiece& shown) {
    return out << "piece " << shown.Piece << (shown.FlipHorizontal ? " flipped left to right" : "")
               << (shown.FlipVertical ? " flipped top to bottom" : "");
}

// The piece whose top-left quadrant has the colour at (x, y).
TShownPiece ShownPieceAt(const TPixels& pixels, int x, int y, int columns, int rows);

// What the screen shows of the image once the program has painted everything it drew: the same
// pixels twice in a row, with the program answering in between.
TPixels SettledPixels(HWND image, HWND mainWindow);

// Every cell of a puzzle image of columns x rows equal cells, row by row; each is read a quarter
// of a cell in from its top-left corner, inside the quadrant that names it.
std::vector<TShownPiece> ShownBoard(const TPixels& pixels, int columns, int rows);
