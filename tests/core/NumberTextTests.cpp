// Number conversion of the settings files: the accepted forms, their limits and what is refused.
#include "Include/Core/NumberText.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// The converted value, or the marker when the text is no number (the variable is then untouched).
int64_t Converted(const std::string& text) {
    int32_t value = 12345;
    if (!TextToInteger(text, value)) {
        EXPECT_EQ(value, 12345) << "a refused text must leave the variable alone: " << text;
        return INT64_MIN;
    }
    return value;
}

const int64_t NoNumber = INT64_MIN;

TEST(NumberText, DecimalWithSignAndLeadingBlanks) {
    EXPECT_EQ(Converted("0"), 0);
    EXPECT_EQ(Converted("12"), 12);
    EXPECT_EQ(Converted("+12"), 12);
    EXPECT_EQ(Converted("-12"), -12);
    EXPECT_EQ(Converted("-0"), 0);
    EXPECT_EQ(Converted("007"), 7);
    EXPECT_EQ(Converted("   42"), 42);
    EXPECT_EQ(Converted("  -42"), -42);
    EXPECT_EQ(Converted("0000000000000000000031"), 31);
}

TEST(NumberText, DecimalRangeIsSigned32Bit) {
    EXPECT_EQ(Converted("2147483647"), 2147483647);
    EXPECT_EQ(Converted("-2147483648"), -2147483647LL - 1);
    EXPECT_EQ(Converted("2147483648"), NoNumber);
    EXPECT_EQ(Converted("-2147483649"), NoNumber);
    EXPECT_EQ(Converted("99999999999999999999999"), NoNumber);
}

TEST(NumberText, HexadecimalAfterEachPrefix) {
    EXPECT_EQ(Converted("$1E"), 30);
    EXPECT_EQ(Converted("x1E"), 30);
    EXPECT_EQ(Converted("X1e"), 30);
    EXPECT_EQ(Converted("0x1E"), 30);
    EXPECT_EQ(Converted("0X1e"), 30);
    EXPECT_EQ(Converted("  $ff"), 255);
    EXPECT_EQ(Converted("$0"), 0);
}

TEST(NumberText, HexadecimalIsA32BitPattern) {
    EXPECT_EQ(Converted("$FFFFFFFF"), -1);
    EXPECT_EQ(Converted("$80000000"), -2147483647LL - 1);
    EXPECT_EQ(Converted("$7FFFFFFF"), 2147483647);
    EXPECT_EQ(Converted("$00000000FFFFFFFF"), -1) << "leading zeros are not significant";
    EXPECT_EQ(Converted("$100000000"), NoNumber) << "nine significant digits";
    EXPECT_EQ(Converted("0x1FFFFFFFF"), NoNumber);
}

TEST(NumberText, RefusedTexts) {
    for (const char* text : {"", "   ", "abc", "12a", "12 ", " 1 2", "+", "-", "--1", "+-1", "1.5", "1e3", "$",
                             "0x", "x", "$G1", "0x1G", "-$10", "+0x10", "-x1", "\t5", "5\n", "0b101", "$ 1",
                             "0 x1", "1,000"})
        EXPECT_EQ(Converted(text), NoNumber) << '"' << text << '"';
}

TEST(NumberText, ZeroByteEndsNothingEarly) {
    // The conversion sees the whole value; an embedded zero byte is just another character.
    EXPECT_EQ(Converted(std::string("12\0", 3)), NoNumber);
}

TEST(NumberText, WrittenDecimalReadsBack) {
    EXPECT_EQ(IntegerToText(12), "12");
    EXPECT_EQ(IntegerToText(-7), "-7");
    EXPECT_EQ(IntegerToText(0), "0");
    for (int32_t value : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, 29, INT32_MAX}) {
        int32_t back = 0;
        ASSERT_TRUE(TextToInteger(IntegerToText(value), back)) << value;
        EXPECT_EQ(back, value);
    }
}

}  // namespace
