#include "Framework/FloatingPicture.h"

#include "Include/Owned.h"

namespace {

const char* const FloatingPictureClass = "TilvaneFloatingPicture";

const UINT MoveWithoutActivating = SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE | SWP_NOOWNERZORDER;

}  // namespace

TFloatingPicture::TFloatingPicture(HWND owner) {
    RegisterOwnWindowClass(FloatingPictureClass, 0, nullptr, nullptr);
    // Disabled and a tool window: no activation, no button on the task bar, no input. Layered
    // and transparent, the system's hit tests (WindowFromPoint) pass through it; it stays opaque.
    CreateOwnWindow(FloatingPictureClass, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_LAYERED |
                        WS_EX_TRANSPARENT,
                    WS_POPUP | WS_DISABLED, "", 0, 0, 1, 1, owner, nullptr);
    SetLayeredWindowAttributes(Handle(), 0, 255, LWA_ALPHA);
}

void TFloatingPicture::Show(std::unique_ptr<TBitmapCanvas> picture, POINT topLeft) {
    picture_ = std::move(picture);
    if (!picture_) return Hide();
    SetWindowPos(Handle(), HWND_TOPMOST, topLeft.x, topLeft.y, picture_->Width(), picture_->Height(),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    shown_ = true;
    UpdateWindow(Handle());
}

void TFloatingPicture::MoveTo(POINT topLeft) {
    if (!shown_) return;
    SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, 0, 0, MoveWithoutActivating);
}

void TFloatingPicture::Hide() {
    if (shown_) ShowWindow(Handle(), SW_HIDE);
    shown_ = false;
    picture_.reset();
}

LRESULT TFloatingPicture::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        // The window under the pointer is whatever lies below the piece.
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        TPaintDC paint(Handle());
        if (picture_) {
            GdiFlush();
            BitBlt(paint.get(), 0, 0, picture_->Width(), picture_->Height(), picture_->Canvas(), 0, 0, SRCCOPY);
        }
        return 0;
    }
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}
