// Screen density: every length of a layout table is in units of a 96-DPI screen, and a window
// shows it in its own pixels, at the DPI of the monitor it stands on.
#pragma once

#include <windows.h>

// The density the layout tables are drawn for: there, a unit is one pixel.
const int DesignDpi = 96;

// The window's DPI: its monitor's when the program is per-monitor aware, the system's on
// systems that know no per-window DPI (before Windows 10 1607).
int DpiOfWindow(HWND window);

// A length of the layout at that DPI, rounded to the nearest pixel: unchanged at 96 DPI.
inline int ScaleToDpi(int length, int dpi) { return MulDiv(length, dpi, DesignDpi); }

// The outer rectangle of a window whose client area is the given one, with the frame, caption
// and menu bar of that DPI.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool hasMenu, DWORD exStyle, int dpi);
