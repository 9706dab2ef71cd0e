#include "Framework/Fonts.h"

#include "Framework/Dpi.h"

namespace {

BOOL CALLBACK SetFontOfChild(HWND child, LPARAM font) {
    SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

struct TFontReplacement {
    HFONT OldFont, NewFont;
};

void ReplaceFontOf(HWND window, const TFontReplacement& replacement) {
    if (reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)) == replacement.OldFont)
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(replacement.NewFont), TRUE);
}

BOOL CALLBACK ReplaceFontOfChild(HWND child, LPARAM replacement) {
    ReplaceFontOf(child, *reinterpret_cast<const TFontReplacement*>(replacement));
    return TRUE;
}

}  // namespace

HFONT CreatePixelFont(const char* name, int characterHeight, bool bold, bool italic) {
    // A negative height asks for the character height, without the internal leading.
    return CreateFontA(-characterHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name);
}

HFONT CreateScaledFont(const TFontStyle& style, int dpi) {
    return CreatePixelFont(style.Name, ScaleToDpi(style.CharacterHeight, dpi), style.Bold, style.Italic);
}

void SetFontOfWindowTree(HWND window, HFONT font) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EnumChildWindows(window, SetFontOfChild, reinterpret_cast<LPARAM>(font));
}

void ReplaceFontInWindowTree(HWND window, HFONT oldFont, HFONT newFont) {
    const TFontReplacement replacement{oldFont, newFont};
    ReplaceFontOf(window, replacement);
    EnumChildWindows(window, ReplaceFontOfChild, reinterpret_cast<LPARAM>(&replacement));
}
