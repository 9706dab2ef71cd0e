#include "Framework/Image.h"

#include <windowsx.h>

#include <string>

namespace {

const char* const ImageClass = "TilvaneImage";

// The pointer shown while a drag is over a place that accepts it.
HCURSOR DragCursor() {
    static HCURSOR cursor = [] {
        // The system's own drag-move pointer lives in ole32; the arrow serves where it is missing.
        HMODULE ole = GetModuleHandleA("ole32.dll");
        HCURSOR found = ole ? LoadCursorA(ole, MAKEINTRESOURCEA(2)) : nullptr;
        return found ? found : LoadCursorA(nullptr, IDC_ARROW);
    }();
    return cursor;
}

}  // namespace

TImage::TImage(TWindow& parent, int left, int top, int width, int height, int id) {
    RegisterOwnWindowClass(ImageClass, CS_DBLCLKS, nullptr, nullptr);
    CreateOwnWindow(ImageClass, 0, WS_CHILD | WS_CLIPSIBLINGS, "", left, top, width, height, parent.Handle(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

TImage::TImage(TWindow& parent, int left, int top, std::unique_ptr<TBitmapCanvas> bitmap, int id)
    : bitmap_(std::move(bitmap)) {
    RegisterOwnWindowClass(ImageClass, CS_DBLCLKS, nullptr, nullptr);
    CreateOwnWindow(ImageClass, 0, WS_CHILD | WS_CLIPSIBLINGS, "", left, top, bitmap_->Width(), bitmap_->Height(),
                    parent.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void TImage::Refresh() {
    GdiFlush();
    InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT TImage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        TPaintDC paint(Handle());
        if (!bitmap_) return 0;  // a place for a picture still to come
        const RECT& area = paint.Area();
        GdiFlush();
        BitBlt(paint.get(), area.left, area.top, area.right - area.left, area.bottom - area.top, bitmap_->Canvas(),
               area.left, area.top, SRCCOPY);
        if (OnPaintOverlay) OnPaintOverlay(paint.get());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && !dragging_) {
            ::SetCursor(cursor_ ? cursor_ : LoadCursorA(nullptr, IDC_ARROW));
            return TRUE;
        }
        return DefaultHandling(message, wParam, lParam);
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        if (dragging_) EndDrag(std::nullopt);
        return DefaultHandling(message, wParam, lParam);
    default:
        return HandlePointer(message, wParam, lParam);
    }
}

LRESULT TImage::HandlePointer(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_MOUSEMOVE:
        if (dragging_) {
            DragMove(ScreenPoint(x, y));
            return 0;
        }
        if (!trackingLeave_) {
            // The system says when the pointer leaves, once per request.
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, Handle(), 0};
            trackingLeave_ = TrackMouseEvent(&track) != FALSE;
        }
        if (OnMouseMove) OnMouseMove(ShiftStateFromMessage(wParam), x, y);
        // After the handler, which may have chosen another pointer for this place.
        ::SetCursor(cursor_ ? cursor_ : LoadCursorA(nullptr, IDC_ARROW));
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (OnMouseLeave) OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(TMouseButton::Left, ShiftStateFromMessage(wParam, message == WM_LBUTTONDBLCLK), x, y);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(TMouseButton::Right, ShiftStateFromMessage(wParam, message == WM_RBUTTONDBLCLK), x, y);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        if (OnMouseDown) OnMouseDown(TMouseButton::Middle, ShiftStateFromMessage(wParam, message == WM_MBUTTONDBLCLK), x, y);
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) EndDrag(ScreenPoint(x, y));
        return 0;
    default:
        return HandleKeyboard(message, wParam, lParam);
    }
}

LRESULT TImage::HandleKeyboard(UINT message, WPARAM wParam, LPARAM lParam) {
    const WORD key = static_cast<WORD>(wParam);
    switch (message) {
    case WM_GETDLGCODE:
        // Enter and Escape would otherwise press the form's default or cancel button.
        return DLGC_WANTARROWS | (key == VK_RETURN || key == VK_ESCAPE ? DLGC_WANTMESSAGE : 0);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (OnKeyDown) OnKeyDown(key, ShiftStateFromMessage(0));
        // Alt with a key still reaches the system: the menu bar and Alt+F4 keep working.
        return message == WM_SYSKEYDOWN ? DefaultHandling(message, wParam, lParam) : 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (OnKeyUp) OnKeyUp(key, ShiftStateFromMessage(0));
        // The system tells Alt pressed alone (the menu bar) from Alt with a key by the releases
        // it sees, so it sees them all; but Alt's own WM_KEYUP comes only after Alt with a key,
        // and would open the menu bar.
        return message == WM_KEYUP && IsAltKey(key) ? 0 : DefaultHandling(message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (OnFocusChange) OnFocusChange(message == WM_SETFOCUS, reinterpret_cast<HWND>(wParam));
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

void TImage::SetCursor(HCURSOR cursor) {
    cursor_ = cursor;
    POINT pointer;
    if (dragging_ || GetCapture() || !GetCursorPos(&pointer) || WindowFromPoint(pointer) != Handle()) return;
    ::SetCursor(cursor_ ? cursor_ : LoadCursorA(nullptr, IDC_ARROW));
}

void TImage::SetTabStop() {
    SetWindowLongPtrA(Handle(), GWL_STYLE, GetWindowLongPtrA(Handle(), GWL_STYLE) | WS_TABSTOP);
}

void TImage::RefreshArea(const RECT& area) {
    GdiFlush();
    InvalidateRect(Handle(), &area, FALSE);
}

void TImage::BeginDrag() {
    dragging_ = true;
    dragTarget_ = nullptr;
    dragAccepted_ = false;
    SetCapture(Handle());
    // Where the press was, which the pointer may have left already.
    const DWORD pressed = GetMessagePos();
    DragMove(POINT{GET_X_LPARAM(pressed), GET_Y_LPARAM(pressed)});
}

POINT TImage::ScreenPoint(int x, int y) const {
    POINT screen = {x, y};
    ClientToScreen(Handle(), &screen);
    return screen;
}

TImage* TImage::ImageAt(POINT screen, POINT& local) {
    HWND window = WindowFromPoint(screen);
    auto* image = dynamic_cast<TImage*>(TWindow::FromHandle(window));
    if (!image || !image->Visible()) return nullptr;
    local = screen;
    ScreenToClient(window, &local);
    return image;
}

// Each step of a drag and its drop take the point of their own message, not the pointer's
// present place: a hand quicker than the program has moved on already.
void TImage::DragMove(POINT screen) {
    POINT local = {};
    dragTarget_ = ImageAt(screen, local);
    dragAccepted_ = false;
    if (dragTarget_ && dragTarget_->OnDragOver) dragTarget_->OnDragOver(this, local.x, local.y, dragAccepted_);
    ::SetCursor(dragAccepted_ ? DragCursor() : LoadCursorA(nullptr, IDC_NO));
    if (OnDragMoved) OnDragMoved(screen, dragTarget_);
}

void TImage::EndDrag(std::optional<POINT> dropAt) {
    if (!dragging_) return;
    dragging_ = false;  // before ReleaseCapture, whose WM_CAPTURECHANGED must not end it twice
    if (GetCapture() == Handle()) ReleaseCapture();
    ::SetCursor(cursor_ ? cursor_ : LoadCursorA(nullptr, IDC_ARROW));
    if (dropAt) Drop(*dropAt);
    if (OnDragEnded) OnDragEnded();
}

void TImage::Drop(POINT screen) {
    POINT local = {};
    TImage* target = ImageAt(screen, local);
    // A drop happens only where the last drag-over accepted.
    if (target && target == dragTarget_ && dragAccepted_ && target->OnDragDrop) target->OnDragDrop(this, local.x, local.y);
}
