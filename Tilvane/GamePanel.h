// The panel above the original picture: the tip, the grid lists, "Allow flipping pieces" and
// "Light grid", the position, the counters and the play time's label. It takes the controls the
// window's layout made and gives them their meaning; no other part holds them.
#pragma once

#include "Framework/Controls.h"
#include "Framework/Layout.h"
#include "Tilvane/Core/GameFiles.h"
#include "Tilvane/PuzzlePictures.h"

#include <cstdint>
#include <string>

class TGamePanel {
public:
    // The lists get the grids 5 to 30, each at 7.
    explicit TGamePanel(const TLayout& layout);
    TGamePanel(const TGamePanel&) = delete;
    TGamePanel& operator=(const TGamePanel&) = delete;

    void SetTip(const std::string& tip);
    void ShowPosition(const std::string& text);
    // The moves made and the pieces still misplaced, or that the puzzle is solved.
    void ShowCounters(int32_t moves, int32_t misplaced);
    void ClearCounters();
    void ShowWrongMoves(int32_t wrongMoves);
    void ClearWrongMoves();

    // The lists' present choice; a list without a selection counts as 7.
    TGridChoice ChosenGrid() const;
    // The same, a list without a selection counting as 0: a file's default leaves its own grid.
    TGridChoice ListedGrid() const;
    // The grid lists and "Light grid" as a game or the options keep them.
    void ShowKeys(const TCommonKeys& keys);
    bool FlippingAllowed() const;
    void SetFlippingAllowed(bool allowed);
    bool LightGrid() const;
    TLabel& PlayTimeLabel() const { return *playTimeLabel_; }

    // Either check box changed, by the player or by the program.
    TNotifyEvent OnOptionClicked;

private:
    friend struct TTilvaneFormTestAccess;

    void TellOptionClicked() const;

    TLabel* tipsLabel_;
    TComboBox* columnsList_;
    TCheckBox* allowFlipCheckBox_;
    TComboBox* rowsList_;
    TCheckBox* lightGridCheckBox_;
    TLabel* positionLabel_;
    TLabel* movesCountLabel_;
    TLabel* wrongMovesLabel_;
    TLabel* remainingCountLabel_;
    TLabel* playTimeLabel_;
};
