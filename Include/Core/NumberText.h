// Whole numbers as the settings files store them: decimal with an optional sign, or a 32-bit
// hexadecimal pattern after "$", "x" or "0x". Pure text work, independent of the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Converts the text to a signed 32-bit number. Blanks before the number are skipped; anything
// else around it, an empty text, a sign before a hexadecimal number and a decimal number outside
// the signed 32-bit range make the text no number: then the result is false and value is untouched.
// Hexadecimal takes up to eight significant digits as the bit pattern, so "$FFFFFFFF" is -1.
bool TextToInteger(std::string_view text, int32_t& value);

// Decimal, with a minus sign for negative numbers and no separators.
std::string IntegerToText(int32_t value);
