// Saved games and the options file in the real program: games saved through the real dialogs
// and compared with what the board shows, loaded again in a fresh start, the save question and
// the overwrite question with each of their answers, game files written by hand with odd values,
// and the options file the program leaves behind.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Include/ErrorDialog.h"
#include "Tilvane/Core/PlayClock.h"
#include "Tilvane/TilvaneIds.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const int Grid = 7;
const char* const SaveQuestion = "The game has been modified. Save it?";
const char* const OptionsName = "Tilvane.ini";
const int FileNameCombo = 0x047C;  // the file name box of the explorer-style dialog
const int FileNameEdit = 0x0480;   // the file name box of the older dialog

std::string OverwriteQuestion(const std::string& path) {
    return "File \"" + path + "\"already exists.\nOverwrite it?";
}

std::string MyPicturesFolder() {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_MYPICTURES, nullptr, 0, path);
    return path;
}

// --- Settings files ----------------------------------------------------------------------------

struct TSection {
    std::string Name;
    std::vector<std::string> Lines;
};

// The sections of a file that must be in the written form exactly: for each section its header
// in brackets, its lines and one empty line, every line ending in CR LF.
std::vector<TSection> WrittenSections(const std::string& bytes) {
    std::vector<TSection> sections;
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) {
        ADD_FAILURE() << "the file does not end with CR LF";
        return sections;
    }
    bool inSection = false;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find("\r\n", start);
        const std::string line = bytes.substr(start, end - start);
        start = end + 2;
        if (line.find_first_of("\r\n") != std::string::npos) {
            ADD_FAILURE() << "a line break other than CR LF in: " << line;
            return {};
        }
        if (!inSection) {
            if (line.size() < 2 || line.front() != '[' || line.back() != ']') {
                ADD_FAILURE() << "a section header expected, found: " << line;
                return {};
            }
            sections.push_back({line.substr(1, line.size() - 2), {}});
            inSection = true;
        } else if (line.empty()) {
            inSection = false;
        } else {
            sections.back().Lines.push_back(line);
        }
    }
    if (inSection) ADD_FAILURE() << "no empty line after the last section";
    return sections;
}

std::vector<std::string> KeysOf(const TSection& section) {
    std::vector<std::string> keys;
    for (const std::string& line : section.Lines) keys.push_back(line.substr(0, line.find('=')));
    return keys;
}

std::string ValueOf(const TSection& section, const std::string& key) {
    for (const std::string& line : section.Lines)
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    ADD_FAILURE() << "no key " << key << " in section " << section.Name;
    return std::string();
}

std::vector<std::string> GameSettingKeys() {
    return {"ColumnsCount", "RowsCount", "LightGrid", "PictureTitle", "ResultedColumns", "ResultedRows",
            "MovesCount", "WrongMoves", "PlayTime", "AllowFlip"};
}

std::vector<std::string> MapKeys(int cells) {
    std::vector<std::string> keys;
    for (int n = 0; n < cells; ++n)
        for (const char* letters : {"C", "R", "FH", "FV"}) keys.push_back(letters + std::to_string(n));
    return keys;
}

// What an options file written by the program holds, in its order.
std::string OptionsText(int columns, int rows, bool lightGrid, const std::string& picture, bool allowFlip,
                        const std::string& lastGame, bool animateMoves = true) {
    return std::string("[TilvaneGame]\r\n") + "ColumnsCount=" + std::to_string(columns) + "\r\n" +
           "RowsCount=" + std::to_string(rows) + "\r\n" + "LightGrid=" + (lightGrid ? "TRUE" : "FALSE") + "\r\n" +
           "PictureTitle=" + picture + "\r\n" + "AllowFlip=" + (allowFlip ? "TRUE" : "FALSE") + "\r\n" +
           "LastGameTitle=" + lastGame + "\r\n" + "AnimateMoves=" + (animateMoves ? "TRUE" : "FALSE") + "\r\n\r\n";
}

// --- Boards in files -----------------------------------------------------------------------------

struct TCell {
    int Column;
    int Row;
    bool FlipHorizontal;
    bool FlipVertical;
};

std::vector<TCell> CellsInOrder(int columns, int rows) {
    std::vector<TCell> cells;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) cells.push_back({column, row, false, false});
    return cells;
}

std::vector<std::string> MapLines(const std::vector<TCell>& cells) {
    std::vector<std::string> lines;
    for (size_t n = 0; n < cells.size(); ++n) {
        const std::string number = std::to_string(n);
        lines.push_back("C" + number + "=" + std::to_string(cells[n].Column));
        lines.push_back("R" + number + "=" + std::to_string(cells[n].Row));
        lines.push_back("FH" + number + "=" + (cells[n].FlipHorizontal ? "TRUE" : "FALSE"));
        lines.push_back("FV" + number + "=" + (cells[n].FlipVertical ? "TRUE" : "FALSE"));
    }
    return lines;
}

// A game file written by the test: the settings lines as given, then the Map lines when there are any.
std::string GameFileText(const std::vector<std::string>& settings, const std::vector<std::string>& map) {
    std::string text = "[TilvaneGame]\r\n";
    for (const std::string& line : settings) text += line + "\r\n";
    text += "\r\n";
    if (map.empty()) return text;
    text += "[Map]\r\n";
    for (const std::string& line : map) text += line + "\r\n";
    return text + "\r\n";
}

std::vector<TCell> CellsOfMap(const TSection& map, int count) {
    std::vector<TCell> cells;
    for (int n = 0; n < count; ++n) {
        const std::string number = std::to_string(n);
        cells.push_back({std::atoi(ValueOf(map, "C" + number).c_str()), std::atoi(ValueOf(map, "R" + number).c_str()),
                         ValueOf(map, "FH" + number) == "TRUE", ValueOf(map, "FV" + number) == "TRUE"});
    }
    return cells;
}

// The board as the screen shows these cells: a piece on its own place is never shown mirrored.
std::vector<TShownPiece> AsShown(const std::vector<TCell>& cells, int columns) {
    std::vector<TShownPiece> shown;
    for (size_t n = 0; n < cells.size(); ++n) {
        const int piece = cells[n].Row * columns + cells[n].Column;
        const bool placed = piece == static_cast<int>(n);
        shown.push_back({piece, cells[n].FlipHorizontal && !placed, cells[n].FlipVertical && !placed});
    }
    return shown;
}

int Misplaced(const std::vector<TShownPiece>& board) {
    int count = 0;
    for (size_t n = 0; n < board.size(); ++n) count += board[n].Piece != static_cast<int>(n);
    return count;
}

std::string RemainingText(int misplaced) {
    return misplaced == 0 ? "The puzzle is solved."
                          : "There are " + std::to_string(misplaced) + " pieces remaining to be placed correctly.";
}

// --- Windows of the program --------------------------------------------------------------------

HWND WaitForFileDialog(DWORD processId) {
    HWND dialog = nullptr;
    WaitUntil([&] {
        dialog = FindTopLevelWindow(processId, [](HWND window) {
            return WindowClass(window) == "#32770" &&
                   (GetDlgItem(window, FileNameCombo) != nullptr || GetDlgItem(window, FileNameEdit) != nullptr);
        });
        return dialog != nullptr;
    });
    if (dialog) WaitUntilAnswering(dialog);
    return dialog;
}

// The name the dialog offers in its file name box.
std::string OfferedFileName(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, FileNameCombo)) return WindowText(combo);
    return WindowText(GetDlgItem(dialog, FileNameEdit));
}

bool CancelFileDialog(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

// Waits for the error dialog, returns its report and closes it with its Okay button.
std::string TakeErrorReport(DWORD processId) {
    const TErrorDialogView dialog(WaitForErrorDialog(processId));
    if (!dialog.Open()) return std::string();
    const std::string report = dialog.Report();
    dialog.ClickButton(idErrorOkayButton);
    WaitUntil([&] { return !dialog.Open(); });
    return report;
}

bool ReportHas(const std::string& report, const std::string& failure, const std::string& description,
               const std::string& parameter) {
    return report.rfind("DESCRIPTION\r\n" + failure + "\r\n", 0) == 0 &&
           report.find("* Description: \"" + description) != std::string::npos &&
           report.find("* Parameter 1: \"" + parameter + "\"\r\n") != std::string::npos;
}

class SavedGameEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { files = std::make_unique<TTempFolder>("saved-game"); }

    // Starts a fresh copy of the program with the files placed in its folder and notes the piece
    // size of a 7 x 7 picture that fills its puzzle area.
    void Start(const std::string& name, const std::vector<TPlacedFile>& placed = {}) {
        game.reset();
        game = std::make_unique<TGameProcess>(name, placed);
        ASSERT_TRUE(game->WaitForMainWindow());
        const SIZE piece = PieceSizeFilling(game->Control(idPuzzlePictureGroupBox), Grid, Grid);
        pieceWidth = piece.cx;
        pieceHeight = piece.cy;
        ASSERT_GT(pieceWidth, 8);
        ASSERT_GT(pieceHeight, 8);
    }

    DWORD Process() const { return game->ProcessId(); }
    HWND Main() const { return game->MainWindow(); }
    std::string Caption() const { return WindowText(Main()); }
    std::string Label(int id) const { return game->ControlText(id); }
    bool Checked(int id) const { return SendMessageA(game->Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool WaitForLabel(int id, const std::string& text) const {
        return WaitUntil([&] { return Label(id) == text; });
    }
    bool WaitForCaption(const std::string& text) const {
        return WaitUntil([&] { return Caption() == text; });
    }
    void Settle() const { WaitUntilAnswering(Main()); }
    std::string File(const std::string& name) const { return *files / name; }

    // A 7 x 7 picture of this screen's piece size, so that a new game from it shows it unscaled.
    std::string MakeGridPicture(const std::string& name) const {
        WriteFileBytes(File(name), QuadrantPicture(Grid, Grid, pieceWidth, pieceHeight));
        return File(name);
    }

    void LoadPicture(const std::string& path) {
        game->Key(VK_F5);
        ASSERT_TRUE(AnswerFileDialog(Process(), path));
        ASSERT_TRUE(WaitForLabel(idTipsLabel, RandomizeTip)) << Label(idTipsLabel);
    }

    void Shuffle() {
        game->Key('R', modAlt);
        ASSERT_TRUE(WaitForLabel(idTipsLabel, DragTip));
        ASSERT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 0 moves."));
    }

    TPixels Puzzle() const { return SettledPixels(game->Control(idPuzzlePictureImage), Main()); }
    TPixels Original() const { return SettledPixels(game->Control(idOriginalPictureImage), Main()); }
    std::vector<TShownPiece> Shown(int columns = Grid, int rows = Grid) const {
        return ShownBoard(Puzzle(), columns, rows);
    }

    POINT CellCentre(int cell, int columns, int rows) const {
        HWND image = game->Control(idPuzzlePictureImage);
        RECT client = {};
        GetClientRect(image, &client);
        const int width = client.right / columns, height = client.bottom / rows;
        return ClientPointOnScreen(image, cell % columns * width + width / 2, cell / columns * height + height / 2);
    }

    // Drags the piece of one cell onto another and waits until the move is counted.
    void Drag(int from, int to, int columns = Grid, int rows = Grid) {
        pressSpacing.BeforePress(from);
        const std::string moves = Label(idMovesCountLabel);
        DragFromTo(CellCentre(from, columns, rows), CellCentre(to, columns, rows));
        ASSERT_TRUE(WaitUntil([&] { return Label(idMovesCountLabel) != moves; })) << "the drop was not taken";
    }

    // A misplaced piece dragged onto its own place: a move, not a wrong one.
    void DragPieceHome() {
        const std::vector<TShownPiece> board = Shown();
        int from = 0;
        while (from < Grid * Grid && board[from].Piece == from) ++from;
        ASSERT_LT(from, Grid * Grid) << "a shuffled board has misplaced pieces";
        Drag(from, board[from].Piece);
    }

    void AskToClose() const { PostMessageA(Main(), WM_CLOSE, 0, 0); }

    // The program's question comes, is answered Cancel, and the window stays as it was.
    void ExpectCloseRefused() {
        AskToClose();
        EXPECT_EQ(AnswerQuery(Process(), IDCANCEL), SaveQuestion);
        Settle();
        EXPECT_TRUE(game->Running());
        EXPECT_TRUE(IsWindowVisible(Main()));
        EXPECT_FALSE(FileExists(game->PathOf(OptionsName))) << "a refused close writes no options";
    }

    std::unique_ptr<TTempFolder> files;
    std::unique_ptr<TGameProcess> game;
    int pieceWidth = 0, pieceHeight = 0;
    TDoubleClickSpacing pressSpacing;
};

// --- First start and the options file ------------------------------------------------------

TEST_F(SavedGameEndToEnd, FirstStartUsesDefaultsAndLeavesSevenKeys) {
    Start("first-start");
    const std::string gamesPattern = game->PathOf("TilvaneGames\\*.tvg");
    EXPECT_TRUE(FolderExists(game->PathOf("TilvaneGames"))) << "the games folder is made at start";
    EXPECT_EQ(Label(idColumnsCountComboBox), "7");
    EXPECT_EQ(Label(idRowsCountComboBox), "7");
    EXPECT_FALSE(Checked(idLightGridCheckBox));
    EXPECT_FALSE(Checked(idAllowFlipCheckBox));

    // The remembered picture is the pictures folder followed by "*": reloading it does nothing,
    // so the first report is that of "Load last game".
    game->Key(VK_F5, modCtrl);
    game->Key('Z', modCtrl);
    const TErrorDialogView dialog(WaitForErrorDialog(Process()));
    ASSERT_TRUE(dialog.Open());
    const std::string report = dialog.Report();
    EXPECT_TRUE(ReportHas(report, "Failed to load last game.", "There is no such file\"", gamesPattern)) << report;
    EXPECT_EQ(dialog.RecursionLabel(), "Recursive attempts = None");
    dialog.ClickButton(idErrorOkayButton);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.Open(); }));
    EXPECT_EQ(Label(idTipsLabel), StartTip);
    EXPECT_FALSE(IsWindowVisible(game->Control(idPuzzlePictureImage)));

    EXPECT_EQ(game->Close(), 0u) << "an unmodified game closes without a question";
    EXPECT_EQ(ReadFileBytes(game->PathOf(OptionsName)),
              OptionsText(7, 7, false, MyPicturesFolder() + "\\*", false, gamesPattern));
}

TEST_F(SavedGameEndToEnd, OptionsAreReadWithinTheirLimitsAndRewrittenWithSevenKeys) {
    const std::string lake = File("lake.jpg");  // a picture path that does not exist
    const std::string options = "; the player's notes\r\nstray line\r\n[Other]\r\nKey=1\r\n[tilvanegame]\r\n"
                                "ColumnsCount=$C\r\nRowsCount=31\r\nLightGrid=TRUE\r\nAllowFlip=true\r\n"
                                "PictureTitle=" + lake + "\r\nLastGameTitle=\r\nExtra=yes\r\nanimatemoves=yes\r\n";
    Start("options", {{OptionsName, options}});
    EXPECT_EQ(Label(idColumnsCountComboBox), "12") << "hexadecimal after a dollar sign";
    EXPECT_EQ(Label(idRowsCountComboBox), "7") << "31 is out of range";
    EXPECT_TRUE(Checked(idLightGridCheckBox));
    EXPECT_FALSE(Checked(idAllowFlipCheckBox)) << "only the exact text TRUE is true";

    // The remembered picture is reloaded, and it has gone.
    game->Key(VK_F5, modCtrl);
    const std::string report = TakeErrorReport(Process());
    EXPECT_TRUE(ReportHas(report, "Failed to load game.", "There is no such file.\"", lake)) << report;

    EXPECT_EQ(game->Close(), 0u);
    EXPECT_EQ(ReadFileBytes(game->PathOf(OptionsName)),
              OptionsText(12, 7, true, lake, false, game->PathOf("TilvaneGames\\*.tvg"), false))
        << "an empty last game is not taken; nothing else of the old file survives";
}

// An options file too large to be read: one clear message at start, the usual options for this
// run, and the file left as it was at close.
TEST_F(SavedGameEndToEnd, OptionsFileTooLargeIsReportedOnceAndLeftAsItIs) {
    const std::string huge((8u << 20) + 1, ';');
    game = std::make_unique<TGameProcess>("huge-options", std::vector<TPlacedFile>{{OptionsName, huge}});
    const std::string report = TakeErrorReport(Process());
    EXPECT_TRUE(ReportHas(report,
                          "Failed to load the options. The game starts with the usual options. They are saved when "
                          "the game closes only if the options file can be read by then; otherwise the file is left "
                          "as it is and they last for this run only.",
                          "The file is too large", game->PathOf(OptionsName)))
        << report;
    ASSERT_TRUE(game->WaitForMainWindow());
    EXPECT_EQ(Label(idColumnsCountComboBox), "7");
    EXPECT_EQ(game->Close(), 0u) << "no second message at close";
    EXPECT_EQ(ReadFileBytes(game->PathOf(OptionsName)).size(), huge.size());
}

// --- Saving and loading again --------------------------------------------------------------

// A name typed without an extension is saved with the game's, so that the game can be loaded
// again; one typed with another extension is kept, and "Load last game" says why it skips it.
TEST_F(SavedGameEndToEnd, SaveAddsTheGameExtensionAndLoadLastGameSaysWhyItSkipsOtherNames) {
    Start("extension");
    LoadPicture(MakeGridPicture("grid.bmp"));
    game->Key('S');
    ASSERT_TRUE(AnswerFileDialog(Process(), File("notes.txt")));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(File("notes.txt")); }));
    EXPECT_FALSE(FileExists(File("notes.txt.tvg")));
    {
        TMessageBoxAnswerer warning("Warning", IDOK, false, true);
        game->Key('Z', modCtrl);
        ASSERT_TRUE(WaitUntil([&] { return warning.Count() == 1; }));
        EXPECT_EQ(warning.Texts()[0], "The last game \"notes.txt\" was not loaded: a saved game's name ends in "
                                      "\".tvg\". Rename the file to end in \".tvg\" to load it.");
    }
    game->Key('S');
    ASSERT_TRUE(AnswerFileDialog(Process(), File("mine")));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(File("mine.tvg")); }));
    EXPECT_FALSE(FileExists(File("mine")));
    game->Key('Z', modCtrl);
    EXPECT_TRUE(WaitForCaption("Tilvane - " + File("mine.tvg"))) << Caption();
}

TEST_F(SavedGameEndToEnd, SavedGameHoldsTheBoardShownAndLoadsBackInAFreshStart) {
    Start("save");
    const std::string picture = MakeGridPicture("quadrants.bmp");
    const std::string saved = File("round.tvg");
    LoadPicture(picture);
    ClickAt(CenterOnScreen(game->Control(idAllowFlipCheckBox)));
    ASSERT_TRUE(WaitUntil([&] { return Checked(idAllowFlipCheckBox); }));
    Shuffle();
    DragPieceHome();
    // A wrong move: a misplaced piece dropped on a misplaced cell that is not its place.
    std::vector<TShownPiece> board = Shown();
    int from = -1, to = -1;
    for (int cell = 0; cell < Grid * Grid && to < 0; ++cell) {
        if (board[cell].Piece == cell) continue;
        if (from < 0) {
            from = cell;
            continue;
        }
        if (board[from].Piece != cell) to = cell;
    }
    ASSERT_GE(to, 0);
    Drag(from, to);
    ASSERT_EQ(Label(idMovesCountLabel), "You have made 2 moves.");
    ASSERT_EQ(Label(idWrongMovesLabel), "You have made 1 wrong moves.");

    // A new grid choice waits for the next picture: the game keeps the grid it was cut with.
    HWND columns = game->Control(idColumnsCountComboBox);
    ClickAt(CenterOnScreen(columns));
    PressKey('1');
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForLabel(idColumnsCountComboBox, "10"));

    game->Key('S');
    HWND dialog = WaitForFileDialog(Process());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(OfferedFileName(dialog), "quadrants.tvg") << "offered under the picture's name";
    ASSERT_TRUE(AnswerFileDialog(Process(), saved));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(saved); }));
    const TPixels puzzle = Puzzle(), original = Original();
    board = ShownBoard(puzzle, Grid, Grid);
    const std::string moves = Label(idMovesCountLabel), wrongMoves = Label(idWrongMovesLabel),
                      remaining = Label(idRemainingCountLabel);
    EXPECT_EQ(remaining, RemainingText(Misplaced(board)));

    const std::vector<TSection> sections = WrittenSections(ReadFileBytes(saved));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].Name, "TilvaneGame");
    EXPECT_EQ(KeysOf(sections[0]), GameSettingKeys());
    EXPECT_EQ(ValueOf(sections[0], "ColumnsCount"), "7");
    EXPECT_EQ(ValueOf(sections[0], "RowsCount"), "7");
    EXPECT_EQ(ValueOf(sections[0], "LightGrid"), "FALSE");
    EXPECT_EQ(ValueOf(sections[0], "PictureTitle"), picture);
    EXPECT_EQ(ValueOf(sections[0], "ResultedColumns"), "7");
    EXPECT_EQ(ValueOf(sections[0], "ResultedRows"), "7");
    EXPECT_EQ(ValueOf(sections[0], "MovesCount"), "2");
    EXPECT_EQ(ValueOf(sections[0], "WrongMoves"), "1");
    EXPECT_EQ(ValueOf(sections[0], "AllowFlip"), "TRUE") << "the game was shuffled with flipping";
    EXPECT_EQ(sections[1].Name, "Map");
    EXPECT_EQ(KeysOf(sections[1]), MapKeys(Grid * Grid));
    EXPECT_EQ(AsShown(CellsOfMap(sections[1], Grid * Grid), Grid), board) << "the file holds the board shown";

    EXPECT_EQ(game->Close(), 0u) << "a saved game closes without a question";
    const std::string options = ReadFileBytes(game->PathOf(OptionsName));
    EXPECT_EQ(options, OptionsText(10, 7, false, picture, true, saved));

    // A fresh start: the options choose 10 columns until the game brings its own grid.
    Start("load", {{OptionsName, options}});
    EXPECT_EQ(Label(idColumnsCountComboBox), "10");
    EXPECT_TRUE(Checked(idAllowFlipCheckBox));
    game->Key('Z', modCtrl);
    ASSERT_TRUE(WaitForCaption("Tilvane - " + saved));
    EXPECT_EQ(Label(idColumnsCountComboBox), "7");
    EXPECT_EQ(Label(idRowsCountComboBox), "7");
    EXPECT_EQ(Label(idTipsLabel), DragTip);
    EXPECT_EQ(Label(idMovesCountLabel), moves);
    EXPECT_EQ(Label(idWrongMovesLabel), wrongMoves);
    EXPECT_EQ(Label(idRemainingCountLabel), remaining);
    EXPECT_EQ(Label(idPlayTimeLabel), "Time: " + PlayTimeText(std::stoi(ValueOf(sections[0], "PlayTime"))))
        << "the clock goes on from the time saved";
    // The loaded game has the keyboard, with its selection frame; the game was saved with the
    // keyboard on the grid lists. Tab takes the keyboard to them again, and the frame goes.
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return Puzzle().Colors == puzzle.Colors; })) << "every pixel of the puzzle as it was saved";
    EXPECT_TRUE(Original().Colors == original.Colors) << "every pixel of the original picture";

    // A move, then the same game through "Load game": No drops the move.
    DragPieceHome();
    game->Key('L');
    dialog = WaitForFileDialog(Process());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(OfferedFileName(dialog), "round.tvg") << "the last game loaded";
    ASSERT_TRUE(AnswerFileDialog(Process(), saved));
    EXPECT_EQ(AnswerQuery(Process(), IDNO), SaveQuestion);
    ASSERT_TRUE(WaitForLabel(idMovesCountLabel, moves));
    EXPECT_EQ(Caption(), "Tilvane - " + saved);
    EXPECT_EQ(ShownBoard(Puzzle(), Grid, Grid), board);
    EXPECT_EQ(Label(idWrongMovesLabel), wrongMoves);
    // Loading a game leaves the modified mark as the dropped game had it, so closing may ask.
    TMessageBoxAnswerer anyQuestion("Query", IDNO, false, true);
    EXPECT_EQ(game->Close(), 0u);
}

// --- The save question -----------------------------------------------------------------------

TEST_F(SavedGameEndToEnd, SaveQuestionBeforeANewGameFromThePicture) {
    Start("question-picture");
    const std::string picture = MakeGridPicture("reload.bmp");
    const std::string kept = File("kept.tvg");
    LoadPicture(picture);
    Shuffle();
    const TPixels shuffled = Puzzle();
    const std::vector<TShownPiece> shuffledBoard = ShownBoard(shuffled, Grid, Grid);

    // Cancel: nothing changes.
    game->Key(VK_F5, modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDCANCEL), SaveQuestion);
    Settle();
    EXPECT_EQ(Label(idTipsLabel), DragTip);
    EXPECT_TRUE(Puzzle().Colors == shuffled.Colors);

    // Yes opens the save dialog; cancelling it keeps the game as well.
    game->Key(VK_F5, modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDYES), SaveQuestion);
    HWND dialog = WaitForFileDialog(Process());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(OfferedFileName(dialog), "reload.tvg");
    ASSERT_TRUE(CancelFileDialog(dialog));
    Settle();
    EXPECT_EQ(Label(idTipsLabel), DragTip);
    EXPECT_TRUE(Puzzle().Colors == shuffled.Colors);

    // Yes and a file: the game is saved, then the new game starts in order.
    game->Key(VK_F5, modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDYES), SaveQuestion);
    ASSERT_TRUE(AnswerFileDialog(Process(), kept));
    ASSERT_TRUE(WaitForLabel(idTipsLabel, RandomizeTip));
    EXPECT_EQ(Label(idMovesCountLabel), "");
    EXPECT_EQ(Label(idRemainingCountLabel), "");
    EXPECT_EQ(Misplaced(Shown()), 0);
    ASSERT_TRUE(FileExists(kept));
    const std::string keptBytes = ReadFileBytes(kept);
    const std::vector<TSection> sections = WrittenSections(keptBytes);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(AsShown(CellsOfMap(sections[1], Grid * Grid), Grid), shuffledBoard);

    // No: the shuffled game is dropped unsaved.
    Shuffle();
    game->Key(VK_F5, modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDNO), SaveQuestion);
    ASSERT_TRUE(WaitForLabel(idTipsLabel, RandomizeTip));
    EXPECT_EQ(Misplaced(Shown()), 0);
    EXPECT_EQ(ReadFileBytes(kept), keptBytes);

    // A picture that no longer decodes fails before anything of the game changes, so the game
    // stays modified and closing still asks.
    Shuffle();
    const TPixels reshuffled = Puzzle();
    WriteFileBytes(picture, "not a picture at all");
    game->Key(VK_F5, modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDNO), SaveQuestion);
    const std::string report = TakeErrorReport(Process());
    EXPECT_EQ(report.rfind("DESCRIPTION\r\nFailed to load game.\r\n", 0), 0u) << report;
    EXPECT_NE(report.find("* Parameter 1: \"" + picture + "\"\r\n"), std::string::npos) << report;
    EXPECT_EQ(Label(idTipsLabel), DragTip);
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 0 moves.");
    EXPECT_TRUE(Puzzle().Colors == reshuffled.Colors);

    AskToClose();
    EXPECT_EQ(AnswerQuery(Process(), IDNO), SaveQuestion) << "No closes without saving";
    ASSERT_TRUE(game->WaitForExit());
    EXPECT_EQ(game->ExitCode(), 0u);
    EXPECT_TRUE(FileExists(game->PathOf(OptionsName)));
    EXPECT_EQ(ReadFileBytes(kept), keptBytes);
}

TEST_F(SavedGameEndToEnd, SaveQuestionBeforeLoadingAGame) {
    const std::string last = File("last.tvg"), mine = File("mine.tvg");
    Start("question-game", {{OptionsName, "[TilvaneGame]\r\nLastGameTitle=" + last + "\r\n"}});
    const std::string picture = MakeGridPicture("game.bmp");
    std::vector<TCell> lastCells = CellsInOrder(Grid, Grid);
    std::swap(lastCells[3], lastCells[4]);
    WriteFileBytes(last, GameFileText({"ColumnsCount=7", "RowsCount=7", "LightGrid=FALSE", "PictureTitle=" + picture,
                                       "ResultedColumns=7", "ResultedRows=7", "MovesCount=5", "WrongMoves=2"},
                                      MapLines(lastCells)));
    LoadPicture(picture);
    Shuffle();
    const TPixels shuffled = Puzzle();
    const std::vector<TShownPiece> shuffledBoard = ShownBoard(shuffled, Grid, Grid);

    game->Key('Z', modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDCANCEL), SaveQuestion);
    Settle();
    EXPECT_EQ(Caption(), "Tilvane");
    EXPECT_TRUE(Puzzle().Colors == shuffled.Colors);

    game->Key('Z', modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDYES), SaveQuestion);
    HWND dialog = WaitForFileDialog(Process());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(CancelFileDialog(dialog));
    Settle();
    EXPECT_EQ(Caption(), "Tilvane");
    EXPECT_TRUE(Puzzle().Colors == shuffled.Colors);

    // Yes and a file: this game is saved, then the last game is the one loaded, although the
    // save has just made another file the last one.
    game->Key('Z', modCtrl);
    EXPECT_EQ(AnswerQuery(Process(), IDYES), SaveQuestion);
    ASSERT_TRUE(AnswerFileDialog(Process(), mine));
    ASSERT_TRUE(WaitForCaption("Tilvane - " + last)) << Caption();
    EXPECT_EQ(Shown(), AsShown(lastCells, Grid));
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 5 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 2 wrong moves.");
    EXPECT_EQ(Label(idRemainingCountLabel), RemainingText(2));
    const std::string mineBytes = ReadFileBytes(mine);
    const std::vector<TSection> sections = WrittenSections(mineBytes);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(AsShown(CellsOfMap(sections[1], Grid * Grid), Grid), shuffledBoard);

    // The game just loaded is unmodified: "Load game" asks nothing and shows the saved shuffle.
    game->Key('L');
    ASSERT_TRUE(AnswerFileDialog(Process(), mine));
    ASSERT_TRUE(WaitForCaption("Tilvane - " + mine));
    EXPECT_TRUE(Puzzle().Colors == shuffled.Colors);

    // No: the modified game is dropped for the chosen one.
    Shuffle();
    game->Key('L');
    ASSERT_TRUE(AnswerFileDialog(Process(), last));
    EXPECT_EQ(AnswerQuery(Process(), IDNO), SaveQuestion);
    ASSERT_TRUE(WaitForCaption("Tilvane - " + last));
    EXPECT_EQ(Shown(), AsShown(lastCells, Grid));
    EXPECT_EQ(ReadFileBytes(mine), mineBytes) << "No saves nothing";
    // Loading a game leaves the modified mark as the dropped game had it, so closing may ask.
    TMessageBoxAnswerer anyQuestion("Query", IDNO, false, true);
    EXPECT_EQ(game->Close(), 0u);
}

TEST_F(SavedGameEndToEnd, CloseAsksToSaveAndSavingAsksBeforeReplacingAFile) {
    Start("question-close");
    const std::string picture = MakeGridPicture("close.bmp");
    const std::string existing = File("existing.tvg");
    const std::string existingBytes = "[Other]\r\nKept=1\r\n\r\n";
    WriteFileBytes(existing, existingBytes);
    LoadPicture(picture);
    Shuffle();

    // "Save game" onto an existing file, declined: the file, the modified game and the last game
    // stay as they were.
    game->Key('S');
    ASSERT_TRUE(AnswerFileDialog(Process(), existing));
    EXPECT_EQ(AnswerQuery(Process(), IDNO), OverwriteQuestion(existing));
    Settle();
    EXPECT_EQ(ReadFileBytes(existing), existingBytes);
    game->Key('Z', modCtrl);
    const std::string report = TakeErrorReport(Process());
    EXPECT_TRUE(ReportHas(report, "Failed to load last game.", "There is no such file\"",
                          game->PathOf("TilvaneGames\\*.tvg")))
        << report;

    ExpectCloseRefused();

    // Yes, then the save dialog cancelled: the window stays.
    AskToClose();
    EXPECT_EQ(AnswerQuery(Process(), IDYES), SaveQuestion);
    HWND dialog = WaitForFileDialog(Process());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(CancelFileDialog(dialog));
    Settle();
    EXPECT_TRUE(game->Running());
    EXPECT_FALSE(FileExists(game->PathOf(OptionsName)));

    // Yes, then No to replacing the file: nothing was saved, so the window stays.
    AskToClose();
    EXPECT_EQ(AnswerQuery(Process(), IDYES), SaveQuestion);
    ASSERT_TRUE(AnswerFileDialog(Process(), existing));
    EXPECT_EQ(AnswerQuery(Process(), IDNO), OverwriteQuestion(existing));
    Settle();
    EXPECT_TRUE(game->Running());
    EXPECT_EQ(ReadFileBytes(existing), existingBytes);
    EXPECT_FALSE(FileExists(game->PathOf(OptionsName)));

    // Yes and Yes: the game replaces the file and the window closes.
    AskToClose();
    EXPECT_EQ(AnswerQuery(Process(), IDYES), SaveQuestion);
    ASSERT_TRUE(AnswerFileDialog(Process(), existing));
    EXPECT_EQ(AnswerQuery(Process(), IDYES), OverwriteQuestion(existing));
    ASSERT_TRUE(game->WaitForExit());
    EXPECT_EQ(game->ExitCode(), 0u);
    const std::vector<TSection> sections = WrittenSections(ReadFileBytes(existing));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].Name, "TilvaneGame");
    EXPECT_EQ(sections[1].Name, "Map");
    const std::vector<TSection> options = WrittenSections(ReadFileBytes(game->PathOf(OptionsName)));
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(ValueOf(options[0], "LastGameTitle"), existing);
}

// --- Game files written by hand ----------------------------------------------------------------

TEST_F(SavedGameEndToEnd, HandWrittenGameFilesAreReadWithTheirDefaults) {
    Start("hand-written", {{OptionsName, "[TilvaneGame]\r\nLightGrid=TRUE\r\n"}});
    ASSERT_TRUE(Checked(idLightGridCheckBox));
    const std::string picture = MakeGridPicture("hand.bmp");
    auto load = [&](const std::string& path) {
        game->Key('L');
        ASSERT_TRUE(AnswerFileDialog(Process(), path));
    };

    // Hexadecimal numbers, values out of range and lower-case booleans.
    const std::string numbers = File("numbers.tvg");
    WriteFileBytes(numbers, GameFileText({"ColumnsCount=$1E", "RowsCount=0x1E", "LightGrid=true",
                                          "PictureTitle=" + picture, "ResultedColumns=7", "ResultedRows=7",
                                          "MovesCount=-1", "WrongMoves=0x10"},
                                         {"C0=7", "R0=0", "C1=2", "R1=0", "FH1=true", "C2=1", "R2=0", "FV2=TRUE"}));
    load(numbers);
    ASSERT_TRUE(WaitForCaption("Tilvane - " + numbers));
    EXPECT_EQ(Label(idColumnsCountComboBox), "30");
    EXPECT_EQ(Label(idRowsCountComboBox), "30");
    EXPECT_FALSE(Checked(idLightGridCheckBox));
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 0 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 16 wrong moves.");
    EXPECT_EQ(Label(idRemainingCountLabel), RemainingText(2));
    std::vector<TCell> expected = CellsInOrder(Grid, Grid);
    expected[1] = {2, 0, false, false};
    expected[2] = {1, 0, false, true};
    EXPECT_EQ(Shown(), AsShown(expected, Grid)) << "C0=7 is out of range and keeps the cell's own column";

    // ResultedColumns=31 reads as the file's ColumnsCount; without "Map" the board is in order.
    const std::string range = File("range.tvg");
    WriteFileBytes(range, GameFileText({"ColumnsCount=8", "RowsCount=7", "LightGrid=TRUE", "PictureTitle=" + picture,
                                        "ResultedColumns=31", "ResultedRows=7", "MovesCount=9", "WrongMoves=2"},
                                       {}));
    load(range);
    ASSERT_TRUE(WaitForCaption("Tilvane - " + range));
    EXPECT_EQ(Label(idColumnsCountComboBox), "8");
    EXPECT_TRUE(Checked(idLightGridCheckBox));
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 9 moves.");
    EXPECT_EQ(Label(idRemainingCountLabel), "The puzzle is solved.");
    EXPECT_EQ(Label(idTipsLabel), StartTip);
    RECT image = {};
    GetClientRect(game->Control(idPuzzlePictureImage), &image);
    EXPECT_EQ(image.right % 8, 0) << "cut into 8 columns";
    EXPECT_EQ(image.bottom % 7, 0);
    const TPixels solved = Puzzle();
    EXPECT_TRUE(NearColour(solved.At(solved.Width / 28, solved.Height / 28), QuadrantColour(0, 0, 0, Grid, Grid)))
        << "the solved picture is shown whole, without lines";
    const std::string rangeCaption = Caption();
    const std::string rangeWrongMoves = Label(idWrongMovesLabel);

    // A game whose picture has moved away, one that names a piece twice, and one whose picture
    // is too narrow for its grid: each is refused and the game on screen stays as it was.
    const std::string gone = File("gone.bmp"), narrowPicture = File("narrow.bmp");
    const std::string moved = File("moved.tvg"), damaged = File("damaged.tvg"), narrow = File("narrow.tvg");
    WriteFileBytes(narrowPicture, BitmapFileBytes(10, 1000, [](int, int y) { return RGB(0, y / 4, 0); }));
    WriteFileBytes(narrow, GameFileText({"PictureTitle=" + narrowPicture, "ResultedColumns=30", "ResultedRows=7"}, {}));
    std::vector<TCell> twice = CellsInOrder(Grid, Grid);
    twice[1] = twice[0];
    WriteFileBytes(moved, GameFileText({"ColumnsCount=7", "RowsCount=7", "PictureTitle=" + gone, "ResultedColumns=7",
                                        "ResultedRows=7", "MovesCount=1"},
                                       MapLines(CellsInOrder(Grid, Grid))));
    WriteFileBytes(damaged, GameFileText({"ColumnsCount=7", "RowsCount=7", "PictureTitle=" + picture,
                                          "ResultedColumns=7", "ResultedRows=7", "MovesCount=1"},
                                         MapLines(twice)));
    load(moved);
    std::string report = TakeErrorReport(Process());
    EXPECT_TRUE(ReportHas(report, "Failed to load game.", "There is no such file.\"", gone)) << report;
    load(damaged);
    report = TakeErrorReport(Process());
    EXPECT_TRUE(ReportHas(report, "Failed to load game.", "The saved game is damaged", damaged)) << report;
    load(narrow);
    report = TakeErrorReport(Process());
    EXPECT_TRUE(ReportHas(report, "Failed to load game.", "The saved game does not fit its picture", narrowPicture))
        << report;
    EXPECT_EQ(Caption(), rangeCaption);
    EXPECT_EQ(Label(idColumnsCountComboBox), "8");
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 9 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), rangeWrongMoves);
    EXPECT_TRUE(Puzzle().Colors == solved.Colors);

    // A game without a picture: taken over, and the old pictures are not shown for it.
    const std::string notes = File("notes.tvg");
    WriteFileBytes(notes, GameFileText({"ColumnsCount=9", "RowsCount=6", "PictureTitle=C:\\Notes\\plan.txt",
                                        "ResultedColumns=9", "ResultedRows=6"},
                                       {"C0=1", "C1=0"}));
    load(notes);
    ASSERT_TRUE(WaitForCaption("Tilvane - " + notes));
    EXPECT_EQ(Label(idColumnsCountComboBox), "9");
    EXPECT_EQ(Label(idRowsCountComboBox), "6");
    EXPECT_FALSE(IsWindowVisible(game->Control(idPuzzlePictureImage)));
    EXPECT_FALSE(IsWindowVisible(game->Control(idOriginalPictureImage)));

    // The next game with a picture shows its pictures again.
    load(numbers);
    ASSERT_TRUE(WaitForCaption("Tilvane - " + numbers));
    EXPECT_TRUE(IsWindowVisible(game->Control(idPuzzlePictureImage)));
    EXPECT_TRUE(IsWindowVisible(game->Control(idOriginalPictureImage)));
    EXPECT_EQ(Shown(), AsShown(expected, Grid));

    EXPECT_EQ(game->Close(), 0u);
    EXPECT_EQ(ReadFileBytes(game->PathOf(OptionsName)), OptionsText(30, 30, false, picture, false, numbers));
}

// A game saved on a larger screen: its grid is finer than this screen's puzzle area would cut
// the picture into for the grid chosen, and it is still shown and played on its own grid.
TEST_F(SavedGameEndToEnd, GameOfAnotherScreenIsPlayedOnItsSavedGrid) {
    const int Large = 30;
    Start("large");
    const std::string picture = File("square.bmp"), large = File("large.tvg"), again = File("again.tvg");
    WriteFileBytes(picture, QuadrantPicture(Large, Large, 12, 12));
    // Every piece on the opposite place, mirrored in a pattern of its own.
    std::vector<TCell> cells;
    for (int n = 0; n < Large * Large; ++n) {
        const int piece = Large * Large - 1 - n;
        cells.push_back({piece % Large, piece / Large, n % 2 == 0, n % 3 == 0});
    }
    WriteFileBytes(large, GameFileText({"ColumnsCount=7", "RowsCount=7", "LightGrid=FALSE", "PictureTitle=" + picture,
                                        "ResultedColumns=30", "ResultedRows=30", "MovesCount=3", "WrongMoves=1"},
                                       MapLines(cells)));
    game->Key('L');
    ASSERT_TRUE(AnswerFileDialog(Process(), large));
    ASSERT_TRUE(WaitForCaption("Tilvane - " + large)) << TakeErrorReport(Process());
    RECT image = {};
    GetClientRect(game->Control(idPuzzlePictureImage), &image);
    EXPECT_EQ(image.right % Large, 0);
    EXPECT_EQ(image.bottom % Large, 0);
    EXPECT_EQ(Shown(Large, Large), AsShown(cells, Large));
    EXPECT_EQ(Label(idRemainingCountLabel), RemainingText(Large * Large));

    // The piece of the first cell belongs in the last one, and the other way round.
    Drag(0, Large * Large - 1, Large, Large);
    EXPECT_EQ(Label(idMovesCountLabel), "You have made 4 moves.");
    EXPECT_EQ(Label(idWrongMovesLabel), "You have made 1 wrong moves.");
    EXPECT_EQ(Label(idRemainingCountLabel), RemainingText(Large * Large - 2));
    std::swap(cells[0], cells[Large * Large - 1]);
    EXPECT_EQ(Shown(Large, Large), AsShown(cells, Large));

    game->Key('S');
    ASSERT_TRUE(AnswerFileDialog(Process(), again));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(again); }));
    const std::vector<TSection> sections = WrittenSections(ReadFileBytes(again));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(ValueOf(sections[0], "ColumnsCount"), "7");
    EXPECT_EQ(ValueOf(sections[0], "ResultedColumns"), "30");
    EXPECT_EQ(ValueOf(sections[0], "ResultedRows"), "30");
    EXPECT_EQ(ValueOf(sections[0], "MovesCount"), "4");
    EXPECT_EQ(sections[1].Lines.size(), 3600u);
    EXPECT_EQ(KeysOf(sections[1]), MapKeys(Large * Large));
    EXPECT_EQ(MapLines(CellsOfMap(sections[1], Large * Large)), MapLines(cells)) << "stored flips kept as they were";
    EXPECT_EQ(game->Close(), 0u);
}

}  // namespace
