// Where a new game's picture comes from. The report names of the commands are the window's, as
// they were.
#include "Tilvane/PictureSources.h"

#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Install.h"
#include "Include/Program.h"
#include "Include/Utilities.h"

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";
// Free pictures of every kind, good material for puzzles.
const char* const WallpapersAddress = "https://commons.wikimedia.org/wiki/Commons:Featured_pictures";

}  // namespace

std::string GetSamplesDirectory() { return GetProgramDirectory() + "Sample pictures\\"; }

// The picture filter lists every pattern the decoders know.
TPictureSources::TPictureSources(TForm& window, const TPictureEngine& engine, TGameSession& session,
                                 TSavedGames& games)
    : window_(window), engine_(engine), session_(session), games_(games) {
    const std::string& patterns = engine_.Patterns();
    loadPictureDialog_.Filter = "Picture (" + patterns + ")|" + patterns;
    loadPictureDialog_.FileName = session_.PicturePath();
}

void TPictureSources::LoadPictureCommand() {
    RunShowingOperation(Module, "TTilvaneForm::LoadPictureMenuClick", __LINE__, "Failed to load file.",
                        [&](TFunOperation& op) {
        // A player who has not loaded a picture yet is shown the samples first.
        const std::string& picturePath = session_.PicturePath();
        const bool anyPictureLoaded = engine_.IsPictureFile(picturePath);
        ChoosePictureFrom(op, anyPictureLoaded || !PathExists(GetSamplesDirectory()) ? picturePath
                                                                                     : GetSamplesDirectory() + "*");
    });
}

void TPictureSources::SamplePicturesCommand() {
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
void TPictureSources::ChoosePictureFrom(TFunOperation& op, const std::string& start) {
    loadPictureDialog_.FileName = start;
    if (!loadPictureDialog_.Execute(window_.Handle())) return;
    NewGameFromPicture(loadPictureDialog_.FileName);
    op.TakeCurrent();
}

void TPictureSources::NeighbourPictureCommand(TWalkDirection direction) {
    const bool next = direction == TWalkDirection::Next;
    RunShowingOperation(Module, next ? "TTilvaneForm::NextPictureMenuClick" : "TTilvaneForm::PreviousPictureMenuClick",
                        __LINE__, "Failed to load file.",
                        [&](TFunOperation& op) { LoadNeighbourPicture(op, direction); });
}

void TPictureSources::ReloadPictureCommand() {
    RunShowingOperation(Module, "TTilvaneForm::ReloadCurrentPictureMenuClick", __LINE__, "Failed to load file.",
               [&](TFunOperation& op) {
                   NewGameFromPicture(session_.PicturePath());
                   op.TakeCurrent();
               });
}

void TPictureSources::OpenPictureCommand() {
    RunShowingOperation(Module, "TTilvaneForm::OpenPictureMenuClick", __LINE__, "Failed to open file.",
                        [&](TFunOperation& op) {
        RunFile(session_.PicturePath(), "", "", true, false, window_.Handle());
        op.TakeCurrent();
    });
}

void TPictureSources::WallpapersCommand() {
    RunFile(WallpapersAddress, "", "", true, false, window_.Handle());
    ShowCurrentFailure(Module, __LINE__, "Failed to open link.");
}

// The next or previous picture of the current picture's folder, as a new game; without a current
// picture, the first or last of the samples.
void TPictureSources::LoadNeighbourPicture(TFunOperation& op, TWalkDirection direction) {
    const std::string& picturePath = session_.PicturePath();
    const bool anyPictureLoaded = engine_.IsPictureFile(picturePath);
    const std::string folder = anyPictureLoaded ? DirectoryOfPath(picturePath) : GetSamplesDirectory();
    const std::string picture =
        NeighbourPictureIn(folder, anyPictureLoaded ? NameOfPath(picturePath) : std::string(), direction);
    if (picture.empty()) {
        op.Raise(__LINE__, fsError, "There is no picture in the folder.", folder);
        return;
    }
    NewGameFromPicture(folder + picture);
    op.TakeCurrent();
}

std::string TPictureSources::NeighbourPictureIn(const std::string& folder, const std::string& current,
                                             TWalkDirection direction) const {
    return NeighbourPicture(
        FileNamesIn(folder), current, direction, [this](const std::string& name) { return engine_.IsPictureFile(name); },
        CompareNamesNaturally);
}

// A player's first start shows a game of the first sample picture, as "Load picture" would with
// it; without samples the window stays empty, as at any other start.
void TPictureSources::LoadFirstSample() {
    const std::string sample = NeighbourPictureIn(GetSamplesDirectory(), std::string(), TWalkDirection::Next);
    if (!sample.empty()) OpenPictureFile(GetSamplesDirectory() + sample);
}

void TPictureSources::NewGameFromPicture(const std::string& path) {
    TFunOperation op(Module, "TTilvaneForm::LoadGameFromPicture", __LINE__);
    op.Guard(__LINE__, [&] {
        if (!engine_.IsPictureFile(path)) return;
        const bool mayReplace = games_.MayReplaceGame();
        if (op.TakeCurrent() || !mayReplace) return;
        if (!session_.StartFromPicture(path)) {
            op.TakeCurrent();
            return;
        }
        games_.NameAfterPicture(path);
    });
    op.EndShowing(__LINE__, "Failed to load game.");
}

void TPictureSources::OpenStartingFiles(bool offerFirstSample) {
    std::vector<std::string> files;
    for (int index = 1;; ++index) {
        const std::string parameter = GetProgramParameter(index);
        if (parameter.empty()) break;
        if (!IsUninstallParameter(parameter)) files.push_back(parameter);
    }
    if (!files.empty())
        OpenGivenFiles(files);
    else if (offerFirstSample)
        LoadFirstSample();
}

// A command line may spell a path in any way Windows takes (relative, short names, forward
// slashes); the game keeps the one full spelling, by which its results and the next picture of its
// folder are found.
void TPictureSources::OpenGivenFiles(const std::vector<std::string>& files) {
    for (const std::string& given : files) {
        const std::string file = ToFullPath(given);
        if (IsGameFileExtension(ExtensionOfPath(file))) {
            games_.OpenGameFile(file);
            return;
        }
        if (engine_.IsPictureFile(file)) {
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
void TPictureSources::OpenPictureFile(const std::string& path) {
    RunShowingOperation(Module, "TTilvaneForm::OpenPictureFile", __LINE__, "Failed to load file.",
                        [&](TFunOperation& op) {
        NewGameFromPicture(path);
        op.TakeCurrent();
    });
}

