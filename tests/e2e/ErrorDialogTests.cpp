// The error dialog, its log and the About dialog in the real program, driven from outside as a
// player would: keys and clicks, texts read from the windows, files checked on disk.
#include "e2e/E2ESupport.h"
#include "Include/AboutDialog.h"
#include "Include/ErrorDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "support/ReadOnlyFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

const char* const LogName = "Errors.log";
const char* const OptionsName = "Tilvane.ini";

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

std::string LogEntry(const std::string& report) { return "**********" + report + "\r\n**********\r\n"; }

uint64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// "Load last game" (Ctrl+Z) on a first start: there is no saved game yet, so it fails.
TErrorDialogView FailLoadLastGame(TGameProcess& game) {
    game.Key('Z', modCtrl);
    return TErrorDialogView(WaitForErrorDialog(game.ProcessId()));
}

bool WaitClosed(const TErrorDialogView& dialog) {
    return WaitUntil([&] { return !dialog.Open(); });
}

TEST(ErrorDialogEndToEnd, FailureAtFirstStartShowsTheWholeReport) {
    TGameProcess game("first-start");
    ASSERT_TRUE(game.WaitForMainWindow());
    const TErrorDialogView dialog = FailLoadLastGame(game);
    ASSERT_TRUE(dialog.Open()) << "Ctrl+Z without a last game opens the error dialog";
    EXPECT_FALSE(IsWindowEnabled(game.MainWindow())) << "the dialog is modal";

    EXPECT_EQ(dialog.Caption(), "Error");
    EXPECT_EQ(dialog.RecursionLabel(), "Recursive attempts = None");
    const std::string report = dialog.Report();
    EXPECT_EQ(report.rfind("DESCRIPTION\r\nFailed to load last game.\r\n\r\nRAISE CONTEXT\r\n* Status: Error\r\n", 0), 0u)
        << report;
    EXPECT_NE(report.find("* Function: \"TTilvaneForm::LoadGameFrom\"\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("* Description: \"There is no such file\"\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("* Parameter 1: \"" + game.PathOf("TilvaneGames\\*.tvg") + "\"\r\n"), std::string::npos)
        << report;
    EXPECT_NE(report.find("\r\n\r\nSHOW CONTEXT\r\n* File: \"TilvaneDialog\"\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\r\n\r\nINFO\r\n* Time: "), std::string::npos) << report;
    EXPECT_NE(report.find("* Program: " + game.ProgramPath() + "\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("* Recursive attempts: 0\r\n"), std::string::npos) << report;

    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitClosed(dialog));
    EXPECT_TRUE(game.Running());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(game.MainWindow()) != FALSE; }));
    EXPECT_FALSE(FileExists(game.PathOf(LogName))) << "nothing is logged unless asked";

    EXPECT_EQ(game.Close(), 0u);
    EXPECT_TRUE(FileExists(game.PathOf(OptionsName))) << "a normal close writes the options";
}

// A game file that does not exist, chosen in the "Load game" dialog, fails with its own text.
TEST(ErrorDialogEndToEnd, FailureAfterFileDialogNamesTheChosenFile) {
    TGameProcess game("load-game");
    ASSERT_TRUE(game.WaitForMainWindow());
    const std::string missing = game.PathOf("TilvaneGames\\missing.tvg");
    game.Key('L');
    ASSERT_TRUE(AnswerFileDialog(game.ProcessId(), missing));
    const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId()));
    ASSERT_TRUE(dialog.Open());
    const std::string report = dialog.Report();
    EXPECT_EQ(report.rfind("DESCRIPTION\r\nFailed to load game.\r\n", 0), 0u) << report;
    EXPECT_NE(report.find("* Parameter 1: \"" + missing + "\"\r\n"), std::string::npos) << report;

    // The read-only report stands on the dialog's own background, not on a text box's white.
    const TPixels memo = CaptureClientPixels(FindDescendant(dialog.Window(), idErrorMainMemo));
    ASSERT_GT(memo.Width, 20);
    // The background is the colour most pixels have, wherever the wrapped text happens to stand.
    std::map<COLORREF, size_t> counts;
    for (COLORREF colour : memo.Colors) ++counts[colour];
    const auto background = std::max_element(counts.begin(), counts.end(),
                                              [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_EQ(background->first, GetSysColor(COLOR_BTNFACE));

    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitClosed(dialog));
}

TEST(ErrorDialogEndToEnd, LogButtonAppendsOneEntryPerPress) {
    TGameProcess game("log");
    ASSERT_TRUE(game.WaitForMainWindow());
    const TErrorDialogView dialog = FailLoadLastGame(game);
    ASSERT_TRUE(dialog.Open());
    const std::string entry = LogEntry(dialog.Report());
    const std::string log = game.PathOf(LogName);

    dialog.ClickButton(idErrorLogButton);
    ASSERT_TRUE(WaitUntil([&] { return FileSizeOf(log) == entry.size(); })) << "Errors.log beside the program";
    EXPECT_EQ(ReadFileBytes(log), entry);
    EXPECT_TRUE(dialog.Open()) << "logging leaves the dialog open";

    dialog.ClickButton(idErrorLogButton);
    ASSERT_TRUE(WaitUntil([&] { return FileSizeOf(log) == 2 * entry.size(); }));
    EXPECT_EQ(ReadFileBytes(log), entry + entry);
    EXPECT_EQ(CountOf(ReadFileBytes(log), "**********DESCRIPTION\r\n"), 2u);

    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitClosed(dialog));
}

TEST(ErrorDialogEndToEnd, LogOverTenThousandBytesIsEmptiedFirst) {
    TGameProcess game("log-limit", {{LogName, std::string(10001, 'x')}});
    ASSERT_TRUE(game.WaitForMainWindow());
    const TErrorDialogView dialog = FailLoadLastGame(game);
    ASSERT_TRUE(dialog.Open());
    const std::string entry = LogEntry(dialog.Report());
    const std::string log = game.PathOf(LogName);

    dialog.ClickButton(idErrorLogButton);
    ASSERT_TRUE(WaitUntil([&] { return FileSizeOf(log) == entry.size(); })) << "10001 bytes: emptied first";
    EXPECT_EQ(ReadFileBytes(log), entry);

    const std::string atLimit(10000, 'y');
    WriteFileBytes(log, atLimit);
    dialog.ClickButton(idErrorLogButton);
    ASSERT_TRUE(WaitUntil([&] { return FileSizeOf(log) == atLimit.size() + entry.size(); }))
        << "exactly 10000 bytes: appended to";
    EXPECT_EQ(ReadFileBytes(log), atLimit + entry);

    dialog.ClickButton(idErrorCancelButton);
    EXPECT_TRUE(WaitClosed(dialog));
}

TEST(ErrorDialogEndToEnd, EscapeAndCloseBoxCloseItAndTheGameGoesOn) {
    TGameProcess game("escape");
    ASSERT_TRUE(game.WaitForMainWindow());

    TErrorDialogView dialog = FailLoadLastGame(game);
    ASSERT_TRUE(dialog.Open());
    ASSERT_TRUE(BringToForeground(dialog.Window()));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitClosed(dialog)) << "Escape";
    EXPECT_TRUE(game.Running());

    dialog = FailLoadLastGame(game);
    ASSERT_TRUE(dialog.Open()) << "the dialog opens again for the next failure";
    EXPECT_EQ(dialog.RecursionLabel(), "Recursive attempts = None");
    ASSERT_TRUE(ClickCloseBox(dialog.Window()));
    EXPECT_TRUE(WaitClosed(dialog)) << "close box";
    EXPECT_TRUE(game.Running());

    EXPECT_EQ(game.Close(), 0u);
}

TEST(ErrorDialogEndToEnd, TerminateEndsAtOnceAndSavesNothing) {
    TGameProcess game("terminate");
    ASSERT_TRUE(game.WaitForMainWindow());
    const TErrorDialogView dialog = FailLoadLastGame(game);
    ASSERT_TRUE(dialog.Open());
    dialog.ClickButton(idErrorTerminateButton);
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 1u);
    EXPECT_FALSE(FileExists(game.PathOf(OptionsName))) << "no options file after immediate termination";
}

// The help button of the open dialog fails too when no help ships beside the program: that
// report comes from inside the dialog's loop and is only counted.
TEST(ErrorDialogEndToEnd, HelpFailureInsideTheDialogIsCounted) {
    TGameProcess game("help-recursion");
    ASSERT_TRUE(game.WaitForMainWindow());
    const TErrorDialogView dialog = FailLoadLastGame(game);
    ASSERT_TRUE(dialog.Open());
    const std::string report = dialog.Report();

    dialog.ClickButton(idErrorHelpButton);
    EXPECT_TRUE(WaitUntil([&] { return dialog.RecursionLabel() == "Recursive attempts = 1"; }))
        << dialog.RecursionLabel();
    dialog.ClickButton(idErrorHelpButton);
    EXPECT_TRUE(WaitUntil([&] { return dialog.RecursionLabel() == "Recursive attempts = 2"; }))
        << dialog.RecursionLabel();
    EXPECT_EQ(dialog.Report(), report) << "the open dialog keeps its first report";

    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitClosed(dialog));
    const TErrorDialogView next = FailLoadLastGame(game);
    ASSERT_TRUE(next.Open());
    EXPECT_EQ(next.RecursionLabel(), "Recursive attempts = None");
    EXPECT_NE(next.Report().find("* Recursive attempts: 0\r\n"), std::string::npos);
    next.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitClosed(next));
}

TEST(HelpEndToEnd, MissingHelpIsReported) {
    TGameProcess game("help-missing");
    ASSERT_TRUE(game.WaitForMainWindow());
    game.Key('H', modAlt);
    const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId()));
    ASSERT_TRUE(dialog.Open());
    const std::string report = dialog.Report();
    EXPECT_EQ(report.rfind("DESCRIPTION\r\nFailed to open help.\r\n", 0), 0u) << report;
    EXPECT_NE(report.find("* Function: \"RunFile\"\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("* Parameter 1: \"" + game.PathOf("Help.html") + "\"\r\n"), std::string::npos) << report;
    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitClosed(dialog));
}

// --- The About dialog ------------------------------------------------------------------------

HWND WaitForAboutDialog(DWORD processId) {
    HWND found = nullptr;
    WaitUntil([&] {
        found = FindTopLevelWindow(processId, [](HWND window) {
            return WindowClass(window) == "TilvaneForm" && GetWindow(window, GW_OWNER) &&
                   FindDescendant(window, idAboutProgramNameLabel) != nullptr;
        });
        return found != nullptr;
    });
    return found;
}

HWND OpenAbout(TGameProcess& game) {
    game.Key('A', modAlt);
    return WaitForAboutDialog(game.ProcessId());
}

bool WaitHidden(HWND window) {
    return WaitUntil([&] { return !IsWindowVisible(window); });
}

// A window of a program the shell started for a file: its caption names the file. The wait
// ends early when the game reports a failure instead.
HWND WaitForViewerOf(const std::string& fileName, DWORD gameProcess) {
    HWND found = nullptr;
    WaitUntil([&] {
        found = FindTopLevelWindow(0, [&](HWND window) {
            const DWORD process = WindowProcess(window);
            return process != gameProcess && process != GetCurrentProcessId() &&
                   WindowText(window).find(fileName) != std::string::npos;
        });
        return found != nullptr || WaitForErrorDialog(gameProcess, 0) != nullptr;
    });
    return found;
}

void CloseViewer(HWND viewer) {
    const DWORD process = WindowProcess(viewer);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (handle) {
        WaitForSingleObject(handle, StepTimeout);
        CloseHandle(handle);
    }
}

TEST(AboutEndToEnd, ShowsNameVersionAndClosesWithOkayAndEscape) {
    TGameProcess game("about");
    ASSERT_TRUE(game.WaitForMainWindow());
    HWND about = OpenAbout(game);
    ASSERT_NE(about, nullptr) << "Alt+A opens the About dialog";
    EXPECT_EQ(WindowText(about), "About");
    EXPECT_EQ(WindowText(FindDescendant(about, idAboutProgramNameLabel)), "Tilvane");
    EXPECT_EQ(WindowText(FindDescendant(about, idAboutProgramVersionLabel)), "Version 2.5.1, released on 24.10.2004");
    EXPECT_FALSE(WindowText(FindDescendant(about, idAboutAuthorLabel)).empty());
    EXPECT_FALSE(WindowText(FindDescendant(about, idAboutProgramsLabel)).empty());
    EXPECT_EQ(WindowText(FindDescendant(about, idAboutVisitMySiteButton)), "Visit my site");
    EXPECT_EQ(WindowText(FindDescendant(about, idAboutLicenseTermsButton)), "License terms");
    EXPECT_EQ(WindowText(FindDescendant(about, idAboutContactMeButton)), "Contact me");

    BringToForeground(about);
    ClickAt(CenterOnScreen(FindDescendant(about, idAboutOkayButton)));
    EXPECT_TRUE(WaitHidden(about)) << "Okay";

    about = OpenAbout(game);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(BringToForeground(about));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitHidden(about)) << "Escape";
    EXPECT_TRUE(game.Running());
    EXPECT_EQ(game.Close(), 0u);
}

// Text files open with the system's text viewer on Windows. A fresh Wine prefix lacks the
// ".txt" association (its "txtfile" class is there); the test adds it while it runs.
class TTextFileAssociation {
public:
    TTextFileAssociation() {
        HKEY existing = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &existing) == ERROR_SUCCESS) {
            RegCloseKey(existing);
            return;
        }
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, KeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("txtfile"), 8);
        RegCloseKey(key);
        made_ = true;
    }
    ~TTextFileAssociation() {
        if (made_) RegDeleteKeyA(HKEY_CLASSES_ROOT, KeyPath);
    }

private:
    static constexpr const char* KeyPath = ".txt";
    bool made_ = false;
};

// Closes an error dialog that should not have come, and tells what it reported.
std::string ReportOfUnexpectedErrorDialog(DWORD processId) {
    const TErrorDialogView dialog(WaitForErrorDialog(processId, 0));
    if (!dialog.Open()) return std::string();
    const std::string report = dialog.Report();
    dialog.ClickButton(idErrorOkayButton);
    WaitClosed(dialog);
    return report;
}

const std::vector<TPlacedFile> AboutPages = {{"License.txt", "Licence of the e2e copy\r\n"},
                                              {"Readme.txt", "Read-me of the e2e copy\r\n"}};

// Each page button of the About dialog opens its file in a viewer, without a report.
void ExpectAboutPagesOpen(TGameProcess& game) {
    TTextFileAssociation association;
    ASSERT_TRUE(game.WaitForMainWindow());
    HWND about = OpenAbout(game);
    ASSERT_NE(about, nullptr);

    const struct {
        int Button;
        const char* File;
    } pages[] = {{idAboutLicenseTermsButton, "License.txt"}, {idAboutVisitMySiteButton, "Readme.txt"}};
    for (const auto& page : pages) {
        BringToForeground(about);
        ClickAt(CenterOnScreen(FindDescendant(about, page.Button)));
        HWND viewer = WaitForViewerOf(page.File, game.ProcessId());
        EXPECT_NE(viewer, nullptr) << page.File << " opens in its viewer";
        EXPECT_EQ(ReportOfUnexpectedErrorDialog(game.ProcessId()), "") << page.File;
        if (viewer) CloseViewer(viewer);
    }
    EXPECT_TRUE(IsWindowVisible(about)) << "the dialog stays open";
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitHidden(about));
    EXPECT_EQ(game.Close(), 0u);
}

TEST(AboutEndToEnd, PageButtonsOpenTheFilesBesideTheProgram) {
    TGameProcess game("about-pages", AboutPages);
    ExpectAboutPagesOpen(game);
}

TEST(AboutEndToEnd, PageButtonsOpenTheFilesOfAReadOnlyProgramFolder) {
    const std::string unavailable = ReadOnlyViewUnavailable();
    if (!unavailable.empty()) GTEST_SKIP() << "no read-only program folder: " << unavailable;
    TGameProcess game("about-read-only", AboutPages, ReadOnlySource, ReadOnlyView);
    ExpectAboutPagesOpen(game);
    RemoveTree(ApplicationDataFolder("Tilvane"));
}

TEST(AboutEndToEnd, PageThatCannotBeOpenedIsReportedAndTheDialogStays) {
    TGameProcess game("about-missing");
    ASSERT_TRUE(game.WaitForMainWindow());
    HWND about = OpenAbout(game);
    ASSERT_NE(about, nullptr);
    BringToForeground(about);
    ClickAt(CenterOnScreen(FindDescendant(about, idAboutLicenseTermsButton)));
    const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId()));
    ASSERT_TRUE(dialog.Open());
    const std::string report = dialog.Report();
    EXPECT_EQ(report.rfind("DESCRIPTION\r\nFailed to open site.\r\n", 0), 0u) << report;
    EXPECT_NE(report.find("* Description: \"Failed to run file.\"\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("* Parameter 1: \"" + game.PathOf("License.txt") + "\"\r\n"), std::string::npos) << report;
    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitClosed(dialog));
    EXPECT_TRUE(IsWindowVisible(about)) << "the About dialog stays open";
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitHidden(about));
    EXPECT_EQ(game.Close(), 0u);
}

}  // namespace
