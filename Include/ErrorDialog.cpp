#include "Include/ErrorDialog.h"

#include "Framework/Application.h"
#include "Framework/Fonts.h"
#include "Framework/Placement.h"
#include "Include/Core/PathText.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/ErrorLog.h"
#include "Include/File.h"
#include "Include/Help.h"
#include "Include/Program.h"

#include <vector>

namespace {

const char* const RecursionPrefix = "Recursive attempts = ";
const int HelpContext = 0;

const int FormClientWidth = 340;
const int FormClientHeight = 265;

// clang-format off
const TLayoutRow Layout[] = {
    // kind                    id                          parent  left top  width height caption                                 tab
    {TLayoutKind::Memo,   idErrorMainMemo,            0,        5,   5, 330, 120, nullptr,                                  0},
    {TLayoutKind::Button, idErrorOkayButton,          0,       25, 135,  75,  25, "&Okay",                                  1},
    {TLayoutKind::Button, idErrorOkayNoErrorsButton,  0,      110, 135, 120,  25, "O&kay (no errors)",                      3},
    {TLayoutKind::Button, idErrorCancelButton,        0,      240, 135,  75,  25, "&Cancel",                                2},
    {TLayoutKind::Button, idErrorTerminateButton,     0,       65, 170, 210,  25, "&Terminate application immediately",     4},
    {TLayoutKind::Button, idErrorLogButton,           0,       90, 205,  75,  25, "&Log",                                   5},
    {TLayoutKind::Button, idErrorHelpButton,          0,      175, 205,  75,  25, "&Help",                                  6},
    {TLayoutKind::Label,  idErrorRecursionLabel,      0,        5, 240,   0,  15, "Recursion",                             -1},
};
// The recursion label reaches to the right edge: its texts are longer than its first caption.
// clang-format on

std::string ShownDescription(const std::string& description) {
    return description.empty() ? "Failed to perform." : description;
}

}  // namespace

TErrorForm::TErrorForm() {
    CreateForm("Error", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, FormClientWidth,
               FormClientHeight, "Arial", 9);
    CreateLayout();
    SetFontOfWindowTree(Handle(), AddFont(TFontStyle{"Arial", 12}));
    ErrorForm = this;
    Application.OnException = [](void* sender, const std::string& message) {
        FunStatContext.OnApplicationException(sender, message);
    };
}

TErrorForm::~TErrorForm() {
    if (ErrorForm == this) ErrorForm = nullptr;
}

void TErrorForm::CreateLayout() {
    layout_.Build(*this, Layout);
    MainMemo = layout_.Get<TMemo>(idErrorMainMemo);
    RecursionLabel = layout_.Get<TLabel>(idErrorRecursionLabel);
    OkayButton = layout_.Get<TButton>(idErrorOkayButton, [this] { CloseWith(mrOk); });
    OkayNoErrorsButton = layout_.Get<TButton>(idErrorOkayNoErrorsButton, [this] { CloseWith(mrYes); });
    CancelButton = layout_.Get<TButton>(idErrorCancelButton, [this] { CloseWith(mrCancel); });
    TerminateButton = layout_.Get<TButton>(idErrorTerminateButton, [this] { TerminateButtonClick(); });
    LogButton = layout_.Get<TButton>(idErrorLogButton, [this] { LogButtonClick(); });
    HelpButton = layout_.Get<TButton>(idErrorHelpButton, [this] { HelpButtonClick(); });
}

void TErrorForm::CloseWith(int modalResult) {
    chosenResult_ = modalResult;
    SetModalResult(modalResult);
}

bool TErrorForm::ShowReport(const std::string& caption, const std::string& description, const std::string& report,
                            bool* noErrors) {
    if (!Handle()) return ShowWithoutWindow(caption, description, report, noErrors);
    SetText(caption);
    if (RecursionCount > 0) {
        // A report from inside the open dialog's loop: the user is still reading the first one.
        ++RecursionCount;
        RecursionLabel->SetText(RecursionPrefix + std::to_string(RecursionCount - 1));
        return true;
    }
    RecursionCount = 1;
    RecursionLabel->SetText(std::string(RecursionPrefix) + "None");
    MainMemo->SetText(ErrorDialogText(description, report));
    const int result = RunModalLoop();
    RecursionCount = 0;
    if (noErrors) *noErrors = result == mrYes;
    return result == mrOk || result == mrYes;
}

// The dialog is owned by the main window and goes with it; a failure reported after that (on
// the way out of the program) still reaches the user, in a plain message box.
bool TErrorForm::ShowWithoutWindow(const std::string& caption, const std::string& description,
                                   const std::string& report, bool* noErrors) {
    if (noErrors) *noErrors = false;
    const std::string text = ShownDescription(description) + "\r\n" + report;
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return false;
}

// The modal loop; an exception that ends it leaves the result a button had chosen.
int TErrorForm::RunModalLoop() {
    chosenResult_ = mrNone;
    try {
        CenterDialogOver(Handle(), Application.MainWindow());
        return ShowModal();
    } catch (...) {
        // The loop did not get to hide the dialog and give the main window its input back.
        ShowWindow(Handle(), SW_HIDE);
        HWND mainWindow = Application.MainWindow();
        if (mainWindow && mainWindow != Handle()) EnableWindow(mainWindow, TRUE);
        return chosenResult_;
    }
}

std::string TErrorForm::LogFilePath() { return ErrorLogPath(); }

bool TErrorForm::WriteLog() { return AppendErrorLogEntry(MainMemo->Text()); }

void TErrorForm::FormActivate() { SetFocus(OkayButton->Handle()); }

void TErrorForm::TerminateButtonClick() { TerminateProgramImmediately(); }

void TErrorForm::LogButtonClick() {
    if (WriteLog()) BeepDefault();
}

void TErrorForm::HelpButtonClick() {
    ShowHelp(Handle(), WithTrailingBackslash(GetProgramDirectory()) + "Help.hlp", HelpContext);
}

LRESULT TErrorForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) FormActivate();
        return 0;
    case WM_CTLCOLORSTATIC: {
        // The read-only memo and the label stand on the dialog's own background.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case DM_GETDEFID:
        return FocusedButtonAsDefault(Handle());
    default:
        return TForm::HandleMessage(message, wParam, lParam);
    }
}
