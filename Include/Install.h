// The program as its own installer and uninstaller.
#pragma once

// True when the running file is named "Install.exe" or the first parameter is "/Uninstall",
// both in any letter case.
bool IsInstallerRun();
