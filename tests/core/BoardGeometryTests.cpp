// The cells of the two pictures and the way a piece slides between them.
#include "Tilvane/Core/BoardGeometry.h"
#include "Tilvane/Core/MotionPath.h"

#include <gtest/gtest.h>

namespace {

// 7 x 5 pieces of 40 x 30 (a puzzle of 280 x 150); an original of 200 x 103, whose cells are
// 28 x 20 with 4 pixels left at the right and 3 at the bottom.
TBoardGeometry Geometry() { return TBoardGeometry(7, 5, TPieceSize{40, 30}, 200, 103); }

TCellPlace PuzzleCellAt(const TBoardGeometry& geometry, int32_t x, int32_t y) {
    TCellPlace cell{-9, -9};
    EXPECT_TRUE(geometry.PuzzleCellAt(x, y, cell)) << x << ", " << y;
    return cell;
}

TCellPlace OriginalCellAt(const TBoardGeometry& geometry, int32_t x, int32_t y) {
    TCellPlace cell{-9, -9};
    EXPECT_TRUE(geometry.OriginalCellAt(x, y, cell)) << x << ", " << y;
    return cell;
}

}  // namespace

TEST(BoardGeometryTest, CellsOfThePuzzleAreWholePiecesAndNothingOutsideIsACell) {
    const TBoardGeometry geometry = Geometry();
    EXPECT_EQ(geometry.PuzzleCell({0, 0}), (TCellRect{0, 0, 40, 30}));
    EXPECT_EQ(geometry.PuzzleCell({6, 4}), (TCellRect{240, 120, 280, 150}));
    EXPECT_EQ(PuzzleCellAt(geometry, 0, 0), (TCellPlace{0, 0}));
    EXPECT_EQ(PuzzleCellAt(geometry, 39, 29), (TCellPlace{0, 0}));
    EXPECT_EQ(PuzzleCellAt(geometry, 40, 30), (TCellPlace{1, 1}));
    EXPECT_EQ(PuzzleCellAt(geometry, 279, 149), (TCellPlace{6, 4}));
    // Truncating division would put a point just left of or above the picture into the first
    // cell, and one past its end into a cell beyond the grid.
    TCellPlace cell{3, 3};
    for (const auto& outside : {std::pair<int, int>{-1, 10}, {10, -1}, {-39, -29}, {280, 10}, {10, 150}})
        EXPECT_FALSE(geometry.PuzzleCellAt(outside.first, outside.second, cell)) << outside.first << ", " << outside.second;
    EXPECT_EQ(cell, (TCellPlace{3, 3})) << "a point outside leaves the cell as it was";
}

TEST(BoardGeometryTest, TheOriginalsLastCellsTakeTheRestOfItsEdges) {
    const TBoardGeometry geometry = Geometry();
    EXPECT_EQ(geometry.OriginalCellSize().Width, 28);
    EXPECT_EQ(geometry.OriginalCellSize().Height, 20);
    EXPECT_EQ(geometry.OriginalCell({2, 1}), (TCellRect{56, 20, 84, 40}));
    EXPECT_EQ(OriginalCellAt(geometry, 55, 19), (TCellPlace{1, 0}));
    EXPECT_EQ(OriginalCellAt(geometry, 196, 100), (TCellPlace{6, 4})) << "the pixels past the last whole cell";
    EXPECT_EQ(OriginalCellAt(geometry, 199, 102), (TCellPlace{6, 4}));
    TCellPlace cell;
    EXPECT_FALSE(geometry.OriginalCellAt(200, 0, cell));
    EXPECT_FALSE(geometry.OriginalCellAt(0, -1, cell));
}

TEST(BoardGeometryTest, WithoutCellsNoPointFindsOne) {
    TCellPlace cell;
    for (const TBoardGeometry& empty : {TBoardGeometry(), TBoardGeometry(7, 5, TPieceSize{0, 30}, 200, 100),
                                        TBoardGeometry(7, 5, TPieceSize{40, 30}, 6, 100)}) {
        EXPECT_FALSE(empty.PuzzleCellAt(0, 0, cell) && empty.OriginalCellAt(0, 0, cell));
    }
    EXPECT_FALSE(TBoardGeometry(0, 5, TPieceSize{40, 30}, 200, 100).HasCells());
    EXPECT_EQ(TBoardGeometry(0, 5, TPieceSize{40, 30}, 200, 100).OriginalCellSize().Width, 0) << "no division by zero";
}

TEST(MotionPathTest, ASlideStartsAndEndsInItsCellsAndMovesOneWay) {
    const TCellRect from{240, 120, 280, 150}, to{0, 0, 40, 30};
    EXPECT_EQ(RectBetween(from, to, EasedProgress(0, 120)), from);
    EXPECT_EQ(RectBetween(from, to, EasedProgress(120, 120)), to);
    EXPECT_EQ(RectBetween(from, to, EasedProgress(500, 120)), to) << "a late frame stops at the end";
    EXPECT_EQ(RectBetween(from, to, EasedProgress(60, 120)), (TCellRect{120, 60, 160, 90})) << "halfway at half time";
    int32_t lastLeft = from.Left;
    for (int ms = 1; ms <= 120; ++ms) {
        const TCellRect at = RectBetween(from, to, EasedProgress(ms, 120));
        EXPECT_LE(at.Left, lastLeft) << ms;
        EXPECT_EQ(at.Width(), 40);
        lastLeft = at.Left;
    }
    EXPECT_LT(EasedProgress(10, 120), 10.0 / 120) << "it starts gently";
    EXPECT_EQ(EasedProgress(0, 0), 1.0) << "a motion of no length is done";
    EXPECT_EQ(EasedProgress(-5, 120), 0.0);
}
