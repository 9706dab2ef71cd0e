#include "Framework/Application.h"

#include <commctrl.h>

TApplication Application;

void TApplication::Initialize() {
    if (initialized_) return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    initialized_ = true;
}

void TApplication::SetTitle(const std::string& title) { title_ = title; }

void TApplication::SetMainWindow(HWND window) {
    if (!mainWindow_) mainWindow_ = window;
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

void TApplication::Run() {
    MSG message;
    while (mainWindow_ && IsWindow(mainWindow_) && GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Accelerators first, then the dialog keys (Tab, the "&" letters) of the active window.
        if (accelerators_ && GetActiveWindow() == acceleratorWindow_ &&
            TranslateAcceleratorA(acceleratorWindow_, accelerators_, &message))
            continue;
        HWND active = GetActiveWindow();
        if (active && IsDialogMessageA(active, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void TApplication::Minimize() {
    if (mainWindow_) ShowWindow(mainWindow_, SW_MINIMIZE);
}
