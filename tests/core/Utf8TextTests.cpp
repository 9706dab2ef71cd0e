// UTF-8 texts: which bytes are well-formed, how characters are counted, and which lines of an
// old file are read in the legacy code page.
#include "Include/Core/Utf8Text.h"
#include "../support/Latin1Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Greek, CJK and an emoji: two, three and four bytes a character.
const std::string Greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1";  // Ελλάδα
const std::string Tokyo = "\xE6\x9D\xB1\xE4\xBA\xAC";                          // 東京
const std::string Grin = "\xF0\x9F\x98\x80";                                   // U+1F600


TEST(Utf8Validity, AcceptsEveryLengthOfCharacter) {
    for (const std::string& text : {std::string(), std::string("Caf\xC3\xA9.png"), Greek, Tokyo, Grin,
                                    std::string("\xEF\xBF\xBF\xF4\x8F\xBF\xBF")})  // U+FFFF, U+10FFFF
        EXPECT_TRUE(IsValidUtf8(text)) << text;
}

TEST(Utf8Validity, RefusesMalformedBytes) {
    const std::vector<std::string> malformed = {
        "Caf\xE9.png",             // Windows-1252 e acute
        "\x80",                    // a continuation byte alone
        "\xC3",                    // a lead byte at the end
        "\xE6\x9D",                // a character cut short
        "\xC3\x28",                // a lead byte before ASCII
        "\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF",  // overlong forms of "/"
        "\xED\xA0\x80",            // a UTF-16 surrogate
        "\xF4\x90\x80\x80",        // above U+10FFFF
        "\xF5\x80\x80\x80", "\xFF",
    };
    for (const std::string& text : malformed) EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
}

TEST(Utf8Count, CountsCharactersNotBytes) {
    EXPECT_EQ(Utf8CharacterCount(""), 0u);
    EXPECT_EQ(Utf8CharacterCount("C:\\a.png"), 8u);
    EXPECT_EQ(Utf8CharacterCount(Greek), 6u);
    EXPECT_EQ(Utf8CharacterCount(Tokyo + Grin), 3u);
    // Malformed bytes count one each, so that a legacy text is not counted short.
    EXPECT_EQ(Utf8CharacterCount("Caf\xE9\xC3"), 5u);
    EXPECT_EQ(Utf8CharacterCount("\xE6\x9D" "a"), 3u);
}

TEST(Utf8LegacyLines, ConvertsOnlyTheLinesThatAreNotUtf8) {
    const std::string text = "[TilvaneGame]\r\nPictureTitle=C:\\Caf\xE9.png\r\nOther=" + Tokyo +
                             "\nLast=\xC4rger\r\n";
    EXPECT_EQ(WithLegacyLinesConverted(text, Latin1ToUtf8),
              "[TilvaneGame]\r\nPictureTitle=C:\\Caf\xC3\xA9.png\r\nOther=" + Tokyo + "\nLast=\xC3\x84rger\r\n");
}

TEST(Utf8LegacyLines, LeavesUtf8TextAndAnUnendedLastLine) {
    int calls = 0;
    const auto counting = [&](std::string_view line) {
        ++calls;
        return Latin1ToUtf8(line);
    };
    const std::string utf8 = "a=" + Greek + "\r\nb=" + Grin;
    EXPECT_EQ(WithLegacyLinesConverted(utf8, counting), utf8);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(WithLegacyLinesConverted("x\r\n\xFC" "ber", counting), "x\r\n\xC3\xBC" "ber");
    EXPECT_EQ(calls, 1);
}

}  // namespace
