// The game window made in this process: what the window does between an input event and the
// screen, checked on its own members where another process cannot look (the pointer shape).
#include "Include/Core/FunStat.h"
#include "Include/ErrorDialog.h"
#include "Include/Install.h"
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "support/HelpPage.h"
#include "support/TilvaneFormAccess.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <set>

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

// What a player reads on a window: its caption, every control's text and its menu's items,
// without the "&" of the Alt letters and the shortcut after a tab.
void CollectCaption(std::set<std::string>& captions, std::string text) {
    text = text.substr(0, text.find('\t'));
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    if (!text.empty()) captions.insert(text);
}

BOOL CALLBACK CollectControlCaption(HWND control, LPARAM captions) {
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    CollectCaption(*reinterpret_cast<std::set<std::string>*>(captions), text);
    return TRUE;
}

void CollectMenuCaptions(std::set<std::string>& captions, HMENU menu) {
    for (int item = 0; menu && item < GetMenuItemCount(menu); ++item) {
        char text[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(item), text, sizeof text, MF_BYPOSITION);
        CollectCaption(captions, text);
        CollectMenuCaptions(captions, GetSubMenu(menu, item));
    }
}

std::set<std::string> CaptionsOf(HWND window) {
    std::set<std::string> captions;
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    CollectCaption(captions, text);
    EnumChildWindows(window, CollectControlCaption, reinterpret_cast<LPARAM>(&captions));
    CollectMenuCaptions(captions, GetMenu(window));
    return captions;
}

// The help page writes in bold only what the program shows: the game window with its menu,
// the error dialog and the installer.
TEST_F(GameWindow, HelpNamesInBoldOnlyCaptionsThatTheProgramShows) {
    std::set<std::string> captions = CaptionsOf(form->Handle());
    EXPECT_EQ(captions.count("Load picture"), 1u) << "menu items are read";
    {
        TErrorForm errors;
        TInstallForm installer;
        for (HWND window : {errors.Handle(), installer.Handle()}) {
            const std::set<std::string> more = CaptionsOf(window);
            captions.insert(more.begin(), more.end());
        }
    }
    const THelpPage page;
    const std::vector<std::string> named = ElementTexts(page.Html(), "b");
    ASSERT_GT(named.size(), 10u);
    for (const std::string& name : named)
        EXPECT_EQ(captions.count(name), 1u) << "the help names \"" << name << "\", which no window of the program shows";
}

}  // namespace
