// Path texts: backslash-separated byte strings, a drive written as its letter and a colon.
// Pure string work; nothing here touches the file system.
#pragma once

#include <cstdint>
#include <string>

std::string WithTrailingBackslash(const std::string& path);
bool IsDriveOnly(const std::string& path);
// Up to and including the last backslash or colon; empty for a drive alone.
std::string DirectoryOfPath(const std::string& path);
// After the last backslash or colon; a drive alone is its own name.
std::string NameOfPath(const std::string& path);
// The file-name part's extension from its last dot (".jpg"); empty when it has none.
std::string ExtensionOfPath(const std::string& path);
// True when the path holds one of < > | " * ? and so names no single file.
bool HasPatternCharacters(const std::string& path);
// The name of a copy that must not replace another: "stem.ext" for the first, then
// "stem (2).ext", "stem (3).ext" and so on.
std::string NumberedPath(const std::string& stem, const std::string& extension, int copy);
uint64_t CombineFileSize(uint32_t low, uint32_t high);
// The parameter text handed to the shell: empty, or a blank and the parameters, quoted on request.
std::string ShellParameters(const std::string& parameters, bool quote);
// ASCII letters folded to upper case, for comparisons of paths that ignore letter case.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b);

// Parameter number index of a command line that follows the program name; 1 is the first.
// White space separates parameters; double quotes group blanks into one and are dropped.
std::string CommandLineParameter(const std::string& commandLine, int index);
