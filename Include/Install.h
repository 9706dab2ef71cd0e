// The program as its own installer and uninstaller: the window that copies the package folder
// into a chosen directory with shortcuts and an uninstall entry, or removes an installation.
// Operations with a status record report as module "Include\Install".
#pragma once

#include "Framework/Controls.h"
#include "Framework/Form.h"
#include "Framework/Layout.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/InstalledFiles.h"
#include "Include/Owned.h"

#include <string>
#include <vector>

// True when the running file is named "Install.exe" or the first parameter is "/Uninstall",
// both in any letter case.
bool IsInstallerRun();
// True for the parameter that starts the uninstaller, in any letter case.
bool IsUninstallParameter(const std::string& parameter);
// True for the installer started again with administrator rights by a copy that needed them:
// "Install.exe /Elevated <chosen directory>" or "<program> /Uninstall /Elevated", followed by
// "/MachineEntryOnly" when its starter deletes the files itself and leaves it only the machine's
// uninstall entry and the all-users shortcuts. Such a copy does its work without asking again,
// never asks for rights itself, and tells its starter by its exit code whether the work was done.
bool IsElevatedInstallerRun();
// The exit code of the run: 0, or ElevatedWorkNotDone for a copy with administrator rights that
// did not finish its work (it has reported why).
int InstallerExitCode();
const int ElevatedWorkNotDone = 2;

// The package's own files and folders, relative to the package folder ("Install.exe" first;
// a folder ends with a backslash): the installer copies these and nothing else, and the
// uninstaller removes these and nothing else. The list is package/Contents.list, which
// `make package` lays out too.
std::vector<std::string> PackageEntries();

// Where an installation goes and what it makes there.
struct TInstallPaths {
    std::string SourceDirectory;  // the package folder, with a trailing backslash
    std::string FolderName;       // the package folder's own name
    std::string TargetDirectory;  // the chosen directory and the folder name, without a trailing backslash
    std::string ProgramFile;
    std::string UninstallCommand;
    std::string ReadmeFile;
    std::string ProgramGroup;     // the Start-menu folder, named like the package folder
};
TInstallPaths InstallPathsFor(const std::string& programName, const std::string& sourceDirectory,
                              const std::string& chosenDirectory, const std::string& programsMenuPath);

// True when path names folder itself or something inside it. Both are compared as full long
// paths, component by component, whatever their letter case, slashes, short names or "..".
bool IsSameOrInsidePath(const std::string& path, const std::string& folder);
// True for a directory that must never be deleted as a whole: a drive or network share root,
// or a folder that is, or holds, one of the user's or the system's special folders.
bool IsProtectedDirectory(const std::string& directory);

// Deletes what Install made in the directory: the package's files, the files recorded in its
// folders, each folder once nothing else is left in it, and the directory likewise. Gives the
// package's folders that were kept, with files the installation did not make.
std::vector<std::string> DeleteInstalledPackage(const std::string& directory, const std::string& programName);

// Hands the instance guard over and starts the installed program; RunFile's outcome is current.
void StartInstalledProgram(const std::string& programFile);

// Control numbers of the installer window. Cancel carries IDCANCEL so that Escape reaches it.
enum TInstallFormControlId : int {
    idInstallCancelButton = IDCANCEL,
    idInstallMainPanel = 500,
    idInstallDescriptionLabel,
    idInstallVersionLabel,
    idInstallInstructionsLabel,
    idInstallReadmeMemo,
    idInstallInstallToLabel,
    idInstallInstallToEdit,
    idInstallBrowseButton,
    idInstallInstallButton,
};

class TInstallForm : public TForm {
public:
    // Sets InstallForm; offers the Program Files folder and shows the package's read-me.
    TInstallForm();
    ~TInstallForm() override;

    // Names the program and chooses the mode from the running file's name and the first parameter.
    void BeforeRun(const std::string& name, const std::string& description, const std::string& version);

    void BrowseButtonClick();
    void InstallButtonClick();
    void CancelButtonClick();

    void InstallOrUninstall();
    void Install();
    void Uninstall();

    std::string ProgramName;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int) override { layout_.Arrange(*this); }

private:
    void CreateLayout();
    void LoadReadme();
    void SetInstallToLabel(const std::string& text);
    bool MayInstallFrom(const TInstallPaths& paths);
    bool MayInstallInto(const TInstallPaths& paths);
    void CopyPackage(TFunOperation& op, const TInstallPaths& paths);
    bool CreateInstallationDirectory(const std::string& directory) const;
    TUninstallRun UninstallRun(const std::string& directory) const;
    bool NeedsRightsForMachineEntry() const;
    bool IsConfirmed(const std::string& question);
    bool NeedsRights(const std::string& directory) const;
    bool CanWorkIn(TFunOperation& op, const std::string& directory);
    bool RunWithRights(TFunOperation& op, const std::string& parameters, const std::string& declinedMessage,
                       const std::string& work);
    void InstallWithRights(TFunOperation& op, const std::string& chosen, const TInstallPaths& paths);
    void MakeShortcuts(const TInstallPaths& paths, const std::string& desktopFolder);
    void RemoveShortcuts();
    void RestoreFocus();

    TCaptionPanel* MainPanel = nullptr;
    TLabel* DescriptionLabel = nullptr;
    TLabel* VersionLabel = nullptr;
    TMemo* ReadmeMemo = nullptr;
    TLabel* InstallToLabel = nullptr;
    TReadOnlyEdit* InstallToEdit = nullptr;
    TButton* BrowseButton = nullptr;
    TButton* InstallButton = nullptr;
    TLayout layout_;
    HWND lastFocus_ = nullptr;
    bool elevated_ = false;
};

extern TInstallForm* InstallForm;
