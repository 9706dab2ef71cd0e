// The Windows side of reporting: last-error classification, system messages, the time text in
// the user's locale formats, and the message boxes of the dialogs unit.
#include "Include/Dialogs.h"
#include "Include/Error.h"
#include "Include/Mytime.h"
#include "Include/Program.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(ErrorServices, LastErrorClassification) {
    SetLastError(ERROR_OUTOFMEMORY);
    EXPECT_FALSE(LastErrorFailed());
    SetLastError(ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(LastErrorFailed());
    EXPECT_FALSE(LastErrorFailedAllowExisting());
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(LastErrorFailedAllowExisting());
    ClearLastError();
    EXPECT_EQ(LastError(), 0u);
    EXPECT_FALSE(LastErrorFailed());
}

TEST(ErrorServices, ReportCarriesSystemMessageTimeAndProgram) {
    TFunStatContext record;
    record.Raise("Include\\File", "MyRenameFile", 10, fsError, "Failed to rename.", "a", "b", ERROR_FILE_NOT_FOUND);
    const std::string report = record.ReportText();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(report, match, std::regex("\\* System error description: \"([^\"]*)\"")));
    EXPECT_FALSE(match[1].str().empty());
    EXPECT_NE(match[1].str().back(), '.') << "trailing full stop and line breaks are trimmed";
    EXPECT_NE(report.find("* Program: " + GetProgramPath() + "\r\n"), std::string::npos);
    EXPECT_TRUE(std::regex_search(report, std::regex("\\* Time: .+ \\(\\d{1,3}\\) \\| .*\\d:\\d\\d:\\d\\d.* \\(\\d{1,3}\\)\r\n")))
        << report;
}

TEST(TimeTexts, LongTextsHaveDayNumberTickAndColons) {
    const double at = EncodeDate(2010, 3, 3) + EncodeTime(6, 40, 0, 0);
    const std::string text = DateTimeToLongText(" | ", at);
    EXPECT_NE(text.find("2010"), std::string::npos) << text;
    EXPECT_NE(text.find(" (62) | "), std::string::npos) << text;
    EXPECT_NE(text.find("6:40:00"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 6), " (240)") << text;
}

// The user's own time separator is replaced by a colon inside the time text.
TEST(TimeTexts, LocaleTimeSeparatorIsReplaced) {
    char savedFormat[80] = {}, savedSeparator[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, savedFormat, sizeof savedFormat);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, savedSeparator, sizeof savedSeparator);
    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, "HH.mm.ss"));
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, ".");
    const std::string text = TimeToLongText(EncodeTime(7, 5, 9, 0));
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, savedFormat);
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, savedSeparator);
    EXPECT_EQ(text, "07:05:09");
}

TEST(MessageBoxes, TitlesAndAnswers) {
    {
        TMessageBoxAnswerer answer("Query", IDYES);
        EXPECT_TRUE(AskYesNo("Save it?"));
        ASSERT_EQ(answer.Count(), 1u);
        EXPECT_EQ(answer.Texts()[0], "Save it?");
    }
    {
        TMessageBoxAnswerer answer("Query", IDNO);
        EXPECT_FALSE(AskYesNo("Save it?"));
        EXPECT_EQ(AskYesNoCancel("Save it?"), 7);
    }
    {
        TMessageBoxAnswerer answer("Query", IDCANCEL);
        EXPECT_EQ(AskYesNoCancel("Save it?"), 2);
    }
    {
        TMessageBoxAnswerer answer("Query", 0, true);
        EXPECT_EQ(AskYesNoCancel("Closed?"), 2) << "closing the box answers Cancel";
    }
    {
        TMessageBoxAnswerer answer("Message", IDOK);
        ShowInformation("");
        EXPECT_EQ(answer.Count(), 1u) << "an empty text still shows a box with its title";
    }
    {
        TMessageBoxAnswerer answer("Warning", IDOK);
        ShowWarning("Careful.");
        ASSERT_EQ(answer.Count(), 1u);
        EXPECT_EQ(answer.Texts()[0], "Careful.");
    }
    {
        TMessageBoxAnswerer answer("Custom", IDOK);
        EXPECT_EQ(ShowMessageBox("Custom", "Text", MB_OKCANCEL), 1);
    }
}

TEST(MessageBoxes, ShowWithoutErrorDialogUsesPlainBox) {
    TFunStatContext record;
    record.Raise("Include\\File", "MyRenameFile", 10, fsError, "Failed to rename.", "", "", 0);
    TMessageBoxAnswerer answer("Error", IDOK);
    EXPECT_FALSE(record.Show("Failed."));
    ASSERT_EQ(answer.Count(), 1u);
    EXPECT_EQ(answer.Texts()[0], "The error-dialog form is not created. You must create it.");
}

}  // namespace
