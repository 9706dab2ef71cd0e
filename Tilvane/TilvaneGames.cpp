// Games and options on disk: a new game from a picture, saved games loaded and saved, the save
// question before a game is replaced, and the options file of the player's settings.
#include "Tilvane/TilvaneDialog.h"

#include "Framework/WaitCursor.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/Core/PictureFit.h"
#include "Include/BitmapCanvas.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/MyGDIPlus.h"
#include "Include/Program.h"
#include "Include/Utilities.h"
#include "Tilvane/TilvaneIds.h"
#include "Tilvane/TilvaneProgram.h"

namespace {

const char* const Module = "Tilvane\\TilvaneDialog";
const char* const NoPictureToSaveText =
    "The game cannot be saved: it has no picture. Answer No to go on without saving, or Cancel to keep it.";

std::string WithExtension(const std::string& name, const std::string& extension) {
    const size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

const char* const OptionsFileName = "Tilvane.ini";
// Said once, at start: a close that still cannot read the file leaves it without a word more.
const char* const OptionsNotLoadedText =
    "Failed to load the options. The game starts with the usual options. They are saved when the game closes "
    "only if the options file can be read by then; otherwise the file is left as it is and they last for this "
    "run only.";

// A copy moved into a folder it may not write still finds the options it wrote there before: they
// are read once, and from then on written to the data folder.
std::string StartingOptionsPath(const std::string& optionsPath) {
    const std::string besideProgram = GetProgramDirectory() + OptionsFileName;
    if (optionsPath == besideProgram || PathExists(optionsPath) || !PathExists(besideProgram)) return optionsPath;
    return besideProgram;
}

}  // namespace

std::string GetGamesDirectory() { return GetDataDirectory() + "TilvaneGames\\"; }

std::string GetSamplesDirectory() { return GetProgramDirectory() + "Sample pictures\\"; }

// The next or previous picture of the current picture's folder, as a new game; without a current
// picture, the first or last of the samples.
void TTilvaneForm::LoadNeighbourPicture(TFunOperation& op, TWalkDirection direction) {
    const bool anyPictureLoaded = engine_->IsPictureFile(PicturePath);
    const std::string folder = anyPictureLoaded ? DirectoryOfPath(PicturePath) : GetSamplesDirectory();
    const std::string picture =
        NeighbourPictureIn(folder, anyPictureLoaded ? NameOfPath(PicturePath) : std::string(), direction);
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

bool TTilvaneForm::CheckSave() {
    TFunOperation op(Module, "TTilvaneForm::CheckSave", __LINE__);
    bool mayReplace = false;
    op.Guard(__LINE__, [&] {
        if (!Board.Modified()) {
            mayReplace = true;
            return;
        }
        switch (AskYesNoCancel("The game has been modified. Save it?")) {
        case maNo:
            mayReplace = true;
            break;
        case maOkOrYes:
            // Only a game that was really written may be replaced or closed; a game without a
            // picture has nothing to be saved with, and the player is told so.
            if (PicturePath.empty())
                ShowWarning(NoPictureToSaveText);
            else
                mayReplace = SaveGameCommand();
            break;
        default:
            mayReplace = false;
        }
    });
    op.EndPassing([&] { mayReplace = false; });
    return mayReplace;
}

bool TTilvaneForm::LoadPicture(const std::string& path, bool newGame, bool ask) {
    TFunOperation op(Module, "TTilvaneForm::LoadPicture", __LINE__);
    bool proceeded = false;
    op.Guard(__LINE__, [&] {
        if (ask) {
            const bool mayReplace = CheckSave();
            if (op.TakeCurrent() || !mayReplace) return;
        }
        proceeded = true;
        // After the question: the player answers it with the usual pointer.
        const TWaitCursor busy;
        panel_->ShowPosition("");
        // Whether the file exists and is a picture is known before anything of the game changes.
        if (!PathExists(path)) {
            op.Raise(__LINE__, fsError, "There is no such file.", path);
            return;
        }
        std::unique_ptr<TPicture> picture = LoadPictureFile(path, view_->PictureAreas());
        if (op.TakeCurrent()) return;
        const TGridChoice choice = panel_->ChosenGrid();
        if (!view_->ShowPicture(*picture, view_->PieceSizeFor(choice), TPuzzleBoard::MaxColumns,
                                TPuzzleBoard::MaxRows)) {
            op.TakeCurrent();
            return;
        }
        if (newGame) ResetCounters();
        PicturePath = path;
        SetTitle("");
        ColumnsCount = choice.Columns;
        RowsCount = choice.Rows;
        if (newGame) Board.ResetPieces(Board.ResultedColumns, Board.ResultedRows);
    });
    op.EndPassing();
    return proceeded;
}

void TTilvaneForm::LoadGameFromPicture(const std::string& path) {
    TFunOperation op(Module, "TTilvaneForm::LoadGameFromPicture", __LINE__);
    op.Guard(__LINE__, [&] {
        if (!engine_->IsPictureFile(path)) return;
        const bool proceeded = LoadPicture(path, true, true);
        if (op.TakeCurrent() || !proceeded) return;
        SetGameDialogNamesFromPicture(path);
        view_->ShowUnshuffled();
        panel_->SetTip(RandomizeTip);
        Board.ResetWrongMoves();
        panel_->ClearWrongMoves();
        view_->FocusPuzzle();
    });
    op.EndShowing(__LINE__, "Failed to load game.");
}

// The next save is offered under the picture's name, in the folder last used.
void TTilvaneForm::SetGameDialogNamesFromPicture(const std::string& path) {
    const std::string name = WithExtension(NameOfPath(path), GameFileExtension);
    LoadGameDialog.FileName = DirectoryOfPath(LoadGameDialog.FileName) + name;
    SaveGameDialog.FileName = DirectoryOfPath(SaveGameDialog.FileName) + name;
}

void TTilvaneForm::LoadGameFrom(const std::string& requestedPath) {
    TFunOperation op(Module, "TTilvaneForm::LoadGameFrom", __LINE__);
    // "Load last game" passes LastGamePath itself, which a save after the save question changes:
    // the game asked for is the one loaded.
    const std::string path = requestedPath;
    op.Guard(__LINE__, [&] {
        if (!IsGameFileExtension(ExtensionOfPath(path))) return;
        if (!PathExists(path)) {
            op.Raise(__LINE__, fsError, "There is no such file", path);
            return;
        }
        const bool mayReplace = CheckSave();
        if (op.TakeCurrent() || !mayReplace) return;
        const TWaitCursor busy;
        // The file is read aside; the game on screen changes only when all of it is usable.
        if (!GameList->LoadFrom(path)) {
            op.TakeCurrent();
            return;
        }
        const TSavedGame game = ReadGame(*GameList->Store(), ShownCommonKeys());
        if (!IsPlayableGame(game)) {
            op.Raise(__LINE__, fsError, "The saved game is damaged: its cells do not hold every piece exactly once.",
                     path);
            return;
        }
        if (engine_->IsPictureFile(game.Keys.PicturePath)) {
            TakeOverGameWithPicture(game);
            if (op.TakeCurrent()) return;
        } else {
            TakeOverGame(game);
            // Without a picture the old one must not stand for the new board.
            view_->HidePictures();
        }
        LastGamePath = path;
        SetTitle(path);
        SaveGameDialog.FileName = path;
    });
    op.EndPassing();
}

// Checks the game's picture, then takes the game over and paints it on the saved grid.
void TTilvaneForm::TakeOverGameWithPicture(const TSavedGame& game) {
    TFunOperation op(Module, "TTilvaneForm::TakeOverGameWithPicture", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string& picturePath = game.Keys.PicturePath;
        if (!PathExists(picturePath)) {
            op.Raise(__LINE__, fsError, "There is no such file.", picturePath);
            return;
        }
        std::unique_ptr<TPicture> picture = LoadPictureFile(picturePath, view_->PictureAreas());
        TPieceSize piece;
        if (op.TakeCurrent() || !SavedGameFitsPicture(op, game, *picture, piece)) return;
        // The game on screen changes only once the new pictures are painted and shown.
        if (!view_->ShowPicture(*picture, piece, game.Board.ResultedColumns, game.Board.ResultedRows)) {
            op.TakeCurrent();
            return;
        }
        panel_->ShowPosition("");
        TakeOverGame(game);
        SetTitle("");
        ReadGridChoice();
        view_->ShowBoard();
        panel_->SetTip(DragTip);
        MovesChanged();
        WrongMoveMade();
        view_->FocusPuzzle();
    });
    op.EndPassing();
}

// A saved game looks as it did: its picture is cut as a new game of its grid choice would cut it
// here. Only where that gives another grid (a game saved on a screen of another size) are the
// saved grid's pieces cut from the picture as it fits this screen; a picture too narrow or too
// flat for that grid is refused. Gives the piece size.
bool TTilvaneForm::SavedGameFitsPicture(TFunOperation& op, const TSavedGame& game, const TPicture& picture,
                                        TPieceSize& piece) {
    const int32_t columns = game.Board.ResultedColumns, rows = game.Board.ResultedRows;
    if (view_->PieceSizeOnGrid(TPictureSize{picture.Width(), picture.Height()},
                        TGridChoice{game.Keys.ColumnsCount, game.Keys.RowsCount}, columns, rows, piece))
        return true;
    op.Raise(__LINE__, fsError, "The saved game does not fit its picture: the picture is too narrow or too flat for " +
             std::to_string(columns) + " x " + std::to_string(rows) + " pieces.", picture.FileName());
    return false;
}

void TTilvaneForm::TakeOverGame(const TSavedGame& game) {
    ApplyCommonKeys(game.Keys);
    Board.TakeOverGame(game.Board);
    // A file saved before games kept their flipping setting: a game with mirrored pieces was
    // shuffled with flipping.
    gameFlipping_ = game.ShuffledWithFlipping.value_or(panel_->FlippingAllowed() || Board.HasMirroredPieces());
    playTime_->Restart(game.PlaySeconds);
}

bool TTilvaneForm::SaveGameTo(const std::string& path) {
    if (!GameList->SaveAs(path, true)) return false;
    LastGamePath = path;
    Board.MarkSaved();
    return true;
}

// What a file's missing or unacceptable keys keep: the lists' present grid (a list without a
// selection counts as 0, so that a game then reads its own grid or none) and the present picture.
TCommonKeys TTilvaneForm::ShownCommonKeys() {
    TCommonKeys keys;
    const TGridChoice listed = panel_->ListedGrid();
    keys.ColumnsCount = listed.Columns;
    keys.RowsCount = listed.Rows;
    keys.PicturePath = PicturePath;
    return keys;
}

// A game is written with the grid its picture was cut with, not the lists' present choice.
TSavedGame TTilvaneForm::CurrentGame() const {
    TSavedGame game;
    game.Keys = CurrentKeys();
    game.Board = Board;
    game.PlaySeconds = playTime_->ElapsedSeconds();
    game.ShuffledWithFlipping = gameFlipping_;
    return game;
}

TCommonKeys TTilvaneForm::CurrentKeys() const {
    return TCommonKeys{ColumnsCount, RowsCount, panel_->LightGrid(), PicturePath};
}

void TTilvaneForm::ApplyCommonKeys(const TCommonKeys& keys) {
    ColumnsCount = keys.ColumnsCount;
    RowsCount = keys.RowsCount;
    panel_->ShowKeys(keys);
    lightGridTicked_ = keys.LightGrid;
    PicturePath = keys.PicturePath;
}

void TTilvaneForm::ApplyOptions(const TGameOptions& options) {
    ApplyCommonKeys(options.Keys);
    panel_->SetFlippingAllowed(options.AllowFlip);
    LastGamePath = options.LastGamePath;
    LoadGameDialog.FileName = LastGamePath;
    SaveGameDialog.FileName = LastGamePath;
}

// Reads the options file once at start; closing the window writes it (FormCloseQuery). A file
// that cannot be read is reported here, once, with what follows from it.
void TTilvaneForm::LoadOptions() {
    TFunOperation op(Module, "TTilvaneForm::LoadOptions", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string optionsPath = GetDataDirectory() + OptionsFileName;
        OptionsList = std::make_unique<TStoredTextList>(optionsPath);
        OptionsList->LoadFailureText.clear();
        OptionsList->OnAfterLoad = [this](TStoredTextList& list) {
            ApplyOptions(ReadOptions(*list.Store(), TGameOptions{ShownCommonKeys(), false, LastGamePath}));
        };
        OptionsList->OnBeforeSave = [this](TStoredTextList& list) {
            // The options keep the lists' present choice, which takes effect with the next picture.
            ReadGridChoice();
            WriteOptions(*list.Store(), TGameOptions{CurrentKeys(), panel_->FlippingAllowed(), LastGamePath});
        };
        const std::string startingPath = StartingOptionsPath(optionsPath);
        firstStart_ = !PathExists(startingPath);
        OptionsList->LoadFrom(startingPath);
        op.TakeCurrent();
        OptionsList->FileName = optionsPath;
    });
    op.EndShowing(__LINE__, OptionsNotLoadedText);
}
