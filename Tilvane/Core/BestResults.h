// The player's best results: for every picture (its full path), grid and flipping setting, the
// shortest time, the fewest moves and the fewest wrong moves, each with the date it was reached.
// Kept in a settings-format file of one section per entry; a file that does not hold exactly
// such entries is refused whole, never half taken.
#pragma once

#include "Include/Core/TextStore.h"

#include <cstdint>
#include <string>
#include <vector>

struct TResultKey {
    std::string PicturePath;
    int32_t Columns = 0, Rows = 0;
    bool Flipping = false;
};
bool SameResultKey(const TResultKey& a, const TResultKey& b);

// Dates are "YYYY-MM-DD", as the player's calendar showed them.
struct TBestResult {
    TResultKey Key;
    int32_t Seconds = 0;
    std::string SecondsDate;
    int32_t Moves = 0;
    std::string MovesDate;
    int32_t WrongMoves = 0;
    std::string WrongMovesDate;
};

// What one solve did to the results of its picture, grid and setting.
struct TSolveOutcome {
    int32_t Seconds = 0;
    int32_t BestSeconds = 0;  // the best time now, this solve counted
    bool FirstSolve = false;
    bool BestTime = false;      // as short as the best so far, or shorter
    bool ShorterTime = false;   // shorter than any solve before
    bool FewerMoves = false;    // fewer moves than any solve before
    bool FewerWrongMoves = false;
};

class TBestResults {
public:
    // More entries than a player makes in a lifetime: a larger file is refused.
    static constexpr size_t MaxEntries = 10000;

    const std::vector<TBestResult>& Entries() const { return entries_; }
    const TBestResult* Find(const TResultKey& key) const;
    // A solved game; each record it beats or first sets takes the date. A new entry in a full
    // list takes the place of the one played longest ago.
    TSolveOutcome Record(const TResultKey& key, int32_t seconds, int32_t moves, int32_t wrongMoves,
                         const std::string& date);
    // True when there was such an entry.
    bool Forget(const TResultKey& key);
    void Clear() { entries_.clear(); }

    // The whole file, or nothing: an empty text when it was taken, else why it was refused.
    std::string Read(const TTextStore& store);
    void Write(TTextStore& store) const;

private:
    std::vector<TBestResult> entries_;
};

bool IsResultDate(const std::string& text);
// The day the entry was last bettered.
std::string LatestResultDate(const TBestResult& entry);

// The time label of a solved game: "Time: 3:07 (best)" or "Time: 3:07 (best 2:58)", with the
// fewest moves named when asked for.
std::string SolvedTimeText(const TSolveOutcome& outcome, bool nameFewerMoves);
