// The application object: its title, its main window, the message loop, and the exception
// event that receives what a window's handler could not handle.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class TApplication {
public:
    using TExceptionEvent = std::function<void(void* sender, const std::string& message)>;

    // Becomes the sink of every window's exceptions.
    TApplication();

    void Initialize();
    void SetTitle(const std::string& title);

    // The first window created becomes the main window; its closing ends Run.
    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND window);
    // Ends the message loop when the window is the main window.
    void MainWindowDestroyed(HWND window);

    // The accelerators of a window, looked at before anything else in the message loop.
    void SetAccelerators(HWND window, HACCEL accelerators);

    TExceptionEvent OnException;
    // Hands an exception that reached a window procedure to OnException (or a plain box).
    void HandleException(void* sender, const std::string& message);

    // Runs the message loop until the main window has closed; returns at once without one.
    void Run();
    void Minimize();

private:
    std::string title_;
    HWND mainWindow_ = nullptr;
    HWND acceleratorWindow_ = nullptr;
    HACCEL accelerators_ = nullptr;
    bool initialized_ = false;
};

extern TApplication Application;
