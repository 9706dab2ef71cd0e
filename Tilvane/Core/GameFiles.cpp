#include "Tilvane/Core/GameFiles.h"

#include "Include/Core/PathText.h"

#include <algorithm>
#include <limits>

namespace {

const char* const Section = "TilvaneGame";
const char* const MapSection = "Map";
const int32_t MaxCount = std::numeric_limits<int32_t>::max();
// The options' name for the same setting: the game keeps the value the options had at its shuffle.
const char* const ShuffledWithFlippingKey = "AllowFlip";

// A cell's keys are numbered row by row over the grid in play: the number alone says where the
// cell stands, so a file never names a column or a row.
struct TCellKeys {
    std::string Column, Row, FlipHorizontal, FlipVertical;
    explicit TCellKeys(int32_t number) {
        const std::string n = std::to_string(number);
        Column = "C" + n;
        Row = "R" + n;
        FlipHorizontal = "FH" + n;
        FlipVertical = "FV" + n;
    }
};

// The grid, limited to the array: only defaults outside 1..30 can bring a grid out of it.
int32_t PlayColumns(const TPuzzleBoard& board) {
    return std::clamp(board.ResultedColumns, 0, TPuzzleBoard::MaxColumns);
}

int32_t PlayRows(const TPuzzleBoard& board) {
    return std::clamp(board.ResultedRows, 0, TPuzzleBoard::MaxRows);
}

void ReadGridAndCounters(const TTextStore& store, const TCommonKeys& keys, TPuzzleBoard& board) {
    board.ResultedColumns = keys.ColumnsCount;
    store.ReadInteger(Section, "ResultedColumns", board.ResultedColumns, TPuzzleBoard::MaxColumns, 1);
    board.ResultedRows = keys.RowsCount;
    store.ReadInteger(Section, "ResultedRows", board.ResultedRows, TPuzzleBoard::MaxRows, 1);
    int32_t movesCount = 0, wrongMoves = 0;
    store.ReadInteger(Section, "MovesCount", movesCount, MaxCount, 0);
    store.ReadInteger(Section, "WrongMoves", wrongMoves, MaxCount, 0);
    board.RestoreCounters(movesCount, wrongMoves);
}

// A cell missing from the map keeps its own piece, unmirrored.
void ReadMap(const TTextStore& store, TPuzzleBoard& board) {
    board.ResultedColumns = PlayColumns(board);
    board.ResultedRows = PlayRows(board);
    board.ResetPieces(board.ResultedColumns, board.ResultedRows);
    int32_t number = 0;
    for (int32_t row = 0; row < board.ResultedRows; ++row)
        for (int32_t column = 0; column < board.ResultedColumns; ++column, ++number) {
            PieceCell& cell = board.Pieces[column][row];
            const TCellKeys keys(number);
            store.ReadInteger(MapSection, keys.Column, cell.SourceColumn, board.ResultedColumns - 1, 0);
            store.ReadInteger(MapSection, keys.Row, cell.SourceRow, board.ResultedRows - 1, 0);
            store.ReadBool(MapSection, keys.FlipHorizontal, cell.FlipHorizontal);
            store.ReadBool(MapSection, keys.FlipVertical, cell.FlipVertical);
        }
}

// Empty when the file has no such key: an older file, which the caller fills in its own way.
std::optional<bool> ReadOptionalBool(const TTextStore& store, const std::string& key) {
    std::string_view text;
    if (!store.FindValue(Section, key, text)) return std::nullopt;
    bool value = false;
    store.ReadBool(Section, key, value);
    return value;
}

void WriteMap(TTextStore& store, const TPuzzleBoard& board) {
    const int32_t columns = PlayColumns(board), rows = PlayRows(board);
    int32_t number = 0;
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column, ++number) {
            const PieceCell& cell = board.Pieces[column][row];
            const TCellKeys keys(number);
            store.WriteInteger(MapSection, keys.Column, cell.SourceColumn);
            store.WriteInteger(MapSection, keys.Row, cell.SourceRow);
            store.WriteBool(MapSection, keys.FlipHorizontal, cell.FlipHorizontal);
            store.WriteBool(MapSection, keys.FlipVertical, cell.FlipVertical);
        }
}

}  // namespace

bool operator==(const TCommonKeys& a, const TCommonKeys& b) {
    return a.ColumnsCount == b.ColumnsCount && a.RowsCount == b.RowsCount && a.LightGrid == b.LightGrid &&
           a.PicturePath == b.PicturePath;
}

bool operator!=(const TCommonKeys& a, const TCommonKeys& b) { return !(a == b); }

bool operator==(const TGameOptions& a, const TGameOptions& b) {
    return a.Keys == b.Keys && a.AllowFlip == b.AllowFlip && a.LastGamePath == b.LastGamePath &&
           a.AnimateMoves == b.AnimateMoves;
}

bool operator!=(const TGameOptions& a, const TGameOptions& b) { return !(a == b); }

TCommonKeys ReadCommonKeys(const TTextStore& store, const TCommonKeys& defaults) {
    TCommonKeys keys = defaults;
    store.ReadInteger(Section, "ColumnsCount", keys.ColumnsCount, TPuzzleBoard::MaxColumns, 5);
    store.ReadInteger(Section, "RowsCount", keys.RowsCount, TPuzzleBoard::MaxRows, 5);
    keys.LightGrid = false;
    store.ReadBool(Section, "LightGrid", keys.LightGrid);
    store.ReadString(Section, "PictureTitle", keys.PicturePath, true, MaxStoredPathLength);
    return keys;
}

TSavedGame ReadGame(const TTextStore& store, const TCommonKeys& defaults) {
    TSavedGame game;
    game.Keys = ReadCommonKeys(store, defaults);
    ReadGridAndCounters(store, game.Keys, game.Board);
    store.ReadInteger(Section, "PlayTime", game.PlaySeconds, MaxCount, 0);
    game.ShuffledWithFlipping = ReadOptionalBool(store, ShuffledWithFlippingKey);
    ReadMap(store, game.Board);
    return game;
}

TGameOptions ReadOptions(const TTextStore& store, const TGameOptions& defaults) {
    TGameOptions options = defaults;
    options.Keys = ReadCommonKeys(store, defaults.Keys);
    options.AllowFlip = false;
    store.ReadBool(Section, "AllowFlip", options.AllowFlip);
    // An empty last game would leave the file dialogs without a name to start from.
    store.ReadString(Section, "LastGameTitle", options.LastGamePath, false, MaxStoredPathLength);
    store.ReadBool(Section, "AnimateMoves", options.AnimateMoves);
    return options;
}

void WriteCommonKeys(TTextStore& store, const TCommonKeys& keys) {
    store.WriteInteger(Section, "ColumnsCount", keys.ColumnsCount);
    store.WriteInteger(Section, "RowsCount", keys.RowsCount);
    store.WriteBool(Section, "LightGrid", keys.LightGrid);
    store.WriteString(Section, "PictureTitle", keys.PicturePath);
}

void WriteGame(TTextStore& store, const TSavedGame& game) {
    store.Clear();
    WriteCommonKeys(store, game.Keys);
    const TPuzzleBoard& board = game.Board;
    store.WriteInteger(Section, "ResultedColumns", board.ResultedColumns);
    store.WriteInteger(Section, "ResultedRows", board.ResultedRows);
    store.WriteInteger(Section, "MovesCount", board.MovesCount());
    store.WriteInteger(Section, "WrongMoves", board.WrongMoves());
    store.WriteInteger(Section, "PlayTime", game.PlaySeconds);
    if (game.ShuffledWithFlipping) store.WriteBool(Section, ShuffledWithFlippingKey, *game.ShuffledWithFlipping);
    WriteMap(store, board);
}

void WriteOptions(TTextStore& store, const TGameOptions& options) {
    store.Clear();
    WriteCommonKeys(store, options.Keys);
    store.WriteBool(Section, "AllowFlip", options.AllowFlip);
    store.WriteString(Section, "LastGameTitle", options.LastGamePath);
    store.WriteBool(Section, "AnimateMoves", options.AnimateMoves);
}

bool IsPlayableGame(const TSavedGame& game) { return game.Board.HoldsEveryPieceOnce(); }

bool IsGameFileExtension(const std::string& extension) {
    return EqualIgnoringAsciiCase(extension, GameFileExtension);
}
