// The player's files: saved games loaded and saved, the save question before a game is
// replaced, the options file of the player's settings, and the game in play kept over a crash:
// the crash guard has it written to a file in the data folder, and the next start offers it once.
#include "Tilvane/SavedGames.h"

#include "Framework/WaitCursor.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/CrashGuard.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/FileReplace.h"
#include "Include/Program.h"
#include "Tilvane/TilvaneProgram.h"

#include <windows.h>

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";
const char* const RecoveryModule = "Tilvane\\TilvaneRecovery";
const char* const RecoveredGameFileName = "Recovered game.tvg";
const char* const RecoveredGameQuestion =
    "The program ended unexpectedly while a game was in progress. The game was kept. Load it?";
const char* const RecoveredGameKeptText =
    "Failed to load game. The recovered game was kept: the next start offers it again.";
const char* const NoPictureToSaveText =
    "The game cannot be saved: it has no picture. Answer No to go on without saving, or Cancel to keep it.";

std::string WithExtension(const std::string& name, const std::string& extension) {
    const size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

const char* const OptionsFileName = "Tilvane.ini";
// Said once, at start: a close that still cannot read the file leaves it without a word more.
const char* const OptionsNotLoadedText =
    "Failed to load the options. The game starts with the usual options. They are saved when the game closes "
    "only if the options file can be read by then; otherwise the file is left as it is and they last for this "
    "run only.";

// A copy moved into a folder it may not write still finds the options it wrote there before: they
// are read once, and from then on written to the data folder.
std::string StartingOptionsPath(const std::string& optionsPath) {
    const std::string besideProgram = GetProgramDirectory() + OptionsFileName;
    if (optionsPath == besideProgram || PathExists(optionsPath) || !PathExists(besideProgram)) return optionsPath;
    return besideProgram;
}

std::string RecoveredGamePath() { return GetDataDirectory() + RecoveredGameFileName; }

}  // namespace

std::string GetGamesDirectory() { return GetDataDirectory() + "TilvaneGames\\"; }

// Both game dialogs start in the games folder, which is also the "last game" before any game was
// loaded or saved.
TSavedGames::TSavedGames(TForm& window, TGameSession& session, TGamePanel& panel)
    : window_(window), session_(session), panel_(panel),
      gameList_(std::make_unique<TStoredTextList>(GetProgramDirectory())) {
    loadGameDialog_.Filter = GameFileFilter;
    loadGameDialog_.FileName = GetGamesDirectory() + "*" + GameFileExtension;
    saveGameDialog_.Filter = GameFileFilter;
    // A name typed without an extension gets the game's, so that "Load game" lists it.
    saveGameDialog_.DefaultExtension = std::string(GameFileExtension).substr(1);
    saveGameDialog_.FileName = loadGameDialog_.FileName;
    lastGamePath_ = saveGameDialog_.FileName;
    gameList_->LoadFailureText.clear();  // a game's load shows its failure with the command's own text
    gameList_->OnBeforeSave = [this](TStoredTextList& list) { WriteGame(*list.Store(), session_.CurrentGame()); };
}

TSavedGames::~TSavedGames() { SetCrashRecoveryWriter(nullptr); }

bool TSavedGames::MayReplaceGame() {
    TFunOperation op(Module, "TTilvaneForm::CheckSave", __LINE__);
    bool mayReplace = false;
    op.Guard(__LINE__, [&] {
        if (!session_.Board().Modified()) {
            mayReplace = true;
            return;
        }
        switch (AskYesNoCancel("The game has been modified. Save it?")) {
        case maNo:
            mayReplace = true;
            break;
        case maOkOrYes:
            // Only a game that was really written may be replaced or closed; a game without a
            // picture has nothing to be saved with, and the player is told so.
            if (session_.PicturePath().empty())
                ShowWarning(NoPictureToSaveText);
            else
                mayReplace = SaveGameCommand();
            break;
        default:
            mayReplace = false;
        }
    });
    op.EndPassing([&] { mayReplace = false; });
    return mayReplace;
}

void TSavedGames::NameAfterPicture(const std::string& picturePath) {
    SetTitle("");
    NameDialogsAfterPicture(picturePath);
}

// The next save is offered under the picture's name, in the folder last used.
void TSavedGames::NameDialogsAfterPicture(const std::string& path) {
    const std::string name = WithExtension(NameOfPath(path), GameFileExtension);
    loadGameDialog_.FileName = DirectoryOfPath(loadGameDialog_.FileName) + name;
    saveGameDialog_.FileName = DirectoryOfPath(saveGameDialog_.FileName) + name;
}

void TSavedGames::LoadGameFrom(const std::string& requestedPath) {
    TFunOperation op(Module, "TTilvaneForm::LoadGameFrom", __LINE__);
    // "Load last game" passes lastGamePath_ itself, which a save after the save question changes:
    // the game asked for is the one loaded.
    const std::string path = requestedPath;
    op.Guard(__LINE__, [&] {
        if (!IsGameFileExtension(ExtensionOfPath(path))) return;
        if (!PathExists(path)) {
            op.Raise(__LINE__, fsError, "There is no such file", path);
            return;
        }
        const bool mayReplace = MayReplaceGame();
        if (op.TakeCurrent() || !mayReplace) return;
        const TWaitCursor busy;
        // The file is read aside; the game on screen changes only when all of it is usable.
        if (!gameList_->LoadFrom(path)) {
            op.TakeCurrent();
            return;
        }
        const TSavedGame game = ReadGame(*gameList_->Store(), session_.DefaultKeys());
        if (!IsPlayableGame(game)) {
            op.Raise(__LINE__, fsError, "The saved game is damaged: its cells do not hold every piece exactly once.",
                     path);
            return;
        }
        session_.TakeOver(game);
        if (op.TakeCurrent()) return;
        lastGamePath_ = path;
        SetTitle(path);
        saveGameDialog_.FileName = path;
    });
    op.EndPassing();
}

bool TSavedGames::SaveGameTo(const std::string& path) {
    if (!gameList_->SaveAs(path, true)) return false;
    lastGamePath_ = path;
    session_.Board().MarkSaved();
    return true;
}

void TSavedGames::ApplyOptions(const TGameOptions& options) {
    session_.TakeKeys(options.Keys);
    panel_.SetFlippingAllowed(options.AllowFlip);
    session_.View().SetAnimated(options.AnimateMoves);
    lastGamePath_ = options.LastGamePath;
    loadGameDialog_.FileName = lastGamePath_;
    saveGameDialog_.FileName = lastGamePath_;
}

// Reads the options file once at start; closing the window writes it (SaveOptions). A file that
// cannot be read is reported here, once, with what follows from it.
void TSavedGames::LoadOptions() {
    // The games folder is only where the game dialogs start; without it they start elsewhere, so
    // an existing folder or a refusal is no failure.
    ClearLastError();
    CreateDirectoryA(GetGamesDirectory().c_str(), nullptr);
    TFunOperation op(Module, "TTilvaneForm::LoadOptions", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string optionsPath = GetDataDirectory() + OptionsFileName;
        optionsList_ = std::make_unique<TStoredTextList>(optionsPath);
        optionsList_->LoadFailureText.clear();
        optionsList_->OnAfterLoad = [this](TStoredTextList& list) {
            ApplyOptions(ReadOptions(*list.Store(), TGameOptions{session_.DefaultKeys(), false, lastGamePath_,
                                                                 session_.View().Animated()}));
        };
        optionsList_->OnBeforeSave = [this](TStoredTextList& list) {
            // The options keep the lists' present choice, which takes effect with the next picture.
            session_.TakeChosenGrid();
            WriteOptions(*list.Store(), TGameOptions{session_.CurrentKeys(), panel_.FlippingAllowed(), lastGamePath_,
                                                     session_.View().Animated()});
        };
        const std::string startingPath = StartingOptionsPath(optionsPath);
        firstStart_ = !PathExists(startingPath);
        optionsList_->LoadFrom(startingPath);
        op.TakeCurrent();
        optionsList_->FileName = optionsPath;
    });
    op.EndShowing(__LINE__, OptionsNotLoadedText);
}

void TSavedGames::SaveOptions() {
    if (optionsList_) optionsList_->Save(false);
}

void TSavedGames::SetTitle(const std::string& title) {
    window_.SetText(title.empty() ? std::string(ProgramName) : std::string(ProgramName) + " - " + title);
}

void TSavedGames::LoadLastGameCommand() {
    // A game saved under another name (by an older version, or renamed since) is no game to load;
    // the player is told why nothing happens.
    if (!IsGameFileExtension(ExtensionOfPath(lastGamePath_))) {
        ShowWarning("The last game \"" + NameOfPath(lastGamePath_) + "\" was not loaded: a saved game's name ends in \"" +
                    GameFileExtension + "\". Rename the file to end in \"" + GameFileExtension +
                    "\" to load it.");
        return;
    }
    RunShowingOperation(Module, "TTilvaneForm::LoadLastGameMenuClick", __LINE__, "Failed to load last game.",
                        [&](TFunOperation& op) {
        LoadGameFrom(lastGamePath_);
        if (!op.TakeCurrent()) loadGameDialog_.FileName = lastGamePath_;
    });
}

void TSavedGames::LoadGameCommand() {
    RunShowingOperation(Module, "TTilvaneForm::LoadGameMenuClick", __LINE__, "Failed to load game.",
                        [&](TFunOperation& op) {
        if (!loadGameDialog_.Execute(window_.Handle())) return;
        LoadGameFrom(loadGameDialog_.FileName);
        op.TakeCurrent();
    });
}

bool TSavedGames::SaveGameCommand() {
    bool saved = false;
    RunShowingOperation(Module, "TTilvaneForm::SaveGameMenuClick", __LINE__, "Failed to save game.",
                        [&](TFunOperation& op) {
        if (session_.PicturePath().empty() || !saveGameDialog_.Execute(window_.Handle())) return;
        saved = SaveGameTo(saveGameDialog_.FileName);
        op.TakeCurrent();
    });
    return saved;
}

// As "Load game" with the file chosen, which its dialog then offers next.
void TSavedGames::OpenGameFile(const std::string& path) {
    RunShowingOperation(Module, "TTilvaneForm::OpenGameFile", __LINE__, "Failed to load game.", [&](TFunOperation& op) {
        LoadGameFrom(path);
        if (!op.TakeCurrent()) loadGameDialog_.FileName = path;
    });
}

// Written as "Save game" writes it, with the same safe replacement, so that the file is whole or
// absent. A board caught half-way through a change is no game to come back to, and is not written.
void TSavedGames::WriteRecoveredGame() const {
    const TSavedGame game = session_.CurrentGame();
    if (game.Keys.PicturePath.empty() || !IsPlayableGame(game)) return;
    TTextStore store;
    WriteGame(store, game);
    WriteFileReplacing(RecoveredGamePath(), store.ToBytes());
}

// After a No or a load that succeeded the file goes; after a failed load (its picture on a drive
// not there yet, say) it is the only copy of the game, kept and offered again at the next start.
void TSavedGames::OfferRecoveredGame() {
    TFunOperation op(RecoveryModule, "TTilvaneForm::OfferRecoveredGame", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string path = RecoveredGamePath();
        if (PathExists(path)) {
            if (!AskYesNo(RecoveredGameQuestion) || LoadRecoveredGame(path))
                DeleteFileA(path.c_str());
            else
                op.TakeCurrent();
        }
        SetCrashRecoveryWriter([this] { WriteRecoveredGame(); });
    });
    op.EndShowing(__LINE__, RecoveredGameKeptText);
}

// True when the game was loaded; a failure stays in the current record.
bool TSavedGames::LoadRecoveredGame(const std::string& path) {
    const std::string lastGame = lastGamePath_, saveName = saveGameDialog_.FileName;
    LoadGameFrom(path);
    if (CurrentFunStatContext.Failed()) return false;
    // The recovered file goes: the game is the player's unsaved work again.
    lastGamePath_ = lastGame;
    saveGameDialog_.FileName = saveName;
    SetTitle("");
    NameDialogsAfterPicture(session_.PicturePath());
    session_.Board().MarkUnsaved();
    return true;
}
