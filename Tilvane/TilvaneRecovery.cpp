// The game in progress kept over a crash: the crash guard has it written to a file in the data
// folder, and the next start offers it once.
#include "Tilvane/TilvaneDialog.h"

#include "Include/Core/FunOperation.h"
#include "Include/CrashGuard.h"
#include "Include/Dialogs.h"
#include "Include/File.h"
#include "Include/FileReplace.h"
#include "Include/Program.h"

#include <windows.h>

namespace {

const char* const Module = "Tilvane\\TilvaneRecovery";
const char* const RecoveredGameFileName = "Recovered game.tvg";
const char* const RecoveredGameQuestion =
    "The program ended unexpectedly while a game was in progress. The game was kept. Load it?";
const char* const RecoveredGameKeptText =
    "Failed to load game. The recovered game was kept: the next start offers it again.";

std::string RecoveredGamePath() { return GetDataDirectory() + RecoveredGameFileName; }

}  // namespace

// Written as "Save game" writes it, with the same safe replacement, so that the file is whole or
// absent. A board caught half-way through a change is no game to come back to, and is not written.
void TTilvaneForm::WriteRecoveredGame() const {
    const TSavedGame game = session_->CurrentGame();
    if (game.Keys.PicturePath.empty() || !IsPlayableGame(game)) return;
    TTextStore store;
    WriteGame(store, game);
    WriteFileReplacing(RecoveredGamePath(), store.ToBytes());
}

// After a No or a load that succeeded the file goes; after a failed load (its picture on a drive
// not there yet, say) it is the only copy of the game, kept and offered again at the next start.
void TTilvaneForm::OfferRecoveredGame() {
    TFunOperation op(Module, "TTilvaneForm::OfferRecoveredGame", __LINE__);
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
bool TTilvaneForm::LoadRecoveredGame(const std::string& path) {
    const std::string lastGame = LastGamePath, saveName = SaveGameDialog.FileName;
    LoadGameFrom(path);
    if (CurrentFunStatContext.Failed()) return false;
    // The recovered file goes: the game is the player's unsaved work again.
    LastGamePath = lastGame;
    SaveGameDialog.FileName = saveName;
    SetTitle("");
    SetGameDialogNamesFromPicture(session_->PicturePath());
    session_->Board().MarkUnsaved();
    return true;
}
