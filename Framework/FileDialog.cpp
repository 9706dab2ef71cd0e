#include "Framework/FileDialog.h"

#include "Include/Core/PathText.h"

#include <commdlg.h>

#include <vector>

namespace {

// "a|b|c|d" as the dialog wants it: "a\0b\0c\0d\0\0".
std::vector<char> FilterPairs(const std::string& filter) {
    std::vector<char> pairs(filter.begin(), filter.end());
    for (char& c : pairs)
        if (c == '|') c = '\0';
    pairs.push_back('\0');
    pairs.push_back('\0');
    return pairs;
}

}  // namespace

bool TFileDialog::Execute(HWND owner) {
    // Room for long paths: the dialog writes at most this many characters.
    std::vector<char> file(32768, '\0');
    // The directory goes into the initial directory, the name part (which may be a pattern)
    // into the file name box.
    const std::string directory = DirectoryOfPath(FileName);
    const std::string name = NameOfPath(FileName);
    name.copy(file.data(), file.size() - 1);
    const std::vector<char> filter = FilterPairs(Filter);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = Filter.empty() ? nullptr : filter.data();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
    dialog.lpstrDefExt = DefaultExtension.empty() ? nullptr : DefaultExtension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_LONGNAMES;
    const BOOL confirmed = kind_ == Open ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
    if (!confirmed) return false;
    FileName = file.data();
    return true;
}
