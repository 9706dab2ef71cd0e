// The system's file-open and file-save dialogs with a filter and an initial file name.
#pragma once

#include <windows.h>

#include <string>

class TFileDialog {
public:
    enum TKind { Open, Save };
    explicit TFileDialog(TKind kind) : kind_(kind) {}
    // Pairs of description and pattern separated by "|": "Picture (*.bmp)|*.bmp".
    std::string Filter;
    // The initial name (a directory followed by a pattern works too); the chosen file afterwards.
    std::string FileName;
    // Without a leading dot ("tvg"): added to a name typed without an extension. Empty: none.
    std::string DefaultExtension;
    // True when the user confirmed a file; FileName is then that file.
    bool Execute(HWND owner);

private:
    TKind kind_;
};
