#include "support/WineTestSupport.h"

#include <tlhelp32.h>

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(20);
    }
}

bool WaitUntilAnswering(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// Waits until the window's thread has taken every input event sent before the call. A message
// sent to a thread is answered only when it asks for its next message, and before it takes the
// input queued meanwhile; the second answer therefore comes after that input was handled (or
// after a modal loop it opened took it). Wine also turns pending X events into input there.
void WaitForInputTaken(HWND window) {
    if (!window) return;
    WaitUntilAnswering(window);
    WaitUntilAnswering(window);
}

TMessageBoxAnswerer::TMessageBoxAnswerer(std::string caption, int buttonId, bool answerByClose, bool anyProcess)
    : caption_(std::move(caption)), buttonId_(buttonId), answerByClose_(answerByClose), anyProcess_(anyProcess),
      thread_([this] { Watch(); }) {}

TMessageBoxAnswerer::~TMessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> TMessageBoxAnswerer::Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

std::vector<HWND> TMessageBoxAnswerer::Owners() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return owners_;
}

size_t TMessageBoxAnswerer::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_.size();
}

namespace {

struct TBoxSearch {
    const std::string* Caption;
    bool AnyProcess;
    HWND Found;
};

// The text of a window without waiting on its thread: the watcher must never block on the test
// thread, which may be waiting for the watcher to end.
std::string TextWithoutWaiting(HWND window) {
    char text[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             200, &copied))
        return std::string();
    return text;
}

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TBoxSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if ((!search->AnyProcess && process != GetCurrentProcessId()) || !IsWindowVisible(window)) return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && *search->Caption == TextWithoutWaiting(window)) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void TMessageBoxAnswerer::Watch() {
    HWND lastAnswered = nullptr;
    while (!stop_) {
        TBoxSearch search{&caption_, anyProcess_, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.Found && search.Found != lastAnswered) {
            const std::string text = TextWithoutWaiting(GetDlgItem(search.Found, 0xFFFF));  // the box's text
            {
                std::lock_guard<std::mutex> lock(mutex_);
                texts_.push_back(text);
                owners_.push_back(GetWindow(search.Found, GW_OWNER));
            }
            if (answerByClose_)
                PostMessageA(search.Found, WM_CLOSE, 0, 0);
            else
                PostMessageA(search.Found, WM_COMMAND, MAKEWPARAM(buttonId_, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(search.Found, buttonId_)));
            lastAnswered = search.Found;
        }
        Sleep(20);
    }
}

std::string TestProgramDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\') + 1);
}

TChildProcess::TChildProcess(const std::string& commandLine, const std::string& directory) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
}

TChildProcess::~TChildProcess() {
    if (!process_) return;
    if (ExitCode() == STILL_ACTIVE) Kill();
    CloseHandle(process_);
}

bool TChildProcess::Wait(DWORD milliseconds) {
    return process_ && WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

DWORD TChildProcess::ExitCode() const {
    DWORD code = 0;
    if (!process_ || !GetExitCodeProcess(process_, &code)) return static_cast<DWORD>(-1);
    return code;
}

void TChildProcess::Kill() {
    if (!process_) return;
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
}

std::vector<DWORD> ChildProcesses(DWORD parent) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent) children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return children;
}
