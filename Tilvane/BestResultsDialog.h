// The window of the player's best results: one row for every picture, grid and flipping setting,
// sortable by any column, and a button that forgets the selected entry.
#pragma once

#include "Framework/Form.h"
#include "Framework/Layout.h"
#include "Tilvane/Core/BestResults.h"

#include <cstddef>
#include <string>
#include <vector>

// Control numbers of the results window. Close carries IDOK so that Enter reaches it.
enum TBestResultsFormControlId : int {
    idResultsCloseButton = IDOK,
    idResultsNoteLabel = 500,
    idResultsList,
    idResultsForgetButton,
};

class TBestResultsForm : public TForm {
public:
    // The results stay the caller's; the window changes them only when the player forgets one.
    explicit TBestResultsForm(TBestResults& results);

    // Shows the list modally until it is closed; the results of the last solve, when there is
    // one, are named as new. True when an entry was forgotten.
    bool Dialog(const TResultKey* lastSolveKey, const TSolveOutcome* lastSolve);

    // The rows as shown, for the tests: the cells of each row in column order.
    std::vector<std::vector<std::string>> ShownRows() const;
    void SortByColumn(int column);
    void ForgetButtonClick();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int) override;

private:
    void CreateLayout();
    void AddColumns();
    void FillList();
    void FillListKeepingSelection();
    void FitColumns(const std::vector<int>& widestTexts);
    std::vector<std::string> RowCells(const TBestResult& entry) const;
    bool Before(const TBestResult& a, const TBestResult& b) const;

    TBestResults& results_;
    const TResultKey* lastSolveKey_ = nullptr;
    const TSolveOutcome* lastSolve_ = nullptr;
    std::vector<size_t> order_;  // the entries in the order shown
    int sortColumn_ = 0;
    bool ascending_ = true;
    bool forgotten_ = false;
    TListView* ResultsList = nullptr;
    TLayout layout_;
};
