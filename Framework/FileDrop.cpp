#include "Framework/FileDrop.h"

#include "Include/WideText.h"

void AcceptDroppedFiles(HWND window) { DragAcceptFiles(window, TRUE); }

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
    std::vector<std::string> names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring name(length + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, &name[0], length + 1));
        if (!name.empty()) names.push_back(WideToUtf8(name));
    }
    DragFinish(drop);
    return names;
}
