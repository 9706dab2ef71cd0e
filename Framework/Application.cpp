#include "Framework/Application.h"

#include "Framework/Controls.h"
#include "Framework/Window.h"

#include <commctrl.h>

TApplication Application;

TApplication::TApplication() {
    TWindow::ExceptionSink = [](void* sender, const std::string& message) { Application.HandleException(sender, message); };
}

void TApplication::Initialize() {
    if (initialized_) return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    initialized_ = true;
}

void TApplication::SetTitle(const std::string& title) { title_ = title; }

void TApplication::SetMainWindow(HWND window) {
    if (!mainWindow_ || !IsWindow(mainWindow_)) mainWindow_ = window;
}

void TApplication::MainWindowDestroyed(HWND window) {
    if (window != mainWindow_) return;
    mainWindow_ = nullptr;
    PostQuitMessage(0);
}

void TApplication::SetAccelerators(HWND window, HACCEL accelerators) {
    acceleratorWindow_ = window;
    accelerators_ = accelerators;
}

void TApplication::HandleException(void* sender, const std::string& message) {
    if (OnException) {
        OnException(sender, message);
        return;
    }
    MessageBoxA(mainWindow_, message.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

namespace {
// Wine reports the release of Alt after another key as WM_KEYUP, Windows as WM_SYSKEYUP.
bool IsAltRelease(const MSG& message) {
    return (message.message == WM_SYSKEYUP || message.message == WM_KEYUP) && IsAltKey(message.wParam);
}

bool IsEscapeDown(const MSG& message) { return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE; }

// Escape lets go of what a window of ours holds with the pointer (a piece being dragged): the
// window ends its drag as the system ends one, and the key means nothing else then.
bool CancelPointerCapture() {
    HWND capture = GetCapture();
    if (!capture || !TWindow::FromHandle(capture)) return false;
    SendMessageA(capture, WM_CANCELMODE, 0, 0);
    return true;
}

}  // namespace

void TApplication::Run() {
    MSG message;
    bool altShortcutUsed = false;
    while (mainWindow_ && IsWindow(mainWindow_) && GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Releasing Alt after an Alt shortcut must not open the menu bar: the window never saw
        // the key that the shortcut took, so it would take Alt for a press on its own.
        if (altShortcutUsed && IsAltRelease(message)) {
            altShortcutUsed = false;
            continue;
        }
        if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) altShortcutUsed = false;
        if (IsEscapeDown(message) && CancelPointerCapture()) continue;
        // Accelerators first, then the dialog keys (Tab, the "&" letters) of the active window.
        if (accelerators_ && GetActiveWindow() == acceleratorWindow_ &&
            TranslateAcceleratorA(acceleratorWindow_, accelerators_, &message)) {
            if (message.message == WM_SYSKEYDOWN) altShortcutUsed = true;
            continue;
        }
        HWND active = GetActiveWindow();
        if (active && IsDialogMessageA(active, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void TApplication::Minimize() {
    if (mainWindow_) ShowWindow(mainWindow_, SW_MINIMIZE);
}
