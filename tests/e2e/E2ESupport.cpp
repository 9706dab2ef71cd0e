#include "e2e/E2ESupport.h"

#include "Include/Core/PathText.h"
#include "Include/ErrorDialog.h"
#include "Include/WideText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

const char* const E2ERoot = "C:\\Tilvane\\e2e\\";
const char* const FormClass = "TilvaneForm";
const int FileNameCombo = 0x047C;  // cmb13: the file name box of the explorer-style dialog
const int FileNameEdit = 0x0480;   // edt1: the file name box of the older dialog

struct TWindowSearch {
    DWORD ProcessId;
    const std::function<bool(HWND)>* Accept;
    int Id;
    HWND Found;
};

BOOL CALLBACK AcceptTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    if (!IsWindowVisible(window)) return TRUE;
    if (search->ProcessId && WindowProcess(window) != search->ProcessId) return TRUE;
    if (!(*search->Accept)(window)) return TRUE;
    search->Found = window;
    return FALSE;
}

BOOL CALLBACK AcceptId(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    if (GetDlgCtrlID(window) != search->Id) return TRUE;
    search->Found = window;
    return FALSE;
}

bool IsExtendedKey(WORD key) {
    switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_INSERT: case VK_DELETE:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
        return true;
    default:
        return false;
    }
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

std::vector<WORD> ModifierKeys(unsigned modifiers) {
    std::vector<WORD> keys;
    if (modifiers & modCtrl) keys.push_back(VK_CONTROL);
    if (modifiers & modShift) keys.push_back(VK_SHIFT);
    if (modifiers & modAlt) keys.push_back(VK_MENU);
    return keys;
}

void Send(std::vector<INPUT> inputs) {
    if (inputs.empty()) return;
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressModifiers(unsigned modifiers, bool up) {
    std::vector<INPUT> inputs;
    std::vector<WORD> keys = ModifierKeys(modifiers);
    if (up) keys.assign(keys.rbegin(), keys.rend());
    for (WORD key : keys) inputs.push_back(KeyInput(key, up));
    Send(inputs);
}

// Absolute pointer coordinates as the system scales them back: x = dx * width / 65536.
INPUT MouseInput(POINT screen, DWORD flags) {
    const LONG width = GetSystemMetrics(SM_CXSCREEN);
    const LONG height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(screen.x) * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(screen.y) * 65536 + height - 1) / height);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

HWND WindowAt(POINT screen) { return WindowFromPoint(screen); }

// The keyboard goes to the foreground window's thread.
void WaitForKeysTaken() { WaitForInputTaken(GetForegroundWindow()); }

// The system has placed the pointer where it was sent: the window under it is then known.
void WaitForPointerAt(POINT screen) {
    const bool arrived = WaitUntil([&] {
        POINT at = {};
        return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
    }, StepTimeout);
    if (!arrived) ADD_FAILURE() << "the pointer never reached " << screen.x << "," << screen.y;
}

// --- X input through the bridge of scripts/x-input-bridge.sh ---

const char* const BridgeFolder = "C:\\Tilvane\\xinput\\";

bool BridgeAlive() { return GetFileAttributesA((std::string(BridgeFolder) + "alive").c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs one xdotool command line at the X level; false when the bridge does not run or answer.
bool XInput(const std::string& arguments) {
    if (!BridgeAlive()) return false;
    static int counter = 0;
    const std::string name = std::string(BridgeFolder) + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++counter);
    WriteFileBytes(name + ".tmp", arguments + "\n");
    if (!MoveFileExA((name + ".tmp").c_str(), (name + ".req").c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    const bool answered = WaitUntil([&] { return GetFileAttributesA((name + ".ack").c_str()) != INVALID_FILE_ATTRIBUTES; },
                                    StepTimeout);
    DeleteFileA((name + ".ack").c_str());
    return answered;
}

std::string XKeys(unsigned modifiers, const char* action) {
    std::string keys;
    if (modifiers & modCtrl) keys += std::string(" ") + action + " ctrl";
    if (modifiers & modShift) keys += std::string(" ") + action + " shift";
    if (modifiers & modAlt) keys += std::string(" ") + action + " alt";
    return keys;
}

std::string XMove(POINT screen) { return " mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y); }

// A button press where the pointer already is: no pointer movement, so that no motion event
// of the X server (which knows nothing of keys pressed through SendInput) makes Wine take the
// modifier keys for released.
INPUT ButtonInput(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

// Keys are held until the program has taken the click: Wine reads the state of Shift, Ctrl and
// Alt for a pointer message when the program gets to the message, not when it was sent.
void ButtonClickAt(POINT screen, unsigned modifiers, DWORD down, DWORD up) {
    const char* button = down == MOUSEEVENTF_RIGHTDOWN ? "3" : down == MOUSEEVENTF_MIDDLEDOWN ? "2" : "1";
    MoveMouse(screen);
    const HWND target = WindowAt(screen);
    if (BridgeAlive()) {
        if (modifiers && XInput(XKeys(modifiers, "keydown"))) WaitForInputTaken(target);
        if (XInput(std::string(" click ") + button)) {
            WaitForInputTaken(target);
            if (modifiers && XInput(XKeys(modifiers, "keyup"))) WaitForInputTaken(target);
            return;
        }
    }
    PressModifiers(modifiers, false);
    WaitForInputTaken(target);
    Send({ButtonInput(down), ButtonInput(up)});
    WaitForInputTaken(target);
    PressModifiers(modifiers, true);
    WaitForInputTaken(target);
}

bool HasFileNameBox(HWND dialog) {
    return GetDlgItem(dialog, FileNameCombo) != nullptr || GetDlgItem(dialog, FileNameEdit) != nullptr;
}

void SetTextAcross(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &result);
}

}  // namespace

std::string WindowText(HWND window) {
    if (!window) return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return std::string();
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return std::string();
    return std::string(text.data(), std::min<size_t>(copied, length));
}

std::string WindowClass(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD WindowProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

std::string DescribeWindowAt(POINT screen) {
    const HWND seen = WindowFromPoint(screen);
    return "a window of class " + WindowClass(seen) + " \"" + WindowText(seen) + "\" of process " +
           std::to_string(WindowProcess(seen));
}

HWND FindDescendant(HWND parent, int id) {
    if (!parent) return nullptr;
    TWindowSearch search{0, nullptr, id, nullptr};
    EnumChildWindows(parent, AcceptId, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND FindTopLevelWindow(DWORD processId, const std::function<bool(HWND)>& accept) {
    TWindowSearch search{processId, &accept, 0, nullptr};
    EnumWindows(AcceptTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

RECT ClientRectOnScreen(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

POINT ClientPointOnScreen(HWND window, int x, int y) {
    POINT point = {x, y};
    ClientToScreen(window, &point);
    return point;
}

POINT CenterOnScreen(HWND window) {
    const RECT client = ClientRectOnScreen(window);
    return POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
}

HWND FindQuery(DWORD processId) {
    return FindTopLevelWindow(processId, [](HWND window) {
        return WindowClass(window) == "#32770" && WindowText(window) == "Query";
    });
}

std::string AnswerQuery(DWORD processId, int button) {
    const int messageText = 0xFFFF;  // the text of a message box
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindQuery(processId)) != nullptr; })) return std::string();
    WaitUntilAnswering(box);
    const std::string text = WindowText(GetDlgItem(box, messageText));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    return text;
}

bool BringToForeground(HWND window) {
    return WaitUntil(
        [&] {
            if (GetForegroundWindow() == window) return true;
            SetForegroundWindow(window);
            return GetForegroundWindow() == window;
        },
        5000);
}

void PressKey(WORD virtualKey, unsigned modifiers) {
    PressModifiers(modifiers, false);
    Send({KeyInput(virtualKey, false), KeyInput(virtualKey, true)});
    PressModifiers(modifiers, true);
    WaitForKeysTaken();
}

void PressKeyReleasingModifiersFirst(WORD virtualKey, unsigned modifiers) {
    PressModifiers(modifiers, false);
    Send({KeyInput(virtualKey, false)});
    PressModifiers(modifiers, true);
    Send({KeyInput(virtualKey, true)});
    WaitForKeysTaken();
}

THeldModifiers::THeldModifiers(unsigned modifiers) : modifiers_(modifiers) {
    if (!XInput(XKeys(modifiers_, "keydown"))) PressModifiers(modifiers_, false);
    WaitForKeysTaken();
}

THeldModifiers::~THeldModifiers() {
    if (!XInput(XKeys(modifiers_, "keyup"))) PressModifiers(modifiers_, true);
    WaitForKeysTaken();
}

void MoveMouse(POINT screen) {
    if (!XInput(XMove(screen))) Send({MouseInput(screen, 0)});
    WaitForPointerAt(screen);
    WaitForInputTaken(WindowAt(screen));
}

void ClickAt(POINT screen, unsigned modifiers) {
    ButtonClickAt(screen, modifiers, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void RightClickAt(POINT screen, unsigned modifiers) {
    ButtonClickAt(screen, modifiers, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

namespace {

POINT DragStep(POINT from, POINT to, int step, int steps) {
    return {from.x + (to.x - from.x) * step / steps, from.y + (to.y - from.y) * step / steps};
}

// Presses the left button at one point and moves in steps to the other, each step taken by the
// program under the pointer before the next, so that it sees the drag leave and arrive.
void PressAndMove(POINT from, POINT to) {
    MoveMouse(from);
    const HWND source = WindowAt(from);
    if (!XInput(" mousedown 1")) Send({ButtonInput(MOUSEEVENTF_LEFTDOWN)});
    WaitForInputTaken(source);
    const int steps = 10;
    for (int step = 1; step <= steps; ++step) {
        const POINT at = DragStep(from, to, step, steps);
        if (!XInput(XMove(at))) Send({MouseInput(at, 0)});
        WaitForPointerAt(at);
        WaitForInputTaken(source);  // the pointer is captured: its moves go where the press went
    }
}

void Release(POINT at, HWND source) {
    if (!XInput(" mouseup 1")) Send({ButtonInput(MOUSEEVENTF_LEFTUP)});
    WaitForInputTaken(source);
    WaitForInputTaken(WindowAt(at));
}

}  // namespace

void DragFromTo(POINT from, POINT to, unsigned modifiers) {
    const HWND source = WindowAt(from);
    if (modifiers) {
        if (!XInput(XKeys(modifiers, "keydown"))) PressModifiers(modifiers, false);
        WaitForInputTaken(source);
    }
    PressAndMove(from, to);
    Release(to, source);
    if (modifiers) {
        if (!XInput(XKeys(modifiers, "keyup"))) PressModifiers(modifiers, true);
        WaitForInputTaken(source);
    }
}

void DragInOneBurst(const std::vector<std::pair<POINT, POINT>>& drags) {
    if (drags.empty()) return;
    const HWND source = WindowAt(drags.front().first);
    std::string chain;
    std::vector<INPUT> inputs;
    for (const auto& drag : drags) {
        chain += XMove(drag.first) + " mousedown 1" + XMove(drag.second) + " mouseup 1";
        inputs.push_back(MouseInput(drag.first, 0));
        inputs.push_back(MouseInput(drag.first, MOUSEEVENTF_LEFTDOWN));
        inputs.push_back(MouseInput(drag.second, 0));
        inputs.push_back(MouseInput(drag.second, MOUSEEVENTF_LEFTUP));
    }
    if (!XInput(chain)) Send(inputs);
    WaitForPointerAt(drags.back().second);
    WaitForInputTaken(source);
}

THeldDrag::THeldDrag(POINT from, POINT to) : to_(to), source_(WindowAt(from)) { PressAndMove(from, to); }

THeldDrag::~THeldDrag() { Release(to_, source_); }

void TDoubleClickSpacing::BeforePress(int place) {
    if (place == lastPlace_) {
        // The system's own double-click time, and a margin for the clock's granularity.
        WaitUntil([&] { return GetTickCount() - lastPressTime_ > GetDoubleClickTime() + 50; },
                  GetDoubleClickTime() + 1000);
    }
    lastPlace_ = place;
    lastPressTime_ = GetTickCount();
}

bool ClickCloseBox(HWND window) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    const int captionBottom = frame.top + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
    for (int y = frame.top + 1; y < captionBottom; y += 2) {
        for (int x = frame.right - 2; x > frame.right - 80 && x > frame.left; x -= 2) {
            DWORD_PTR hit = 0;
            if (!SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 5000, &hit))
                return false;
            if (hit == HTCLOSE) {
                BringToForeground(window);
                ClickAt(POINT{x, y});
                return true;
            }
        }
    }
    return false;
}

TPixels CaptureClientPixels(HWND window) { return CaptureScreenPixels(ClientRectOnScreen(window)); }

namespace {

// Draws the pointer shape where the pointer is, over a capture whose top left is at origin.
void DrawPointer(HDC target, POINT origin, HCURSOR pointer) {
    POINT at = {};
    ICONINFO icon = {};
    if (!GetCursorPos(&at) || !GetIconInfo(pointer, &icon)) return;
    DrawIconEx(target, at.x - origin.x - static_cast<int>(icon.xHotspot), at.y - origin.y - static_cast<int>(icon.yHotspot),
               pointer, 0, 0, 0, nullptr, DI_NORMAL);
    if (icon.hbmMask) DeleteObject(icon.hbmMask);
    if (icon.hbmColor) DeleteObject(icon.hbmColor);
}

}  // namespace

TPixels CaptureScreenPixels(const RECT& area, HCURSOR pointer) {
    TPixels pixels;
    pixels.Width = area.right - area.left;
    pixels.Height = area.bottom - area.top;
    if (pixels.Width <= 0 || pixels.Height <= 0) return TPixels();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.Width;
    info.bmiHeader.biHeight = -pixels.Height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, pixels.Width, pixels.Height, screen, area.left, area.top, SRCCOPY);
    if (pointer) DrawPointer(memory, POINT{area.left, area.top}, pointer);
    GdiFlush();
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    pixels.Colors.reserve(static_cast<size_t>(pixels.Width) * pixels.Height);
    for (int i = 0; i < pixels.Width * pixels.Height; ++i)
        pixels.Colors.push_back(RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool TErrorDialogView::Open() const { return window_ && IsWindow(window_) && IsWindowVisible(window_); }

std::string TErrorDialogView::Report() const { return WindowText(FindDescendant(window_, idErrorMainMemo)); }

std::string TErrorDialogView::RecursionLabel() const {
    return WindowText(FindDescendant(window_, idErrorRecursionLabel));
}

void TErrorDialogView::ClickButton(int id) const {
    BringToForeground(window_);
    ClickAt(CenterOnScreen(Button(id)));
}

bool InjectFault(HWND window, const std::string& fault, const std::string& thread) {
    char handle[32];
    std::snprintf(handle, sizeof handle, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    const std::string tool = "\"" + TestProgramDirectory() + "FaultInjector.exe\" ";
    TChildProcess injector(tool + handle + " " + fault + " " + thread);
    return injector.Started() && injector.Wait(StepTimeout) && injector.ExitCode() == 0;
}

HWND WaitForErrorDialog(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindTopLevelWindow(processId, [](HWND window) {
                if (WindowClass(window) != FormClass || !GetWindow(window, GW_OWNER)) return false;
                HWND memo = FindDescendant(window, idErrorMainMemo);
                return memo && WindowClass(memo) == "Edit";
            });
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

namespace {

// The process's common file dialog, once it takes messages; null when none came in time.
HWND WaitForFileDialogOf(DWORD processId, DWORD timeoutMs) {
    HWND dialog = nullptr;
    if (!WaitUntil(
            [&] {
                dialog = FindTopLevelWindow(processId, [](HWND window) {
                    return WindowClass(window) == "#32770" && HasFileNameBox(window);
                });
                return dialog != nullptr;
            },
            timeoutMs))
        return nullptr;
    WaitUntilAnswering(dialog);
    return dialog;
}

// The box a player types the name into: the edit inside the explorer dialog's combo box.
HWND FileNameBox(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, FileNameCombo)) {
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        return edit ? edit : combo;
    }
    return GetDlgItem(dialog, FileNameEdit);
}

bool ConfirmFileDialog(HWND dialog, DWORD timeoutMs) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeoutMs);
}

// Each UTF-16 unit as one key press, a character beyond the BMP as its two surrogates, as a
// Windows input method sends them.
void TypeUnicode(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t unit : text)
        for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = unit;
            input.ki.dwFlags = KEYEVENTF_UNICODE | up;
            inputs.push_back(input);
        }
    Send(inputs);
}

}  // namespace

bool AnswerFileDialog(DWORD processId, const std::string& path, DWORD timeoutMs) {
    HWND dialog = WaitForFileDialogOf(processId, timeoutMs);
    if (!dialog) return false;
    if (HWND combo = GetDlgItem(dialog, FileNameCombo)) SetTextAcross(combo, path);
    if (HWND edit = GetDlgItem(dialog, FileNameEdit)) SetTextAcross(edit, path);
    return ConfirmFileDialog(dialog, timeoutMs);
}

TFileNameEntry TypeIntoFileDialog(DWORD processId, const std::string& path, DWORD timeoutMs) {
    HWND dialog = WaitForFileDialogOf(processId, timeoutMs);
    if (!dialog) return TFileNameEntry::Failed;
    HWND box = FileNameBox(dialog);
    BringToForeground(dialog);
    ClickAt(CenterOnScreen(box));
    SetTextAcross(box, "");
    TypeUnicode(Utf8ToWide(path));
    TFileNameEntry entry = TFileNameEntry::Typed;
    if (!WaitUntil([&] { return WindowText(box) == path; }, 3000)) {
        entry = TFileNameEntry::Set;  // what typing left is replaced; the dialog still reads the box
        SetTextAcross(box, path);
    }
    return ConfirmFileDialog(dialog, timeoutMs) ? entry : TFileNameEntry::Failed;
}

TGameProcess::TGameProcess(const std::string& name, const std::vector<TPlacedFile>& files,
                           const std::string& arguments)
    : TGameProcess(name, files, E2ERoot, E2ERoot, arguments) {}

TGameProcess::TGameProcess(const std::string& name, const std::vector<TPlacedFile>& files,
                           const std::string& placeRoot, const std::string& runRoot, const std::string& arguments,
                           const std::string& stagedProgram) {
    static int counter = 0;
    const std::string unique = name + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    placedFolder_ = WithTrailingBackslash(placeRoot) + unique + "\\";
    folder_ = WithTrailingBackslash(runRoot) + unique + "\\";
    RemoveTree(placedFolder_.substr(0, placedFolder_.size() - 1));
    CreateFolderChain(placedFolder_.substr(0, placedFolder_.size() - 1));
    const std::string staged = TestProgramDirectory() + stagedProgram;
    if (!CopyFileA(staged.c_str(), (placedFolder_ + "Tilvane.exe").c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy " << staged << " (is Tilvane.exe staged beside the tests?)";
        return;
    }
    for (const TPlacedFile& file : files) {
        const std::string path = placedFolder_ + file.Name;
        CreateFolderChain(path.substr(0, path.find_last_of('\\')));
        WriteFileBytes(path, file.Bytes);
    }
    Start(arguments);
}

TGameProcess TGameProcess::OfProgram(const std::string& stagedProgram, const std::string& name,
                                     const std::vector<TPlacedFile>& files) {
    return TGameProcess(name, files, E2ERoot, E2ERoot, std::string(), stagedProgram);
}

void TGameProcess::StartAgain(const std::string& arguments) {
    EXPECT_FALSE(Running()) << "the first run still goes on";
    mainWindow_ = nullptr;
    Start(arguments);
}

void TGameProcess::Start(const std::string& arguments) {
    process_.reset();
    // Wine now and then refuses to start a program copied a moment before; a second try starts it.
    DWORD startError = 0;
    for (int attempt = 0; attempt < 3 && !(process_ && process_->Started()); ++attempt) {
        process_ = std::make_unique<TChildProcess>(
            "\"" + ProgramPath() + "\"" + (arguments.empty() ? "" : " " + arguments), folder_);
        if (!process_->Started()) startError = GetLastError();
    }
    if (!process_->Started()) {
        ADD_FAILURE() << "cannot start " << ProgramPath() << " (error " << startError << ")";
        return;
    }
    if (startError != 0) std::printf("started %s at a later try (error %lu before)\n", ProgramPath().c_str(), startError);
    processId_ = GetProcessId(process_->Handle());
}

TGameProcess::~TGameProcess() {
    if (process_) process_.reset();  // kills a copy that still runs
    if (!::testing::Test::HasFailure()) RemoveTree(placedFolder_.substr(0, placedFolder_.size() - 1));
}

HWND TGameProcess::WaitForMainWindow(DWORD timeoutMs) {
    if (!processId_) return nullptr;
    WaitUntil(
        [&] {
            mainWindow_ = FindTopLevelWindow(processId_, [](HWND window) {
                return WindowClass(window) == FormClass && !GetWindow(window, GW_OWNER) &&
                       WindowText(window).rfind("Tilvane", 0) == 0;
            });
            return mainWindow_ != nullptr || !Running();
        },
        timeoutMs);
    if (!mainWindow_) {
        if (!Running())
            ADD_FAILURE() << "Tilvane ended with exit code " << ExitCode()
                          << " before it showed its window; another copy may hold this Wine prefix's mutex";
        else
            ADD_FAILURE() << "Tilvane showed no main window within " << timeoutMs << " ms";
        return nullptr;
    }
    WaitUntilAnswering(mainWindow_, timeoutMs);
    return mainWindow_;
}

void TGameProcess::Key(WORD virtualKey, unsigned modifiers) {
    BringToForeground(mainWindow_);
    PressKey(virtualKey, modifiers);
}

bool TGameProcess::Running() const { return process_ && process_->ExitCode() == STILL_ACTIVE; }

bool TGameProcess::WaitForExit(DWORD timeoutMs) { return process_ && process_->Wait(timeoutMs); }

DWORD TGameProcess::ExitCode() const { return process_ ? process_->ExitCode() : static_cast<DWORD>(-1); }

DWORD TGameProcess::Close(DWORD timeoutMs) {
    if (mainWindow_) PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
    if (!WaitForExit(timeoutMs)) return STILL_ACTIVE;
    return ExitCode();
}
