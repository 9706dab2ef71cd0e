// A whole game won with the keyboard alone: a shuffled and mirrored 5 x 4 game is loaded, pieces
// are mirrored back with Ctrl+Enter and Shift+Enter and carried home with the arrows and Enter,
// reading the board from the screen after every step, and the counters come out as the same
// drops by the pointer give.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "support/WineTestSupport.h"
#include "Tilvane/TilvaneIds.h"

#include <gtest/gtest.h>

namespace {

const int Columns = 5, Rows = 4, Cells = Columns * Rows;

std::string Flag(bool value) { return value ? "TRUE" : "FALSE"; }

// Cell n holds piece (7n + 3) mod 20: every piece away from home; some are mirrored.
std::string ShuffledGameText(const std::string& picture) {
    std::string text = "[TilvaneGame]\r\nColumnsCount=5\r\nRowsCount=5\r\nLightGrid=FALSE\r\nPictureTitle=" + picture +
                       "\r\nResultedColumns=5\r\nResultedRows=4\r\nMovesCount=0\r\nWrongMoves=0\r\n\r\n[Map]\r\n";
    for (int n = 0; n < Cells; ++n) {
        const int piece = (7 * n + 3) % Cells;
        const std::string number = std::to_string(n);
        text += "C" + number + "=" + std::to_string(piece % Columns) + "\r\nR" + number + "=" +
                std::to_string(piece / Columns) + "\r\nFH" + number + "=" + Flag(n % 3 == 0) + "\r\nFV" + number +
                "=" + Flag(n % 4 == 1) + "\r\n";
    }
    return text + "\r\n";
}

const char* const FlippingOptions =
    "[TilvaneGame]\r\nColumnsCount=5\r\nRowsCount=5\r\nLightGrid=FALSE\r\nAllowFlip=TRUE\r\n\r\n";

HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

class KeyboardEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        game = std::make_unique<TGameProcess>("keys", std::vector<TPlacedFile>{{"Tilvane.ini", FlippingOptions}});
        ASSERT_TRUE(game->WaitForMainWindow());
        const SIZE piece = PieceSizeFilling(game->Control(idPuzzlePictureGroupBox), Columns, Rows);
        const std::string picture = game->PathOf("quadrants.bmp");
        WriteFileBytes(picture, QuadrantPicture(Columns, Rows, piece.cx, piece.cy));
        gamePath = game->PathOf("shuffled.tvg");
        WriteFileBytes(gamePath, ShuffledGameText(picture));
    }

    HWND Puzzle() const { return game->Control(idPuzzlePictureImage); }
    std::string Label(int id) const { return game->ControlText(id); }
    bool WaitForLabel(int id, const std::string& text) {
        return WaitUntil([&] { return Label(id) == text; });
    }
    std::vector<TShownPiece> Board() const {
        return ShownBoard(SettledPixels(Puzzle(), game->MainWindow()), Columns, Rows);
    }
    static std::string Position(int cell) {
        return "Column " + std::to_string(cell % Columns + 1) + ". Row " + std::to_string(cell / Columns + 1) + ".";
    }

    void LoadGame() {
        game->Key('L');
        ASSERT_TRUE(AnswerFileDialog(game->ProcessId(), gamePath));
        ASSERT_TRUE(WaitForLabel(idTipsLabel, "Drag a piece of the puzzle on another piece, to swap them."));
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(game->MainWindow()) == Puzzle(); })) << "the puzzle takes the focus";
        selected = 0;
    }

    // The frame walks with the arrows, one cell a key, and the position label follows it.
    void Select(int cell) {
        while (selected % Columns < cell % Columns) Step(VK_RIGHT, +1);
        while (selected % Columns > cell % Columns) Step(VK_LEFT, -1);
        while (selected / Columns < cell / Columns) Step(VK_DOWN, +Columns);
        while (selected / Columns > cell / Columns) Step(VK_UP, -Columns);
    }
    // Each key goes to the game as the foreground window: under load Wine can hand the foreground
    // on late, after a dialog has gone, and a key sent then is lost.
    void Step(WORD key, int by) {
        game->Key(key);
        selected += by;
        ASSERT_TRUE(WaitForLabel(idPositionLabel, Position(selected)))
            << Label(idPositionLabel) << "; the foreground window is \"" << WindowText(GetForegroundWindow()) << "\"";
    }

    // Enter on the piece, Enter on the target: the moves label tells the drop was taken.
    void Carry(int from, int to) {
        const std::string moves = Label(idMovesCountLabel);
        Select(from);
        PressKey(VK_RETURN);
        Select(to);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return Label(idMovesCountLabel) != moves; })) << "the drop was not taken";
    }

    std::unique_ptr<TGameProcess> game;
    std::string gamePath;
    int selected = 0;
};

TEST_F(KeyboardEndToEnd, AMirroredGameIsWonWithKeysAlone) {
    LoadGame();
    std::vector<TShownPiece> board = Board();
    for (int cell = 0; cell < Cells; ++cell) ASSERT_EQ(board[cell].Piece, (7 * cell + 3) % Cells) << cell;

    // One wrong move first: the piece of cell 0 dropped on a place that is not its own.
    const int wrongTarget = 1;  // holds piece 10; piece 3 belongs elsewhere
    Carry(0, wrongTarget);
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 1 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 1 wrong moves.");
    int expectedMoves = 1;

    for (int home = 0; home < Cells; ++home) {
        board = Board();
        if (board[home].Piece == home) continue;
        int from = 0;
        while (board[from].Piece != home) ++from;
        // Mirrored back first: neither key is a move.
        Select(from);
        if (board[from].FlipHorizontal) PressKey(VK_RETURN, modCtrl);
        if (board[from].FlipVertical) PressKey(VK_RETURN, modShift);
        ASSERT_TRUE(WaitUntil([&] {
            const TShownPiece shown = Board()[from];
            return shown.Piece == home && !shown.FlipHorizontal && !shown.FlipVertical;
        })) << "piece " << home << " mirrored back";
        Carry(from, home);
        ++expectedMoves;
        ASSERT_EQ(Label(idMovesCountLabel), "You have made " + std::to_string(expectedMoves) + " moves.");
        ASSERT_EQ(Label(idWrongMovesLabel), "You have made 1 wrong moves.") << "a piece put home is no wrong move";
        ASSERT_EQ(Board()[home], (TShownPiece{home, false, false}));
    }
    EXPECT_TRUE(WaitForLabel(idRemainingCountLabel, "The puzzle is solved."));
    EXPECT_EQ(Label(idTipsLabel), "Press [F5] to load a picture. Press [L] to load a game.");
    EXPECT_TRUE(game->Running());
}

TEST_F(KeyboardEndToEnd, RefusedKeysChangeNothingAndShortcutsKeepTheirMeaning) {
    LoadGame();
    const std::vector<TShownPiece> before = Board();
    // Up and Left at the first cell, Enter twice on one cell (picked up, dropped where it came
    // from), Escape: the board and the counters stay as loaded.
    PressKey(VK_UP);
    PressKey(VK_LEFT);
    PressKey(VK_RETURN);
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    Step(VK_RIGHT, +1);
    EXPECT_EQ(Board(), before);
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 0 moves.");
    EXPECT_TRUE(game->Running()) << "Escape on the puzzle does not close the window";

    // Tab goes round the four option controls and back to the puzzle.
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(game->MainWindow()) == game->Control(idColumnsCountComboBox); }));
    for (int i = 0; i < 4; ++i) PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(game->MainWindow()) == Puzzle(); }));
    PressKey(VK_TAB, modShift);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(game->MainWindow()) == game->Control(idLightGridCheckBox); }));
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(game->MainWindow()) == Puzzle(); }));

    // A shortcut pressed on the puzzle is still the shortcut: Alt+R shuffles, also with Alt let
    // go before R, and the menu bar stays closed, so the arrows still reach the puzzle.
    PressKeyReleasingModifiersFirst('R', modAlt);
    EXPECT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 0 moves."));
    EXPECT_TRUE(WaitUntil([&] { return Board() != before; })) << "Alt+R shuffled the board";
    EXPECT_FALSE(InMenuMode(game->MainWindow())) << "letting go of Alt opened the menu bar";
    Step(VK_RIGHT, +1);
    // The first press of Alt alone after that opens the menu bar; Escape closes it again.
    game->Key(VK_MENU);
    EXPECT_TRUE(WaitUntil([&] { return InMenuMode(game->MainWindow()); })) << "Alt alone did not open the menu bar";
    game->Key(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !InMenuMode(game->MainWindow()); })) << "Escape left the menu bar open";
}

TEST_F(KeyboardEndToEnd, HoldingCtrlAndAltShowsTheHintOfTheSelectedPieceBesideIt) {
    LoadGame();
    Step(VK_RIGHT, +1);
    Step(VK_DOWN, +Columns);  // cell 6 holds piece (7 * 6 + 3) mod 20 = 5: column 1, row 2, flipped left to right
    auto hint = [&] {
        return FindTopLevelWindow(game->ProcessId(), [](HWND window) {
            return WindowClass(window) == "tooltips_class32" && IsWindowVisible(window);
        });
    };
    HWND shown = nullptr;
    ASSERT_TRUE(BringToForeground(game->MainWindow()));
    {
        THeldModifiers held(modCtrl | modAlt);
        EXPECT_TRUE(WaitUntil([&] { return (shown = hint()) != nullptr; })) << "no hint while Ctrl and Alt are held";
        if (shown) {
            EXPECT_EQ(WindowText(shown), "Column 1; Row 2; Flip horiz YES; Flip vert NO");
            RECT tip = {}, cell = {};
            GetWindowRect(shown, &tip);
            GetWindowRect(Puzzle(), &cell);
            const int pieceWidth = (cell.right - cell.left) / Columns, pieceHeight = (cell.bottom - cell.top) / Rows;
            EXPECT_GE(tip.left, cell.left + 2 * pieceWidth) << "beside the cell, not over it";
            EXPECT_LE(tip.top, cell.top + 2 * pieceHeight) << "level with the cell";
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return hint() == nullptr; })) << "the hint goes when the keys are released";
}

// The save question belongs to the game window, which is active again when the question goes:
// the next shortcut works without a click.
TEST_F(KeyboardEndToEnd, ShortcutsWorkRightAfterAQuestion) {
    LoadGame();
    Carry(0, 1);  // a move: the game is modified
    game->Key('L');
    ASSERT_TRUE(AnswerFileDialog(game->ProcessId(), gamePath));
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        question = FindTopLevelWindow(game->ProcessId(), [](HWND window) {
            return WindowClass(window) == "#32770" && WindowText(window) == "Query" && IsWindowVisible(window);
        });
        return question != nullptr;
    }));
    EXPECT_EQ(GetWindow(question, GW_OWNER), game->MainWindow()) << "the question belongs to the game window";
    PressKey('N');  // the question has the keyboard: N answers No, and the game is loaded again
    ASSERT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 0 moves."));

    PressKey('L');  // no click and no help to bring the window forward
    EXPECT_TRUE(AnswerFileDialog(game->ProcessId(), gamePath)) << "L opened the load dialog";
    EXPECT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 0 moves."));
}

}  // namespace
