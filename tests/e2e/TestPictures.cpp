#include "e2e/TestPictures.h"

#include "Framework/Dpi.h"
#include "Include/Owned.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int Spread(int index, int count) { return 10 + index * 240 / (count > 1 ? count - 1 : 1); }

int Distance(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

}  // namespace

SIZE PieceSizeFilling(HWND puzzleGroupBox, int columns, int rows) {
    RECT area = {};
    GetClientRect(puzzleGroupBox, &area);
    // The margins of the puzzle area are layout lengths, in pixels of the game's DPI. That is the
    // screen's, which every program of a run shares (scripts/with-dpi.sh); asked for another
    // process's window, Wine may answer 96 once other programs have run in the same session,
    // while the game lays it out at the screen's DPI.
    TWindowDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return SIZE{(area.right - ScaleToDpi(10, dpi)) / columns,
                (area.bottom - ScaleToDpi(20, dpi) - ScaleToDpi(5, dpi)) / rows};
}

COLORREF QuadrantColour(int column, int row, int quadrant, int columns, int rows) {
    return RGB(Spread(column, columns), Spread(row, rows), 20 + 70 * quadrant);
}

COLORREF QuadrantPixel(int x, int y, int columns, int rows, int pieceWidth, int pieceHeight) {
    const int quadrant = (x % pieceWidth >= pieceWidth / 2 ? 1 : 0) + (y % pieceHeight >= pieceHeight / 2 ? 2 : 0);
    return QuadrantColour(x / pieceWidth, y / pieceHeight, quadrant, columns, rows);
}

std::string QuadrantPicture(int columns, int rows, int pieceWidth, int pieceHeight) {
    return BitmapFileBytes(columns * pieceWidth, rows * pieceHeight, [&](int x, int y) {
        return QuadrantPixel(x, y, columns, rows, pieceWidth, pieceHeight);
    });
}

bool NearColour(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 12 && std::abs(GetGValue(a) - GetGValue(b)) <= 12 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 12;
}

TShownPiece ShownPieceAt(const TPixels& pixels, int x, int y, int columns, int rows) {
    const COLORREF seen = pixels.At(x, y);
    TShownPiece best;
    int bestDistance = 3 * 3 + 1;  // a few steps of rounding at most; neighbours differ by 8 or more
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            for (int quadrant = 0; quadrant < 4; ++quadrant) {
                const int distance = Distance(seen, QuadrantColour(column, row, quadrant, columns, rows));
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = {row * columns + column, (quadrant & 1) != 0, (quadrant & 2) != 0};
                }
            }
    return best;
}

TPixels SettledPixels(HWND image, HWND mainWindow) {
    TPixels previous = CaptureClientPixels(image);
    for (int attempt = 0; attempt < 50; ++attempt) {
        WaitUntilAnswering(mainWindow);
        Sleep(20);
        TPixels current = CaptureClientPixels(image);
        if (current.Colors == previous.Colors) return current;
        previous = std::move(current);
    }
    ADD_FAILURE() << "the picture still changed after " << 50 << " looks";
    return previous;
}

std::vector<TShownPiece> ShownBoard(const TPixels& pixels, int columns, int rows) {
    std::vector<TShownPiece> board;
    if (columns <= 0 || rows <= 0) return board;
    const int cellWidth = pixels.Width / columns, cellHeight = pixels.Height / rows;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            board.push_back(ShownPieceAt(pixels, column * cellWidth + cellWidth / 4, row * cellHeight + cellHeight / 4,
                                         columns, rows));
    return board;
}
