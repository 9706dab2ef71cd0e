// Pictures made smaller by averaging: each new pixel is the mean of what it covers, shown over black.
#include "Include/Core/PixelReduction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(PixelReductionTest, EachPixelIsTheMeanOfWhatItCoversShownOverBlack) {
    // A checkerboard of single pixels halved: one even grey, no moire.
    std::vector<uint32_t> board(8 * 6), half(4 * 3);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) board[y * 8 + x] = (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
    ReducePixels(board.data(), 8, 6, half.data(), 4, 3);
    for (const uint32_t pixel : half) EXPECT_EQ(pixel, 0xFF808080u);

    // Three columns into two: the middle one counts half for each side.
    const uint32_t rgb[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    uint32_t two[2] = {};
    ReducePixels(rgb, 3, 1, two, 2, 1);
    EXPECT_EQ(two[0], 0xFFAA5500u);
    EXPECT_EQ(two[1], 0xFF0055AAu);

    // Half-transparent white over black; a target larger than the source is left alone.
    const uint32_t glass = 0x80FFFFFFu;
    uint32_t shown[2] = {0x12345678u, 0x12345678u};
    ReducePixels(&glass, 1, 1, shown, 1, 1);
    EXPECT_EQ(shown[0], 0xFF808080u);
    ReducePixels(&glass, 1, 1, shown, 2, 1);
    EXPECT_EQ(shown[1], 0x12345678u);
}
