// The game in play: its board, the picture it was cut from and the grid chosen then, the flipping
// it was shuffled with and the "Light grid" it is saved with. Games start, are shuffled, played
// and solved here; the view shows them, the panel and the play time tell them. It opens no dialog.
#pragma once

#include "Include/MyGDIPlus.h"
#include "Tilvane/BestResultsBook.h"
#include "Tilvane/Core/GameFiles.h"
#include "Tilvane/Core/PuzzleBoard.h"
#include "Tilvane/GamePanel.h"
#include "Tilvane/PlayTime.h"
#include "Tilvane/PuzzleView.h"

#include <atomic>
#include <string>

class TGameSession : private TPuzzleViewOwner {
public:
    // Shows its board in the view, which tells it of the moves from then on.
    TGameSession(TPuzzleView& view, TGamePanel& panel, TPlayTime& playTime, TBestResultsBook& results,
                 const TPictureEngine& engine);
    TGameSession(const TGameSession&) = delete;
    TGameSession& operator=(const TGameSession&) = delete;

    TPuzzleBoard& Board() { return board_; }
    TPuzzleView& View() { return view_; }
    const std::string& PicturePath() const { return picturePath_; }
    // The grid chosen when the picture was cut.
    TGridChoice CutGrid() const { return cutGrid_; }

    // A new game of the picture, cut as the lists say. False (the failure raised on the current
    // record) when the file is missing or cannot be decoded or painted: nothing changed. Asks
    // nothing: the caller asked the save question.
    bool StartFromPicture(const std::string& path);
    // A playable saved game, painted on its grid, or without pictures when its picture is no
    // picture file. A failure is raised on the current record, and nothing changed then.
    void TakeOver(const TSavedGame& game);
    void Shuffle();

    // Reads no window, so that the crash guard's writer may ask for it too.
    TSavedGame CurrentGame() const;
    TCommonKeys CurrentKeys() const;
    // What a file's missing or unacceptable keys keep: the lists' present grid (a list without a
    // selection counts as 0, so that a game then reads its own grid or none) and the picture.
    TCommonKeys DefaultKeys() const;
    // Shown on the panel too.
    void TakeKeys(const TCommonKeys& keys);
    // The lists' choice becomes the game's grid, as it takes effect with the next picture.
    void TakeChosenGrid();
    // Either check box changed.
    void OptionsChanged();

private:
    friend struct TTilvaneFormTestAccess;

    // TPuzzleViewOwner.
    void MoveStarting() override;
    void MovesChanged() override;
    void WrongMoveMade() override;
    void ShowPosition(const std::string& text) override { panel_.ShowPosition(text); }
    bool LightGrid() const override { return panel_.LightGrid(); }
    bool MirroringAllowed() const override { return panel_.FlippingAllowed(); }

    bool LoadPicture(const std::string& path);
    void ResetCounters();
    void RecordSolve();
    void TakeOverWithPicture(const TSavedGame& game);
    void TakeOverWithoutPicture(const TSavedGame& game);
    bool SavedGameFitsPicture(TFunOperation& op, const TSavedGame& game, const TPicture& picture, TPieceSize& piece);

    TPuzzleView& view_;
    TGamePanel& panel_;
    TPlayTime& playTime_;
    TBestResultsBook& results_;
    const TPictureEngine& engine_;
    TPuzzleBoard board_;
    TGridChoice cutGrid_{7, 7};
    std::string picturePath_;
    // The flipping setting the game was shuffled with, part of what its results are kept under.
    bool flipping_ = false;
    // "Light grid" as last ticked, for the crash writer: it may run while the window thread stands
    // still and answers no message, so it cannot ask the check box.
    std::atomic<bool> lightGrid_{false};
};
