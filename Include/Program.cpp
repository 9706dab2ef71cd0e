#include "Include/Program.h"

#include "Include/Core/FunStat.h"
#include "Include/Core/PathText.h"
#include "Include/File.h"
#include "Include/Owned.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <exception>
#include <utility>
#include <vector>

namespace {

const char* const Module = "Include\\Program";
// Held for the whole run, so that a second copy sees this one.
TOwnedHandle ProgramInstanceMutex;
std::string DataDirectory;

// The user's roaming application-data folder with a trailing backslash; empty when the system
// names none.
std::string ApplicationDataPath() {
    const std::string path = GetShellFolderPath(CSIDL_APPDATA, true);
    return path.empty() ? std::string() : WithTrailingBackslash(path);
}

std::string WithoutExtension(const std::string& name) { return name.substr(0, name.find_last_of('.')); }

}  // namespace

const char* const ProgramInstanceMutexPrefix = "Mutex_ProgramInstance_";

TProgram::TProgram() {
    std::set_terminate(TerminateProgramFun);
    SetLastError(0);
    OleInitialize(nullptr);
}

TProgram::~TProgram() {
    SetLastError(0);
    OleUninitialize();
}

TProgram Program;

bool IsProgramInstanceRunning(const std::string& programName) {
    SetLastError(0);
    TOwnedHandle mutex(CreateMutexA(nullptr, TRUE, (ProgramInstanceMutexPrefix + programName).c_str()));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) return true;
    // A new mutex, or none at all: either way this copy runs.
    ProgramInstanceMutex = std::move(mutex);
    return false;
}

void CloseProgramInstance() { ProgramInstanceMutex.reset(); }

void TerminateProgramFun() {
    static const char* const Message = "Abort intercepted.\r\nProgram must be terminated.";
    CurrentFunStatContext.Raise(Module, "TerminateProgramFun", __LINE__, fsError, Message, "", "", 0);
    CurrentFunStatContext.SetShowContext(Module, "TerminateProgramFun", __LINE__);
    CurrentFunStatContext.Show(Message);
    CurrentFunStatContext.Reset(fsPerfect);
    TerminateProgramImmediately();
}

void TerminateProgramImmediately() {
    // No exit handlers and no destructors of global objects: nothing is saved.
    ExitProcess(1);
}

std::string GetProgramParameter(int index) {
    if (index != 0) return CommandLineParameter(GetCommandLineA(), index);
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetProgramPath() { return GetProgramParameter(0); }

std::string GetProgramDirectory() { return DirectoryOfPath(GetProgramPath()); }

std::string GetProgramFileName() { return NameOfPath(GetProgramPath()); }

std::string DataDirectoryFor(const std::string& programDirectory, const std::string& name) {
    if (CanCreateFilesIn(programDirectory)) return programDirectory;
    const std::string applicationData = ApplicationDataPath();
    if (applicationData.empty() || name.empty()) return programDirectory;
    const std::string directory = applicationData + name + "\\";
    // An existing folder is the usual case after the first run.
    CreateDirectoryA(directory.c_str(), nullptr);
    return PathExists(directory) && CanCreateFilesIn(directory) ? directory : programDirectory;
}

void DecideDataDirectory(const std::string& name) {
    if (DataDirectory.empty()) DataDirectory = DataDirectoryFor(GetProgramDirectory(), name);
}

std::string GetDataDirectory() {
    DecideDataDirectory(WithoutExtension(GetProgramFileName()));
    return DataDirectory;
}
