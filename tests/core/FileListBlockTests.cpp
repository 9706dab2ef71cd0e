// A list of files as another program may put it on the clipboard: only a block whose names can be
// read inside it is taken.
#include "Include/Core/FileListBlock.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// The header (names offset, drop point, non-client flag, wide flag), then the names as given.
std::string Block(uint32_t namesAt, bool wide, const std::string& names) {
    return Le32(namesAt) + std::string(12, '\0') + Le32(wide ? 1 : 0) + names;
}

// "C:\a.bmp" and "C:\b.bmp" with their ends, in characters of one or two bytes.
std::string TwoNames(bool wide) {
    std::string names;
    for (char c : std::string("C:\\a.bmp\0C:\\b.bmp\0\0", 19)) names += wide ? std::string{c, '\0'} : std::string{c};
    return names;
}

bool Whole(const std::string& block) {
    return IsWholeFileListBlock(reinterpret_cast<const uint8_t*>(block.data()), block.size());
}

TEST(FileListBlock, OnlyABlockWhoseNamesEndInsideItIsTaken) {
    for (const bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "UTF-16 names" : "narrow names");
        const std::string names = TwoNames(wide);
        const size_t character = wide ? 2 : 1;
        EXPECT_TRUE(Whole(Block(20, wide, names)));
        EXPECT_TRUE(Whole(Block(24, wide, "room" + names))) << "names may start further on";
        EXPECT_TRUE(Whole(Block(20, wide, std::string(2 * character, '\0')))) << "an empty list";
        EXPECT_FALSE(Whole(Block(20, wide, names).substr(0, 19))) << "shorter than the header";
        EXPECT_FALSE(Whole(Block(20, wide, ""))) << "no names at all";
        EXPECT_FALSE(Whole(Block(0x7FFFFFF0, wide, names))) << "names far past the block";
        EXPECT_FALSE(Whole(Block(20 + static_cast<uint32_t>(names.size()), wide, names))) << "names just past it";
        EXPECT_FALSE(Whole(Block(4, wide, names))) << "names inside the header";
        EXPECT_FALSE(Whole(Block(20, wide, names.substr(0, names.size() - character)))) << "the list's end cut off";
        EXPECT_FALSE(Whole(Block(20, wide, names.substr(0, 9 * character)))) << "cut after the first name";
    }
    // A zero byte is half a wide character: two of them astride two characters end nothing.
    EXPECT_FALSE(Whole(Block(20, true, std::string("a\0\0b", 4))));
    EXPECT_FALSE(IsWholeFileListBlock(nullptr, 100));
}

}  // namespace
