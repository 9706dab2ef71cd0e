// The text form of booleans in the options and saved-game files.
#pragma once

#include <string>

inline std::string BoolToText(bool value) { return value ? "TRUE" : "FALSE"; }
// Only the exact text "TRUE" is true: "true", "True", "1" and the empty text are false.
inline bool TextToBool(const std::string& text) { return text == "TRUE"; }
