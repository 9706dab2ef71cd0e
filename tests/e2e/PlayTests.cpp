// A whole game in the real program, played as a person would: a picture made for the test is
// loaded through the file dialog, shuffled, pieces are flipped, marked and dragged with real
// pointer events until the picture is whole, and every step is checked on the labels and on the
// pixels of the pictures. Then many games in a row in one window, made in this process so that
// what the process holds can be counted.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Include/PictureDecoderClient.h"
#include "Tilvane/TilvaneIds.h"
#include "support/HostWindow.h"
#include "support/ProcessResources.h"
#include "support/RecordingErrorView.h"
#include "support/SoakRound.h"
#include "support/TilvaneFormAccess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const int Grid = 7;

class PlayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        game = std::make_unique<TGameProcess>("play");
        ASSERT_TRUE(game->WaitForMainWindow());
        const SIZE piece = PieceSizeFilling(game->Control(idPuzzlePictureGroupBox), Grid, Grid);
        pieceWidth = piece.cx;
        pieceHeight = piece.cy;
        ASSERT_GT(pieceWidth, 8);
        ASSERT_GT(pieceHeight, 8);
        picturePath = game->PathOf("picture.bmp");
        WriteFileBytes(picturePath, QuadrantPicture(Grid, Grid, pieceWidth, pieceHeight));
    }

    HWND PuzzleImage() const { return game->Control(idPuzzlePictureImage); }
    HWND OriginalImage() const { return game->Control(idOriginalPictureImage); }
    std::string Label(int id) const { return game->ControlText(id); }

    bool WaitForLabel(int id, const std::string& text) {
        return WaitUntil([&] { return Label(id) == text; });
    }

    void LoadPictureThroughDialog() {
        game->Key(VK_F5);
        ASSERT_TRUE(AnswerFileDialog(game->ProcessId(), picturePath));
        ASSERT_TRUE(WaitForLabel(idTipsLabel, RandomizeTip)) << Label(idTipsLabel);
    }

    POINT CellCentre(int column, int row) const {
        return ClientPointOnScreen(PuzzleImage(), column * pieceWidth + pieceWidth / 2, row * pieceHeight + pieceHeight / 2);
    }

    // Read from the screen, so every cell must be in sight: a window over the puzzle would be
    // read as misplaced pieces.
    std::vector<TShownPiece> Board() const {
        for (int cell = 0; cell < Grid * Grid; ++cell) {
            const POINT centre = CellCentre(cell % Grid, cell / Grid);
            if (WindowFromPoint(centre) != PuzzleImage())
                ADD_FAILURE() << "cell " << cell << " is covered by " << DescribeWindowAt(centre) << " (the game is "
                              << game->ProcessId() << ")";
        }
        return ShownBoard(SettledPixels(PuzzleImage(), game->MainWindow()), Grid, Grid);
    }

    static int Misplaced(const std::vector<TShownPiece>& board) {
        int count = 0;
        for (int cell = 0; cell < Grid * Grid; ++cell) count += board[cell].Piece != cell;
        return count;
    }

    std::string RemainingText(int misplaced) const {
        return misplaced == 0 ? "The puzzle is solved."
                              : "There are " + std::to_string(misplaced) + " pieces remaining to be placed correctly.";
    }

    // Cells whose pieces are away from home, in board order.
    static std::vector<int> MisplacedCells(const std::vector<TShownPiece>& board) {
        std::vector<int> cells;
        for (int cell = 0; cell < Grid * Grid; ++cell)
            if (board[cell].Piece != cell) cells.push_back(cell);
        return cells;
    }

    // What the screen shows in the cell of the puzzle now, the floating piece included.
    TShownPiece ScreenPieceIn(const TPixels& shown, int cell) const {
        return ShownPieceAt(shown, (cell % Grid) * pieceWidth + pieceWidth / 4, (cell / Grid) * pieceHeight + pieceHeight / 4,
                            Grid, Grid);
    }
    COLORREF ScreenCentreOf(const TPixels& shown, int cell) const {
        return shown.At((cell % Grid) * pieceWidth + pieceWidth / 2, (cell / Grid) * pieceHeight + pieceHeight / 2);
    }
    POINT CellCentre(int cell) const { return CellCentre(cell % Grid, cell / Grid); }

    void Drag(int fromCell, int toCell) {
        pressSpacing.BeforePress(fromCell);
        const std::string moves = Label(idMovesCountLabel);
        DragFromTo(CellCentre(fromCell % Grid, fromCell / Grid), CellCentre(toCell % Grid, toCell / Grid));
        ASSERT_TRUE(WaitUntil([&] { return Label(idMovesCountLabel) != moves; })) << "the drop was not taken";
    }

    std::unique_ptr<TGameProcess> game;
    TDoubleClickSpacing pressSpacing;
    int pieceWidth = 0, pieceHeight = 0;
    std::string picturePath;
};

TEST_F(PlayEndToEnd, LoadedPictureStartsSolvedWithItsGrid) {
    LoadPictureThroughDialog();
    EXPECT_EQ(WindowText(game->MainWindow()), "Tilvane");
    RECT puzzle = {}, original = {};
    GetClientRect(PuzzleImage(), &puzzle);
    GetClientRect(OriginalImage(), &original);
    EXPECT_EQ(puzzle.right, Grid * pieceWidth);
    EXPECT_EQ(puzzle.bottom, Grid * pieceHeight);
    EXPECT_EQ(original.right % Grid, 0);
    EXPECT_EQ(original.bottom % Grid, 0);
    EXPECT_EQ(Label(idMovesCountLabel), "");
    EXPECT_EQ(Label(idRemainingCountLabel), "");
    EXPECT_EQ(Label(idWrongMovesLabel), "");
    const std::vector<TShownPiece> board = Board();
    for (int cell = 0; cell < Grid * Grid; ++cell) EXPECT_EQ(board[cell], (TShownPiece{cell, false, false})) << cell;
}

TEST_F(PlayEndToEnd, ShuffleFlipMarkHintAndSolveByDragging) {
    LoadPictureThroughDialog();
    // Flipping on, then shuffle.
    ClickAt(CenterOnScreen(game->Control(idAllowFlipCheckBox)));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(game->Control(idAllowFlipCheckBox), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    game->Key('R', modAlt);
    ASSERT_TRUE(WaitForLabel(idTipsLabel, DragTip));
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 0 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 0 wrong moves.");
    std::vector<TShownPiece> board = Board();
    for (const TShownPiece& shown : board) ASSERT_GE(shown.Piece, 0) << "every cell shows a piece of the picture";
    int misplaced = Misplaced(board);
    ASSERT_GT(misplaced, 1);
    EXPECT_EQ(Label(idRemainingCountLabel), RemainingText(misplaced));

    int first = 0;
    while (board[first].Piece == first) ++first;
    const int column = first % Grid, row = first / Grid;

    // Ctrl mirrors left to right, Shift top to bottom; neither is a move.
    const TShownPiece before = board[first];
    pressSpacing.BeforePress(first);
    ClickAt(CellCentre(column, row), modCtrl);

    ASSERT_TRUE(WaitUntil([&] { return Board()[first].FlipHorizontal != before.FlipHorizontal; }));
    pressSpacing.BeforePress(first);
    ClickAt(CellCentre(column, row), modShift);
    ASSERT_TRUE(WaitUntil([&] { return Board()[first].FlipVertical != before.FlipVertical; }));
    EXPECT_EQ(Board()[first].Piece, before.Piece);
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 0 moves.");

    // The pointer is a hand over a piece that can move, and Ctrl+Alt shows where it belongs.
    MoveMouse(CellCentre(column, row));
    MoveMouse(CellCentre(column, row));
    EXPECT_TRUE(WaitForLabel(idPositionLabel, "Column " + std::to_string(column + 1) + ". Row " +
                                                  std::to_string(row + 1) + "."));
    const TShownPiece flipped = Board()[first];
    const std::string expectedHint = "Column " + std::to_string(flipped.Piece % Grid + 1) + "; Row " +
                                     std::to_string(flipped.Piece / Grid + 1) + "; Flip horiz " +
                                     (flipped.FlipHorizontal ? "YES" : "NO") + "; Flip vert " +
                                     (flipped.FlipVertical ? "YES" : "NO");
    bool hintShown = false;
    {
        THeldModifiers held(modCtrl | modAlt);
        MoveMouse(ClientPointOnScreen(PuzzleImage(), column * pieceWidth + pieceWidth / 3, row * pieceHeight + pieceHeight / 3));
        hintShown = WaitUntil([&] {
            HWND tip = FindTopLevelWindow(game->ProcessId(), [](HWND window) {
                return WindowClass(window) == "tooltips_class32";
            });
            return tip && WindowText(tip) == expectedHint;
        });
    }
    // Moving on without the keys hides the hint again.
    MoveMouse(CellCentre(column, row));
    EXPECT_TRUE(WaitUntil([&] {
        return !FindTopLevelWindow(game->ProcessId(), [](HWND window) { return WindowClass(window) == "tooltips_class32"; });
    })) << "the hint hides when the pointer moves without Ctrl and Alt";
    EXPECT_TRUE(hintShown) << "expected hint: " << expectedHint;

    // The right button marks a cell in red in both pictures.
    RightClickAt(CellCentre(column, row));
    EXPECT_TRUE(WaitUntil([&] {
        const TPixels pixels = SettledPixels(PuzzleImage(), game->MainWindow());
        return pixels.At(column * pieceWidth + pieceWidth / 2, row * pieceHeight) == RGB(255, 0, 0);
    })) << "red outline on the puzzle";
    RECT original = {};
    GetClientRect(OriginalImage(), &original);
    const int originalCellWidth = original.right / Grid, originalCellHeight = original.bottom / Grid;
    EXPECT_EQ(SettledPixels(OriginalImage(), game->MainWindow())
                  .At(column * originalCellWidth + originalCellWidth / 2, row * originalCellHeight),
              RGB(255, 0, 0))
        << "red outline on the original";

    // One wrong move: a misplaced piece dropped on a place that is not its own.
    board = Board();
    int wrongTarget = -1;
    for (int cell = 0; cell < Grid * Grid && wrongTarget < 0; ++cell)
        if (cell != first && board[cell].Piece != cell && board[first].Piece != cell) wrongTarget = cell;
    ASSERT_GE(wrongTarget, 0);
    const TShownPiece moving = board[first], other = board[wrongTarget];
    Drag(first, wrongTarget);
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 1 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 1 wrong moves.");
    board = Board();
    EXPECT_EQ(board[wrongTarget].Piece, moving.Piece);
    EXPECT_EQ(board[first].Piece, other.Piece == first ? first : other.Piece);
    EXPECT_EQ(Label(idRemainingCountLabel), RemainingText(Misplaced(board)));
    EXPECT_EQ(Label(idPlayTimeLabel).rfind("Time: ", 0), 0u) << "the clock runs from the first move";

    // Backspace takes the move back and Shift+Backspace makes it again; the counters stay.
    game->Key(VK_BACK);
    EXPECT_TRUE(WaitUntil([&] { return Board()[first].Piece == moving.Piece; })) << "the move is taken back";
    EXPECT_EQ(Board()[wrongTarget].Piece, other.Piece);
    game->Key(VK_BACK, modShift);
    EXPECT_TRUE(WaitUntil([&] { return Board()[wrongTarget].Piece == moving.Piece; })) << "the move is made again";
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 1 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 1 wrong moves.");

    // Now every piece home, one drag each.
    int moves = 1;
    for (int home = 0; home < Grid * Grid; ++home) {
        board = Board();
        if (board[home].Piece == home) continue;
        int from = 0;
        while (board[from].Piece != home) ++from;
        const int displaced = board[home].Piece;
        Drag(from, home);
        ++moves;
        ASSERT_EQ(Label(idMovesCountLabel), "You have made " + std::to_string(moves) + " moves.");
        ASSERT_EQ(Label(idWrongMovesLabel), "You have made 1 wrong moves.") << "a piece put home is no wrong move";
        const std::vector<TShownPiece> after = Board();
        EXPECT_EQ(after[home], (TShownPiece{home, false, false})) << "a piece at home is shown unmirrored";
        EXPECT_EQ(after[from].Piece, displaced);
        if (Misplaced(after) > 0) {
            EXPECT_EQ(Label(idRemainingCountLabel), RemainingText(Misplaced(after)));
        }
    }
    EXPECT_TRUE(WaitForLabel(idRemainingCountLabel, "The puzzle is solved."));
    EXPECT_EQ(Label(idTipsLabel), StartTip);
    const std::string time = Label(idPlayTimeLabel);
    EXPECT_TRUE(time.rfind("Time: ", 0) == 0 && time.find(" (best") != std::string::npos) << time;
    // The solved picture has no lines: a border pixel shows the picture itself.
    const TPixels solved = SettledPixels(PuzzleImage(), game->MainWindow());
    EXPECT_TRUE(NearColour(solved.At(pieceWidth / 4, 0), QuadrantColour(0, 0, 0, Grid, Grid)));
    EXPECT_TRUE(NearColour(solved.At(pieceWidth + pieceWidth / 4, pieceHeight), QuadrantColour(1, 1, 0, Grid, Grid)));
}

// A piece dragged onto the original picture lands on the cell it is dropped on there.
TEST_F(PlayEndToEnd, PieceDroppedOnTheOriginalPictureGoesToThatCell) {
    LoadPictureThroughDialog();
    game->Key('R', modAlt);
    ASSERT_TRUE(WaitForLabel(idTipsLabel, DragTip));

    std::vector<TShownPiece> board = Board();
    int from = 0;
    while (from < Grid * Grid && board[from].Piece == from) ++from;
    ASSERT_LT(from, Grid * Grid);
    const int home = board[from].Piece, displaced = board[home].Piece;
    RECT original = {};
    GetClientRect(OriginalImage(), &original);
    const int cellWidth = original.right / Grid, cellHeight = original.bottom / Grid;
    const POINT target = ClientPointOnScreen(OriginalImage(), (home % Grid) * cellWidth + cellWidth / 2,
                                             (home / Grid) * cellHeight + cellHeight / 2);
    DragFromTo(CellCentre(from % Grid, from / Grid), target);
    ASSERT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 1 moves.")) << Label(idMovesCountLabel);
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 0 wrong moves.");
    board = Board();
    EXPECT_EQ(board[home], (TShownPiece{home, false, false})) << "the piece is home, unmirrored";
    EXPECT_EQ(board[from].Piece, displaced);
}

// The piece in the hand travels under the pointer while its cell shows empty, and lands where it
// is let go; Escape puts a dragged piece back; two drags quicker than a slide both count.
TEST_F(PlayEndToEnd, TheDraggedPieceTravelsWithThePointerAndNoQuickMoveIsLost) {
    LoadPictureThroughDialog();
    game->Key('R', modAlt);
    ASSERT_TRUE(WaitForLabel(idTipsLabel, DragTip));
    std::vector<TShownPiece> board = Board();
    int from = -1;
    for (int cell : MisplacedCells(board))
        if (from < 0 && cell % Grid < Grid - 1 && board[cell + 1].Piece != cell + 1) from = cell;
    ASSERT_GE(from, 0) << "two neighbours away from home";
    const int over = from + 1;
    const COLORREF empty = GetSysColor(COLOR_APPWORKSPACE);
    pressSpacing.BeforePress(from);
    {
        // Held at the middle of the piece, over the next cell: the piece covers that cell.
        THeldDrag held(CellCentre(from), CellCentre(over));
        EXPECT_TRUE(WaitUntil([&] {
            const TPixels shown = CaptureClientPixels(PuzzleImage());
            return ScreenPieceIn(shown, over) == board[from] && ScreenCentreOf(shown, from) == empty;
        })) << "the piece is under the pointer and its cell shows empty";
    }
    ASSERT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 1 moves.")) << Label(idMovesCountLabel);
    EXPECT_EQ(Label(idWrongMovesLabel),
              "You have made " + std::to_string(board[from].Piece == over ? 0 : 1) + " wrong moves.");
    std::vector<TShownPiece> after = Board();
    EXPECT_EQ(after[over].Piece, board[from].Piece);
    EXPECT_EQ(after[from].Piece, board[over].Piece);

    // Escape during a drag: the piece goes back, nothing is counted.
    board = after;
    std::vector<int> misplaced = MisplacedCells(board);
    ASSERT_GE(misplaced.size(), 6u);
    const std::string wrongMoves = Label(idWrongMovesLabel);
    pressSpacing.BeforePress(misplaced[0]);
    {
        THeldDrag held(CellCentre(misplaced[0]), CellCentre(misplaced[1]));
        EXPECT_TRUE(WaitUntil([&] {
            return ScreenCentreOf(CaptureClientPixels(PuzzleImage()), misplaced[0]) == empty;
        })) << "the drag has begun";
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] {
            const TPixels shown = CaptureClientPixels(PuzzleImage());
            return ScreenPieceIn(shown, misplaced[0]) == board[misplaced[0]] &&
                   ScreenPieceIn(shown, misplaced[1]) == board[misplaced[1]];
        })) << "the piece is back in its cell";
    }
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 1 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), wrongMoves);
    EXPECT_EQ(Board(), board);

    // Two drags in one burst of input, far quicker than a slide lasts.
    pressSpacing.BeforePress(misplaced[2]);
    DragInOneBurst({{CellCentre(misplaced[2]), CellCentre(misplaced[3])}, {CellCentre(misplaced[4]), CellCentre(misplaced[5])}});
    EXPECT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 3 moves.")) << Label(idMovesCountLabel);
    after = Board();
    for (const auto& swap : {std::pair<int, int>{misplaced[2], misplaced[3]}, {misplaced[4], misplaced[5]}}) {
        EXPECT_EQ(after[swap.first].Piece, board[swap.second].Piece);
        EXPECT_EQ(after[swap.second].Piece, board[swap.first].Piece);
    }
}

TEST_F(PlayEndToEnd, SecondCopyEndsAtOnceWhileTheFirstRuns) {
    TChildProcess second("\"" + game->ProgramPath() + "\"", game->Folder());
    ASSERT_TRUE(second.Started());
    ASSERT_TRUE(second.Wait(StepTimeout));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(game->Running());
    EXPECT_EQ(game->Close(), 0u);
}

// Twenty rounds of the soak benchmark's round (support/SoakRound.h), the decoder process started
// anew every ten; after every ten the GDI objects are exactly as after the first round, the USER
// objects and the handles within their slack. The benchmark plays 200 and watches the memory too.
TEST(LongSessionEndToEnd, TwentyGamesInARowGiveBackTheirObjectsAndHandles) {
    EnsureMainWindow();
    TTilvaneForm form;
    TTilvaneFormTestAccess inside(form);
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    inside.ArrangeWindow();
    struct TDecoderEnded {
        ~TDecoderEnded() { EndPictureDecoder(); }
    } decoderEndedOnEveryWayOut;
    const TRecordedFailures failures;
    const soak::TPictureFolder pictures;
    ASSERT_TRUE(pictures.Ready()) << "the test pictures are missing from " << soak::TPictureFolder::StagedPictures;
    inside.LoadGameFromPicture(pictures.FirstPicture());
    std::mt19937 random(20240611);
    TProcessResources afterFirstRound;
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(soak::PlayRound(inside, pictures.GameFile(), random, round % 10 == 0), "");
        ASSERT_EQ(failures.View.Descriptions, std::vector<std::string>());
        if (round == 1) afterFirstRound = CountProcessResources();
        if (round % 10 != 0) continue;
        const TProcessResources now = CountProcessResources();
        EXPECT_EQ(now.GdiObjects, afterFirstRound.GdiObjects);
        EXPECT_LE(std::abs(static_cast<int>(now.UserObjects) - static_cast<int>(afterFirstRound.UserObjects)),
                  soak::UserSlack);
        EXPECT_LE(now.Handles, afterFirstRound.Handles + soak::HandleSlack);
    }
}

// The counts move with every kind of object made and freed, so that a count blind to them (a
// table the system no longer answers from) cannot pass the long session.
TEST(LongSessionEndToEnd, CountsFollowEveryKindOfObjectMadeAndFreed) {
    EnsureMainWindow();  // the thread's first window brings windows of the system's with it
    const int blockBytes = 100000, regionBytes = 4 << 20;
    const TProcessResources before = CountProcessResources();
    const HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    const HMENU menu = CreatePopupMenu();
    ACCEL key = {FVIRTKEY, 'N', 1};
    const HACCEL keys = CreateAcceleratorTableA(&key, 1);
    const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    void* const block = HeapAlloc(GetProcessHeap(), 0, blockBytes);
    void* const region = VirtualAlloc(nullptr, regionBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (region) memset(region, 1, regionBytes);  // memory that is used, not only promised
    const TProcessResources made = CountProcessResources();
    VirtualFree(region, 0, MEM_RELEASE);
    HeapFree(GetProcessHeap(), 0, block);
    CloseHandle(event);
    DestroyWindow(window);
    DestroyAcceleratorTable(keys);
    DestroyMenu(menu);
    DeleteObject(bitmap);
    const TProcessResources freed = CountProcessResources();

    EXPECT_EQ(made.GdiObjects, before.GdiObjects + 1);
    EXPECT_EQ(made.UserObjects, before.UserObjects + 3);
    EXPECT_EQ(made.Handles, before.Handles + 1);
    EXPECT_GE(made.HeapUsedBytes, before.HeapUsedBytes + blockBytes);
    EXPECT_GE(made.PrivateBytes, before.PrivateBytes + regionBytes);
    EXPECT_EQ(freed.GdiObjects, before.GdiObjects);
    EXPECT_EQ(freed.UserObjects, before.UserObjects);
    EXPECT_EQ(freed.Handles, before.Handles);
}

}  // namespace
