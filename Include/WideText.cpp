#include "Include/WideText.h"

#include "Include/Core/Utf8Text.h"

#include <windows.h>

#include <climits>
#include <cwchar>

namespace {

// The manifest makes the process code page UTF-8, so CP_ACP is UTF-8 wherever the "A" entry
// points speak it. Windows before 10 version 1903 ignores that entry and keeps the legacy code
// page for the "A" calls; converting with the same code page keeps those systems working as
// before instead of misreading every name that is not ASCII.
const UINT ProgramCodePage = CP_ACP;

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], size);
    return wide;
}

// The system's legacy ANSI code page; 0 when its locale has none (a Unicode-only locale).
UINT LegacyCodePage() {
    wchar_t number[8] = {};
    if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, 8)) return 0;
    const UINT codePage = static_cast<UINT>(std::wcstoul(number, nullptr, 10));
    return codePage == CP_UTF8 ? 0 : codePage;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) { return ToWide(ProgramCodePage, text); }

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::string();
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(ProgramCodePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(ProgramCodePage, 0, text.data(), length, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::string WideToUtf8(const wchar_t* text) { return text ? WideToUtf8(std::wstring_view(text)) : std::string(); }

std::string LegacyToUtf8(std::string_view text) {
    static const UINT legacy = LegacyCodePage();
    if (legacy == 0) return std::string(text);
    return WideToUtf8(ToWide(legacy, text));
}

std::string WithLegacyLinesAsUtf8(std::string_view text) { return WithLegacyLinesConverted(text, LegacyToUtf8); }
