// The game window made in this process: what the window does between an input event and the
// screen, checked on its own members where another process cannot look (the pointer shape).
#include "Include/Core/FunStat.h"
#include "Include/ErrorDialog.h"
#include "Include/Install.h"
#include "Include/Program.h"
#include "Tilvane/BestResultsDialog.h"
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "support/DropFilesBlock.h"
#include "support/HelpPage.h"
#include "support/RecordingErrorView.h"
#include "support/TilvaneFormAccess.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <set>
#include <vector>

namespace {

// The first form of a process becomes the application's main window, and its end ends the
// message loop. A hidden host that lives as long as the process takes that place, so that
// deleting the game window leaves later suites a process that can still make forms.
TForm* KeepAMainWindow() {
    static TForm* host = [] {
        auto* form = new TForm;
        form->CreateForm("Test host", WS_OVERLAPPEDWINDOW, 0, 200, 100, "Arial", 9);
        return form;
    }();
    return host;
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

    // "Animate moves" turns the slides off and on; the menu shows the choice when it opens.
    HMENU work = GetSubMenu(GetMenu(form->Handle()), 0);
    for (const bool animated : {false, true}) {
        SendMessageA(form->Handle(), WM_COMMAND, cmAnimateMoves, 0);
        EXPECT_EQ(inside->Motion.Animated(), animated);
        SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(work), 0);
        EXPECT_EQ((GetMenuState(work, cmAnimateMoves, MF_BYCOMMAND) & MF_CHECKED) != 0, animated);
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
    TMessageBoxAnswerer saveDialog("Save As", IDCANCEL);  // the title of the system's save dialog
    inside->SaveGameMenuClick();
    EXPECT_EQ(saveDialog.Count(), 0u);
}

// Yes to the save question for a game without a picture says why nothing is saved, and the
// game stays: never a silent refusal.
TEST_F(GameWindow, YesForAGameWithoutPictureSaysWhyAndKeepsIt) {
    inside->PicturePath.clear();
    inside->Board.SwapPieces(0, 0, 1, 0);
    bool mayReplace = true;
    {
        TMessageBoxAnswerer question("Query", IDYES);
        TMessageBoxAnswerer warning("Warning", IDOK);
        TMessageBoxAnswerer saveDialog("Save As", IDCANCEL);
        mayReplace = inside->CheckSave();
        EXPECT_EQ(question.Count(), 1u);
        ASSERT_EQ(warning.Count(), 1u);
        EXPECT_NE(warning.Texts()[0].find("cannot be saved: it has no picture"), std::string::npos) << warning.Texts()[0];
        EXPECT_EQ(saveDialog.Count(), 0u);
    }
    EXPECT_FALSE(mayReplace);
    EXPECT_TRUE(inside->Board.Modified());
}

// --- Keyboard play --------------------------------------------------------------------------

// A key pressed on the puzzle, with the modifier keys held in this thread's key state, which
// is where the window reads them from.
void PressOnPuzzle(TTilvaneFormTestAccess& inside, WORD key, std::initializer_list<BYTE> held = {}) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    for (BYTE modifier : held) state[modifier] |= 0x80;
    SetKeyboardState(state);
    SendMessageA(inside.PuzzlePictureImage->Handle(), WM_KEYDOWN, key, 0);
    for (BYTE modifier : held) state[modifier] &= static_cast<BYTE>(~0x80);
    SetKeyboardState(state);
}

// Walks the frame to the cell with keys only: first cell, then right and down.
void SelectWithKeys(TTilvaneFormTestAccess& inside, int32_t column, int32_t row) {
    PressOnPuzzle(inside, VK_HOME, {VK_CONTROL});
    for (int32_t c = 0; c < column; ++c) PressOnPuzzle(inside, VK_RIGHT);
    for (int32_t r = 0; r < row; ++r) PressOnPuzzle(inside, VK_DOWN);
}

std::string PositionOf(int32_t column, int32_t row) {
    return "Column " + std::to_string(column + 1) + ". Row " + std::to_string(row + 1) + ".";
}

TEST_F(GameWindow, LoadGivesThePuzzleTheFocusAndTheFrameStaysOnTheBoard) {
    EXPECT_EQ(GetFocus(), inside->PuzzlePictureImage->Handle());
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(0, 0));
    EXPECT_NE(GetWindowLongA(inside->PuzzlePictureImage->Handle(), GWL_STYLE) & WS_TABSTOP, 0);
    const int32_t last = inside->Board.ResultedColumns - 1, bottom = inside->Board.ResultedRows - 1;

    PressOnPuzzle(*inside, VK_LEFT);
    PressOnPuzzle(*inside, VK_UP);
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(0, 0)) << "the frame stops at the edges";
    PressOnPuzzle(*inside, VK_END);
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(last, 0));
    PressOnPuzzle(*inside, VK_RIGHT);
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(last, 0));
    PressOnPuzzle(*inside, VK_DOWN);
    PressOnPuzzle(*inside, VK_HOME);
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(0, 1));
    PressOnPuzzle(*inside, VK_END, {VK_CONTROL});
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(last, bottom));
    PressOnPuzzle(*inside, VK_DOWN);
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(last, bottom));
    PressOnPuzzle(*inside, VK_HOME, {VK_CONTROL});
    EXPECT_EQ(inside->PositionLabel.Text(), PositionOf(0, 0));
}

TEST_F(GameWindow, EnterPicksUpAndDropsByThePointersRules) {
    inside->RandomizeMenuClick();
    TPuzzleBoard& board = inside->Board;
    const int32_t columns = board.ResultedColumns, cells = columns * board.ResultedRows;
    int32_t placed = -1, from = -1;
    for (int32_t cell = 0; cell < cells; ++cell)
        (board.IsPieceInPlace(cell % columns, cell / columns) ? placed : from) = cell;
    ASSERT_GE(from, 0);
    const PieceCell moving = board.Pieces[from % columns][from / columns];
    const int32_t home = moving.SourceRow * columns + moving.SourceColumn;
    PieceCell before[30][30];
    std::copy(&board.Pieces[0][0], &board.Pieces[0][0] + 900, &before[0][0]);
    auto unchanged = [&] {
        return std::equal(&before[0][0], &before[0][0] + 900, &board.Pieces[0][0], [](const PieceCell& a, const PieceCell& b) {
            return a.SourceColumn == b.SourceColumn && a.SourceRow == b.SourceRow &&
                   a.FlipHorizontal == b.FlipHorizontal && a.FlipVertical == b.FlipVertical;
        });
    };

    if (placed >= 0) {  // a piece in place cannot be picked up
        SelectWithKeys(*inside, placed % columns, placed / columns);
        PressOnPuzzle(*inside, VK_RETURN);
        SelectWithKeys(*inside, from % columns, from / columns);
        PressOnPuzzle(*inside, VK_RETURN);
        EXPECT_TRUE(unchanged());
        EXPECT_EQ(inside->MovesCountLabel.Text(), "You have made 0 moves.");
    }
    // Picked up, dropped back where it came from (refused), put back with Escape: no move.
    SelectWithKeys(*inside, from % columns, from / columns);
    PressOnPuzzle(*inside, VK_RETURN);
    PressOnPuzzle(*inside, VK_RETURN);
    PressOnPuzzle(*inside, VK_ESCAPE);
    PressOnPuzzle(*inside, VK_RETURN);  // nothing lifted now: this lifts it again
    PressOnPuzzle(*inside, VK_ESCAPE);
    EXPECT_TRUE(unchanged());
    EXPECT_EQ(inside->MovesCountLabel.Text(), "You have made 0 moves.");

    // Dropped on its own place: a move and no wrong move, the piece is home.
    PressOnPuzzle(*inside, VK_RETURN);
    SelectWithKeys(*inside, home % columns, home / columns);
    PressOnPuzzle(*inside, VK_RETURN);
    EXPECT_TRUE(board.IsPieceInPlace(home % columns, home / columns));
    EXPECT_EQ(inside->MovesCountLabel.Text(), "You have made 1 moves.");
    EXPECT_EQ(inside->WrongMovesLabel.Text(), "You have made 0 wrong moves.");
    EXPECT_EQ(board.MovesCount(), 1);
    EXPECT_EQ(board.WrongMoves(), 0);
}

TEST_F(GameWindow, MirrorKeysFollowTheFlippingOption) {
    inside->AllowFlipCheckBox.SetChecked(false);
    inside->RandomizeMenuClick();
    TPuzzleBoard& board = inside->Board;
    const int32_t columns = board.ResultedColumns;
    int32_t cell = 0;
    while (board.IsPieceInPlace(cell % columns, cell / columns)) ++cell;
    const int32_t column = cell % columns, row = cell / columns;
    SelectWithKeys(*inside, column, row);

    PressOnPuzzle(*inside, VK_RETURN, {VK_CONTROL});
    PressOnPuzzle(*inside, VK_RETURN, {VK_SHIFT});
    EXPECT_FALSE(board.Pieces[column][row].FlipHorizontal || board.Pieces[column][row].FlipVertical)
        << "refused while flipping is not allowed";

    inside->AllowFlipCheckBox.SetChecked(true);
    PressOnPuzzle(*inside, VK_RETURN, {VK_CONTROL});
    EXPECT_TRUE(board.Pieces[column][row].FlipHorizontal);
    EXPECT_FALSE(board.Pieces[column][row].FlipVertical);
    PressOnPuzzle(*inside, VK_RETURN, {VK_SHIFT});
    EXPECT_TRUE(board.Pieces[column][row].FlipVertical);
    EXPECT_EQ(board.MovesCount(), 0) << "a mirror is not a move";
    inside->AllowFlipCheckBox.SetChecked(false);
}

// The frame is drawn on the screen, never into the picture, and a move of it asks for the two
// cells concerned to be shown again, nothing else.
TEST_F(GameWindow, FrameIsOnTheScreenOnlyAndAMoveRepaintsItsTwoCells) {
    const HWND puzzle = inside->PuzzlePictureImage->Handle();
    const int w = inside->PieceWidth, h = inside->PieceHeight;
    UpdateWindow(puzzle);
    PressOnPuzzle(*inside, VK_RIGHT);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetUpdateRgn(puzzle, update, FALSE), ERROR);
    HRGN expected = CreateRectRgn(0, 0, 2 * w, h);
    EXPECT_TRUE(EqualRgn(update, expected)) << "only cells (1,1) and (2,1) wait for a repaint";
    DeleteObject(update);
    DeleteObject(expected);

    UpdateWindow(puzzle);
    HDC screen = GetDC(puzzle);
    const COLORREF outer = GetPixel(screen, w + w / 2, 0), inner = GetPixel(screen, w + w / 2, 1);
    const COLORREF left = GetPixel(screen, w / 2, 0);
    ReleaseDC(puzzle, screen);
    EXPECT_EQ(outer, RGB(255, 0, 255));
    EXPECT_EQ(inner, RGB(255, 255, 255));
    EXPECT_NE(left, RGB(255, 0, 255)) << "the cell the frame left shows no frame";
    const uint32_t bitmap = inside->PuzzlePictureImage->Pixels()[w + w / 2];
    EXPECT_NE(bitmap & 0xFFFFFF, 0xFF00FFu) << "the picture's bitmap holds no frame";
}

TEST_F(GameWindow, MarkKeyMarksAndUnmarksTheSelectedCell) {
    const int w = inside->PieceWidth;
    const int32_t stride = inside->PuzzlePictureImage->BitmapWidth();
    auto outlineAt = [&](int32_t column) { return inside->PuzzlePictureImage->Pixels()[column * w + w / 2] & 0xFFFFFF; };
    inside->RandomizeMenuClick();
    int32_t column = 0;
    while (inside->Board.IsPieceInPlace(column, 0)) ++column;  // a placed cell is outlined yellow, never red
    ASSERT_LT(column, stride / w);
    SelectWithKeys(*inside, column, 0);
    PressOnPuzzle(*inside, 'M');
    EXPECT_EQ(outlineAt(column), 0xFF0000u) << "red (BGRX: 0x00FF0000 is red)";
    PressOnPuzzle(*inside, 'M');
    EXPECT_NE(outlineAt(column), 0xFF0000u);
}

// A piece dropped on its own place can move no more: the pointer over it is the arrow at once,
// not only after the next pointer move.
TEST_F(GameWindow, PointerTurnsToTheArrowAtOnceWhenAPieceIsDroppedHome) {
    inside->RandomizeMenuClick();
    TPuzzleBoard& board = inside->Board;
    const int32_t columns = board.ResultedColumns;
    int32_t from = 0;
    while (board.IsPieceInPlace(from % columns, from / columns)) ++from;
    const PieceCell moving = board.Pieces[from % columns][from / columns];
    const int x = moving.SourceColumn * inside->PieceWidth + inside->PieceWidth / 2,
              y = moving.SourceRow * inside->PieceHeight + inside->PieceHeight / 2;
    POINT home = {x, y};
    ClientToScreen(inside->PuzzlePictureImage->Handle(), &home);
    SetCursorPos(home.x, home.y);
    ASSERT_EQ(WindowFromPoint(home), inside->PuzzlePictureImage->Handle());
    SetCursor(LoadCursorA(nullptr, IDC_HAND));

    board.SetDragCell(from % columns, from / columns);
    TImage& image = *inside->PuzzlePictureImage;
    image.OnDragDrop(&image, x, y);
    ASSERT_TRUE(board.IsPieceInPlace(moving.SourceColumn, moving.SourceRow));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

// The colour of a cell's top edge, halfway along it, in one of the two pictures.
COLORREF TopEdgeColour(const TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t column, int32_t row) {
    return GetPixel(const_cast<TImage&>(image).Canvas(), column * cellWidth + cellWidth / 2, row * cellHeight);
}

// The outlines say what each cell is, in the puzzle and in the original picture alike: yellow
// for a piece in its place, black for one that is not, silver instead of black with the light
// grid, red for the marked cell; a piece in place stays yellow when it is marked.
TEST_F(GameWindow, OutlineColoursTellPlacedMisplacedLightAndMarked) {
    const COLORREF yellow = RGB(255, 255, 0), black = RGB(0, 0, 0), silver = RGB(192, 192, 192), red = RGB(255, 0, 0);
    inside->RandomizeMenuClick();
    TPuzzleBoard& board = inside->Board;
    const int32_t columns = board.ResultedColumns, cells = columns * board.ResultedRows;
    int32_t misplaced = 0;
    while (misplaced < cells && board.IsPieceInPlace(misplaced % columns, misplaced / columns)) ++misplaced;
    ASSERT_LT(misplaced, cells);
    const PieceCell moving = board.Pieces[misplaced % columns][misplaced / columns];
    board.SetDragCell(misplaced % columns, misplaced / columns);
    board.DropPiece(moving.SourceColumn, moving.SourceRow);  // one piece home, drawn as a move is
    const int32_t placed = moving.SourceRow * columns + moving.SourceColumn;
    while (misplaced < cells && board.IsPieceInPlace(misplaced % columns, misplaced / columns)) ++misplaced;
    ASSERT_LT(misplaced, cells);

    const TImage& original = *inside->OriginalPictureImage;
    const int32_t originalWidth = original.BitmapWidth() / columns, originalHeight = original.BitmapHeight() / board.ResultedRows;
    auto expectOutline = [&](int32_t cell, COLORREF colour, const char* what) {
        const int32_t column = cell % columns, row = cell / columns;
        EXPECT_EQ(TopEdgeColour(*inside->PuzzlePictureImage, inside->PieceWidth, inside->PieceHeight, column, row), colour)
            << what << " (puzzle, cell " << cell << ")";
        EXPECT_EQ(TopEdgeColour(original, originalWidth, originalHeight, column, row), colour)
            << what << " (original picture, cell " << cell << ")";
    };
    auto rightClick = [&](int32_t cell) {
        const int x = (cell % columns) * inside->PieceWidth + 1, y = (cell / columns) * inside->PieceHeight + 1;
        SendMessageA(inside->PuzzlePictureImage->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
        SendMessageA(inside->PuzzlePictureImage->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(x, y));
    };

    if (inside->LightGridCheckBox.Checked()) SendMessageA(inside->LightGridCheckBox.Handle(), BM_CLICK, 0, 0);
    ASSERT_FALSE(inside->LightGridCheckBox.Checked());
    expectOutline(placed, yellow, "a piece in place");
    expectOutline(misplaced, black, "a piece out of place");

    SendMessageA(inside->LightGridCheckBox.Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(inside->LightGridCheckBox.Checked());
    expectOutline(misplaced, silver, "a piece out of place, light grid");
    expectOutline(placed, yellow, "a piece in place, light grid");

    rightClick(misplaced);
    expectOutline(misplaced, red, "the marked cell");
    rightClick(placed);
    expectOutline(placed, yellow, "a marked piece in place");
    expectOutline(misplaced, silver, "the cell marked before");

    SendMessageA(inside->LightGridCheckBox.Handle(), BM_CLICK, 0, 0);
    expectOutline(misplaced, black, "a piece out of place, light grid off again");
}

// The work area for the length of a test, given back on every path.
class TWorkArea {
public:
    explicit TWorkArea(RECT area) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved_, 0);
        changed_ = SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0) != 0;
    }
    ~TWorkArea() {
        if (changed_) SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved_, 0);
    }
    bool Changed() const { return changed_; }
private:
    RECT saved_ = {};
    bool changed_ = false;
};

// The window takes 95 % of the work area, never less than 760 x 540, centred on it; on a
// smaller screen it starts at the work area's corner, so that its caption and menu stay on it.
TEST_F(GameWindow, ArrangeWindowFitsLargeScreensAndKeepsTheCaptionOnSmallOnes) {
    struct TCase { RECT Area; RECT Expected; };
    const TCase cases[] = {
        {{0, 0, 1024, 740}, {26, 18, 26 + 972, 18 + 703}},
        {{0, 0, 800, 569}, {20, 14, 20 + 760, 14 + 540}},  // 95 % is just the minimum
        {{0, 0, 640, 480}, {0, 0, 760, 540}},    // smaller than the minimum: at the corner
        {{0, 0, 780, 600}, {10, 15, 10 + 760, 15 + 570}},
        {{0, 40, 640, 520}, {0, 40, 760, 40 + 540}},  // under a taskbar at the top
    };
    RECT before = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &before, 0);
    for (const TCase& c : cases) {
        TWorkArea area(c.Area);
        ASSERT_TRUE(area.Changed()) << "the system refused the work area";
        inside->ArrangeWindow();
        RECT window = {};
        GetWindowRect(form->Handle(), &window);
        EXPECT_EQ(window.left, c.Expected.left) << c.Area.right << " x " << c.Area.bottom;
        EXPECT_EQ(window.top, c.Expected.top) << c.Area.right << " x " << c.Area.bottom;
        EXPECT_EQ(window.right - window.left, c.Expected.right - c.Expected.left) << c.Area.right << " x " << c.Area.bottom;
        EXPECT_EQ(window.bottom - window.top, c.Expected.bottom - c.Expected.top) << c.Area.right << " x " << c.Area.bottom;
        EXPECT_GT(inside->PieceWidth, 0);
    }
    RECT after = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &after, 0);
    EXPECT_TRUE(EqualRect(&before, &after)) << "the work area is given back";
    inside->ArrangeWindow();
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
// the error dialog, the installer and the best results.
TEST_F(GameWindow, HelpNamesInBoldOnlyCaptionsThatTheProgramShows) {
    std::set<std::string> captions = CaptionsOf(form->Handle());
    EXPECT_EQ(captions.count("Load picture"), 1u) << "menu items are read";
    {
        TErrorForm errors;
        TInstallForm installer;
        TBestResults noResults;
        TBestResultsForm results(noResults);
        for (HWND window : {errors.Handle(), installer.Handle(), results.Handle()}) {
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

// Runs the thread's messages for a while: the hint appears from a timer.
void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(10);
    }
}

// The piece hint names what is under the pointer or in the frame; whatever makes it stale takes
// it away, also while it is still waiting to appear.
TEST_F(GameWindow, PieceHintGoesWhenItWouldBeStale) {
    SetCursorPos(0, 0);  // the real pointer away: a move of it over the puzzle would hide the hint too
    PumpMessagesFor(100);
    inside->RandomizeMenuClick();
    const HWND puzzle = inside->PuzzlePictureImage->Handle();
    auto askForHint = [&] { PressOnPuzzle(*inside, VK_MENU, {VK_CONTROL, VK_MENU}); };
    auto hintShown = [&] { return IsWindowVisible(inside->Hint.Handle()) != FALSE; };
    askForHint();
    PumpMessagesFor(700);
    ASSERT_TRUE(hintShown()) << "Ctrl+Alt on the puzzle shows the hint";

    SendMessageA(puzzle, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(hintShown()) << "the pointer left the puzzle";
    askForHint();
    SendMessageA(puzzle, WM_MOUSELEAVE, 0, 0);  // before the pause is over
    PumpMessagesFor(700);
    EXPECT_FALSE(hintShown()) << "never shown for a place the pointer has left";

    askForHint();
    PumpMessagesFor(700);
    SendMessageA(puzzle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
    EXPECT_FALSE(hintShown()) << "a press on the puzzle (a drag, a flip, a mark)";

    askForHint();
    PumpMessagesFor(700);
    TImage& image = *inside->PuzzlePictureImage;
    image.OnDragDrop(&image, 1, 1);
    EXPECT_FALSE(hintShown()) << "a drop";

    askForHint();
    PumpMessagesFor(700);
    SendMessageA(form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(hintShown()) << "the window went to the background";
}

// A game saved and loaded again on the same screen looks as it did: the same pieces, the same
// picture size, not pieces stretched to fill the saved grid.
TEST_F(GameWindow, SavedGameLoadsBackWithTheSamePiecesOnTheSameScreen) {
    const std::string wide = *picture / "wide.bmp", saved = *picture / "wide.tvg";
    WriteFileBytes(wide, BitmapFileBytes(700, 500, [](int x, int y) { return RGB(x % 256, y % 256, 90); }));
    inside->ColumnsCountComboBox.SetSelectedText("7");
    inside->RowsCountComboBox.SetSelectedText("7");
    inside->Board.MarkSaved();
    inside->LoadGameFromPicture(wide);
    ASSERT_EQ(inside->Board.ResultedColumns, 7);
    inside->RandomizeMenuClick();
    const int32_t pieceWidth = inside->PieceWidth, pieceHeight = inside->PieceHeight, rows = inside->Board.ResultedRows;
    const int bitmapWidth = inside->PuzzlePictureImage->BitmapWidth(), bitmapHeight = inside->PuzzlePictureImage->BitmapHeight();
    ASSERT_LT(rows, 7) << "a wide picture on a 7 x 7 choice gives fewer rows";
    ASSERT_TRUE(inside->SaveGameTo(saved));

    inside->LoadGameFromPicture(picturePath);  // another game in between
    inside->LoadGameFrom(saved);
    ASSERT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
    EXPECT_EQ(inside->Board.ResultedRows, rows);
    EXPECT_EQ(inside->PieceWidth, pieceWidth);
    EXPECT_EQ(inside->PieceHeight, pieceHeight);
    EXPECT_EQ(inside->PuzzlePictureImage->BitmapWidth(), bitmapWidth);
    EXPECT_EQ(inside->PuzzlePictureImage->BitmapHeight(), bitmapHeight);
}

// What the crash guard has written for the game in progress: exactly what "Save game" writes, or
// nothing at all for a board caught half-way through a swap or a game without a picture.
TEST_F(GameWindow, RecoveredGameIsTheSavedGameOrNothing) {
    const std::string recovered = GetDataDirectory() + "Recovered game.tvg", saved = *picture / "played.tvg";
    DeleteFileA(recovered.c_str());
    inside->RandomizeMenuClick();
    inside->LightGridCheckBox.SetChecked(true);
    ASSERT_TRUE(inside->SaveGameTo(saved));
    inside->WriteRecoveredGame();
    EXPECT_EQ(ReadFileBytes(recovered), ReadFileBytes(saved));
    EXPECT_TRUE(DeleteFileA(recovered.c_str()));
    inside->LightGridCheckBox.SetChecked(false);

    TPuzzleBoard& board = inside->Board;
    const PieceCell second = board.Pieces[1][0];
    board.Pieces[1][0] = board.Pieces[0][0];  // one piece in two cells, the other in none
    inside->WriteRecoveredGame();
    EXPECT_FALSE(FileExists(recovered)) << "a broken board is no game to load again";
    board.Pieces[1][0] = second;

    const std::string path = inside->PicturePath;
    inside->PicturePath.clear();
    inside->WriteRecoveredGame();
    EXPECT_FALSE(FileExists(recovered)) << "a game without its picture cannot be loaded again";
    inside->PicturePath = path;
    DeleteFileA(recovered.c_str());
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

// A picture that cannot be painted whole changes nothing of the game on screen, whichever of the
// three pictures fails: the board, its grid and pieces, the picture path and the images stay.
TEST_F(GameWindow, FailedPaintAtAnyStepLeavesTheGameWhole) {
    const std::string wide = *picture / "wide-paint.bmp";
    WriteFileBytes(wide, BitmapFileBytes(700, 500, [](int x, int y) { return RGB(y % 256, 60, x % 256); }));
    inside->RandomizeMenuClick();
    inside->Board.MarkSaved();  // no save question
    TPuzzleBoard& board = inside->Board;
    const PieceCell before = board.Pieces[0][0];
    const int32_t columns = board.ResultedColumns, rows = board.ResultedRows, moves = board.MovesCount();
    const int32_t pieceWidth = inside->PieceWidth, pieceHeight = inside->PieceHeight;
    const std::string path = inside->PicturePath;
    const HWND puzzle = inside->PuzzlePictureImage->Handle(), original = inside->OriginalPictureImage->Handle(),
               backup = inside->BackupPictureImage->Handle();
    TRecordingView view;
    struct TViewInPlace {  // back to the real view however the test ends
        TErrorReportView* Saved = ErrorForm;
        ~TViewInPlace() { ErrorForm = Saved; }
    } inPlace;
    ErrorForm = &view;
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE("the picture painted " + std::to_string(step + 1) + ". fails");
        TBitmapCanvas::CreationsBeforeFailure = step;
        inside->LoadGameFromPicture(wide);
        TBitmapCanvas::CreationsBeforeFailure = -1;
        ASSERT_EQ(view.Descriptions.size(), static_cast<size_t>(step + 1)) << "the failure is reported";
        EXPECT_EQ(view.Descriptions.back(), "Failed to load game.");
        EXPECT_NE(view.Reports.back().find("Not enough memory for a picture"), std::string::npos) << view.Reports.back();
        EXPECT_EQ(board.ResultedColumns, columns);
        EXPECT_EQ(board.ResultedRows, rows);
        EXPECT_EQ(board.MovesCount(), moves);
        EXPECT_EQ(board.Pieces[0][0].SourceColumn, before.SourceColumn);
        EXPECT_EQ(board.Pieces[0][0].SourceRow, before.SourceRow);
        EXPECT_EQ(inside->PieceWidth, pieceWidth);
        EXPECT_EQ(inside->PieceHeight, pieceHeight);
        EXPECT_EQ(inside->PicturePath, path);
        EXPECT_EQ(inside->PuzzlePictureImage->Handle(), puzzle);
        EXPECT_EQ(inside->OriginalPictureImage->Handle(), original);
        EXPECT_EQ(inside->BackupPictureImage->Handle(), backup);
        EXPECT_TRUE(inside->PuzzlePictureImage->Visible() && inside->OriginalPictureImage->Visible());
    }
    // Three canvases are all a load paints: with none failing, the new picture is taken.
    TBitmapCanvas::CreationsBeforeFailure = 3;
    inside->LoadGameFromPicture(wide);
    TBitmapCanvas::CreationsBeforeFailure = -1;
    EXPECT_EQ(inside->PicturePath, wide);
    EXPECT_NE(inside->PuzzlePictureImage->Handle(), puzzle);
}

}  // namespace

// --- Photos stored turned ------------------------------------------------------------------

namespace {

std::string StagedPicture(const std::string& name) { return "C:\\Tilvane\\pictures\\" + name; }

// What a game shows of its picture: the grid, the original picture and the unshuffled puzzle.
struct TShownPictures {
    int32_t Columns = 0, Rows = 0;
    int OriginalWidth = 0, OriginalHeight = 0, PuzzleWidth = 0, PuzzleHeight = 0;
    std::vector<uint32_t> Original, Puzzle;
};

TShownPictures ShownPictures(TTilvaneFormTestAccess& inside) {
    TShownPictures shown;
    shown.Columns = inside.Board.ResultedColumns;
    shown.Rows = inside.Board.ResultedRows;
    shown.OriginalWidth = inside.OriginalPictureImage->BitmapWidth();
    shown.OriginalHeight = inside.OriginalPictureImage->BitmapHeight();
    shown.PuzzleWidth = inside.BackupPictureImage->BitmapWidth();
    shown.PuzzleHeight = inside.BackupPictureImage->BitmapHeight();
    shown.Original = PixelsOf(*inside.OriginalPictureImage);
    shown.Puzzle = PixelsOf(*inside.BackupPictureImage);
    return shown;
}

// PSNR in dB of two pictures of the same size; 0 for pictures of different sizes.
double PeakSignalToNoise(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const double difference = static_cast<double>((a[i] >> shift) & 0xFF) - static_cast<double>((b[i] >> shift) & 0xFF);
            squares += difference * difference;
        }
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * 3.0 * static_cast<double>(a.size()) / squares);
}

// The same picture: the same grid and image sizes, and pixels as close as two encodings of it
// come (a picture shown turned the wrong way comes to about 11 dB).
void ExpectSamePictures(const TShownPictures& shown, const TShownPictures& upright) {
    EXPECT_EQ(shown.Columns, upright.Columns);
    EXPECT_EQ(shown.Rows, upright.Rows);
    EXPECT_EQ(shown.OriginalWidth, upright.OriginalWidth);
    EXPECT_EQ(shown.OriginalHeight, upright.OriginalHeight);
    EXPECT_EQ(shown.PuzzleWidth, upright.PuzzleWidth);
    EXPECT_EQ(shown.PuzzleHeight, upright.PuzzleHeight);
    EXPECT_GE(PeakSignalToNoise(shown.Original, upright.Original), 30.0);
    EXPECT_GE(PeakSignalToNoise(shown.Puzzle, upright.Puzzle), 30.0);
}

}  // namespace

// A portrait picture stored turned each of the eight ways gives the game of the upright picture:
// its grid, its original picture and its puzzle. JPEGs carry the turn in their Exif block and go
// to the JPEG decoder, TIFFs in their own tag and go to GDI+.
TEST_F(GameWindow, PicturesStoredTurnedShowUprightWithTheUprightPicturesGrid) {
    TRecordedFailures failures;
    for (const std::string kind : {".jpg", ".tif"}) {
        inside->Board.MarkSaved();
        inside->LoadGameFromPicture(StagedPicture("turned-1" + kind));
        const TShownPictures upright = ShownPictures(*inside);
        ASSERT_GT(upright.OriginalHeight, upright.OriginalWidth) << "a portrait picture";
        for (int orientation = 2; orientation <= 8; ++orientation) {
            SCOPED_TRACE("turned-" + std::to_string(orientation) + kind);
            inside->Board.MarkSaved();
            inside->LoadGameFromPicture(StagedPicture("turned-" + std::to_string(orientation) + kind));
            ExpectSamePictures(ShownPictures(*inside), upright);
        }
    }
    EXPECT_TRUE(failures.View.Descriptions.empty()) << failures.View.Reports[0];
}

// Whatever keeps the tag from being read, the picture loads, as it is stored: lying.
TEST_F(GameWindow, ADamagedExifBlockLoadsThePictureUnturned) {
    TRecordedFailures failures;
    TTempFolder folder("damaged-exif");
    std::string photo = ReadFileBytes(StagedPicture("turned-6.jpg"));
    const size_t tiff = photo.find(std::string("Exif\0\0MM\0*", 10));
    ASSERT_NE(tiff, std::string::npos);
    photo.replace(tiff + 10, 4, "\x7F\xFF\xFF\xF0");  // the first directory far beyond the block
    const std::string damaged = folder / "damaged.jpg";
    WriteFileBytes(damaged, photo);
    inside->Board.MarkSaved();
    inside->LoadGameFromPicture(damaged);
    EXPECT_TRUE(failures.View.Descriptions.empty()) << failures.View.Reports[0];
    EXPECT_EQ(inside->PicturePath, damaged);
    EXPECT_GT(inside->OriginalPictureImage->BitmapWidth(), inside->OriginalPictureImage->BitmapHeight());
}

TEST_F(GameWindow, ASavedGameOfATurnedPhotoLoadsItUpright) {
    TRecordedFailures failures;
    TTempFolder folder("turned-game");
    const std::string saved = folder / "turned.tvg";
    inside->Board.MarkSaved();
    inside->LoadGameFromPicture(StagedPicture("turned-8.jpg"));
    const TShownPictures upright = ShownPictures(*inside);
    inside->RandomizeMenuClick();
    ASSERT_TRUE(inside->SaveGameTo(saved));
    inside->LoadGameFromPicture(picturePath);  // another game in between
    inside->LoadGameFrom(saved);
    EXPECT_TRUE(failures.View.Descriptions.empty()) << failures.View.Reports[0];
    // The original picture's outlines now tell the shuffled pieces; the puzzle's copy in order
    // has none.
    const TShownPictures shown = ShownPictures(*inside);
    EXPECT_EQ(shown.Columns, upright.Columns);
    EXPECT_EQ(shown.Rows, upright.Rows);
    EXPECT_EQ(shown.OriginalWidth, upright.OriginalWidth);
    EXPECT_EQ(shown.OriginalHeight, upright.OriginalHeight);
    EXPECT_GE(PeakSignalToNoise(shown.Puzzle, upright.Puzzle), 40.0);
}

// --- Files dropped on the window --------------------------------------------------------------

namespace {

HDROP DropOfBlock(const std::string& block);

// A drop as the shell hands it to this process: a DROPFILES block of wide names.
HDROP DropOf(const std::vector<std::string>& files) { return DropOfBlock(DropFilesBlock(files)); }

HDROP DropOfBlock(const std::string& block) {
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE, block.size());
    std::memcpy(GlobalLock(drop), block.data(), block.size());
    GlobalUnlock(drop);
    return static_cast<HDROP>(drop);
}

}  // namespace

// The first file that is a picture or a saved game is opened as its menu command opens it; the
// others are passed over.
TEST_F(GameWindow, DroppedFilesOpenTheFirstPictureOrSavedGame) {
    TTempFolder folder("dropped");
    const std::string notes = folder / "notes.txt", game = folder / "game.tvg", wide = folder / "wide.bmp";
    WriteFileBytes(notes, "not a picture");
    WriteFileBytes(wide, BitmapFileBytes(300, 150, [](int x, int y) { return RGB(x % 256, y, 40); }));
    ASSERT_TRUE(inside->SaveGameTo(game));
    inside->LoadGameFromPicture(wide);

    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({notes, game, wide})), 0);
    EXPECT_EQ(inside->LastGamePath, game);
    EXPECT_EQ(inside->PicturePath, picturePath) << "the game's own picture";
    EXPECT_EQ(form->Text(), "Tilvane - " + game);

    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({notes, wide, game})), 0);
    EXPECT_EQ(inside->PicturePath, wide);
    EXPECT_EQ(inside->TipsLabel.Text(), "Press [Alt + R] to randomize the picture.");

    // The block comes from the drag source: one whose names start past its end, or whose list
    // never ends, opens nothing and stops nothing.
    std::string pastTheEnd = DropFilesBlock({wide});
    reinterpret_cast<DROPFILES*>(&pastTheEnd[0])->pFiles = 1 << 30;
    std::string unended = DropFilesBlock({notes});
    unended.resize(unended.size() - 4);
    for (const std::string& block : {pastTheEnd, unended}) {
        TMessageBoxAnswerer anyBox("Warning", IDOK);
        SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOfBlock(block)), 0);
        EXPECT_EQ(inside->PicturePath, wide);
        EXPECT_EQ(anyBox.Count(), 0u) << "a malformed drop is no drop of files";
    }
}

// Nothing to open gives a warning and changes nothing; a modified game asks the save question
// first, and Cancel keeps it.
TEST_F(GameWindow, DroppedFilesChangeNothingWithoutAPictureOrWhenTheSaveIsCancelled) {
    TTempFolder folder("dropped-nothing");
    const std::string notes = folder / "notes.txt", other = folder / "other.bmp";
    WriteFileBytes(notes, "not a picture");
    WriteFileBytes(other, BitmapFileBytes(100, 100, [](int x, int y) { return RGB(x, y, 200); }));
    {
        TMessageBoxAnswerer warning("Warning", IDOK);
        inside->OpenGivenFiles({notes});
        ASSERT_EQ(warning.Count(), 1u);
        EXPECT_EQ(warning.Texts()[0], "\"notes.txt\" is neither a picture nor a saved game (.tvg), so it was not opened.");
        inside->OpenGivenFiles({notes, notes + ".doc"});
        ASSERT_EQ(warning.Count(), 2u);
        EXPECT_EQ(warning.Texts()[1], "None of the 2 files is a picture or a saved game (.tvg), so none was opened.");
    }
    EXPECT_EQ(inside->PicturePath, picturePath);

    inside->RandomizeMenuClick();
    inside->Board.SwapPieces(0, 0, 1, 0);
    ASSERT_TRUE(inside->Board.Modified());
    const PieceCell before = inside->Board.Pieces[0][0];
    {
        TMessageBoxAnswerer question("Query", IDCANCEL);
        SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({other})), 0);
        EXPECT_EQ(question.Count(), 1u);
    }
    EXPECT_EQ(inside->PicturePath, picturePath);
    EXPECT_EQ(inside->Board.Pieces[0][0].SourceColumn, before.SourceColumn);
    EXPECT_TRUE(inside->Board.Modified());
}

// --- The wait cursor -------------------------------------------------------------------------

namespace {

// The pointer shape whenever a window is made in this thread: a load makes its new images midway.
std::vector<HCURSOR> ShapesWhileMaking;
LRESULT CALLBACK RecordShapeOnCreate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_CREATE)
        ShapesWhileMaking.push_back(GetCursor());
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_F(GameWindow, TheWaitCursorShowsWhileAPictureLoadsAndGoesAfterAFailureToo) {
    TRecordedFailures failures;
    TTempFolder folder("wait-cursor");
    const std::string truncated = folder / "truncated.jpg";
    const std::string photo = ReadFileBytes(StagedPicture("photo.jpg"));
    WriteFileBytes(truncated, photo.substr(0, photo.size() / 2));
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(arrow);
    ShapesWhileMaking.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordShapeOnCreate, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    inside->Board.MarkSaved();
    inside->LoadGameFromPicture(StagedPicture("turned-6.jpg"));
    UnhookWindowsHookEx(hook);
    ASSERT_FALSE(ShapesWhileMaking.empty());
    for (HCURSOR shape : ShapesWhileMaking) EXPECT_EQ(shape, wait);
    EXPECT_EQ(GetCursor(), arrow);

    inside->LoadGameFromPicture(truncated);
    EXPECT_EQ(failures.View.Descriptions.size(), 1u);
    EXPECT_EQ(GetCursor(), arrow);
}

// A game file that cannot be read fails the load: its reason reaches the command, which shows it
// once with its own text, and the game stays as it was.
TEST_F(GameWindow, AGameFileThatCannotBeReadFailsTheLoadAndChangesNothing) {
    TRecordedFailures failures;
    const std::string huge = *picture / "huge.tvg", lastGame = inside->LastGamePath;
    WriteFileBytes(huge, std::string((8u << 20) + 1, ' '));
    inside->LoadGameFrom(huge);
    EXPECT_TRUE(failures.View.Descriptions.empty()) << "not shown by the file list as well";
    EXPECT_EQ(CurrentFunStatContext.Description,
              "The file is too large for a saved game or options file (more than 8 MB).");
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_EQ(inside->LastGamePath, lastGame);
}

// --- Play time and best results ---------------------------------------------------------------

namespace {

// The game's clock on ticks the test moves on by hand, back on the system's however a test ends.
struct TTestTicks {
    TPlayClock& Clock;
    uint64_t Now = 5000000;
    explicit TTestTicks(TPlayClock& clock) : Clock(clock) { Clock.SetTickSource([this] { return Now; }); }
    ~TTestTicks() { Clock.SetTickSource([] { return static_cast<uint64_t>(GetTickCount64()); }); }
};

void Activate(HWND window) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    PumpMessagesFor(50);
}

// Sends the piece of a misplaced cell home by a drop, as the pointer would; false when none is left.
bool PutOnePieceHome(TPuzzleBoard& board) {
    for (int32_t row = 0; row < board.ResultedRows; ++row)
        for (int32_t column = 0; column < board.ResultedColumns; ++column) {
            if (board.IsPieceInPlace(column, row)) continue;
            const PieceCell piece = board.Pieces[column][row];
            board.SetDragCell(column, row);
            board.DropPiece(piece.SourceColumn, piece.SourceRow);
            return true;
        }
    return false;
}

// A shuffled game played to the end: the first move, that many seconds, then every other piece.
void PlayGameTaking(TTilvaneFormTestAccess& inside, TTestTicks& ticks, int seconds) {
    inside.RandomizeMenuClick();
    ASSERT_TRUE(PutOnePieceHome(inside.Board));
    ticks.Now += static_cast<uint64_t>(seconds) * 1000;
    while (PutOnePieceHome(inside.Board)) {}
}

std::string ResultsPath() { return GetDataDirectory() + "Tilvane results.ini"; }

// Files of the data folder, gone before and after a test, also one that fails.
struct TFilesGone {
    const std::vector<std::string> Paths;
    explicit TFilesGone(std::vector<std::string> paths) : Paths(std::move(paths)) { Delete(); }
    ~TFilesGone() { Delete(); }
    void Delete() const {
        for (const std::string& path : Paths) DeleteFileA(path.c_str());
    }
};

// The results file and the copies of it set aside.
std::vector<std::string> ResultsFiles() {
    return {ResultsPath(), GetDataDirectory() + "Tilvane results.ini.damaged",
            GetDataDirectory() + "Tilvane results (2).ini.damaged"};
}

// The results' entries of the test picture, flipping or not.
const TBestResult* ResultOf(TTilvaneFormTestAccess& inside, const std::string& picture, bool flipping) {
    return inside.BestResults.Find({picture, inside.Board.ResultedColumns, inside.Board.ResultedRows, flipping});
}

}  // namespace

// The clock starts with the first move, turns over while the window is active, stands still while
// it is minimised, another window is active, the session is locked or the computer sleeps, is
// saved and loaded with the game, and stops when the puzzle is solved.
TEST_F(GameWindow, PlayTimeRunsOnlyWhileTheGameIsPlayedInTheActiveWindow) {
    DeleteFileA(ResultsPath().c_str());
    inside->LoadBestResults();
    TTestTicks ticks(inside->Clock);
    TTempFolder folder("play-time");
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "") << "no time before a shuffle";
    Activate(form->Handle());
    inside->RandomizeMenuClick();
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 0:00");
    ticks.Now += 10000;
    PumpMessagesFor(400);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 0:00") << "nothing runs before the first move";

    ASSERT_TRUE(PutOnePieceHome(inside->Board));
    ticks.Now += 65000;
    PumpMessagesFor(400);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 1:05") << "the label turns over by itself";

    ShowWindow(form->Handle(), SW_MINIMIZE);
    ticks.Now += 600000;
    ShowWindow(form->Handle(), SW_RESTORE);
    Activate(KeepAMainWindow()->Handle());
    ticks.Now += 600000;
    Activate(form->Handle());
    // What the system sends the registered window when the session is locked; Wine sends none.
    SendMessageA(form->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    ticks.Now += 600000;
    PumpMessagesFor(400);
    SendMessageA(form->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    ticks.Now += 2000;
    // The tick count goes on while the computer sleeps, with the window active all the while.
    SendMessageA(form->Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    ticks.Now += 3600000;
    SendMessageA(form->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    PumpMessagesFor(400);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 1:07") << "minimised, inactive, locked and asleep time does not count";

    // Saved one move from the end: the move after the load that solves it is timed and recorded.
    while (inside->Board.CountMisplacedPieces() > 2) ASSERT_TRUE(PutOnePieceHome(inside->Board));
    const std::string saved = folder / "timed.tvg";
    ASSERT_TRUE(inside->SaveGameTo(saved));
    EXPECT_NE(ReadFileBytes(saved).find("\r\nPlayTime=67\r\n"), std::string::npos);
    inside->LoadGameFromPicture(picturePath);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "");
    inside->LoadGameFrom(saved);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 1:07");
    ticks.Now += 30000;
    PumpMessagesFor(400);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 1:07") << "a loaded game goes on with the next move";

    ASSERT_TRUE(PutOnePieceHome(inside->Board));
    EXPECT_EQ(inside->Board.CountMisplacedPieces(), 0);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 1:07 (best)");
    EXPECT_FALSE(inside->Clock.Running());
    ticks.Now += 100000;
    PumpMessagesFor(400);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 1:07 (best)") << "the clock stops when the puzzle is solved";
}

// A first solve is the best; a slower one is told the best time. The results file is read again
// as after a restart; a damaged one is set aside with a report, a second one beside the first,
// and play goes on.
TEST_F(GameWindow, BestResultsTellTheBestTimeSurviveARestartAndRefuseADamagedFile) {
    const std::string path = ResultsPath();
    const TFilesGone gone(ResultsFiles());
    inside->LoadBestResults();
    TTestTicks ticks(inside->Clock);
    Activate(form->Handle());

    PlayGameTaking(*inside, ticks, 187);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 3:07 (best)");
    PlayGameTaking(*inside, ticks, 190);
    EXPECT_EQ(inside->PlayTimeLabel.Text().rfind("Time: 3:10 (best 3:07)", 0), 0u) << inside->PlayTimeLabel.Text();

    inside->BestResults.Clear();
    inside->LoadBestResults();
    const TResultKey key{picturePath, inside->Board.ResultedColumns, inside->Board.ResultedRows,
                         inside->AllowFlipCheckBox.Checked()};
    ASSERT_NE(inside->BestResults.Find(key), nullptr) << ReadFileBytes(path);
    EXPECT_EQ(inside->BestResults.Find(key)->Seconds, 187);

    // The same picture given by other spellings of its path (on the command line or by a link)
    // is the same entry.
    std::string shortPath(MAX_PATH, '\0');
    shortPath.resize(GetShortPathNameA(picturePath.c_str(), &shortPath[0], MAX_PATH));
    for (std::string spelling : {picturePath, shortPath}) {
        std::replace(spelling.begin(), spelling.end(), '\\', '/');
        SCOPED_TRACE(spelling);
        inside->Board.MarkSaved();
        inside->OpenGivenFiles({spelling});
        PlayGameTaking(*inside, ticks, 195);
        EXPECT_EQ(inside->PlayTimeLabel.Text().rfind("Time: 3:15 (best 3:07)", 0), 0u) << inside->PlayTimeLabel.Text();
    }
    EXPECT_EQ(inside->BestResults.Entries().size(), 1u);
    inside->Board.MarkSaved();
    inside->LoadGameFromPicture(picturePath);

    const std::string damaged[] = {"[Result1]\r\nPicture=C:\\Lake.jpg\r\nColumns=99\r\n",
                                   "[Result1]\r\nPicture=C:\\Hill.jpg\r\nBestTime=-1\r\n"};
    const char* const asideNames[] = {"Tilvane results.ini.damaged", "Tilvane results (2).ini.damaged"};
    for (int refusal = 0; refusal < 2; ++refusal) {
        SCOPED_TRACE(asideNames[refusal]);
        WriteFileBytes(path, damaged[refusal]);
        TRecordedFailures failures;
        inside->LoadBestResults();
        ASSERT_EQ(failures.View.Descriptions.size(), 1u);
        EXPECT_EQ(failures.View.Descriptions[0], "Failed to load the best results.");
        EXPECT_NE(failures.View.Reports[0].find("kept as \"" + std::string(asideNames[refusal]) + "\""),
                  std::string::npos)
            << failures.View.Reports[0];
    }
    for (int refusal = 0; refusal < 2; ++refusal)
        EXPECT_EQ(ReadFileBytes(GetDataDirectory() + asideNames[refusal]), damaged[refusal])
            << "nothing of a refused file is lost, nor of one refused before it";
    EXPECT_TRUE(inside->BestResults.Entries().empty());
    PlayGameTaking(*inside, ticks, 200);
    EXPECT_EQ(inside->PlayTimeLabel.Text(), "Time: 3:20 (best)") << "the game goes on with a new file";
    EXPECT_NE(ReadFileBytes(path).find("BestTime=200\r\n"), std::string::npos);
}

// A saved or recovered game is filed under the flipping it was shuffled with, whatever the check
// box says when it is loaded and solved: also a flipping game whose flips were all undone.
TEST_F(GameWindow, ALoadedGamesResultKeepsTheFlippingItWasShuffledWith) {
    TTempFolder folder("flipping");
    const std::string recovered = GetDataDirectory() + "Recovered game.tvg";
    const TFilesGone gone(ResultsFiles()), goneToo({recovered});
    inside->LoadBestResults();
    TTestTicks ticks(inside->Clock);
    for (const bool flipping : {false, true}) {
        SCOPED_TRACE(flipping ? "shuffled with flipping" : "shuffled without flipping");
        const std::string saved = folder / (flipping ? "flipping.tvg" : "plain.tvg");
        inside->BestResults.Clear();
        inside->AllowFlipCheckBox.SetChecked(flipping);
        inside->Board.MarkSaved();
        inside->LoadGameFromPicture(picturePath);
        inside->RandomizeMenuClick();
        for (int32_t row = 0; row < inside->Board.ResultedRows; ++row)
            for (int32_t column = 0; column < inside->Board.ResultedColumns; ++column)
                inside->Board.Pieces[column][row].FlipHorizontal = inside->Board.Pieces[column][row].FlipVertical = false;
        ASSERT_TRUE(PutOnePieceHome(inside->Board));
        // Kept once as the player saves it and once as a crash keeps it.
        ASSERT_TRUE(inside->SaveGameTo(saved));
        inside->WriteRecoveredGame();
        inside->AllowFlipCheckBox.SetChecked(!flipping);
        for (const std::string& file : {saved, recovered}) {
            inside->Board.MarkSaved();
            inside->LoadGameFrom(file);
            ASSERT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
            ticks.Now += 1000;
            while (PutOnePieceHome(inside->Board)) {}
            EXPECT_NE(ResultOf(*inside, picturePath, flipping), nullptr) << file;
            EXPECT_EQ(ResultOf(*inside, picturePath, !flipping), nullptr) << file;
        }
    }
    inside->AllowFlipCheckBox.SetChecked(false);
}

// The results window sorts figures as numbers and dates as dates, turns the order round at a
// second click on a heading, keeps the chosen entry selected through a sort, and forgets that
// entry after asking.
TEST_F(GameWindow, BestResultsWindowSortsByValueAndForgetsTheChosenEntry) {
    TBestResults results;
    results.Record({"C:\\Pictures\\a.jpg", 4, 4, false}, 599, 12, 0, "2026-12-01");
    results.Record({"C:\\Pictures\\b.jpg", 4, 4, false}, 600, 9, 3, "2026-11-30");
    results.Record({"C:\\Pictures\\c.jpg", 4, 4, false}, 61, 100, 1, "2026-12-07");
    TBestResultsForm window(results);
    const auto order = [&] {
        std::string initials;
        for (const std::vector<std::string>& row : window.ShownRows()) initials += row[0].substr(0, 1);
        return initials;
    };
    window.SortByColumn(2);
    EXPECT_EQ(order(), "cab") << "1:01, 9:59, 10:00";
    window.SortByColumn(2);
    EXPECT_EQ(order(), "bac") << "a second click turns the order round";
    window.SortByColumn(3);
    EXPECT_EQ(order(), "bac") << "9, 12, 100 moves";
    window.SortByColumn(5);
    EXPECT_EQ(order(), "bac") << "by date";
    window.SortByColumn(4);
    EXPECT_EQ(order(), "acb") << "0, 1, 3 wrong moves";

    const HWND list = GetDlgItem(window.Handle(), idResultsList);
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    window.SortByColumn(2);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0) << "c, chosen in the second row, is now the first";
    {
        TMessageBoxAnswerer question("Query", IDYES);
        window.ForgetButtonClick();
        ASSERT_EQ(question.Count(), 1u);
        EXPECT_NE(question.Texts()[0].find("\"c.jpg\""), std::string::npos) << question.Texts()[0];
    }
    EXPECT_EQ(order(), "ab");
    EXPECT_EQ(results.Find({"C:\\Pictures\\c.jpg", 4, 4, false}), nullptr);
}

// Moves are taken back and made again only while no piece is being dragged: beneath a dragged
// piece they would put another one, which the drop would then move.
TEST_F(GameWindow, UndoAndRedoWaitForADraggedPieceToBeDropped) {
    inside->RandomizeMenuClick();
    int32_t column = -1, row = -1;
    while (column < 0) {
        ASSERT_TRUE(PutOnePieceHome(inside->Board));
        // The cell the piece came from holds the piece it met, to be taken back first.
        if (!inside->Board.IsPieceInPlace(inside->Board.DragColumn(), inside->Board.DragRow()))
            column = inside->Board.DragColumn(), row = inside->Board.DragRow();
    }
    const PieceCell dragged = inside->Board.Pieces[column][row];
    const HWND image = inside->PuzzlePictureImage->Handle();
    SendMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(column * inside->PieceWidth + inside->PieceWidth / 2, row * inside->PieceHeight + inside->PieceHeight / 2));
    ASSERT_EQ(GetCapture(), image) << "the piece is being dragged";
    inside->UndoMoveMenuClick();
    EXPECT_EQ(inside->Board.Pieces[column][row].SourceColumn, dragged.SourceColumn);
    EXPECT_EQ(inside->Board.Pieces[column][row].SourceRow, dragged.SourceRow);
    ReleaseCapture();  // the drag ends without a drop
    inside->UndoMoveMenuClick();
    EXPECT_NE(inside->Board.Pieces[column][row].SourceColumn * 100 + inside->Board.Pieces[column][row].SourceRow,
              dragged.SourceColumn * 100 + dragged.SourceRow) << "taken back once the drag is over";
}
