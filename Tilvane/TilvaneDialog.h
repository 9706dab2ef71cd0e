// The game window: a frame over the parts that make the game. It keeps the layout table, builds
// the menu from the command table, routes the window's messages, follows a new DPI and closes;
// the parts do the rest, each in files named after it:
//   GamePanel        the tip, the grid lists, the check boxes, the position, counters, time label
//   PuzzleView       the two pictures and the play on them (PuzzlePictures: the three images)
//   PlayTime         the clock, the player's presence and the time label's timer
//   BestResultsBook  the results file and its window
//   GameSession      the game in play: its board, picture, grid, flipping and light grid
//   SavedGames       saved games, the caption, the save question, the options, the crash copy
//   PictureSources   where a new game's picture comes from
// Calls go down, in that list from the bottom up; what goes up is a callback interface.
#pragma once

#include "Framework/Form.h"
#include "Framework/Layout.h"
#include "Include/MyGDIPlus.h"
#include "Tilvane/BestResultsBook.h"
#include "Tilvane/GamePanel.h"
#include "Tilvane/GameSession.h"
#include "Tilvane/PictureSources.h"
#include "Tilvane/PlayTime.h"
#include "Tilvane/PuzzleView.h"
#include "Tilvane/SavedGames.h"

#include <memory>

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

    void CreateLayout();
    void CreateMenu();
    void ArrangeWindow();
    void ArrangePictureAreas();
    bool FormCloseQuery();

    TLayout layout_;
    // Made in this order, the view before the session that shows its board in it, and gone in the
    // reverse order; the destructor takes the saved games, then the view, first.
    std::unique_ptr<TPictureEngine> engine_;  // GDI+ runs until the last picture has gone
    std::unique_ptr<TGamePanel> panel_;
    std::unique_ptr<TPuzzleView> view_;
    std::unique_ptr<TPlayTime> playTime_;
    std::unique_ptr<TBestResultsBook> results_;
    std::unique_ptr<TGameSession> session_;
    std::unique_ptr<TSavedGames> games_;  // with the crash writer that reads the session
    std::unique_ptr<TPictureSources> pictures_;
};
