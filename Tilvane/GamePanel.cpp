#include "Tilvane/GamePanel.h"

#include "Include/Utilities.h"
#include "Tilvane/TilvaneIds.h"

TGamePanel::TGamePanel(const TLayout& layout)
    : tipsLabel_(layout.Get<TLabel>(idTipsLabel)),
      columnsList_(layout.Get<TComboBox>(idColumnsCountComboBox)),
      allowFlipCheckBox_(layout.Get<TCheckBox>(idAllowFlipCheckBox, [this] { TellOptionClicked(); })),
      rowsList_(layout.Get<TComboBox>(idRowsCountComboBox)),
      lightGridCheckBox_(layout.Get<TCheckBox>(idLightGridCheckBox, [this] { TellOptionClicked(); })),
      positionLabel_(layout.Get<TLabel>(idPositionLabel)),
      movesCountLabel_(layout.Get<TLabel>(idMovesCountLabel)),
      wrongMovesLabel_(layout.Get<TLabel>(idWrongMovesLabel)),
      remainingCountLabel_(layout.Get<TLabel>(idRemainingCountLabel)),
      playTimeLabel_(layout.Get<TLabel>(idPlayTimeLabel)) {
    for (int count = 5; count <= 30; ++count) {
        columnsList_->AddItem(std::to_string(count));
        rowsList_->AddItem(std::to_string(count));
    }
    columnsList_->SetSelectedText("7");
    rowsList_->SetSelectedText("7");
}

void TGamePanel::SetTip(const std::string& tip) { tipsLabel_->SetText(tip); }

void TGamePanel::ShowPosition(const std::string& text) { positionLabel_->SetText(text); }

void TGamePanel::ShowCounters(int32_t moves, int32_t misplaced) {
    movesCountLabel_->SetText("You have made " + std::to_string(moves) + " moves.");
    remainingCountLabel_->SetText(misplaced != 0 ? "There are " + std::to_string(misplaced) +
                                                       " pieces remaining to be placed correctly."
                                                 : std::string("The puzzle is solved."));
}

void TGamePanel::ClearCounters() {
    movesCountLabel_->SetText("");
    remainingCountLabel_->SetText("");
}

void TGamePanel::ShowWrongMoves(int32_t wrongMoves) {
    wrongMovesLabel_->SetText("You have made " + std::to_string(wrongMoves) + " wrong moves.");
}

void TGamePanel::ClearWrongMoves() { wrongMovesLabel_->SetText(""); }

TGridChoice TGamePanel::ChosenGrid() const {
    return TGridChoice{GetIntFromComboBox(columnsList_->Handle(), 5, 30, 7),
                       GetIntFromComboBox(rowsList_->Handle(), 5, 30, 7)};
}

TGridChoice TGamePanel::ListedGrid() const {
    return TGridChoice{GetIntFromComboBox(columnsList_->Handle()), GetIntFromComboBox(rowsList_->Handle())};
}

// Ticking the check box tells OnOptionClicked, as a player's click would.
void TGamePanel::ShowKeys(const TCommonKeys& keys) {
    columnsList_->SetSelectedText(std::to_string(keys.ColumnsCount));
    rowsList_->SetSelectedText(std::to_string(keys.RowsCount));
    lightGridCheckBox_->SetChecked(keys.LightGrid);
}

bool TGamePanel::FlippingAllowed() const { return allowFlipCheckBox_->Checked(); }

void TGamePanel::SetFlippingAllowed(bool allowed) { allowFlipCheckBox_->SetChecked(allowed); }

bool TGamePanel::LightGrid() const { return lightGridCheckBox_->Checked(); }

void TGamePanel::TellOptionClicked() const {
    if (OnOptionClicked) OnOptionClicked();
}
