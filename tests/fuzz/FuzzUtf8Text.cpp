// UTF-8 checks on arbitrary bytes: never crash, agree with a decoder written from the code-point
// ranges, and the legacy conversion always leaves valid UTF-8 with every line end in place.
#include "Include/Core/Utf8Text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "FuzzUtf8Text: %s\n", what);
    std::abort();
}

// Decodes by value: the sequence's code point must need exactly that many bytes and be no
// surrogate and no more than U+10FFFF.
bool ReferenceValid(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        uint32_t value = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = (value << 6) | (next & 0x3F);
        }
        const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Every byte as the Latin-1 character: always valid UTF-8, never a line end of its own.
std::string Latin1ToUtf8(std::string_view line) {
    std::string utf8;
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

size_t LineEnds(std::string_view text) {
    size_t count = 0;
    for (char c : text) count += c == '\r' || c == '\n';
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool valid = IsValidUtf8(text);
    Check(valid == ReferenceValid(text), "validity differs from the reference decoder");
    const size_t count = Utf8CharacterCount(text);
    Check(count <= size && count * 4 >= size, "a character count outside one to four bytes a character");
    const std::string converted = WithLegacyLinesConverted(text, Latin1ToUtf8);
    Check(IsValidUtf8(converted), "the converted text is not valid UTF-8");
    Check(LineEnds(converted) == LineEnds(text), "line ends lost or added");
    if (valid) Check(converted == text, "valid text was changed");
    return 0;
}
