// The play time on a real window and label: when its clock counts (the player's presence), which
// messages it takes, and which solved text its label gets.
#include "Framework/Application.h"
#include "Framework/Form.h"
#include "Tilvane/PlayTime.h"
#include "support/HostWindow.h"

#include <gtest/gtest.h>

#include <wtsapi32.h>

#include <memory>

namespace {

const int idTimeLabel = 100;

class PlayTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureMainWindow();
        window = std::make_unique<TForm>();
        window->CreateForm("Play time test", WS_POPUP | WS_CAPTION, 0, 300, 100, "Arial", 9);
        label = std::make_unique<TLabel>(*window, "", 10, 10, 120, 28, idTimeLabel);
        playTime = std::make_unique<TPlayTime>(*window, *label);
        playTime->HandleMessage(WM_ACTIVATE, WA_ACTIVE);
    }
    void TearDown() override {
        playTime.reset();
        label.reset();
        window.reset();
    }

    std::unique_ptr<TForm> window;
    std::unique_ptr<TLabel> label;
    std::unique_ptr<TPlayTime> playTime;
};

TEST_F(PlayTimeTest, ClockCountsOnlyWhilePlayingAndThePlayerIsThere) {
    EXPECT_FALSE(playTime->Running()) << "a new game waits for its first move";
    playTime->StartPlaying();
    EXPECT_TRUE(playTime->Running());

    playTime->HandleMessage(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_FALSE(playTime->Running()) << "another window is active";
    playTime->HandleMessage(WM_ACTIVATE, WA_CLICKACTIVE);
    EXPECT_TRUE(playTime->Running());

    EXPECT_TRUE(playTime->HandleMessage(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK));
    EXPECT_FALSE(playTime->Running()) << "the session is locked";
    EXPECT_TRUE(playTime->HandleMessage(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK));
    EXPECT_TRUE(playTime->Running());

    EXPECT_FALSE(playTime->HandleMessage(WM_POWERBROADCAST, PBT_APMSUSPEND));
    EXPECT_FALSE(playTime->Running()) << "the computer sleeps";
    playTime->HandleMessage(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    EXPECT_TRUE(playTime->Running());

    playTime->Stop();
    EXPECT_FALSE(playTime->Playing());
    EXPECT_FALSE(playTime->Running()) << "a solved game";
}

TEST_F(PlayTimeTest, OtherSessionAndPowerEventsLeaveTheClockAsItIs) {
    playTime->StartPlaying();
    EXPECT_TRUE(playTime->HandleMessage(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT));
    playTime->HandleMessage(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
    EXPECT_TRUE(playTime->Running());
}

TEST_F(PlayTimeTest, OnlyItsOwnTimerIsTaken) {
    playTime->StartPlaying();
    EXPECT_TRUE(playTime->HandleMessage(WM_TIMER, 1));
    EXPECT_FALSE(playTime->HandleMessage(WM_TIMER, 2)) << "another timer of the window is left to it";
    EXPECT_FALSE(playTime->HandleMessage(WM_MOUSEMOVE, 1));
}

TEST_F(PlayTimeTest, LabelShowsTheTimeAndIsClearedForANewGame) {
    playTime->Restart(67);
    EXPECT_EQ(label->Text(), "Time: 1:07");
    EXPECT_EQ(playTime->ElapsedSeconds(), 67);
    EXPECT_FALSE(playTime->Playing()) << "a loaded game waits for its first move";
    playTime->Clear();
    EXPECT_EQ(label->Text(), "");
    EXPECT_EQ(playTime->ElapsedSeconds(), 0);
}

TEST_F(PlayTimeTest, SolvedTextNamesFewerMovesOnlyWhenTheLabelHasRoomForIt) {
    TSolveOutcome outcome;
    outcome.Seconds = 187;
    outcome.BestSeconds = 178;
    outcome.FewerMoves = true;
    const std::string withMoves = SolvedTimeText(outcome, true), without = SolvedTimeText(outcome, false);
    ASSERT_NE(withMoves, without);

    label->SetBounds(10, 10, 600, 60);
    playTime->ShowSolved(outcome);
    EXPECT_EQ(label->Text(), withMoves);

    label->SetBounds(10, 10, 120, 16);
    playTime->ShowSolved(outcome);
    EXPECT_EQ(label->Text(), without);
}

}  // namespace
