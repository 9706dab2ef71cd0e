// Bitmap canvases against real GDI under Wine: what is drawn through the device context is in
// the pixels, empty sizes still give a usable context, and a size beyond memory gives none.
#include "Include/BitmapCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(BitmapCanvas, DrawingThroughTheContextReachesThePixels) {
    std::unique_ptr<TBitmapCanvas> canvas = TBitmapCanvas::Create(30, 20);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->Width(), 30);
    EXPECT_EQ(canvas->Height(), 20);
    EXPECT_EQ(canvas->Pixels()[0] & 0xFFFFFFu, 0u) << "a new canvas is black";
    const RECT lastRow = {0, 19, 30, 20};
    FillRect(canvas->Canvas(), &lastRow, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
    // Top row first: the last row drawn is the last row in memory.
    EXPECT_EQ(canvas->Pixels()[19 * 30 + 29] & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(canvas->Pixels()[18 * 30] & 0xFFFFFFu, 0u);
}

TEST(BitmapCanvas, EmptySizesKeepAContext) {
    for (const auto& size : {std::make_pair(0, 10), std::make_pair(10, 0), std::make_pair(-5, -5)}) {
        std::unique_ptr<TBitmapCanvas> canvas = TBitmapCanvas::Create(size.first, size.second);
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(canvas->Width(), std::max(size.first, 0));
        EXPECT_EQ(canvas->Height(), std::max(size.second, 0));
        BITMAP selected = {};
        ASSERT_TRUE(GetObjectA(GetCurrentObject(canvas->Canvas(), OBJ_BITMAP), sizeof selected, &selected));
        EXPECT_EQ(selected.bmWidth, std::max(size.first, 1)) << "the canvas's own bitmap is selected";
        EXPECT_EQ(selected.bmHeight, std::max(size.second, 1));
        EXPECT_EQ(selected.bmBitsPixel, 32);
    }
}

TEST(BitmapCanvas, ASizeBeyondMemoryGivesNone) {
    EXPECT_EQ(TBitmapCanvas::Create(65536, 65536), nullptr);
    EXPECT_EQ(TBitmapCanvas::NoMemoryText(65536, -3), "Not enough memory for a picture of 65536 x 0 pixels.");
}
