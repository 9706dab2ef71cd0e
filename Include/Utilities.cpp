#include "Include/Utilities.h"

#include "Include/Error.h"

#include <windows.h>

namespace {

const char* const Module = "Include\\Utilities";

// An open registry key, closed on every path.
class TRegistryKey {
public:
    TRegistryKey() = default;
    ~TRegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

void WriteStringValue(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

}  // namespace

bool IsWindowsNT5OrLater() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, yet the major version is all that is asked here
#endif
    if (!GetVersionExA(&version)) return false;
    return version.dwMajorVersion >= 5;
}

std::string UninstallRegistryKey(const std::string& keyName) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + keyName;
}

void SetUninstallRegistry(const std::string& keyName, const std::string& displayName,
                          const std::string& uninstallString) {
    TFunOperation op(Module, "SetUninstallRegistry", __LINE__);
    op.Guard(__LINE__, [&] {
        if (keyName.empty()) return;  // would write into the list of all programs itself
        TRegistryKey key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallRegistryKey(keyName).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.Receive(),
                            nullptr) != ERROR_SUCCESS)
            return;
        WriteStringValue(key.Get(), "DisplayName", displayName);
        WriteStringValue(key.Get(), "UninstallString", uninstallString);
    });
    op.EndPassing();
}

void DeleteUninstallerRegistry(const std::string& keyName) {
    TFunOperation op(Module, "DeleteUninstallerRegistry", __LINE__);
    op.Guard(__LINE__, [&] {
        if (keyName.empty()) return;  // never the list of all programs
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallRegistryKey(keyName).c_str());
    });
    op.EndPassing();
}
