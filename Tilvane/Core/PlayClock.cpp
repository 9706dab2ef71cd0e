#include "Tilvane/Core/PlayClock.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

TPlayClock::TPlayClock(TTickSource ticks) : ticks_(std::move(ticks)) {}

void TPlayClock::SetTickSource(TTickSource ticks) {
    banked_ = ElapsedMilliseconds();
    ticks_ = std::move(ticks);
    runStart_ = ticks_();
}

void TPlayClock::Restart(uint64_t elapsedMilliseconds) {
    playing_ = false;
    banked_ = elapsedMilliseconds;
}

void TPlayClock::SetPlaying(bool playing) { Change(playing, present_); }

void TPlayClock::SetPresent(bool present) { Change(playing_, present); }

// The time of a run is banked when it ends; a new run counts from its own start.
void TPlayClock::Change(bool playing, bool present) {
    const bool wasRunning = Running();
    const bool running = playing && present;
    if (wasRunning && !running) banked_ = ElapsedMilliseconds();
    if (!wasRunning && running) runStart_ = ticks_();
    playing_ = playing;
    present_ = present;
}

uint64_t TPlayClock::ElapsedMilliseconds() const {
    if (!Running()) return banked_;
    const uint64_t now = ticks_();
    // A tick source never goes back; one that did (a test's, replaced) adds nothing.
    return banked_ + (now > runStart_ ? now - runStart_ : 0);
}

int32_t TPlayClock::ElapsedSeconds() const {
    const uint64_t seconds = ElapsedMilliseconds() / 1000;
    return static_cast<int32_t>(std::min<uint64_t>(seconds, std::numeric_limits<int32_t>::max()));
}

std::string PlayTimeText(int32_t seconds) {
    seconds = std::max(seconds, 0);
    const int32_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
    char text[32];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%d:%02d:%02d", static_cast<int>(hours), static_cast<int>(minutes),
                      static_cast<int>(rest));
    else
        std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(minutes), static_cast<int>(rest));
    return text;
}
