// The best results of the game window: a solve stops the play time and is recorded in the
// results file. The rules are the core's (Tilvane/Core/BestResults.h).
#include "Tilvane/TilvaneDialog.h"

#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Program.h"

#include <windows.h>

#include <algorithm>
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

// Told before the move changes the board: a solved board has no game under way.
void TTilvaneForm::MoveStarting() {
    if (playTime_->Playing() || Board.CountMisplacedPieces() == 0) return;
    playTime_->StartPlaying();
}

void TTilvaneForm::RecordSolve() {
    if (!playTime_->Playing()) return;
    const int32_t seconds = playTime_->Stop();
    lastSolveKey_ = TResultKey{PicturePath, Board.ResultedColumns, Board.ResultedRows, gameFlipping_};
    lastSolve_ = bestResults_.Record(lastSolveKey_, seconds, Board.MovesCount(), Board.WrongMoves(), Today());
    hasLastSolve_ = true;
    playTime_->ShowSolved(lastSolve_);
    SaveBestResults();
}

// A results file that cannot be taken whole is set aside under a name no earlier one has, so that
// nothing of it or of an earlier refused file is lost, and a new one is started; the game goes on
// either way.
void TTilvaneForm::LoadBestResults() {
    TFunOperation op(Module, "TTilvaneForm::LoadBestResults", __LINE__);
    op.Guard(__LINE__, [&] {
        bestResults_.Clear();
        resultsWritable_ = true;
        ResultsList = std::make_unique<TStoredTextList>(ResultsPath());
        ResultsList->OnBeforeSave = [this](TStoredTextList& list) { bestResults_.Write(*list.Store()); };
        // Why a file could not be read (too large, unreadable) is told once, in this report.
        ResultsList->LoadFailureText.clear();
        std::string refused;
        if (ResultsList->Load()) {
            refused = bestResults_.Read(*ResultsList->Store());
        } else {
            refused = "it could not be read (" + CurrentFunStatContext.Description + ")";
            CurrentFunStatContext.Reset(fsPerfect);
        }
        if (!refused.empty()) SetRefusedResultsAside(op, refused);
    });
    op.EndShowing(__LINE__, "Failed to load the best results.");
}

void TTilvaneForm::SetRefusedResultsAside(TFunOperation& op, const std::string& reason) {
    bestResults_.Clear();
    const std::string path = ResultsPath();
    const std::string aside = FirstUnusedPath(GetDataDirectory() + ResultsAsideStem, ResultsAsideExtension);
    ClearLastError();
    if (MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
        ResultsList = std::make_unique<TStoredTextList>(path);
        ResultsList->OnBeforeSave = [this](TStoredTextList& list) { bestResults_.Write(*list.Store()); };
        op.Raise(__LINE__, fsError,
                 "The best results file was refused: " + reason + ". It was kept as \"" + NameOfPath(aside) +
                     "\", and a new one is started.",
                 path);
        return;
    }
    resultsWritable_ = false;
    op.Raise(__LINE__, fsError,
             "The best results file was refused: " + reason +
                 ". It is left as it is, and the results of this session are not saved.",
             path, "", static_cast<int32_t>(LastError()));
}

// Written whole with a safe replacement; a failure is shown by the list and the game goes on.
void TTilvaneForm::SaveBestResults() {
    if (resultsWritable_ && ResultsList) ResultsList->SaveAs(ResultsPath(), false);
}
