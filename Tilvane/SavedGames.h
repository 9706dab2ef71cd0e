// The player's files: saved games with "Load game", "Load last game" and "Save game" and their
// dialogs, the caption naming the game's file, the question before a modified game is replaced,
// the options file, and the game kept over a crash.
#pragma once

#include "Framework/FileDialog.h"
#include "Framework/Form.h"
#include "Include/StoredTextList.h"
#include "Tilvane/Core/GameFiles.h"
#include "Tilvane/GamePanel.h"
#include "Tilvane/GameSession.h"

#include <memory>
#include <string>

class TSavedGames {
public:
    TSavedGames(TForm& window, TGameSession& session, TGamePanel& panel);
    // Removes the crash writer first: it reads the game in play.
    ~TSavedGames();
    TSavedGames(const TSavedGames&) = delete;
    TSavedGames& operator=(const TSavedGames&) = delete;

    void LoadGameCommand();
    void LoadLastGameCommand();
    // True when the game was written to a file.
    bool SaveGameCommand();
    // A saved game dropped or named: loaded as "Load game" loads it, and offered next by its dialog.
    void OpenGameFile(const std::string& path);
    // A failure stays on the current record.
    void LoadGameFrom(const std::string& path);
    // True when the game was written.
    bool SaveGameTo(const std::string& path);
    // The save question before a modified game is replaced; true when it may be.
    bool MayReplaceGame();
    // A new game of the picture has no file yet: the caption names none, the next save the picture.
    void NameAfterPicture(const std::string& picturePath);
    void SetTitle(const std::string& gameFile);
    // Once at start: the games folder made, and the options read; a failure is shown here.
    void LoadOptions();
    void SaveOptions();
    // No options file was there to read: the player starts for the first time.
    bool FirstStart() const { return firstStart_; }
    // Once the window shows: the game a crash left behind is offered, and from then on the game
    // in play is kept over a crash.
    void OfferRecoveredGame();
    // The crash guard's writer: the game in play, only when it could be loaded again.
    void WriteRecoveredGame() const;

private:
    friend struct TTilvaneFormTestAccess;

    void NameDialogsAfterPicture(const std::string& picturePath);
    void ApplyOptions(const TGameOptions& options);
    bool LoadRecoveredGame(const std::string& path);

    TForm& window_;
    TGameSession& session_;
    TGamePanel& panel_;
    TFileDialog loadGameDialog_{TFileDialog::Open};
    TFileDialog saveGameDialog_{TFileDialog::Save};
    std::string lastGamePath_;
    std::unique_ptr<TStoredTextList> gameList_;
    std::unique_ptr<TStoredTextList> optionsList_;
    bool firstStart_ = false;
};

// Where the game dialogs start: "TilvaneGames\" in the data folder.
std::string GetGamesDirectory();
