#include "Include/Utilities.h"

#include "Include/Core/NumberText.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Owned.h"
#include "Include/WideText.h"

#include <windows.h>

namespace {

const char* const Module = "Include\\Utilities";

// 0, or the system error of the write. Stored in UTF-16, as the list of programs reads it.
LONG WriteStringValue(HKEY key, const char* name, const std::string& value) {
    const std::wstring wideValue = Utf8ToWide(value);
    return RegSetValueExW(key, Utf8ToWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wideValue.c_str()),
                          static_cast<DWORD>((wideValue.size() + 1) * sizeof(wchar_t)));
}

// Failures that were exceptions once keep the report text those exceptions gave.
const char* const FormerException = "Unhandled exception: ";

// The list's selected item; empty when none is selected.
std::string SelectedComboText(HWND comboBox) {
    const LRESULT index = SendMessageA(comboBox, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return std::string();
    const LRESULT length = SendMessageA(comboBox, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(comboBox, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

// Selects the item that reads text; none when there is no such item.
void SelectComboText(HWND comboBox, const std::string& text) {
    const LRESULT index = SendMessageA(comboBox, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(comboBox, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string LimitsWarning(int32_t minimum, int32_t maximum, int32_t defaultValue) {
    return "Integer value outside limits.\nIt will be set to default.\n    * Minimum = " + std::to_string(minimum) +
           "\n    * Maximum = " + std::to_string(maximum) + "\n    * Default = " + std::to_string(defaultValue);
}

}  // namespace

int32_t GetIntFromComboBox(HWND comboBox, int32_t Minimum, int32_t Maximum, int32_t Default) {
    TFunOperation op(Module, "GetIntFromComboBox", __LINE__);
    int32_t value = Default;
    const std::string text = SelectedComboText(comboBox);
    bool outOfLimits = true;
    if (text.empty()) {
        outOfLimits = Default < Minimum || Default > Maximum;
    } else if (TextToInteger(text, value)) {
        outOfLimits = value < Minimum || value > Maximum;
    } else {
        op.Raise(__LINE__, fsError, FormerException + ("'" + text + "' is not a valid integer value"), "", "0");
    }
    if (outOfLimits) {
        op.Guard(__LINE__, [&] {
            ShowWarning(LimitsWarning(Minimum, Maximum, Default));
            MyFocusControl(comboBox);
            if (op.TakeCurrent()) {}  // a control that cannot take the focus still shows the default
            SelectComboText(comboBox, std::to_string(Default));
        });
        value = Default;
    }
    op.EndPassing();
    return value;
}

int32_t GetIntFromComboBox(HWND comboBox) { return GetIntFromComboBox(comboBox, INT32_MIN, INT32_MAX, 0); }

void MyFocusControl(HWND control) {
    TFunOperation op(Module, "MyFocusControl", __LINE__);
    if (!IsWindowVisible(control) || !IsWindowEnabled(control))
        op.Raise(__LINE__, fsError, std::string(FormerException) + "Cannot focus a disabled or invisible window", "", "0");
    else
        SetFocus(control);
    op.EndPassing();
}

const char* const UninstallEntriesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string UninstallRegistryKey(const std::string& keyName) { return std::string(UninstallEntriesKey) + "\\" + keyName; }

bool CanWriteUninstallEntries() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallEntriesKey, 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &opened) !=
        ERROR_SUCCESS)
        return false;
    const TOwnedRegistryKey key(opened);
    return true;
}

namespace {

// The program file that an uninstall command starts: the quoted first part, or, in an entry
// written unquoted, the text before the parameter.
std::string ProgramOfUninstallCommand(const std::string& command) {
    if (!command.empty() && command[0] == '"') return command.substr(1, command.find('"', 1) - 1);
    const size_t parameter = command.rfind(" /");
    return command.substr(0, parameter);
}

// True when the root holds the program's entry; with a program file, only when its command
// starts that file.
bool HasUninstallEntryIn(HKEY root, const std::string& keyName, const std::string& programFile) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, Utf8ToWide(UninstallRegistryKey(keyName)).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    const TOwnedRegistryKey key(opened);
    if (programFile.empty()) return true;
    wchar_t command[1024] = {};
    DWORD size = sizeof command - sizeof(wchar_t);
    if (RegGetValueW(key.get(), nullptr, L"UninstallString", RRF_RT_REG_SZ, nullptr, command, &size) != ERROR_SUCCESS)
        return false;
    return IsSamePath(ProgramOfUninstallCommand(WideToUtf8(command)), programFile);
}

}  // namespace

bool HasMachineUninstallEntry(const std::string& keyName, const std::string& programFile) {
    return !keyName.empty() && HasUninstallEntryIn(HKEY_LOCAL_MACHINE, keyName, programFile);
}

void SetUninstallRegistry(const std::string& keyName, const std::string& displayName,
                          const std::string& uninstallString) {
    TFunOperation op(Module, "SetUninstallRegistry", __LINE__);
    op.Guard(__LINE__, [&] {
        if (keyName.empty()) return;  // would write into the list of all programs itself
        // The machine's list needs administrator rights; without them the program is listed for
        // the user who installed it, which the system's list of programs shows all the same.
        const HKEY root = CanWriteUninstallEntries() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const std::string keyPath = UninstallRegistryKey(keyName);
        HKEY created = nullptr;
        if (RegCreateKeyExW(root, Utf8ToWide(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &created, nullptr) != ERROR_SUCCESS)
            return;
        const TOwnedRegistryKey key(created);
        auto write = [&](const char* name, const std::string& value) {
            const LONG result = WriteStringValue(key.get(), name, value);
            if (result != ERROR_SUCCESS)
                op.Raise(__LINE__, fsError, "Failed to write registry value.", keyPath, name, result);
            return result == ERROR_SUCCESS;
        };
        if (write("DisplayName", displayName)) write("UninstallString", uninstallString);
    });
    op.EndPassing();
}

void DeleteUninstallerRegistry(const std::string& keyName, const std::string& programFile) {
    TFunOperation op(Module, "DeleteUninstallerRegistry", __LINE__);
    op.Guard(__LINE__, [&] {
        if (keyName.empty()) return;  // never the list of all programs
        // Whichever list the installation used; both, should it have been installed both ways.
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            if (HasUninstallEntryIn(root, keyName, programFile))
                RegDeleteKeyW(root, Utf8ToWide(UninstallRegistryKey(keyName)).c_str());
    });
    op.EndPassing();
}
