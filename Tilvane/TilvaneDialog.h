// The game window: the board, the two pictures, the option controls, counters and tips, the
// menu commands, the pointer play over the pictures, and the flows that load pictures and
// games and save them.
#pragma once

#include "Framework/FileDialog.h"
#include "Framework/Form.h"
#include "Framework/Hint.h"
#include "Framework/Image.h"
#include "Framework/Layout.h"
#include "Include/StoredTextList.h"
#include "Tilvane/Core/PuzzleBoard.h"

#include <cstdint>
#include <memory>
#include <string>

class TPicture;

class TTilvaneForm : public TForm, private TBoardView {
public:
    TTilvaneForm();
    ~TTilvaneForm() override;

    // Once, after every window exists: options, games folder, size and place.
    void BeforeRun();

    // Labels and layout.
    void ResetCounters();
    void ShowMoves() override;
    void ShowWrongMoves() override;
    void SetTip(const std::string& text);
    void SetTitle(const std::string& title);
    void ReadGridChoice();
    void ComputePieceSize();
    void ArrangeWindow();

    // Commands.
    void LoadPictureMenuClick();
    void ReloadCurrentPictureMenuClick();
    void OpenPictureMenuClick();
    void LoadLastGameMenuClick();
    void LoadGameMenuClick();
    void SaveGameMenuClick();
    void HideMeuClick();
    void RandomizeMenuClick();
    void GameWallpapersMenuClick();
    void HelpMenuClick();
    void AboutMenuClick();
    void LightGridCheckBoxClick();
    bool FormCloseQuery();

    // Games and options.
    bool CheckSave();
    bool LoadPicture(const std::string& path, bool newGame, bool ask);
    void LoadGameFromPicture(const std::string& path);
    void LoadGameFrom(const std::string& path);
    // True when the game was written.
    bool SaveGameTo(const std::string& path);
    // The four keys both files share, read with the present choices as defaults.
    struct TCommonKeys {
        int32_t ColumnsCount = 7;
        int32_t RowsCount = 7;
        bool LightGrid = false;
        std::string PicturePath;
    };
    TCommonKeys ReadCommonKeys(TStoredTextList& list);
    void ApplyCommonKeys(const TCommonKeys& keys);
    void ReadGame(TStoredTextList& list);
    void ReadOptions(TStoredTextList& list);
    void WriteCommonKeys(TStoredTextList& list);
    void WriteGame(TStoredTextList& list);
    void WriteOptions(TStoredTextList& list);
    static std::string GetGamesDirectory();
    static bool IsGameFileExtension(const std::string& extension);

    // Drawing.
    void DrawPiece(const PieceCell& cell, int32_t column, int32_t row);
    void DrawAllPieces();
    void SwapAndDrawPieces(int32_t column1, int32_t row1, int32_t column2, int32_t row2);
    void DrawCellOutline(TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t column, int32_t row,
                         bool mark);
    void DrawCellOutlines(int32_t column, int32_t row, bool mark);
    void DrawGrid(TImage& image, int32_t cellWidth, int32_t cellHeight, int32_t columns, int32_t rows);
    void DrawGrids(bool originalOnly);
    void MarkCell(int32_t column, int32_t row);
    void UnmarkCell();
    // The cell size of the original picture: its bitmap divided by the grid.
    int32_t OriginalCellWidth() const;
    int32_t OriginalCellHeight() const;

    // Pointer play.
    void UpdatePieceCursor(int32_t column, int32_t row) override;
    int32_t ColumnAtOriginalX(int x) const;
    int32_t RowAtOriginalY(int y) const;
    void GroupBoxMouseMove(TShiftState shift, int x, int y);
    void OriginalPictureImageMouseMove(TShiftState shift, int x, int y);
    void PuzzlePictureImageMouseMove(TShiftState shift, int x, int y);
    void PuzzlePictureImageMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void OriginalPictureImageMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void PuzzlePictureImageDragOver(TImage* source, int x, int y, bool& accept);
    void OriginalPictureImageDragOver(TImage* source, int x, int y, bool& accept);
    void PuzzlePictureImageDragDrop(TImage* source, int x, int y);
    void OriginalPictureImageDragDrop(TImage* source, int x, int y);

    TPuzzleBoard Board;
    int32_t ColumnsCount = 7;
    int32_t RowsCount = 7;
    int32_t PieceWidth = 0;
    int32_t PieceHeight = 0;
    int32_t MarkedColumn = 0;
    int32_t MarkedRow = 0;
    std::string PicturePath;
    std::string LastGamePath;
    std::string PictureExtensions;
    std::unique_ptr<TStoredTextList> OptionsList;
    std::unique_ptr<TStoredTextList> GameList;

    // Controls of the layout.
    TPanel* MainPanel = nullptr;
    TLabel* TipsLabel = nullptr;
    TComboBox* ColumnsCountComboBox = nullptr;
    TCheckBox* AllowFlipCheckBox = nullptr;
    TComboBox* RowsCountComboBox = nullptr;
    TCheckBox* LightGridCheckBox = nullptr;
    TLabel* PositionLabel = nullptr;
    TLabel* MovesCountLabel = nullptr;
    TLabel* WrongMovesLabel = nullptr;
    TLabel* RemainingCountLabel = nullptr;
    TGroupBox* OriginalPictureGroupBox = nullptr;
    TGroupBox* PuzzlePictureGroupBox = nullptr;
    // Made anew with every picture; owned here, shown inside their group boxes.
    std::unique_ptr<TImage> OriginalPictureImage;
    std::unique_ptr<TImage> PuzzlePictureImage;
    std::unique_ptr<TImage> BackupPictureImage;

    TFileDialog LoadPictureDialog{TFileDialog::Open};
    TFileDialog LoadGameDialog{TFileDialog::Open};
    TFileDialog SaveGameDialog{TFileDialog::Save};

private:
    // A saved game as read from its file, before it replaces the game on screen.
    struct TLoadingGame {
        TCommonKeys Keys;
        TPuzzleBoard Board;
    };
    void TakeOverGameWithPicture(const TLoadingGame& game);
    void TakeOverGame(const TLoadingGame& game);
    void PaintPictures(const TPicture& picture, int32_t maxColumns, int32_t maxRows);

    // Board hooks: drawing and labels after the board has changed cells.
    void DrawPiece(int32_t column, int32_t row) override;
    void DrawCellOutlines(int32_t column, int32_t row) override;

    void CreateLayout();
    void CreateMenu();
    bool PicturesShown() const;
    bool PictureMatchesPatterns(const std::string& path) const;
    void SetGameDialogNamesFromPicture(const std::string& path);
    void AttachPuzzleImageHandlers();
    void AttachOriginalImageHandlers();
    void MakeBackupImage();
    int PuzzleImageTop() const;
    int OriginalImageTop() const;
    bool SaveGameCommand();
    void ShowPieceHint(int32_t column, int32_t row);

    std::unique_ptr<TLoadingGame> loadingGame_;
    TLayout layout_;
    std::unique_ptr<THint> hint_;
    uintptr_t gdiplusToken_ = 0;
    std::string helpFile_;
    int helpContext_ = 0;
    TOwnedPen pens_[4];
};

extern TTilvaneForm* TilvaneForm;
