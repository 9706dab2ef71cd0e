// Shortcut files (".lnk", and ".pif" for MS-DOS programs) written through the shell's link
// object. Operations with a status record report as module "Include\File".
#pragma once

#include <cstdint>
#include <string>

// Show commands a shortcut can carry.
enum : uint32_t { lsNormal = 1, lsMinimised = 7 };

// What a shortcut holds. A new record is cleared.
struct TLinkFile {
    std::string Target;
    std::string WorkingDirectory;
    std::string Arguments;
    std::string Description;
    std::string IconPath;
    int32_t IconIndex = 0;
    uint32_t HotKey = 0;       // low 16 bits: virtual key in the low byte, modifier flags in the high byte
    uint32_t ShowCommand = 0;  // 0 stands for the normal window

    void Clear();
    // Writes the shortcut file; an existing one is left alone unless replace is on. Target
    // becomes its full long form first. A failure clears the record; false when it failed.
    bool Save(const std::string& linkFileName, bool replace);
};

// True for the extensions ".lnk" and ".pif" in any letter case.
bool IsLinkFileName(const std::string& path);
// True when the shell classes the file as an MS-DOS program.
bool IsDosProgram(const std::string& path);
// ".pif" for an MS-DOS program, ".lnk" for everything else.
std::string LinkExtensionFor(const std::string& target);

// A shortcut to target, with the target's folder as working directory on request.
void CopyFileAsLink(const std::string& target, const std::string& linkFileName, bool replace,
                    const std::string& arguments, bool setWorkingDirectory, bool minimised);
// A shortcut to target with arguments, always working in the target's folder.
void CopyFileAsLinkWithParam(const std::string& target, const std::string& linkFileName,
                             const std::string& arguments, bool replace);
