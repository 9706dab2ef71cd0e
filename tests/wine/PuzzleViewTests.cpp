// The puzzle view on a window of its own, with its own board and an owner that records what the
// view tells it: the keys play the board by its rules and the owner hears of each move in order.
#include "Framework/Application.h"
#include "Tilvane/PuzzleView.h"
#include "Tilvane/TilvaneIds.h"
#include "support/HostWindow.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

class TRecordingOwner : public TPuzzleViewOwner {
public:
    void MoveStarting() override { Calls.push_back("MoveStarting"); }
    void MovesChanged() override { Calls.push_back("MovesChanged"); }
    void WrongMoveMade() override { Calls.push_back("WrongMoveMade"); }
    void ShowPosition(const std::string& text) override { Position = text; }
    bool LightGrid() const override { return false; }
    bool MirroringAllowed() const override {
        Calls.push_back("MirroringAllowed");
        return Mirroring;
    }
    mutable std::vector<std::string> Calls;
    std::string Position;
    bool Mirroring = false;
};

// The system's setting for animations turned off while it lives, and back as it was on every
// way out of a test.
class TSystemAnimationOff {
public:
    bool Set() {
        return SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &before_, 0) &&
               (changed_ = SystemParametersInfoA(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<PVOID>(FALSE), 0));
    }
    ~TSystemAnimationOff() {
        if (changed_)
            SystemParametersInfoA(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(before_)), 0);
    }

private:
    BOOL before_ = TRUE;
    BOOL changed_ = FALSE;
};

class PuzzleViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureMainWindow();
        window = std::make_unique<TForm>();
        window->CreateForm("Puzzle view test", WS_POPUP | WS_CAPTION, 0, 760, 520, "Arial", 9);
        ShowWindow(window->Handle(), SW_SHOWNOACTIVATE);  // a hidden window shows no pictures to play
        originalBox = std::make_unique<TGroupBox>(*window, "Original", 5, 189, 340, 285, idOriginalPictureGroupBox);
        puzzleBox = std::make_unique<TGroupBox>(*window, "Puzzle", 350, 5, 405, 470, idPuzzlePictureGroupBox);
        view = std::make_unique<TPuzzleView>(*window, *originalBox, *puzzleBox);
        board.ResetPieces(TPuzzleBoard::MaxColumns, TPuzzleBoard::MaxRows);
        view->Show(board, owner);
        const std::string path = folder / "stripes.bmp";
        WriteFileBytes(path, BitmapFileBytes(140, 140, [](int x, int y) { return RGB(x, y, (x + y) / 2); }));
        std::unique_ptr<TPicture> picture = LoadPictureFile(path, view->PictureAreas());
        ASSERT_TRUE(picture);
        ASSERT_TRUE(view->ShowPicture(*picture, view->PieceSizeFor(TGridChoice{7, 7}), TPuzzleBoard::MaxColumns,
                                      TPuzzleBoard::MaxRows));
        ASSERT_GE(board.ResultedColumns, 4);
        board.ResetPieces(board.ResultedColumns, board.ResultedRows);
        board.ResetCounters();
    }
    void TearDown() override {
        view.reset();
        puzzleBox.reset();
        originalBox.reset();
        window.reset();
    }

    // A key on the puzzle image, with the modifiers held in the thread's key state.
    void Press(WORD key, std::initializer_list<BYTE> held = {}) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        for (BYTE modifier : held) state[modifier] |= 0x80;
        SetKeyboardState(state);
        SendMessageA(Image(idPuzzlePictureImage).Handle(), WM_KEYDOWN, key, 0);
        for (BYTE modifier : held) state[modifier] &= static_cast<BYTE>(~0x80);
        SetKeyboardState(state);
    }
    // Lifts the piece of the first cell and drops it on that cell of the first row.
    void MoveFirstPieceTo(int32_t column) {
        view->FocusPuzzle();
        Press(VK_RETURN);
        for (int32_t c = 0; c < column; ++c) Press(VK_RIGHT);
        Press(VK_RETURN);
    }
    // What the window shows of the cell now, the overlay included, against its bitmap: the
    // inside of the cell, clear of any frame.
    bool ScreenShowsTheBitmapIn(TImage& image, RECT cell) {
        UpdateWindow(image.Handle());
        InflateRect(&cell, -3, -3);
        HDC screen = GetDC(image.Handle());
        bool same = true;
        for (int y = cell.top; y < cell.bottom && same; y += 2)
            for (int x = cell.left; x < cell.right && same; x += 2)
                same = (GetPixel(screen, x, y) & 0xFFFFFF) == (GetPixel(image.Canvas(), x, y) & 0xFFFFFF);
        ReleaseDC(image.Handle(), screen);
        return same;
    }
    TImage& Image(int id) {
        return *dynamic_cast<TImage*>(TWindow::FromHandle(GetDlgItem(puzzleBox->Handle(), id)));
    }

    TTempFolder folder{"puzzle-view"};
    std::unique_ptr<TForm> window;
    std::unique_ptr<TGroupBox> originalBox, puzzleBox;
    TPuzzleBoard board;
    TRecordingOwner owner;
    std::unique_ptr<TPuzzleView> view;
};

TEST_F(PuzzleViewTest, ASolvingMoveIsToldBeforeAndAfterItAndShowsTheWholePicture) {
    board.SwapPieces(0, 0, 1, 0);
    view->ShowShuffled();
    owner.Calls.clear();

    MoveFirstPieceTo(1);

    EXPECT_EQ(owner.Calls, (std::vector<std::string>{"MoveStarting", "MovesChanged"}));
    EXPECT_EQ(board.CountMisplacedPieces(), 0);
    const TImage& puzzle = Image(idPuzzlePictureImage);
    const TImage& backup = Image(idBackupPictureImage);
    ASSERT_EQ(puzzle.BitmapWidth(), backup.BitmapWidth());
    const size_t pixels = static_cast<size_t>(puzzle.BitmapWidth()) * puzzle.BitmapHeight();
    EXPECT_TRUE(std::equal(puzzle.Pixels(), puzzle.Pixels() + pixels, backup.Pixels()))
        << "the solved puzzle shows the unshuffled picture without a grid";
}

TEST_F(PuzzleViewTest, OnlyAWrongDropIsToldAsAWrongMove) {
    board.SwapPieces(0, 0, 1, 0);
    board.SwapPieces(2, 0, 3, 0);
    view->ShowShuffled();
    owner.Calls.clear();

    MoveFirstPieceTo(2);  // the piece of (1, 0) to (2, 0)

    EXPECT_EQ(owner.Calls, (std::vector<std::string>{"MoveStarting", "MovesChanged", "WrongMoveMade"}));
    EXPECT_EQ(owner.Position, "Column 3. Row 1.");
}

TEST_F(PuzzleViewTest, MirrorKeysAskTheOwnerFirst) {
    board.SwapPieces(0, 0, 1, 0);
    view->ShowShuffled();
    view->FocusPuzzle();
    owner.Calls.clear();

    Press(VK_RETURN, {VK_CONTROL});
    EXPECT_EQ(owner.Calls, (std::vector<std::string>{"MirroringAllowed"}));
    EXPECT_FALSE(board.Pieces[0][0].FlipHorizontal) << "refused while the owner allows no mirroring";

    owner.Mirroring = true;
    owner.Calls.clear();
    Press(VK_RETURN, {VK_CONTROL});
    EXPECT_EQ(owner.Calls, (std::vector<std::string>{"MirroringAllowed", "MoveStarting"}));
    EXPECT_TRUE(board.Pieces[0][0].FlipHorizontal);
}

TEST_F(PuzzleViewTest, UndoWaitsWhileAPieceIsDragged) {
    board.SwapPieces(0, 0, 1, 0);
    board.SwapPieces(2, 0, 3, 0);
    view->ShowShuffled();
    MoveFirstPieceTo(2);
    ASSERT_TRUE(board.CanUndo());
    const PieceCell moved = board.Pieces[2][0];

    Image(idPuzzlePictureImage).BeginDrag();
    view->TakeBackMove();
    EXPECT_EQ(board.Pieces[2][0].SourceColumn, moved.SourceColumn) << "nothing taken back during a drag";
    ReleaseCapture();

    view->TakeBackMove();
    EXPECT_NE(board.Pieces[2][0].SourceColumn, moved.SourceColumn);
}

// Group boxes squeezed below their margins ask the decoder for empty areas, never negative ones,
// and the picture still decodes.
TEST_F(PuzzleViewTest, SqueezedPictureAreasAreEmptyNotNegative) {
    puzzleBox->SetBounds(350, 5, 4, 4);
    originalBox->SetBounds(5, 189, 4, 4);
    const std::vector<TPictureSize> areas = view->PictureAreas();
    for (const TPictureSize& area : areas) {
        EXPECT_EQ(area.Width, 0);
        EXPECT_EQ(area.Height, 0);
    }
    EXPECT_NE(LoadPictureFile(folder / "stripes.bmp", areas), nullptr);
}

// A move slides, unless the player's choice or the system's setting turns animations off: then
// the window shows the finished move at once.
TEST_F(PuzzleViewTest, AMoveIsShownAtOnceWhenAnimationsAreOff) {
    board.SwapPieces(0, 0, 1, 0);
    board.SwapPieces(2, 0, 3, 0);
    view->ShowShuffled();
    TImage& puzzle = Image(idPuzzlePictureImage);
    const RECT firstCell = {0, 0, puzzle.BitmapWidth() / board.ResultedColumns, puzzle.BitmapHeight() / board.ResultedRows};
    ASSERT_TRUE(ScreenShowsTheBitmapIn(puzzle, firstCell));

    MoveFirstPieceTo(2);
    EXPECT_FALSE(ScreenShowsTheBitmapIn(puzzle, firstCell)) << "the piece from (3, 1) is on its way";
    view->TakeBackMove();  // the slide ends at once, and the move taken back slides
    EXPECT_EQ(board.Pieces[0][0].SourceColumn, 1);

    view->SetAnimated(false);
    MoveFirstPieceTo(2);
    EXPECT_TRUE(ScreenShowsTheBitmapIn(puzzle, firstCell)) << "the player turned animations off";
    view->TakeBackMove();
    EXPECT_TRUE(ScreenShowsTheBitmapIn(puzzle, firstCell));

    view->SetAnimated(true);
    TSystemAnimationOff systemSetting;
    ASSERT_TRUE(systemSetting.Set());
    MoveFirstPieceTo(2);
    EXPECT_TRUE(ScreenShowsTheBitmapIn(puzzle, firstCell)) << "the system asks programs not to animate";
}

}  // namespace
