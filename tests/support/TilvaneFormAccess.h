// In-process tests and benchmarks reach inside the game window through this one friend: its
// state stays private to the program, and a test names exactly what it looks at.
#pragma once

#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneIds.h"

#include <cstdint>
#include <vector>

struct TTilvaneFormTestAccess {
    explicit TTilvaneFormTestAccess(TTilvaneForm& form)
        : Form(form), Board(form.session_->board_), ColumnsCount(form.session_->cutGrid_.Columns),
          RowsCount(form.session_->cutGrid_.Rows), PieceWidth(form.view_->pictures_.piece_.Width),
          PieceHeight(form.view_->pictures_.piece_.Height), PicturePath(form.session_->picturePath_),
          LastGamePath(form.games_->lastGamePath_), TipsLabel(*form.panel_->tipsLabel_),
          PositionLabel(*form.panel_->positionLabel_), MovesCountLabel(*form.panel_->movesCountLabel_),
          WrongMovesLabel(*form.panel_->wrongMovesLabel_), RemainingCountLabel(*form.panel_->remainingCountLabel_),
          ColumnsCountComboBox(*form.panel_->columnsList_), RowsCountComboBox(*form.panel_->rowsList_),
          AllowFlipCheckBox(*form.panel_->allowFlipCheckBox_), LightGridCheckBox(*form.panel_->lightGridCheckBox_),
          OriginalPictureGroupBox(*form.layout_.Get<TGroupBox>(idOriginalPictureGroupBox)),
          PuzzlePictureGroupBox(*form.layout_.Get<TGroupBox>(idPuzzlePictureGroupBox)),
          PuzzlePictureImage(form.view_->pictures_.puzzle_), OriginalPictureImage(form.view_->pictures_.original_),
          BackupPictureImage(form.view_->pictures_.backup_), Hint(*form.view_->hint_),
          PlayTimeLabel(form.panel_->PlayTimeLabel()), Clock(form.playTime_->clock_),
          BestResults(form.results_->results_), Motion(form.view_->motion_) {}

    void LoadGameFromPicture(const std::string& path) { Form.pictures_->NewGameFromPicture(path); }
    void NextPictureMenuClick() { Form.pictures_->NeighbourPictureCommand(TWalkDirection::Next); }
    void LoadGameFrom(const std::string& path) { Form.games_->LoadGameFrom(path); }
    bool SaveGameTo(const std::string& path) { return Form.games_->SaveGameTo(path); }
    void RandomizeMenuClick() { Form.session_->Shuffle(); }
    void SaveGameMenuClick() { Form.games_->SaveGameCommand(); }
    bool CheckSave() { return Form.games_->MayReplaceGame(); }
    void ReadGridChoice() { Form.session_->TakeChosenGrid(); }
    void ArrangeWindow() { Form.ArrangeWindow(); }
    std::vector<TPictureSize> PictureAreas() const { return Form.view_->PictureAreas(); }
    void SetTitle(const std::string& title) { Form.games_->SetTitle(title); }
    void WriteRecoveredGame() { Form.games_->WriteRecoveredGame(); }
    void OpenGivenFiles(const std::vector<std::string>& files) { Form.pictures_->OpenGivenFiles(files); }
    void UndoMoveMenuClick() { Form.view_->TakeBackMove(); }
    void RedoMoveMenuClick() { Form.view_->MakeMoveAgain(); }
    void LoadBestResults() { Form.results_->Load(); }
    void ShowBoard() { Form.view_->ShowBoard(); }

    TTilvaneForm& Form;
    TPuzzleBoard& Board;
    int32_t& ColumnsCount;
    int32_t& RowsCount;
    int32_t& PieceWidth;
    int32_t& PieceHeight;
    std::string& PicturePath;
    std::string& LastGamePath;
    TLabel& TipsLabel;
    TLabel& PositionLabel;
    TLabel& MovesCountLabel;
    TLabel& WrongMovesLabel;
    TLabel& RemainingCountLabel;
    TComboBox& ColumnsCountComboBox;
    TComboBox& RowsCountComboBox;
    TCheckBox& AllowFlipCheckBox;
    TCheckBox& LightGridCheckBox;
    TGroupBox& OriginalPictureGroupBox;
    TGroupBox& PuzzlePictureGroupBox;
    std::unique_ptr<TImage>& PuzzlePictureImage;
    std::unique_ptr<TImage>& OriginalPictureImage;
    std::unique_ptr<TImage>& BackupPictureImage;
    THint& Hint;
    TLabel& PlayTimeLabel;
    TPlayClock& Clock;
    TBestResults& BestResults;
    TPieceMotion& Motion;
};

// The pixels of an image's bitmap, row by row; empty without a bitmap.
inline std::vector<uint32_t> PixelsOf(const TImage& image) {
    const uint32_t* pixels = image.Pixels();
    return pixels ? std::vector<uint32_t>(pixels, pixels + static_cast<size_t>(image.BitmapWidth()) * image.BitmapHeight())
                  : std::vector<uint32_t>();
}
