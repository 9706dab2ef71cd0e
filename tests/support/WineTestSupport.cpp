#include "support/WineTestSupport.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

void CreateFolderChain(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

}  // namespace

TTempFolder::TTempFolder(const std::string& name) {
    static int counter = 0;
    path_ = "C:\\Tilvane\\tmp\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(path_);
    CreateFolderChain(path_);
}

TTempFolder::~TTempFolder() { RemoveTree(path_); }

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool FileExists(const std::string& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path) {
    DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {  // never walk into a link's target
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = entry.cFileName;
                if (name != "." && name != "..") RemoveTree(path + "\\" + name);
            } while (FindNextFileA(search, &entry));
            FindClose(search);
        }
    }
    RemoveDirectoryA(path.c_str());
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

std::string BitmapFileBytes(int width, int height, const std::function<COLORREF(int x, int y)>& colourAt) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    std::string bmp(54 + static_cast<size_t>(rowBytes) * height, '\0');
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = colourAt(x, y);
            const size_t at = 54 + static_cast<size_t>(height - 1 - y) * rowBytes + static_cast<size_t>(x) * 3;
            bmp[at] = static_cast<char>(GetBValue(colour));
            bmp[at + 1] = static_cast<char>(GetGValue(colour));
            bmp[at + 2] = static_cast<char>(GetRValue(colour));
        }
    return bmp;
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
