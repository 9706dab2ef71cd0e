#include "Include/Install.h"

#include "Framework/Fonts.h"
#include "Framework/Placement.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/InstalledFiles.h"
#include "Include/Core/PathText.h"
#include "Include/Dialogs.h"
#include "Include/Elevation.h"
#include "Include/Error.h"
#include "Include/ErrorLog.h"
#include "Include/File.h"
#include "Include/FileReplace.h"
#include "Include/Program.h"
#include "Include/ShellLink.h"
#include "Include/Utilities.h"
#include "Include/WideText.h"

#include <windows.h>
#include <sddl.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstddef>
#include <vector>

TInstallForm* InstallForm = nullptr;

namespace {

const char* const Module = "Include\\Install";
const char* const InstallerFileName = "Install.exe";
const char* const UninstallParameter = "/Uninstall";
const char* const ElevatedParameter = "/Elevated";
// Given to the uninstaller with rights by a starter that deletes the files itself.
const char* const MachineEntryOnlyParameter = "/MachineEntryOnly";
const char* const ReadmeFileName = "Readme.txt";
const char* const InstructionsText =
    "The program can be reinstalled without the need to uninstall its previous version. The existing options file "
    "will be preserved. If you want to repair the installed package, simply reinstall the program. Before "
    "continuing, close any running instances of the program.";
const char* const InstallFailure =
    "Failed to install program. Check to see if you have rights to write in the installation directory.";
const char* const UninstallFailure = "Failed to uninstall program.";
const char* const UninstallDone =
    "Uninstallation successful. Files in use, and files that the installation did not make (such as options and "
    "saved games), were not deleted.";
const char* const NotWritableWithRights = "The directory can not be written, even with administrator rights.";
const char* const RightsNotStarted = "The installer could not be started with administrator rights.";
const char* const InstallDeclined =
    "Installing in this directory needs administrator rights, which were not given. Nothing was installed.";
const char* const UninstallDeclined =
    "Uninstalling this directory needs administrator rights, which were not given. Nothing was uninstalled.";

// The package's own entries (package/Contents.list); a folder ends with "/".
const char* const ListedPackageEntries[] = {
#include "PackageContents.inc"
};

// Sent by the copy with administrator rights to itself, so that its work starts once its window shows.
const UINT WM_RUN_ELEVATED_WORK = WM_APP + 1;
bool ElevatedWorkDone = false;

// More than any read-me needs; a larger file is shown up to here.
const DWORD ReadmeSizeLimit = 1 << 20;

const int FormClientWidth = 400;
const int FormClientHeight = 450;

// clang-format off
const TLayoutRow Layout[] = {
    // kind                        id                          parent left top  width height caption       tab
    {TLayoutKind::CaptionPanel,  idInstallMainPanel,          0,      5,   5, 390,  60, nullptr,      -1},
    {TLayoutKind::CentredLabel,  idInstallDescriptionLabel,   0,      5,  75, 390,  15, nullptr,      -1},
    {TLayoutKind::CentredLabel,  idInstallVersionLabel,       0,      5, 100, 390,  15, nullptr,      -1},
    {TLayoutKind::Label,         idInstallInstructionsLabel,  0,     10, 125, 380,  65, InstructionsText, -1},
    {TLayoutKind::Memo,          idInstallReadmeMemo,         0,      5, 200, 390, 145, nullptr,       0},
    {TLayoutKind::FittedLabel,   idInstallInstallToLabel,     0,      5, 360,   0,   0, nullptr,      -1},
    {TLayoutKind::ReadOnlyEdit,  idInstallInstallToEdit,      0,     20, 380, 290,  23, nullptr,       1},
    {TLayoutKind::Button,        idInstallBrowseButton,       0,    320, 380,  75,  23, "&Browse",     2},
    {TLayoutKind::Button,        idInstallInstallButton,      0,    120, 415,  75,  25, "&Install",    3},
    {TLayoutKind::Button,        idInstallCancelButton,       0,    205, 415,  75,  25, "&Cancel",     4},
};
// clang-format on

std::string WithoutTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

// A file in a folder the shell named; empty when the shell named none, so that nothing is
// ever made or deleted relative to the current directory instead.
std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.empty()) return std::string();
    return WithTrailingBackslash(folder) + name;
}

bool IsUninstallParameter() { return EqualIgnoringAsciiCase(GetProgramParameter(1), UninstallParameter); }

bool IsInstallerFileName() { return EqualIgnoringAsciiCase(GetProgramFileName(), InstallerFileName); }

bool IsElevatedParameter(int index) { return EqualIgnoringAsciiCase(GetProgramParameter(index), ElevatedParameter); }

bool IsMachineEntryOnlyParameter() {
    return EqualIgnoringAsciiCase(GetProgramParameter(3), MachineEntryOnlyParameter);
}

std::string UninstallWithRightsParameters(TUninstallRights rights) {
    const std::string parameters = std::string(UninstallParameter) + " " + ElevatedParameter;
    return rights == TUninstallRights::ForMachineEntry ? parameters + " " + MachineEntryOnlyParameter : parameters;
}

// ---------------------------------------------------------------------------------------------
// Paths compared as the file system sees them

bool SameComponent(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The root ("C:" or "\\server\share") followed by the names below it, from an absolute path.
std::vector<std::string> SplitAbsolutePath(const std::string& path) {
    std::vector<std::string> parts;
    size_t position = 0;
    if (path.compare(0, 2, "\\\\") == 0) {
        // \\server\share is one root.
        size_t serverEnd = path.find('\\', 2);
        size_t shareEnd = serverEnd == std::string::npos ? std::string::npos : path.find('\\', serverEnd + 1);
        parts.push_back(path.substr(0, shareEnd));
        position = shareEnd;
    } else {
        size_t rootEnd = path.find('\\');
        parts.push_back(path.substr(0, rootEnd));
        position = rootEnd;
    }
    while (position != std::string::npos && position < path.size()) {
        size_t next = path.find('\\', position + 1);
        std::string name = path.substr(position + 1, next == std::string::npos ? std::string::npos : next - position - 1);
        if (!name.empty() && name != ".") parts.push_back(name);
        position = next;
    }
    return parts;
}

std::string JoinParts(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i) path += (i ? "\\" : "") + parts[i];
    return IsDriveOnly(path) ? path + "\\" : path;
}

// A device path names the folder its plain form names: \\?\C:\..., \\.\C:\... and \\?\UNC\server\...
std::string WithoutDevicePrefix(const std::string& path) {
    if (path.size() < 4 || path[0] != '\\' || path[1] != '\\' || (path[2] != '?' && path[2] != '.') || path[3] != '\\')
        return path;
    const std::string rest = path.substr(4);
    if (rest.size() >= 4 && EqualIgnoringAsciiCase(rest.substr(0, 4), "UNC\\")) return "\\\\" + rest.substr(4);
    return rest;
}

// Where an existing folder or file really is: links, junctions, short names and device forms
// resolved, as the system opens it. Empty when it cannot be opened.
std::string FinalPathOf(const std::string& path) {
    const DWORD shareWithAnyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    TFileHandle entry(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, shareWithAnyone, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry) return std::string();
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleA(entry.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return std::string();
        if (length < buffer.size()) return WithoutDevicePrefix(std::string(buffer.data(), length));
        buffer.resize(length + 1);
    }
}

// The full path with every existing short name written long: names below the longest part
// that exists cannot have a short form yet.
std::string LongPathOf(const std::string& existing) {
    std::vector<char> buffer(MAX_PATH);
    DWORD length = GetLongPathNameA(existing.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetLongPathNameA(existing.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    return length == 0 || length >= buffer.size() ? std::string() : std::string(buffer.data(), length);
}

// The path as the file system sees it: its longest existing part by its final path (so that a
// link or junction counts as the folder it leads to), the parts not made yet as written.
std::vector<std::string> ComparableParts(const std::string& path) {
    std::string full = path;
    for (char& c : full)
        if (c == '/') c = '\\';
    full = WithoutDevicePrefix(ToFullUncPath(WithoutDevicePrefix(full)));
    std::vector<std::string> parts = SplitAbsolutePath(full);
    for (size_t count = parts.size(); count >= 1; --count) {
        const std::string existing = JoinParts(parts, count);
        if (GetFileAttributesA(existing.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::string resolved = FinalPathOf(existing);
        if (resolved.empty()) resolved = LongPathOf(existing);
        if (resolved.empty()) break;
        std::vector<std::string> resolvedParts = SplitAbsolutePath(resolved);
        resolvedParts.insert(resolvedParts.end(), parts.begin() + static_cast<std::ptrdiff_t>(count), parts.end());
        return resolvedParts;
    }
    return parts;
}

bool StartsWithParts(const std::vector<std::string>& parts, const std::vector<std::string>& prefix) {
    if (prefix.empty() || prefix.size() > parts.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (!SameComponent(parts[i], prefix[i])) return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Folders that an uninstall never deletes

#ifndef CSIDL_PROFILES
#define CSIDL_PROFILES 0x003e  // the folder of all user profiles; missing from some SDK headers
#endif

const int ProtectedFolderIds[] = {
    CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS,
    CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_FAVORITES, CSIDL_TEMPLATES, CSIDL_SENDTO, CSIDL_RECENT,
    CSIDL_PROFILE, CSIDL_PROFILES, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA,
    CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTUP,
    CSIDL_COMMON_STARTUP, CSIDL_ADMINTOOLS, CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_HISTORY,
    CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86,
    CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS,
};

std::string DownloadsPath() {
    PWSTR wide = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &wide))) path = WideToUtf8(wide);
    CoTaskMemFree(wide);
    return path;
}

std::string TemporaryFilesPath() {
    wchar_t buffer[MAX_PATH + 1] = {};  // the largest answer GetTempPathW gives
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    return length && length <= MAX_PATH ? WideToUtf8(std::wstring_view(buffer, length)) : std::string();
}

std::vector<std::string> ProtectedFolders() {
    std::vector<std::string> folders;
    for (int id : ProtectedFolderIds) folders.push_back(GetShellFolderPath(id, false));
    folders.push_back(DownloadsPath());
    folders.push_back(TemporaryFilesPath());
    return folders;
}

// ---------------------------------------------------------------------------------------------
// Texts and files

// The file's lines joined by CR LF, whatever line ends it uses; empty when it cannot be read.
std::string ReadTextLines(const std::string& path) {
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return std::string();
    const DWORD wanted = size.QuadPart < ReadmeSizeLimit ? static_cast<DWORD>(size.QuadPart) : ReadmeSizeLimit;
    std::string bytes(wanted, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[0], wanted, &read, nullptr)) return std::string();
    bytes.resize(read);
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            text += "\r\n";
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else if (c == '\0') {
            break;  // a text control ends there anyway
        } else {
            text += c;
        }
    }
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string WithExtension(const std::string& name, const std::string& extension) {
    return name.substr(0, name.find_last_of('.')) + extension;
}

bool IsFolderEntry(const std::string& entry) { return !entry.empty() && entry.back() == '\\'; }

// A package entry's name in an installation: the installer file under the program's own name.
std::string InstalledEntryName(const std::string& entry, const std::string& programName) {
    return WithoutTrailingBackslash(EqualIgnoringAsciiCase(entry, InstallerFileName) ? programName + ".exe" : entry);
}

std::string InstalledEntryPath(const std::string& directory, const std::string& entry, const std::string& programName) {
    return WithTrailingBackslash(directory) + InstalledEntryName(entry, programName);
}

std::string InstalledFilesRecordPath(const std::string& directory) {
    return WithTrailingBackslash(directory) + InstalledFilesRecordName;
}

// What an installation recorded it put into the package's folders; nothing for one made before
// such records were kept, whose folders then stay whole.
std::vector<std::string> RecordedInstalledFiles(const std::string& directory) {
    return ReadInstalledFiles(ReadTextLines(InstalledFilesRecordPath(directory)), PackageEntries());
}

// The files a folder entry of the package brings, as the record names them.
void AddFolderEntryFiles(const std::string& source, const std::string& entry, std::vector<std::string>& files) {
    for (const std::string& name : FileNamesIn(source)) files.push_back(WithTrailingBackslash(entry) + name);
}

// The recorded files of one of the package's folders, deleted through the folder's handle, and the
// folder once nothing else is left in it. False when the folder stays: it holds files that the
// installation did not make, or it is a junction or link (into some other folder of the player's),
// which is left as it is.
bool DeletePackageFolder(const TPlainFolder& installation, const std::string& path,
                         const std::vector<std::string>& recordedFiles) {
    if (!PathExists(path)) return true;
    const std::string name = NameOfPath(path);
    {
        const TPlainFolder folder(installation, name);
        if (!folder.IsOpen()) return false;
        for (const std::string& file : recordedFiles) {
            const size_t separator = file.find('\\');  // the record's lines hold exactly one
            if (EqualIgnoringAsciiCase(file.substr(0, separator), name))
                folder.DeleteFileNamed(file.substr(separator + 1));
        }
    }
    ClearLastError();
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

// " The folder "Sample pictures" was kept, ...", or nothing when no folder was kept. An
// installation made before its files were recorded keeps its folders whole, so the text does not
// say whose the files are.
std::string KeptFoldersText(const std::vector<std::string>& folders) {
    if (folders.empty()) return std::string();
    std::string names;
    for (size_t i = 0; i < folders.size(); ++i)
        names += (i == 0 ? "" : i + 1 == folders.size() ? " and " : ", ") + Quoted(folders[i]);
    return folders.size() == 1 ? " The folder " + names + " was kept, with the files left in it."
                               : " The folders " + names + " were kept, with the files left in them.";
}

// Said when the copy with administrator rights ended without a word of its own, as after a crash.
std::string UnfinishedMessage(const std::string& work, DWORD exitCode) {
    return "The " + work + " did not finish: the installer with administrator rights ended unexpectedly (exit code " +
           std::to_string(exitCode) + "). What it recorded is in the log " + Quoted(ErrorLogPath()) + ".";
}

}  // namespace

// ---------------------------------------------------------------------------------------------

bool IsInstallerRun() { return IsInstallerFileName() || IsUninstallParameter(); }

std::vector<std::string> PackageEntries() {
    std::vector<std::string> entries;
    for (std::string entry : ListedPackageEntries) {
        for (char& c : entry)
            if (c == '/') c = '\\';
        entries.push_back(entry);
    }
    return entries;
}

bool IsUninstallParameter(const std::string& parameter) { return EqualIgnoringAsciiCase(parameter, UninstallParameter); }

bool IsElevatedInstallerRun() {
    if (IsUninstallParameter()) return IsElevatedParameter(2);
    return IsInstallerFileName() && IsElevatedParameter(1);
}

int InstallerExitCode() { return IsElevatedInstallerRun() && !ElevatedWorkDone ? ElevatedWorkNotDone : 0; }

TInstallPaths InstallPathsFor(const std::string& programName, const std::string& sourceDirectory,
                              const std::string& chosenDirectory, const std::string& programsMenuPath) {
    TInstallPaths paths;
    paths.SourceDirectory = WithTrailingBackslash(sourceDirectory);
    paths.FolderName = NameOfPath(WithoutTrailingBackslash(paths.SourceDirectory));
    paths.TargetDirectory = WithTrailingBackslash(chosenDirectory) + paths.FolderName;
    paths.ProgramFile = paths.TargetDirectory + "\\" + programName + ".exe";
    // Quoted, so that a path with blanks cannot start another program on its way.
    paths.UninstallCommand = Quoted(paths.ProgramFile) + " " + UninstallParameter;
    paths.ReadmeFile = paths.TargetDirectory + "\\" + ReadmeFileName;
    paths.ProgramGroup = InFolder(programsMenuPath, paths.FolderName);
    return paths;
}

bool IsSameOrInsidePath(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty()) return false;
    return StartsWithParts(ComparableParts(path), ComparableParts(folder));
}

bool IsProtectedDirectory(const std::string& directory) {
    if (directory.empty()) return true;
    const std::vector<std::string> parts = ComparableParts(directory);
    if (parts.size() <= 1) return true;  // a drive, a share, or nothing usable
    for (const std::string& folder : ProtectedFolders())
        if (!folder.empty() && StartsWithParts(ComparableParts(folder), parts)) return true;
    return false;
}

// Every file is deleted through the handle of its folder, held open meanwhile, so that nothing
// outside the installation can be reached. Failures are not looked at: a file in use stays, as the
// final message says.
std::vector<std::string> DeleteInstalledPackage(const std::string& directory, const std::string& programName) {
    std::vector<std::string> keptFolders;
    {
        const TPlainFolder installation(directory);
        const std::vector<std::string> recordedFiles = RecordedInstalledFiles(directory);
        for (const std::string& entry : PackageEntries()) {
            const std::string name = InstalledEntryName(entry, programName);
            if (!IsFolderEntry(entry))
                installation.DeleteFileNamed(name);
            else if (!DeletePackageFolder(installation, WithTrailingBackslash(directory) + name, recordedFiles))
                keptFolders.push_back(name);
        }
        installation.DeleteFileNamed(InstalledFilesRecordName);
    }
    ClearLastError();
    RemoveDirectoryA(directory.c_str());
    return keptFolders;
}

void StartInstalledProgram(const std::string& programFile) {
    // The installed copy takes the instance guard over; still held here, it would end that copy at once.
    CloseProgramInstance();
    RunFile(programFile, "", "", true, false, InstallForm ? InstallForm->Handle() : nullptr);
}

// ---------------------------------------------------------------------------------------------
// The window

TInstallForm::TInstallForm() {
    InstallForm = this;
    CreateForm("", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, FormClientWidth,
               FormClientHeight, "Arial", 9);
    CreateLayout();
    CenterDialogOver(Handle(), nullptr);
    InstallToEdit->SetText(GetProgramFilesPath());
    LoadReadme();
}

TInstallForm::~TInstallForm() {
    if (InstallForm == this) InstallForm = nullptr;
}

void TInstallForm::CreateLayout() {
    layout_.Build(*this, Layout);
    layout_.Get<TButton>(idInstallCancelButton, [this] { CancelButtonClick(); });
    BrowseButton = layout_.Get<TButton>(idInstallBrowseButton, [this] { BrowseButtonClick(); });
    InstallButton = layout_.Get<TButton>(idInstallInstallButton, [this] { InstallButtonClick(); });
    MainPanel = layout_.Get<TCaptionPanel>(idInstallMainPanel);
    DescriptionLabel = layout_.Get<TLabel>(idInstallDescriptionLabel);
    VersionLabel = layout_.Get<TLabel>(idInstallVersionLabel);
    ReadmeMemo = layout_.Get<TMemo>(idInstallReadmeMemo);
    InstallToLabel = layout_.Get<TLabel>(idInstallInstallToLabel);
    InstallToEdit = layout_.Get<TReadOnlyEdit>(idInstallInstallToEdit);

    // Fonts by pixel height, so that the layout's pixel positions fit them on every screen.
    SetFontOfWindowTree(Handle(), AddFont(TFontStyle{"Arial", 12}));
    MainPanel->SetCaptionFont(AddFont(TFontStyle{"Comic Sans MS", 30, true, true}));
}

void TInstallForm::LoadReadme() { ReadmeMemo->SetText(ReadTextLines(GetProgramDirectory() + ReadmeFileName)); }

void TInstallForm::SetInstallToLabel(const std::string& text) {
    InstallToLabel->SetText(text);
    InstallToLabel->FitToText();
}

void TInstallForm::BeforeRun(const std::string& name, const std::string& description, const std::string& version) {
    ProgramName = name;
    DescriptionLabel->SetText(description);
    VersionLabel->SetText(version);
    if (IsInstallerFileName()) {
        SetText("Install " + name);
        MainPanel->SetText("Welcome to " + name);
        SetInstallToLabel("The program's installation directory will be put in directory:");
        InstallButton->SetText("&Install");
    }
    if (IsUninstallParameter()) {
        SetText("Uninstall " + name);
        MainPanel->SetText("Bye from " + name);
        SetInstallToLabel("The program's files will be deleted from directory:");
        InstallButton->SetText("Un&install");
        InstallToEdit->SetText(GetProgramDirectory());
        EnableWindow(BrowseButton->Handle(), FALSE);
    }
    elevated_ = IsElevatedInstallerRun();
    if (!elevated_) return;
    // The copy with rights does what its starter was asked to do; the user confirmed it there.
    if (!IsUninstallParameter()) InstallToEdit->SetText(WithTrailingBackslash(GetProgramParameter(2)));
    EnableWindow(BrowseButton->Handle(), FALSE);
    EnableWindow(InstallButton->Handle(), FALSE);
    PostMessageA(Handle(), WM_RUN_ELEVATED_WORK, 0, 0);
}

void TInstallForm::BrowseButtonClick() {
    std::string directory;
    if (BrowseForDirectory("", "", directory, Handle())) InstallToEdit->SetText(WithTrailingBackslash(directory));
}

void TInstallForm::InstallButtonClick() {
    EnableWindow(InstallButton->Handle(), FALSE);
    InstallOrUninstall();
    Close();
}

void TInstallForm::CancelButtonClick() { Close(); }

void TInstallForm::InstallOrUninstall() {
    if (InstallToEdit->Text().empty()) {
        ShowWarning("(Un)Installation directory is empty.");
        return;
    }
    if (IsUninstallParameter())
        Uninstall();
    else
        Install();
}

void TInstallForm::Install() {
    TFunOperation op(Module, "TInstallForm::Install", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string chosen = InstallToEdit->Text();
        if (chosen.empty()) {
            op.Raise(__LINE__, fsError, "Installation directory is empty.");
            return;
        }
        // With administrator rights the installation is the machine's, and so are its shortcuts: the
        // account that gave the rights may not be the player's.
        const TInstallPaths paths = InstallPathsFor(ProgramName, GetProgramDirectory(), chosen,
                                                    elevated_ ? GetCommonProgramsMenuPath() : GetProgramsMenuPath());
        if (!MayInstallFrom(paths) || !MayInstallInto(paths)) return;
        if (!IsConfirmed("Install the program in directory " + Quoted(paths.TargetDirectory) + "?")) return;
        if (NeedsRights(paths.TargetDirectory)) {
            InstallWithRights(op, chosen, paths);
            return;
        }
        if (!CanWorkIn(op, paths.TargetDirectory)) return;
        CopyPackage(op, paths);
        if (op.Failed()) return;
        MakeShortcuts(paths, elevated_ ? GetCommonDesktopPath() : GetDesktopPath());
        // A listing among the installed programs is a convenience: the installation stands without
        // it, so its failure is not taken over (the next operation replaces the current record).
        SetUninstallRegistry(ProgramName, ProgramName, paths.UninstallCommand);
        if (elevated_) {
            // The copy that asked for rights starts the game, so that it runs as the user.
            ElevatedWorkDone = true;
            return;
        }
        StartInstalledProgram(paths.ProgramFile);
        op.TakeCurrent();
    });
    op.EndShowing(__LINE__, InstallFailure);
}

// A folder that is not the package's own would name the installation after it ("Desktop"), and
// a drive root names nothing at all.
bool TInstallForm::MayInstallFrom(const TInstallPaths& paths) {
    if (!IsProtectedDirectory(paths.SourceDirectory)) return true;
    ShowWarning("The installer can not run from " + Quoted(paths.SourceDirectory) +
                ": a drive root or a special folder such as the Desktop or Downloads is not a package folder. Put "
                "\"Install.exe\" and the files that came with it into a folder of their own, and run it from there.");
    return false;
}

// A folder the installation with rights makes is the machine's: only the system and administrators
// may change it, every user may run what it holds. Made with that protected list of rights at
// once, so that a folder made where every user may write (a drive's root) does not inherit that:
// no other user can then put a program of their own where administrators run it, nor steer an
// uninstallation. Without rights the folder is the user's, with the rights it inherits.
bool TInstallForm::CreateInstallationDirectory(const std::string& directory) const {
    const std::wstring path = Utf8ToWide(directory);
    if (!elevated_) return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)",
                                                              SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    const BOOL created = CreateDirectoryW(path.c_str(), &attributes);
    const DWORD error = GetLastError();
    LocalFree(descriptor);
    SetLastError(error);
    return created != FALSE;
}

// Only the package's own entries: whatever else lies beside the installer stays where it is.
// Entries the package lacks (a package put together by hand) are skipped. The files put into the
// package's folders are recorded, with those of an earlier installation there, so that
// uninstalling deletes them and nothing else in those folders.
void TInstallForm::CopyPackage(TFunOperation& op, const TInstallPaths& paths) {
    ClearLastError();
    if (!CreateInstallationDirectory(paths.TargetDirectory) && LastErrorFailedAllowExisting()) {
        op.Raise(__LINE__, fsError, "Failed to create directory.", paths.TargetDirectory, "",
                 static_cast<int32_t>(LastError()));
        return;
    }
    std::vector<std::string> installedFiles = RecordedInstalledFiles(paths.TargetDirectory);
    for (const std::string& entry : PackageEntries()) {
        const std::string source = paths.SourceDirectory + WithoutTrailingBackslash(entry);
        const std::string destination = InstalledEntryPath(paths.TargetDirectory, entry, ProgramName);
        if (!PathExists(source)) continue;
        if (IsFolderEntry(entry)) {
            AddFolderEntryFiles(source, WithoutTrailingBackslash(entry), installedFiles);
            // Recorded before the copy: a copy that fails half-way leaves files to be removed.
            if (!WriteFileReplacing(InstalledFilesRecordPath(paths.TargetDirectory),
                                    InstalledFilesText(installedFiles))) {
                op.TakeCurrent();
                return;
            }
            CopyDeleteDirectory(source, destination, true);  // shows its own message when it fails
            if (op.TakeCurrent()) return;
            continue;
        }
        ClearReadOnly(destination);
        ClearLastError();
        if (!CopyFileA(source.c_str(), destination.c_str(), FALSE)) {
            op.Raise(__LINE__, fsError, "Failed to copy file.", source, destination, static_cast<int32_t>(LastError()));
            return;
        }
    }
}

bool TInstallForm::MayInstallInto(const TInstallPaths& paths) {
    // Copying a folder into itself never ends, and into its own parent overwrites it.
    if (IsSameOrInsidePath(paths.TargetDirectory, paths.SourceDirectory) ||
        IsSameOrInsidePath(paths.SourceDirectory, paths.TargetDirectory)) {
        ShowWarning("The program can not be installed in " + Quoted(paths.TargetDirectory) +
                    ": it overlaps the installation package folder " + Quoted(paths.SourceDirectory) +
                    ". Choose a directory outside the package.");
        return false;
    }
    // What Install makes, Uninstall must be able to remove again.
    if (IsProtectedDirectory(paths.TargetDirectory)) {
        ShowWarning("The program can not be installed in " + Quoted(paths.TargetDirectory) +
                    ": it is a drive root or a system folder. Choose another directory.");
        return false;
    }
    return true;
}

// The copy with rights was started after the user had answered the question.
bool TInstallForm::IsConfirmed(const std::string& question) { return elevated_ || AskYesNo(question); }

// Tried, not judged from the path: a folder on a stick needs no rights, one under Program Files
// does. The machine's list of installed programs is no reason: without rights the program is
// listed for the user alone.
bool TInstallForm::NeedsRights(const std::string& directory) const {
    return !elevated_ && !CanCreateFilesIn(directory);
}

// A copy with rights that still cannot write (a read-only medium) asks for nothing more: one report.
bool TInstallForm::CanWorkIn(TFunOperation& op, const std::string& directory) {
    if (!elevated_ || CanCreateFilesIn(directory)) return true;
    op.Raise(__LINE__, fsError, NotWritableWithRights, directory);
    return false;
}

// True when the copy with rights ended having done the work; when it did not, it has said why.
bool TInstallForm::RunWithRights(TFunOperation& op, const std::string& parameters,
                                 const std::string& declinedMessage, const std::string& work) {
    const TElevatedRun run = RunElevatedAndWait(GetProgramPath(), parameters, Handle());
    switch (run.Outcome) {
    case TElevatedOutcome::Declined:
        ShowWarning(declinedMessage);
        return false;
    case TElevatedOutcome::NotStarted:
        op.Raise(__LINE__, fsError, RightsNotStarted, GetProgramPath(), parameters,
                 static_cast<int32_t>(run.ErrorCode));
        return false;
    default:
        // ElevatedWorkNotDone: the copy has reported why itself.
        if (run.ExitCode != 0 && run.ExitCode != static_cast<DWORD>(ElevatedWorkNotDone))
            ShowWarning(UnfinishedMessage(work, run.ExitCode));
        return run.ExitCode == 0;
    }
}

void TInstallForm::InstallWithRights(TFunOperation& op, const std::string& chosen, const TInstallPaths& paths) {
    // Without its trailing backslash, which some command-line readers take as escaping the quote.
    const std::string parameters = std::string(ElevatedParameter) + " " + Quoted(WithoutTrailingBackslash(chosen));
    if (!RunWithRights(op, parameters, InstallDeclined, "installation")) return;
    StartInstalledProgram(paths.ProgramFile);
    op.TakeCurrent();
}

// Failures here are not looked at: an installation without rights to the Start menu still runs.
void TInstallForm::MakeShortcuts(const TInstallPaths& paths, const std::string& desktopFolder) {
    const std::string desktopLink = InFolder(desktopFolder, ProgramName + ".lnk");
    if (!desktopLink.empty()) CopyFileAsLink(paths.ProgramFile, desktopLink, true, "", true, false);
    // A group named like a special folder (say "Startup") would be that folder.
    if (paths.ProgramGroup.empty() || IsProtectedDirectory(paths.ProgramGroup)) return;
    ClearLastError();
    CreateDirectoryA(paths.ProgramGroup.c_str(), nullptr);
    CopyFileAsLink(paths.ProgramFile, InFolder(paths.ProgramGroup, ProgramName + ".lnk"), true, "", true, false);
    CopyFileAsLinkWithParam(paths.ProgramFile,
                            InFolder(paths.ProgramGroup, "Uninstall" + LinkExtensionFor(paths.ProgramFile)),
                            UninstallParameter, true);
    const std::string readmeLinkName = WithExtension(ReadmeFileName, LinkExtensionFor(paths.ReadmeFile));
    CopyFileAsLink(paths.ReadmeFile, InFolder(paths.ProgramGroup, readmeLinkName), true, "", true, false);
}

void TInstallForm::Uninstall() {
    TFunOperation op(Module, "TInstallForm::Uninstall", __LINE__);
    op.Guard(__LINE__, [&] {
        const std::string directory = InstallToEdit->Text();
        if (directory.empty()) {
            op.Raise(__LINE__, fsError, "Uninstallation directory is empty.");
            return;
        }
        if (IsProtectedDirectory(directory)) {
            ShowWarning("The directory " + Quoted(directory) +
                        " is a drive root or a system folder and will not be deleted. Nothing was uninstalled.");
            return;
        }
        if (!IsConfirmed("Delete the program's files from directory " + Quoted(directory) +
                         "? Files that the installation did not make, such as options and saved games, are kept."))
            return;
        const TUninstallPlan plan = PlanUninstall(UninstallRun(directory));
        if (plan.Rights != TUninstallRights::NotAsked &&
            !RunWithRights(op, UninstallWithRightsParameters(plan.Rights), UninstallDeclined, "uninstallation"))
            return;
        if (plan.Rights == TUninstallRights::ForEverything) return;  // the copy with rights did it all, and said so
        std::vector<std::string> keptFolders;
        if (plan.DeletesFiles) {
            if (!CanWorkIn(op, directory)) return;
            keptFolders = DeleteInstalledPackage(directory, ProgramName);
        }
        RemoveShortcuts();
        DeleteUninstallerRegistry(ProgramName, GetProgramPath());
        ElevatedWorkDone = true;
        if (plan.DeletesFiles) ShowInformation(UninstallDone + KeptFoldersText(keptFolders));
    });
    op.EndShowing(__LINE__, UninstallFailure);
}

// The player's run knows whether it can write the folder; a copy with rights knows only what its
// starter told it, as anything in the folder may have been changed by another user meanwhile.
TUninstallRun TInstallForm::UninstallRun(const std::string& directory) const {
    TUninstallRun run;
    run.Elevated = elevated_;
    run.MachineEntryOnly = elevated_ && IsMachineEntryOnlyParameter();
    run.FolderWritable = !elevated_ && CanCreateFilesIn(directory);
    run.MachineEntryNeedsRights = NeedsRightsForMachineEntry();
    return run;
}

// An entry in the machine's list of this installation can only be deleted with rights.
bool TInstallForm::NeedsRightsForMachineEntry() const {
    return !elevated_ && HasMachineUninstallEntry(ProgramName, GetProgramPath()) && !CanWriteUninstallEntries();
}

// Shortcuts for all users (an installation with administrator rights) and for the user alone (one
// without) are both removed; what is not there is not looked for. Without rights the all-users
// ones stay, which only an installation with rights made.
void TInstallForm::RemoveShortcuts() {
    for (const std::string& desktop : {GetDesktopPath(), GetCommonDesktopPath()}) {
        const std::string link = InFolder(desktop, ProgramName + ".lnk");
        if (link.empty()) continue;
        ClearLastError();
        DeleteFileA(link.c_str());
    }
    const std::string folderName = NameOfPath(WithoutTrailingBackslash(DirectoryOfPath(GetProgramPath())));
    for (const std::string& menu : {GetProgramsMenuPath(), GetCommonProgramsMenuPath()}) {
        const std::string programGroup = InFolder(menu, folderName);
        // A folder named like a special one (say "Startup") is the user's, not a program group.
        if (!programGroup.empty() && !IsProtectedDirectory(programGroup)) DeleteDirectoryNoErrors(programGroup);
    }
}

// The read-me has the focus first; afterwards the control that had it when the window lost it.
void TInstallForm::RestoreFocus() {
    HWND target = lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_) ? lastFocus_
                                                                                        : ReadmeMemo->Handle();
    SetFocus(target);
}

LRESULT TInstallForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RUN_ELEVATED_WORK) {
        InstallButtonClick();
        return 0;
    }
    if (message == WM_ACTIVATE) {
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        } else if (!HIWORD(wParam)) {
            RestoreFocus();
        }
        return 0;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}
