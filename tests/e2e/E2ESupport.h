// The end-to-end harness: the real Tilvane.exe in a fresh folder of its own, driven by real
// input events (SendInput), read through its native controls (WM_GETTEXT works across
// processes), its screen pixels and the files it writes. Waits poll a state (a caption, a
// label, a file, a window) with a timeout; nothing waits a fixed time for a state.
#pragma once

#include "support/WineTestSupport.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The tips label tells which stage a game is at.
const char* const StartTip = "Press [F5] to load a picture. Press [L] to load a game.";
const char* const RandomizeTip = "Press [Alt + R] to randomize the picture.";
const char* const DragTip = "Drag a piece of the puzzle on another piece, to swap them.";

// --- Windows of any process --------------------------------------------------------------

// The text of a window or control of any process; empty when it does not answer.
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
DWORD WindowProcess(HWND window);
// The window under a screen point, for a failure message: class, text and process.
std::string DescribeWindowAt(POINT screen);
// A control by its id at any depth below the parent (the pictures sit inside group boxes).
HWND FindDescendant(HWND parent, int id);
// A visible top-level window that the filter accepts; processId 0 accepts every process.
HWND FindTopLevelWindow(DWORD processId, const std::function<bool(HWND)>& accept);
// The window's client rectangle in screen coordinates.
RECT ClientRectOnScreen(HWND window);
POINT ClientPointOnScreen(HWND window, int x, int y);
POINT CenterOnScreen(HWND window);
// The program's question box (caption "Query") of that process, or null.
HWND FindQuery(DWORD processId);
// Waits for the program's question, answers it with the button (IDYES, IDNO, IDCANCEL) and
// returns its text; empty when no question came.
std::string AnswerQuery(DWORD processId, int button);

// --- Real input ----------------------------------------------------------------------------

// Modifier keys held around a key press or a pointer action.
enum TModifierKeys : unsigned { modNone = 0, modShift = 1, modCtrl = 2, modAlt = 4 };

// Makes the window the foreground window, so that keys reach it; true when it became so.
bool BringToForeground(HWND window);
// Presses and releases a key with the modifiers held (F5, Ctrl+F5, Alt+R, L, S, Ctrl+Z,
// Space, Escape, Enter, Tab...), into whatever window has the keyboard focus.
void PressKey(WORD virtualKey, unsigned modifiers = modNone);
// The same with the modifiers let go before the key, as a hurried hand does (Alt up, then R up).
void PressKeyReleasingModifiersFirst(WORD virtualKey, unsigned modifiers);
// Holds the modifier keys down from construction to destruction, for pointer moves with keys
// held (the Ctrl+Alt hint over a piece).
class THeldModifiers {
public:
    explicit THeldModifiers(unsigned modifiers);
    ~THeldModifiers();
    THeldModifiers(const THeldModifiers&) = delete;
    THeldModifiers& operator=(const THeldModifiers&) = delete;
private:
    unsigned modifiers_;
};
// Pointer actions at absolute screen coordinates.
void MoveMouse(POINT screen);
void ClickAt(POINT screen, unsigned modifiers = modNone);
void RightClickAt(POINT screen, unsigned modifiers = modNone);
// Presses the left button at one point, moves in steps to the other and releases there.
void DragFromTo(POINT from, POINT to, unsigned modifiers = modNone);
// Each drag pressed, moved and released in one burst of input events, quicker than the program
// paints a frame; waits until the program has taken them all.
void DragInOneBurst(const std::vector<std::pair<POINT, POINT>>& drags);
// A drag held halfway, for a look at the screen while it lasts: presses the left button at
// one point and moves in steps to the other; the end of the object lets go there.
class THeldDrag {
public:
    THeldDrag(POINT from, POINT to);
    ~THeldDrag();
    THeldDrag(const THeldDrag&) = delete;
    THeldDrag& operator=(const THeldDrag&) = delete;
private:
    POINT to_;
    HWND source_;
};
// Two presses on one place in quick succession would be a double click, which starts no drag:
// before each press this waits, when the press lands where the last one did, until the
// double-click time has passed.
class TDoubleClickSpacing {
public:
    void BeforePress(int place);
private:
    int lastPlace_ = -1;
    DWORD lastPressTime_ = 0;
};
// Clicks the close box in the caption of a top-level window (found by asking its hit test).
bool ClickCloseBox(HWND window);

// --- Screen pixels -------------------------------------------------------------------------

struct TPixels {
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Colors;  // row by row from the top left
    // CLR_INVALID outside the capture (a window that was gone or hidden gives an empty one).
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= Width || y >= Height) return CLR_INVALID;
        return Colors[static_cast<size_t>(y) * Width + x];
    }
};
// What the screen shows of the window's client area now.
TPixels CaptureClientPixels(HWND window);
// What the screen shows inside the rectangle (screen coordinates). A capture of the screen
// leaves the pointer out, and another process's pointer shape cannot be asked for: a shape
// given is drawn in where the pointer is.
TPixels CaptureScreenPixels(const RECT& area, HCURSOR pointer = nullptr);

// --- Dialogs of another process ------------------------------------------------------------

// The error dialog of a process as a player sees it: caption, report text and recursion label.
class TErrorDialogView {
public:
    explicit TErrorDialogView(HWND window) : window_(window) {}
    HWND Window() const { return window_; }
    bool Open() const;
    std::string Caption() const { return WindowText(window_); }
    std::string Report() const;
    std::string RecursionLabel() const;
    HWND Button(int id) const { return FindDescendant(window_, id); }
    // Clicks one of its buttons with the pointer, after bringing the dialog to the front.
    void ClickButton(int id) const;

private:
    HWND window_;
};
// Sets a real fault off in the window's process (tests/tools/FaultInjector: access-violation,
// divide-by-zero or stack-overflow, on a "new" thread or the "window" thread); true when it could.
bool InjectFault(HWND window, const std::string& fault, const std::string& thread);
// A crash writes a minidump, which Wine's dbghelp takes many seconds for on a busy machine.
const DWORD CrashTimeout = 120000;

// Waits for the process's open error dialog; null when none opened in time.
HWND WaitForErrorDialog(DWORD processId, DWORD timeoutMs = StepTimeout);

// Waits for the process's common file dialog (class #32770 with a file name box), puts the
// path into its file name box and confirms with OK. True when the dialog took it and closed.
bool AnswerFileDialog(DWORD processId, const std::string& path, DWORD timeoutMs = StepTimeout);
// The same as a player does it: clicks into the file name box, types the path with Unicode key
// events (KEYEVENTF_UNICODE) and confirms with OK. When the box does not read the path back (a
// system that drops some characters of the input), the box's text is set instead and the entry
// says so; Failed when the dialog did not come or did not close.
enum class TFileNameEntry { Typed, Set, Failed };
TFileNameEntry TypeIntoFileDialog(DWORD processId, const std::string& path, DWORD timeoutMs = StepTimeout);

// --- The game ------------------------------------------------------------------------------

struct TPlacedFile {
    std::string Name;   // relative to the game's folder; folders on the way are made
    std::string Bytes;
};

// A copy of Tilvane.exe (staged beside the test program) in C:\Tilvane\e2e\<name>-<pid>-<n>\,
// started from there with the files placed beforehand, so that it writes its Tilvane.ini,
// TilvaneGames\ and Errors.log into a folder of its own. The process is killed and the folder
// removed at the end; a failed test keeps the folder for a look afterwards.
class TGameProcess {
public:
    // arguments follow the program's name on its command line.
    explicit TGameProcess(const std::string& name, const std::vector<TPlacedFile>& files = {},
                          const std::string& arguments = std::string());
    // The same, with the copy and the files placed below placeRoot and the program started from
    // the same folder below runRoot: a read-only view of placeRoot (ReadOnlyFolder.h).
    TGameProcess(const std::string& name, const std::vector<TPlacedFile>& files, const std::string& placeRoot,
                 const std::string& runRoot, const std::string& arguments = std::string(),
                 const std::string& stagedProgram = "Tilvane.exe");
    // Another build of the game (staged beside the tests), copied in as Tilvane.exe.
    static TGameProcess OfProgram(const std::string& stagedProgram, const std::string& name,
                                  const std::vector<TPlacedFile>& files = {});
    ~TGameProcess();
    TGameProcess(const TGameProcess&) = delete;
    TGameProcess& operator=(const TGameProcess&) = delete;

    const std::string& Folder() const { return folder_; }  // with a trailing backslash
    std::string PathOf(const std::string& name) const { return folder_ + name; }
    // Where the files were placed: Folder() itself unless a run root was given.
    const std::string& PlacedFolder() const { return placedFolder_; }
    std::string ProgramPath() const { return PathOf("Tilvane.exe"); }
    DWORD ProcessId() const { return processId_; }

    // Waits for the main window (class TilvaneForm, caption starting "Tilvane", without owner)
    // and for the program to take messages; null when it did not come or the process ended.
    HWND WaitForMainWindow(DWORD timeoutMs = StepTimeout);
    HWND MainWindow() const { return mainWindow_; }
    HWND Control(int id) const { return FindDescendant(mainWindow_, id); }
    std::string ControlText(int id) const { return WindowText(Control(id)); }

    // Brings the main window to the front and presses the key there.
    void Key(WORD virtualKey, unsigned modifiers = modNone);

    bool Running() const;
    bool WaitForExit(DWORD timeoutMs = StepTimeout);
    DWORD ExitCode() const;  // STILL_ACTIVE while it runs
    // Asks the main window to close (WM_CLOSE) and waits for the end; the exit code, or
    // STILL_ACTIVE when it did not end in time.
    DWORD Close(DWORD timeoutMs = StepTimeout);
    // Starts the program again from its folder, with the files its last run left there.
    void StartAgain(const std::string& arguments = std::string());

private:
    void Start(const std::string& arguments);

    std::string folder_;
    std::string placedFolder_;
    std::unique_ptr<TChildProcess> process_;
    DWORD processId_ = 0;
    HWND mainWindow_ = nullptr;
};
