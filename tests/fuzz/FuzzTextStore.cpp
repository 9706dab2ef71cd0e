// Arbitrary bytes as a settings file: reading, writing and reading again gives the same document,
// and lookups and writes agree with a plain scan of the lines.
#include "Include/Core/TextStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "FuzzTextStore: %s\n", what);
    std::abort();
}

// The first line of the first section of that name whose key matches, found the slow way.
bool ScanValue(const TTextStore& store, const std::string& section, const std::string& key, std::string& value) {
    for (const TTextSection& s : store.Sections()) {
        if (FoldAsciiCase(s.Name) != FoldAsciiCase(section)) continue;
        for (const std::string& line : s.Lines) {
            size_t equals = line.find('=');
            if (equals != std::string::npos && FoldAsciiCase(line.substr(0, equals)) == FoldAsciiCase(key)) {
                value = line.substr(equals + 1);
                return true;
            }
        }
        return false;
    }
    return false;
}

void CheckLookup(const TTextStore& store, const std::string& section, const std::string& key) {
    std::string expected;
    std::string_view found;
    bool expectedFound = ScanValue(store, section, key, expected);
    Check(store.FindValue(section, key, found) == expectedFound, "lookup found a different line");
    if (expectedFound) Check(found == expected, "lookup gave a different value");
}

// Short texts cut from the input, to use as names, keys and values.
std::string Piece(const uint8_t* data, size_t size, size_t& position) {
    if (position >= size) return std::string();
    size_t length = data[position++] % 8;
    length = std::min(length, size - position);
    std::string text(reinterpret_cast<const char*>(data + position), length);
    position += length;
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TTextStore first;
    first.Parse(bytes);
    const std::string written = first.ToBytes();
    TTextStore second;
    second.Parse(written);
    Check(second.Sections() == first.Sections(), "document changed by writing and reading again");
    Check(second.ToBytes() == written, "written form changed by reading again");

    // Section names and keys the document holds, plus a few that it does not. The plain scan
    // costs the whole document per lookup, so a large document is checked at evenly spread
    // lines: every line of a small one, about 64 of a large one.
    size_t lineCount = 0;
    for (const TTextSection& section : first.Sections()) lineCount += section.Lines.size() + 1;
    const size_t stride = lineCount / 64 + 1;
    size_t line = 0;
    for (const TTextSection& section : first.Sections()) {
        if (line++ % stride == 0) CheckLookup(first, section.Name, "");
        for (const std::string& text : section.Lines)
            if (line++ % stride == 0) CheckLookup(first, section.Name, text.substr(0, text.find('=')));
    }

    // Writes driven by the input, each followed by lookups that must agree with the scan.
    size_t position = 0;
    for (int step = 0; step < 64 && position < size; ++step) {
        std::string section = Piece(data, size, position);
        std::string key = Piece(data, size, position);
        std::string value = Piece(data, size, position);
        first.WriteString(section, key, value);
        CheckLookup(first, section, key);
        CheckLookup(first, section, key.substr(0, key.find('=')));
        CheckLookup(first, value, section);
    }
    return 0;
}
