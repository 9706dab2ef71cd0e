#include "Include/Core/PictureFit.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace {

int32_t ClampedToInt32(int64_t value) {
    const int64_t low = std::numeric_limits<int32_t>::min();
    const int64_t high = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::min(std::max(value, low), high));
}

// The count of whole cells of the given size in a side, kept within 1..maximum.
int32_t WholeCells(int32_t side, int32_t cell, int32_t maximum) {
    const int32_t count = side / cell;
    return std::min(std::max(count, 1), std::max(maximum, 1));
}

}  // namespace

void FitPictureSize(int32_t ImageWidth, int32_t ImageHeight, int32_t Width, int32_t Height, bool Enlarge,
                    int32_t& ResultWidth, int32_t& ResultHeight) {
    if (ImageWidth < 1 || ImageHeight < 1) {
        ResultWidth = ResultHeight = 0;
        return;
    }
    const int64_t areaWidth = std::max(Width, 0);
    const int64_t areaHeight = std::max(Height, 0);
    int64_t width = areaWidth;
    if (!Enlarge && ImageWidth < width) width = ImageWidth;

    const int64_t heightAtWidth = ImageHeight * width / ImageWidth;
    if (heightAtWidth <= areaHeight) {  // a tie keeps the fit to the width
        ResultWidth = static_cast<int32_t>(width);
        ResultHeight = static_cast<int32_t>(heightAtWidth);
        return;
    }
    // Here ImageHeight * width > areaHeight * ImageWidth, so the width below stays under width.
    ResultHeight = static_cast<int32_t>(areaHeight);
    ResultWidth = static_cast<int32_t>(ImageWidth * areaHeight / ImageHeight);
}

TPictureGrid ChoosePictureGrid(int32_t FittedWidth, int32_t FittedHeight, int32_t PieceWidth, int32_t PieceHeight,
                               int32_t MaxColumns, int32_t MaxRows) {
    // A piece size below one pixel would divide by zero and paint nothing.
    const int32_t pieceWidth = std::max(PieceWidth, 1);
    const int32_t pieceHeight = std::max(PieceHeight, 1);
    TPictureGrid grid;
    grid.Columns = WholeCells(FittedWidth, pieceWidth, MaxColumns);
    grid.Rows = WholeCells(FittedHeight, pieceHeight, MaxRows);
    grid.Width = ClampedToInt32(static_cast<int64_t>(grid.Columns) * pieceWidth);
    grid.Height = ClampedToInt32(static_cast<int64_t>(grid.Rows) * pieceHeight);
    return grid;
}

TPictureGrid PictureSizeOnGrid(int32_t FittedWidth, int32_t FittedHeight, int32_t Columns, int32_t Rows) {
    TPictureGrid grid;
    grid.Columns = std::max(Columns, 1);
    grid.Rows = std::max(Rows, 1);
    grid.Width = std::max(FittedWidth / grid.Columns * grid.Columns, grid.Columns);
    grid.Height = std::max(FittedHeight / grid.Rows * grid.Rows, grid.Rows);
    return grid;
}

TPictureSize NeededPictureSize(int32_t ImageWidth, int32_t ImageHeight, const TPictureSize* Areas, int AreaCount) {
    TPictureSize needed;
    if (AreaCount <= 0 || ImageWidth < 1 || ImageHeight < 1) {
        needed.Width = std::max(ImageWidth, 0);
        needed.Height = std::max(ImageHeight, 0);
        return needed;
    }
    for (int i = 0; i < AreaCount; ++i) {
        TPictureSize fitted;
        FitPictureSize(ImageWidth, ImageHeight, Areas[i].Width, Areas[i].Height, true, fitted.Width, fitted.Height);
        needed.Width = std::max(needed.Width, fitted.Width);
        needed.Height = std::max(needed.Height, fitted.Height);
    }
    return needed;
}

uint32_t ScaledSide(uint32_t Side, int32_t Denominator) {
    const uint64_t denominator = static_cast<uint64_t>(std::max(Denominator, 1));
    return static_cast<uint32_t>((Side + denominator - 1) / denominator);
}

int32_t ChooseJpegScale(uint32_t ImageWidth, uint32_t ImageHeight, TPictureSize Needed, uint64_t MaxPixels) {
    int32_t covering = 1, fitting = 0;
    for (const int32_t denominator : JpegScaleDenominators) {
        const uint32_t width = ScaledSide(ImageWidth, denominator), height = ScaledSide(ImageHeight, denominator);
        if (static_cast<int64_t>(width) >= Needed.Width && static_cast<int64_t>(height) >= Needed.Height)
            covering = denominator;
        if (fitting == 0 && static_cast<uint64_t>(width) * height <= MaxPixels) fitting = denominator;
    }
    // Past the budget a smaller decode is taken even when it no longer covers the need.
    if (fitting == 0) fitting = JpegScaleDenominators[std::size(JpegScaleDenominators) - 1];
    return std::max(covering, fitting);
}
