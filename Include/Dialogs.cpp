#include "Include/Dialogs.h"

#include <windows.h>

// The box belongs to the window the player is using, so that this window is active again when
// the box closes and its keys work at once. Without one (before any window shows) the box still
// keeps the program's windows waiting.
int ShowMessageBox(const std::string& title, const std::string& text, unsigned style) {
    HWND owner = GetActiveWindow();
    const int result = MessageBoxA(owner, text.c_str(), title.c_str(), style | (owner ? 0 : MB_TASKMODAL));
    if (result == 0) BeepExclamation();
    switch (result) {
    case IDOK:
    case IDYES: return maOkOrYes;
    case IDNO: return maNo;
    default: return maCancel;
    }
}

void ShowInformation(const std::string& text) { ShowMessageBox("Message", text, MB_OK | MB_ICONINFORMATION); }

void ShowWarning(const std::string& text) { ShowMessageBox("Warning", text, MB_OK | MB_ICONEXCLAMATION); }

bool AskYesNo(const std::string& text) {
    return ShowMessageBox("Query", text, MB_YESNO | MB_ICONQUESTION) == maOkOrYes;
}

int AskYesNoCancel(const std::string& text) {
    return ShowMessageBox("Query", text, MB_YESNOCANCEL | MB_ICONQUESTION);
}

void BeepDefault() { MessageBeep(0); }

void BeepExclamation() { MessageBeep(MB_ICONEXCLAMATION); }
