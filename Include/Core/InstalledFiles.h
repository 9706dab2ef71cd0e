// The record an installation keeps of the files it put into the package's folders (its folder
// entries, such as "Sample pictures/"), so that uninstalling deletes those and keeps whatever the
// player put beside them. One file a line, as the folder's name, a backslash and the file's name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr char InstalledFilesRecordName[] = "Installed files.txt";

// The recorded files that lie directly inside one of the folder entries (names ending in a
// slash or a backslash), each once, in the record's order. The record is a file anyone may edit,
// and uninstalling must never reach outside the package's folders: a line that could name
// anything else (a drive, a root, a subfolder, an empty, "." or ".." part, a part the system would
// shorten by its trailing dots or blanks) is dropped.
std::vector<std::string> ReadInstalledFiles(std::string_view text, const std::vector<std::string>& folderEntries);
// Each file once, sorted, a line each.
std::string InstalledFilesText(std::vector<std::string> files);
