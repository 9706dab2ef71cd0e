// Path texts, file sizes, shell parameters and command lines.
#include "Include/Core/PathText.h"

#include <gtest/gtest.h>

TEST(PathTextTest, TrailingBackslashIsAddedOnce) {
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("C:\\Data"), "C:\\Data\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\Data\\"), "C:\\Data\\");
    EXPECT_EQ(WithTrailingBackslash("C:"), "C:\\");
    EXPECT_EQ(WithTrailingBackslash("\\"), "\\");
}

TEST(PathTextTest, DriveOnlyMeansEndingInAColon) {
    EXPECT_TRUE(IsDriveOnly("C:"));
    EXPECT_TRUE(IsDriveOnly("\\\\?\\C:"));
    EXPECT_FALSE(IsDriveOnly(":")) << "a colon alone is too short";
    EXPECT_FALSE(IsDriveOnly(""));
    EXPECT_FALSE(IsDriveOnly("C:\\"));
    EXPECT_FALSE(IsDriveOnly("C:a"));
}

TEST(PathTextTest, DirectoryAndNameSplitAtTheLastBackslashOrColon) {
    EXPECT_EQ(DirectoryOfPath("C:\\Pictures\\a.jpg"), "C:\\Pictures\\");
    EXPECT_EQ(NameOfPath("C:\\Pictures\\a.jpg"), "a.jpg");
    EXPECT_EQ(DirectoryOfPath("C:"), "");
    EXPECT_EQ(NameOfPath("C:"), "C:");
    EXPECT_EQ(DirectoryOfPath("C:a.jpg"), "C:");
    EXPECT_EQ(NameOfPath("C:a.jpg"), "a.jpg");
    EXPECT_EQ(DirectoryOfPath("C:\\"), "C:\\");
    EXPECT_EQ(NameOfPath("C:\\"), "");
    EXPECT_EQ(DirectoryOfPath("a.jpg"), "");
    EXPECT_EQ(NameOfPath("a.jpg"), "a.jpg");
    EXPECT_EQ(DirectoryOfPath("\\\\server\\share\\x"), "\\\\server\\share\\");
    EXPECT_EQ(NameOfPath("C:\\Games\\"), "");
    EXPECT_EQ(DirectoryOfPath(""), "");
    EXPECT_EQ(NameOfPath(""), "");
    // Forward slashes are not separators of these texts.
    EXPECT_EQ(NameOfPath("C:\\a/b.jpg"), "a/b.jpg");
}

// Only the name's last dot counts: a dot in a folder's name is no extension.
TEST(PathTextTest, ExtensionIsTheNamesPartFromItsLastDot) {
    EXPECT_EQ(ExtensionOfPath("C:\\Games\\saved.game.TVG"), ".TVG");
    EXPECT_EQ(ExtensionOfPath("C:\\My.Games\\saved"), "");
    EXPECT_EQ(ExtensionOfPath("D:photo.jpeg"), ".jpeg");
    EXPECT_EQ(ExtensionOfPath("C:\\Games\\"), "");
}

TEST(PathTextTest, PatternCharactersAreTheSixThatNameNoSingleFile) {
    for (char c : std::string("<>|\"*?")) EXPECT_TRUE(HasPatternCharacters(std::string("C:\\a") + c)) << c;
    EXPECT_FALSE(HasPatternCharacters("C:\\Program Files (x86)\\a;b[1]~2.txt"));
    EXPECT_FALSE(HasPatternCharacters(""));
}

TEST(PathTextTest, FileSizeCombinesBothHalves) {
    EXPECT_EQ(CombineFileSize(0, 0), 0u);
    EXPECT_EQ(CombineFileSize(0x40000000u, 1), 5ull << 30) << "5 GiB";
    EXPECT_EQ(CombineFileSize(0xFFFFFFFFu, 0), 0xFFFFFFFFull);
    EXPECT_EQ(CombineFileSize(0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFFFFFFFFFull);
}

TEST(PathTextTest, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(EqualIgnoringAsciiCase("C:\\Games\\A.TVG", "c:\\games\\a.tvg"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("C:\\a", "C:\\a\\"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("[", "{")) << "only letters fold";
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xC4", "\xE4")) << "code-page letters are not folded";
    EXPECT_TRUE(EqualIgnoringAsciiCase("", ""));
}

TEST(PathTextTest, ShellParametersAreQuotedOnRequest) {
    EXPECT_EQ(ShellParameters("", true), "");
    EXPECT_EQ(ShellParameters("", false), "");
    EXPECT_EQ(ShellParameters("abc", true), " \"abc\"");
    EXPECT_EQ(ShellParameters("abc", false), " abc");
    EXPECT_EQ(ShellParameters("a b", true), " \"a b\"");
}

TEST(PathTextTest, CommandLineParametersSplitAtBlanksOutsideQuotes) {
    const std::string line = "\"C:\\Program Files\\Tilvane\\Tilvane.exe\"  /Uninstall \t\"two words\" x\"y z\"w";
    EXPECT_EQ(CommandLineParameter(line, 0), "C:\\Program Files\\Tilvane\\Tilvane.exe");
    EXPECT_EQ(CommandLineParameter(line, 1), "/Uninstall");
    EXPECT_EQ(CommandLineParameter(line, 2), "two words");
    EXPECT_EQ(CommandLineParameter(line, 3), "xy zw") << "quotes inside a parameter group and vanish";
    EXPECT_EQ(CommandLineParameter(line, 4), "");
    EXPECT_EQ(CommandLineParameter(line, 40), "");
    EXPECT_EQ(CommandLineParameter(line, -1), "");
}

TEST(PathTextTest, CommandLineEdgeCases) {
    EXPECT_EQ(CommandLineParameter("", 0), "");
    EXPECT_EQ(CommandLineParameter("", 1), "");
    EXPECT_EQ(CommandLineParameter("Tilvane.exe", 1), "");
    EXPECT_EQ(CommandLineParameter("Tilvane.exe   ", 1), "") << "trailing blanks are no parameter";
    EXPECT_EQ(CommandLineParameter("   Tilvane.exe a", 0), "Tilvane.exe") << "leading blanks are skipped";
    EXPECT_EQ(CommandLineParameter("Tilvane.exe \"\" b", 1), "") << "an empty quoted parameter counts";
    EXPECT_EQ(CommandLineParameter("Tilvane.exe \"\" b", 2), "b");
    EXPECT_EQ(CommandLineParameter("Tilvane.exe \"open end", 1), "open end") << "an unclosed quote runs to the end";
    EXPECT_EQ(CommandLineParameter("Tilvane.exe\ta\nb", 2), "b") << "tabs and line breaks are blanks";
    EXPECT_EQ(CommandLineParameter("T.exe \"\xC4rger\"", 1), "\xC4rger") << "code-page bytes are not blanks";
}
