// One object per window handle: every window class of ours shares one window procedure, which
// attaches the object at WM_NCCREATE, detaches it at WM_NCDESTROY, and hands every exception of
// a handler to the exception sink (the application's, once it exists) so that none unwinds
// through the system.
#pragma once

#include <windows.h>

#include <string>

class TWindow {
public:
    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return handle_; }
    // The object of a window of ours, or null for any other window.
    static TWindow* FromHandle(HWND window);

    // Receives what a handler threw. A plain pointer, set before any window exists: it holds
    // its value before any object of the program is constructed.
    using TExceptionSink = void (*)(void* sender, const std::string& message);
    static TExceptionSink ExceptionSink;

    void SetBounds(int left, int top, int width, int height);
    RECT Bounds() const;         // in the parent's client coordinates
    int ClientWidth() const;
    int ClientHeight() const;
    bool Visible() const;
    void SetVisible(bool visible);
    std::string Text() const;
    void SetText(const std::string& text);
    void SetFont(HFONT font);

protected:
    // Registers (once) and creates a window of one of our classes with this object attached.
    void CreateOwnWindow(const char* className, DWORD exStyle, DWORD style, const std::string& caption, int left,
                         int top, int width, int height, HWND parent, HMENU menuOrId);
    // Takes over a window of a system class (buttons, lists...) that is not subclassed.
    void AdoptSystemWindow(HWND window) { handle_ = window; }

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

public:
    // The procedure of every window class of ours.
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    HWND handle_ = nullptr;
};

// Registers one of our window classes once per process.
void RegisterOwnWindowClass(const char* className, UINT style, HCURSOR cursor, HBRUSH background);
