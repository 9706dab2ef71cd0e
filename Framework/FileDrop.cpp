#include "Framework/FileDrop.h"

void AcceptDroppedFiles(HWND window) { DragAcceptFiles(window, TRUE); }

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
    std::vector<std::string> names;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::string name(length + 1, '\0');
        const UINT copied = DragQueryFileA(drop, i, &name[0], length + 1);
        name.resize(copied);
        if (!name.empty()) names.push_back(std::move(name));
    }
    DragFinish(drop);
    return names;
}
