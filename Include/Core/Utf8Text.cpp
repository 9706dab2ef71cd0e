#include "Include/Core/Utf8Text.h"

#include <cstdint>

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed character at the start of the text, or 0 when none starts there.
size_t CharacterLength(std::string_view text) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong below U+0800
        if (lead == 0xED) high = 0x9F;  // U+D800 to U+DFFF are UTF-16 surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong below U+10000
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!IsContinuation(at(i))) return 0;
    return length;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const size_t length = CharacterLength(text);
        if (length == 0) return false;
        text.remove_prefix(length);
    }
    return true;
}

size_t Utf8CharacterCount(std::string_view text) {
    size_t count = 0;
    while (!text.empty()) {
        const size_t length = CharacterLength(text);
        text.remove_prefix(length == 0 ? 1 : length);
        ++count;
    }
    return count;
}

std::string WithLegacyLinesConverted(std::string_view text,
                                     const std::function<std::string(std::string_view)>& fromLegacy) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string converted;
    converted.reserve(text.size() + text.size() / 8);
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (IsValidUtf8(line))
            converted.append(line.data(), line.size());
        else
            converted += fromLegacy(line);
        if (end == std::string_view::npos) break;
        converted += text[end];
        text.remove_prefix(end + 1);
    }
    return converted;
}
