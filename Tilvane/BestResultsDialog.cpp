#include "Tilvane/BestResultsDialog.h"

#include "Framework/Application.h"
#include "Framework/Placement.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/Dialogs.h"
#include "Include/Owned.h"
#include "Tilvane/Core/PlayClock.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>
#include <tuple>

namespace {

const char* const Module = "Tilvane\\BestResultsDialog";
const char* const NoteText = "Your best result for every picture, grid and flipping setting. Click a heading to sort.";

const int FormClientWidth = 600;
const int FormClientHeight = 330;

// clang-format off
const TLayoutRow Layout[] = {
    // kind                          id                      parent left  top width height caption      tab
    {TLayoutKind::Label,         idResultsNoteLabel,     0,      10,  10,  580,  16, NoteText,    -1},
    {TLayoutKind::ListView,      idResultsList,          0,      10,  32,  580, 250, nullptr,      0},
    {TLayoutKind::Button,        idResultsForgetButton,  0,      10, 294,   90,  25, "&Forget",    1},
    {TLayoutKind::DefaultButton, idResultsCloseButton,   0,     500, 294,   90,  25, "&Close",     2},
};
// clang-format on

struct TColumn {
    const char* Heading;
    int Width;  // in 96-DPI units
    bool AlignRight;
};
const TColumn Columns[] = {{"Picture", 140, false}, {"Grid", 85, false},        {"Time", 75, true},
                           {"Moves", 75, true},     {"Wrong moves", 95, true}, {"Date", 80, false}};

std::string Marked(const std::string& text, bool isNew) { return isNew ? text + " (new)" : text; }

std::string GridText(const TResultKey& key) {
    return std::to_string(key.Columns) + " x " + std::to_string(key.Rows) + (key.Flipping ? ", flipping" : "");
}

std::string FoldedName(const TBestResult& entry) { return FoldAsciiCase(NameOfPath(entry.Key.PicturePath)); }

}  // namespace

TBestResultsForm::TBestResultsForm(TBestResults& results) : results_(results) {
    CreateForm("Best results", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME,
               FormClientWidth, FormClientHeight, "Arial", 9);
    CreateLayout();
    AddColumns();
}

void TBestResultsForm::CreateLayout() {
    layout_.Build(*this, Layout);
    ResultsList = layout_.Get<TListView>(idResultsList);
    layout_.Get<TButton>(idResultsForgetButton, [this] { ForgetButtonClick(); });
    layout_.Get<TButton>(idResultsCloseButton, [this] { SetModalResult(mrOk); });
}

void TBestResultsForm::AddColumns() {
    for (const TColumn& column : Columns) ResultsList->AddColumn(column.Heading, Scaled(column.Width), column.AlignRight);
}

bool TBestResultsForm::Dialog(const TResultKey* lastSolveKey, const TSolveOutcome* lastSolve) {
    TFunOperation op(Module, "TBestResultsForm::Dialog", __LINE__);
    op.Guard(__LINE__, [&] {
        lastSolveKey_ = lastSolveKey;
        lastSolve_ = lastSolve;
        FillList();
        if (ResultsList->RowCount() > 0) ResultsList->SelectRow(0);
        CenterDialogOver(Handle(), Application.MainWindow());
        SetFocus(ResultsList->Handle());
        ShowModal();
    });
    op.EndShowing(__LINE__, "Failed to show the best results.");
    return forgotten_;
}

std::vector<std::vector<std::string>> TBestResultsForm::ShownRows() const {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < ResultsList->RowCount(); ++row) {
        std::vector<std::string> cells;
        for (size_t column = 0; column < std::size(Columns); ++column)
            cells.push_back(ResultsList->CellText(row, static_cast<int>(column)));
        rows.push_back(cells);
    }
    return rows;
}

// A second click on the same heading turns the order round.
void TBestResultsForm::SortByColumn(int column) {
    ascending_ = column == sortColumn_ ? !ascending_ : true;
    sortColumn_ = column;
    FillListKeepingSelection();
}

// The selected entry stays selected, in its new row, so that Forget still takes the one the
// player chose. The entries themselves are the same before and after.
void TBestResultsForm::FillListKeepingSelection() {
    const int row = ResultsList->SelectedRow();
    const bool selected = row >= 0 && static_cast<size_t>(row) < order_.size();
    const size_t entry = selected ? order_[static_cast<size_t>(row)] : 0;
    FillList();
    if (selected)
        ResultsList->SelectRow(static_cast<int>(std::find(order_.begin(), order_.end(), entry) - order_.begin()));
}

void TBestResultsForm::FillList() {
    const std::vector<TBestResult>& entries = results_.Entries();
    order_.resize(entries.size());
    std::iota(order_.begin(), order_.end(), size_t{0});
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
        return ascending_ ? Before(entries[a], entries[b]) : Before(entries[b], entries[a]);
    });
    // Drawn once, when filled: a list of thousands of entries drawn again for each row took seconds.
    const HWND list = ResultsList->Handle();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ResultsList->Clear();
    std::vector<int> widest(std::size(Columns), 0);
    {
        const TWindowDC dc(list);
        const TSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
        for (size_t index : order_) {
            const std::vector<std::string> cells = RowCells(entries[index]);
            for (size_t column = 1; column < cells.size(); ++column) {
                SIZE size = {};
                GetTextExtentPoint32A(dc.get(), cells[column].c_str(), static_cast<int>(cells[column].size()), &size);
                widest[column] = std::max<int>(widest[column], size.cx);
            }
            ResultsList->AddRow(cells);
        }
    }
    // Fitted once drawn again: only then has the list room for its scroll bar.
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    FitColumns(widest);
    InvalidateRect(list, nullptr, TRUE);
}

// The figures' columns are at least as wide as their widest text ("30 x 30, flipping",
// "1:02:03 (new)") with the list's margin, in its font at this DPI; the picture names take the
// room left, and are cut where they must be.
void TBestResultsForm::FitColumns(const std::vector<int>& widestTexts) {
    const HWND list = ResultsList->Handle();
    int figures = 0;
    for (int column = 1; column < static_cast<int>(std::size(Columns)); ++column) {
        const int width = std::max(widestTexts[static_cast<size_t>(column)] + Scaled(12), Scaled(Columns[column].Width));
        ListView_SetColumnWidth(list, column, width);
        figures += width;
    }
    RECT client = {};
    GetClientRect(list, &client);
    ListView_SetColumnWidth(list, 0, std::max<int>(client.right - figures, Scaled(Columns[0].Width) / 2));
}

bool TBestResultsForm::Before(const TBestResult& a, const TBestResult& b) const {
    switch (sortColumn_) {
    case 1: return std::make_tuple(a.Key.Columns * a.Key.Rows, a.Key.Columns, a.Key.Flipping) <
                   std::make_tuple(b.Key.Columns * b.Key.Rows, b.Key.Columns, b.Key.Flipping);
    case 2: return a.Seconds < b.Seconds;
    case 3: return a.Moves < b.Moves;
    case 4: return a.WrongMoves < b.WrongMoves;
    case 5: return LatestResultDate(a) < LatestResultDate(b);
    default: return FoldedName(a) < FoldedName(b);
    }
}

// The results the last solve set are named as new: a first solve's all, a later one's those it beat.
std::vector<std::string> TBestResultsForm::RowCells(const TBestResult& entry) const {
    const bool last = lastSolveKey_ && lastSolve_ && SameResultKey(entry.Key, *lastSolveKey_);
    return {NameOfPath(entry.Key.PicturePath),
            GridText(entry.Key),
            Marked(PlayTimeText(entry.Seconds), last && lastSolve_->ShorterTime),
            Marked(std::to_string(entry.Moves), last && lastSolve_->FewerMoves),
            Marked(std::to_string(entry.WrongMoves), last && lastSolve_->FewerWrongMoves),
            LatestResultDate(entry)};
}

void TBestResultsForm::ForgetButtonClick() {
    const int row = ResultsList->SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= order_.size()) return;
    const TResultKey key = results_.Entries()[order_[static_cast<size_t>(row)]].Key;
    if (!AskYesNo("Forget the best results of \"" + NameOfPath(key.PicturePath) + "\", " + GridText(key) + "?"))
        return;
    results_.Forget(key);
    forgotten_ = true;
    FillList();
    if (ResultsList->RowCount() > 0) ResultsList->SelectRow(std::min(row, ResultsList->RowCount() - 1));
    SetFocus(ResultsList->Handle());
}

// The texts are measured again in the list's new font.
void TBestResultsForm::DpiChanged(int) {
    layout_.Arrange(*this);
    FillListKeepingSelection();
}

LRESULT TBestResultsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(idResultsList) && header->code == LVN_COLUMNCLICK) {
            SortByColumn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            return 0;
        }
        return TForm::HandleMessage(message, wParam, lParam);
    }
    case WM_COMMAND:
        // Escape comes as IDCANCEL from no control: it closes the window.
        if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
            SetModalResult(mrOk);
            return 0;
        }
        return TForm::HandleMessage(message, wParam, lParam);
    case DM_GETDEFID:
        return FocusedButtonAsDefault(Handle());
    default:
        return TForm::HandleMessage(message, wParam, lParam);
    }
}
