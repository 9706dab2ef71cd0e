#include "Framework/Placement.h"

namespace {

// The work area of the monitor the window stands on, or of the primary monitor.
RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (window && GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
        return monitor.rcWork;
    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    return workArea;
}

}  // namespace

void CenterDialogOver(HWND dialog, HWND window) {
    // A minimised window stands far outside the screen; a hidden one means nothing to the user.
    const bool overWindow = window && window != dialog && IsWindowVisible(window) && !IsIconic(window);
    const RECT workArea = WorkAreaOf(overWindow ? window : nullptr);
    RECT over = workArea;
    if (overWindow) GetWindowRect(window, &over);
    RECT own = {};
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = over.left + (over.right - over.left - width) / 2;
    int top = over.top + (over.bottom - over.top - height) / 2;
    if (left + width > workArea.right) left = workArea.right - width;
    if (top + height > workArea.bottom) top = workArea.bottom - height;
    if (left < workArea.left) left = workArea.left;
    if (top < workArea.top) top = workArea.top;
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
