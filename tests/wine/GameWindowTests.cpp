// The game window made in this process: what the window does between an input event and the
// screen, checked on its own members where another process cannot look (the pointer shape).
#include "Include/Core/FunStat.h"
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The first form of a process becomes the application's main window, and its end ends the
// message loop. A hidden host that lives as long as the process takes that place, so that
// deleting the game window leaves later suites a process that can still make forms.
void KeepAMainWindow() {
    static TForm* host = [] {
        auto* form = new TForm;
        form->CreateForm("Test host", WS_OVERLAPPEDWINDOW, 0, 200, 100, "Arial", 9);
        return form;
    }();
    (void)host;
}

// One window for the whole suite, as in the program: the imaging library it starts cannot be
// started a second time in one process under Wine.
class GameWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        KeepAMainWindow();
        form = new TTilvaneForm();
        ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);  // a hidden window shows no pictures to shuffle
        picture = new TTempFolder("game-window");
        picturePath = *picture / "stripes.bmp";
        WriteFileBytes(picturePath, BitmapFileBytes(140, 140, [](int x, int y) { return RGB(x, y, (x + y) / 2); }));
    }
    static void TearDownTestSuite() {
        delete form;
        delete picture;
    }
    void SetUp() override {
        form->Board.Modified = false;  // no save question between tests
        form->LoadGameFromPicture(picturePath);
        ASSERT_GT(form->Board.ResultedColumns, 1);
    }

    // Sends the puzzle image a pointer move to the middle of a cell.
    void PointAt(int32_t column, int32_t row) {
        const int x = column * form->PieceWidth + form->PieceWidth / 2, y = row * form->PieceHeight + form->PieceHeight / 2;
        SendMessageA(form->PuzzlePictureImage->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }

    static TTilvaneForm* form;
    static TTempFolder* picture;
    static std::string picturePath;
};

TTilvaneForm* GameWindow::form = nullptr;
TTempFolder* GameWindow::picture = nullptr;
std::string GameWindow::picturePath;

TEST_F(GameWindow, PointerIsTheHandOverMisplacedPiecesOnly) {
    form->RandomizeMenuClick();
    TPuzzleBoard& board = form->Board;
    int32_t misplaced = -1, placed = -1;
    for (int32_t cell = 0; cell < board.ResultedColumns * board.ResultedRows; ++cell) {
        const bool inPlace = board.IsPieceInPlace(cell % board.ResultedColumns, cell / board.ResultedColumns);
        (inPlace ? placed : misplaced) = cell;
    }
    ASSERT_GE(misplaced, 0);
    PointAt(misplaced % board.ResultedColumns, misplaced / board.ResultedColumns);
    EXPECT_EQ(form->PuzzlePictureImage->Cursor(), LoadCursorA(nullptr, IDC_HAND));
    EXPECT_EQ(form->PositionLabel->Text(), "Column " + std::to_string(misplaced % board.ResultedColumns + 1) + ". Row " +
                                               std::to_string(misplaced / board.ResultedColumns + 1) + ".");
    // Put one piece home by hand and point at it: the arrow.
    if (placed < 0) {
        const int32_t column = misplaced % board.ResultedColumns, row = misplaced / board.ResultedColumns;
        const PieceCell piece = board.Pieces[column][row];
        board.DragColumn = column;
        board.DragRow = row;
        board.DropPiece(piece.SourceColumn, piece.SourceRow);
        placed = piece.SourceRow * board.ResultedColumns + piece.SourceColumn;
    }
    PointAt(placed % board.ResultedColumns, placed / board.ResultedColumns);
    EXPECT_EQ(form->PuzzlePictureImage->Cursor(), LoadCursorA(nullptr, IDC_ARROW));
}

// Each load shows its pictures in new controls where the old ones stood; the backup of the
// puzzle picture stays hidden.
TEST_F(GameWindow, EveryLoadShowsThePicturesInNewControls) {
    auto expectShownIn = [](const TImage& image, const TGroupBox& box, int id) {
        EXPECT_EQ(GetParent(image.Handle()), box.Handle());
        EXPECT_EQ(image.Id(), id);
        EXPECT_TRUE(image.Visible());
        const RECT bounds = image.Bounds();
        EXPECT_EQ(bounds.left, 5);
        EXPECT_EQ(bounds.right - bounds.left, image.BitmapWidth());
        EXPECT_EQ(bounds.bottom - bounds.top, image.BitmapHeight());
    };
    const HWND puzzle = form->PuzzlePictureImage->Handle(), original = form->OriginalPictureImage->Handle();
    const RECT puzzleBounds = form->PuzzlePictureImage->Bounds();
    form->LoadGameFromPicture(picturePath);
    ASSERT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;

    expectShownIn(*form->PuzzlePictureImage, *form->PuzzlePictureGroupBox, idPuzzlePictureImage);
    expectShownIn(*form->OriginalPictureImage, *form->OriginalPictureGroupBox, idOriginalPictureImage);
    EXPECT_EQ(form->PuzzlePictureImage->Bounds().top, puzzleBounds.top);
    EXPECT_FALSE(IsWindow(puzzle));
    EXPECT_FALSE(IsWindow(original));
    EXPECT_FALSE(form->BackupPictureImage->Visible());
    EXPECT_EQ(form->BackupPictureImage->Id(), idBackupPictureImage);
    EXPECT_EQ(form->BackupPictureImage->BitmapWidth(), form->PuzzlePictureImage->BitmapWidth());
}

TEST_F(GameWindow, LabelsTitleAndOptionsThatChangeNoPiece) {
    EXPECT_EQ(form->TipsLabel->Text(), "Press [Alt + R] to randomize the picture.");
    EXPECT_EQ(form->Text(), "Tilvane");
    form->SetTitle("C:\\Games\\a.tvg");
    EXPECT_EQ(form->Text(), "Tilvane - C:\\Games\\a.tvg");

    form->RandomizeMenuClick();
    EXPECT_EQ(form->MovesCountLabel->Text(), "You have made 0 moves.");
    EXPECT_EQ(form->WrongMovesLabel->Text(), "You have made 0 wrong moves.");
    const int32_t misplaced = form->Board.CountMisplacedPieces();
    EXPECT_EQ(form->RemainingCountLabel->Text(),
              misplaced ? "There are " + std::to_string(misplaced) + " pieces remaining to be placed correctly."
                        : std::string("The puzzle is solved."));

    PieceCell before[30][30];
    std::copy(&form->Board.Pieces[0][0], &form->Board.Pieces[0][0] + 900, &before[0][0]);
    SendMessageA(form->AllowFlipCheckBox->Handle(), BM_CLICK, 0, 0);
    SendMessageA(form->LightGridCheckBox->Handle(), BM_CLICK, 0, 0);
    for (int c = 0; c < 30; ++c)
        for (int r = 0; r < 30; ++r) {
            EXPECT_EQ(form->Board.Pieces[c][r].SourceColumn, before[c][r].SourceColumn);
            EXPECT_EQ(form->Board.Pieces[c][r].FlipHorizontal, before[c][r].FlipHorizontal);
        }
}

TEST_F(GameWindow, GridChoiceWithoutSelectionCountsAsSeven) {
    form->ColumnsCountComboBox->SetItemIndex(-1);
    form->RowsCountComboBox->SetSelectedText("12");
    form->ReadGridChoice();
    EXPECT_EQ(form->ColumnsCount, 7);
    EXPECT_EQ(form->RowsCount, 12);
}

TEST_F(GameWindow, SaveWithoutPicturePathOpensNoDialog) {
    form->PicturePath.clear();
    TMessageBoxAnswerer anyBox("Save game", IDCANCEL);
    form->SaveGameMenuClick();  // would block in the file dialog if it opened one
    EXPECT_EQ(anyBox.Count(), 0u);
}

}  // namespace
