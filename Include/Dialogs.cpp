#include "Include/Dialogs.h"

#include <windows.h>

int ShowMessageBox(const std::string& title, const std::string& text, unsigned style) {
    const int result = MessageBoxA(nullptr, text.c_str(), title.c_str(), style | MB_TASKMODAL);
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
