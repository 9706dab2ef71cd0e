// Pictures that crash, hang or bloat the decoder process, or make it answer with forged replies,
// played through the real program: a copy of the game built with a decoder that faults on marked
// files (tests/faults). Each such picture gives its own message within the limits, as an ordinary
// error in the game's words or the decoder's without control characters, the shuffled game on
// screen stays as it was,
// the next picture loads in a new decoder process, and no decoder process outlives the game, also
// when the game itself is killed.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Include/ErrorDialog.h"
#include "Include/PictureDecoderClient.h"
#include "Tilvane/TilvaneIds.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int Columns = 5, Rows = 4;

bool ProcessEnds(DWORD id, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return true;  // gone already
    const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

struct TFaultCase {
    const char* Mark;
    std::string Description;
};

}  // namespace

TEST(DecoderWallEndToEnd, CrashingHangingHungryAndForgingDecodersLeaveTheGameAsItWas) {
    const std::string failed = "The picture could not be read: its decoder failed on it.";
    const TFaultCase faults[] = {
        {"crash", failed},
        {"huge", failed},
        {"stale", failed},
        {"short", failed},
        {"refused", failed},
        // A read that goes on is waited for past the time limit, and the file then judged as usual.
        {"slowread", "The file could not be read as a picture."},
        {"hang", "The picture could not be read: its decoder took longer than " +
                     std::to_string(DecoderTimeLimitMs / 1000) + " seconds."},
        {"hog", "The picture could not be read: its decoder needed more than " +
                    std::to_string(DecoderMemoryLimitBytes >> 20) + " MB of memory."},
    };
    std::vector<TPlacedFile> files;
    for (const TFaultCase& fault : faults)
        files.push_back({std::string(fault.Mark) + ".png", std::string("TilvaneDecoderFault:") + fault.Mark});
    TGameProcess game = TGameProcess::OfProgram("TilvaneDecoderFaults.exe", "decoder-wall", files);
    ASSERT_TRUE(game.WaitForMainWindow());
    const SIZE piece = PieceSizeFilling(game.Control(idPuzzlePictureGroupBox), Columns, Rows);
    const std::string picture = game.PathOf("quadrants.bmp");
    WriteFileBytes(picture, QuadrantPicture(Columns, Rows, piece.cx, piece.cy));
    game.Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), picture));
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }));
    game.Key('R', modAlt);
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == DragTip; }));
    const HWND puzzle = game.Control(idPuzzlePictureImage);
    const std::vector<TShownPiece> shuffled = ShownBoard(SettledPixels(puzzle, game.MainWindow()), Columns, Rows);
    const std::string caption = WindowText(game.MainWindow());

    for (const TFaultCase& fault : faults) {
        SCOPED_TRACE(fault.Mark);
        const std::string marked = game.PathOf(std::string(fault.Mark) + ".png");
        game.Key(VK_F5);
        ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), marked));
        // The shuffled game is not saved: it stays only because the picture fails.
        ASSERT_EQ(AnswerQuery(game.ProcessId(), IDNO), "The game has been modified. Save it?");
        const ULONGLONG asked = GetTickCount64();
        const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId(), DecoderTimeLimitMs + StepTimeout));
        ASSERT_TRUE(dialog.Open());
        std::printf("[ figures  ] a \"%s\" picture gave its message after %llu ms\n", fault.Mark,
                    static_cast<unsigned long long>(GetTickCount64() - asked));
        // The dialog may show before its report is filled in.
        WaitUntil([&] { return !dialog.Report().empty(); });
        const std::string report = dialog.Report();
        EXPECT_NE(report.find("* Status: Error\r\n* File: "), std::string::npos) << report;
        EXPECT_NE(report.find("* Description: \"" + fault.Description + "\""), std::string::npos)
            << dialog.Caption() << "\n" << report;
        EXPECT_NE(report.find("* Parameter 1: \"" + marked + "\"\r\n"), std::string::npos) << report;
        dialog.ClickButton(idErrorOkayButton);
        ASSERT_TRUE(WaitUntil([&] { return !dialog.Open(); }));
        EXPECT_EQ(game.Control(idPuzzlePictureImage), puzzle);
        EXPECT_EQ(ShownBoard(SettledPixels(puzzle, game.MainWindow()), Columns, Rows), shuffled);
        EXPECT_EQ(game.ControlText(idTipsLabel), DragTip);
        EXPECT_EQ(WindowText(game.MainWindow()), caption);
    }
    EXPECT_FALSE(FileExists(game.PathOf("Recovered game.tvg")));

    // The next picture loads in a new decoder process.
    game.Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), picture));
    ASSERT_EQ(AnswerQuery(game.ProcessId(), IDNO), "The game has been modified. Save it?");
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }))
        << game.ControlText(idTipsLabel);
    const std::vector<TShownPiece> loaded =
        ShownBoard(SettledPixels(game.Control(idPuzzlePictureImage), game.MainWindow()), Columns, Rows);
    for (int cell = 0; cell < Columns * Rows; ++cell) EXPECT_EQ(loaded[cell].Piece, cell);

    // A game that is killed takes its decoder process with it.
    const std::vector<DWORD> decoders = ChildProcesses(game.ProcessId());
    ASSERT_EQ(decoders.size(), 1u);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, game.ProcessId());
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 1);
    WaitForSingleObject(process, StepTimeout);
    CloseHandle(process);
    EXPECT_TRUE(ProcessEnds(decoders[0], StepTimeout));
}
