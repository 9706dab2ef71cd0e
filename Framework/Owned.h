// Owners for system handles: each frees what it holds exactly once and cannot be copied.
#pragma once

#include <windows.h>

#include <utility>

template <class H, class Free>
class TOwned {
public:
    explicit TOwned(H handle = H{}) : handle_(handle) {}
    ~TOwned() { Release(); }
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;
    TOwned(TOwned&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
    TOwned& operator=(TOwned&& other) noexcept {
        if (this != &other) {
            Release();
            handle_ = std::exchange(other.handle_, H{});
        }
        return *this;
    }
    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != H{}; }
    void reset(H handle = H{}) {
        Release();
        handle_ = handle;
    }
    H release() { return std::exchange(handle_, H{}); }

private:
    void Release() {
        if (handle_ != H{}) Free{}(handle_);
        handle_ = H{};
    }
    H handle_;
};

struct TFreeGdiObject { void operator()(HGDIOBJ object) const { DeleteObject(object); } };
struct TFreeDC { void operator()(HDC dc) const { DeleteDC(dc); } };
struct TFreeWindow { void operator()(HWND window) const { DestroyWindow(window); } };
struct TFreeMenu { void operator()(HMENU menu) const { DestroyMenu(menu); } };
struct TFreeAccelerators { void operator()(HACCEL table) const { DestroyAcceleratorTable(table); } };
struct TFreeHandle { void operator()(HANDLE handle) const { CloseHandle(handle); } };
struct TFreeFind { void operator()(HANDLE search) const { FindClose(search); } };
struct TFreeRegistryKey { void operator()(HKEY key) const { RegCloseKey(key); } };
struct TFreeLibrary { void operator()(HMODULE module) const { FreeLibrary(module); } };

using TOwnedBitmap = TOwned<HBITMAP, TFreeGdiObject>;
using TOwnedFont = TOwned<HFONT, TFreeGdiObject>;
using TOwnedPen = TOwned<HPEN, TFreeGdiObject>;
using TOwnedBrush = TOwned<HBRUSH, TFreeGdiObject>;
using TOwnedMemoryDC = TOwned<HDC, TFreeDC>;
using TOwnedAccelerators = TOwned<HACCEL, TFreeAccelerators>;
using TOwnedMenu = TOwned<HMENU, TFreeMenu>;
using TOwnedLibrary = TOwned<HMODULE, TFreeLibrary>;
using TOwnedRegistryKey = TOwned<HKEY, TFreeRegistryKey>;
using TOwnedFind = TOwned<HANDLE, TFreeFind>;

// A file handle: INVALID_HANDLE_VALUE, not 0, means none.
class TFileHandle {
public:
    explicit TFileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~TFileHandle() { Close(); }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != FALSE;
    }
private:
    HANDLE handle_;
};

// The device context of a window, released with the window it came from.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~TWindowDC() { if (dc_) ReleaseDC(window_, dc_); }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return dc_; }
private:
    HWND window_;
    HDC dc_;
};

// BeginPaint and EndPaint around a WM_PAINT handler.
class TPaintDC {
public:
    explicit TPaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~TPaintDC() { EndPaint(window_, &paint_); }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    HDC get() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }
private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back before anything is deleted.
class TSelection {
public:
    TSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~TSelection() { if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_); }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;
private:
    HDC dc_;
    HGDIOBJ previous_;
};
