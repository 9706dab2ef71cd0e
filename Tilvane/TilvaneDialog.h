// The game window: the board, the two pictures, the option controls, counters and tips, the
// menu commands, the pointer play over the pictures, and the flows that load pictures and
// games and save them. Its parts live in files of their own:
//   TilvaneDialog.cpp       layout, creation, preparation, labels and menu commands
//   TilvaneGames.cpp        new games from pictures, saved games and the options file
//   TilvaneDrawing.cpp      pieces and cell outlines on the two pictures
//   TilvaneInteraction.cpp  the pointer over the pictures
//   TilvaneKeyboard.cpp     the keyboard on the puzzle
//   TilvaneDpi.cpp          the layout and the pictures again when the screen's DPI changes
//   TilvanePaste.cpp        pictures pasted from the clipboard
//   TilvaneProgress.cpp     the play time and the best results
// The rules of the game are the board's (Tilvane/Core/PuzzleBoard.h) and the file formats are
// Tilvane/Core/GameFiles.h; the window only shows them and turns input into their calls.
#pragma once

#include "Framework/FileDialog.h"
#include "Framework/Form.h"
#include "Framework/Hint.h"
#include "Framework/Image.h"
#include "Framework/Layout.h"
#include "Include/Core/PictureFit.h"
#include "Include/MyGDIPlus.h"
#include "Include/Owned.h"
#include "Include/StoredTextList.h"
#include "Tilvane/Core/BestResults.h"
#include "Tilvane/Core/GameFiles.h"
#include "Tilvane/Core/PictureWalk.h"
#include "Tilvane/Core/PuzzleBoard.h"
#include "Tilvane/BestResultsBook.h"
#include "Tilvane/GamePanel.h"
#include "Tilvane/GameSession.h"
#include "Tilvane/PlayTime.h"
#include "Tilvane/PuzzleView.h"
#include "Tilvane/SavedGames.h"
#include "Tilvane/TilvaneKeys.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFunOperation;

class TTilvaneForm : public TForm {
public:
    TTilvaneForm();
    ~TTilvaneForm() override;

    // Once, after every window exists: options, games folder, size and place.
    void BeforeRun();
    // Once the window shows: the game a crash left behind is offered, and from then on the game
    // in progress is kept over a crash.
    void OfferRecoveredGame();
    // Once the window shows: opens a file named on the command line, as "Open with" and a drop on
    // the program's icon name them; with none, the player's first start shows a sample picture.
    void OpenStartingFiles();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi) override;

private:
    // In-process tests and benchmarks look inside through this one friend.
    friend struct TTilvaneFormTestAccess;

    // Creation.
    void CreateLayout();
    void CreateMenu();
    void PrepareDialogs();

    // Labels and layout.
    void ArrangeWindow();
    void ArrangePictureAreas();

    // Commands.
    void LoadPictureMenuClick();
    void SamplePicturesMenuClick();
    void ChoosePictureFrom(TFunOperation& op, const std::string& start);
    void NextPictureMenuClick();
    void PreviousPictureMenuClick();
    void ReloadCurrentPictureMenuClick();
    void OpenPictureMenuClick();
    // A picture from the clipboard, written as a PNG file into the data folder and loaded from it
    // as a new game; copied files open as a drop.
    void PastePictureMenuClick();
    void HideMenuClick();
    void GameWallpapersMenuClick();
    void HelpMenuClick();
    void AboutMenuClick();
    bool FormCloseQuery();
    // Files dropped on the window or named on the command line: the first picture or saved game
    // among them starts a new game or is loaded, as its menu command would; with none, a warning.
    void OpenGivenFiles(const std::vector<std::string>& files);
    void OpenPictureFile(const std::string& path);

    // Games and options.
    void LoadNeighbourPicture(TFunOperation& op, TWalkDirection direction);
    // The picture's name; empty when the folder holds no picture.
    std::string NeighbourPictureIn(const std::string& folder, const std::string& current,
                                   TWalkDirection direction) const;
    void LoadFirstSample();
    void LoadGameFromPicture(const std::string& path);

    // GDI+ runs from before the first picture until after the last one has gone.
    std::unique_ptr<TPictureEngine> engine_;

    std::unique_ptr<TPlayTime> playTime_;
    std::unique_ptr<TBestResultsBook> results_;
    // Made after the view, whose board it is; outlives it.
    std::unique_ptr<TGameSession> session_;
    // Goes before the session, with the crash writer that reads it.
    std::unique_ptr<TSavedGames> games_;

    // Controls of the layout.
    std::unique_ptr<TGamePanel> panel_;
    // Made with the group boxes it shows the pictures in; gone before them, before the board it
    // shows and before GDI+ ends.
    std::unique_ptr<TPuzzleView> view_;

    TFileDialog LoadPictureDialog{TFileDialog::Open};

    TLayout layout_;
    std::string helpFile_;
    int helpContext_ = 0;
};

// The pictures that come with the game: "Sample pictures\" beside the program.
std::string GetSamplesDirectory();
