#include "Framework/Dpi.h"

#include "Include/Owned.h"

namespace {

// Looked up at run time: the program also starts on systems without them.
using TGetDpiForWindow = UINT(WINAPI*)(HWND);
using TAdjustWindowRectExForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <class TFunction>
TFunction User32Function(const char* name) {
    return reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

int SystemDpi() {
    TWindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

}  // namespace

int DpiOfWindow(HWND window) {
    static const auto getDpiForWindow = User32Function<TGetDpiForWindow>("GetDpiForWindow");
    const UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? static_cast<int>(dpi) : SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool hasMenu, DWORD exStyle, int dpi) {
    static const auto adjustForDpi = User32Function<TAdjustWindowRectExForDpi>("AdjustWindowRectExForDpi");
    if (adjustForDpi && adjustForDpi(&rect, style, hasMenu, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
}
