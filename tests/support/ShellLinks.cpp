#include "support/ShellLinks.h"

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
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return read;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring wide(linkFile.begin(), linkFile.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            read.Loaded = true;
            char text[1024] = {};
            link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
            read.Target = text;
            text[0] = '\0';
            link->GetArguments(text, sizeof text);
            read.Arguments = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, sizeof text);
            read.WorkingDirectory = text;
            read.ShowCommand = StoredShowCommand(linkFile);
        }
        file->Release();
    }
    link->Release();
    return read;
}
