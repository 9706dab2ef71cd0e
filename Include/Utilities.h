// Small system services: the operating system's version and the uninstall entry in the registry.
// Operations with a status record report as module "Include\Utilities".
#pragma once

#include <string>

// True when the system's major version is 5 or more.
bool IsWindowsNT5OrLater();

// Writes the entry that lists a program among the installed ones: the key
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<keyName> with the
// string values "DisplayName" and "UninstallString". A key that cannot be created (no
// administrator rights) leaves the registry as it was and is not reported; an empty key name
// changes nothing.
void SetUninstallRegistry(const std::string& keyName, const std::string& displayName,
                          const std::string& uninstallString);
// Deletes that key; whether it existed is not looked at.
void DeleteUninstallerRegistry(const std::string& keyName);

// The key path of a program's uninstall entry below HKEY_LOCAL_MACHINE.
std::string UninstallRegistryKey(const std::string& keyName);
