#include "Include/File.h"

#include "Include/Core/FileListBlock.h"
#include "Include/Core/InstalledFiles.h"
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/Owned.h"
#include "Include/WideText.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <winnetwk.h>
#include <winternl.h>

#include <cwchar>
#include <vector>

namespace {

const char* const Module = "Include\\File";

// ---------------------------------------------------------------------------------------------
// Texts that system calls write into caller-sized buffers

// Calls write(buffer, size) until the answer fits. The call returns the length written, or the
// size it needs when the buffer is too small, or 0 on failure.
template <class Write>
bool TextFromSystem(Write write, std::string& text) {
    std::vector<char> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = write(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return false;
        if (length < buffer.size()) {
            text.assign(buffer.data(), length);
            return true;
        }
        buffer.resize(length + 1);
    }
    return false;  // the answer keeps growing: the name changes under us
}

std::string WithoutTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

// The absolute form of the path, or the path itself when the system cannot form one.
std::string AbsolutePath(const std::string& path) {
    std::string absolute;
    if (!TextFromSystem([&](char* buffer, DWORD size) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); },
                        absolute))
        return path;
    return absolute;
}

// The absolute form, with a path on a mapped network drive written as \\server\share\...
std::string NetworkPath(const std::string& path) {
    const std::string absolute = AbsolutePath(path);
    std::vector<char> buffer(sizeof(UNIVERSAL_NAME_INFOA) + MAX_PATH);
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD result = WNetGetUniversalNameA(absolute.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    if (result == ERROR_MORE_DATA) {
        buffer.resize(size);
        result = WNetGetUniversalNameA(absolute.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    }
    if (result != NO_ERROR) return absolute;
    const char* universal = reinterpret_cast<const UNIVERSAL_NAME_INFOA*>(buffer.data())->lpUniversalName;
    return universal ? std::string(universal) : absolute;
}

// ---------------------------------------------------------------------------------------------
// Folder trees. A tree is walked entry by entry, and every entry is opened as itself before it
// is changed: a junction or symbolic link is removed as the link (or skipped when copying),
// never followed into its target. Under Wine a Unix symbolic link cannot be opened as itself:
// every handle reaches its target, and deleting through the link deletes the target. Such an
// entry shows either the reparse-point attribute on its name but not on its handle (folders),
// or a handle whose final path is not the place where the entry stands (files); it is left alone.

enum class TEntryKind { Missing, File, Directory, Link, Unreachable };

class TEntry {
public:
    // forChange asks for the rights to clear attributes and delete.
    TEntry(const std::string& path, bool forChange) {
        const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
        if (forChange)
            handle_.reset(CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, sharing,
                                      nullptr, OPEN_EXISTING, flags, nullptr));
        if (!handle_)
            handle_.reset(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, sharing, nullptr, OPEN_EXISTING, flags, nullptr));
        if (!handle_) return;
        known_ = GetFileInformationByHandleEx(handle_.get(), FileAttributeTagInfo, &reached_, sizeof reached_) != FALSE;
        TextFromSystem([&](char* buffer, DWORD size) {
            return GetFinalPathNameByHandleA(handle_.get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        }, finalPath_);
    }

    // What the name leads to. namedAttributes: what the path or the directory search reported;
    // expectedFinalPath: where the entry stands, empty when no parent was opened before it.
    TEntryKind Kind(DWORD namedAttributes, const std::string& expectedFinalPath) const {
        if (!handle_)
            return namedAttributes == INVALID_FILE_ATTRIBUTES ? TEntryKind::Missing : TEntryKind::Unreachable;
        if (!known_) return TEntryKind::Unreachable;
        const bool reachedReparsePoint = (reached_.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (reachedReparsePoint && IsReparseTagNameSurrogate(reached_.ReparseTag)) return TEntryKind::Link;
        const bool namedReparsePoint =
            namedAttributes != INVALID_FILE_ATTRIBUTES && (namedAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (namedReparsePoint && !reachedReparsePoint) return TEntryKind::Unreachable;
        if (!expectedFinalPath.empty() && !EqualIgnoringAsciiCase(finalPath_, expectedFinalPath))
            return TEntryKind::Unreachable;
        return (reached_.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? TEntryKind::Directory : TEntryKind::File;
    }

    const std::string& FinalPath() const { return finalPath_; }

    // Where a child named name must stand; empty when this entry's own place is unknown.
    std::string ChildFinalPath(const std::string& name) const {
        return finalPath_.empty() ? std::string() : WithTrailingBackslash(finalPath_) + name;
    }

    void ClearReadOnly() {
        if (!(reached_.FileAttributes & FILE_ATTRIBUTE_READONLY)) return;
        FILE_BASIC_INFO basic = {};  // zero times stay as they are
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(handle_.get(), FileBasicInfo, &basic, sizeof basic);
    }

    // The entry goes when the handle closes; a folder only when it is empty by then.
    void Delete() {
        FILE_DISPOSITION_INFO disposition = {TRUE};
        SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition);
    }

private:
    TFileHandle handle_;
    bool known_ = false;
    FILE_ATTRIBUTE_TAG_INFO reached_ = {};
    std::string finalPath_;
};

bool IsDotEntry(const wchar_t* name) { return !wcscmp(name, L".") || !wcscmp(name, L".."); }

// A directory search that keeps the result of its last step: 0, or the system error. The
// entries "." and ".." are passed over wherever they come (not only first), so that no step
// can lead to the parent. An empty directory is not searched: "*" alone would search the
// current directory.
class TSearch {
public:
    TSearch(const std::string& directory, bool skipHiddenAndSystem) : skipHiddenAndSystem_(skipHiddenAndSystem) {
        if (directory.empty()) {
            result_ = ERROR_PATH_NOT_FOUND;
            return;
        }
        ClearLastError();
        // Wide: a name of 255 characters can take up to 765 bytes in UTF-8, more than the ANSI
        // entry's MAX_PATH bytes.
        search_.reset(FindFirstFileW(Utf8ToWide(WithTrailingBackslash(directory) + "*").c_str(), &entry_));
        result_ = search_ ? 0 : FailureCode();
        SkipUnwanted();
    }

    uint32_t Result() const { return result_; }
    std::string EntryName() const { return WideToUtf8(entry_.cFileName); }
    DWORD EntryAttributes() const { return entry_.dwFileAttributes; }
    bool EntryIsDirectory() const { return (entry_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

    uint32_t Next() {
        Step();
        SkipUnwanted();
        return result_;
    }

    // A folder is removed only once no search holds it open.
    void Close() { search_.reset(); }

private:
    // A failure that names no cause still must not read as success.
    static uint32_t FailureCode() {
        const uint32_t code = LastError();
        return code ? code : ERROR_GEN_FAILURE;
    }
    void Step() {
        ClearLastError();
        result_ = FindNextFileW(search_.get(), &entry_) ? 0 : FailureCode();
    }
    bool Unwanted() const {
        if (IsDotEntry(entry_.cFileName)) return true;
        return skipHiddenAndSystem_ && (entry_.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    }
    void SkipUnwanted() {
        while (result_ == 0 && Unwanted()) Step();
    }

    TOwnedFind search_;
    WIN32_FIND_DATAW entry_ = {};
    uint32_t result_ = 0;
    bool skipHiddenAndSystem_;
};

// A file of a tree being deleted: removed when it is itself a file or a link.
void DeleteTreeFile(const std::string& path, DWORD foundAttributes, const std::string& expectedFinalPath) {
    TEntry entry(path, true);
    const TEntryKind kind = entry.Kind(foundAttributes, expectedFinalPath);
    if (kind != TEntryKind::File && kind != TEntryKind::Link) return;
    entry.ClearReadOnly();
    entry.Delete();
}

// A folder is walked through a handle without the right to delete, because a directory search
// (under Wine) does not share the folder with a deleting handle. Removing it takes a second
// handle, used only when it reaches the same kind of entry at the same place as the first.
void DeleteWalkedEntry(const std::string& path, TEntryKind kind, const std::string& finalPath) {
    TEntry entry(path, true);
    if (entry.Kind(GetFileAttributesA(path.c_str()), finalPath) != kind) return;
    entry.ClearReadOnly();
    entry.Delete();
}

// One folder of the tree, with all it holds. expectedFinalPath is empty for the top folder.
void DeleteTreeDirectory(const std::string& directory, const std::string& expectedFinalPath) {
    TFunOperation op(Module, "DeleteDirectoryNoErrors", __LINE__);
    op.Guard(__LINE__, [&] {
        TEntry self(directory, false);
        const TEntryKind kind = self.Kind(GetFileAttributesA(directory.c_str()), expectedFinalPath);
        if (kind == TEntryKind::Link) {
            DeleteWalkedEntry(directory, kind, self.FinalPath());  // the link itself; what it points to stays
            return;
        }
        if (kind == TEntryKind::Unreachable) return;

        TSearch search(directory, false);
        if (!IsSearchEndCode(search.Result())) op.Raise(__LINE__, fsError, "Can not find directory.", directory);
        while (search.Result() == 0) {
            const std::string name = search.EntryName();
            const std::string path = WithTrailingBackslash(directory) + name;
            if (search.EntryIsDirectory())
                DeleteTreeDirectory(path, self.ChildFinalPath(name));
            else
                DeleteTreeFile(path, search.EntryAttributes(), self.ChildFinalPath(name));
            if (!IsSearchEndCode(search.Next())) {
                op.Raise(__LINE__, fsError, "Failed to delete directory content.", directory);
                break;
            }
        }
        search.Close();
        if (kind == TEntryKind::Directory) DeleteWalkedEntry(directory, kind, self.FinalPath());
    });
    op.EndPassing();
}

// A file copied over its namesake in the destination folder, when both are plain files.
void CopyTreeFile(const std::string& source, const std::string& destination, DWORD foundAttributes,
                  const std::string& sourceFinalPath, const std::string& destinationFinalPath) {
    {
        TEntry sourceEntry(source, false);
        if (sourceEntry.Kind(foundAttributes, sourceFinalPath) != TEntryKind::File) return;
        TEntry destinationEntry(destination, true);
        const TEntryKind destinationKind =
            destinationEntry.Kind(GetFileAttributesA(destination.c_str()), destinationFinalPath);
        if (destinationKind != TEntryKind::Missing && destinationKind != TEntryKind::File) return;
        destinationEntry.ClearReadOnly();
    }
    ClearLastError();
    CopyFileA(source.c_str(), destination.c_str(), FALSE);
}

void CopyDeleteTree(const std::string& source, const std::string& destination, bool copy,
                    const std::string& sourceFinalPath, const std::string& destinationFinalPath) {
    TFunOperation op(Module, "CopyDeleteDirectory", __LINE__);
    op.Guard(__LINE__, [&] {
        if (destination.empty()) {
            op.Raise(__LINE__, fsError, "Empty destination name.", source, destination);
            return;
        }
        TEntry sourceSelf(source, false);
        const TEntryKind sourceKind = sourceSelf.Kind(GetFileAttributesA(source.c_str()), sourceFinalPath);
        if (sourceKind == TEntryKind::Link || sourceKind == TEntryKind::Unreachable) {
            if (!copy && sourceKind == TEntryKind::Link)
                DeleteWalkedEntry(source, sourceKind, sourceSelf.FinalPath());  // the link, not its target
            return;
        }
        ClearLastError();
        if (!CreateDirectoryExA(source.c_str(), destination.c_str(), nullptr) && LastErrorFailedAllowExisting()) {
            op.Raise(__LINE__, fsError, "Failed to create directory.", source, destination,
                     static_cast<int32_t>(LastError()));
            return;
        }
        TEntry destinationSelf(destination, false);
        const TEntryKind destinationKind =
            destinationSelf.Kind(GetFileAttributesA(destination.c_str()), destinationFinalPath);
        if (destinationKind != TEntryKind::Directory) {  // a file or a link in the way: never written through
            op.Raise(__LINE__, fsError, "Failed to create directory.", source, destination, ERROR_ALREADY_EXISTS);
            return;
        }

        TSearch search(source, true);
        if (!IsSearchEndCode(search.Result())) {
            op.Raise(__LINE__, fsError, "Failed to find first file.", source, destination,
                     static_cast<int32_t>(search.Result()));
            return;
        }
        while (search.Result() == 0) {
            const std::string name = search.EntryName();
            const std::string sourceEntry = WithTrailingBackslash(source) + name;
            const std::string destinationEntry = WithTrailingBackslash(destination) + name;
            if (search.EntryIsDirectory())
                CopyDeleteTree(sourceEntry, destinationEntry, copy, sourceSelf.ChildFinalPath(name),
                               destinationSelf.ChildFinalPath(name));
            else if (copy)
                CopyTreeFile(sourceEntry, destinationEntry, search.EntryAttributes(), sourceSelf.ChildFinalPath(name),
                             destinationSelf.ChildFinalPath(name));
            else
                DeleteTreeFile(sourceEntry, search.EntryAttributes(), sourceSelf.ChildFinalPath(name));
            search.Next();
        }
        search.Close();
        if (!copy && sourceKind == TEntryKind::Directory) DeleteWalkedEntry(source, sourceKind, sourceSelf.FinalPath());
    });
    op.EndPassing([] { ShowMessageBox("Error", "Failed to process directory.", MB_ICONERROR | MB_OKCANCEL); });
}

// ---------------------------------------------------------------------------------------------
// Shell

// An item list of the shell, freed with the task allocator.
struct TFreeItemList {
    bool operator()(LPITEMIDLIST list) const {
        CoTaskMemFree(list);
        return true;
    }
};
using TItemList = TOwned<LPITEMIDLIST, TFreeItemList>;

// Selects the starting folder once the browser is up, so that OK at once chooses it.
int CALLBACK BrowseStarted(HWND browser, UINT message, LPARAM, LPARAM startFolder) {
    if (message == BFFM_INITIALIZED && startFolder) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, startFolder);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Entries opened through the handle of their folder

const DWORD ShareWithAnyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const ACCESS_MASK FolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// The longest name a folder entry can have, in UTF-16 units.
const size_t LongestEntryName = 255;

// The entry of that name directly inside the open folder, as itself when it is a junction or link
// (Wine opens a Unix link at its target whatever the flags). kindOption is FILE_DIRECTORY_FILE or
// FILE_NON_DIRECTORY_FILE.
TFileHandle OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG kindOption) {
    if (name.size() > LongestEntryName) return TFileHandle();  // would not fit the counted name
    UNICODE_STRING objectName;
    objectName.Buffer = const_cast<PWSTR>(name.c_str());
    objectName.Length = objectName.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE opened = nullptr;
    const NTSTATUS result = NtOpenFile(&opened, access | SYNCHRONIZE, &attributes, &status, ShareWithAnyone,
                                       kindOption | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT);
    return result >= 0 ? TFileHandle(opened) : TFileHandle();  // a negative status is a failure
}

// Where the system says the handle's entry stands; empty when it does not say.
std::wstring FinalPathOf(HANDLE entry) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(entry, &path[0], static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) break;
        if (length < path.size()) return path.substr(0, length);
        path.resize(length + 1);
    }
    return std::wstring();
}

bool IsSamePathText(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A real folder, or a file with no other name (hard links), as wanted; never a reparse point.
bool IsPlainEntry(const BY_HANDLE_FILE_INFORMATION& entry, bool folder) {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
    if (folder) return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.nNumberOfLinks == 1;
}

// The file goes when its last handle closes.
void DeleteOpenedFile(HANDLE file, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        FILE_BASIC_INFO basic = {};  // zero times stay as they are
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// The file-system path of a shell item; empty when it has none.
std::string PathOfItemList(LPCITEMIDLIST list) {
    // The wide call: a path of MAX_PATH characters can take three times as many bytes in UTF-8.
    wchar_t path[MAX_PATH] = {};  // the size the shell writes into
    if (!SHGetPathFromIDListW(list, path)) return std::string();
    return WideToUtf8(path);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Path functions

std::string ToLongPath(const std::string& path) {
    if (path.find('~') == std::string::npos) return path;
    std::string longPath;
    if (!TextFromSystem([&](char* buffer, DWORD size) { return GetLongPathNameA(path.c_str(), buffer, size); },
                        longPath))
        return path;
    return longPath;
}

std::string ToFullPath(const std::string& path) {
    if (path.empty()) return path;
    if (IsDriveOnly(path)) return WithoutTrailingBackslash(AbsolutePath(path + '\\'));
    return ToLongPath(AbsolutePath(path));
}

std::string ToFullUncPath(const std::string& path) {
    if (path.empty()) return path;
    if (IsDriveOnly(path)) return WithoutTrailingBackslash(NetworkPath(path + '\\'));
    return ToLongPath(NetworkPath(path));
}

bool IsSamePath(const std::string& a, const std::string& b) {
    if (HasPatternCharacters(a) || HasPatternCharacters(b)) return false;
    return EqualIgnoringAsciiCase(ToFullUncPath(a), ToFullUncPath(b));
}

bool MatchesFileMask(const std::string& name, const std::string& mask) {
    if (mask.empty()) return true;
    return PathMatchSpecA(name.c_str(), mask.c_str()) != FALSE;
}

int CompareNamesNaturally(const std::string& a, const std::string& b) {
    return StrCmpLogicalW(Utf8ToWide(a).c_str(), Utf8ToWide(b).c_str());
}

std::vector<std::string> FileNamesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (TSearch search(directory, true); search.Result() == 0; search.Next())
        if (!search.EntryIsDirectory()) names.push_back(search.EntryName());
    return names;
}

bool PathExists(const std::string& path) {
    if (path.empty()) return false;
    ClearLastError();
    return PathFileExistsA(path.c_str()) != FALSE;
}

std::string FirstUnusedPath(const std::string& stem, const std::string& extension) {
    std::string path = NumberedPath(stem, extension, 1);
    for (int copy = 2; PathExists(path); ++copy) path = NumberedPath(stem, extension, copy);
    return path;
}

uint32_t ClearReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = 0;
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return 0;
    ClearLastError();
    if (SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) return 0;
    const uint32_t code = LastError();
    return code ? code : ERROR_GEN_FAILURE;
}

bool BrowseForDirectory(const std::string& caption, const std::string& root, std::string& directory, HWND owner) {
    directory.clear();
    const std::wstring wideRoot = Utf8ToWide(root);
    const std::wstring wideCaption = Utf8ToWide(caption);
    TItemList rootList(wideRoot.empty() ? nullptr : ILCreateFromPathW(wideRoot.c_str()));
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = rootList.get();
    browse.pszDisplayName = displayName;
    browse.lpszTitle = wideCaption.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseStarted;
    browse.lParam = rootList.get() ? reinterpret_cast<LPARAM>(wideRoot.c_str()) : 0;
    TItemList chosen(SHBrowseForFolderW(&browse));
    if (!chosen.get()) return false;
    directory = PathOfItemList(chosen.get());
    return !directory.empty();
}

std::string GetShellFolderPath(int folderId, bool create) {
    wchar_t buffer[MAX_PATH] = {};  // the size the shell writes into; UTF-8 may need more bytes
    const int flags = create ? CSIDL_FLAG_CREATE : 0;
    if (FAILED(SHGetFolderPathW(nullptr, folderId | flags, nullptr, SHGFP_TYPE_CURRENT, buffer))) return std::string();
    return WideToUtf8(buffer);
}

std::string GetMyPicturesPath() { return GetSystemDirectoryPath(sfMyPictures); }
std::string GetDesktopPath() { return GetSystemDirectoryPath(sfDesktop); }
std::string GetProgramsMenuPath() { return GetSystemDirectoryPath(sfProgramsMenu); }
std::string GetProgramFilesPath() { return GetSystemDirectoryPath(sfProgramFiles); }
std::string GetCommonDesktopPath() { return GetSystemDirectoryPath(sfCommonDesktop); }
std::string GetCommonProgramsMenuPath() { return GetSystemDirectoryPath(sfCommonProgramsMenu); }

namespace {

// The directory itself when it exists, otherwise the nearest existing one above it, with a
// trailing backslash; empty when there is none or a file stands in the way.
std::string NearestExistingFolder(const std::string& directory) {
    if (directory.empty()) return std::string();  // never the current directory instead
    std::string folder = WithTrailingBackslash(directory);
    while (!folder.empty()) {
        // Asked without the backslash, which would hide a file of that name; a drive root keeps it.
        const std::string asked = IsDriveOnly(WithoutTrailingBackslash(folder)) ? folder : WithoutTrailingBackslash(folder);
        const DWORD attributes = GetFileAttributesA(asked.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? folder : std::string();
        const std::string parent = DirectoryOfPath(WithoutTrailingBackslash(folder));
        if (parent.size() >= folder.size()) return std::string();
        folder = parent;
    }
    return folder;
}

}  // namespace

// Tried rather than judged from attributes or the path: a read-only medium, a folder's access
// rules and a write-protected share all show only when a file is really made.
bool CanCreateFilesIn(const std::string& directory) {
    const std::string existing = NearestExistingFolder(directory);
    if (existing.empty()) return false;
    // Wide: the folder may take MAX_PATH characters, which in UTF-8 can be more bytes than that.
    wchar_t probe[MAX_PATH] = {};
    // A name of its own (the file is made new), so that no file of the folder is touched.
    if (!GetTempFileNameW(Utf8ToWide(existing).c_str(), L"tvw", 0, probe)) return false;
    return DeleteFileW(probe) != FALSE;
}

// ---------------------------------------------------------------------------------------------
// Reporting operations

uint64_t GetFileSize(void* fileHandle) {
    uint64_t size = 0;
    TFunOperation op(Module, "GetFileSize", __LINE__);
    op.Guard(__LINE__, [&] {
        DWORD high = 0;
        ClearLastError();
        const DWORD low = ::GetFileSize(static_cast<HANDLE>(fileHandle), &high);
        if (LastErrorFailed()) {
            op.Raise(__LINE__, fsWarning, "Failed to get file size.");
            return;
        }
        size = CombineFileSize(low, high);
    });
    op.EndPassing([&] { size = 0; });
    return size;
}

std::string GetSystemDirectoryPath(int folderId) {
    std::string path;
    TFunOperation op(Module, "GetSystemDirectoryPath", __LINE__);
    op.Guard(__LINE__, [&] {
        ClearLastError();
        path = WithTrailingBackslash(GetShellFolderPath(folderId, true));
    });
    op.EndPassing([&] { path.clear(); });
    return path;
}

void MyRenameFile(const std::string& source, const std::string& destination, bool replace) {
    TFunOperation op(Module, "MyRenameFile", __LINE__);
    op.Guard(__LINE__, [&] {
        // Replacing is part of the one move, so that a failed move leaves the destination as it was.
        DWORD flags = MOVEFILE_COPY_ALLOWED;
        if (replace && !IsSamePath(source, destination) && PathExists(destination)) {
            ClearReadOnly(destination);
            flags |= MOVEFILE_REPLACE_EXISTING;
        }
        ClearLastError();
        if (!MoveFileExA(source.c_str(), destination.c_str(), flags))
            op.Raise(__LINE__, fsError, "Failed to rename.", source, destination);
    });
    op.EndPassing();
}

void DeleteDirectoryNoErrors(const std::string& directory) { DeleteTreeDirectory(directory, std::string()); }

void CopyDeleteDirectory(const std::string& source, const std::string& destination, bool copy) {
    CopyDeleteTree(source, destination, copy, std::string(), std::string());
}

// A folder's own handle says whether it is a junction. The name is asked too, because Wine opens
// a Unix link at its target and shows the link only on its name.
TPlainFolder::TPlainFolder(const std::string& path) {
    const std::wstring widePath = Utf8ToWide(path);
    if (GetFileAttributesW(widePath.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) return;  // also when missing
    handle_.reset(CreateFileW(widePath.c_str(), FolderAccess, ShareWithAnyone, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    KeepIfPlainAt(std::wstring());
}

// Wine answers no question about a name inside a folder's handle, but the handle it opens for a
// Unix link stands at the link's target, which the final path shows.
TPlainFolder::TPlainFolder(const TPlainFolder& parent, const std::string& name) {
    if (!parent.IsOpen() || !IsPlainFileName(name)) return;
    const std::wstring wideName = Utf8ToWide(name);
    handle_ = OpenInFolder(parent.handle_.get(), wideName, FolderAccess, FILE_DIRECTORY_FILE);
    KeepIfPlainAt(parent.ChildFinalPath(wideName));
}

void TPlainFolder::KeepIfPlainAt(const std::wstring& expectedFinalPath) {
    BY_HANDLE_FILE_INFORMATION reached = {};
    if (!handle_ || !GetFileInformationByHandle(handle_.get(), &reached) || !IsPlainEntry(reached, true)) {
        handle_.reset();
        return;
    }
    finalPath_ = FinalPathOf(handle_.get());
    // Without a place of its own, nothing inside it could be checked.
    if (finalPath_.empty() || (!expectedFinalPath.empty() && !IsSamePathText(finalPath_, expectedFinalPath)))
        handle_.reset();
}

std::wstring TPlainFolder::ChildFinalPath(const std::wstring& name) const {
    if (finalPath_.empty()) return std::wstring();
    return finalPath_ + (finalPath_.back() == L'\\' ? L"" : L"\\") + name;
}

void TPlainFolder::DeleteFileNamed(const std::string& name) const {
    if (!IsOpen() || !IsPlainFileName(name)) return;
    const std::wstring wideName = Utf8ToWide(name);
    const ACCESS_MASK access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
    const TFileHandle file = OpenInFolder(handle_.get(), wideName, access, FILE_NON_DIRECTORY_FILE);
    BY_HANDLE_FILE_INFORMATION reached = {};
    if (!file || !GetFileInformationByHandle(file.get(), &reached) || !IsPlainEntry(reached, false)) return;
    // A file reached through a Unix link under Wine stands elsewhere.
    if (!IsSamePathText(FinalPathOf(file.get()), ChildFinalPath(wideName))) return;
    DeleteOpenedFile(file.get(), reached.dwFileAttributes);
}

void RunFile(const std::string& file, const std::string& parameters, const std::string& directory,
             bool quoteParameters, bool minimised, HWND owner) {
    TFunOperation op(Module, "RunFile", __LINE__);
    op.Guard(__LINE__, [&] {
        if (file.empty()) return;
        const std::string shellParameters = ShellParameters(parameters, quoteParameters);
        SHELLEXECUTEINFOA execute = {};
        execute.cbSize = sizeof execute;
        execute.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_CONNECTNETDRV;
        execute.hwnd = owner;
        execute.lpFile = file.c_str();
        execute.lpParameters = shellParameters.empty() ? nullptr : shellParameters.c_str();
        execute.lpDirectory = directory.empty() ? nullptr : directory.c_str();
        execute.nShow = minimised ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
        ClearLastError();
        if (!ShellExecuteExA(&execute))
            op.Raise(__LINE__, fsError, "Failed to run file.", file, "", static_cast<int32_t>(LastError()));
    });
    op.EndPassing();
}

void OpenSite(const std::string& address, const std::string& failureMessage, HWND owner) {
    TFunOperation op(Module, "OpenSite", __LINE__);
    op.Guard(__LINE__, [&] {
        RunFile(address, "", "", true, false, owner);
        op.TakeCurrent();
    });
    op.EndShowing(__LINE__, failureMessage);
}

namespace {

const DWORD ReadableProtections = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                  PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// The bytes of a block: a global memory block's own size, or for a block in other memory (Wine
// hands a posted drop on as it is) the readable memory from its start, past which no reader may go.
size_t BlockSize(HDROP drop, const void* locked) {
    if (const SIZE_T size = GlobalSize(drop)) return size;
    MEMORY_BASIC_INFORMATION region = {};
    if (!VirtualQuery(locked, &region, sizeof region) || region.State != MEM_COMMIT ||
        !(region.Protect & ReadableProtections) || (region.Protect & PAGE_GUARD))
        return 0;
    return static_cast<size_t>(static_cast<const uint8_t*>(region.BaseAddress) + region.RegionSize -
                               static_cast<const uint8_t*>(locked));
}

// A block of names comes from another program, a drag source or the clipboard's owner, and the
// system's readers of the names would follow a names offset past its end or a list that never
// ends out of it.
bool HoldsWholeFileList(HDROP drop) {
    const void* locked = GlobalLock(drop);
    if (!locked) return false;
    const bool whole = IsWholeFileListBlock(static_cast<const uint8_t*>(locked), BlockSize(drop, locked));
    GlobalUnlock(drop);
    return whole;
}

}  // namespace

std::vector<std::string> FileNamesInDrop(HDROP drop) {
    std::vector<std::string> names;
    if (!HoldsWholeFileList(drop)) return names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring name(length + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, &name[0], length + 1));
        if (!name.empty()) names.push_back(WideToUtf8(name));
    }
    return names;
}
