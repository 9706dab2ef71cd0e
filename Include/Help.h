// The program's help: the help viewer's file when one is installed beside the program,
// otherwise the HTML help that ships beside it, opened in the user's browser.
#pragma once

#include <windows.h>

#include <string>

// The name of the HTML help, looked for in the folder of the help viewer's file.
extern const char* const HtmlHelpFileName;

// Opens the help file at the context (0: its contents). A help that cannot be opened is
// reported with "Failed to open help.".
void ShowHelp(HWND owner, const std::string& helpFile, int context);
