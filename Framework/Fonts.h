// Fonts that windows share: sized in pixels, and handed to a window with all its controls.
#pragma once

#include <windows.h>

// A font of the given character height in pixels (not points), so the layout's pixel
// positions fit it on every screen.
HFONT CreatePixelFont(const char* name, int characterHeight, bool bold = false, bool italic = false);
// Gives the window and every control inside it the font.
void SetFontOfWindowTree(HWND window, HFONT font);
