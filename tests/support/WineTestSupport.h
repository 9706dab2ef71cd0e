// Helpers for tests that run under Wine against the real system: scratch folders on C:,
// whole-file reads and writes (TestFiles.h), answering message boxes, and child processes.
#pragma once

#include "support/TestFiles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// How long a step may take at most under Wine on a busy machine.
const DWORD StepTimeout = 15000;

// Polls the condition every 20 ms; true as soon as it holds, false when the timeout passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = StepTimeout);
// Asks a window of any process to answer (WM_NULL): true when its thread took messages again.
bool WaitUntilAnswering(HWND window, DWORD timeoutMs = StepTimeout);
// Waits until the window's thread has handled every input event sent to it before the call.
void WaitForInputTaken(HWND window);

// Watches for message boxes (dialogs of class #32770) with the given caption, owned by this
// process (or by any process), and answers each with the button id (IDOK, IDYES, IDNO,
// IDCANCEL...) or, with answerByClose, with WM_CLOSE. Records each box's text and owner window.
class TMessageBoxAnswerer {
public:
    TMessageBoxAnswerer(std::string caption, int buttonId, bool answerByClose = false, bool anyProcess = false);
    ~TMessageBoxAnswerer();
    TMessageBoxAnswerer(const TMessageBoxAnswerer&) = delete;
    TMessageBoxAnswerer& operator=(const TMessageBoxAnswerer&) = delete;
    std::vector<std::string> Texts() const;
    std::vector<HWND> Owners() const;
    size_t Count() const;
private:
    void Watch();
    std::string caption_;
    int buttonId_;
    bool answerByClose_;
    bool anyProcess_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::vector<HWND> owners_;
    std::thread thread_;
};

// Directory of the running test program, with a trailing backslash (C:\Tilvane\bin\).
std::string TestProgramDirectory();

// Whether the thread that owns the window is in a menu's modal loop (the menu bar opened).
inline bool InMenuMode(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMENUMODE);
}

// The processes that process started (a game's decoder processes), by their ids.
std::vector<DWORD> ChildProcesses(DWORD parent);

// A child process started from a command line; killed when still running at destruction.
class TChildProcess {
public:
    explicit TChildProcess(const std::string& commandLine, const std::string& directory = std::string());
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    bool Started() const { return process_ != nullptr; }
    // Waits up to the timeout; true when the process has ended.
    bool Wait(DWORD milliseconds);
    DWORD ExitCode() const;                                // STILL_ACTIVE while running
    void Kill();
    HANDLE Handle() const { return process_; }
private:
    HANDLE process_ = nullptr;
};
