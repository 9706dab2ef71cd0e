// The board's rules: reset, swaps, the shuffle's exact use of random values, moves and the
// wrong-move rule, flips, and the order in which the window is asked to show changes.
#include "Tilvane/Core/PuzzleBoard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Plays back a recorded sequence of generator values and fails on any value drawn beyond it.
class TRecordedRandom {
public:
    void Add(int32_t value) { values_.push_back(value); }
    void Add(int32_t a, int32_t b) { Add(a); Add(b); }
    int32_t Next() {
        if (next_ >= values_.size()) {
            ADD_FAILURE() << "the board drew more values than recorded";
            return 0;
        }
        return values_[next_++];
    }
    TPuzzleBoard::TRandomSource Source() { return [this] { return Next(); }; }
    size_t Drawn() const { return next_; }
    size_t Recorded() const { return values_.size(); }
private:
    std::vector<int32_t> values_;
    size_t next_ = 0;
};

// A fixed pseudo-random source for tests that only need many varied values.
class TSteppingRandom {
public:
    explicit TSteppingRandom(uint32_t state) : state_(state) {}
    TPuzzleBoard::TRandomSource Source() {
        return [this] {
            state_ = state_ * 1664525u + 1013904223u;
            return static_cast<int32_t>(state_);
        };
    }
private:
    uint32_t state_;
};

// Records every hook call with what the board held at that moment.
class TRecordingView : public TBoardView {
public:
    explicit TRecordingView(const TPuzzleBoard& board) : board_(board) {}
    std::vector<std::string> Calls;
    void DrawPiece(int32_t c, int32_t r) override {
        const PieceCell& cell = board_.Pieces[c][r];
        Calls.push_back("DrawPiece " + Cell(c, r) + " holds " + Cell(cell.SourceColumn, cell.SourceRow));
    }
    void DrawCellOutlines(int32_t c, int32_t r) override { Calls.push_back("DrawCellOutlines " + Cell(c, r)); }
    void ShowMoves() override {
        Calls.push_back("ShowMoves " + std::to_string(board_.MovesCount()) + " remaining " +
                        std::to_string(board_.CountMisplacedPieces()));
    }
    void ShowWrongMoves() override { Calls.push_back("ShowWrongMoves " + std::to_string(board_.WrongMoves())); }
    void UpdatePieceCursor(int32_t c, int32_t r) override { Calls.push_back("UpdatePieceCursor " + Cell(c, r)); }
    void PiecesSwapped(int32_t c1, int32_t r1, int32_t c2, int32_t r2) override {
        Calls.push_back("PiecesSwapped " + Cell(c1, r1) + " " + Cell(c2, r2));
    }
private:
    static std::string Cell(int32_t c, int32_t r) { return std::to_string(c) + "," + std::to_string(r); }
    const TPuzzleBoard& board_;
};

void StartGame(TPuzzleBoard& board, int32_t columns, int32_t rows) {
    board.ResultedColumns = columns;
    board.ResultedRows = rows;
    board.ResetPieces(columns, rows);
    board.ResetCounters();
}

// Values whose column and row remainders name the cell itself, so the swap changes nothing.
void AddSelfSwap(TRecordedRandom& random, int32_t column, int32_t row, int32_t columns, int32_t rows, int32_t pass) {
    // Alternate signs: the absolute value of a negative remainder must land on the same cell.
    if (pass % 2 == 0)
        random.Add(column + columns * (pass + 1), row + rows * (pass + 3));
    else
        random.Add(-column - columns * pass, -row - rows * (pass + 2));
}

TEST(PuzzleBoardTest, NewBoardIsInOrderWithNothingInPlay) {
    TPuzzleBoard board;
    for (int32_t c = 0; c < 30; ++c)
        for (int32_t r = 0; r < 30; ++r) {
            EXPECT_EQ(c, board.Pieces[c][r].SourceColumn);
            EXPECT_EQ(r, board.Pieces[c][r].SourceRow);
            EXPECT_FALSE(board.Pieces[c][r].FlipHorizontal || board.Pieces[c][r].FlipVertical);
        }
    EXPECT_EQ(0, board.ResultedColumns);
    EXPECT_EQ(0, board.CountMisplacedPieces());
    EXPECT_EQ(-1, board.DragColumn());
    EXPECT_EQ(-1, board.DragRow());
    EXPECT_FALSE(board.Modified());

    // Nothing in play: a shuffle draws nothing and changes nothing.
    TRecordedRandom random;
    board.ShufflePieces(true, random.Source());
    EXPECT_EQ(0u, random.Drawn());
    EXPECT_FALSE(board.Modified());
}

TEST(PuzzleBoardTest, ResetPiecesOrdersOnlyTheBlock) {
    TPuzzleBoard board;
    board.ResultedColumns = 4;
    board.ResultedRows = 3;
    for (int32_t c = 0; c < 30; ++c)
        for (int32_t r = 0; r < 30; ++r) board.Pieces[c][r] = PieceCell{29 - c, 29 - r, true, true};

    board.ResetPieces(4, 3);

    EXPECT_EQ(0, board.CountMisplacedPieces());
    for (int32_t c = 0; c < 4; ++c)
        for (int32_t r = 0; r < 3; ++r) {
            EXPECT_TRUE(board.IsPieceInPlace(c, r));
            EXPECT_FALSE(board.Pieces[c][r].FlipHorizontal);
            EXPECT_FALSE(board.Pieces[c][r].FlipVertical);
        }
    const PieceCell outside = board.Pieces[4][0];
    EXPECT_EQ(25, outside.SourceColumn);
    EXPECT_TRUE(outside.FlipHorizontal);
    EXPECT_EQ(26, board.Pieces[0][3].SourceRow);
    EXPECT_FALSE(board.Modified());
}

TEST(PuzzleBoardTest, ResetPiecesLimitsItselfToTheArray) {
    TPuzzleBoard board;
    board.Pieces[0][0] = PieceCell{5, 5, true, false};
    board.ResetPieces(-1, 10);  // nothing to reset
    EXPECT_EQ(5, board.Pieces[0][0].SourceColumn);
    board.ResetPieces(1000, 1000);
    EXPECT_TRUE(board.IsPieceInPlace(0, 0));
    EXPECT_TRUE(board.IsPieceInPlace(29, 29));
}

TEST(PuzzleBoardTest, SwapExchangesWholeCellsAndSetsModified) {
    TPuzzleBoard board;
    StartGame(board, 5, 5);
    board.Pieces[1][2].FlipHorizontal = true;
    board.Pieces[3][4].FlipVertical = true;

    board.SwapPieces(1, 2, 3, 4);
    EXPECT_TRUE(board.Modified());
    EXPECT_EQ(3, board.Pieces[1][2].SourceColumn);
    EXPECT_EQ(4, board.Pieces[1][2].SourceRow);
    EXPECT_FALSE(board.Pieces[1][2].FlipHorizontal);
    EXPECT_TRUE(board.Pieces[1][2].FlipVertical);
    EXPECT_EQ(1, board.Pieces[3][4].SourceColumn);
    EXPECT_EQ(2, board.Pieces[3][4].SourceRow);
    EXPECT_TRUE(board.Pieces[3][4].FlipHorizontal);
    EXPECT_EQ(2, board.CountMisplacedPieces());

    // A cell swapped with itself stays as it is, but the game still counts as changed.
    board.ResetCounters();
    board.SwapPieces(0, 0, 0, 0);
    EXPECT_TRUE(board.Modified());
    EXPECT_TRUE(board.IsPieceInPlace(0, 0));
}

TEST(PuzzleBoardTest, CallsOutsideTheArrayAreIgnored) {
    TPuzzleBoard board;
    StartGame(board, 30, 30);
    TRecordingView view(board);
    board.SetView(&view);

    board.SwapPieces(30, 0, 0, 0);
    board.SwapPieces(0, 0, 0, -1);
    board.SwapPieces(std::numeric_limits<int32_t>::min(), 0, 1, 1);
    EXPECT_FALSE(board.Modified());
    EXPECT_EQ(0, board.CountMisplacedPieces());

    EXPECT_FALSE(board.IsPieceInPlace(-1, 0));
    EXPECT_FALSE(board.IsPieceInPlace(0, 30));
    board.ToggleFlipHorizontal(30, 30);
    board.ToggleFlipVertical(-1, 0);

    board.SetDragCell(31, 0);
    EXPECT_FALSE(board.MovePiece(0, 0));
    board.SetDragCell(0, 0);
    EXPECT_FALSE(board.MovePiece(0, 40));
    board.DropPiece(-5, 0);
    EXPECT_EQ(0, board.MovesCount());
    EXPECT_TRUE(view.Calls.empty());
}

TEST(PuzzleBoardTest, GridBeyondTheArrayIsLimitedToIt) {
    // A grid read from a damaged file must not take the board outside its cells.
    TPuzzleBoard board;
    board.ResultedColumns = 31;
    board.ResultedRows = 1000;
    EXPECT_EQ(0, board.CountMisplacedPieces());
    TSteppingRandom random(3);
    board.ShufflePieces(true, random.Source());
    board.ResultedColumns = board.ResultedRows = 30;
    EXPECT_TRUE(board.HoldsEveryPieceOnce());

    board.ResultedColumns = -4;
    EXPECT_EQ(0, board.CountMisplacedPieces());
    EXPECT_FALSE(board.IsInPlay(0, 0));
}

TEST(PuzzleBoardTest, InPlaceIgnoresFlipsAndDrawnPieceIsUnmirroredThere) {
    TPuzzleBoard board;
    StartGame(board, 3, 3);
    board.Pieces[1][1].FlipHorizontal = board.Pieces[1][1].FlipVertical = true;
    EXPECT_TRUE(board.IsPieceInPlace(1, 1));
    EXPECT_EQ(0, board.CountMisplacedPieces());
    const PieceCell drawn = board.DrawnPiece(1, 1);
    EXPECT_FALSE(drawn.FlipHorizontal || drawn.FlipVertical);
    EXPECT_TRUE(board.Pieces[1][1].FlipHorizontal && board.Pieces[1][1].FlipVertical);  // kept for saving

    board.SwapPieces(1, 1, 2, 2);
    const PieceCell moved = board.DrawnPiece(2, 2);
    EXPECT_EQ(1, moved.SourceColumn);
    EXPECT_TRUE(moved.FlipHorizontal && moved.FlipVertical);
}

TEST(PuzzleBoardTest, ShuffleDrawsSwapValuesRowByRowThenFlipsOfMisplacedPieces) {
    const int32_t columns = 3, rows = 2;
    TPuzzleBoard board;
    StartGame(board, columns, rows);
    // Flags set beforehand must be drawn afresh or cleared.
    for (int32_t c = 0; c < columns; ++c)
        for (int32_t r = 0; r < rows; ++r) board.Pieces[c][r].FlipHorizontal = board.Pieces[c][r].FlipVertical = true;

    TRecordedRandom random;
    for (int32_t pass = 0; pass < 5; ++pass)
        for (int32_t row = 0; row < rows; ++row)
            for (int32_t column = 0; column < columns; ++column) {
                if (pass == 0 && row == 0 && column == 0)
                    random.Add(-7, -5);  // (0,0) <-> (|-7 rem 3|, |-5 rem 2|) = (1,1)
                else if (pass == 4 && row == 1 && column == 2)
                    random.Add(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min());  // (2,1) <-> (2,0)
                else
                    AddSelfSwap(random, column, row, columns, rows, pass);
            }
    // Flips, row by row, only for the misplaced cells (0,0), (2,0), (1,1), (2,1): horizontal first.
    random.Add(4, 3);    // (0,0): horizontal, not vertical
    random.Add(1, -2);   // (2,0): vertical only
    random.Add(-7, 9);   // (1,1): neither
    random.Add(0, -100); // (2,1): both

    board.ShufflePieces(true, random.Source());

    EXPECT_EQ(random.Recorded(), random.Drawn());
    const auto expectCell = [&](int32_t c, int32_t r, int32_t sc, int32_t sr, bool fh, bool fv) {
        const PieceCell& cell = board.Pieces[c][r];
        EXPECT_EQ(sc, cell.SourceColumn) << c << "," << r;
        EXPECT_EQ(sr, cell.SourceRow) << c << "," << r;
        EXPECT_EQ(fh, cell.FlipHorizontal) << c << "," << r;
        EXPECT_EQ(fv, cell.FlipVertical) << c << "," << r;
    };
    expectCell(0, 0, 1, 1, true, false);
    expectCell(1, 0, 1, 0, false, false);  // left in place: unflipped and correct
    expectCell(2, 0, 2, 1, false, true);
    expectCell(0, 1, 0, 1, false, false);
    expectCell(1, 1, 0, 0, false, false);
    expectCell(2, 1, 2, 0, true, true);
    EXPECT_EQ(4, board.CountMisplacedPieces());
    EXPECT_TRUE(board.Modified());
}

TEST(PuzzleBoardTest, ShuffleWithoutFlippingClearsEveryFlagAndDrawsOnlySwapValues) {
    TPuzzleBoard board;
    StartGame(board, 6, 4);
    for (int32_t c = 0; c < 6; ++c)
        for (int32_t r = 0; r < 4; ++r) board.Pieces[c][r].FlipHorizontal = board.Pieces[c][r].FlipVertical = true;

    TRecordedRandom random;
    TSteppingRandom values(11);
    const auto next = values.Source();
    for (int i = 0; i < 5 * 6 * 4 * 2; ++i) random.Add(next());
    board.ShufflePieces(false, random.Source());

    EXPECT_EQ(random.Recorded(), random.Drawn());
    EXPECT_GT(board.CountMisplacedPieces(), 0);
    for (int32_t c = 0; c < 6; ++c)
        for (int32_t r = 0; r < 4; ++r) {
            EXPECT_FALSE(board.Pieces[c][r].FlipHorizontal);
            EXPECT_FALSE(board.Pieces[c][r].FlipVertical);
        }
    EXPECT_TRUE(board.HoldsEveryPieceOnce());
}

TEST(PuzzleBoardTest, SingleColumnOrRowKeepsEverySwapInIt) {
    TSteppingRandom random(99);
    TPuzzleBoard column;
    StartGame(column, 1, 12);
    column.ShufflePieces(true, random.Source());
    TPuzzleBoard row;
    StartGame(row, 12, 1);
    row.ShufflePieces(true, random.Source());

    EXPECT_TRUE(column.HoldsEveryPieceOnce());
    EXPECT_TRUE(row.HoldsEveryPieceOnce());
    EXPECT_GT(column.CountMisplacedPieces(), 0);
    EXPECT_GT(row.CountMisplacedPieces(), 0);
    // The cells next to the line in play were never touched.
    EXPECT_TRUE(column.IsPieceInPlace(1, 0));
    EXPECT_TRUE(row.IsPieceInPlace(0, 1));
}

TEST(PuzzleBoardTest, ReshuffleStartsFromTheCurrentArrangement) {
    TPuzzleBoard board;
    StartGame(board, 4, 4);
    TSteppingRandom random(5);
    board.ShufflePieces(true, random.Source());
    const PieceCell before = board.Pieces[0][0];

    // Every swap a self-swap: a shuffle that put the board in order first would show it.
    TRecordedRandom selfSwaps;
    for (int32_t pass = 0; pass < 5; ++pass)
        for (int32_t r = 0; r < 4; ++r)
            for (int32_t c = 0; c < 4; ++c) AddSelfSwap(selfSwaps, c, r, 4, 4, pass);
    for (int32_t i = 0; i < 2 * board.CountMisplacedPieces(); ++i) selfSwaps.Add(1);  // odd: no flips

    board.RestoreCounters(12, 3);
    board.ResetCounters();
    board.ShufflePieces(true, selfSwaps.Source());

    EXPECT_EQ(selfSwaps.Recorded(), selfSwaps.Drawn());
    EXPECT_EQ(before.SourceColumn, board.Pieces[0][0].SourceColumn);
    EXPECT_EQ(before.SourceRow, board.Pieces[0][0].SourceRow);
    EXPECT_TRUE(board.Modified());
    EXPECT_EQ(0, board.MovesCount());
    EXPECT_EQ(3, board.WrongMoves());  // the window zeroes it after the shuffle
}

TEST(PuzzleBoardTest, FullBoardStaysAPermutationThroughShufflesAndMoves) {
    TPuzzleBoard board;
    StartGame(board, 30, 30);
    TSteppingRandom random(2024);
    const auto next = random.Source();
    for (int round = 0; round < 3; ++round) {
        board.ShufflePieces(true, next);
        ASSERT_TRUE(board.HoldsEveryPieceOnce());
        for (int move = 0; move < 200; ++move) {
            const int32_t dragColumn = static_cast<int32_t>(static_cast<uint32_t>(next()) % 30u);
            board.SetDragCell(dragColumn, static_cast<int32_t>(static_cast<uint32_t>(next()) % 30u));
            if (board.IsPieceInPlace(board.DragColumn(), board.DragRow())) continue;
            board.DropPiece(static_cast<int32_t>(static_cast<uint32_t>(next()) % 30u),
                            static_cast<int32_t>(static_cast<uint32_t>(next()) % 30u));
        }
        ASSERT_TRUE(board.HoldsEveryPieceOnce());
    }
    EXPECT_GT(board.MovesCount(), 0);
    EXPECT_LE(board.WrongMoves(), board.MovesCount());
}

TEST(PuzzleBoardTest, MoveSwapsDrawsOutlinesCountsAndUpdatesTheCursorInOrder) {
    TPuzzleBoard board;
    StartGame(board, 3, 2);
    board.SwapPieces(0, 0, 2, 1);
    board.ResetCounters();
    TRecordingView view(board);
    board.SetView(&view);

    board.SetDragCell(2, 1);
    EXPECT_TRUE(board.MovePiece(1, 0));

    const std::vector<std::string> expected{
        "PiecesSwapped 1,0 2,1",    "DrawPiece 1,0 holds 0,0", "DrawPiece 2,1 holds 1,0", "DrawCellOutlines 1,0",
        "DrawCellOutlines 2,1",     "ShowMoves 1 remaining 3", "UpdatePieceCursor 1,0",
    };
    EXPECT_EQ(expected, view.Calls);
    EXPECT_EQ(2, board.DragColumn());  // the drag cell stays
    EXPECT_EQ(1, board.DragRow());
    EXPECT_TRUE(board.Modified());
    EXPECT_EQ(0, board.WrongMoves());  // counting wrong moves is the drop's business

    view.Calls.clear();
    EXPECT_FALSE(board.MovePiece(2, 1));  // onto the drag cell itself
    EXPECT_TRUE(view.Calls.empty());
    EXPECT_EQ(1, board.MovesCount());
}

TEST(PuzzleBoardTest, DropRefusesTheDragCellAndPlacedPieces) {
    TPuzzleBoard board;
    StartGame(board, 3, 1);
    board.SwapPieces(0, 0, 1, 0);
    board.ResetCounters();
    board.SetDragCell(0, 0);

    EXPECT_FALSE(board.AcceptsDrop(0, 0));
    EXPECT_FALSE(board.AcceptsDrop(2, 0));  // piece in place
    EXPECT_FALSE(board.AcceptsDrop(3, 0));  // beyond the grid
    EXPECT_TRUE(board.AcceptsDrop(1, 0));
    board.DropPiece(0, 0);
    board.DropPiece(2, 0);
    EXPECT_EQ(0, board.MovesCount());
    EXPECT_EQ(0, board.WrongMoves());
    EXPECT_FALSE(board.Modified());
}

// Only the grid in play counts: a mirrored cell left outside it from a larger game does not.
TEST(PuzzleBoardTest, MirroredPiecesAreFoundOnlyInTheGridInPlay) {
    TPuzzleBoard board;
    StartGame(board, 3, 2);
    EXPECT_FALSE(board.HasMirroredPieces());
    board.Pieces[3][0].FlipHorizontal = true;
    board.Pieces[0][2].FlipVertical = true;
    EXPECT_FALSE(board.HasMirroredPieces());
    board.Pieces[2][1].FlipVertical = true;
    EXPECT_TRUE(board.HasMirroredPieces());
    board.Pieces[2][1].FlipVertical = false;
    board.Pieces[0][0].FlipHorizontal = true;
    EXPECT_TRUE(board.HasMirroredPieces());
}

TEST(PuzzleBoardTest, FlippedPieceDroppedOnItsPlaceIsRightAndKeepsItsFlags) {
    TPuzzleBoard board;
    StartGame(board, 2, 2);
    board.SwapPieces(0, 0, 1, 1);
    board.Pieces[1][1].FlipHorizontal = true;  // piece (0,0), mirrored
    board.ResetCounters();
    TRecordingView view(board);
    board.SetView(&view);

    board.SetDragCell(1, 1);
    board.DropPiece(0, 0);

    EXPECT_EQ(0, board.CountMisplacedPieces());
    EXPECT_EQ(1, board.MovesCount());
    EXPECT_EQ(0, board.WrongMoves());
    EXPECT_TRUE(board.Pieces[0][0].FlipHorizontal);
    EXPECT_FALSE(board.DrawnPiece(0, 0).FlipHorizontal);
    EXPECT_EQ("ShowMoves 1 remaining 0", view.Calls[5]);
    EXPECT_EQ(7u, view.Calls.size());  // no wrong-move label
}

TEST(PuzzleBoardTest, WrongMoveLooksOnlyAtTheDraggedPiece) {
    // Cell 0 holds piece 2, cell 1 piece 0, cell 2 piece 1. Dragging piece 2 onto cell 1 sends
    // piece 0 home, but piece 2 lands away from its place.
    TPuzzleBoard board;
    StartGame(board, 3, 1);
    board.SwapPieces(0, 0, 2, 0);
    board.SwapPieces(1, 0, 2, 0);
    board.ResetCounters();
    ASSERT_EQ(2, board.Pieces[0][0].SourceColumn);
    ASSERT_EQ(0, board.Pieces[1][0].SourceColumn);
    ASSERT_EQ(3, board.CountMisplacedPieces());
    TRecordingView view(board);
    board.SetView(&view);

    board.SetDragCell(0, 0);
    board.DropPiece(1, 0);

    EXPECT_EQ(1, board.MovesCount());
    EXPECT_EQ(1, board.WrongMoves());
    EXPECT_EQ(2, board.CountMisplacedPieces());
    ASSERT_EQ(8u, view.Calls.size());
    EXPECT_EQ("UpdatePieceCursor 1,0", view.Calls[6]);
    EXPECT_EQ("ShowWrongMoves 1", view.Calls[7]);
}

TEST(PuzzleBoardTest, CountersStopAtTheirLargestValue) {
    // Counters can come from a saved game; counting past the top must not wrap or overflow.
    TPuzzleBoard board;
    StartGame(board, 3, 1);
    board.SwapPieces(0, 0, 2, 0);
    board.SwapPieces(1, 0, 2, 0);
    board.RestoreCounters(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
    board.SetDragCell(0, 0);
    board.DropPiece(1, 0);  // a wrong move: piece 2 lands on cell 1
    EXPECT_EQ(std::numeric_limits<int32_t>::max(), board.MovesCount());
    EXPECT_EQ(std::numeric_limits<int32_t>::max(), board.WrongMoves());
    EXPECT_EQ(2, board.Pieces[1][0].SourceColumn);  // the move itself still happened
}

TEST(PuzzleBoardTest, TogglesRedrawButAreNotMoves) {
    TPuzzleBoard board;
    StartGame(board, 2, 2);
    board.SwapPieces(0, 1, 1, 0);
    board.ResetCounters();
    board.RestoreCounters(4, 2);
    TRecordingView view(board);
    board.SetView(&view);

    board.ToggleFlipHorizontal(0, 1);
    EXPECT_TRUE(board.Pieces[0][1].FlipHorizontal);
    board.ToggleFlipVertical(0, 1);
    EXPECT_TRUE(board.Pieces[0][1].FlipVertical);
    board.ToggleFlipHorizontal(0, 1);
    board.ToggleFlipVertical(0, 1);
    EXPECT_FALSE(board.Pieces[0][1].FlipHorizontal || board.Pieces[0][1].FlipVertical);

    EXPECT_EQ(4, board.MovesCount());
    EXPECT_EQ(2, board.WrongMoves());
    EXPECT_FALSE(board.Modified());
    ASSERT_EQ(8u, view.Calls.size());
    for (size_t i = 0; i < view.Calls.size(); i += 2) {
        EXPECT_EQ("DrawPiece 0,1 holds 1,0", view.Calls[i]);
        EXPECT_EQ("DrawCellOutlines 0,1", view.Calls[i + 1]);
    }
}

TEST(PuzzleBoardTest, PermutationCheckRefusesRepeatedMissingAndOutsidePieces) {
    TPuzzleBoard board;
    EXPECT_FALSE(board.HoldsEveryPieceOnce());  // no grid in play yet
    StartGame(board, 3, 2);
    EXPECT_TRUE(board.HoldsEveryPieceOnce());

    TPuzzleBoard repeated = board;
    repeated.Pieces[2][1] = repeated.Pieces[0][0];
    EXPECT_FALSE(repeated.HoldsEveryPieceOnce());

    TPuzzleBoard outside = board;
    outside.Pieces[1][1].SourceColumn = 3;  // a place beyond the grid, inside the array
    EXPECT_FALSE(outside.HoldsEveryPieceOnce());
    outside.Pieces[1][1].SourceColumn = -1;
    EXPECT_FALSE(outside.HoldsEveryPieceOnce());

    TPuzzleBoard tooLarge = board;
    tooLarge.ResultedColumns = 31;
    EXPECT_FALSE(tooLarge.HoldsEveryPieceOnce());
}

TEST(PuzzleBoardTest, TakingOverALoadedGameKeepsModifiedDragCellAndView) {
    TPuzzleBoard screen;
    StartGame(screen, 5, 5);
    screen.SwapPieces(0, 0, 1, 0);
    screen.SetDragCell(1, 0);
    TRecordingView view(screen);
    screen.SetView(&view);

    TPuzzleBoard loaded;
    StartGame(loaded, 2, 3);
    loaded.SwapPieces(0, 0, 1, 2);
    loaded.RestoreCounters(7, -4);
    EXPECT_EQ(0, loaded.WrongMoves());  // a negative count reads as none

    screen.TakeOverGame(loaded);
    EXPECT_EQ(2, screen.ResultedColumns);
    EXPECT_EQ(3, screen.ResultedRows);
    EXPECT_EQ(1, screen.Pieces[0][0].SourceColumn);
    EXPECT_EQ(2, screen.Pieces[0][0].SourceRow);
    EXPECT_EQ(7, screen.MovesCount());
    EXPECT_TRUE(screen.Modified());  // loading is not a change, nor does it undo one
    EXPECT_EQ(1, screen.DragColumn());
    EXPECT_TRUE(view.Calls.empty());
    screen.MarkSaved();
    EXPECT_FALSE(screen.Modified());
}

// Moves and flips are taken back in reverse order as far as the shuffle, and made again; the
// counters keep every move made and every wrong move, a new move ends what could be made again,
// and a solved puzzle takes nothing back.
TEST(PuzzleBoardTest, UndoAndRedoOfSwapsAndFlipsKeepTheCounters) {
    TPuzzleBoard board;
    StartGame(board, 3, 1);
    board.SwapPieces(0, 0, 1, 0);  // 1,0 | 0,0 | 2,0
    board.SwapPieces(0, 0, 2, 0);  // 2,0 | 0,0 | 1,0
    board.ResetCounters();
    TRecordingView view(board);
    board.SetView(&view);
    EXPECT_FALSE(board.CanUndo());

    board.SetDragCell(0, 0);
    board.DropPiece(1, 0);  // 0,0 | 2,0 | 1,0: a wrong move
    board.ToggleFlipVertical(1, 0);
    EXPECT_EQ(1, board.MovesCount());
    EXPECT_EQ(1, board.WrongMoves());
    board.MarkSaved();
    view.Calls.clear();

    ASSERT_TRUE(board.UndoMove());  // the flip first
    EXPECT_FALSE(board.Pieces[1][0].FlipVertical);
    EXPECT_FALSE(board.Modified());
    ASSERT_TRUE(board.UndoMove());
    EXPECT_EQ(2, board.Pieces[0][0].SourceColumn);
    EXPECT_EQ(0, board.Pieces[1][0].SourceColumn);
    EXPECT_TRUE(board.Modified());
    EXPECT_FALSE(board.UndoMove()) << "nothing before the shuffle";
    EXPECT_EQ(1, board.MovesCount());
    EXPECT_EQ(1, board.WrongMoves());
    const std::vector<std::string> drawn{
        "DrawPiece 1,0 holds 2,0",  "DrawCellOutlines 1,0", "PiecesSwapped 1,0 0,0", "DrawPiece 1,0 holds 0,0",
        "DrawCellOutlines 1,0",     "DrawPiece 0,0 holds 2,0", "DrawCellOutlines 0,0", "ShowMoves 1 remaining 3",
    };
    EXPECT_EQ(drawn, view.Calls);

    ASSERT_TRUE(board.RedoMove());
    ASSERT_TRUE(board.RedoMove());
    EXPECT_TRUE(board.Pieces[1][0].FlipVertical);
    EXPECT_EQ(2, board.Pieces[1][0].SourceColumn);
    EXPECT_FALSE(board.RedoMove());
    ASSERT_TRUE(board.UndoMove());
    board.SetDragCell(1, 0);
    board.DropPiece(2, 0);  // 0,0 | 1,0 | 2,0: solved, and nothing left to make again
    EXPECT_FALSE(board.CanRedo());
    EXPECT_EQ(0, board.CountMisplacedPieces());
    EXPECT_FALSE(board.CanUndo());
    EXPECT_FALSE(board.UndoMove());
    EXPECT_EQ(2, board.MovesCount());
    EXPECT_EQ(1, board.WrongMoves());

    board.ShufflePieces(false, TSteppingRandom(7).Source());
    EXPECT_FALSE(board.CanUndo()) << "a shuffle starts a new history";
}

}  // namespace
