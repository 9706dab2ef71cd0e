// Message boxes of four fixed kinds, and the system beeps.
#pragma once

#include <string>

// Answer codes of ShowMessageBox.
enum TMessageAnswer : int { maOkOrYes = 1, maCancel = 2, maNo = 7 };

int ShowMessageBox(const std::string& title, const std::string& text, unsigned style);
void ShowInformation(const std::string& text);
void ShowWarning(const std::string& text);
bool AskYesNo(const std::string& text);
int AskYesNoCancel(const std::string& text);
void BeepDefault();
void BeepExclamation();
