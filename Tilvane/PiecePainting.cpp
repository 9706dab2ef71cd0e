#include "Tilvane/PiecePainting.h"

void CopyPiece(HDC target, const TCellRect& at, HDC unshuffled, const TBoardGeometry& geometry, const PieceCell& drawn) {
    const int w = at.Width(), h = at.Height();
    const TCellRect source = geometry.PuzzleCell(TCellPlace{drawn.SourceColumn, drawn.SourceRow});
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, drawn.FlipHorizontal ? at.Left + w - 1 : at.Left, drawn.FlipVertical ? at.Top + h - 1 : at.Top,
               drawn.FlipHorizontal ? -w : w, drawn.FlipVertical ? -h : h, unshuffled, source.Left, source.Top,
               source.Width(), source.Height(), SRCCOPY);
}

void FillCell(HDC dc, const RECT& area, COLORREF colour) {
    // A solid rectangle of the background colour, the cheapest fill GDI has.
    SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

void FrameRing(HDC dc, const RECT& ring, COLORREF colour) {
    const RECT sides[] = {{ring.left, ring.top, ring.right, ring.top + 1},
                          {ring.left, ring.bottom - 1, ring.right, ring.bottom},
                          {ring.left, ring.top, ring.left + 1, ring.bottom},
                          {ring.right - 1, ring.top, ring.right, ring.bottom}};
    for (const RECT& side : sides) FillCell(dc, side, colour);
}

void DashedRing(HDC dc, const RECT& ring, COLORREF colour, COLORREF between) {
    FrameRing(dc, ring, between);
    for (int x = ring.left; x < ring.right; x += 2) {
        SetPixel(dc, x, ring.top, colour);
        SetPixel(dc, x, ring.bottom - 1, colour);
    }
    for (int y = ring.top; y < ring.bottom; y += 2) {
        SetPixel(dc, ring.left, y, colour);
        SetPixel(dc, ring.right - 1, y, colour);
    }
}

RECT Inset(RECT area, int by) {
    InflateRect(&area, -by, -by);
    return area;
}
