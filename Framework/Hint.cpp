#include "Framework/Hint.h"

#include <commctrl.h>

#include <map>

namespace {

// Thread timers carry no object: this finds the hint a timer belongs to.
std::map<UINT_PTR, THint*>& TimerOwners() {
    static std::map<UINT_PTR, THint*> owners;
    return owners;
}

}  // namespace

THint::THint(HWND owner) : owner_(owner) {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    tool_.cbSize = sizeof tool_;
    // Transparent: the pointer reaches the picture under the hint, which hides it on the next move.
    tool_.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    tool_.hwnd = owner;
    tool_.uId = 1;
    tool_.lpszText = const_cast<char*>("");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool_));
    SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
}

THint::~THint() {
    Hide();
    if (tooltip_) DestroyWindow(tooltip_);
}

void THint::ShowAt(const std::string& text, POINT screen, bool belowPointer) {
    text_ = text;
    position_ = screen;
    belowPointer_ = belowPointer;
    if (active_) {
        Activate();
        return;
    }
    if (showTimer_) return;  // already waiting to appear; it takes the newest text
    // Right after a hint was hidden, the next one appears after the short pause.
    const DWORD reshowWindow = 500;
    const UINT pause = GetTickCount() - hiddenAt_ < reshowWindow ? timing_.ShortPause : timing_.Pause;
    showTimer_ = SetTimer(nullptr, 0, pause, OnTimer);
    TimerOwners()[showTimer_] = this;
}

void THint::Activate() {
    tool_.lpszText = const_cast<char*>(text_.c_str());
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool_));
    // Below the pointer's shape, where the hint does not hide what the pointer is on.
    const int below = belowPointer_ ? GetSystemMetrics(SM_CYCURSOR) * 3 / 4 : 0;
    SendMessageA(tooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(position_.x, position_.y + below));
    SendMessageA(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_));
    active_ = true;
    if (hideTimer_) {
        KillTimer(nullptr, hideTimer_);
        TimerOwners().erase(hideTimer_);
    }
    hideTimer_ = SetTimer(nullptr, 0, timing_.HidePause, OnTimer);
    TimerOwners()[hideTimer_] = this;
}

void THint::Hide() {
    for (UINT_PTR* timer : {&showTimer_, &hideTimer_}) {
        if (*timer) {
            KillTimer(nullptr, *timer);
            TimerOwners().erase(*timer);
            *timer = 0;
        }
    }
    if (active_) {
        SendMessageA(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool_));
        active_ = false;
        hiddenAt_ = GetTickCount();
    }
}

void CALLBACK THint::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto found = TimerOwners().find(id);
    if (found == TimerOwners().end()) {
        KillTimer(nullptr, id);
        return;
    }
    THint* hint = found->second;
    if (id == hint->showTimer_) {
        KillTimer(nullptr, id);
        TimerOwners().erase(id);
        hint->showTimer_ = 0;
        hint->Activate();
    } else if (id == hint->hideTimer_) {
        hint->Hide();
    }
}
