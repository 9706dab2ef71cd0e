#include "support/ShellLinks.h"

#include "Include/WideText.h"
#include "support/TestFiles.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

namespace {

// Wine's link object reads every show command back as 1, so the field is read from the file: the
// header holds it at byte 60, after size, class, flags, attributes, three times, file size and
// icon index.
uint32_t StoredShowCommand(const std::string& linkFile) {
    const std::string bytes = ReadFileBytes(linkFile);
    if (bytes.size() < 64) return 0;
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[60])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[61])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[62])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[63])) << 24;
}

}  // namespace

TReadLink ReadLink(const std::string& linkFile) {
    TReadLink read;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return read;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(WidePath(linkFile).c_str(), STGM_READ))) {
            read.Loaded = true;
            wchar_t text[1024] = {};
            link->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
            read.Target = WideToUtf8(text);
            text[0] = L'\0';
            link->GetArguments(text, 1024);
            read.Arguments = WideToUtf8(text);
            text[0] = L'\0';
            link->GetWorkingDirectory(text, 1024);
            read.WorkingDirectory = WideToUtf8(text);
            read.ShowCommand = StoredShowCommand(linkFile);
        }
        file->Release();
    }
    link->Release();
    return read;
}
