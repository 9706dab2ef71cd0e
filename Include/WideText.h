// The one place where the program's texts meet the system's UTF-16 ("W") entry points: GDI+,
// shell links, the shell's folder calls and the file dialogs. Inside, every text is UTF-8.
#pragma once

#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// A zero-terminated text as the system hands it out; null reads as empty.
std::string WideToUtf8(const wchar_t* text);

// The text read in the system's legacy ANSI code page (the one files written before the
// program spoke UTF-8 used), as UTF-8. A system without such a code page keeps the bytes.
std::string LegacyToUtf8(std::string_view text);
// The text with every line that is not valid UTF-8 read in the legacy code page.
std::string WithLegacyLinesAsUtf8(std::string_view text);
