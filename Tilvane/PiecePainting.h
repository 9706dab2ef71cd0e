// What the puzzle view paints over its pictures and into them, in one place: a piece copied from
// the unshuffled picture, mirrored as its cell says; a cell filled; the rings of the frames.
#pragma once

#include "Tilvane/Core/BoardGeometry.h"
#include "Tilvane/Core/PuzzleBoard.h"

#include <windows.h>

inline RECT ToRect(const TCellRect& cell) { return RECT{cell.Left, cell.Top, cell.Right, cell.Bottom}; }

// The piece `drawn` (its own place and its flags) from the unshuffled picture into the
// rectangle of the target: one stretching copy, whose reversed axis mirrors it.
void CopyPiece(HDC target, const TCellRect& at, HDC unshuffled, const TBoardGeometry& geometry, const PieceCell& drawn);
// The cell's rectangle in one colour.
void FillCell(HDC dc, const RECT& area, COLORREF colour);
// A ring one pixel wide along the inside of the rectangle.
void FrameRing(HDC dc, const RECT& ring, COLORREF colour);
// Every other pixel of the ring in the colour, the rest in `between`: a dashed ring.
void DashedRing(HDC dc, const RECT& ring, COLORREF colour, COLORREF between);
// The rectangle one pixel smaller on each side.
RECT Inset(RECT area, int by = 1);
