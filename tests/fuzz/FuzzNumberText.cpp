// Number conversion on arbitrary text: never crashes, and every answer agrees with a slow
// reference built on the C library's conversions.
#include "Include/Core/NumberText.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char* what, const std::string& text) {
    if (condition) return;
    std::fprintf(stderr, "FuzzNumberText: %s for \"%s\"\n", what, text.c_str());
    std::abort();
}

bool AllOf(const std::string& text, const char* allowed) {
    return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
}

// strtoll and strtoull accept things the file format does not (blanks after a sign, "0x" inside
// base 16), so the form is checked by hand first and the C library only does the arithmetic.
bool Reference(const std::string& text, int64_t& value) {
    size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    std::string rest = text.substr(start);
    std::string hexDigits;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') hexDigits = rest.substr(1);
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) hexDigits = rest.substr(2);
    else {
        std::string digits = (rest[0] == '+' || rest[0] == '-') ? rest.substr(1) : rest;
        if (!AllOf(digits, "0123456789")) return false;
        errno = 0;
        long long number = std::strtoll(rest.c_str(), nullptr, 10);
        if (errno == ERANGE || number < INT32_MIN || number > INT32_MAX) return false;
        value = number;
        return true;
    }
    if (!AllOf(hexDigits, "0123456789abcdefABCDEF")) return false;
    errno = 0;
    unsigned long long pattern = std::strtoull(hexDigits.c_str(), nullptr, 16);
    if (errno == ERANGE || pattern > 0xFFFFFFFFull) return false;
    value = pattern > 0x7FFFFFFFull ? static_cast<int64_t>(pattern) - 0x100000000LL : static_cast<int64_t>(pattern);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    int32_t value = 0;
    bool accepted = TextToInteger(text, value);
    // The reference works on C strings; a text holding a zero byte must be refused anyway.
    int64_t expected = 0;
    bool expectedAccepted = text.find('\0') == std::string::npos && Reference(text, expected);
    Check(accepted == expectedAccepted, "acceptance differs from the reference", text);
    if (accepted) {
        Check(value == expected, "value differs from the reference", text);
        int32_t back = 0;
        Check(TextToInteger(IntegerToText(value), back) && back == value, "written decimal does not read back", text);
    }
    return 0;
}
