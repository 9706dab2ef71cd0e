// The uninstall entry against the real registry, and the drop-down list and focus services
// against real controls, under Wine.
#include "Include/Core/FunStat.h"
#include "Include/Utilities.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

namespace {

class UninstallRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        CurrentFunStatContext.Reset(fsPerfect);
        keyName_ = "TilvaneTest-" + std::to_string(GetCurrentProcessId());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallRegistryKey(keyName_).c_str());
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallRegistryKey(keyName_).c_str());
        CurrentFunStatContext.Reset(fsPerfect);
    }

    // The value's text, or "<missing>" when the key or value is absent or not a string.
    static std::string ReadValue(const std::string& keyPath, const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<missing>";
        char buffer[512] = {};
        DWORD type = 0, size = sizeof buffer - 1;
        const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS || type != REG_SZ) return "<missing>";
        return buffer;
    }
    static bool KeyExists(const std::string& keyPath) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    void ExpectPerfectAt(const char* function) {
        EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << function << ": " << CurrentFunStatContext.Description;
    }

    std::string keyName_;
};

TEST_F(UninstallRegistryTest, EntryIsWrittenReplacedAndDeleted) {
    const std::string key = UninstallRegistryKey(keyName_);
    EXPECT_EQ(key, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + keyName_);

    SetUninstallRegistry(keyName_, "Tilvane", "C:\\Program Files\\Tilvane\\Tilvane.exe /Uninstall");
    ExpectPerfectAt("SetUninstallRegistry");
    EXPECT_EQ(ReadValue(key, "DisplayName"), "Tilvane");
    EXPECT_EQ(ReadValue(key, "UninstallString"), "C:\\Program Files\\Tilvane\\Tilvane.exe /Uninstall");

    // Uninstalling another installation of the same name leaves this one listed.
    DeleteUninstallerRegistry(keyName_, "D:\\Games\\Tilvane\\Tilvane.exe");
    EXPECT_TRUE(KeyExists(key));
    DeleteUninstallerRegistry(keyName_, "c:\\program files\\tilvane\\TILVANE.EXE");
    ExpectPerfectAt("DeleteUninstallerRegistry");
    EXPECT_FALSE(KeyExists(key)) << "the entry that starts this program file goes";
    SetUninstallRegistry(keyName_, "Tilvane", "C:\\Program Files\\Tilvane\\Tilvane.exe /Uninstall");

    SetUninstallRegistry(keyName_, "Tilvane 2", "");
    ExpectPerfectAt("SetUninstallRegistry");
    EXPECT_EQ(ReadValue(key, "DisplayName"), "Tilvane 2") << "an existing entry is overwritten";
    EXPECT_EQ(ReadValue(key, "UninstallString"), "") << "an empty text is still a string value";

    DeleteUninstallerRegistry(keyName_);
    ExpectPerfectAt("DeleteUninstallerRegistry");
    EXPECT_FALSE(KeyExists(key));

    DeleteUninstallerRegistry(keyName_);
    ExpectPerfectAt("DeleteUninstallerRegistry");
}

TEST_F(UninstallRegistryTest, EmptyKeyNameTouchesNothing) {
    const std::string list = UninstallRegistryKey("");
    SetUninstallRegistry("", "Stray", "stray.exe");
    ExpectPerfectAt("SetUninstallRegistry");
    EXPECT_EQ(ReadValue(list, "DisplayName"), "<missing>");
    const bool listExisted = KeyExists(list);
    DeleteUninstallerRegistry("");
    ExpectPerfectAt("DeleteUninstallerRegistry");
    EXPECT_EQ(KeyExists(list), listExisted);
}

// A shown window with a drop-down list of numbers, as the game asks for its grid.
class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        CurrentFunStatContext.Reset(fsPerfect);
        window_ = CreateWindowExA(0, "STATIC", "Combo host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                  nullptr, nullptr, nullptr, nullptr);
        combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 10, 10,
                                 100, 200, window_, nullptr, nullptr, nullptr);
        for (const char* item : {"3", "7", "12", "40", "seven"})
            SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    void TearDown() override {
        DestroyWindow(window_);
        CurrentFunStatContext.Reset(fsPerfect);
    }
    void Select(const char* item) {
        SendMessageA(combo_, CB_SETCURSEL,
                     SendMessageA(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item)),
                     0);
    }
    std::string Selected() const {
        char text[32] = {};
        GetWindowTextA(combo_, text, sizeof text);
        return text;
    }
    void ExpectRecord(int32_t status, const char* function, const std::string& description) const {
        EXPECT_EQ(CurrentFunStatContext.Status, status);
        EXPECT_EQ(CurrentFunStatContext.File, "Include\\Utilities");
        EXPECT_EQ(CurrentFunStatContext.Function, function);
        EXPECT_EQ(CurrentFunStatContext.Description, description);
    }

    HWND window_ = nullptr;
    HWND combo_ = nullptr;
};

}  // namespace

TEST_F(ComboBoxTest, NumbersWithinTheLimitsAreReadWithoutAWarning) {
    TMessageBoxAnswerer warning("Warning", IDOK);
    Select("12");
    EXPECT_EQ(GetIntFromComboBox(combo_, 5, 30, 7), 12);
    EXPECT_EQ(GetIntFromComboBox(combo_), 12);
    SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(GetIntFromComboBox(combo_, 5, 30, 7), 7) << "no selection reads as the default";
    EXPECT_EQ(GetIntFromComboBox(combo_), 0);
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
    EXPECT_EQ(warning.Count(), 0u);
}

TEST_F(ComboBoxTest, NumbersOutsideTheLimitsBecomeTheDefaultAfterAWarning) {
    TMessageBoxAnswerer warning("Warning", IDOK);
    Select("40");
    EXPECT_EQ(GetIntFromComboBox(combo_, 5, 30, 7), 7);
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
    ASSERT_EQ(warning.Count(), 1u);
    EXPECT_EQ(warning.Texts()[0], "Integer value outside limits.\nIt will be set to default.\n    * Minimum = 5\n"
                                  "    * Maximum = 30\n    * Default = 7");
    EXPECT_EQ(Selected(), "7");
    EXPECT_EQ(GetFocus(), combo_);

    Select("3");
    EXPECT_EQ(GetIntFromComboBox(combo_, 5, 30, 7), 7);
    EXPECT_EQ(warning.Count(), 2u);
}

TEST_F(ComboBoxTest, TextThatIsNoNumberFailsAndShowsTheDefault) {
    TMessageBoxAnswerer warning("Warning", IDOK);
    Select("seven");
    EXPECT_EQ(GetIntFromComboBox(combo_, 5, 30, 7), 7);
    ExpectRecord(fsError, "GetIntFromComboBox", "Unhandled exception: 'seven' is not a valid integer value");
    EXPECT_EQ(warning.Count(), 1u);
    EXPECT_EQ(Selected(), "7");
}

TEST_F(ComboBoxTest, OnlyShownEnabledControlsTakeTheFocus) {
    MyFocusControl(combo_);
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);
    EXPECT_EQ(GetFocus(), combo_);

    EnableWindow(combo_, FALSE);
    MyFocusControl(combo_);
    ExpectRecord(fsError, "MyFocusControl", "Unhandled exception: Cannot focus a disabled or invisible window");

    // A hidden list still shows the default; the failed focus is passed on.
    TMessageBoxAnswerer warning("Warning", IDOK);
    CurrentFunStatContext.Reset(fsPerfect);
    ShowWindow(combo_, SW_HIDE);
    Select("40");
    EXPECT_EQ(GetIntFromComboBox(combo_, 5, 30, 7), 7);
    ExpectRecord(fsError, "MyFocusControl", "Unhandled exception: Cannot focus a disabled or invisible window");
    EXPECT_EQ(Selected(), "7");
}
