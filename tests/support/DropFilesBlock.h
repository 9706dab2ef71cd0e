// The block the shell hands a window with WM_DROPFILES: a DROPFILES header, then the wide names,
// each ended by a zero, and one more zero after the last. Names are given as UTF-8.
#pragma once

#include "Include/WideText.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

inline std::string DropFilesBlock(const std::vector<std::string>& files) {
    std::wstring names;
    for (const std::string& file : files) names += Utf8ToWide(file) + L'\0';
    names += L'\0';
    std::string block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t), '\0');
    auto* drop = reinterpret_cast<DROPFILES*>(&block[0]);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(&block[sizeof(DROPFILES)], names.data(), names.size() * sizeof(wchar_t));
    return block;
}
