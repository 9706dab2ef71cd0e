// The best results and their file: read at start (a file that cannot be taken whole is set aside
// as ".damaged"), each solve recorded and written at once, and the results window.
#pragma once

#include "Include/StoredTextList.h"
#include "Tilvane/Core/BestResults.h"

#include <cstdint>
#include <memory>
#include <string>

class TFunOperation;

class TBestResultsBook {
public:
    // Once at start; a failure is shown here and the game goes on.
    void Load();
    // The solved game's result, written at once.
    TSolveOutcome Record(const TResultKey& key, int32_t seconds, int32_t moves, int32_t wrongMoves);
    // Modal, naming the last solve; what is forgotten there is forgotten on disk too.
    void ShowWindow();

private:
    friend struct TTilvaneFormTestAccess;

    void SetRefusedAside(TFunOperation& op, const std::string& reason);
    void Save();

    TBestResults results_;
    std::unique_ptr<TStoredTextList> list_;
    bool writable_ = true;  // false when a refused file could not be set aside
    // What the last solve did, for the results window to name.
    bool hasLastSolve_ = false;
    TResultKey lastSolveKey_;
    TSolveOutcome lastSolve_;
};
