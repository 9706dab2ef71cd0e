#include "Include/Core/InstalledFiles.h"

#include "Include/Core/PathText.h"

#include <algorithm>

namespace {

std::vector<std::string_view> PartsOf(std::string_view path) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = path.find('\\', start);
        parts.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

bool IsInFolderEntry(std::string_view folder, const std::vector<std::string>& folderEntries) {
    for (const std::string& entry : folderEntries)
        if (!entry.empty() && (entry.back() == '/' || entry.back() == '\\') &&
            EqualIgnoringAsciiCase(std::string(folder), entry.substr(0, entry.size() - 1)))
            return true;
    return false;
}

bool IsFileInFolderEntry(std::string_view line, const std::vector<std::string>& folderEntries) {
    const std::vector<std::string_view> parts = PartsOf(line);
    return parts.size() == 2 && std::all_of(parts.begin(), parts.end(), IsPlainFileName) &&
           IsInFolderEntry(parts.front(), folderEntries);
}

}  // namespace

// The system drops trailing dots and blanks ("..." and ".. " would become ".." or nothing), and
// "\", "/" and ":" would start another path.
bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == '/' || c == ':' || c == '<' || c == '>' ||
            c == '|' || c == '"' || c == '*' || c == '?')
            return false;
    return true;
}

std::vector<std::string> ReadInstalledFiles(std::string_view text, const std::vector<std::string>& folderEntries) {
    std::vector<std::string> files;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        start = end + 1;
        if (IsFileInFolderEntry(line, folderEntries) && std::find(files.begin(), files.end(), line) == files.end())
            files.emplace_back(line);
    }
    return files;
}

std::string InstalledFilesText(std::vector<std::string> files) {
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    std::string text;
    for (const std::string& file : files) text += file + "\r\n";
    return text;
}

TUninstallPlan PlanUninstall(const TUninstallRun& run) {
    if (run.Elevated) return {TUninstallRights::NotAsked, !run.MachineEntryOnly};
    if (!run.FolderWritable) return {TUninstallRights::ForEverything, false};
    if (run.MachineEntryNeedsRights) return {TUninstallRights::ForMachineEntry, true};
    return {TUninstallRights::NotAsked, true};
}
