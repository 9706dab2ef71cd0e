// The best results book. The rules are the core's (Tilvane/Core/BestResults.h).
#include "Tilvane/BestResultsBook.h"

#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Program.h"
#include "Tilvane/BestResultsDialog.h"

#include <windows.h>

#include <cstdio>

namespace {

const char* const Module = "Tilvane\\TilvaneProgress";
const char* const ResultsFileName = "Tilvane results.ini";
// "Tilvane results.ini.damaged", then "Tilvane results (2).ini.damaged" and so on.
const char* const ResultsAsideStem = "Tilvane results";
const char* const ResultsAsideExtension = ".ini.damaged";

std::string ResultsPath() { return GetDataDirectory() + ResultsFileName; }

std::string Today() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

}  // namespace

TSolveOutcome TBestResultsBook::Record(const TResultKey& key, int32_t seconds, int32_t moves, int32_t wrongMoves) {
    lastSolveKey_ = key;
    lastSolve_ = results_.Record(key, seconds, moves, wrongMoves, Today());
    hasLastSolve_ = true;
    Save();
    return lastSolve_;
}

// The window is made for each showing and gone afterwards.
void TBestResultsBook::ShowWindow() {
    TBestResultsForm window(results_);
    if (window.Dialog(hasLastSolve_ ? &lastSolveKey_ : nullptr, hasLastSolve_ ? &lastSolve_ : nullptr)) Save();
}

// A results file that cannot be taken whole is set aside under a name no earlier one has, so that
// nothing of it or of an earlier refused file is lost, and a new one is started; the game goes on
// either way.
void TBestResultsBook::Load() {
    TFunOperation op(Module, "TTilvaneForm::LoadBestResults", __LINE__);
    op.Guard(__LINE__, [&] {
        results_.Clear();
        writable_ = true;
        list_ = std::make_unique<TStoredTextList>(ResultsPath());
        list_->OnBeforeSave = [this](TStoredTextList& list) { results_.Write(*list.Store()); };
        // Why a file could not be read (too large, unreadable) is told once, in this report.
        list_->LoadFailureText.clear();
        std::string refused;
        if (list_->Load()) {
            refused = results_.Read(*list_->Store());
        } else {
            refused = "it could not be read (" + CurrentFunStatContext.Description + ")";
            CurrentFunStatContext.Reset(fsPerfect);
        }
        if (!refused.empty()) SetRefusedAside(op, refused);
    });
    op.EndShowing(__LINE__, "Failed to load the best results.");
}

void TBestResultsBook::SetRefusedAside(TFunOperation& op, const std::string& reason) {
    results_.Clear();
    const std::string path = ResultsPath();
    const std::string aside = FirstUnusedPath(GetDataDirectory() + ResultsAsideStem, ResultsAsideExtension);
    ClearLastError();
    if (MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
        list_ = std::make_unique<TStoredTextList>(path);
        list_->OnBeforeSave = [this](TStoredTextList& list) { results_.Write(*list.Store()); };
        op.Raise(__LINE__, fsError,
                 "The best results file was refused: " + reason + ". It was kept as \"" + NameOfPath(aside) +
                     "\", and a new one is started.",
                 path);
        return;
    }
    writable_ = false;
    op.Raise(__LINE__, fsError,
             "The best results file was refused: " + reason +
                 ". It is left as it is, and the results of this session are not saved.",
             path, "", static_cast<int32_t>(LastError()));
}

// Written whole with a safe replacement; a failure is shown by the list and the game goes on.
void TBestResultsBook::Save() {
    if (writable_ && list_) list_->SaveAs(ResultsPath(), false);
}
