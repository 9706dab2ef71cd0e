#include "Include/ShellLink.h"

#include "Include/Core/PathText.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Owned.h"
#include "Include/WideText.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <utility>

namespace {

const char* const Module = "Include\\File";

// SHGetFileInfoA's answer for an MS-DOS program: the letters "MZ" read as a 16-bit number.
// Wine gives the two letters in the other order; nothing else answers with either value.
const DWORD_PTR DosProgramMark = 0x5A4D;
const DWORD_PTR SwappedDosProgramMark = 0x4D5A;

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The file name's extension from its last full stop, with the stop; empty without one.
std::string ExtensionOf(const std::string& path) {
    const std::string name = NameOfPath(path);
    const size_t stop = name.find_last_of('.');
    return stop == std::string::npos ? std::string() : name.substr(stop);
}

// The folder of the target's full form: a bare file name still works in its own folder.
std::string TargetDirectory(const std::string& target) { return DirectoryOfPath(ToFullPath(target)); }

}  // namespace

void TLinkFile::Clear() { *this = TLinkFile(); }

bool TLinkFile::Save(const std::string& linkFileName, bool replace) {
    HRESULT lastResult = S_OK;
    TFunOperation op(Module, "TLinkFile::Save", __LINE__);
    op.Guard(__LINE__, [&] {
        Target = ToFullPath(Target);
        if (IsLinkFileName(Target)) {
            op.Raise(__LINE__, fsError, "This operating system does not support chained links.", linkFileName);
            return;
        }
        if (PathExists(linkFileName) && !replace) return;

        // Each step stops the save at its first failure, naming the COM result.
        auto failed = [&](HRESULT result, int32_t line, const char* message) {
            lastResult = result;
            if (!ComCallFailed(result)) return false;
            op.Raise(line, fsError, message, linkFileName, "", static_cast<int32_t>(result));
            return true;
        };
        // The wide interface: a shortcut keeps every name whatever code page the system has.
        TComInterface<IShellLinkW> link;
        ClearLastError();
        if (failed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Receive()),
                   __LINE__, "Failed to initialize instance."))
            return;
        if (failed(link->SetPath(Utf8ToWide(Target).c_str()), __LINE__, "Failed to set reference path.")) return;
        if (failed(link->SetWorkingDirectory(Utf8ToWide(ToFullPath(WorkingDirectory)).c_str()), __LINE__,
                   "Failed to set working path."))
            return;
        if (failed(link->SetArguments(Utf8ToWide(Arguments).c_str()), __LINE__, "Failed to set arguments.")) return;
        if (failed(link->SetDescription(Utf8ToWide(Description).c_str()), __LINE__, "Failed to set description."))
            return;
        if (failed(link->SetIconLocation(Utf8ToWide(ToFullPath(IconPath)).c_str(), IconIndex), __LINE__,
                   "Failed to set icon path."))
            return;
        if (failed(link->SetHotkey(static_cast<WORD>(HotKey & 0xFFFF)), __LINE__, "Failed to set hot key.")) return;
        // A shortcut that says 0 would ask for a hidden window; 0 here means the normal one.
        const int showCommand = ShowCommand == 0 ? static_cast<int>(lsNormal) : static_cast<int>(ShowCommand);
        if (failed(link->SetShowCmd(showCommand), __LINE__, "Failed to set show command.")) return;

        TComInterface<IPersistFile> file;
        ClearLastError();
        if (failed(link->QueryInterface(IID_IPersistFile, file.Receive()), __LINE__, "Failed to query interface."))
            return;
        ClearLastError();
        const std::wstring wideName = Utf8ToWide(linkFileName);
        if (wideName.empty() && !linkFileName.empty()) {
            op.Raise(__LINE__, fsError, "Failed to convert to unicode.", linkFileName, "",
                     static_cast<int32_t>(LastError()));
            return;
        }
        failed(file->Save(wideName.c_str(), FALSE), __LINE__, "Failed to save link file.");
    });
    const bool saved = !op.Failed() && !ComCallFailed(lastResult);
    op.EndPassing([&] { Clear(); });
    return saved;
}

bool IsLinkFileName(const std::string& path) {
    const std::string extension = LowerAscii(ExtensionOf(path));
    return extension == ".lnk" || extension == ".pif";
}

bool IsDosProgram(const std::string& path) {
    const DWORD_PTR type = SHGetFileInfoA(path.c_str(), 0, nullptr, 0, SHGFI_EXETYPE);
    return type == DosProgramMark || type == SwappedDosProgramMark;
}

std::string LinkExtensionFor(const std::string& target) { return IsDosProgram(target) ? ".pif" : ".lnk"; }

void CopyFileAsLink(const std::string& target, const std::string& linkFileName, bool replace,
                    const std::string& arguments, bool setWorkingDirectory, bool minimised) {
    TFunOperation op(Module, "CopyFileAsLink", __LINE__);
    op.Guard(__LINE__, [&] {
        TLinkFile link;
        link.Target = target;
        if (setWorkingDirectory) link.WorkingDirectory = TargetDirectory(target);
        link.Arguments = arguments;
        if (minimised) link.ShowCommand = lsMinimised;
        link.Save(linkFileName, replace);
        op.TakeCurrent();
    });
    op.EndPassing();
}

void CopyFileAsLinkWithParam(const std::string& target, const std::string& linkFileName,
                             const std::string& arguments, bool replace) {
    TFunOperation op(Module, "CopyFileAsLinkWithParam", __LINE__);
    op.Guard(__LINE__, [&] {
        TLinkFile link;
        link.Target = target;
        link.WorkingDirectory = TargetDirectory(target);
        link.Arguments = arguments;
        link.Save(linkFileName, replace);
        op.TakeCurrent();
    });
    op.EndPassing();
}
