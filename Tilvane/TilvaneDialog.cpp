// The game window: its layout table, the menu from the command table, the parts made and wired,
// the messages routed, a new DPI followed and the window closed.
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneProgram.h"

#include "Framework/Application.h"
#include "Framework/FileDrop.h"
#include "Include/AboutDialog.h"
#include "Include/Core/FunOperation.h"
#include "Include/Error.h"
#include "Include/Help.h"
#include "Include/Program.h"
#include "Tilvane/TilvaneCommands.h"
#include "Tilvane/TilvaneIds.h"

#include <windows.h>

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";

const int FormClientWidth = 760;
const int FormClientHeight = 520;

// clang-format off
const TLayoutRow Layout[] = {
    // kind                      id                          parent                  left top  width height caption                   tab
    {TLayoutKind::Panel,    idMainPanel,                0,                       5,  10, 340, 175, nullptr,                  -1},
    {TLayoutKind::Label,    idTipsLabel,                idMainPanel,            10,  10,   0,   0, nullptr,                  -1},
    {TLayoutKind::Label,    idColumnsCountLabel,        idMainPanel,            10,  35,  50,   0, "Columns",                -1},
    {TLayoutKind::ComboBox, idColumnsCountComboBox,     idMainPanel,            65,  30,  50,  20, nullptr,                   0},
    {TLayoutKind::CheckBox, idAllowFlipCheckBox,        idMainPanel,           130,  35, 135,   0, "Allow &flipping pieces",  2},
    {TLayoutKind::Label,    idRowsCountLabel,           idMainPanel,            10,  60,  50,   0, "Rows",                   -1},
    {TLayoutKind::ComboBox, idRowsCountComboBox,        idMainPanel,            65,  55,  50,  20, nullptr,                   1},
    {TLayoutKind::CheckBox, idLightGridCheckBox,        idMainPanel,           130,  60,  75,   0, "Light &grid",             3},
    {TLayoutKind::Label,    idPositionLabel,            idMainPanel,            10,  90,   0,   0, nullptr,                  -1},
    {TLayoutKind::Label,    idMovesCountLabel,          idMainPanel,            10, 110,   0,   0, nullptr,                  -1},
    {TLayoutKind::Label,    idWrongMovesLabel,          idMainPanel,            10, 130,   0,   0, nullptr,                  -1},
    {TLayoutKind::Label,    idRemainingCountLabel,      idMainPanel,            10, 150,   0,   0, nullptr,                  -1},
    // In the free space beside "Light grid", with room for a second line down to the position.
    {TLayoutKind::Label,    idPlayTimeLabel,            idMainPanel,           212,  60,   0,  28, nullptr,                  -1},
    {TLayoutKind::GroupBox, idOriginalPictureGroupBox,  0,                       5, 189, 340, 285, "Original picture",       -1},
    {TLayoutKind::GroupBox, idPuzzlePictureGroupBox,    0,                     350,   5, 405, 470, "Puzzle picture",         -1},
};
// clang-format on

// The least size of the window along one side: its designed size at its DPI, but no more than
// the work area holds on a dense screen; at 96 DPI the designed size, as it always was.
int LeastWindowSide(int designed, int scaled, int workSide) { return std::min(scaled, std::max(designed, workSide)); }

}  // namespace

TTilvaneForm::TTilvaneForm() {
    CreateForm("Tilvane game", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0,
               FormClientWidth, FormClientHeight, "Arial", 9);
    engine_ = std::make_unique<TPictureEngine>();
    CreateLayout();
    CreateMenu();
    AcceptDroppedFiles(Handle());
    OnCloseQuery = [this] { return FormCloseQuery(); };
    // Exceptions that reach the message loop become reports.
    Application.OnException = [](void* sender, const std::string& message) {
        FunStatContext.OnApplicationException(sender, message);
    };
    playTime_ = std::make_unique<TPlayTime>(*this, panel_->PlayTimeLabel());
    results_ = std::make_unique<TBestResultsBook>();
    session_ = std::make_unique<TGameSession>(*view_, *panel_, *playTime_, *results_, *engine_);
    games_ = std::make_unique<TSavedGames>(*this, *session_, *panel_);
    pictures_ = std::make_unique<TPictureSources>(*this, *engine_, *session_, *games_);
    panel_->OnOptionClicked = [this] { session_->OptionsChanged(); };
}

// The crash writer goes first; the view detaches from the board while the session still lives.
TTilvaneForm::~TTilvaneForm() {
    pictures_.reset();
    games_.reset();
    view_.reset();
}

void TTilvaneForm::CreateLayout() {
    layout_.Build(*this, Layout);
    panel_ = std::make_unique<TGamePanel>(layout_);
    view_ = std::make_unique<TPuzzleView>(*this, *layout_.Get<TGroupBox>(idOriginalPictureGroupBox),
                                          *layout_.Get<TGroupBox>(idPuzzlePictureGroupBox));
}

void TTilvaneForm::CreateMenu() {
    auto bound = [](int id, TNotifyEvent handler) {
        const TGameCommand& entry = GameCommand(id);
        return MenuCommand(id, entry.Caption, std::move(handler), entry.Shortcut, entry.Hint);
    };
    std::vector<TMenuEntry> bar = {
        MenuPopup("&Work",
                  {
                      bound(cmLoadPicture, [this] { pictures_->LoadPictureCommand(); }),
                      bound(cmReloadCurrentPicture, [this] { pictures_->ReloadPictureCommand(); }),
                      bound(cmOpenPicture, [this] { pictures_->OpenPictureCommand(); }),
                      bound(cmNextPicture, [this] { pictures_->NeighbourPictureCommand(TWalkDirection::Next); }),
                      bound(cmPreviousPicture, [this] { pictures_->NeighbourPictureCommand(TWalkDirection::Previous); }),
                      bound(cmPastePicture, [this] { pictures_->PastePictureCommand(); }),
                      MenuSeparator(),
                      bound(cmLoadLastGame, [this] { games_->LoadLastGameCommand(); }),
                      bound(cmLoadGame, [this] { games_->LoadGameCommand(); }),
                      bound(cmSaveGame, [this] { games_->SaveGameCommand(); }),
                      MenuSeparator(),
                      bound(cmUndoMove, [this] { view_->TakeBackMove(); }),
                      bound(cmRedoMove, [this] { view_->MakeMoveAgain(); }),
                      bound(cmAnimateMoves, [this] { view_->SetAnimated(!view_->Animated()); }),
                      bound(cmBestResults, [this] { results_->ShowWindow(); }),
                      MenuSeparator(),
                      bound(cmHide, [] { Application.Minimize(); }),
                  }),
        bound(cmRandomize, [this] { session_->Shuffle(); }),
        MenuPopup("Down&load pictures", {bound(cmGameWallpapers, [this] { pictures_->WallpapersCommand(); }),
                                         bound(cmSamplePictures, [this] { pictures_->SamplePicturesCommand(); })}),
        bound(cmHelp, [this] { ShowHelp(Handle(), GetProgramDirectory() + "Help.hlp", 100); }),
        bound(cmAbout, [] {
            if (AboutForm) AboutForm->Dialog();
        }),
    };
    SetCommands(std::make_unique<TCommandTable>(std::move(bar)));
}

void TTilvaneForm::BeforeRun() {
    TFunOperation op(Module, "TTilvaneForm::BeforeRun", __LINE__);
    op.Guard(__LINE__, [&] {
        if (AboutForm) {
            AboutForm->ProgramNameLabel->SetText(ProgramName);
            AboutForm->ProgramVersionLabel->SetText(VersionText);
        }
        // An options file that cannot be read is reported there, and the window is still laid
        // out for play.
        games_->LoadOptions();
        results_->Load();
        ArrangeWindow();
    });
    op.EndShowing(__LINE__, "Failed to prepare main window.");
}

// The window takes 95 % of the work area, centred, and never less than its designed size.
void TTilvaneForm::ArrangeWindow() {
    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    const int workWidth = workArea.right - workArea.left;
    const int workHeight = workArea.bottom - workArea.top;
    const int width = std::max(static_cast<int>(workWidth * 0.95), LeastWindowSide(760, Scaled(760), workWidth));
    const int height = std::max(static_cast<int>(workHeight * 0.95), LeastWindowSide(540, Scaled(540), workHeight));
    // Centred on the work area; a window larger than the work area starts at its corner, so
    // that its caption and menu stay where the player can reach them.
    const int left = std::max(static_cast<int>(workArea.left), (workWidth - width) / 2);
    const int top = std::max(static_cast<int>(workArea.top), (workHeight - height) / 2);
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ArrangePictureAreas();
    view_->FitPieces(session_->CutGrid());
}

// The original picture takes about a third of the width, at least the panel's; the puzzle the rest.
void TTilvaneForm::ArrangePictureAreas() {
    const RECT panel = layout_.Get<TPanel>(idMainPanel)->Bounds();
    const int panelWidth = panel.right - panel.left;
    TGroupBox& originalBox = *layout_.Get<TGroupBox>(idOriginalPictureGroupBox);
    TGroupBox& puzzleBox = *layout_.Get<TGroupBox>(idPuzzlePictureGroupBox);
    const RECT original = originalBox.Bounds();
    const int margin = original.left;
    const double x = ClientWidth() * 0.35 - margin;
    const int originalWidth = static_cast<int>(panelWidth > x ? panelWidth : x);
    const int leftWidth = std::max(originalWidth, panelWidth);
    const int puzzleWidth = ClientWidth() - leftWidth - 2 * margin - Scaled(5);

    const int originalHeight = ClientHeight() - original.top - Scaled(5);
    originalBox.SetBounds(original.left, original.top, originalWidth, originalHeight);

    const RECT puzzle = puzzleBox.Bounds();
    const int puzzleHeight = ClientHeight() - puzzle.top - Scaled(5);
    puzzleBox.SetBounds(margin + leftWidth + Scaled(5), puzzle.top, puzzleWidth, puzzleHeight);
    view_->PlaceImages();
}

// A hint stays on top of every window: when the player turns to another one, it goes.
LRESULT TTilvaneForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE && view_) view_->HideHint();
    // Messages arrive while the window is made, before the play time exists.
    if (playTime_ && playTime_->HandleMessage(message, wParam)) return 0;
    if (message == WM_TIMER && view_ && view_->HandleTimer(wParam)) return 0;
    // The menu shows the choice as it is when it opens.
    if (message == WM_INITMENUPOPUP && view_)
        CheckMenuItem(reinterpret_cast<HMENU>(wParam), cmAnimateMoves,
                      MF_BYCOMMAND | (view_->Animated() ? MF_CHECKED : MF_UNCHECKED));
    if (message == WM_DROPFILES) {
        if (pictures_) pictures_->OpenGivenFiles(TakeDroppedFiles(reinterpret_cast<HDROP>(wParam)));
        return 0;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}

void TTilvaneForm::OpenStartingFiles() {
    pictures_->OpenStartingFiles(games_->FirstStart() && !view_->PicturesShown());
}

void TTilvaneForm::OfferRecoveredGame() { games_->OfferRecoveredGame(); }

bool TTilvaneForm::FormCloseQuery() {
    if (!games_->MayReplaceGame()) return false;
    games_->SaveOptions();
    return true;
}

void TTilvaneForm::DpiChanged(int oldDpi) {
    if (!view_) return;
    view_->HideHint();
    layout_.Arrange(*this);
    ArrangePictureAreas();
    view_->FollowDpi(Dpi() > oldDpi, session_->CutGrid());
}
