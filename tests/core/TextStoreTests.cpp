// The settings-file document: reading and writing its bytes, lookups, writes and typed reads.
#include "Include/Core/TextStore.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<TTextSection> Parsed(const std::string& bytes) {
    TTextStore store;
    store.Parse(bytes);
    return store.Sections();
}

std::string Value(const TTextStore& store, const std::string& section, const std::string& key) {
    std::string_view value;
    return store.FindValue(section, key, value) ? std::string(value) : std::string("<missing>");
}

TEST(TextStoreParse, SplitsAtEveryKindOfLineEnd) {
    std::vector<TTextSection> expected = {{"S", {"a=1", "b=2", "c=3", "d=4"}}};
    EXPECT_EQ(Parsed("[S]\r\na=1\r\nb=2\r\nc=3\r\nd=4\r\n"), expected);
    EXPECT_EQ(Parsed("[S]\na=1\nb=2\nc=3\nd=4"), expected);
    EXPECT_EQ(Parsed("[S]\ra=1\rb=2\rc=3\rd=4\r"), expected);
    EXPECT_EQ(Parsed("[S]\r\na=1\rb=2\nc=3\n\rd=4"), expected) << "LF then CR is two line ends";
    EXPECT_EQ(Parsed("[S]\r\r\n\n\na=1\r\nb=2\r\nc=3\r\nd=4\r\n\r\n"), expected);
}

TEST(TextStoreParse, TextEndsAtFirstZeroByte) {
    std::string bytes("[S]\r\na=1\r\nb=2\0c=3\r\n[T]\r\nd=4\r\n", 30);
    EXPECT_EQ(Parsed(bytes), (std::vector<TTextSection>{{"S", {"a=1", "b=2"}}}));
    EXPECT_TRUE(Parsed(std::string("\0[S]\r\n", 6)).empty());
}

TEST(TextStoreParse, SkipsCommentsEmptyLinesAndLinesBeforeFirstHeader) {
    auto sections = Parsed("a=0\r\n;[X]\r\n[S]\r\n;b=1\r\n\r\n c=2\r\n;\r\n");
    EXPECT_EQ(sections, (std::vector<TTextSection>{{"S", {" c=2"}}}));
    EXPECT_TRUE(Parsed("").empty());
    EXPECT_TRUE(Parsed("a=1\r\nb=2\r\n").empty());
}

TEST(TextStoreParse, HeadersNeedBracketsAtBothEnds) {
    auto sections = Parsed("[]\r\n x\r\n [A]\r\n[B\r\n[\r\n]\r\n[C] \r\n[a]b]\r\ny=1\r\n");
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0], (TTextSection{"", {" x", " [A]", "[B", "[", "]", "[C] "}}));
    EXPECT_EQ(sections[1], (TTextSection{"a]b", {"y=1"}}));
}

TEST(TextStoreParse, NothingIsTrimmed) {
    TTextStore store;
    store.Parse("[ S ]\r\nkey =value \r\nk= v=w \r\nplain line\r\n");
    EXPECT_EQ(Value(store, " S ", "key "), "value ");
    EXPECT_EQ(Value(store, " S ", "key"), "<missing>");
    EXPECT_EQ(Value(store, "S", "key "), "<missing>");
    EXPECT_EQ(Value(store, " S ", "k"), " v=w ") << "the value starts after the first equals sign";
    EXPECT_EQ(Value(store, " S ", "plain line"), "<missing>") << "a line without = matches no key";
    EXPECT_EQ(store.ToBytes(), "[ S ]\r\nkey =value \r\nk= v=w \r\nplain line\r\n\r\n");
}

TEST(TextStoreWrite, WrittenForm) {
    TTextStore store;
    EXPECT_EQ(store.ToBytes(), "");
    store.WriteInteger("Map", "C0", 1);
    store.WriteInteger("Map", "R0", 0);
    EXPECT_EQ(store.ToBytes(), "[Map]\r\nC0=1\r\nR0=0\r\n\r\n");

    TTextStore moves;
    moves.WriteInteger("TilvaneGame", "MovesCount", 12);
    EXPECT_EQ(moves.ToBytes(), "[TilvaneGame]\r\nMovesCount=12\r\n\r\n");

    TTextStore empty;
    empty.Parse("[A]\r\n[B]\r\n");
    EXPECT_EQ(empty.ToBytes(), "[A]\r\n\r\n[B]\r\n\r\n");
    empty.Clear();
    EXPECT_EQ(empty.ToBytes(), "");
}

TEST(TextStoreWrite, ParsedDocumentsSurviveWriteAndParse) {
    for (const char* bytes : {"[A]\na=1\nfree text\n[B]\r\n[A]\r\nx=\r\n", "junk\r[]\r=\r==\r;c\r[[x]]\n[ ]\n a = b",
                              "[S]\r\n\xC4\xE4=\xFF\r\n", "[S]\r\na=1"}) {
        TTextStore first;
        first.Parse(bytes);
        TTextStore second;
        second.Parse(first.ToBytes());
        EXPECT_EQ(second.Sections(), first.Sections()) << bytes;
        EXPECT_EQ(second.ToBytes(), first.ToBytes()) << bytes;
    }
}

TEST(TextStoreLookup, IgnoresLetterCaseAndFirstMatchWins) {
    TTextStore store;
    store.Parse("[map]\r\nc0=5\r\nC0=6\r\n[MAP]\r\nR0=7\r\n");
    EXPECT_EQ(Value(store, "Map", "C0"), "5");
    EXPECT_EQ(Value(store, "MAP", "c0"), "5");
    EXPECT_EQ(Value(store, "Map", "R0"), "<missing>") << "a second section of the same name is never reached";
    EXPECT_EQ(Value(store, "Other", "C0"), "<missing>");

    store.WriteString("MAP", "R0", "8");
    ASSERT_EQ(store.Sections().size(), 2u);
    EXPECT_EQ(store.Sections()[0].Lines, (std::vector<std::string>{"c0=5", "C0=6", "R0=8"}));
    EXPECT_EQ(store.Sections()[1].Lines, (std::vector<std::string>{"R0=7"}));
}

TEST(TextStoreLookup, UsesTheGivenCaseFolding) {
    // A code-page fold that also knows A-umlaut (0xC4) and a-umlaut (0xE4), as a locale would.
    TCaseFold fold = [](const std::string& text) {
        std::string folded = FoldAsciiCase(text);
        for (char& c : folded)
            if (static_cast<unsigned char>(c) == 0xC4) c = static_cast<char>(0xE4);
        return folded;
    };
    TTextStore local(fold);
    local.Parse("[\xC4]\r\n\xC4=1\r\n");
    EXPECT_EQ(Value(local, "\xE4", "\xE4"), "1");
    TTextStore ascii;
    ascii.Parse("[\xC4]\r\n\xC4=1\r\n");
    EXPECT_EQ(Value(ascii, "\xE4", "\xE4"), "<missing>");
}

TEST(TextStoreWriteString, ReplacesWhereItStandsOrAppends) {
    TTextStore store;
    store.Parse("[A]\r\nfree\r\nx=1\r\ny=2\r\n[B]\r\nx=3\r\n");
    store.WriteString("a", "X", "9");
    store.WriteString("A", "z", "4");
    store.WriteString("C", "k", "");
    store.WriteString("B", "x", "5");
    EXPECT_EQ(store.ToBytes(), "[A]\r\nfree\r\nX=9\r\ny=2\r\nz=4\r\n\r\n[B]\r\nx=5\r\n\r\n[C]\r\nk=\r\n\r\n");
    EXPECT_EQ(Value(store, "a", "x"), "9");
    EXPECT_EQ(Value(store, "C", "K"), "");
}

TEST(TextStoreWriteString, KeyHoldingEqualsSignAnswersToItsFirstPart) {
    TTextStore store;
    store.WriteString("S", "a=b", "c");
    store.WriteString("S", "a=b", "d");  // never found under "a=b", so appended again
    EXPECT_EQ(store.Sections()[0].Lines, (std::vector<std::string>{"a=b=c", "a=b=d"}));
    EXPECT_EQ(Value(store, "S", "a"), "b=c");
    store.WriteString("S", "A", "e");
    EXPECT_EQ(store.Sections()[0].Lines, (std::vector<std::string>{"A=e", "a=b=d"}));
}

// Same answers as a plain scan of the lines, over many random writes between lookups.
TEST(TextStoreWriteString, IndexAgreesWithLinearScanAfterWrites) {
    auto scan = [](const TTextStore& store, const std::string& section, const std::string& key) -> std::string {
        for (const TTextSection& s : store.Sections()) {
            if (FoldAsciiCase(s.Name) != FoldAsciiCase(section)) continue;
            for (const std::string& line : s.Lines) {
                size_t equals = line.find('=');
                if (equals != std::string::npos && FoldAsciiCase(line.substr(0, equals)) == FoldAsciiCase(key))
                    return line.substr(equals + 1);
            }
            return "<missing>";
        }
        return "<missing>";
    };
    std::mt19937 random(7);
    auto pick = [&](std::initializer_list<const char*> choices) {
        return std::string(choices.begin()[random() % choices.size()]);
    };
    TTextStore store;
    store.Parse("[s]\r\nk1=0\r\nK1=1\r\nnoequals\r\n[S]\r\nk2=2\r\n[t]\r\n");
    for (int step = 0; step < 3000; ++step) {
        std::string section = pick({"s", "S", "t", "T", "u", "v"});
        std::string key = pick({"k1", "K1", "k2", "k3", "K3", "k=1", "noequals", ""});
        if (random() % 3 == 0) store.WriteString(section, key, std::to_string(step));
        ASSERT_EQ(Value(store, section, key), scan(store, section, key)) << "step " << step;
    }
}

TEST(TextStoreRead, IntegersWithinLimits) {
    TTextStore store;
    store.Parse("[S]\r\nhex=0x1E\r\nbig=31\r\nletters=abc\r\nlow=4\r\nneg=-1\r\nmax=2147483647\r\n");
    int32_t value = 7;
    store.ReadInteger("S", "hex", value, 30, 5);
    EXPECT_EQ(value, 30);
    value = 7;
    store.ReadInteger("S", "big", value, 30, 5);
    EXPECT_EQ(value, 7);
    store.ReadInteger("S", "letters", value, 30, 5);
    EXPECT_EQ(value, 7);
    store.ReadInteger("S", "low", value, 30, 5);
    EXPECT_EQ(value, 7);
    store.ReadInteger("S", "missing", value, 30, 5);
    EXPECT_EQ(value, 7);
    store.ReadInteger("S", "neg", value, 2147483647, 0);
    EXPECT_EQ(value, 7);
    store.ReadInteger("S", "max", value, 2147483647, 0);
    EXPECT_EQ(value, 2147483647);
    store.ReadInteger("S", "low", value, 4, 4);
    EXPECT_EQ(value, 4);
}

TEST(TextStoreRead, BooleansOnlyExactTrue) {
    TTextStore store;
    store.Parse("[S]\r\nlower=true\r\none=1\r\nyes=TRUE\r\nempty=\r\nblank=TRUE \r\n");
    bool value = true;
    store.ReadBool("S", "lower", value);
    EXPECT_FALSE(value);
    value = true;
    store.ReadBool("S", "one", value);
    EXPECT_FALSE(value);
    value = true;
    store.ReadBool("S", "blank", value);
    EXPECT_FALSE(value);
    value = true;
    store.ReadBool("S", "empty", value);
    EXPECT_FALSE(value);
    store.ReadBool("S", "yes", value);
    EXPECT_TRUE(value);
    store.ReadBool("S", "missing", value);
    EXPECT_TRUE(value);
    value = false;
    store.ReadBool("S", "missing", value);
    EXPECT_FALSE(value);
}

TEST(TextStoreRead, StringsWithinLengthAndEmptiness) {
    TTextStore store;
    store.Parse("[S]\r\nfour=abcd\r\nempty=\r\n");
    std::string value = "default";
    store.ReadString("S", "four", value, true, 3);
    EXPECT_EQ(value, "default");
    store.ReadString("S", "four", value, false, 4);
    EXPECT_EQ(value, "abcd");
    value = "default";
    store.ReadString("S", "empty", value, false, 259);
    EXPECT_EQ(value, "default");
    store.ReadString("S", "empty", value, true, 259);
    EXPECT_EQ(value, "");
    value = "default";
    store.ReadString("S", "missing", value, true, 259);
    EXPECT_EQ(value, "default");
    store.ReadString("S", "empty", value, true, -1);
    EXPECT_EQ(value, "default") << "a negative maximum takes nothing";
}

TEST(TextStoreRead, CommentsAndStrayLinesAreLostOnRewrite) {
    TTextStore store;
    store.Parse("stray=1\r\n;comment\r\n[TilvaneGame]\r\n;note\r\nColumnsCount=9\r\n");
    int32_t columns = 7;
    store.ReadInteger("TilvaneGame", "ColumnsCount", columns, 30, 5);
    store.Clear();
    store.WriteInteger("TilvaneGame", "ColumnsCount", columns);
    EXPECT_EQ(store.ToBytes(), "[TilvaneGame]\r\nColumnsCount=9\r\n\r\n");
}

TEST(TextStoreRead, SavedGameOfThirtyByThirtyReadsBack) {
    TTextStore store;
    for (int n = 0; n < 900; ++n) {
        std::string number = std::to_string(n);
        store.WriteInteger("Map", "C" + number, n % 30);
        store.WriteInteger("Map", "R" + number, 29 - n / 30);
        store.WriteBool("Map", "FH" + number, n % 2 == 0);
        store.WriteBool("Map", "FV" + number, n % 3 == 0);
    }
    TTextStore read;
    read.Parse(store.ToBytes());
    ASSERT_EQ(read.Sections().size(), 1u);
    EXPECT_EQ(read.Sections()[0].Lines.size(), 3600u);
    for (int n = 0; n < 900; ++n) {
        std::string number = std::to_string(n);
        int32_t column = -1, row = -1;
        bool flipH = n % 2 != 0, flipV = n % 3 != 0;
        read.ReadInteger("map", "c" + number, column, 29, 0);
        read.ReadInteger("MAP", "R" + number, row, 29, 0);
        read.ReadBool("Map", "fh" + number, flipH);
        read.ReadBool("Map", "FV" + number, flipV);
        ASSERT_EQ(column, n % 30);
        ASSERT_EQ(row, 29 - n / 30);
        ASSERT_EQ(flipH, n % 2 == 0);
        ASSERT_EQ(flipV, n % 3 == 0);
    }
}

}  // namespace
