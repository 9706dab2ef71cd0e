// The pictures that come with the game, and N and Shift+N through the current picture's folder.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Tilvane/TilvaneIds.h"

#include <gtest/gtest.h>

namespace {

const COLORREF Red = RGB(200, 30, 30), Green = RGB(30, 160, 60), Blue = RGB(40, 60, 200);

TPlacedFile Solid(const std::string& name, COLORREF colour) {
    return {name, BitmapFileBytes(160, 120, [colour](int, int) { return colour; })};
}

// "2" comes before "10" as a file browser sorts them; the credits are no picture.
const std::vector<TPlacedFile> Samples = {Solid("Sample pictures\\10 red.bmp", Red),
                                          Solid("Sample pictures\\2 green.bmp", Green),
                                          {"Sample pictures\\Credits.txt", "by the test"}};

// Most pixels of the original picture have the colour, the grid lines aside.
bool ShowsColour(TGameProcess& game, COLORREF colour) {
    const TPixels pixels = SettledPixels(game.Control(idOriginalPictureImage), game.MainWindow());
    size_t matching = 0;
    for (COLORREF pixel : pixels.Colors) matching += NearColour(pixel, colour);
    return matching * 2 > pixels.Colors.size() && !pixels.Colors.empty();
}

// A new game of the picture of that colour, unshuffled and waiting for Alt+R.
void ExpectNewGameOf(TGameProcess& game, COLORREF colour, const char* picture) {
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(game, colour); })) << "expected " << picture;
    EXPECT_EQ(game.ControlText(idTipsLabel), RandomizeTip) << picture;
}

void ExpectEmptyStart(TGameProcess& game) {
    ASSERT_TRUE(game.WaitForMainWindow());
    EXPECT_EQ(WaitForErrorDialog(game.ProcessId(), 1000), nullptr);
    EXPECT_EQ(game.ControlText(idTipsLabel), StartTip);
    EXPECT_FALSE(IsWindowVisible(game.Control(idPuzzlePictureImage)));
}

}  // namespace

TEST(SamplePicturesEndToEnd, OnlyAFirstStartShowsAGameOfTheFirstSample) {
    TGameProcess game("first-start", Samples);
    ASSERT_TRUE(game.WaitForMainWindow());
    ExpectNewGameOf(game, Green, "the first sample, 2 green.bmp");
    ASSERT_EQ(game.Close(), 0u);
    game.StartAgain();
    ExpectEmptyStart(game);
    ASSERT_EQ(game.Close(), 0u);  // one copy at a time

    TGameProcess withoutSamples("first-start-without-samples");
    ExpectEmptyStart(withoutSamples);
    ASSERT_EQ(withoutSamples.Close(), 0u);

    // Before the player has loaded a picture, Load picture starts in the samples' folder.
    std::vector<TPlacedFile> laterStart = Samples;
    laterStart.push_back({"Tilvane.ini", "[TilvaneGame]\r\nColumnsCount=7\r\n"});
    TGameProcess later("later-start", laterStart);
    ExpectEmptyStart(later);
    later.Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(later.ProcessId(), "10 red.bmp"));
    ExpectNewGameOf(later, Red, "10 red.bmp, named without its folder");
}

TEST(SamplePicturesEndToEnd, NAndShiftNWalkTheFolderInNaturalOrderAfterTheSaveQuestion) {
    TGameProcess game("walk", {Solid("walk\\1 red.bmp", Red), Solid("walk\\10 blue.bmp", Blue),
                               Solid("walk\\2 green.bmp", Green), {"walk\\notes.txt", "no picture"}});
    ASSERT_TRUE(game.WaitForMainWindow());
    game.Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), game.PathOf("walk\\2 green.bmp")));
    ExpectNewGameOf(game, Green, "2 green.bmp, chosen");
    // 10 after 2, then round after the last to 1, and back.
    const std::pair<unsigned, COLORREF> steps[] = {{modNone, Blue}, {modNone, Red}, {modShift, Blue}, {modShift, Green}};
    for (const auto& [modifiers, colour] : steps) {
        game.Key('N', modifiers);
        ExpectNewGameOf(game, colour, modifiers ? "after Shift+N" : "after N");
    }

    // After a move the save question comes first: Cancel keeps the game, No goes on.
    game.Key('R', modAlt);
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == DragTip; }));
    const HWND puzzle = game.Control(idPuzzlePictureImage);
    DragFromTo(ClientPointOnScreen(puzzle, 5, 5), CenterOnScreen(puzzle));
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idMovesCountLabel) == "You have made 1 moves."; }));
    game.Key('N');
    EXPECT_EQ(AnswerQuery(game.ProcessId(), IDCANCEL), "The game has been modified. Save it?");
    EXPECT_TRUE(WaitUntilAnswering(game.MainWindow()));
    EXPECT_EQ(game.ControlText(idMovesCountLabel), "You have made 1 moves.") << "Cancel keeps the game";
    game.Key('N', modShift);
    EXPECT_EQ(AnswerQuery(game.ProcessId(), IDNO), "The game has been modified. Save it?");
    ExpectNewGameOf(game, Red, "1 red.bmp, before 2, after No");
}
