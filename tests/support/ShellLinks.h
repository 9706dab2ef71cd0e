// Shortcut files read back through the shell's own link object, as the desktop would read them.
// The caller must have initialised COM on its thread.
#pragma once

#include <cstdint>
#include <string>

// What the shell reads back from a shortcut file.
struct TReadLink {
    bool Loaded = false;
    std::string Target;
    std::string Arguments;
    std::string WorkingDirectory;
    uint32_t ShowCommand = 0;  // as stored in the file
};

// Loaded stays false when the link object cannot read the file. The names are UTF-8.
TReadLink ReadLink(const std::string& linkFile);
