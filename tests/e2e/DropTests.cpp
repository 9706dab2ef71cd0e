// Files reach the real program as the shell hands them over: dropped on its window from another
// process, and named on its command line ("Open with", a drop on the program's icon).
// Wine passes a posted WM_DROPFILES on as it is, so its block must already live in the game's
// process: a block of this process's own would be read there as whatever lies at that address.
// The drop here writes the names into memory made in the game's process, where DragQueryFile
// reads them as from any block the shell made.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Tilvane/TilvaneIds.h"
#include "support/DropFilesBlock.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Posts the game window a drop of the files, the names in a block inside the game's process.
// The block is the game's to keep: the release at the end of its drop frees only what its own
// heap gave, so this page goes when the game's process ends.
bool DropOn(HWND window, const std::vector<std::string>& files) {
    const std::string block = DropFilesBlock(files);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, WindowProcess(window));
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T written = 0;
    const bool placed = remote && WriteProcessMemory(process, remote, block.data(), block.size(), &written) &&
                        written == block.size();
    CloseHandle(process);
    return placed && PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

const int Columns = 5, Rows = 4;

// A saved game of the picture after three moves, every piece at home again.
std::string GameText(const std::string& picture) {
    return "[TilvaneGame]\r\nColumnsCount=5\r\nRowsCount=5\r\nLightGrid=FALSE\r\nPictureTitle=" + picture +
           "\r\nResultedColumns=5\r\nResultedRows=4\r\nMovesCount=3\r\nWrongMoves=1\r\n\r\n";
}

}  // namespace

TEST(DropEndToEnd, APictureAndASavedGameDroppedFromAnotherProcessOpen) {
    TGameProcess game("drop");
    ASSERT_TRUE(game.WaitForMainWindow());
    const SIZE piece = PieceSizeFilling(game.Control(idPuzzlePictureGroupBox), Columns, Rows);
    // Names in other scripts come through the drop whole (東京, an emoji).
    const std::string picture = game.PathOf("quadrants \xE6\x9D\xB1\xE4\xBA\xAC.bmp");
    const std::string saved = game.PathOf("dropped \xF0\x9F\x98\x80.tvg");
    WriteFileBytes(picture, QuadrantPicture(Columns, Rows, piece.cx, piece.cy));
    WriteFileBytes(saved, GameText(picture));

    ASSERT_TRUE(DropOn(game.MainWindow(), {picture}));
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }))
        << game.ControlText(idTipsLabel);
    EXPECT_EQ(WindowText(game.MainWindow()), "Tilvane");
    const std::vector<TShownPiece> board =
        ShownBoard(SettledPixels(game.Control(idPuzzlePictureImage), game.MainWindow()), Columns, Rows);
    for (int cell = 0; cell < Columns * Rows; ++cell) EXPECT_EQ(board[cell].Piece, cell);

    // A file that is neither comes first and is passed over.
    ASSERT_TRUE(DropOn(game.MainWindow(), {game.PathOf("notes.txt"), saved, picture}));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(game.MainWindow()) == "Tilvane - " + saved; }))
        << WindowText(game.MainWindow());
    EXPECT_EQ(game.ControlText(idMovesCountLabel), "You have made 3 moves.");
    EXPECT_EQ(game.ControlText(idRemainingCountLabel), "The puzzle is solved.");
}

// The first file of the command line that is a picture starts the game with it, here a portrait
// photo stored lying, which shows upright.
TEST(DropEndToEnd, APictureNamedOnTheCommandLineOpensAtStart) {
    TGameProcess game("command-line", {},
                      "\"C:\\Tilvane\\notes.txt\" \"C:\\Tilvane\\pictures\\turned-6.jpg\"");
    ASSERT_TRUE(game.WaitForMainWindow());
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }))
        << game.ControlText(idTipsLabel);
    RECT original = {};
    GetWindowRect(game.Control(idOriginalPictureImage), &original);
    EXPECT_GT(original.bottom - original.top, original.right - original.left) << "upright, as a portrait";
}

// A command line with nothing to open says so once the window shows, and the game starts empty.
TEST(DropEndToEnd, ACommandLineFileThatIsNoPictureGivesAWarning) {
    TMessageBoxAnswerer warning("Warning", IDOK, false, true);
    TGameProcess game("command-line-text", {}, "\"C:\\Tilvane\\notes.txt\"");
    ASSERT_TRUE(game.WaitForMainWindow());
    ASSERT_TRUE(WaitUntil([&] { return warning.Count() == 1; }));
    EXPECT_EQ(warning.Texts()[0], "\"notes.txt\" is neither a picture nor a saved game (.tvg), so it was not opened.");
    EXPECT_EQ(game.ControlText(idTipsLabel), StartTip);
}
