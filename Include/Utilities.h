// Small system services: the uninstall entry in the registry, whole numbers read from drop-down
// lists, and the keyboard focus.
// Operations with a status record report as module "Include\Utilities".
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Writes the entry that lists a program among the installed ones: the key
// Software\Microsoft\Windows\CurrentVersion\Uninstall\<keyName> with the string values
// "DisplayName" and "UninstallString", below HKEY_LOCAL_MACHINE when this copy may write there
// (CanWriteUninstallEntries), otherwise below HKEY_CURRENT_USER, for the installing user alone. A
// key that cannot be created leaves the registry as it was and is not reported; a value that
// cannot be written is an Error naming the key and the value; an empty key name changes nothing.
void SetUninstallRegistry(const std::string& keyName, const std::string& displayName,
                          const std::string& uninstallString);
// Deletes the entry from both lists, whichever holds it. With a program file, only an entry whose
// command starts that file: an entry of another installation under the same name stays.
void DeleteUninstallerRegistry(const std::string& keyName, const std::string& programFile = std::string());
// True when the machine's list holds the entry, for that program file when one is given.
bool HasMachineUninstallEntry(const std::string& keyName, const std::string& programFile);

// True when the running copy may create entries in the machine's list: it opens their parent key
// for writing, which changes nothing.
bool CanWriteUninstallEntries();

// The key path of a program's uninstall entry below either root.
std::string UninstallRegistryKey(const std::string& keyName);

// The drop-down list's number: Default when no item is selected; outside Minimum..Maximum, or
// not a number, a warning names the limits, the list shows Default and Default is returned.
int32_t GetIntFromComboBox(HWND comboBox, int32_t Minimum, int32_t Maximum, int32_t Default);
// Without limits and with the default 0.
int32_t GetIntFromComboBox(HWND comboBox);

// Gives the control the keyboard focus; a hidden or disabled control is an Error.
void MyFocusControl(HWND control);
