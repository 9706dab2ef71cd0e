// Picture geometry: fitting a picture's size into an area with its proportions kept, and the
// grids of whole cells that the two picture images are painted on. Pure arithmetic in pixels;
// products are formed in 64 bits so that large pictures cannot overflow them.
#pragma once

#include <cstdint>

// The largest size with the picture's proportions that fits into Width x Height. Without
// Enlarge a picture narrower than the area keeps its own width unless its height then overflows.
// An empty picture gives 0 x 0; a negative area counts as an empty one.
void FitPictureSize(int32_t ImageWidth, int32_t ImageHeight, int32_t Width, int32_t Height, bool Enlarge,
                    int32_t& ResultWidth, int32_t& ResultHeight);

// A grid and the pixel size of the image painted on it.
struct TPictureGrid {
    int32_t Columns = 1;
    int32_t Rows = 1;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The puzzle image: as many whole pieces as the fitted picture holds along each side, 1 to the
// maximum, and the image exactly that many pieces large. A piece is at least one pixel each way.
TPictureGrid ChoosePictureGrid(int32_t FittedWidth, int32_t FittedHeight, int32_t PieceWidth, int32_t PieceHeight,
                               int32_t MaxColumns, int32_t MaxRows);

// The original-picture image on a given grid: each side of the fitted size rounded down to a
// multiple of its count, but never below one pixel per cell, so that a picture too narrow or too
// flat for the grid still gives cells that can be drawn and pointed at.
TPictureGrid PictureSizeOnGrid(int32_t FittedWidth, int32_t FittedHeight, int32_t Columns, int32_t Rows);

struct TPictureSize {
    int32_t Width = 0;
    int32_t Height = 0;
};

// The smallest size a decoded picture may have so that no image painted from it is enlarged: the
// picture fitted (enlarged if need be) into each of the areas, the larger value of each side. No
// areas at all, or a picture without pixels, ask for the picture's own size.
TPictureSize NeededPictureSize(int32_t ImageWidth, int32_t ImageHeight, const TPictureSize* Areas, int AreaCount);

// The reductions a JPEG decoder makes from the picture's DCT coefficients, smallest last.
constexpr int32_t JpegScaleDenominators[] = {1, 2, 4, 8};

// The side of a picture decoded at 1/Denominator: rounded up, as the decoder does.
uint32_t ScaledSide(uint32_t Side, int32_t Denominator);

// The largest denominator whose decoded picture still covers Needed on both sides, and whose
// pixels fit into MaxPixels when any does (1 when none covers it).
int32_t ChooseJpegScale(uint32_t ImageWidth, uint32_t ImageHeight, TPictureSize Needed, uint64_t MaxPixels);
