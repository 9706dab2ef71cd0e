// The read-only folder that the test runner mounts inside the prefix (scripts/wine-env.sh): what a
// test puts into the source folder shows in the view, through which nothing can be written, not
// even by root. It stands for a program folder under Program Files without administrator rights.
#pragma once

#include "support/TestFiles.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

const char* const ReadOnlySource = "C:\\Tilvane\\readonly-source";
const char* const ReadOnlyView = "C:\\Tilvane\\readonly";

// Empty when the view is mounted and refuses writes; otherwise why it cannot be used, for the
// message of a skipped test.
inline std::string ReadOnlyViewUnavailable() {
    if (!FolderExists(ReadOnlySource) || !FolderExists(ReadOnlyView))
        return "the test runner made no read-only mount (run the tests through scripts/run-tests.sh or "
               "scripts/wine-run.sh as root)";
    const std::string marker = "mounted-" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string sourceMarker = std::string(ReadOnlySource) + "\\" + marker;
    try {
        WriteFileBytes(sourceMarker, "seen through the view");
    } catch (const std::exception& failure) {
        return failure.what();
    }
    const bool seen = FileExists(std::string(ReadOnlyView) + "\\" + marker);
    DeleteFileA(sourceMarker.c_str());
    if (!seen) return "C:\\Tilvane\\readonly does not show C:\\Tilvane\\readonly-source: the mount is missing";
    const std::string probe = std::string(ReadOnlyView) + "\\writable-" + std::to_string(GetCurrentProcessId());
    if (CreateDirectoryA(probe.c_str(), nullptr)) {
        RemoveDirectoryA(probe.c_str());
        return "C:\\Tilvane\\readonly can be written: the mount is not read-only";
    }
    return std::string();
}

// The folder where a program keeps its files when its own folder cannot be written.
inline std::string ApplicationDataFolder(const std::string& name) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\" + name;
}
