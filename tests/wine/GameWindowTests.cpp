// The game window made in this process: what the window does between an input event and the
// screen, checked on its own members where another process cannot look (the pointer shape).
#include "Include/Core/FunStat.h"
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "support/RecordingErrorView.h"
#include "support/TilvaneFormAccess.h"
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
        inside = new TTilvaneFormTestAccess(*form);
        ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);  // a hidden window shows no pictures to shuffle
        picture = new TTempFolder("game-window");
        picturePath = *picture / "stripes.bmp";
        WriteFileBytes(picturePath, BitmapFileBytes(140, 140, [](int x, int y) { return RGB(x, y, (x + y) / 2); }));
    }
    static void TearDownTestSuite() {
        delete inside;
        delete form;
        delete picture;
    }
    void SetUp() override {
        inside->Board.MarkSaved();  // no save question between tests
        inside->LoadGameFromPicture(picturePath);
        ASSERT_GT(inside->Board.ResultedColumns, 1);
    }

    // Sends the puzzle image a pointer move to the middle of a cell.
    void PointAt(int32_t column, int32_t row) {
        const int x = column * inside->PieceWidth + inside->PieceWidth / 2, y = row * inside->PieceHeight + inside->PieceHeight / 2;
        SendMessageA(inside->PuzzlePictureImage->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }

    static TTilvaneForm* form;
    static TTilvaneFormTestAccess* inside;
    static TTempFolder* picture;
    static std::string picturePath;
};

TTilvaneForm* GameWindow::form = nullptr;
TTilvaneFormTestAccess* GameWindow::inside = nullptr;
TTempFolder* GameWindow::picture = nullptr;
std::string GameWindow::picturePath;

TEST_F(GameWindow, PointerIsTheHandOverMisplacedPiecesOnly) {
    inside->RandomizeMenuClick();
    TPuzzleBoard& board = inside->Board;
    int32_t misplaced = -1, placed = -1;
    for (int32_t cell = 0; cell < board.ResultedColumns * board.ResultedRows; ++cell) {
        const bool inPlace = board.IsPieceInPlace(cell % board.ResultedColumns, cell / board.ResultedColumns);
        (inPlace ? placed : misplaced) = cell;
    }
    ASSERT_GE(misplaced, 0);
    PointAt(misplaced % board.ResultedColumns, misplaced / board.ResultedColumns);
    EXPECT_EQ(inside->PuzzlePictureImage->Cursor(), LoadCursorA(nullptr, IDC_HAND));
    EXPECT_EQ(inside->PositionLabel.Text(), "Column " + std::to_string(misplaced % board.ResultedColumns + 1) + ". Row " +
                                               std::to_string(misplaced / board.ResultedColumns + 1) + ".");
    // Put one piece home by hand and point at it: the arrow.
    if (placed < 0) {
        const int32_t column = misplaced % board.ResultedColumns, row = misplaced / board.ResultedColumns;
        const PieceCell piece = board.Pieces[column][row];
        board.SetDragCell(column, row);
        board.DropPiece(piece.SourceColumn, piece.SourceRow);
        placed = piece.SourceRow * board.ResultedColumns + piece.SourceColumn;
    }
    PointAt(placed % board.ResultedColumns, placed / board.ResultedColumns);
    EXPECT_EQ(inside->PuzzlePictureImage->Cursor(), LoadCursorA(nullptr, IDC_ARROW));
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
    const HWND puzzle = inside->PuzzlePictureImage->Handle(), original = inside->OriginalPictureImage->Handle();
    const RECT puzzleBounds = inside->PuzzlePictureImage->Bounds();
    inside->LoadGameFromPicture(picturePath);
    ASSERT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;

    expectShownIn(*inside->PuzzlePictureImage, inside->PuzzlePictureGroupBox, idPuzzlePictureImage);
    expectShownIn(*inside->OriginalPictureImage, inside->OriginalPictureGroupBox, idOriginalPictureImage);
    EXPECT_EQ(inside->PuzzlePictureImage->Bounds().top, puzzleBounds.top);
    EXPECT_FALSE(IsWindow(puzzle));
    EXPECT_FALSE(IsWindow(original));
    EXPECT_FALSE(inside->BackupPictureImage->Visible());
    EXPECT_EQ(inside->BackupPictureImage->Id(), idBackupPictureImage);
    EXPECT_EQ(inside->BackupPictureImage->BitmapWidth(), inside->PuzzlePictureImage->BitmapWidth());
}

TEST_F(GameWindow, LabelsTitleAndOptionsThatChangeNoPiece) {
    EXPECT_EQ(inside->TipsLabel.Text(), "Press [Alt + R] to randomize the picture.");
    EXPECT_EQ(form->Text(), "Tilvane");
    inside->SetTitle("C:\\Games\\a.tvg");
    EXPECT_EQ(form->Text(), "Tilvane - C:\\Games\\a.tvg");

    inside->RandomizeMenuClick();
    EXPECT_EQ(inside->MovesCountLabel.Text(), "You have made 0 moves.");
    EXPECT_EQ(inside->WrongMovesLabel.Text(), "You have made 0 wrong moves.");
    const int32_t misplaced = inside->Board.CountMisplacedPieces();
    EXPECT_EQ(inside->RemainingCountLabel.Text(),
              misplaced ? "There are " + std::to_string(misplaced) + " pieces remaining to be placed correctly."
                        : std::string("The puzzle is solved."));

    PieceCell before[30][30];
    std::copy(&inside->Board.Pieces[0][0], &inside->Board.Pieces[0][0] + 900, &before[0][0]);
    SendMessageA(inside->AllowFlipCheckBox.Handle(), BM_CLICK, 0, 0);
    SendMessageA(inside->LightGridCheckBox.Handle(), BM_CLICK, 0, 0);
    for (int c = 0; c < 30; ++c)
        for (int r = 0; r < 30; ++r) {
            EXPECT_EQ(inside->Board.Pieces[c][r].SourceColumn, before[c][r].SourceColumn);
            EXPECT_EQ(inside->Board.Pieces[c][r].FlipHorizontal, before[c][r].FlipHorizontal);
        }
}

TEST_F(GameWindow, GridChoiceWithoutSelectionCountsAsSeven) {
    inside->ColumnsCountComboBox.SetItemIndex(-1);
    inside->RowsCountComboBox.SetSelectedText("12");
    inside->ReadGridChoice();
    EXPECT_EQ(inside->ColumnsCount, 7);
    EXPECT_EQ(inside->RowsCount, 12);
}

TEST_F(GameWindow, SaveWithoutPicturePathOpensNoDialog) {
    inside->PicturePath.clear();
    TMessageBoxAnswerer anyBox("Save game", IDCANCEL);
    inside->SaveGameMenuClick();  // would block in the file dialog if it opened one
    EXPECT_EQ(anyBox.Count(), 0u);
}

TEST_F(GameWindow, RefusedJpegsLeaveTheGameAsItWas) {
    TTempFolder folder("refused-jpegs");
    const std::string bomb = folder / "bomb.jpg", truncated = folder / "truncated.jpg", text = folder / "text.jpg",
                      claimed = folder / "claimed.jpg";
    // A frame header of 60000 x 60000 with nothing behind it.
    WriteFileBytes(bomb, std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\xEA\x60\xEA\x60\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"
                                     "\xFF\xD9", 23));
    const std::string photo = ReadFileBytes("C:\\Tilvane\\pictures\\photo.jpg");
    ASSERT_GT(photo.size(), 1000u);
    WriteFileBytes(truncated, photo.substr(0, photo.size() / 2));
    // Within the JPEG budget by its frame header (20000 x 20000), broken behind it.
    std::string large = photo.substr(0, photo.size() / 3);
    const size_t frame = large.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    large.replace(frame + 5, 4, "\x4E\x20\x4E\x20");
    WriteFileBytes(claimed, large);
    WriteFileBytes(text, "This is a text file, not a picture.\r\n");
    const struct {
        std::string path, description;
    } refusals[] = {{bomb, "The picture of 60000 x 60000 pixels is too large to load."},
                    {truncated, "The file could not be read as a picture."},
                    {text, "The file could not be read as a picture."},
                    {claimed, "The file could not be read as a picture."}};

    TRecordingView view;
    // Back to the real view however the test ends.
    struct TViewInPlace {
        TErrorReportView* Saved = ErrorForm;
        ~TViewInPlace() { ErrorForm = Saved; }
    } inPlace;
    ErrorForm = &view;
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.path);
        const HWND puzzle = inside->PuzzlePictureImage->Handle();
        const std::string picture = inside->PicturePath;
        const int32_t columns = inside->Board.ResultedColumns;
        view.Descriptions.clear();
        view.Reports.clear();
        inside->LoadGameFromPicture(refusal.path);
        ASSERT_EQ(view.Descriptions.size(), 1u);
        EXPECT_EQ(view.Descriptions[0], "Failed to load game.");
        EXPECT_NE(view.Reports[0].find("* Description: \"" + refusal.description + "\""), std::string::npos)
            << view.Reports[0];
        EXPECT_EQ(inside->PuzzlePictureImage->Handle(), puzzle);
        EXPECT_EQ(inside->PicturePath, picture);
        EXPECT_EQ(inside->Board.ResultedColumns, columns);
    }
}

}  // namespace
