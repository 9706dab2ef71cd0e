// The play time of the game on screen: a clock that runs while the game is under way and the
// player is there (the window active and shown, the session unlocked, the computer awake), the
// label that shows it, and the timer that turns the label over.
#pragma once

#include "Framework/Controls.h"
#include "Tilvane/Core/BestResults.h"
#include "Tilvane/Core/PlayClock.h"

#include <windows.h>

#include <cstdint>

class TPlayTime {
public:
    // Registers the window for session notifications: a locked session pauses the clock.
    TPlayTime(TWindow& window, TLabel& label);
    ~TPlayTime();
    TPlayTime(const TPlayTime&) = delete;
    TPlayTime& operator=(const TPlayTime&) = delete;

    // The window's WM_ACTIVATE, WM_SIZE, WM_WTSSESSION_CHANGE, WM_POWERBROADCAST and WM_TIMER;
    // true when the message is done with and the window answers 0.
    bool HandleMessage(UINT message, WPARAM wParam);

    // A new game: stopped at 0, the label empty.
    void Clear();
    // The clock of a saved game that had already taken that long, shown.
    void Restart(int32_t seconds);
    void Show();
    // The first move of a game under way; a clock already playing is left alone.
    void StartPlaying();
    bool Playing() const { return clock_.Playing(); }
    // Counting now: playing, and the player is there.
    bool Running() const { return clock_.Running(); }
    // A solve: the clock stops for good; the seconds played.
    int32_t Stop();
    // The solve's time, with the fewer moves named when the label has room for it.
    void ShowSolved(const TSolveOutcome& outcome);
    // Also read on the crash guard's thread: a tick count, no window.
    int32_t ElapsedSeconds() const { return clock_.ElapsedSeconds(); }

private:
    friend struct TTilvaneFormTestAccess;

    void UpdatePresence();
    bool FitsLabel(const std::string& text) const;

    TWindow& window_;
    TLabel& label_;
    TPlayClock clock_{[] { return static_cast<uint64_t>(GetTickCount64()); }};
    bool windowActive_ = false;
    bool sessionLocked_ = false;
    bool systemAsleep_ = false;
    int32_t shownSeconds_ = -1;  // what the label shows while the clock runs
};
