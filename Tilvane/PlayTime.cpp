// The play time of the game window. The rules of the clock are the core's (Tilvane/Core/PlayClock.h).
#include "Tilvane/PlayTime.h"

#include "Include/Owned.h"
#include "Tilvane/TilvaneIds.h"

#include <wtsapi32.h>

#include <algorithm>

namespace {

// Often enough that the label turns over close to each whole second.
const UINT PlayTimeTimerPeriod = 250;

}  // namespace

TPlayTime::TPlayTime(TWindow& window, TLabel& label)
    : window_(window), label_(label), windowActive_(GetActiveWindow() == window.Handle()) {
    // Without the notification the clock only misses the pause of a locked session.
    WTSRegisterSessionNotification(window_.Handle(), NOTIFY_FOR_THIS_SESSION);
}

TPlayTime::~TPlayTime() {
    KillTimer(window_.Handle(), tmPlayTime);
    WTSUnRegisterSessionNotification(window_.Handle());
}

bool TPlayTime::HandleMessage(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_ACTIVATE:
        windowActive_ = LOWORD(wParam) != WA_INACTIVE;
        UpdatePresence();
        return false;
    case WM_SIZE:
        UpdatePresence();
        return false;
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK) {
            sessionLocked_ = wParam == WTS_SESSION_LOCK;
            UpdatePresence();
        }
        return true;
    case WM_POWERBROADCAST:
        // The tick count goes on while the computer sleeps, and the window may stay active.
        if (wParam == PBT_APMSUSPEND || wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
            systemAsleep_ = wParam == PBT_APMSUSPEND;
            UpdatePresence();
        }
        return false;
    case WM_TIMER:
        if (wParam != tmPlayTime) return false;
        if (clock_.Running() && clock_.ElapsedSeconds() != shownSeconds_) Show();
        return true;
    default:
        return false;
    }
}

void TPlayTime::Clear() {
    clock_.Restart();
    UpdatePresence();
    label_.SetText("");
}

void TPlayTime::Restart(int32_t seconds) {
    clock_.Restart(static_cast<uint64_t>(std::max(seconds, 0)) * 1000);
    UpdatePresence();
    Show();
}

void TPlayTime::Show() {
    shownSeconds_ = clock_.ElapsedSeconds();
    label_.SetText("Time: " + PlayTimeText(shownSeconds_));
}

void TPlayTime::StartPlaying() {
    if (clock_.Playing()) return;
    clock_.SetPlaying(true);
    UpdatePresence();
}

int32_t TPlayTime::Stop() {
    clock_.SetPlaying(false);
    UpdatePresence();
    return clock_.ElapsedSeconds();
}

void TPlayTime::ShowSolved(const TSolveOutcome& outcome) {
    const std::string withMoves = SolvedTimeText(outcome, true);
    label_.SetText(FitsLabel(withMoves) ? withMoves : SolvedTimeText(outcome, false));
}

// The clock runs only while the player can see the game and play it; the timer only while it runs.
void TPlayTime::UpdatePresence() {
    clock_.SetPresent(windowActive_ && !IsIconic(window_.Handle()) && !sessionLocked_ && !systemAsleep_);
    if (clock_.Running())
        SetTimer(window_.Handle(), tmPlayTime, PlayTimeTimerPeriod, nullptr);
    else
        KillTimer(window_.Handle(), tmPlayTime);
    if (clock_.Playing()) Show();
}

// Measured in the label's own font, wrapped at its width as the label wraps it.
bool TPlayTime::FitsLabel(const std::string& text) const {
    const HWND label = label_.Handle();
    RECT client = {};
    GetClientRect(label, &client);
    const TWindowDC dc(label);
    const TSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, client.right, 0};
    DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return needed.right <= client.right && needed.bottom <= client.bottom;
}
