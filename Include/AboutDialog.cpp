#include "Include/AboutDialog.h"

#include "Framework/Application.h"
#include "Framework/Fonts.h"
#include "Framework/Placement.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/ErrorDialog.h"
#include "Include/File.h"
#include "Include/Program.h"

TAboutForm* AboutForm = nullptr;

namespace {

const char* const Module = "Include\\AboutDialog";
const char* const OpenFailure = "Failed to open site.";
const char* const AuthorText = "Made by the Tilvane developers.";
const char* const ProgramsText =
    "The buttons below open the read-me, the licence and the help that come with the game; the help also tells "
    "how to report a problem. Tilvane is our only program so far.";

const int FormClientWidth = 425;
const int FormClientHeight = 270;

// clang-format off
const TLayoutRow Layout[] = {
    // kind                          id                           parent        left  top width height caption          tab
    {TLayoutKind::Panel,         idAboutPanel,                0,               5,   5,  415,  220, nullptr,           0},
    {TLayoutKind::CentredLabel,  idAboutProgramNameLabel,     idAboutPanel,   10,   5,  360,   65, nullptr,          -1},
    {TLayoutKind::CentredLabel,  idAboutProgramVersionLabel,  idAboutPanel,   10,  75,  395,   15, nullptr,          -1},
    {TLayoutKind::CentredLabel,  idAboutAuthorLabel,          idAboutPanel,   10,  95,  395,   15, AuthorText,       -1},
    {TLayoutKind::Label,         idAboutProgramsLabel,        idAboutPanel,   10, 120,  395,   50, ProgramsText,     -1},
    {TLayoutKind::Button,        idAboutVisitMySiteButton,    idAboutPanel,   55, 180,  100,   25, "Visit my site",   0},
    {TLayoutKind::Button,        idAboutLicenseTermsButton,   idAboutPanel,  160, 180,  100,   25, "License terms",   1},
    {TLayoutKind::Button,        idAboutContactMeButton,      idAboutPanel,  265, 180,  100,   25, "Contact me",      2},
    {TLayoutKind::Button,        idAboutOkayButton,           0,             175, 235,   75,   25, "&Okay",           1},
};
// clang-format on

std::string FileBesideProgram(const char* name) { return WithTrailingBackslash(GetProgramDirectory()) + name; }

}  // namespace

TAboutForm::TAboutForm() {
    CreateForm("About", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, FormClientWidth,
               FormClientHeight, "Arial", 9);
    CreateLayout();
    StyleLabels();
    AboutForm = this;
}

TAboutForm::~TAboutForm() {
    if (AboutForm == this) AboutForm = nullptr;
}

void TAboutForm::CreateLayout() {
    layout_.Build(*this, Layout);
    ProgramNameLabel = layout_.Get<TLabel>(idAboutProgramNameLabel);
    ProgramVersionLabel = layout_.Get<TLabel>(idAboutProgramVersionLabel);
    OkayButton = layout_.Get<TButton>(idAboutOkayButton, [this] { SetModalResult(mrOk); });
    layout_.Get<TButton>(idAboutVisitMySiteButton, [this] { VisitMySiteButtonClick(); });
    layout_.Get<TButton>(idAboutLicenseTermsButton, [this] { LicenseTermsButtonClick(); });
    layout_.Get<TButton>(idAboutContactMeButton, [this] { ContactMeButtonClick(); });
}

// Fonts by pixel height, so that the layout's pixel positions fit them on every screen.
void TAboutForm::StyleLabels() {
    SetFontOfWindowTree(Handle(), AddFont(TFontStyle{"Arial", 12}));
    ProgramNameLabel->SetFont(AddFont(TFontStyle{"Comic Sans MS", 48, true, true}));
}

void TAboutForm::Dialog() {
    TFunOperation op(Module, "TAboutForm::Dialog", __LINE__);
    op.Guard(__LINE__, [&] {
        CenterDialogOver(Handle(), Application.MainWindow());
        ShowModal();
    });
    op.EndShowing(__LINE__, "Failed to show the \"About\" dialog.");
}

void TAboutForm::FormActivate() { SetFocus(OkayButton->Handle()); }

// The three page buttons open what ships beside the program: the read-me, the licence, and the
// help page, whose last section says how to report a problem.
void TAboutForm::VisitMySiteButtonClick() { OpenSite(FileBesideProgram("Readme.txt"), OpenFailure, Handle()); }

void TAboutForm::LicenseTermsButtonClick() { OpenSite(FileBesideProgram("License.txt"), OpenFailure, Handle()); }

void TAboutForm::ContactMeButtonClick() { OpenSite(FileBesideProgram("Help.html"), OpenFailure, Handle()); }

LRESULT TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) FormActivate();
        return 0;
    case WM_COMMAND:
        // Escape comes as IDCANCEL from no control: Okay answers it.
        if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
            SetModalResult(mrOk);
            return 0;
        }
        return TForm::HandleMessage(message, wParam, lParam);
    case DM_GETDEFID:
        return FocusedButtonAsDefault(Handle());
    default:
        return TForm::HandleMessage(message, wParam, lParam);
    }
}
