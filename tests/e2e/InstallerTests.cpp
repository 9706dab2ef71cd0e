// The program as its own installer and uninstaller, run for real: a package folder with the
// program as "Install.exe", the installer window driven with real input, message boxes
// answered from outside, and the copied files, shortcuts, registry entry and the started game
// checked afterwards.
#include "e2e/E2ESupport.h"
#include "Include/File.h"
#include "Include/Install.h"
#include "Include/ErrorDialog.h"
#include "Include/WideText.h"
#include "support/ReadOnlyFolder.h"
#include "support/ShellLinks.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <aclapi.h>
#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>

#include <set>
#include <vector>

namespace {

const char* const UninstallList = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tilvane";
const char* const ReadmeText = "Tilvane test package\r\nSecond line of the read-me.\r\n";

// --- what the installation leaves behind ------------------------------------------------------

// Whether the file system keeps the rights a folder is made with (Wine 8 gives every folder its
// own default list instead): a folder made for administrators alone, asked back.
bool FoldersKeepTheirRights(const std::string& parent) {
    const std::string probe = parent + "\\rights probe";
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;BA)", SDDL_REVISION_1, &made, nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, made, FALSE};
    const bool created = CreateDirectoryA(probe.c_str(), &attributes) != FALSE;
    LocalFree(made);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool kept = created &&
                      GetNamedSecurityInfoA(probe.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                            &dacl, nullptr, &descriptor) == ERROR_SUCCESS &&
                      dacl && dacl->AceCount == 1;
    if (descriptor) LocalFree(descriptor);
    RemoveDirectoryA(probe.c_str());
    return kept;
}

// Whether anyone but the system and administrators may change what the folder holds or who may.
bool OthersMayChange(const std::string& folder) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(Utf8ToWide(folder).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    const DWORD changes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                          FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    bool others = dacl == nullptr;  // no list: everyone may
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
        PSID sid = &allowed->SidStart;
        if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) continue;
        if (allowed->Mask & changes) others = true;
    }
    LocalFree(descriptor);
    return others;
}

// A value of the uninstall entry in the machine's list or the user's; empty when the key or the
// value is missing.
std::string UninstallValue(const char* name, HKEY root = HKEY_LOCAL_MACHINE) {
    char value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(root, UninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

bool UninstallKeyExists(HKEY root = HKEY_LOCAL_MACHINE) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, UninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The machine's list of installed programs closed to writing for every account, as Windows keeps
// it from a user without administrator rights (Wine leaves it open unless told); the key's own
// access rules come back at the end.
class TMachineListClosed {
public:
    TMachineListClosed() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallList, 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS)
            return;
        key_ = key;
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        PSECURITY_DESCRIPTOR readOnly = nullptr;  // everyone may read it and change these rules back
        closed_ = size && RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) == ERROR_SUCCESS &&
                  ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRWD;;;WD)", SDDL_REVISION_1,
                                                                       &readOnly, nullptr) &&
                  RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
        LocalFree(readOnly);
    }
    ~TMachineListClosed() {
        if (closed_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
        if (key_) RegCloseKey(key_);
    }
    TMachineListClosed(const TMachineListClosed&) = delete;
    TMachineListClosed& operator=(const TMachineListClosed&) = delete;

    // True when a new entry is really refused now.
    bool Refusing() const {
        HKEY key = nullptr;
        const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallList, 0, KEY_CREATE_SUB_KEY, &key);
        if (result == ERROR_SUCCESS) RegCloseKey(key);
        return closed_ && result == ERROR_ACCESS_DENIED;
    }

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> saved_;
    bool closed_ = false;
};

void CreateFolderChain(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

std::string ProcessImage(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return std::string();
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool known = QueryFullProcessImageNameA(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    return known ? std::string(path, size) : std::string();
}

// Ends a process that is not our child, and waits until it is gone.
void EndProcess(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process) return;
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

std::string DownloadsFolder() {
    PWSTR wide = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &wide))) path = WideToUtf8(wide);
    CoTaskMemFree(wide);
    return WithTrailingBackslash(path);
}

bool WaitForProcessEnd(DWORD processId, DWORD timeoutMs = StepTimeout) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process) return true;  // already gone
    const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

// A top-level window of our forms whose process runs a program file inside the folder.
HWND FindFormOfProgramsIn(const std::string& folder, const std::string& caption = std::string()) {
    return FindTopLevelWindow(0, [&](HWND window) {
        if (WindowClass(window) != "TilvaneForm" || GetWindow(window, GW_OWNER)) return false;
        if (!caption.empty() && WindowText(window) != caption) return false;
        return IsSameOrInsidePath(ProcessImage(WindowProcess(window)), folder);
    });
}

// The processes that show one of our windows (forms and reports alike) from a program file inside
// the folder.
std::set<DWORD> ProcessesWithFormsIn(const std::string& folder) {
    struct TSearch {
        std::string Folder;
        std::set<DWORD> Found;
    } search{folder, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& found = *reinterpret_cast<TSearch*>(data);
            if (IsWindowVisible(window) && WindowClass(window) == "TilvaneForm" &&
                IsSameOrInsidePath(ProcessImage(WindowProcess(window)), found.Folder))
                found.Found.insert(WindowProcess(window));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// --- the installer window, as a user sees it --------------------------------------------------

class TInstallerWindow {
public:
    TInstallerWindow(const std::string& program, const std::string& parameters, const std::string& caption)
        : process_("\"" + program + "\"" + (parameters.empty() ? "" : " " + parameters), DirectoryOfPath(program)) {
        if (!process_.Started()) {
            ADD_FAILURE() << "cannot start " << program;
            return;
        }
        const DWORD processId = GetProcessId(process_.Handle());
        WaitUntil([&] {
            window_ = FindTopLevelWindow(processId, [&](HWND window) {
                return WindowClass(window) == "TilvaneForm" && WindowText(window) == caption;
            });
            return window_ != nullptr || process_.ExitCode() != STILL_ACTIVE;
        });
        if (!window_) {
            ADD_FAILURE() << "no window \"" << caption << "\" from " << program << " (exit code "
                          << process_.ExitCode() << ")";
            return;
        }
        WaitUntilAnswering(window_);
    }

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return GetProcessId(process_.Handle()); }
    HWND Control(int id) const { return FindDescendant(window_, id); }
    std::string Text(int id) const { return WindowText(Control(id)); }

    // The directory box is read-only for the user; a test writes into it from outside.
    void SetDirectory(const std::string& directory) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(Control(idInstallInstallToEdit), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(directory.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
    }

    void Click(int id) {
        BringToForeground(window_);
        ClickAt(CenterOnScreen(Control(id)));
    }

    bool WaitForExit(DWORD timeoutMs = StepTimeout) { return process_.Wait(timeoutMs); }
    DWORD ExitCode() const { return process_.ExitCode(); }

private:
    TChildProcess process_;
    HWND window_ = nullptr;
};

// --- a package and a place to install it --------------------------------------------------------

class InstallerEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        static int counter = 0;
        const std::string unique = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        packageRoot_ = "C:\\Tilvane\\e2e\\InstallPackage-" + unique;
        folderName_ = "TilvanePackage-" + unique;
        package_ = packageRoot_ + "\\" + folderName_;
        chosen_ = "C:\\Tilvane\\e2e\\InstallTarget-" + unique + "\\";
        target_ = chosen_ + folderName_;
        group_ = WithTrailingBackslash(GetProgramsMenuPath()) + folderName_;
        desktopLink_ = WithTrailingBackslash(GetDesktopPath()) + "Tilvane.lnk";
        commonGroup_ = WithTrailingBackslash(GetCommonProgramsMenuPath()) + folderName_;
        commonDesktopLink_ = WithTrailingBackslash(GetCommonDesktopPath()) + "Tilvane.lnk";

        CreateFolderChain(package_ + "\\HelpPictures");
        CreateFolderChain(package_ + "\\Sample pictures");
        CreateFolderChain(package_ + "\\Holiday");
        CreateFolderChain(chosen_.substr(0, chosen_.size() - 1));
        const std::string program = TestProgramDirectory() + "Tilvane.exe";
        ASSERT_TRUE(CopyFileA(program.c_str(), (package_ + "\\Install.exe").c_str(), FALSE))
            << "is Tilvane.exe staged beside the tests?";
        WriteFileBytes(package_ + "\\Readme.txt", ReadmeText);
        WriteFileBytes(package_ + "\\HelpPictures\\Sample.png", "a picture of the help page");
        WriteFileBytes(package_ + "\\Sample pictures\\Credits.txt", "the sample pictures' authors");
        // The player's own files beside the installer, as in a Downloads folder: never copied.
        WriteFileBytes(package_ + "\\Personal letter.txt", "private");
        WriteFileBytes(package_ + "\\Holiday\\Beach.jpg", "private");
        ASSERT_FALSE(UninstallKeyExists(HKEY_LOCAL_MACHINE)) << "an earlier run left the uninstall entry";
        ASSERT_FALSE(UninstallKeyExists(HKEY_CURRENT_USER)) << "an earlier run left the user's uninstall entry";
    }

    void TearDown() override {
        // No copy of the game may outlive a test: it would hold the instance guard of the next.
        for (const std::string& folder : {packageRoot_, chosen_})
            for (int attempt = 0; attempt < 5; ++attempt)
                if (HWND window = FindFormOfProgramsIn(folder)) EndProcess(WindowProcess(window));
        DeleteFileA(desktopLink_.c_str());
        RemoveTree(group_);
        DeleteFileA(commonDesktopLink_.c_str());
        RemoveTree(commonGroup_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, UninstallKey);
        RemoveTree(packageRoot_);
        RemoveTree(chosen_.substr(0, chosen_.size() - 1));
        OleUninitialize();
    }

    // Runs Install.exe into the chosen directory and answers its question with Yes.
    void InstallInto(const std::string& chosen, TMessageBoxAnswerer& query) {
        TInstallerWindow installer(package_ + "\\Install.exe", "", "Install Tilvane");
        ASSERT_NE(installer.Window(), nullptr);
        installer.SetDirectory(chosen);
        ASSERT_EQ(installer.Text(idInstallInstallToEdit), chosen);
        installer.Click(idInstallInstallButton);
        ASSERT_TRUE(installer.WaitForExit()) << "the installer closes after its work";
        EXPECT_EQ(installer.ExitCode(), 0u);
        ASSERT_EQ(query.Count(), 1u);
        EXPECT_EQ(query.Texts().back(), "Install the program in directory \"" + target_ + "\"?");
    }

    // Installs into chosen_ without a failure, and checks the package's own files and nothing else,
    // with the program under its own name, the user's four shortcuts and the entry among the
    // installed programs in the list of root.
    void InstallAndExpectTheInstallation(HKEY root = HKEY_LOCAL_MACHINE) {
        {
            TMessageBoxAnswerer query("Query", IDYES, false, true);
            TMessageBoxAnswerer failures("Error", IDOK, false, true);
            InstallInto(chosen_, query);
            EXPECT_EQ(failures.Count(), 0u);
        }
        const std::string programFile = target_ + "\\Tilvane.exe";
        EXPECT_TRUE(FileExists(programFile));
        EXPECT_FALSE(FileExists(target_ + "\\Install.exe"));
        EXPECT_EQ(ReadFileBytes(target_ + "\\Readme.txt"), ReadmeText);
        EXPECT_TRUE(FileExists(target_ + "\\HelpPictures\\Sample.png"));
        EXPECT_TRUE(FileExists(target_ + "\\Sample pictures\\Credits.txt"));
        const std::vector<std::string> installed = EntriesOf(target_);
        EXPECT_EQ(std::set<std::string>(installed.begin(), installed.end()),
                  (std::set<std::string>{"HelpPictures", "Installed files.txt", "Readme.txt", "Sample pictures",
                                         "Tilvane.exe"}))
            << "the letter and the holiday pictures beside the installer are not the package's";
        ExpectLink(desktopLink_, programFile);
        ExpectLink(group_ + "\\Tilvane.lnk", programFile);
        ExpectLink(group_ + "\\Uninstall.lnk", programFile, "/Uninstall");
        ExpectLink(group_ + "\\Readme.lnk", target_ + "\\Readme.txt");
        EXPECT_EQ(UninstallValue("DisplayName", root), "Tilvane");
        EXPECT_EQ(UninstallValue("UninstallString", root), "\"" + programFile + "\" /Uninstall");
    }

    // Uninstalls through the installed program, started with the parameter, answering Yes, and
    // checks that what the installation made is gone: the package's files (the running program
    // excepted), the shortcuts and the uninstall entry, whichever list held it. A package folder
    // in which the player put a file of their own stays, with that file alone.
    void UninstallAndExpectItRemoved(const std::string& parameter, const std::string& playersFolder = "") {
        TMessageBoxAnswerer query("Query", IDYES, false, true);
        TMessageBoxAnswerer done("Message", IDOK, false, true);
        {
            TInstallerWindow uninstaller(target_ + "\\Tilvane.exe", parameter, "Uninstall Tilvane");
            ASSERT_NE(uninstaller.Window(), nullptr);
            EXPECT_EQ(uninstaller.Text(idInstallMainPanel), "Bye from Tilvane");
            EXPECT_EQ(uninstaller.Text(idInstallInstallToLabel), "The program's files will be deleted from directory:");
            EXPECT_EQ(uninstaller.Text(idInstallInstallToEdit), target_ + "\\");
            EXPECT_EQ(uninstaller.Text(idInstallInstallButton), "Un&install");
            EXPECT_FALSE(IsWindowEnabled(uninstaller.Control(idInstallBrowseButton)));
            uninstaller.Click(idInstallInstallButton);
            ASSERT_TRUE(uninstaller.WaitForExit());
        }
        ASSERT_EQ(query.Count(), 1u);
        EXPECT_EQ(query.Texts()[0], "Delete the program's files from directory \"" + target_ +
                                        "\\\"? Files that the installation did not make, such as options and saved "
                                        "games, are kept.");
        ASSERT_EQ(done.Count(), 1u);
        EXPECT_EQ(done.Texts()[0],
                  "Uninstallation successful. Files in use, and files that the installation did not make (such as "
                  "options and saved games), were not deleted." +
                      (playersFolder.empty()
                           ? std::string()
                           : " The folder \"" + playersFolder + "\" was kept, with the files left in it."));
        EXPECT_FALSE(FileExists(target_ + "\\Readme.txt"));
        EXPECT_FALSE(FileExists(target_ + "\\Installed files.txt"));
        for (const std::string folder : {"HelpPictures", "Sample pictures"}) {
            if (folder == playersFolder)
                EXPECT_EQ(EntriesOf(target_ + "\\" + folder), std::vector<std::string>{"Mine.jpg"});
            else
                EXPECT_FALSE(FolderExists(target_ + "\\" + folder)) << folder;
        }
        EXPECT_FALSE(FileExists(desktopLink_));
        EXPECT_FALSE(FolderExists(group_));
        EXPECT_FALSE(UninstallKeyExists(HKEY_LOCAL_MACHINE));
        EXPECT_FALSE(UninstallKeyExists(HKEY_CURRENT_USER));
    }

    // The installed game's own window; null when it did not come.
    HWND WaitForInstalledGame() {
        HWND game = nullptr;
        WaitUntil([&] { return (game = FindFormOfProgramsIn(target_)) != nullptr; });
        if (game) WaitUntilAnswering(game);
        return game;
    }

    void CloseGame(HWND game) {
        const DWORD processId = WindowProcess(game);
        PostMessageA(game, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitForProcessEnd(processId)) << "the game did not end";
    }

    // The installed game comes up with its own window, and is closed again.
    void ExpectInstalledGameStarted() {
        HWND game = WaitForInstalledGame();
        ASSERT_NE(game, nullptr) << "the installed game did not appear";
        EXPECT_EQ(WindowText(game), "Tilvane game");
        CloseGame(game);
    }

    void ExpectLink(const std::string& link, const std::string& target, const std::string& arguments = "") {
        const TReadLink read = ReadLink(link);
        ASSERT_TRUE(read.Loaded) << link;
        EXPECT_EQ(read.Target, target) << link;
        EXPECT_EQ(read.Arguments, arguments) << link;
        EXPECT_TRUE(IsSamePath(WithTrailingBackslash(read.WorkingDirectory), target_ + "\\"))
            << link << ": " << read.WorkingDirectory;
    }

    // Runs the program as the "runas" start of a first copy would, and gives its exit code.
    DWORD RunAsCopyWithRights(const std::string& program, const std::string& parameters) {
        TChildProcess copy("\"" + program + "\" " + parameters, DirectoryOfPath(program));
        if (!copy.Wait(StepTimeout)) {
            ADD_FAILURE() << program << " " << parameters << " did not end";
            return STILL_ACTIVE;
        }
        return copy.ExitCode();
    }

    // Presses the button of the installer window, whose directory cannot be written: it starts
    // one copy of itself with administrator rights (under Wine "runas" just runs it), which shows
    // the one report, with the failure text and the description given. The report is closed and
    // both copies must end; the copy with rights with ElevatedWorkNotDone.
    void ExpectOneReportFromTheCopyWithRights(TInstallerWindow& installer, const std::string& failure,
                                              const std::string& parameter, const std::string& folder) {
        std::set<DWORD> copies;
        const HWND report = PressAndWaitForTheReportOfACopyWithRights(installer, folder, copies);
        ASSERT_NE(report, nullptr) << "no report from a copy with rights";
        const DWORD elevated = WindowProcess(report);
        HANDLE elevatedProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, elevated);
        const TErrorDialogView dialog(report);
        const std::string text = dialog.Report();
        EXPECT_EQ(text.rfind("DESCRIPTION\r\n" + failure + "\r\n", 0), 0u) << text;
        EXPECT_NE(text.find("* Description: \"The directory can not be written, even with administrator rights.\""),
                  std::string::npos) << text;
        EXPECT_NE(text.find("* Parameter 1: \"" + parameter + "\""), std::string::npos) << text;
        dialog.ClickButton(idErrorOkayButton);
        EXPECT_TRUE(installer.WaitForExit()) << "the first copy ends after the copy with rights";
        EXPECT_EQ(installer.ExitCode(), 0u);
        EXPECT_EQ(WaitForSingleObject(elevatedProcess, StepTimeout), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        GetExitCodeProcess(elevatedProcess, &exitCode);
        CloseHandle(elevatedProcess);
        EXPECT_EQ(exitCode, static_cast<DWORD>(ElevatedWorkNotDone));
        EXPECT_EQ(copies.size(), 2u) << "the first copy and exactly one copy with rights";
        EXPECT_TRUE(ProcessesWithFormsIn(folder).empty()) << "no copy left, no game started";
        EXPECT_EQ(FindFormOfProgramsIn(chosen_), nullptr);
    }

    // Presses the button and waits for the report of the copy with rights that it starts; the
    // processes with forms in the folder seen meanwhile are added to copies.
    HWND PressAndWaitForTheReportOfACopyWithRights(TInstallerWindow& installer, const std::string& folder,
                                                   std::set<DWORD>& copies) {
        installer.Click(idInstallInstallButton);
        HWND report = nullptr;
        WaitUntil([&] {
            for (DWORD process : ProcessesWithFormsIn(folder)) copies.insert(process);
            for (DWORD process : copies)
                if (process != installer.ProcessId() && (report = WaitForErrorDialog(process, 0)) != nullptr) return true;
            return false;
        });
        return report;
    }

    std::string packageRoot_, folderName_, package_, chosen_, target_, group_, desktopLink_;
    std::string commonGroup_, commonDesktopLink_;
};

// --- installing, running, reinstalling and uninstalling ---------------------------------------

TEST_F(InstallerEndToEnd, InstallStartReinstallAndUninstall) {
    InstallAndExpectTheInstallation();

    // The installed game really starts, although the installer held the instance guard.
    ExpectInstalledGameStarted();

    // A second installation replaces the package files and keeps the player's options.
    const std::string options = "[Options]\r\nKeptByTheTest=1\r\n";
    WriteFileBytes(target_ + "\\Tilvane.ini", options);
    WriteFileBytes(package_ + "\\Readme.txt", "A newer read-me.\r\n");
    {
        TMessageBoxAnswerer query("Query", IDYES, false, true);
        InstallInto(chosen_, query);
    }
    HWND game = WaitForInstalledGame();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(ReadFileBytes(target_ + "\\Tilvane.ini"), options);
    EXPECT_EQ(ReadFileBytes(target_ + "\\Readme.txt"), "A newer read-me.\r\n");
    CloseGame(game);

    // Uninstalling through the installed program itself removes what the installation made, and
    // keeps what the player made there, also a picture put among the sample pictures.
    const std::string savedGame = target_ + "\\TilvaneGames\\Mine.tvg";
    const std::string picture = target_ + "\\Sample pictures\\Mine.jpg";
    CreateFolderChain(target_ + "\\TilvaneGames");
    WriteFileBytes(savedGame, "the player's game");
    WriteFileBytes(picture, "the player's picture");
    UninstallAndExpectItRemoved("/UNINSTALL", "Sample pictures");
    EXPECT_TRUE(FileExists(target_ + "\\Tilvane.ini"));
    EXPECT_EQ(ReadFileBytes(savedGame), "the player's game");
    EXPECT_EQ(ReadFileBytes(picture), "the player's picture");
    for (const std::string& left : EntriesOf(target_))
        EXPECT_TRUE(left == "Tilvane.exe" || left == "Tilvane.ini" || left == "TilvaneGames" ||
                    left == "Sample pictures")
            << left << ": only the running program and the player's files may stay";
    EXPECT_TRUE(FileExists(package_ + "\\Install.exe")) << "the package is not touched";
}

// A folder named in Latin-1, Greek, CJK and an emoji: copied files, shortcuts, the uninstall
// entry, the started game and the uninstall all keep the name.
TEST_F(InstallerEndToEnd, InstallIntoAFolderNamedInEveryScriptAndUninstall) {
    RemoveTree(chosen_.substr(0, chosen_.size() - 1));
    chosen_ = "C:\\Tilvane\\e2e\\Install\xC3\xA9 \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1 "
              "\xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80-" + std::to_string(GetCurrentProcessId()) + "\\";
    target_ = chosen_ + folderName_;
    CreateFolderChain(chosen_.substr(0, chosen_.size() - 1));
    InstallAndExpectTheInstallation();

    ExpectInstalledGameStarted();
    UninstallAndExpectItRemoved("/Uninstall");
}

TEST_F(InstallerEndToEnd, WindowShowsThePackageAndEscapeInstallsNothing) {
    TInstallerWindow installer(package_ + "\\Install.exe", "", "Install Tilvane");
    ASSERT_NE(installer.Window(), nullptr);
    RECT client = {};
    GetClientRect(installer.Window(), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 450);
    EXPECT_EQ(installer.Text(idInstallMainPanel), "Welcome to Tilvane");
    EXPECT_EQ(installer.Text(idInstallDescriptionLabel), "Tilvane");
    EXPECT_EQ(installer.Text(idInstallVersionLabel), "Version 2.5.1, released on 24.10.2004");
    EXPECT_EQ(installer.Text(idInstallInstallToLabel), "The program's installation directory will be put in directory:");
    EXPECT_EQ(installer.Text(idInstallReadmeMemo), ReadmeText);
    EXPECT_EQ(installer.Text(idInstallInstallToEdit), WithTrailingBackslash(GetProgramFilesPath()));
    EXPECT_EQ(installer.Text(idInstallInstallButton), "&Install");
    EXPECT_TRUE(IsWindowEnabled(installer.Control(idInstallBrowseButton)));

    BringToForeground(installer.Window());
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof focus;
    EXPECT_TRUE(WaitUntil([&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(installer.Window(), nullptr), &focus) &&
               focus.hwndFocus == installer.Control(idInstallReadmeMemo);
    })) << "the read-me has the focus first";
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(installer.WaitForExit()) << "Escape closes the installer";
    EXPECT_EQ(installer.ExitCode(), 0u);
    EXPECT_FALSE(FolderExists(target_));
    EXPECT_FALSE(FileExists(desktopLink_));
    EXPECT_FALSE(UninstallKeyExists());
}

// --- administrator rights -------------------------------------------------------------------

TEST_F(InstallerEndToEnd, ReadOnlyTargetStartsOneCopyWithRightsThatReportsOnce) {
    const std::string unavailable = ReadOnlyViewUnavailable();
    if (!unavailable.empty()) GTEST_SKIP() << "no read-only target: " << unavailable;
    const std::string chosen = std::string(ReadOnlyView) + "\\";
    TMessageBoxAnswerer query("Query", IDYES, false, true);
    TMessageBoxAnswerer boxes("Error", IDOK, false, true);
    TInstallerWindow installer(package_ + "\\Install.exe", "", "Install Tilvane");
    ASSERT_NE(installer.Window(), nullptr);
    installer.SetDirectory(chosen);
    ExpectOneReportFromTheCopyWithRights(
        installer, "Failed to install program. Check to see if you have rights to write in the installation directory.",
        chosen + folderName_, packageRoot_);
    ASSERT_EQ(query.Count(), 1u) << "asked once, by the first copy";
    EXPECT_EQ(query.Texts()[0], "Install the program in directory \"" + chosen + folderName_ + "\"?");
    EXPECT_EQ(boxes.Count(), 0u) << "no message besides the one report";
    EXPECT_FALSE(FolderExists(std::string(ReadOnlySource) + "\\" + folderName_));
    EXPECT_FALSE(FileExists(desktopLink_));
    EXPECT_FALSE(FileExists(commonDesktopLink_));
    EXPECT_FALSE(UninstallKeyExists());
}

TEST_F(InstallerEndToEnd, UninstallingAReadOnlyFolderStartsOneCopyWithRightsThatReportsOnce) {
    const std::string unavailable = ReadOnlyViewUnavailable();
    if (!unavailable.empty()) GTEST_SKIP() << "no read-only installation: " << unavailable;
    const std::string installed = "Installed-" + folderName_;
    const std::string source = std::string(ReadOnlySource) + "\\" + installed;
    const std::string view = std::string(ReadOnlyView) + "\\" + installed + "\\";
    CreateFolderChain(source);
    ASSERT_TRUE(CopyFileA((package_ + "\\Install.exe").c_str(), (source + "\\Tilvane.exe").c_str(), FALSE));
    {
        TMessageBoxAnswerer query("Query", IDYES, false, true);
        TMessageBoxAnswerer done("Message", IDOK, false, true);
        TInstallerWindow uninstaller(view + "Tilvane.exe", "/Uninstall", "Uninstall Tilvane");
        if (uninstaller.Window())
            ExpectOneReportFromTheCopyWithRights(uninstaller, "Failed to uninstall program.", view, view);
        EXPECT_EQ(query.Count(), 1u) << "asked once, by the first copy";
        EXPECT_EQ(done.Count(), 0u) << "no success message";
    }
    EXPECT_TRUE(FileExists(source + "\\Tilvane.exe"));
    RemoveTree(source);
}

TEST_F(InstallerEndToEnd, CopyWithRightsInstallsForAllUsersWithoutAskingAndUninstallRemovesIt) {
    const std::string programFile = target_ + "\\Tilvane.exe";
    TMessageBoxAnswerer query("Query", IDYES, false, true);
    const std::string chosen = "\"" + chosen_.substr(0, chosen_.size() - 1) + "\"";
    EXPECT_EQ(RunAsCopyWithRights(package_ + "\\Install.exe", "/Elevated " + chosen), 0u) << "the work was done";
    EXPECT_EQ(query.Count(), 0u) << "the first copy asked already";
    EXPECT_TRUE(FileExists(programFile));
    if (FoldersKeepTheirRights(chosen_))
        EXPECT_FALSE(OthersMayChange(target_)) << "the machine's folder is changed by administrators alone";
    else
        std::printf("This system keeps no rights a folder is made with: the installation folder's are not checked.\n");
    ExpectLink(commonDesktopLink_, programFile);
    ExpectLink(commonGroup_ + "\\Tilvane.lnk", programFile);
    ExpectLink(commonGroup_ + "\\Uninstall.lnk", programFile, "/Uninstall");
    ExpectLink(commonGroup_ + "\\Readme.lnk", target_ + "\\Readme.txt");
    EXPECT_FALSE(FileExists(desktopLink_)) << "nothing for the account that gave the rights alone";
    EXPECT_FALSE(FolderExists(group_));
    EXPECT_EQ(UninstallValue("UninstallString"), "\"" + programFile + "\" /Uninstall");
    EXPECT_EQ(FindFormOfProgramsIn(target_), nullptr) << "the game is started by the first copy, as the user";

    TMessageBoxAnswerer done("Message", IDOK, false, true);
    {
        TInstallerWindow uninstaller(programFile, "/Uninstall", "Uninstall Tilvane");
        ASSERT_NE(uninstaller.Window(), nullptr);
        uninstaller.Click(idInstallInstallButton);
        ASSERT_TRUE(uninstaller.WaitForExit());
    }
    EXPECT_EQ(query.Count(), 1u);
    EXPECT_EQ(done.Count(), 1u);
    EXPECT_FALSE(FileExists(commonDesktopLink_));
    EXPECT_FALSE(FolderExists(commonGroup_));
    EXPECT_FALSE(UninstallKeyExists());
}

// A first copy that can write the folder deletes the files itself, and leaves the copy with rights
// it starts only the machine's entry and the all-users shortcuts: that copy deletes no file, and
// leaves telling the player to its starter.
TEST_F(InstallerEndToEnd, CopyWithRightsForTheMachineEntryAloneDeletesNoFile) {
    TMessageBoxAnswerer query("Query", IDNO, false, true);
    TMessageBoxAnswerer done("Message", IDOK, false, true);
    const std::string chosen = "\"" + chosen_.substr(0, chosen_.size() - 1) + "\"";
    ASSERT_EQ(RunAsCopyWithRights(package_ + "\\Install.exe", "/Elevated " + chosen), 0u);
    ASSERT_TRUE(FileExists(commonDesktopLink_));
    const std::vector<std::string> installed = EntriesOf(target_);

    EXPECT_EQ(RunAsCopyWithRights(target_ + "\\Tilvane.exe", "/Uninstall /Elevated /MachineEntryOnly"), 0u)
        << "the work was done";
    EXPECT_EQ(query.Count(), 0u);
    EXPECT_EQ(done.Count(), 0u);
    EXPECT_FALSE(UninstallKeyExists());
    EXPECT_FALSE(FileExists(commonDesktopLink_));
    EXPECT_FALSE(FolderExists(commonGroup_));
    EXPECT_EQ(EntriesOf(target_), installed);
    EXPECT_TRUE(FileExists(target_ + "\\Sample pictures\\Credits.txt"));
}

// A standard user may install into a folder of their own: no rights are asked for, and the
// program is listed for that user alone, until uninstall removes that entry again.
TEST_F(InstallerEndToEnd, WithoutRightsToTheMachineListTheUserInstallsAndUninstallsForThemselves) {
    TMachineListClosed closed;
    ASSERT_TRUE(closed.Refusing()) << "the machine's list of installed programs can still be written";
    InstallAndExpectTheInstallation(HKEY_CURRENT_USER);
    EXPECT_FALSE(UninstallKeyExists(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(FileExists(commonDesktopLink_)) << "a copy with administrator rights was started";
    ExpectInstalledGameStarted();
    UninstallAndExpectItRemoved("/Uninstall");
}

// A copy with rights that crashes instead of ending its work: the first copy says that the
// installation did not finish, and where the crash was recorded.
TEST_F(InstallerEndToEnd, ACopyWithRightsThatCrashesIsReportedWithItsLog) {
    const std::string unavailable = ReadOnlyViewUnavailable();
    if (!unavailable.empty()) GTEST_SKIP() << "no target that needs rights: " << unavailable;
    TMessageBoxAnswerer query("Query", IDYES, false, true);
    TMessageBoxAnswerer warning("Warning", IDOK, false, true);
    TInstallerWindow installer(package_ + "\\Install.exe", "", "Install Tilvane");
    ASSERT_NE(installer.Window(), nullptr);
    installer.SetDirectory(std::string(ReadOnlyView) + "\\");
    std::set<DWORD> copies;
    // Its report that the directory can not be written keeps it waiting for the crash.
    const HWND report = PressAndWaitForTheReportOfACopyWithRights(installer, packageRoot_, copies);
    ASSERT_NE(report, nullptr) << "no copy with rights";
    ASSERT_TRUE(InjectFault(report, "access-violation", "new"));
    ASSERT_TRUE(WaitUntil([&] { return warning.Count() > 0; }, CrashTimeout)) << "the installer ended silently";
    const std::string log = package_ + "\\Errors.log";
    EXPECT_EQ(warning.Texts()[0], "The installation did not finish: the installer with administrator rights ended "
                                  "unexpectedly (exit code 1). What it recorded is in the log \"" + log + "\".");
    EXPECT_NE(ReadFileBytes(log).find("A fatal fault ended the program."), std::string::npos);
    ASSERT_TRUE(installer.WaitForExit());
    EXPECT_EQ(installer.ExitCode(), 0u);
    EXPECT_EQ(query.Count(), 1u);
    EXPECT_EQ(warning.Count(), 1u);
    EXPECT_FALSE(FileExists(desktopLink_));
    EXPECT_FALSE(UninstallKeyExists());
}

// --- refusals ------------------------------------------------------------------------------

TEST_F(InstallerEndToEnd, RefusesToInstallIntoThePackageItself) {
    // Chosen as the package folder, in another spelling: the copy would land inside itself.
    std::string spelled = package_ + "\\HelpPictures\\..\\";
    for (char& c : spelled) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    TMessageBoxAnswerer warning("Warning", IDOK, false, true);
    TMessageBoxAnswerer query("Query", IDNO, false, true);
    TInstallerWindow installer(package_ + "\\Install.exe", "", "Install Tilvane");
    ASSERT_NE(installer.Window(), nullptr);
    installer.SetDirectory(spelled);
    installer.Click(idInstallInstallButton);
    ASSERT_TRUE(installer.WaitForExit());
    ASSERT_EQ(warning.Count(), 1u);
    EXPECT_NE(warning.Texts()[0].find("overlaps the installation package folder"), std::string::npos)
        << warning.Texts()[0];
    EXPECT_EQ(query.Count(), 0u) << "refused before asking";
    const std::vector<std::string> entries = EntriesOf(package_);
    EXPECT_EQ(entries.size(), 6u) << "Install.exe, Readme.txt, HelpPictures, Sample pictures, the letter and Holiday only";
    EXPECT_FALSE(FileExists(desktopLink_));
    EXPECT_FALSE(UninstallKeyExists());
    EXPECT_EQ(FindFormOfProgramsIn(packageRoot_), nullptr) << "no game started";
}

TEST_F(InstallerEndToEnd, RefusesToInstallFromOrUninstallADriveRootOrASpecialFolder) {
    // Answered No if it ever came, so that a failing test cannot copy or delete anything.
    TMessageBoxAnswerer query("Query", IDNO, false, true);
    TMessageBoxAnswerer warning("Warning", IDOK, false, true);
    const std::string unique = std::to_string(GetCurrentProcessId());
    const std::string program = TestProgramDirectory() + "Tilvane.exe";
    const std::string desktopCanary = WithTrailingBackslash(GetDesktopPath()) + "Canary-" + unique + ".txt";
    WriteFileBytes(desktopCanary, "stays");
    const std::vector<std::string> places = {WithTrailingBackslash(GetDesktopPath()), DownloadsFolder(), "C:\\"};
    for (const std::string& place : places) {
        // The installer put there by the player: the folder is no package of its own.
        const std::string installerCopy = place + "Install.exe";
        ASSERT_TRUE(CopyFileA(program.c_str(), installerCopy.c_str(), FALSE)) << installerCopy;
        {
            TInstallerWindow installer(installerCopy, "", "Install Tilvane");
            if (installer.Window()) {
                installer.SetDirectory(chosen_);
                installer.Click(idInstallInstallButton);
            }
            EXPECT_TRUE(installer.WaitForExit());
        }
        DeleteFileA(installerCopy.c_str());

        const std::string copy = place + "TilvaneProbe-" + unique + ".exe";
        if (!CopyFileA(program.c_str(), copy.c_str(), FALSE)) {
            ADD_FAILURE() << "cannot copy the program to " << copy;
            continue;
        }
        {
            TInstallerWindow uninstaller(copy, "/Uninstall", "Uninstall Tilvane");
            if (uninstaller.Window()) {
                EXPECT_EQ(uninstaller.Text(idInstallInstallToEdit), place);
                uninstaller.Click(idInstallInstallButton);
            }
            EXPECT_TRUE(uninstaller.WaitForExit());
        }
        EXPECT_TRUE(FileExists(copy)) << "nothing deleted in " << place;
        DeleteFileA(copy.c_str());
    }
    EXPECT_EQ(ReadFileBytes(desktopCanary), "stays");
    DeleteFileA(desktopCanary.c_str());
    EXPECT_EQ(query.Count(), 0u) << "refused before asking";
    EXPECT_TRUE(EntriesOf(chosen_).empty()) << "nothing installed";
    const std::vector<std::string> warnings = warning.Texts();
    ASSERT_EQ(warnings.size(), 2 * places.size());
    for (size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(warnings[2 * i], "The installer can not run from \"" + places[i] +
                                       "\": a drive root or a special folder such as the Desktop or Downloads is "
                                       "not a package folder. Put \"Install.exe\" and the files that came with it "
                                       "into a folder of their own, and run it from there.");
        EXPECT_EQ(warnings[2 * i + 1], "The directory \"" + places[i] +
                                           "\" is a drive root or a system folder and will not be deleted. "
                                           "Nothing was uninstalled.");
    }
    EXPECT_TRUE(FileExists(TestProgramDirectory() + "Tilvane.exe"));
}

}  // namespace
