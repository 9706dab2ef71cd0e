// The status record's copy rules, the report text and the operation protocol.
#include "Include/Core/FunOperation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> plainBoxes;

// Records what reaches the error dialog.
class TRecordingView : public TErrorReportView {
public:
    struct TShown { std::string Caption, Description, Report; };
    std::vector<TShown> Shown;
    int32_t Attempts = 0;
    bool ShowReport(const std::string& caption, const std::string& description, const std::string& report,
                    bool* noErrors) override {
        Shown.push_back({caption, description, report});
        if (noErrors) *noErrors = false;
        return true;
    }
    int32_t RecursiveAttempts() const override { return Attempts; }
};

class FunStatTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedServices = ReportServices;
        ReportServices.CurrentTimeText = [] { return std::string("Monday | 10:00"); };
        ReportServices.ProgramPath = [] { return std::string("C:\\Games\\Tilvane.exe"); };
        ReportServices.SystemErrorText = [](int32_t code) { return "Message " + std::to_string(code) + ". \r\n"; };
        ReportServices.LastErrorCode = [] { return int32_t(6); };
        ReportServices.PlainMessageBox = [](const std::string& text, const std::string& caption) {
            plainBoxes.push_back(caption + ":" + text);
        };
        plainBoxes.clear();
        ErrorForm = &view;
        CurrentFunStatContext.Reset(fsPerfect);
    }
    void TearDown() override {
        ErrorForm = nullptr;
        ReportServices = savedServices;
        CurrentFunStatContext.Reset(fsPerfect);
    }
    TRecordingView view;
    TReportServices savedServices;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(FunStatTest, CopiesKeepShowContextApart) {
    TFunStatContext a;
    a.Raise("Include\\File", "MyRenameFile", 12, fsError, "Failed to rename.", "a", "b", 5);
    a.SetShowContext("Tilvane\\TilvaneDialog", "Show", 40);
    a.UserText = "u";

    TFunStatContext copy(a);
    EXPECT_EQ(copy.Description, "Failed to rename.");
    EXPECT_EQ(copy.UserText, "u");
    EXPECT_EQ(copy.ShowFile, "");
    EXPECT_EQ(copy.ShowLine, 0);

    TFunStatContext target;
    target.SetShowContext("Mine", "MyShow", 7);
    target = a;
    EXPECT_EQ(target.Function, "MyRenameFile");
    EXPECT_EQ(target.ShowFile, "Mine");
    EXPECT_EQ(target.ShowFunction, "MyShow");
    EXPECT_EQ(target.ShowLine, 7);

    target.Reset(fsWarning);
    EXPECT_EQ(target.Status, fsWarning);
    EXPECT_EQ(target.File, "");
    EXPECT_EQ(target.SystemErrorCode, 0);
    EXPECT_EQ(target.UserText, "u") << "Reset leaves the user info";
    EXPECT_EQ(target.ShowFile, "Mine") << "Reset leaves the show context";
}

TEST_F(FunStatTest, StatusTextsAndFailureThreshold) {
    EXPECT_EQ(TFunStatContext::StatusText(0), "Perfect");
    EXPECT_EQ(TFunStatContext::StatusText(3), "Begin function error");
    EXPECT_EQ(TFunStatContext::StatusText(5), "Catastrophe");
    EXPECT_EQ(TFunStatContext::StatusText(7), "Unknown function status");
    EXPECT_EQ(TFunStatContext::StatusText(-1), "Unknown function status");
    TFunStatContext record;
    record.Status = fsWarning;
    EXPECT_FALSE(record.Failed());
    record.Begin("m", "f", 1);
    EXPECT_TRUE(record.Failed()) << "an operation that has not ended counts as failed";
}

TEST_F(FunStatTest, ReportTextHasEveryPieceInOrder) {
    TFunStatContext record;
    record.Raise("Include\\StoredTextList", "TStoredTextList::Load", 88, fsError, "Failed to read.", "C:\\x.ini",
                 "", 5);
    record.SetShowContext("Tilvane\\TilvaneDialog", "", 301);
    view.Attempts = 2;
    const std::string expected =
        "\r\nRAISE CONTEXT\r\n* Status: Error\r\n* File: \"StoredTextList\"\r\n"
        "* Function: \"TStoredTextList::Load\"\r\n* Line: 88\r\n* Description: \"Failed to read.\"\r\n"
        "* Parameter 1: \"C:\\x.ini\"\r\n* System error code: 5\r\n* System error description: \"Message 5\"\r\n"
        "\r\nSHOW CONTEXT\r\n* File: \"TilvaneDialog\"\r\n* Function: \"\"\r\n* Line: 301\r\n"
        "\r\nINFO\r\n* Time: Monday | 10:00\r\n* Program: C:\\Games\\Tilvane.exe\r\n* Recursive attempts: 2\r\n"
        "\r\nUSER INFO\r\n* UserCode: 0\r\n* UserText: \r\n* UserInt: 0\r\n* UserReal: 0";
    EXPECT_EQ(record.ReportText(), expected);
}

TEST_F(FunStatTest, ReportTextEdgeCases) {
    TFunStatContext record;
    record.Status = fsCatastrophe;
    record.SystemErrorCode = static_cast<int32_t>(0x80004005u);
    record.UserReal = 0.1;
    std::string report = record.ReportText();
    EXPECT_TRUE(Contains(report, "* Status: Catastrophe: CATASTROPHIC FAILURE!!! It is highly recommended to "
                                 "terminate the program immediately!\r\n"));
    EXPECT_TRUE(Contains(report, "* Description: \"\"\r\n"));
    EXPECT_FALSE(Contains(report, "* Parameter 1: "));
    EXPECT_FALSE(Contains(report, "* Parameter 2: "));
    EXPECT_TRUE(Contains(report, "* System error code: -2147467259\r\n"));
    EXPECT_TRUE(Contains(report, "* UserReal: 0.1"));
    ErrorForm = nullptr;
    EXPECT_TRUE(Contains(record.ReportText(), "* Recursive attempts: 0\r\n"));

    record.Reset(fsError);
    EXPECT_FALSE(Contains(record.ReportText(), "* System error"));
}

TEST_F(FunStatTest, ShowWithoutDialogUsesPlainBox) {
    ErrorForm = nullptr;
    TFunStatContext record;
    record.Status = fsError;
    bool noErrors = true;
    EXPECT_FALSE(record.Show("Failed.", &noErrors));
    EXPECT_FALSE(noErrors);
    ASSERT_EQ(plainBoxes.size(), 1u);
    EXPECT_EQ(plainBoxes[0], "Error:The error-dialog form is not created. You must create it.");
}

TEST_F(FunStatTest, ErrorClassification) {
    EXPECT_TRUE(IsSearchEndCode(18));
    EXPECT_TRUE(IsSearchEndCode(2));
    EXPECT_TRUE(IsSearchEndCode(0));
    EXPECT_FALSE(IsSearchEndCode(3));
    EXPECT_FALSE(ErrorCodeFailed(14));
    EXPECT_FALSE(ErrorCodeFailed(1235));
    EXPECT_TRUE(ErrorCodeFailed(183));
    EXPECT_FALSE(ErrorCodeFailedAllowExisting(183));
    EXPECT_TRUE(ErrorCodeFailedAllowExisting(5));
    EXPECT_TRUE(ComCallFailed(static_cast<int32_t>(0x80004005u)));
    EXPECT_FALSE(ComCallFailed(static_cast<int32_t>(0x800704C7u)));
    EXPECT_FALSE(ComCallFailed(1));
}

// A passing operation in the shape every module uses.
int PassingOperation(int32_t status, bool throwSite) {
    TFunOperation op("Include\\Sample", "PassingOperation", 1);
    int result = 0;
    op.Guard(2, [&] {
        result = 42;
        if (throwSite) THROW_SITE("broken");
        if (status != fsPerfect) op.Raise(3, status, "Inner failed.", "p1", "", 9);
    });
    op.EndPassing([&] { result = 0; });
    return result;
}

void ShowingOperation(int32_t innerStatus) {
    TFunOperation op("Tilvane\\Sample", "ShowingOperation", 10);
    op.Guard(11, [&] {
        PassingOperation(innerStatus, false);
        if (op.TakeCurrent()) return;
    });
    op.EndShowing(20, "Failed to do the thing.");
}

TEST_F(FunStatTest, PassingOperationHandsOverItsOutcome) {
    EXPECT_EQ(PassingOperation(fsPerfect, false), 42);
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);

    EXPECT_EQ(PassingOperation(fsWarning, false), 42) << "a warning is no failure";
    EXPECT_EQ(CurrentFunStatContext.Status, fsWarning);

    EXPECT_EQ(PassingOperation(fsError, false), 0) << "the error action sets the failure result";
    EXPECT_EQ(CurrentFunStatContext.Status, fsError);
    EXPECT_EQ(CurrentFunStatContext.Function, "PassingOperation");
    EXPECT_EQ(CurrentFunStatContext.Description, "Inner failed.");
    EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, 9);
}

TEST_F(FunStatTest, GuardRecordsThrowSite) {
    EXPECT_EQ(PassingOperation(fsPerfect, true), 0);
    EXPECT_EQ(CurrentFunStatContext.Description, "Unhandled exception: broken");
    EXPECT_EQ(CurrentFunStatContext.Parameter1, "FunStatTests.cpp");
    EXPECT_NE(CurrentFunStatContext.Parameter2, "0");
    EXPECT_NE(CurrentFunStatContext.Parameter2, "");

    TFunOperation op("m", "f", 1);
    op.Guard(5, [] { throw std::runtime_error("plain"); });
    EXPECT_EQ(op.Own.Parameter1, "");
    EXPECT_EQ(op.Own.Parameter2, "0");
    EXPECT_TRUE(Contains(op.Own.ReportText(), "* Parameter 2: \"0\""));
    EXPECT_FALSE(Contains(op.Own.ReportText(), "* Parameter 1: "));
    op.Guard(6, [] { throw 5; });
    EXPECT_EQ(op.Own.Description, "Unhandled generic exception.");
    op.EndPassing();
}

TEST_F(FunStatTest, ShowingOperationReportsInnerFailureAndEndsPerfect) {
    ShowingOperation(fsWarning);
    EXPECT_TRUE(view.Shown.empty()) << "warnings are never shown";
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);

    ShowingOperation(fsError);
    ASSERT_EQ(view.Shown.size(), 1u);
    EXPECT_EQ(view.Shown[0].Caption, "Error");
    EXPECT_EQ(view.Shown[0].Description, "Failed to do the thing.");
    const std::string& report = view.Shown[0].Report;
    EXPECT_TRUE(Contains(report, "RAISE CONTEXT\r\n* Status: Error\r\n* File: \"Sample\"\r\n"
                                 "* Function: \"PassingOperation\"\r\n* Line: 3\r\n"));
    EXPECT_TRUE(Contains(report, "SHOW CONTEXT\r\n* File: \"Sample\"\r\n* Function: \"\"\r\n* Line: 20"));
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << "after a showing operation the record is Perfect";
}

// A crash report names what was running; after a thrown exception too, the chain is whole again.
TEST_F(FunStatTest, RunningOperationsAreKnownInnermostFirst) {
    EXPECT_EQ(TFunOperation::Innermost(), nullptr);
    {
        TFunOperation outer("Tilvane\\Outer", "TOuter::Run", 10);
        EXPECT_EQ(TFunOperation::Innermost(), &outer);
        outer.Guard(11, [&] {
            TFunOperation inner("Include\\Inner", "Inner", 20);
            EXPECT_EQ(TFunOperation::Innermost(), &inner);
            EXPECT_EQ(inner.Outer(), &outer);
            EXPECT_STREQ(inner.Module(), "Include\\Inner");
            EXPECT_STREQ(inner.Function(), "Inner");
            EXPECT_EQ(inner.BeginLine(), 20);
            throw std::runtime_error("leaves the inner operation");
        });
        EXPECT_EQ(TFunOperation::Innermost(), &outer);
        EXPECT_EQ(outer.Outer(), nullptr);
        outer.EndPassing();
    }
    EXPECT_EQ(TFunOperation::Innermost(), nullptr);
}

TEST_F(FunStatTest, UnfinishedOperationLeavesBeginError) {
    { TFunOperation op("Include\\Sample", "Abandoned", 77); }
    EXPECT_EQ(CurrentFunStatContext.Status, fsBeginFunctionError);
    EXPECT_EQ(CurrentFunStatContext.Function, "Abandoned");
    EXPECT_TRUE(CurrentFunStatContext.Failed());
}

TEST_F(FunStatTest, LightFormShowsAndResetsCurrent) {
    PassingOperation(fsError, false);
    ShowCurrentFailure("Tilvane\\Handler", 55, "Failed to handle.");
    ASSERT_EQ(view.Shown.size(), 1u);
    EXPECT_EQ(view.Shown[0].Description, "Failed to handle.");
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);
    ShowCurrentFailure("Tilvane\\Handler", 56, "Nothing failed.");
    EXPECT_EQ(view.Shown.size(), 1u);
}

}  // namespace

namespace {
TEST_F(FunStatTest, ApplicationExceptionIsShownAndHandled) {
    FunStatContext.OnApplicationException(nullptr, "Access violation");
    ASSERT_EQ(view.Shown.size(), 1u);
    EXPECT_EQ(view.Shown[0].Description, "Unhandled error.\r\nAccess violation");
    EXPECT_TRUE(Contains(view.Shown[0].Report, "* Function: \"TFunStatContext::OnApplicationException\""));
    EXPECT_TRUE(Contains(view.Shown[0].Report, "* System error code: 6\r\n"));
    EXPECT_TRUE(Contains(view.Shown[0].Report, "SHOW CONTEXT\r\n* File: \"Error\"\r\n"
                                               "* Function: \"TFunStatContext::OnApplicationException\""));
    EXPECT_EQ(FunStatContext.Status, fsPerfect);
}
}  // namespace
