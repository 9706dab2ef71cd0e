// The record an installation keeps of the files it put into the package's folders (its folder
// entries, such as "Sample pictures/"), so that uninstalling deletes those and keeps whatever the
// player put beside them. One file a line, as the folder's name, a backslash and the file's name.
// And which run of an uninstall deletes them: the player's own, or a copy with administrator rights.
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
// True for a name that leads to exactly one entry directly inside a folder, and nowhere else.
bool IsPlainFileName(std::string_view name);

// Who does what of an uninstall. A copy with administrator rights deletes files only where the
// player's own run cannot: in a folder that other users may change (an installation in a drive's
// root), such a copy could be steered to delete files that are nobody's to delete.
enum class TUninstallRights {
    NotAsked,         // this run does all that is left
    ForEverything,    // a copy with rights deletes the files, tells the player, and removes the entries
    ForMachineEntry,  // a copy with rights removes only the machine's entry and the all-users shortcuts
};
struct TUninstallRun {
    bool Elevated = false;                 // a copy started with rights by a run without them
    bool MachineEntryOnly = false;         // such a copy, told by its starter to leave the files alone
    bool FolderWritable = false;           // without rights: the installation directory can be written
    bool MachineEntryNeedsRights = false;  // without rights: the machine's list holds the entry, closed to this run
};
struct TUninstallPlan {
    // Asked for before anything is deleted, so that a refusal leaves the installation whole.
    TUninstallRights Rights = TUninstallRights::NotAsked;
    bool DeletesFiles = false;  // this run deletes the files, and so it is the one that says what was kept
};
TUninstallPlan PlanUninstall(const TUninstallRun& run);
