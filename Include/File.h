// Files, folders, special folders and the shell: paths, existence and pattern tests, renaming,
// copying and deleting folder trees, and handing documents and web addresses to the shell.
// Operations with a status record report as module "Include\File".
#pragma once

#include "Include/Core/PathText.h"
#include "Include/Owned.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

// Special-folder ids of the shell (CSIDL values).
enum : int {
    sfProgramsMenu = 2,
    sfDesktop = 16,
    sfCommonProgramsMenu = 23,
    sfCommonDesktop = 25,
    sfProgramFiles = 38,
    sfMyPictures = 39,
};

// Path functions: no status record, never fail.
std::string ToLongPath(const std::string& path);
std::string ToFullPath(const std::string& path);
std::string ToFullUncPath(const std::string& path);
bool IsSamePath(const std::string& a, const std::string& b);
bool MatchesFileMask(const std::string& name, const std::string& mask);
bool PathExists(const std::string& path);
// The first of "stem.ext", "stem (2).ext", "stem (3).ext"... that names nothing yet.
std::string FirstUnusedPath(const std::string& stem, const std::string& extension);
// The order in which a file browser sorts names: runs of digits by their number ("2.jpg" before
// "10.jpg"), letter case ignored. Negative, zero or positive.
int CompareNamesNaturally(const std::string& a, const std::string& b);
// The names of the plain files a file browser shows in the folder (no folders, no hidden or
// system files), as the system lists them; empty when there is none or the folder is unreadable.
std::vector<std::string> FileNamesIn(const std::string& directory);

// The names a shell block of files holds (files dropped or copied), in its order, as UTF-8; none
// from a block whose names would lead the system's readers out of it. The block stays its owner's.
std::vector<std::string> FileNamesInDrop(HDROP drop);
// True when a file can be created and deleted in the directory. A directory that does not exist
// yet is judged by the nearest existing one above it; nothing is left behind either way.
bool CanCreateFilesIn(const std::string& directory);
// Clears the read-only attribute; returns 0 or the system error of the change.
uint32_t ClearReadOnly(const std::string& path);
// Shows the folder browser over the owner window; true and the chosen folder, or false and an
// empty text.
bool BrowseForDirectory(const std::string& caption, const std::string& root, std::string& directory,
                        HWND owner = nullptr);

// The shell's special folder (a CSIDL value), made first when create asks for it; empty when the
// system names none.
std::string GetShellFolderPath(int folderId, bool create);
std::string GetMyPicturesPath();
std::string GetDesktopPath();
std::string GetProgramsMenuPath();
std::string GetProgramFilesPath();
// The all-users Desktop and Start-menu Programs folders, where a per-machine installation puts
// its shortcuts.
std::string GetCommonDesktopPath();
std::string GetCommonProgramsMenuPath();

// Reporting operations (status protocol).
uint64_t GetFileSize(void* fileHandle);
std::string GetSystemDirectoryPath(int folderId);
// Moves a file (across volumes too). With replace, an existing destination is replaced by the
// same move, so that a failed move leaves it as it was.
void MyRenameFile(const std::string& source, const std::string& destination, bool replace);
// Removes a folder tree, going on past entries that cannot be removed. Junctions and symbolic
// links are removed as links, never followed; links that the system only opens at their target
// (Unix links under Wine) are left in place together with their targets.
void DeleteDirectoryNoErrors(const std::string& directory);
// A folder held open while files in it are deleted, so that every deletion stays inside it even
// when another user may swap folders for junctions meanwhile: it is opened once and must be a real
// folder (no junction or link, which could lead elsewhere), and each file is opened through its
// handle by name alone. Failures are not reported: what cannot go, stays.
class TPlainFolder {
public:
    explicit TPlainFolder(const std::string& path);
    // The folder of that name directly inside parent.
    TPlainFolder(const TPlainFolder& parent, const std::string& name);
    bool IsOpen() const { return static_cast<bool>(handle_); }
    // Deletes the file of that name directly inside the folder, read-only or not. Leaves a name
    // that could lead elsewhere ("..", a separator), a folder, a link, and a file with other names
    // (hard links), whose read-only attribute is not the folder's alone to clear.
    void DeleteFileNamed(const std::string& name) const;

private:
    // Keeps the handle only when it reached a real folder standing at the expected final path.
    void KeepIfPlainAt(const std::wstring& expectedFinalPath);
    std::wstring ChildFinalPath(const std::wstring& name) const;

    TOwned<HANDLE, TFreeFileHandle> handle_;
    std::wstring finalPath_;
};
// With copy: copies the tree into the destination, replacing read-only files there; hidden and
// system entries stay behind, and links are skipped on both sides. Without copy: builds the
// folders in the destination and deletes the source's files and folders instead. A folder that
// fails shows the message "Failed to process directory.".
void CopyDeleteDirectory(const std::string& source, const std::string& destination, bool copy);
// Hands the file to the shell; what the shell shows about it (a failure, a choice of program)
// is owned by the owner window.
void RunFile(const std::string& file, const std::string& parameters, const std::string& directory,
             bool quoteParameters, bool minimised, HWND owner = nullptr);
// Opens the web address; a failure is shown with the failure message.
void OpenSite(const std::string& address, const std::string& failureMessage, HWND owner = nullptr);
