// What the Best results window costs with the largest list the game keeps (10000 entries): its
// opening and a sort by a column. Prints figures; passes or fails nothing.
#include "Tilvane/BestResultsDialog.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

int main() {
    TBestResults results;
    for (size_t i = 0; i < TBestResults::MaxEntries; ++i)
        results.Record(TResultKey{"C:\\Users\\Player\\Pictures\\Picture " + std::to_string(i) + ".jpg", 7, 5, false},
                       100 + static_cast<int32_t>(i), 40, 6, "2026-12-01");
    const ULONGLONG start = GetTickCount64();
    TBestResultsForm window(results);
    // Closed as soon as it is shown, by the command the Escape key sends.
    PostMessageA(window.Handle(), WM_COMMAND, IDCANCEL, 0);
    window.Dialog(nullptr, nullptr);
    const ULONGLONG shown = GetTickCount64();
    window.SortByColumn(2);
    const ULONGLONG sorted = GetTickCount64();
    const HWND list = GetDlgItem(window.Handle(), idResultsList);
    RECT client = {};
    GetClientRect(list, &client);
    int columns = 0;
    for (int column = 0; column < 6; ++column) columns += ListView_GetColumnWidth(list, column);
    std::printf("columns %d pixels wide in a list of %ld\n", columns, client.right);
    std::printf("Best results window of %zu entries: opened in %llu ms, sorted by time in %llu ms\n",
                window.ShownRows().size(), shown - start, sorted - shown);
    return 0;
}
