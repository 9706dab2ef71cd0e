#include "Include/Core/PathText.h"

std::string WithTrailingBackslash(const std::string& path) {
    if (path.empty() || path.back() == '\\') return path;
    return path + '\\';
}

bool IsDriveOnly(const std::string& path) { return path.size() >= 2 && path.back() == ':'; }

namespace {
size_t AfterLastDelimiter(const std::string& path) {
    size_t position = path.find_last_of("\\:");
    return position == std::string::npos ? 0 : position + 1;
}
}  // namespace

std::string DirectoryOfPath(const std::string& path) {
    if (IsDriveOnly(path)) return std::string();
    return path.substr(0, AfterLastDelimiter(path));
}

std::string NameOfPath(const std::string& path) {
    if (IsDriveOnly(path)) return path;
    return path.substr(AfterLastDelimiter(path));
}

bool HasPatternCharacters(const std::string& path) { return path.find_first_of("<>|\"*?") != std::string::npos; }

uint64_t CombineFileSize(uint32_t low, uint32_t high) { return (static_cast<uint64_t>(high) << 32) | low; }

std::string ShellParameters(const std::string& parameters, bool quote) {
    if (parameters.empty()) return std::string();
    return quote ? " \"" + parameters + '"' : ' ' + parameters;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Reads one parameter starting at position (after blanks) and moves position past it.
std::string NextParameter(const std::string& line, size_t& position) {
    while (position < line.size() && IsBlank(line[position])) ++position;
    std::string parameter;
    bool quoted = false;
    while (position < line.size() && (quoted || !IsBlank(line[position]))) {
        if (line[position] == '"')
            quoted = !quoted;
        else
            parameter += line[position];
        ++position;
    }
    return parameter;
}

}  // namespace

std::string CommandLineParameter(const std::string& commandLine, int index) {
    if (index < 0) return std::string();
    size_t position = 0;
    std::string parameter = NextParameter(commandLine, position);  // the program name itself
    for (int i = 0; i < index; ++i) {
        parameter = NextParameter(commandLine, position);
        if (parameter.empty() && position >= commandLine.size()) return std::string();
    }
    return parameter;
}

std::string ExtensionOfPath(const std::string& path) {
    const std::string name = NameOfPath(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string NumberedPath(const std::string& stem, const std::string& extension, int copy) {
    return copy <= 1 ? stem + extension : stem + " (" + std::to_string(copy) + ")" + extension;
}
