// Pictures turned upright row by row, as the JPEG decoder stores them, for every orientation.
#include "Include/Core/PictureOrientation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A stored picture of 3 x 2 pixels, numbered row by row:
//   1 2 3
//   4 5 6
std::vector<uint32_t> Upright(uint32_t orientation) {
    const uint32_t stored[2][3] = {{1, 2, 3}, {4, 5, 6}};
    std::vector<uint32_t> upright(6, 0);
    for (uint32_t y = 0; y < 2; ++y) PlaceRowUpright(stored[y], y, 3, 2, orientation, upright.data());
    return upright;
}

}  // namespace

// What each orientation shows, written out as the tag defines it: where the stored first row and
// first column stand in the upright picture.
TEST(PictureOrientationTest, EveryOrientationPutsEachPixelInItsUprightPlace) {
    EXPECT_EQ(Upright(1), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Upright(2), (std::vector<uint32_t>{3, 2, 1, 6, 5, 4}));  // first row at the top, from the right
    EXPECT_EQ(Upright(3), (std::vector<uint32_t>{6, 5, 4, 3, 2, 1}));  // at the bottom, from the right
    EXPECT_EQ(Upright(4), (std::vector<uint32_t>{4, 5, 6, 1, 2, 3}));  // at the bottom, from the left
    // 2 x 3 upright from here on: the first row becomes a column.
    EXPECT_EQ(Upright(5), (std::vector<uint32_t>{1, 4, 2, 5, 3, 6}));  // left column, from the top
    EXPECT_EQ(Upright(6), (std::vector<uint32_t>{4, 1, 5, 2, 6, 3}));  // right column, from the top
    EXPECT_EQ(Upright(7), (std::vector<uint32_t>{6, 3, 5, 2, 4, 1}));  // right column, from the bottom
    EXPECT_EQ(Upright(8), (std::vector<uint32_t>{3, 6, 2, 5, 1, 4}));  // left column, from the bottom
    // A value that is no orientation leaves the picture as stored.
    EXPECT_EQ(Upright(0), Upright(1));
    EXPECT_EQ(Upright(9), Upright(1));
}

TEST(PictureOrientationTest, QuarterTurnsAndDiagonalsExchangeTheSides) {
    for (uint32_t orientation = 0; orientation <= 9; ++orientation) {
        const TPictureSize size = UprightSize(4000, 3000, orientation);
        const bool exchanged = orientation >= 5 && orientation <= 8;
        EXPECT_EQ(ExchangesSides(orientation), exchanged) << orientation;
        EXPECT_EQ(size.Width, exchanged ? 3000 : 4000) << orientation;
        EXPECT_EQ(size.Height, exchanged ? 4000 : 3000) << orientation;
    }
}
