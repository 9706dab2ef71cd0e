#include "Include/Help.h"

#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/File.h"

namespace {

const char* const Module = "Include\\Help";

// True when the help viewer took the request. Systems without a viewer refuse it, and the
// HTML help stands in for it.
bool ShowInHelpViewer(HWND owner, const std::string& helpFile, int context) {
    if (!PathExists(helpFile)) return false;
    // Context 0 names no topic: the viewer's contents page is what the caller means.
    const BOOL shown = context == 0 ? WinHelpA(owner, helpFile.c_str(), HELP_CONTENTS, 0)
                                    : WinHelpA(owner, helpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
    return shown != FALSE;
}

}  // namespace

const char* const HtmlHelpFileName = "Help.html";

void ShowHelp(HWND owner, const std::string& helpFile, int context) {
    if (ShowInHelpViewer(owner, helpFile, context)) return;
    RunFile(DirectoryOfPath(helpFile) + HtmlHelpFileName, "", "", true, false, owner);
    ShowCurrentFailure(Module, __LINE__, "Failed to open help.");
}
