// A JPEG of 200 megapixels, beyond what the program accepts of any other format, loaded through
// the file dialog of the real program; then a truncated JPEG, which is refused while the game
// on screen stays. The photo comes from scripts/make-test-pictures.sh (C:\Tilvane\pictures).
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Include/ErrorDialog.h"
#include "Tilvane/TilvaneIds.h"

#include <gtest/gtest.h>

namespace {

const char* const Photo = "C:\\Tilvane\\pictures\\gradient-200mp.jpg";

// Navy at the top of the picture, orange at its bottom.
void ExpectNavyToOrange(const TPixels& pixels) {
    ASSERT_GT(pixels.Height, 20);
    const COLORREF top = pixels.At(pixels.Width / 2, 3), bottom = pixels.At(pixels.Width / 2, pixels.Height - 4);
    EXPECT_GT(GetBValue(top), GetRValue(top)) << std::hex << top;
    EXPECT_GT(GetRValue(bottom), GetBValue(bottom)) << std::hex << bottom;
}

}  // namespace

TEST(JpegEndToEnd, APhotoOf200MegapixelsLoadsAndATruncatedOneLeavesItShown) {
    TGameProcess game("jpeg");
    ASSERT_TRUE(game.WaitForMainWindow());
    game.Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), Photo));
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }))
        << game.ControlText(idTipsLabel);
    const HWND puzzle = game.Control(idPuzzlePictureImage);
    ExpectNavyToOrange(SettledPixels(puzzle, game.MainWindow()));

    const std::string truncated = game.PathOf("truncated.jpg");
    const std::string photo = ReadFileBytes(Photo);
    WriteFileBytes(truncated, photo.substr(0, photo.size() / 2));
    game.Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), truncated));
    const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId()));
    ASSERT_TRUE(dialog.Open());
    const std::string report = dialog.Report();
    EXPECT_NE(report.find("* Description: \"The file could not be read as a picture.\""), std::string::npos) << report;
    EXPECT_NE(report.find("* Parameter 1: \"" + truncated + "\"\r\n"), std::string::npos) << report;
    dialog.ClickButton(idErrorOkayButton);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.Open(); }));
    EXPECT_EQ(game.Control(idPuzzlePictureImage), puzzle);
    ExpectNavyToOrange(SettledPixels(puzzle, game.MainWindow()));
}
