// UTF-8 texts: the program keeps every text in UTF-8 (the manifest makes it the process code
// page), while files written by older versions may hold text in the system's legacy code page.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no UTF-16 surrogates and nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The number of characters (code points) of a UTF-8 text; a byte that starts no well-formed
// character counts as one character of its own.
size_t Utf8CharacterCount(std::string_view text);

// The text with every line that is not valid UTF-8 passed through fromLegacy, which reads it in
// the legacy code page. Line ends (CR, LF) and valid lines stay byte for byte as they were.
std::string WithLegacyLinesConverted(std::string_view text,
                                     const std::function<std::string(std::string_view)>& fromLegacy);
