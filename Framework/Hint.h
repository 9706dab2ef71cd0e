// A hint shown on request at a screen position: it appears after a short pause and hides
// itself after a long while, like the application's hints.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

struct THintTiming {
    UINT Pause = 400;          // before a hint appears
    UINT HidePause = 100000;   // how long it stays
    UINT ShortPause = 200;     // between neighbouring hints
};

class THint {
public:
    explicit THint(HWND owner);
    ~THint();
    THint(const THint&) = delete;
    THint& operator=(const THint&) = delete;

    void SetTiming(const THintTiming& timing) { timing_ = timing; }
    // Shows the text at the screen point, below the pointer's shape when it is the pointer's
    // place; a hint already showing moves and changes at once.
    void ShowAt(const std::string& text, POINT screen, bool belowPointer = true);
    void Hide();
    HWND Handle() const { return tooltip_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Activate();
    HWND owner_;
    HWND tooltip_ = nullptr;
    TOOLINFOA tool_ = {};
    std::string text_;
    POINT position_ = {};
    bool belowPointer_ = true;
    THintTiming timing_;
    UINT_PTR showTimer_ = 0;
    UINT_PTR hideTimer_ = 0;
    bool active_ = false;
    DWORD hiddenAt_ = 0;
};
