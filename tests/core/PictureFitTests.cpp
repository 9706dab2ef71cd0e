// Fitting pictures into areas and the grids the two picture images are painted on.
#include "Include/Core/PictureFit.h"

#include <gtest/gtest.h>

namespace {

struct TSize {
    int32_t Width;
    int32_t Height;
};

TSize Fit(int32_t imageWidth, int32_t imageHeight, int32_t width, int32_t height, bool enlarge) {
    TSize result = {-1, -1};
    FitPictureSize(imageWidth, imageHeight, width, height, enlarge, result.Width, result.Height);
    return result;
}

// The puzzle grid as the game window asks for it: the piece size comes from the whole area
// and the chosen counts, whatever the picture; at most 30 x 30.
TPictureGrid PuzzleGrid(int32_t imageWidth, int32_t imageHeight, int32_t areaWidth, int32_t areaHeight,
                        int32_t columnsCount, int32_t rowsCount) {
    const TSize fitted = Fit(imageWidth, imageHeight, areaWidth, areaHeight, true);
    return ChoosePictureGrid(fitted.Width, fitted.Height, areaWidth / columnsCount, areaHeight / rowsCount, 30, 30);
}

void ExpectGrid(const TPictureGrid& grid, int32_t columns, int32_t rows, int32_t width, int32_t height) {
    EXPECT_EQ(grid.Columns, columns);
    EXPECT_EQ(grid.Rows, rows);
    EXPECT_EQ(grid.Width, width);
    EXPECT_EQ(grid.Height, height);
}

}  // namespace

TEST(FitPictureSizeTest, OneSideMeetsTheAreaWhenEnlarging) {
    // Wide picture: fitted to the width.
    EXPECT_EQ(Fit(1600, 800, 800, 900, true).Width, 800);
    EXPECT_EQ(Fit(1600, 800, 800, 900, true).Height, 400);
    // Tall picture: the width fit overflows, so fitted to the height.
    EXPECT_EQ(Fit(300, 1000, 900, 600, true).Height, 600);
    EXPECT_EQ(Fit(300, 1000, 900, 600, true).Width, 180);
    // A small picture is scaled up until one side meets the area.
    EXPECT_EQ(Fit(100, 50, 800, 900, true).Width, 800);
    EXPECT_EQ(Fit(100, 50, 800, 900, true).Height, 400);
    EXPECT_EQ(Fit(30, 60, 800, 900, true).Height, 900);
    EXPECT_EQ(Fit(30, 60, 800, 900, true).Width, 450);
}

TEST(FitPictureSizeTest, WithoutEnlargingANarrowPictureKeepsItsWidthUnlessTooTall) {
    EXPECT_EQ(Fit(100, 50, 800, 900, false).Width, 100);
    EXPECT_EQ(Fit(100, 50, 800, 900, false).Height, 50);
    // Its own width would make it 5000 high: fitted to the height instead.
    EXPECT_EQ(Fit(100, 5000, 800, 900, false).Height, 900);
    EXPECT_EQ(Fit(100, 5000, 800, 900, false).Width, 18);
    // A picture larger than the area is reduced as with enlarging.
    EXPECT_EQ(Fit(1600, 800, 800, 900, false).Width, 800);
    EXPECT_EQ(Fit(1600, 800, 800, 900, false).Height, 400);
}

TEST(FitPictureSizeTest, ATieKeepsTheWidthFitAndDivisionsTruncate) {
    EXPECT_EQ(Fit(100, 100, 50, 50, true).Width, 50);
    EXPECT_EQ(Fit(100, 100, 50, 50, true).Height, 50);
    // 7 * 100 / 3 = 233.3: truncated, not rounded.
    EXPECT_EQ(Fit(3, 7, 100, 1000, true).Height, 233);
    // 2 * 100 / 3 = 66.6 for the height-fitted width.
    EXPECT_EQ(Fit(2, 3, 1000, 100, true).Width, 66);
}

TEST(FitPictureSizeTest, EmptyPicturesAndAreasGiveNothing) {
    EXPECT_EQ(Fit(0, 100, 800, 900, true).Width, 0);
    EXPECT_EQ(Fit(0, 100, 800, 900, true).Height, 0);
    EXPECT_EQ(Fit(100, -1, 800, 900, true).Width, 0);
    EXPECT_EQ(Fit(100, 100, 0, 900, true).Width, 0);
    EXPECT_EQ(Fit(100, 100, 0, 900, true).Height, 0);
    // An area can come out negative from a tiny window; it holds nothing.
    EXPECT_EQ(Fit(100, 100, -20, 900, true).Width, 0);
    EXPECT_EQ(Fit(100, 100, -20, 900, true).Height, 0);
    EXPECT_EQ(Fit(100, 100, 800, -5, true).Width, 0);
    EXPECT_EQ(Fit(100, 100, 800, -5, true).Height, 0);
}

TEST(FitPictureSizeTest, LargeProductsDoNotOverflow) {
    // 40000 * 60000 does not fit 32 bits.
    EXPECT_EQ(Fit(50000, 40000, 60000, 60000, true).Width, 60000);
    EXPECT_EQ(Fit(50000, 40000, 60000, 60000, true).Height, 48000);
    EXPECT_EQ(Fit(60000, 60000, 800, 900, true).Width, 800);
    EXPECT_EQ(Fit(60000, 60000, 800, 900, true).Height, 800);
    EXPECT_EQ(Fit(2000000000, 3, 2000000000, 2000000000, true).Width, 2000000000);
    EXPECT_EQ(Fit(2000000000, 3, 2000000000, 2000000000, true).Height, 3);
    EXPECT_EQ(Fit(3, 2000000000, 1000000, 1000000, true).Height, 1000000);
    EXPECT_EQ(Fit(3, 2000000000, 1000000, 1000000, true).Width, 0);
}

TEST(PictureGridTest, MatchingProportionsGiveTheChosenGrid) {
    // Piece 114 x 128 from an 800 x 900 area and 7 x 7.
    ExpectGrid(PuzzleGrid(1600, 1800, 800, 900, 7, 7), 7, 7, 798, 896);
    ExpectGrid(PuzzleGrid(800, 900, 800, 900, 12, 9), 12, 9, 792, 900);
}

TEST(PictureGridTest, LeftOverPixelsAddWholePieces) {
    // 600 / 29 = 20: a picture filling the 600 pixels holds 30 pieces across.
    ExpectGrid(PuzzleGrid(1200, 800, 600, 400, 29, 5), 30, 5, 600, 400);
}

TEST(PictureGridTest, ATallPictureInAWideAreaGetsFewerColumns) {
    // Fitted 180 x 600; pieces 128 x 85.
    ExpectGrid(PuzzleGrid(300, 1000, 900, 600, 7, 7), 1, 7, 128, 595);
    // Fitted 420 x 600: three whole columns.
    ExpectGrid(PuzzleGrid(700, 1000, 900, 600, 7, 7), 3, 7, 384, 595);
}

TEST(PictureGridTest, ANarrowPictureGivesOneColumnOfAWholePiece) {
    // Fitted 9 x 900, narrower than one 114-pixel piece: stretched to one piece.
    ExpectGrid(PuzzleGrid(10, 1000, 800, 900, 7, 7), 1, 7, 114, 896);
    // So narrow that the fitted width is 0.
    ExpectGrid(PuzzleGrid(1, 100000, 800, 900, 7, 7), 1, 7, 114, 896);
    // Nothing fitted at all still gives one piece.
    ExpectGrid(ChoosePictureGrid(0, 0, 114, 128, 30, 30), 1, 1, 114, 128);
}

TEST(PictureGridTest, CountsStopAtTheMaximum) {
    // 50 pieces of 20 would fit across; 30 are painted, 600 pixels of the 1000.
    ExpectGrid(ChoosePictureGrid(1000, 1000, 20, 20, 30, 30), 30, 30, 600, 600);
    ExpectGrid(ChoosePictureGrid(1000, 1000, 20, 20, 12, 40), 12, 40, 240, 800);
}

TEST(PictureGridTest, DegeneratePieceSizesAndMaximaAreAtLeastOne) {
    // A piece size of 0 or below (an area smaller than the grid) counts as one pixel.
    ExpectGrid(ChoosePictureGrid(10, 20, 0, -3, 30, 30), 10, 20, 10, 20);
    ExpectGrid(ChoosePictureGrid(100, 100, 10, 10, 0, -1), 1, 1, 10, 10);
}

TEST(PictureGridTest, TheOriginalImageIsAMultipleOfTheGrid) {
    ExpectGrid(PictureSizeOnGrid(440, 330, 7, 7), 7, 7, 434, 329);
    ExpectGrid(PictureSizeOnGrid(440, 500, 30, 30), 30, 30, 420, 480);
    ExpectGrid(PictureSizeOnGrid(440, 500, 1, 1), 1, 1, 440, 500);
}

TEST(PictureGridTest, TheOriginalImageHasAtLeastOnePixelPerCell) {
    // A picture fitted 3 pixels wide or 0 high still gets a drawable cell per grid place.
    ExpectGrid(PictureSizeOnGrid(3, 500, 7, 7), 7, 7, 7, 497);
    ExpectGrid(PictureSizeOnGrid(440, 0, 7, 30), 7, 30, 434, 30);
    ExpectGrid(PictureSizeOnGrid(0, 0, 1, 1), 1, 1, 1, 1);
    ExpectGrid(PictureSizeOnGrid(-8, 20, 2, 2), 2, 2, 2, 20);
    // A grid count below one cannot divide the image.
    ExpectGrid(PictureSizeOnGrid(440, 500, 0, -2), 1, 1, 440, 500);
}

TEST(NeededPictureSizeTest, TheLargerFitOfEachSideOverBothAreas) {
    // 6000 x 4000 into a wide puzzle area and a tall original area.
    const TPictureSize areas[] = {{1190, 880}, {440, 900}};
    const TPictureSize needed = NeededPictureSize(6000, 4000, areas, 2);
    EXPECT_EQ(needed.Width, 1190);
    EXPECT_EQ(needed.Height, 793);
    // The sides may come from different areas.
    const TPictureSize crossing[] = {{1000, 100}, {300, 900}};
    const TPictureSize mixed = NeededPictureSize(400, 400, crossing, 2);
    EXPECT_EQ(mixed.Width, 300);
    EXPECT_EQ(mixed.Height, 300);
    // Small pictures are enlarged to the area, as they are painted.
    EXPECT_EQ(NeededPictureSize(100, 50, areas, 1).Width, 1190);
}

TEST(NeededPictureSizeTest, NoAreasOrNoPictureAskForThePicturesOwnSize) {
    const TPictureSize areas[] = {{800, 600}};
    EXPECT_EQ(NeededPictureSize(6000, 4000, nullptr, 0).Width, 6000);
    EXPECT_EQ(NeededPictureSize(6000, 4000, nullptr, 0).Height, 4000);
    EXPECT_EQ(NeededPictureSize(0, 4000, areas, 1).Width, 0);
    EXPECT_EQ(NeededPictureSize(-5, -5, areas, 1).Height, 0);
}

TEST(JpegScaleTest, TheSmallestScaleThatStillCoversTheNeed) {
    const uint64_t budget = 100000000;
    // 6000 x 4000 at 1/4 is 1500 x 1000, at 1/8 750 x 500.
    EXPECT_EQ(ChooseJpegScale(6000, 4000, {1190, 793}, budget), 4);
    EXPECT_EQ(ChooseJpegScale(6000, 4000, {750, 500}, budget), 8);
    EXPECT_EQ(ChooseJpegScale(6000, 4000, {751, 500}, budget), 4);
    EXPECT_EQ(ChooseJpegScale(6000, 4000, {1500, 1001}, budget), 2);
    EXPECT_EQ(ChooseJpegScale(6000, 4000, {6000, 4000}, budget), 1);
    // An enlarged picture is decoded whole.
    EXPECT_EQ(ChooseJpegScale(640, 480, {1190, 893}, budget), 1);
    // Sides round up as the decoder's do: 1001 / 8 gives 126.
    EXPECT_EQ(ScaledSide(1001, 8), 126u);
    EXPECT_EQ(ChooseJpegScale(1001, 1001, {126, 126}, budget), 8);
    EXPECT_EQ(ScaledSide(0xFFFFFFFFu, 8), 0x20000000u);
}

TEST(JpegScaleTest, BeyondTheBudgetASmallerScaleIsTakenWhateverTheNeed) {
    const uint64_t budget = 100000000;
    // 200 megapixels shown whole: half of each side is 50 megapixels.
    EXPECT_EQ(ChooseJpegScale(16320, 12256, {16320, 12256}, budget), 2);
    // 1 gigapixel: a quarter of each side is 62.5 megapixels.
    EXPECT_EQ(ChooseJpegScale(40000, 25000, {40000, 25000}, budget), 4);
    // Nothing fits: the smallest scale there is.
    EXPECT_EQ(ChooseJpegScale(60000, 60000, {100, 100}, 1000), 8);
}
