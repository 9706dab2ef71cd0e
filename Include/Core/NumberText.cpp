#include "Include/Core/NumberText.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

int32_t FromBitPattern(uint32_t pattern) {
    // Two's complement without relying on the implementation-defined narrowing conversion.
    return pattern <= 0x7FFFFFFFu ? static_cast<int32_t>(pattern)
                                  : static_cast<int32_t>(static_cast<int64_t>(pattern) - 0x100000000LL);
}

bool HexToInteger(std::string_view digits, int32_t& value) {
    if (digits.empty()) return false;
    uint32_t pattern = 0;
    int significant = 0;
    for (char c : digits) {
        int digit = HexDigitValue(c);
        if (digit < 0) return false;
        if (significant > 0 || digit != 0) ++significant;
        if (significant > 8) return false;
        pattern = (pattern << 4) | static_cast<uint32_t>(digit);
    }
    value = FromBitPattern(pattern);
    return true;
}

bool DecimalToInteger(std::string_view text, int32_t& value) {
    bool negative = false;
    size_t i = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return false;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!IsDecimalDigit(text[i])) return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

bool TextToInteger(std::string_view text, int32_t& value) {
    size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return false;
    text.remove_prefix(start);
    if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') return HexToInteger(text.substr(1), value);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return HexToInteger(text.substr(2), value);
    return DecimalToInteger(text, value);
}

std::string IntegerToText(int32_t value) { return std::to_string(value); }
