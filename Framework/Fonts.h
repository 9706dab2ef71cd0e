// Fonts that windows share: sized in pixels of the layout, and handed to a window with all its
// controls.
#pragma once

#include <windows.h>

// A font as a layout names it: its character height in pixels of a 96-DPI screen.
struct TFontStyle {
    const char* Name;
    int CharacterHeight;
    bool Bold = false;
    bool Italic = false;
};

// A font of the given character height in pixels (not points), so the layout's pixel
// positions fit it on every screen.
HFONT CreatePixelFont(const char* name, int characterHeight, bool bold = false, bool italic = false);
// The font for a window at that DPI: its height grows with the layout around it.
HFONT CreateScaledFont(const TFontStyle& style, int dpi);
// Gives the window and every control inside it the font.
void SetFontOfWindowTree(HWND window, HFONT font);
// Gives the new font to the window and every control inside it that shows the old one.
void ReplaceFontInWindowTree(HWND window, HFONT oldFont, HFONT newFont);
