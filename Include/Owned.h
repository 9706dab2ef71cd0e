// Owners for system handles: each frees what it holds exactly once and cannot be copied.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

// The value that stands for "no handle": 0, unless Free names another with a static Invalid()
// (file and search handles, where 0 is a valid handle and INVALID_HANDLE_VALUE means none).
template <class H, class Free, class = void>
struct TNoHandle {
    static H Value() { return H{}; }
};
template <class H, class Free>
struct TNoHandle<H, Free, std::void_t<decltype(Free::Invalid())>> {
    static H Value() { return Free::Invalid(); }
};

template <class H, class Free>
class TOwned {
public:
    explicit TOwned(H handle = None()) : handle_(handle) {}
    ~TOwned() { Release(); }
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;
    TOwned(TOwned&& other) noexcept : handle_(std::exchange(other.handle_, None())) {}
    TOwned& operator=(TOwned&& other) noexcept {
        if (this != &other) {
            Release();
            handle_ = std::exchange(other.handle_, None());
        }
        return *this;
    }
    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != None(); }
    void reset(H handle = None()) {
        Release();
        handle_ = handle;
    }
    H release() { return std::exchange(handle_, None()); }
    // Frees the handle now and tells whether the system did: closing a written file is the last
    // step that can report a failed write. Needs a Free that answers with a bool.
    bool Close() {
        if (handle_ == None()) return true;
        return Free{}(std::exchange(handle_, None()));
    }

private:
    static H None() { return TNoHandle<H, Free>::Value(); }
    void Release() {
        if (handle_ != None()) Free{}(handle_);
        handle_ = None();
    }
    H handle_;
};

struct TFreeGdiObject {
    bool operator()(HGDIOBJ object) const { return DeleteObject(object) != FALSE; }
};
struct TUnmapView {
    bool operator()(void* view) const { return UnmapViewOfFile(view) != FALSE; }
};
struct TFreeDC {
    bool operator()(HDC dc) const { return DeleteDC(dc) != FALSE; }
};
struct TFreeAccelerators {
    bool operator()(HACCEL table) const { return DestroyAcceleratorTable(table) != FALSE; }
};
// Kernel objects that CreateXxx returns as 0 on failure (mutexes, events).
struct TFreeHandle {
    bool operator()(HANDLE handle) const { return CloseHandle(handle) != FALSE; }
};
struct TFreeFileHandle : TFreeHandle {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};
struct TFreeFind {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    bool operator()(HANDLE search) const { return FindClose(search) != FALSE; }
};
struct TFreeRegistryKey {
    bool operator()(HKEY key) const { return RegCloseKey(key) == ERROR_SUCCESS; }
};

// One COM interface, released once on every path.
template <class TInterface>
class TComInterface {
public:
    TComInterface() = default;
    ~TComInterface() {
        if (pointer_) pointer_->Release();
    }
    TComInterface(const TComInterface&) = delete;
    TComInterface& operator=(const TComInterface&) = delete;
    TInterface* operator->() const { return pointer_; }
    TInterface* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // Where a call that hands out an interface puts it; only for an empty owner.
    TInterface** Out() { return &pointer_; }
    void** Receive() { return reinterpret_cast<void**>(&pointer_); }

private:
    TInterface* pointer_ = nullptr;
};

using TOwnedBitmap = TOwned<HBITMAP, TFreeGdiObject>;
using TOwnedFont = TOwned<HFONT, TFreeGdiObject>;
using TOwnedPen = TOwned<HPEN, TFreeGdiObject>;
using TOwnedMemoryDC = TOwned<HDC, TFreeDC>;
using TOwnedAccelerators = TOwned<HACCEL, TFreeAccelerators>;
using TOwnedHandle = TOwned<HANDLE, TFreeHandle>;
using TOwnedView = TOwned<void*, TUnmapView>;  // a view of a file mapping
using TFileHandle = TOwned<HANDLE, TFreeFileHandle>;
using TOwnedFind = TOwned<HANDLE, TFreeFind>;
using TOwnedRegistryKey = TOwned<HKEY, TFreeRegistryKey>;

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
