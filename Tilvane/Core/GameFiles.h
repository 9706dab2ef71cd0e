// The saved-game file and the options file: which keys they hold, in which order, and what a
// reader accepts. The window hands over what it shows as the defaults and takes a whole record
// back, so that the formats can be read and written without a window.
#pragma once

#include "Include/Core/TextStore.h"
#include "Tilvane/Core/PuzzleBoard.h"

#include <cstdint>
#include <optional>
#include <string>

inline constexpr char GameFileExtension[] = ".tvg";
inline constexpr char GameFileFilter[] = "Tilvane game (*.tvg)|*.tvg";
// The longest path either file keeps, in characters; a longer one in a file reads as missing.
inline constexpr int32_t MaxStoredPathLength = 259;

// The four keys both files share.
struct TCommonKeys {
    int32_t ColumnsCount = 7;
    int32_t RowsCount = 7;
    bool LightGrid = false;
    std::string PicturePath;
};

// A saved game: its common keys, the board (grid, cells, MovesCount, WrongMoves), its play time
// in seconds ("PlayTime"; a game saved before the clock existed has none and starts at 0) and
// whether it was shuffled with flipping ("AllowFlip", which its results are filed under; a game
// saved before that key existed has none, and the window guesses). The board has no view:
// nothing is drawn while a record is read or written.
struct TSavedGame {
    TCommonKeys Keys;
    TPuzzleBoard Board;
    int32_t PlaySeconds = 0;
    std::optional<bool> ShuffledWithFlipping;
};

// "AnimateMoves": whether moves slide and a solved puzzle fades in; on when missing.
struct TGameOptions {
    TCommonKeys Keys;
    bool AllowFlip = false;
    std::string LastGamePath;
    bool AnimateMoves = true;
};

bool operator==(const TCommonKeys& a, const TCommonKeys& b);
bool operator!=(const TCommonKeys& a, const TCommonKeys& b);
bool operator==(const TGameOptions& a, const TGameOptions& b);
bool operator!=(const TGameOptions& a, const TGameOptions& b);

// Readers keep the value of `defaults` where a key is missing or unacceptable. LightGrid and
// AllowFlip read as false when missing, whatever the default: a file without them was written
// with them off.
TCommonKeys ReadCommonKeys(const TTextStore& store, const TCommonKeys& defaults);
TSavedGame ReadGame(const TTextStore& store, const TCommonKeys& defaults);
TGameOptions ReadOptions(const TTextStore& store, const TGameOptions& defaults);

// The game and options writers clear the store first, then write in the file's key order.
void WriteCommonKeys(TTextStore& store, const TCommonKeys& keys);
void WriteGame(TTextStore& store, const TSavedGame& game);
void WriteOptions(TTextStore& store, const TGameOptions& options);

// A game the window may take over: a grid of 1..30 x 1..30 whose cells hold every piece once.
bool IsPlayableGame(const TSavedGame& game);
// ".tvg" in any letter case.
bool IsGameFileExtension(const std::string& extension);
