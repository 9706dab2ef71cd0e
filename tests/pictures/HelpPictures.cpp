// The pictures of the help page, taken from the real program: a game is loaded, shuffled,
// played and solved with real input on the virtual display, an error is caused and the
// installer is started, and at each step the part of the screen that the help explains is
// written as a BMP file into C:\Tilvane\help-pictures\. scripts/make-package.sh runs this
// and turns the files into the compressed PNG pictures beside Help.html. Every step checks
// that the program really shows what the picture is meant to show.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Include/ErrorDialog.h"
#include "Include/Install.h"
#include "Tilvane/TilvaneIds.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char* const PictureFolder = "C:\\Tilvane\\help-pictures\\";
const int Grid = 7;

RECT WindowRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT Grown(RECT rect, int by) { return RECT{rect.left - by, rect.top - by, rect.right + by, rect.bottom + by}; }

RECT Union(const RECT& a, const RECT& b) {
    RECT both = {};
    UnionRect(&both, &a, &b);
    return both;
}

// The pointer the game shows while a drop will be taken: the system's drag-move pointer of ole32.
HCURSOR DragPointer() {
    HMODULE ole = LoadLibraryA("ole32.dll");
    HCURSOR found = ole ? LoadCursorA(ole, MAKEINTRESOURCEA(2)) : nullptr;
    return found ? found : LoadCursorA(nullptr, IDC_ARROW);
}

// Writes what the screen shows inside the area as <name>.bmp, once the window has painted,
// with the pointer shape that the game shows there drawn in.
void SavePicture(const std::string& name, const RECT& area, HWND painter, HCURSOR pointer = nullptr) {
    WaitUntilAnswering(painter);
    Sleep(100);  // the hint follows a timer of its own
    const TPixels pixels = CaptureScreenPixels(area, pointer);
    ASSERT_GT(pixels.Width, 0) << name;
    CreateFolderChain(std::string(PictureFolder).substr(0, std::string(PictureFolder).size() - 1));
    WriteFileBytes(PictureFolder + name + ".bmp",
                   BitmapFileBytes(pixels.Width, pixels.Height, [&](int x, int y) { return pixels.At(x, y); }));
}

class HelpPictures : public ::testing::Test {
protected:
    void SetUp() override {
        game = std::make_unique<TGameProcess>("help-pictures");
        ASSERT_TRUE(game->WaitForMainWindow());
        const SIZE piece = PieceSizeFilling(game->Control(idPuzzlePictureGroupBox), Grid, Grid);
        pieceWidth = piece.cx;
        pieceHeight = piece.cy;
        picturePath = game->PathOf("picture.bmp");
        WriteFileBytes(picturePath, QuadrantPicture(Grid, Grid, pieceWidth, pieceHeight));
    }

    HWND Puzzle() const { return game->Control(idPuzzlePictureImage); }
    HWND PuzzleBox() const { return game->Control(idPuzzlePictureGroupBox); }
    std::string Label(int id) const { return game->ControlText(id); }
    bool WaitForLabel(int id, const std::string& text) {
        return WaitUntil([&] { return Label(id) == text; });
    }
    std::vector<TShownPiece> Board() const {
        return ShownBoard(SettledPixels(Puzzle(), game->MainWindow()), Grid, Grid);
    }
    POINT CellCentre(int cell) const {
        return ClientPointOnScreen(Puzzle(), cell % Grid * pieceWidth + pieceWidth / 2,
                                   cell / Grid * pieceHeight + pieceHeight / 2);
    }
    RECT CellOnScreen(int cell) const {
        const POINT topLeft = ClientPointOnScreen(Puzzle(), cell % Grid * pieceWidth, cell / Grid * pieceHeight);
        return RECT{topLeft.x, topLeft.y, topLeft.x + pieceWidth, topLeft.y + pieceHeight};
    }
    void Check(int id) {
        ClickAt(CenterOnScreen(game->Control(id)));
        ASSERT_TRUE(WaitUntil([&] { return SendMessageA(game->Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    }
    void Drag(int from, int to) {
        spacing.BeforePress(from);
        const std::string moves = Label(idMovesCountLabel);
        DragFromTo(CellCentre(from), CellCentre(to));
        ASSERT_TRUE(WaitUntil([&] { return Label(idMovesCountLabel) != moves; })) << "the drop was not taken";
    }
    static int FirstMisplaced(const std::vector<TShownPiece>& board, int after = -1) {
        for (int cell = after + 1; cell < Grid * Grid; ++cell)
            if (board[cell].Piece != cell) return cell;
        return -1;
    }

    void LoadAndShuffle();
    void TakeDragPicture();
    void TakeOutlinesPicture();
    void TakeHintPicture();
    void SolveAndTakePicture();

    std::unique_ptr<TGameProcess> game;
    TDoubleClickSpacing spacing;
    int pieceWidth = 0, pieceHeight = 0;
    std::string picturePath;
};

void HelpPictures::LoadAndShuffle() {
    game->Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(game->ProcessId(), picturePath));
    ASSERT_TRUE(WaitForLabel(idTipsLabel, RandomizeTip));
    SavePicture("loaded", WindowRectOf(game->MainWindow()), game->MainWindow());
    Check(idAllowFlipCheckBox);
    game->Key('R', modAlt);
    ASSERT_TRUE(WaitForLabel(idTipsLabel, DragTip));
    const std::vector<TShownPiece> board = Board();
    ASSERT_TRUE(std::any_of(board.begin(), board.end(),
                            [](const TShownPiece& shown) { return shown.FlipHorizontal || shown.FlipVertical; }))
        << "the shuffled board shows mirrored pieces";
    SavePicture("shuffled", WindowRectOf(PuzzleBox()), game->MainWindow());
}

// A piece held over another, with the pointer that says the drop will be taken.
void HelpPictures::TakeDragPicture() {
    const std::vector<TShownPiece> board = Board();
    // Two cells apart each way, so that the picture shows where the piece comes from.
    const int from = FirstMisplaced(board), to = FirstMisplaced(board, std::min(from + 2 * Grid + 1, Grid * Grid - 2));
    ASSERT_GE(from, 0);
    ASSERT_GE(to, 0);
    const std::string moves = Label(idMovesCountLabel);
    {
        THeldDrag drag(CellCentre(from), CellCentre(to));
        const RECT area = Grown(Union(CellOnScreen(from), CellOnScreen(to)), std::max(pieceWidth, pieceHeight));
        RECT box = WindowRectOf(PuzzleBox()), shown = {};
        IntersectRect(&shown, &area, &box);
        SavePicture("drag", shown, game->MainWindow(), DragPointer());
    }
    ASSERT_TRUE(WaitUntil([&] { return Label(idMovesCountLabel) != moves; })) << "the drop was not taken";
}

// A piece put home (yellow), a marked cell (red) and the light grid (silver).
void HelpPictures::TakeOutlinesPicture() {
    const std::vector<TShownPiece> board = Board();
    const int home = FirstMisplaced(board);
    ASSERT_GE(home, 0);
    int from = 0;
    while (board[from].Piece != home) ++from;
    Drag(from, home);
    Check(idLightGridCheckBox);
    const int marked = FirstMisplaced(Board(), home);
    ASSERT_GE(marked, 0);
    RightClickAt(CellCentre(marked));
    ASSERT_TRUE(WaitUntil([&] {
        const TPixels pixels = SettledPixels(Puzzle(), game->MainWindow());
        return pixels.At(marked % Grid * pieceWidth + pieceWidth / 2, marked / Grid * pieceHeight) == RGB(255, 0, 0);
    })) << "the mark is drawn";
    SavePicture("outlines", WindowRectOf(PuzzleBox()), game->MainWindow());
}

// The hint of a piece while Ctrl and Alt are held over it.
void HelpPictures::TakeHintPicture() {
    const int cell = FirstMisplaced(Board());
    ASSERT_GE(cell, 0);
    MoveMouse(CellCentre(cell));
    THeldModifiers held(modCtrl | modAlt);
    MoveMouse(ClientPointOnScreen(Puzzle(), cell % Grid * pieceWidth + pieceWidth / 3,
                                  cell / Grid * pieceHeight + pieceHeight / 3));
    HWND tip = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        tip = FindTopLevelWindow(game->ProcessId(),
                                 [](HWND window) { return WindowClass(window) == "tooltips_class32"; });
        return tip && WindowText(tip).rfind("Column ", 0) == 0;
    })) << "the hint shows";
    const RECT area = Grown(Union(WindowRectOf(tip), CellOnScreen(cell)), std::max(pieceWidth, pieceHeight) / 2);
    SavePicture("hint", area, game->MainWindow(), LoadCursorA(nullptr, IDC_HAND));
}

void HelpPictures::SolveAndTakePicture() {
    for (int home = 0; home < Grid * Grid; ++home) {
        const std::vector<TShownPiece> board = Board();
        if (board[home].Piece == home) continue;
        int from = 0;
        while (board[from].Piece != home) ++from;
        Drag(from, home);
    }
    ASSERT_TRUE(WaitForLabel(idRemainingCountLabel, "The puzzle is solved."));
    MoveMouse(CenterOnScreen(game->Control(idMainPanel)));
    SavePicture("solved", WindowRectOf(game->MainWindow()), game->MainWindow());
}

TEST_F(HelpPictures, PlayedGame) {
    ASSERT_NO_FATAL_FAILURE(LoadAndShuffle());
    ASSERT_NO_FATAL_FAILURE(TakeDragPicture());
    ASSERT_NO_FATAL_FAILURE(TakeOutlinesPicture());
    ASSERT_NO_FATAL_FAILURE(TakeHintPicture());
    ASSERT_NO_FATAL_FAILURE(SolveAndTakePicture());
}

// "Load last game" on a first start fails: there is no game yet.
TEST(HelpPicturesOfDialogs, ErrorDialog) {
    TGameProcess game("help-error");
    ASSERT_TRUE(game.WaitForMainWindow());
    game.Key('Z', modCtrl);
    const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId()));
    ASSERT_TRUE(dialog.Open());
    SavePicture("error", WindowRectOf(dialog.Window()), dialog.Window());
    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitUntil([&] { return !dialog.Open(); }));
}

// The installer of a package laid out as make-package.sh lays it out, with the real read-me
// (staged beside this program in "package"), closed with Escape before it installs anything.
TEST(HelpPicturesOfDialogs, Installer) {
    const std::string package = "C:\\Tilvane\\e2e\\help-installer\\Tilvane";
    RemoveTree("C:\\Tilvane\\e2e\\help-installer");
    CreateFolderChain(package);
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "Tilvane.exe").c_str(), (package + "\\Install.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "package\\Readme.txt").c_str(), (package + "\\Readme.txt").c_str(), FALSE))
        << "is the read-me staged beside this program?";
    {
        TChildProcess installer("\"" + package + "\\Install.exe\"", package);
        ASSERT_TRUE(installer.Started());
        const DWORD processId = GetProcessId(installer.Handle());
        HWND window = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            window = FindTopLevelWindow(processId, [](HWND w) { return WindowText(w) == "Install Tilvane"; });
            return window != nullptr;
        }));
        ASSERT_FALSE(WindowText(FindDescendant(window, idInstallReadmeMemo)).empty()) << "the read-me is shown";
        SavePicture("installer", WindowRectOf(window), window);
        BringToForeground(window);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(installer.Wait(StepTimeout));
    }
    RemoveTree("C:\\Tilvane\\e2e\\help-installer");
}

}  // namespace
