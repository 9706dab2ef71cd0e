#include "Tilvane/Core/BestResults.h"

#include "Include/Core/PathText.h"
#include "Tilvane/Core/GameFiles.h"
#include "Tilvane/Core/PlayClock.h"
#include "Tilvane/Core/PuzzleBoard.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace {

const int32_t MaxCount = std::numeric_limits<int32_t>::max();

std::string SectionName(size_t index) { return "Result" + std::to_string(index + 1); }

bool ReadText(const TTextStore& store, const std::string& section, const std::string& key, std::string& value) {
    std::string_view found;
    if (!store.FindValue(section, key, found)) return false;
    value.assign(found.data(), found.size());
    return true;
}

// A value that must be there and within its range; -1 marks it missing or refused.
int32_t ReadRequired(const TTextStore& store, const std::string& section, const std::string& key, int32_t largest,
                     int32_t smallest) {
    int32_t value = -1;
    store.ReadInteger(section, key, value, largest, smallest);
    return value;
}

// Why the entry in this section cannot be taken; empty when it can.
std::string ReadEntry(const TTextStore& store, const std::string& section, TBestResult& entry) {
    std::string flipping;
    store.ReadString(section, "Picture", entry.Key.PicturePath, false, MaxStoredPathLength);
    if (entry.Key.PicturePath.empty()) return "no picture path of 1 to 259 characters";
    entry.Key.Columns = ReadRequired(store, section, "Columns", TPuzzleBoard::MaxColumns, 1);
    entry.Key.Rows = ReadRequired(store, section, "Rows", TPuzzleBoard::MaxRows, 1);
    entry.Seconds = ReadRequired(store, section, "BestTime", MaxCount, 0);
    entry.Moves = ReadRequired(store, section, "FewestMoves", MaxCount, 0);
    entry.WrongMoves = ReadRequired(store, section, "FewestWrongMoves", MaxCount, 0);
    if (entry.Key.Columns < 0 || entry.Key.Rows < 0 || entry.Seconds < 0 || entry.Moves < 0 || entry.WrongMoves < 0)
        return "a grid or result that is missing or out of range";
    if (!ReadText(store, section, "Flipping", flipping) || (flipping != "TRUE" && flipping != "FALSE"))
        return "a flipping setting that is neither TRUE nor FALSE";
    entry.Key.Flipping = flipping == "TRUE";
    if (!ReadText(store, section, "BestTimeDate", entry.SecondsDate) || !IsResultDate(entry.SecondsDate) ||
        !ReadText(store, section, "FewestMovesDate", entry.MovesDate) || !IsResultDate(entry.MovesDate) ||
        !ReadText(store, section, "FewestWrongMovesDate", entry.WrongMovesDate) || !IsResultDate(entry.WrongMovesDate))
        return "a date that is missing or not of the form YYYY-MM-DD";
    return "";
}

// Equal for the keys SameResultKey holds the same.
std::string FoldedKeyText(const TResultKey& key) {
    return std::to_string(key.Columns) + 'x' + std::to_string(key.Rows) + (key.Flipping ? '+' : '-') +
           FoldAsciiCase(key.PicturePath);
}

}  // namespace

bool SameResultKey(const TResultKey& a, const TResultKey& b) {
    // Windows does not tell paths apart by the case of their letters.
    return a.Columns == b.Columns && a.Rows == b.Rows && a.Flipping == b.Flipping &&
           EqualIgnoringAsciiCase(a.PicturePath, b.PicturePath);
}

const TBestResult* TBestResults::Find(const TResultKey& key) const {
    for (const TBestResult& entry : entries_)
        if (SameResultKey(entry.Key, key)) return &entry;
    return nullptr;
}

TSolveOutcome TBestResults::Record(const TResultKey& key, int32_t seconds, int32_t moves, int32_t wrongMoves,
                                   const std::string& date) {
    TSolveOutcome outcome;
    outcome.Seconds = seconds;
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const TBestResult& entry) { return SameResultKey(entry.Key, key); });
    if (found == entries_.end()) {
        // The file would otherwise grow past what is read back, and be refused whole at the next start.
        if (entries_.size() >= MaxEntries)
            entries_.erase(std::min_element(entries_.begin(), entries_.end(),
                                            [](const TBestResult& a, const TBestResult& b) {
                                                return LatestResultDate(a) < LatestResultDate(b);
                                            }));
        entries_.push_back(TBestResult{key, seconds, date, moves, date, wrongMoves, date});
        outcome.FirstSolve = outcome.BestTime = outcome.ShorterTime = outcome.FewerMoves = outcome.FewerWrongMoves = true;
        outcome.BestSeconds = seconds;
        return outcome;
    }
    TBestResult& entry = *found;
    outcome.BestTime = seconds <= entry.Seconds;
    outcome.ShorterTime = seconds < entry.Seconds;
    outcome.FewerMoves = moves < entry.Moves;
    outcome.FewerWrongMoves = wrongMoves < entry.WrongMoves;
    // A time equal to the best is the best, but the record keeps the day it was first reached.
    if (outcome.ShorterTime) entry.Seconds = seconds, entry.SecondsDate = date;
    if (outcome.FewerMoves) entry.Moves = moves, entry.MovesDate = date;
    if (outcome.FewerWrongMoves) entry.WrongMoves = wrongMoves, entry.WrongMovesDate = date;
    outcome.BestSeconds = entry.Seconds;
    return outcome;
}

bool TBestResults::Forget(const TResultKey& key) {
    const size_t before = entries_.size();
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const TBestResult& entry) { return SameResultKey(entry.Key, key); }),
                   entries_.end());
    return entries_.size() != before;
}

std::string TBestResults::Read(const TTextStore& store) {
    const std::vector<TTextSection>& sections = store.Sections();
    if (sections.size() > MaxEntries)
        return "it holds more than " + std::to_string(MaxEntries) + " entries";
    std::vector<TBestResult> read;
    // Looked up by their folded text: a file of many entries, compared each with each, would
    // hold up the start for seconds.
    std::unordered_set<std::string> keys;
    for (size_t index = 0; index < sections.size(); ++index) {
        const std::string name = SectionName(index);
        if (!EqualIgnoringAsciiCase(sections[index].Name, name))
            return "the section \"" + sections[index].Name + "\" stands where \"" + name + "\" belongs";
        TBestResult entry;
        const std::string refused = ReadEntry(store, name, entry);
        if (!refused.empty()) return "the section \"" + name + "\" holds " + refused;
        if (!keys.insert(FoldedKeyText(entry.Key)).second) return "the section \"" + name + "\" repeats an earlier entry";
        read.push_back(entry);
    }
    entries_ = std::move(read);
    return "";
}

void TBestResults::Write(TTextStore& store) const {
    store.Clear();
    for (size_t index = 0; index < entries_.size(); ++index) {
        const TBestResult& entry = entries_[index];
        const std::string section = SectionName(index);
        store.WriteString(section, "Picture", entry.Key.PicturePath);
        store.WriteInteger(section, "Columns", entry.Key.Columns);
        store.WriteInteger(section, "Rows", entry.Key.Rows);
        store.WriteBool(section, "Flipping", entry.Key.Flipping);
        store.WriteInteger(section, "BestTime", entry.Seconds);
        store.WriteString(section, "BestTimeDate", entry.SecondsDate);
        store.WriteInteger(section, "FewestMoves", entry.Moves);
        store.WriteString(section, "FewestMovesDate", entry.MovesDate);
        store.WriteInteger(section, "FewestWrongMoves", entry.WrongMoves);
        store.WriteString(section, "FewestWrongMovesDate", entry.WrongMovesDate);
    }
}

bool IsResultDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    const int month = std::stoi(text.substr(5, 2)), day = std::stoi(text.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::string LatestResultDate(const TBestResult& entry) {
    return std::max({entry.SecondsDate, entry.MovesDate, entry.WrongMovesDate});
}

std::string SolvedTimeText(const TSolveOutcome& outcome, bool nameFewerMoves) {
    std::string text = "Time: " + PlayTimeText(outcome.Seconds);
    text += outcome.BestTime ? " (best)" : " (best " + PlayTimeText(outcome.BestSeconds) + ")";
    // A first solve beats nothing: every result of it is the first.
    if (nameFewerMoves && outcome.FewerMoves && !outcome.FirstSolve) text += ", fewest moves";
    return text;
}
