// The system version and the uninstall entry, against the real registry under Wine.
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

TEST(SystemVersionTest, WineIsVersionFiveOrLater) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_EQ(sizeof version, 148u);
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(IsWindowsNT5OrLater(), version.dwMajorVersion >= 5);
    EXPECT_TRUE(IsWindowsNT5OrLater());
}

TEST_F(UninstallRegistryTest, EntryIsWrittenReplacedAndDeleted) {
    const std::string key = UninstallRegistryKey(keyName_);
    EXPECT_EQ(key, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + keyName_);

    SetUninstallRegistry(keyName_, "Tilvane", "C:\\Program Files\\Tilvane\\Tilvane.exe /Uninstall");
    ExpectPerfectAt("SetUninstallRegistry");
    EXPECT_EQ(ReadValue(key, "DisplayName"), "Tilvane");
    EXPECT_EQ(ReadValue(key, "UninstallString"), "C:\\Program Files\\Tilvane\\Tilvane.exe /Uninstall");

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

}  // namespace
