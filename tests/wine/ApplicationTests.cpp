// The application's message loop with a window that has a menu bar, an Alt shortcut and the
// keyboard focus, driven by real key presses from a second thread while the loop runs.
#include "Framework/Application.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

namespace {

const int ShortcutId = 100;
const char* const WindowClassName = "TilvaneMenuKeysWindow";

TApplication* runningApplication = nullptr;
std::atomic<int> shortcutsTaken{0};

LRESULT CALLBACK MenuWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == ShortcutId) ++shortcutsTaken;
    if (message == WM_DESTROY) runningApplication->MainWindowDestroyed(window);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMenuWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MenuWindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = WindowClassName;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    HMENU bar = CreateMenu(), game = CreatePopupMenu();
    AppendMenuA(game, MF_STRING, ShortcutId, "&Randomize\tAlt+R");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(game), "&Game");
    return CreateWindowA(WindowClassName, "Menu keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300, nullptr,
                         bar, windowClass.hInstance, nullptr);
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    for (const auto& [key, up] : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    }
}

struct TMenuKeysSeen {
    bool foreground = false;
    bool menuAfterShortcut = false;
    bool menuOnAltAlone = false;
    bool menuClosedByEscape = false;
};

void LeaveMenu(HWND window) {
    SendKeys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    WaitForInputTaken(window);
    WaitUntil([&] { return !InMenuMode(window); }, 5000);
}

// Alt+R with Alt let go before R, as a hurried hand does; then Alt pressed alone.
TMenuKeysSeen PressMenuKeys(HWND window) {
    TMenuKeysSeen seen;
    seen.foreground = WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
    if (!seen.foreground) return seen;
    SendKeys({{VK_MENU, false}, {'R', false}, {VK_MENU, true}, {'R', true}});
    WaitUntil([] { return shortcutsTaken > 0; }, 5000);
    WaitForInputTaken(window);
    seen.menuAfterShortcut = WaitUntil([&] { return InMenuMode(window); }, 500);
    if (seen.menuAfterShortcut) LeaveMenu(window);

    SendKeys({{VK_MENU, false}, {VK_MENU, true}});
    WaitForInputTaken(window);
    seen.menuOnAltAlone = WaitUntil([&] { return InMenuMode(window); }, 5000);
    LeaveMenu(window);
    seen.menuClosedByEscape = !InMenuMode(window);
    return seen;
}

TEST(MessageLoop, AnAltShortcutLeavesTheMenuBarClosedAndAltAloneStillOpensIt) {
    TApplication application;
    runningApplication = &application;
    shortcutsTaken = 0;
    HWND window = CreateMenuWindow();
    ASSERT_NE(window, nullptr);
    ACCEL shortcut = {FALT | FVIRTKEY, 'R', ShortcutId};
    HACCEL accelerators = CreateAcceleratorTableA(&shortcut, 1);
    application.SetMainWindow(window);
    application.SetAccelerators(window, accelerators);
    SetForegroundWindow(window);
    SetFocus(window);

    TMenuKeysSeen seen;
    std::thread keys([&] {
        seen = PressMenuKeys(window);
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    application.Run();
    keys.join();
    DestroyAcceleratorTable(accelerators);
    UnregisterClassA(WindowClassName, GetModuleHandleA(nullptr));
    runningApplication = nullptr;

    ASSERT_TRUE(seen.foreground) << "the window never came to the foreground";
    EXPECT_EQ(shortcutsTaken, 1) << "Alt+R ran its command once";
    EXPECT_FALSE(seen.menuAfterShortcut) << "letting go of Alt after the shortcut opened the menu bar";
    EXPECT_TRUE(seen.menuOnAltAlone) << "Alt pressed alone opens the menu bar";
    EXPECT_TRUE(seen.menuClosedByEscape);
}

}  // namespace
