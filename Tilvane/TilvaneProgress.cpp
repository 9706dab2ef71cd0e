// The play time and the best results of the game window: the clock runs while the game is played
// and the player is there, the time label shows it, and a solve is recorded in the results file.
// The rules are the core's (Tilvane/Core/PlayClock.h, Tilvane/Core/BestResults.h).
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
const UINT_PTR PlayTimeTimer = 1;
// Often enough that the label turns over close to each whole second.
const UINT PlayTimeTimerPeriod = 250;

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
void TTilvaneForm::PlayerMoved() {
    if (clock_.Playing() || Board.CountMisplacedPieces() == 0) return;
    clock_.SetPlaying(true);
    UpdatePresence();
}

void TTilvaneForm::RestartClock(int32_t seconds) {
    clock_.Restart(static_cast<uint64_t>(std::max(seconds, 0)) * 1000);
    UpdatePresence();
    ShowPlayTime();
}

// The clock runs only while the player can see the game and play it; the timer only while it runs.
void TTilvaneForm::UpdatePresence() {
    clock_.SetPresent(windowActive_ && !IsIconic(Handle()) && !sessionLocked_ && !systemAsleep_);
    if (clock_.Running())
        SetTimer(Handle(), PlayTimeTimer, PlayTimeTimerPeriod, nullptr);
    else
        KillTimer(Handle(), PlayTimeTimer);
    if (clock_.Playing()) ShowPlayTime();
}

void TTilvaneForm::ShowPlayTime() {
    shownSeconds_ = clock_.ElapsedSeconds();
    PlayTimeLabel->SetText("Time: " + PlayTimeText(shownSeconds_));
}

bool TTilvaneForm::PlayTimeTimerTick(UINT_PTR timer) {
    if (timer != PlayTimeTimer) return false;
    if (clock_.Running() && clock_.ElapsedSeconds() != shownSeconds_) ShowPlayTime();
    return true;
}

void TTilvaneForm::RecordSolve() {
    if (!clock_.Playing()) return;
    clock_.SetPlaying(false);
    UpdatePresence();
    lastSolveKey_ = TResultKey{PicturePath, Board.ResultedColumns, Board.ResultedRows, gameFlipping_};
    lastSolve_ = bestResults_.Record(lastSolveKey_, clock_.ElapsedSeconds(), Board.MovesCount(), Board.WrongMoves(),
                                     Today());
    hasLastSolve_ = true;
    const std::string withMoves = SolvedTimeText(lastSolve_, true);
    PlayTimeLabel->SetText(FitsTimeLabel(withMoves) ? withMoves : SolvedTimeText(lastSolve_, false));
    SaveBestResults();
}

// Measured in the label's own font, wrapped at its width as the label wraps it.
bool TTilvaneForm::FitsTimeLabel(const std::string& text) const {
    RECT client = {};
    GetClientRect(PlayTimeLabel->Handle(), &client);
    HDC dc = GetDC(PlayTimeLabel->Handle());
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(PlayTimeLabel->Handle(), WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, client.right, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(PlayTimeLabel->Handle(), dc);
    return needed.right <= client.right && needed.bottom <= client.bottom;
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
