#include "Framework/FileDrop.h"

#include "Include/File.h"

void AcceptDroppedFiles(HWND window) { DragAcceptFiles(window, TRUE); }

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
    std::vector<std::string> names = FileNamesInDrop(drop);
    DragFinish(drop);
    return names;
}
