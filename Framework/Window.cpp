#include "Framework/Window.h"

#include <exception>
#include <set>
#include <vector>

namespace {

const char* const ObjectProperty = "TilvaneWindowObject";

// Without a sink (a program that has no application object) a plain box says what went wrong.
void ReportException(void* sender, const std::string& message) {
    if (TWindow::ExceptionSink) {
        TWindow::ExceptionSink(sender, message);
        return;
    }
    MessageBoxA(GetActiveWindow(), message.c_str(), nullptr, MB_OK | MB_ICONERROR);
}

}  // namespace

TWindow::TExceptionSink TWindow::ExceptionSink = nullptr;

void RegisterOwnWindowClass(const char* className, UINT style, HCURSOR cursor, HBRUSH background) {
    static std::set<std::string> registered;
    if (!registered.insert(className).second) return;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = TWindow::WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    RegisterClassExA(&windowClass);
}

TWindow::~TWindow() {
    if (handle_ && FromHandle(handle_) == this) {
        HWND window = handle_;
        RemovePropA(window, ObjectProperty);
        handle_ = nullptr;
        DestroyWindow(window);
    } else if (handle_) {
        DestroyWindow(handle_);
    }
}

TWindow* TWindow::FromHandle(HWND window) {
    return window ? static_cast<TWindow*>(GetPropA(window, ObjectProperty)) : nullptr;
}

void TWindow::CreateOwnWindow(const char* className, DWORD exStyle, DWORD style, const std::string& caption,
                              int left, int top, int width, int height, HWND parent, HMENU menuOrId) {
    CreateWindowExA(exStyle, className, caption.c_str(), style, left, top, width, height, parent, menuOrId,
                    GetModuleHandleA(nullptr), this);
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT TWindow::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* object = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (object) {
            object->handle_ = window;
            SetPropA(window, ObjectProperty, object);
        }
    }
    TWindow* object = FromHandle(window);
    if (!object) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropA(window, ObjectProperty);
        object->handle_ = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return object->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& e) {
        ReportException(object, e.what());
    } catch (...) {
        ReportException(object, "Unknown exception.");
    }
    return 0;
}

void TWindow::SetBounds(int left, int top, int width, int height) {
    MoveWindow(handle_, left, top, width, height, TRUE);
}

RECT TWindow::Bounds() const {
    RECT bounds = {};
    GetWindowRect(handle_, &bounds);
    HWND parent = GetParent(handle_);
    if (parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

int TWindow::ClientWidth() const {
    RECT client = {};
    GetClientRect(handle_, &client);
    return client.right;
}

int TWindow::ClientHeight() const {
    RECT client = {};
    GetClientRect(handle_, &client);
    return client.bottom;
}

bool TWindow::Visible() const { return handle_ && IsWindowVisible(handle_); }

void TWindow::SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE); }

std::string TWindow::Text() const {
    const int length = GetWindowTextLengthA(handle_);
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    GetWindowTextA(handle_, buffer.data(), length + 1);
    return buffer.data();
}

void TWindow::SetText(const std::string& text) { SetWindowTextA(handle_, text.c_str()); }

void TWindow::SetFont(HFONT font) { SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
