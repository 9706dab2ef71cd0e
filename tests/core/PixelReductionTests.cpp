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

    // Three by three into two by two: the white middle pixel gives a quarter of itself to each.
    uint32_t dot[9];
    for (uint32_t& pixel : dot) pixel = 0xFF000000u;
    dot[4] = 0xFFFFFFFFu;
    uint32_t quarters[4] = {};
    ReducePixels(dot, 3, 3, quarters, 2, 2);
    for (const uint32_t pixel : quarters) EXPECT_EQ(pixel, 0xFF1C1C1Cu);  // 255 x 0.25 / 2.25

    // Each source pixel's shares add up to the whole at any size: a plain picture keeps its colour.
    const std::vector<uint32_t> plain(13 * 11, 0xFF3C8AF0u);
    for (int width = 1; width <= 13; ++width)
        for (int height = 1; height <= 11; ++height) {
            std::vector<uint32_t> reduced(static_cast<size_t>(width) * height);
            ReducePixels(plain.data(), 13, 11, reduced.data(), width, height);
            for (const uint32_t pixel : reduced) ASSERT_EQ(pixel, 0xFF3C8AF0u) << width << " x " << height;
        }

    // Half-transparent white over black; a target larger than the source is left alone.
    const uint32_t glass = 0x80FFFFFFu;
    uint32_t shown[2] = {0x12345678u, 0x12345678u};
    ReducePixels(&glass, 1, 1, shown, 1, 1);
    EXPECT_EQ(shown[0], 0xFF808080u);
    ReducePixels(&glass, 1, 1, shown, 2, 1);
    EXPECT_EQ(shown[1], 0x12345678u);
}
