// Where a new game's picture comes from: the picture dialog, the samples, the next or previous
// picture of the folder, and files named or dropped.
#include "Tilvane/TilvaneDialog.h"

#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/File.h"
#include "Include/Program.h"
#include "Include/Utilities.h"

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";

}  // namespace

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

void TTilvaneForm::LoadGameFromPicture(const std::string& path) {
    TFunOperation op(Module, "TTilvaneForm::LoadGameFromPicture", __LINE__);
    op.Guard(__LINE__, [&] {
        if (!engine_->IsPictureFile(path)) return;
        const bool mayReplace = games_->MayReplaceGame();
        if (op.TakeCurrent() || !mayReplace) return;
        if (!session_->StartFromPicture(path)) {
            op.TakeCurrent();
            return;
        }
        games_->NameAfterPicture(path);
    });
    op.EndShowing(__LINE__, "Failed to load game.");
}

