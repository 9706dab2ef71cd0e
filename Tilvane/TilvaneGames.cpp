// Games and options on disk: a new game from a picture, saved games loaded and saved, the save
// question before a game is replaced, and the options file of the player's settings.
#include "Tilvane/TilvaneDialog.h"

#include "Framework/WaitCursor.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/Core/PictureFit.h"
#include "Include/BitmapCanvas.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/MyGDIPlus.h"
#include "Include/Program.h"
#include "Include/Utilities.h"
#include "Tilvane/TilvaneIds.h"
#include "Tilvane/TilvaneProgram.h"

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";
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

}  // namespace

std::string GetGamesDirectory() { return GetDataDirectory() + "TilvaneGames\\"; }

std::string GetSamplesDirectory() { return GetProgramDirectory() + "Sample pictures\\"; }

// The next or previous picture of the current picture's folder, as a new game; without a current
// picture, the first or last of the samples.
void TTilvaneForm::LoadNeighbourPicture(TFunOperation& op, TWalkDirection direction) {
    const std::string& picturePath = session_->PicturePath();
    const bool anyPictureLoaded = engine_->IsPictureFile(picturePath);
    const std::string folder = anyPictureLoaded ? DirectoryOfPath(picturePath) : GetSamplesDirectory();
    const std::string picture =
        NeighbourPictureIn(folder, anyPictureLoaded ? NameOfPath(picturePath) : std::string(), direction);
    if (picture.empty()) {
        op.Raise(__LINE__, fsError, "There is no picture in the folder.", folder);
        return;
    }
    LoadGameFromPicture(folder + picture);
    op.TakeCurrent();
}

std::string TTilvaneForm::NeighbourPictureIn(const std::string& folder, const std::string& current,
                                             TWalkDirection direction) const {
    return NeighbourPicture(
        FileNamesIn(folder), current, direction, [this](const std::string& name) { return engine_->IsPictureFile(name); },
        CompareNamesNaturally);
}

// A player's first start shows a game of the first sample picture, as "Load picture" would with
// it; without samples the window stays empty, as at any other start.
void TTilvaneForm::LoadFirstSample() {
    const std::string sample = NeighbourPictureIn(GetSamplesDirectory(), std::string(), TWalkDirection::Next);
    if (!sample.empty()) OpenPictureFile(GetSamplesDirectory() + sample);
}

bool TTilvaneForm::CheckSave() {
    TFunOperation op(Module, "TTilvaneForm::CheckSave", __LINE__);
    bool mayReplace = false;
    op.Guard(__LINE__, [&] {
        if (!session_->Board().Modified()) {
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
            if (session_->PicturePath().empty())
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

void TTilvaneForm::LoadGameFromPicture(const std::string& path) {
    TFunOperation op(Module, "TTilvaneForm::LoadGameFromPicture", __LINE__);
    op.Guard(__LINE__, [&] {
        if (!engine_->IsPictureFile(path)) return;
        const bool mayReplace = CheckSave();
        if (op.TakeCurrent() || !mayReplace) return;
        if (!session_->StartFromPicture(path)) {
            op.TakeCurrent();
            return;
        }
        SetTitle("");
        SetGameDialogNamesFromPicture(path);
    });
    op.EndShowing(__LINE__, "Failed to load game.");
}

// The next save is offered under the picture's name, in the folder last used.
void TTilvaneForm::SetGameDialogNamesFromPicture(const std::string& path) {
    const std::string name = WithExtension(NameOfPath(path), GameFileExtension);
    LoadGameDialog.FileName = DirectoryOfPath(LoadGameDialog.FileName) + name;
    SaveGameDialog.FileName = DirectoryOfPath(SaveGameDialog.FileName) + name;
}

void TTilvaneForm::LoadGameFrom(const std::string& requestedPath) {
    TFunOperation op(Module, "TTilvaneForm::LoadGameFrom", __LINE__);
    // "Load last game" passes LastGamePath itself, which a save after the save question changes:
    // the game asked for is the one loaded.
    const std::string path = requestedPath;
    op.Guard(__LINE__, [&] {
        if (!IsGameFileExtension(ExtensionOfPath(path))) return;
        if (!PathExists(path)) {
            op.Raise(__LINE__, fsError, "There is no such file", path);
            return;
        }
        const bool mayReplace = CheckSave();
        if (op.TakeCurrent() || !mayReplace) return;
        const TWaitCursor busy;
        // The file is read aside; the game on screen changes only when all of it is usable.
        if (!GameList->LoadFrom(path)) {
            op.TakeCurrent();
            return;
        }
        const TSavedGame game = ReadGame(*GameList->Store(), session_->DefaultKeys());
        if (!IsPlayableGame(game)) {
            op.Raise(__LINE__, fsError, "The saved game is damaged: its cells do not hold every piece exactly once.",
                     path);
            return;
        }
        session_->TakeOver(game);
        if (op.TakeCurrent()) return;
        LastGamePath = path;
        SetTitle(path);
        SaveGameDialog.FileName = path;
    });
    op.EndPassing();
}

bool TTilvaneForm::SaveGameTo(const std::string& path) {
    if (!GameList->SaveAs(path, true)) return false;
    LastGamePath = path;
    session_->Board().MarkSaved();
    return true;
}

void TTilvaneForm::ApplyOptions(const TGameOptions& options) {
    session_->TakeKeys(options.Keys);
    panel_->SetFlippingAllowed(options.AllowFlip);
    LastGamePath = options.LastGamePath;
    LoadGameDialog.FileName = LastGamePath;
    SaveGameDialog.FileName = LastGamePath;
}

// Reads the options file once at start; closing the window writes it (FormCloseQuery). A file
// that cannot be read is reported here, once, with what follows from it.
void TTilvaneForm::LoadOptions() {
    TFunOperation op(Module, "TTilvaneForm::LoadOptions", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string optionsPath = GetDataDirectory() + OptionsFileName;
        OptionsList = std::make_unique<TStoredTextList>(optionsPath);
        OptionsList->LoadFailureText.clear();
        OptionsList->OnAfterLoad = [this](TStoredTextList& list) {
            ApplyOptions(ReadOptions(*list.Store(), TGameOptions{session_->DefaultKeys(), false, LastGamePath}));
        };
        OptionsList->OnBeforeSave = [this](TStoredTextList& list) {
            // The options keep the lists' present choice, which takes effect with the next picture.
            session_->TakeChosenGrid();
            WriteOptions(*list.Store(), TGameOptions{session_->CurrentKeys(), panel_->FlippingAllowed(), LastGamePath});
        };
        const std::string startingPath = StartingOptionsPath(optionsPath);
        firstStart_ = !PathExists(startingPath);
        OptionsList->LoadFrom(startingPath);
        op.TakeCurrent();
        OptionsList->FileName = optionsPath;
    });
    op.EndShowing(__LINE__, OptionsNotLoadedText);
}
