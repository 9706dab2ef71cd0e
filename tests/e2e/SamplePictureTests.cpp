// The pictures that come with the game and the walk through a folder's pictures: the first start
// shows a game of the first sample, later starts show none, and N and Shift+N load the next and
// the previous picture of the current picture's folder in natural order, after the save question.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Tilvane/TilvaneIds.h"

#include <gtest/gtest.h>

namespace {

const COLORREF Red = RGB(200, 30, 30);
const COLORREF Green = RGB(30, 160, 60);
const COLORREF Blue = RGB(40, 60, 200);
const char* const SaveQuestion = "The game has been modified. Save it?";

std::string SolidPicture(COLORREF colour) {
    return BitmapFileBytes(160, 120, [colour](int, int) { return colour; });
}

// The original picture shows that colour: most of its pixels have it, the grid lines aside.
bool ShowsColour(TGameProcess& game, COLORREF colour) {
    const TPixels pixels = SettledPixels(game.Control(idOriginalPictureImage), game.MainWindow());
    size_t matching = 0;
    for (COLORREF pixel : pixels.Colors) matching += NearColour(pixel, colour);
    return !pixels.Colors.empty() && matching * 2 > pixels.Colors.size();
}

bool PicturesHidden(TGameProcess& game) {
    return !IsWindowVisible(game.Control(idPuzzlePictureImage)) && !IsWindowVisible(game.Control(idOriginalPictureImage));
}

// A new game of the picture with that colour, unshuffled and waiting for Alt+R.
void ExpectNewGameOf(TGameProcess& game, COLORREF colour, const char* picture) {
    EXPECT_TRUE(WaitUntil([&] { return ShowsColour(game, colour); })) << "expected " << picture;
    EXPECT_EQ(game.ControlText(idTipsLabel), RandomizeTip) << picture;
    EXPECT_EQ(game.ControlText(idMovesCountLabel), "") << picture;
}

}  // namespace

TEST(SamplePicturesEndToEnd, OnlyTheFirstStartShowsAGameOfTheFirstSample) {
    // "2" comes before "10" as a file browser sorts them; the credits are no picture.
    TGameProcess game("first-start", {{"Sample pictures\\10 red.bmp", SolidPicture(Red)},
                                      {"Sample pictures\\2 green.bmp", SolidPicture(Green)},
                                      {"Sample pictures\\Credits.txt", "2 green.bmp: by the test"}});
    ASSERT_TRUE(game.WaitForMainWindow());
    ExpectNewGameOf(game, Green, "the first sample, 2 green.bmp");
    EXPECT_EQ(WindowText(game.MainWindow()), "Tilvane");
    ASSERT_EQ(game.Close(), 0u);

    game.StartAgain();
    ASSERT_TRUE(game.WaitForMainWindow());
    EXPECT_EQ(game.ControlText(idTipsLabel), StartTip) << "a later start shows no picture";
    EXPECT_TRUE(PicturesHidden(game));
    ASSERT_EQ(game.Close(), 0u);

    TGameProcess withoutSamples("first-start-without-samples");
    ASSERT_TRUE(withoutSamples.WaitForMainWindow());
    EXPECT_EQ(WaitForErrorDialog(withoutSamples.ProcessId(), 1000), nullptr) << "missing samples are no failure";
    EXPECT_EQ(withoutSamples.ControlText(idTipsLabel), StartTip);
    EXPECT_TRUE(PicturesHidden(withoutSamples));
}

TEST(SamplePicturesEndToEnd, NAndShiftNWalkTheFolderInNaturalOrderAfterTheSaveQuestion) {
    TGameProcess game("walk", {{"walk\\1 red.bmp", SolidPicture(Red)},
                               {"walk\\10 blue.bmp", SolidPicture(Blue)},
                               {"walk\\2 green.bmp", SolidPicture(Green)},
                               {"walk\\notes.txt", "no picture"},
                               {"walk\\zz.tvg", "no picture either"}});
    ASSERT_TRUE(game.WaitForMainWindow());
    game.Key(VK_F5);
    ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), game.PathOf("walk\\2 green.bmp")));
    ExpectNewGameOf(game, Green, "2 green.bmp, chosen");

    game.Key('N');
    ExpectNewGameOf(game, Blue, "10 blue.bmp, after 2");
    game.Key('N');
    ExpectNewGameOf(game, Red, "1 red.bmp, wrapping round after the last");
    game.Key('N', modShift);
    ExpectNewGameOf(game, Blue, "10 blue.bmp, wrapping round before the first");
    game.Key('N', modShift);
    ExpectNewGameOf(game, Green, "2 green.bmp, before 10");

    // A move makes the game worth saving: Cancel keeps it, No goes on to the next picture.
    game.Key('R', modAlt);
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == DragTip; }));
    HWND puzzle = game.Control(idPuzzlePictureImage);
    RECT client = {};
    GetClientRect(puzzle, &client);
    DragFromTo(ClientPointOnScreen(puzzle, client.right / 10, client.bottom / 10),
               ClientPointOnScreen(puzzle, client.right * 9 / 10, client.bottom * 9 / 10));
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idMovesCountLabel) == "You have made 1 moves."; }))
        << "the drop was not taken";
    game.Key('N');
    EXPECT_EQ(AnswerQuery(game.ProcessId(), IDCANCEL), SaveQuestion);
    EXPECT_TRUE(WaitUntilAnswering(game.MainWindow()));
    EXPECT_EQ(game.ControlText(idMovesCountLabel), "You have made 1 moves.") << "Cancel keeps the game";
    EXPECT_TRUE(ShowsColour(game, Green));
    game.Key('N', modShift);
    EXPECT_EQ(AnswerQuery(game.ProcessId(), IDNO), SaveQuestion);
    ExpectNewGameOf(game, Red, "1 red.bmp, before 2, after No");
}
