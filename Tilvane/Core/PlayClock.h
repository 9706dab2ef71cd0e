// The play time of one game. It runs only while the game is under way (from the first move after
// a shuffle or load until the puzzle is solved) and the player is there to play it (the window is
// active, not minimised, and the session not locked). Time comes from a monotonic tick count in
// milliseconds that the caller supplies, never from the time of day, which the user or the
// system may set back or forward.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TPlayClock {
public:
    using TTickSource = std::function<uint64_t()>;

    explicit TPlayClock(TTickSource ticks);

    // Another tick source from now on; the time so far is kept.
    void SetTickSource(TTickSource ticks);
    // A new game, or a saved one that had already taken that long: stopped until play begins.
    void Restart(uint64_t elapsedMilliseconds = 0);
    // The game is under way (a move was made and it is not solved), or no longer.
    void SetPlaying(bool playing);
    // The player is there (window active, shown, session unlocked), or away.
    void SetPresent(bool present);

    bool Playing() const { return playing_; }
    bool Running() const { return playing_ && present_; }
    uint64_t ElapsedMilliseconds() const;
    // Whole seconds, as shown and stored; at most the largest stored value.
    int32_t ElapsedSeconds() const;

private:
    void Change(bool playing, bool present);

    TTickSource ticks_;
    uint64_t banked_ = 0;     // the time of earlier runs
    uint64_t runStart_ = 0;   // the tick count when the current run began
    bool playing_ = false;
    bool present_ = true;
};

// "m:ss", or "h:mm:ss" from an hour on.
std::string PlayTimeText(int32_t seconds);
