#include "Include/Core/FileListBlock.h"

namespace {

constexpr size_t HeaderSize = 20;
constexpr size_t NamesOffsetAt = 0, WideFlagAt = 16;

uint32_t Le32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

bool IsZeroCharacter(const uint8_t* at, size_t width) {
    for (size_t byte = 0; byte < width; ++byte)
        if (at[byte] != 0) return false;
    return true;
}

}  // namespace

// The names are walked as the system's readers walk them: a zero character where a name would
// start ends the list.
bool IsWholeFileListBlock(const uint8_t* data, size_t size) {
    if (!data || size < HeaderSize) return false;
    const size_t namesAt = Le32(data + NamesOffsetAt);
    if (namesAt < HeaderSize || namesAt >= size) return false;
    const size_t width = Le32(data + WideFlagAt) != 0 ? 2 : 1;
    bool nameStarts = true;
    for (size_t at = namesAt; size - at >= width; at += width) {
        const bool zero = IsZeroCharacter(data + at, width);
        if (zero && nameStarts) return true;
        nameStarts = zero;
    }
    return false;
}
