// The game window: layout, creation, preparation, labels and menu commands.
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneProgram.h"

#include "Framework/Application.h"
#include "Framework/FileDrop.h"
#include "Include/AboutDialog.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/CrashGuard.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Help.h"
#include "Include/Install.h"
#include "Include/MyGDIPlus.h"
#include "Include/Myrandom.h"
#include "Include/Program.h"
#include "Include/Utilities.h"
#include "Tilvane/TilvaneCommands.h"
#include "Tilvane/TilvaneIds.h"

#include <windows.h>

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";
// Free pictures of every kind, good material for puzzles.
const char* const WallpapersAddress = "https://commons.wikimedia.org/wiki/Commons:Featured_pictures";

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
    CreateLayout();
    CreateMenu();
    AcceptDroppedFiles(Handle());
    OnCloseQuery = [this] { return FormCloseQuery(); };
    // Exceptions that reach the message loop become reports.
    Application.OnException = [](void* sender, const std::string& message) {
        FunStatContext.OnApplicationException(sender, message);
    };
    helpFile_ = GetProgramDirectory() + "Help.hlp";
    helpContext_ = 100;
    engine_ = std::make_unique<TPictureEngine>();
    playTime_ = std::make_unique<TPlayTime>(*this, panel_->PlayTimeLabel());
    results_ = std::make_unique<TBestResultsBook>();
    session_ = std::make_unique<TGameSession>(*view_, *panel_, *playTime_, *results_, *engine_);
    games_ = std::make_unique<TSavedGames>(*this, *session_, *panel_);
    panel_->OnOptionClicked = [this] { session_->OptionsChanged(); };
    PrepareDialogs();
}

// The picture filter lists every pattern the decoders know.
void TTilvaneForm::PrepareDialogs() {
    const std::string& patterns = engine_->Patterns();
    LoadPictureDialog.Filter = "Picture (" + patterns + ")|" + patterns;
    LoadPictureDialog.FileName = session_->PicturePath();
}

TTilvaneForm::~TTilvaneForm() {
    games_.reset();
    // Every picture goes before the imaging library shuts down.
    view_.reset();
    engine_.reset();
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
    auto command = [this, bound](int id, void (TTilvaneForm::*handler)()) {
        return bound(id, [this, handler] { (this->*handler)(); });
    };
    std::vector<TMenuEntry> bar = {
        MenuPopup("&Work",
                  {
                      command(cmLoadPicture, &TTilvaneForm::LoadPictureMenuClick),
                      command(cmReloadCurrentPicture, &TTilvaneForm::ReloadCurrentPictureMenuClick),
                      command(cmOpenPicture, &TTilvaneForm::OpenPictureMenuClick),
                      command(cmNextPicture, &TTilvaneForm::NextPictureMenuClick),
                      command(cmPreviousPicture, &TTilvaneForm::PreviousPictureMenuClick),
                      command(cmPastePicture, &TTilvaneForm::PastePictureMenuClick),
                      MenuSeparator(),
                      bound(cmLoadLastGame, [this] { games_->LoadLastGameCommand(); }),
                      bound(cmLoadGame, [this] { games_->LoadGameCommand(); }),
                      bound(cmSaveGame, [this] { games_->SaveGameCommand(); }),
                      MenuSeparator(),
                      bound(cmUndoMove, [this] { view_->TakeBackMove(); }),
                      bound(cmRedoMove, [this] { view_->MakeMoveAgain(); }),
                      bound(cmBestResults, [this] { results_->ShowWindow(); }),
                      MenuSeparator(),
                      command(cmHide, &TTilvaneForm::HideMenuClick),
                  }),
        bound(cmRandomize, [this] { session_->Shuffle(); }),
        MenuPopup("Down&load pictures", {command(cmGameWallpapers, &TTilvaneForm::GameWallpapersMenuClick),
                                         command(cmSamplePictures, &TTilvaneForm::SamplePicturesMenuClick)}),
        command(cmHelp, &TTilvaneForm::HelpMenuClick),
        command(cmAbout, &TTilvaneForm::AboutMenuClick),
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

void TTilvaneForm::LoadPictureMenuClick() {
    RunShowingOperation(Module, "TTilvaneForm::LoadPictureMenuClick", __LINE__, "Failed to load file.",
                        [&](TFunOperation& op) {
        // A player who has not loaded a picture yet is shown the samples first.
        const std::string& picturePath = session_->PicturePath();
        const bool anyPictureLoaded = engine_->IsPictureFile(picturePath);
        ChoosePictureFrom(op, anyPictureLoaded || !PathExists(GetSamplesDirectory()) ? picturePath
                                                                                     : GetSamplesDirectory() + "*");
    });
}

void TTilvaneForm::SamplePicturesMenuClick() {
    RunShowingOperation(Module, "TTilvaneForm::SamplePicturesMenuClick", __LINE__, "Failed to load file.",
                        [&](TFunOperation& op) {
        if (!PathExists(GetSamplesDirectory())) {
            op.Raise(__LINE__, fsError, "There is no such folder.", GetSamplesDirectory());
            return;
        }
        ChoosePictureFrom(op, GetSamplesDirectory() + "*");
    });
}

// The Load picture dialog, starting at that file or pattern; the picture chosen starts a new game.
void TTilvaneForm::ChoosePictureFrom(TFunOperation& op, const std::string& start) {
    LoadPictureDialog.FileName = start;
    if (!LoadPictureDialog.Execute(Handle())) return;
    LoadGameFromPicture(LoadPictureDialog.FileName);
    op.TakeCurrent();
}

void TTilvaneForm::NextPictureMenuClick() {
    RunShowingOperation(Module, "TTilvaneForm::NextPictureMenuClick", __LINE__, "Failed to load file.",
               [&](TFunOperation& op) { LoadNeighbourPicture(op, TWalkDirection::Next); });
}

void TTilvaneForm::PreviousPictureMenuClick() {
    RunShowingOperation(Module, "TTilvaneForm::PreviousPictureMenuClick", __LINE__, "Failed to load file.",
               [&](TFunOperation& op) { LoadNeighbourPicture(op, TWalkDirection::Previous); });
}

void TTilvaneForm::ReloadCurrentPictureMenuClick() {
    RunShowingOperation(Module, "TTilvaneForm::ReloadCurrentPictureMenuClick", __LINE__, "Failed to load file.",
               [&](TFunOperation& op) {
                   LoadGameFromPicture(session_->PicturePath());
                   op.TakeCurrent();
               });
}

void TTilvaneForm::OpenPictureMenuClick() {
    RunShowingOperation(Module, "TTilvaneForm::OpenPictureMenuClick", __LINE__, "Failed to open file.",
                        [&](TFunOperation& op) {
        RunFile(session_->PicturePath(), "", "", true, false, Handle());
        op.TakeCurrent();
    });
}

void TTilvaneForm::HideMenuClick() { Application.Minimize(); }

void TTilvaneForm::GameWallpapersMenuClick() {
    RunFile(WallpapersAddress, "", "", true, false, Handle());
    ShowCurrentFailure(Module, __LINE__, "Failed to open link.");
}

void TTilvaneForm::HelpMenuClick() { ShowHelp(Handle(), helpFile_, helpContext_); }

void TTilvaneForm::AboutMenuClick() {
    if (AboutForm) AboutForm->Dialog();
}

// A hint stays on top of every window: when the player turns to another one, it goes.
LRESULT TTilvaneForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE && view_) view_->HideHint();
    // Messages arrive while the window is made, before the play time exists.
    if (playTime_ && playTime_->HandleMessage(message, wParam)) return 0;
    if (message == WM_DROPFILES) {
        OpenGivenFiles(TakeDroppedFiles(reinterpret_cast<HDROP>(wParam)));
        return 0;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}

void TTilvaneForm::OpenStartingFiles() {
    std::vector<std::string> files;
    for (int index = 1;; ++index) {
        const std::string parameter = GetProgramParameter(index);
        if (parameter.empty()) break;
        if (!IsUninstallParameter(parameter)) files.push_back(parameter);
    }
    if (!files.empty())
        OpenGivenFiles(files);
    else if (games_->FirstStart() && !view_->PicturesShown())
        LoadFirstSample();
}

// A command line may spell a path in any way Windows takes (relative, short names, forward
// slashes); the game keeps the one full spelling, by which its results and the next picture of its
// folder are found.
void TTilvaneForm::OpenGivenFiles(const std::vector<std::string>& files) {
    for (const std::string& given : files) {
        const std::string file = ToFullPath(given);
        if (IsGameFileExtension(ExtensionOfPath(file))) {
            games_->OpenGameFile(file);
            return;
        }
        if (engine_->IsPictureFile(file)) {
            OpenPictureFile(file);
            return;
        }
    }
    if (files.size() == 1)
        ShowWarning("\"" + NameOfPath(files[0]) + "\" is neither a picture nor a saved game (" + GameFileExtension +
                    "), so it was not opened.");
    else if (!files.empty())
        ShowWarning("None of the " + std::to_string(files.size()) + " files is a picture or a saved game (" +
                    GameFileExtension + "), so none was opened.");
}

// As "Load picture" with the file chosen.
void TTilvaneForm::OpenPictureFile(const std::string& path) {
    RunShowingOperation(Module, "TTilvaneForm::OpenPictureFile", __LINE__, "Failed to load file.",
                        [&](TFunOperation& op) {
        LoadGameFromPicture(path);
        op.TakeCurrent();
    });
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
