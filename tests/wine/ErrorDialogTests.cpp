// The error dialog in this process: reports reach it through the status record's Show, the
// dialog runs its real modal loop, and steps run from inside that loop on a timer, as a user's
// clicks and keys would.
#include "Framework/Application.h"
#include "Include/ErrorDialog.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// The first form of a process becomes the application's main window, and destroying that one
// ends the message loop. A hidden host keeps that role for the whole test process.
void EnsureMainWindow() {
    if (Application.MainWindow()) return;
    static TForm* host = new TForm;  // lives as long as the process
    host->CreateForm("Test host", WS_OVERLAPPEDWINDOW, 0, 200, 100, "Arial", 9);
}

// Runs steps one per timer tick from inside the next message loop (the dialog's modal loop).
// When the steps are done and the dialog is still open some time later, it is closed so that
// a faulty dialog fails the test instead of hanging it.
class TModalScript {
public:
    TModalScript(HWND dialog, std::vector<std::function<void()>> steps) : dialog_(dialog), steps_(std::move(steps)) {
        Current = this;
        timer_ = SetTimer(nullptr, 0, 30, Tick);
    }
    ~TModalScript() {
        KillTimer(nullptr, timer_);
        Current = nullptr;
    }
    bool ClosedByWatchdog() const { return watchdogFired_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!Current) return;
        try {
            Current->Next();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "a step threw: " << e.what();
        }
    }
    void Next() {
        if (busy_) return;  // a step that runs a nested loop gets the ticks of that loop too
        busy_ = true;
        if (next_ < steps_.size()) {
            steps_[next_++]();
        } else if (IsWindowVisible(dialog_) && ++idleTicks_ > 100) {
            watchdogFired_ = true;
            PostMessageA(dialog_, WM_CLOSE, 0, 0);
        }
        busy_ = false;
    }
    static TModalScript* Current;
    HWND dialog_;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    int idleTicks_ = 0;
    bool busy_ = false;
    bool watchdogFired_ = false;
    UINT_PTR timer_ = 0;
};
TModalScript* TModalScript::Current = nullptr;

void Click(TButton* button) { SendMessageA(button->Handle(), BM_CLICK, 0, 0); }

// A key as the focused control receives it, through the modal loop's dialog keys.
void PostKey(WORD key) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

TFunStatContext FailedRecord(const std::string& description, int32_t status = fsError) {
    TFunStatContext record;
    record.Raise("Include\\File", "MyRenameFile", 42, status, description, "C:\\a.txt", "", 0);
    record.SetShowContext("Tilvane\\TilvaneDialog", "", 7);
    return record;
}

class ErrorDialog : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureMainWindow();
        DeleteFileA(TErrorForm::LogFilePath().c_str());
        form = std::make_unique<TErrorForm>();
    }
    void TearDown() override {
        form.reset();
        EXPECT_EQ(ErrorForm, nullptr) << "the destroyed dialog no longer receives reports";
        DeleteFileA(TErrorForm::LogFilePath().c_str());
    }
    // Shows a report through the status record and runs the steps inside the dialog.
    bool ShowWithSteps(const TFunStatContext& record, const std::string& description,
                       std::vector<std::function<void()>> steps, bool* noErrors = nullptr) {
        TModalScript script(form->Handle(), std::move(steps));
        const bool result = record.Show(description, noErrors);
        EXPECT_FALSE(script.ClosedByWatchdog()) << "the dialog did not close by its own buttons or keys";
        return result;
    }
    std::unique_ptr<TErrorForm> form;
};

TEST_F(ErrorDialog, RegistersItselfWithItsLayout) {
    EXPECT_EQ(ErrorForm, form.get());
    EXPECT_TRUE(static_cast<bool>(Application.OnException));
    EXPECT_EQ(form->Text(), "Error");
    EXPECT_EQ(form->ClientWidth(), 340);
    EXPECT_EQ(form->ClientHeight(), 265);
    EXPECT_EQ(form->RecursiveAttempts(), 0);
    EXPECT_FALSE(form->Visible()) << "the dialog opens only for a report";
    const LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

TEST_F(ErrorDialog, TabGoesFromTheReportThroughTheButtonsByRole) {
    const std::vector<HWND> expected = {form->MainMemo->Handle(),        form->OkayButton->Handle(),
                                        form->CancelButton->Handle(),    form->OkayNoErrorsButton->Handle(),
                                        form->TerminateButton->Handle(), form->LogButton->Handle(),
                                        form->HelpButton->Handle()};
    std::vector<HWND> order = {expected.front()};
    for (size_t i = 1; i < expected.size(); ++i) order.push_back(GetNextDlgTabItem(form->Handle(), order.back(), FALSE));
    EXPECT_EQ(order, expected);
    EXPECT_EQ(GetNextDlgTabItem(form->Handle(), order.back(), FALSE), expected.front()) << "Tab wraps round";
}

TEST_F(ErrorDialog, ShowsReportWithFocusOnOkay) {
    std::string memo, label;
    HWND focus = nullptr;
    const TFunStatContext record = FailedRecord("Failed to rename.");
    ShowWithSteps(record, "Failed to load file.",
                  {[&] {
                      memo = form->MainMemo->Text();
                      label = form->RecursionLabel->Text();
                      focus = GetFocus();
                      Click(form->OkayButton);
                  }});
    EXPECT_EQ(memo.rfind("DESCRIPTION\r\nFailed to load file.\r\n\r\nRAISE CONTEXT\r\n* Status: Error", 0), 0u) << memo;
    EXPECT_NE(memo.find("* Description: \"Failed to rename.\""), std::string::npos);
    EXPECT_NE(memo.find("* Recursive attempts: 0\r\n"), std::string::npos);
    EXPECT_EQ(label, "Recursive attempts = None");
    EXPECT_EQ(focus, form->OkayButton->Handle());
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->RecursiveAttempts(), 0);
}

TEST_F(ErrorDialog, EmptyDescriptionReadsFailedToPerform) {
    std::string memo;
    ShowWithSteps(FailedRecord("x"), "", {[&] {
                      memo = form->MainMemo->Text();
                      Click(form->CancelButton);
                  }});
    EXPECT_EQ(memo.rfind("DESCRIPTION\r\nFailed to perform.\r\n\r\nRAISE CONTEXT", 0), 0u) << memo;
}

TEST_F(ErrorDialog, ReportsFromInsideTheOpenDialogAreOnlyCounted) {
    std::string memoBefore, memoAfter, firstLabel, secondLabel, caption;
    bool innerResult = false;
    const bool result = ShowWithSteps(FailedRecord("Outer."), "Outer failure.",
                                      {[&] {
                                           memoBefore = form->MainMemo->Text();
                                           innerResult = FailedRecord("Inner.", fsCatastrophe).Show("Inner failure.");
                                           firstLabel = form->RecursionLabel->Text();
                                           caption = form->Text();
                                       },
                                       [&] {
                                           FailedRecord("Inner again.").Show("Inner failure again.");
                                           secondLabel = form->RecursionLabel->Text();
                                           memoAfter = form->MainMemo->Text();
                                           EXPECT_EQ(form->RecursiveAttempts(), 3);
                                           Click(form->OkayButton);
                                       }});
    EXPECT_TRUE(result);
    EXPECT_TRUE(innerResult) << "an absorbed report counts as shown";
    EXPECT_EQ(caption, "Catastrophe") << "the caption follows every report";
    EXPECT_EQ(firstLabel, "Recursive attempts = 1");
    EXPECT_EQ(secondLabel, "Recursive attempts = 2");
    EXPECT_EQ(memoAfter, memoBefore) << "the open dialog keeps the first report";
    EXPECT_EQ(form->RecursiveAttempts(), 0);

    std::string label, memo;
    ShowWithSteps(FailedRecord("Later."), "Later failure.", {[&] {
                      label = form->RecursionLabel->Text();
                      memo = form->MainMemo->Text();
                      Click(form->OkayButton);
                  }});
    EXPECT_EQ(label, "Recursive attempts = None");
    EXPECT_NE(memo.find("DESCRIPTION\r\nLater failure.\r\n"), std::string::npos);
    EXPECT_NE(memo.find("* Recursive attempts: 0\r\n"), std::string::npos);
}

// An exception that escapes a handler while the dialog is open comes back as a counted report.
TEST_F(ErrorDialog, ExceptionInsideTheModalLoopIsCounted) {
    form->HelpButton->OnClick = [] { throw std::runtime_error("handler failed"); };
    std::string label;
    bool stillOpen = false;
    ShowWithSteps(FailedRecord("Outer."), "Outer failure.", {[&] {
                      Click(form->HelpButton);
                      label = form->RecursionLabel->Text();
                      stillOpen = form->Visible();
                      Click(form->OkayButton);
                  }});
    EXPECT_EQ(label, "Recursive attempts = 1");
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(FunStatContext.Failed()) << "the handler resets the record after showing";
}

TEST_F(ErrorDialog, ClosingWaysGiveResultAndFlag) {
    struct TCase {
        const char* Name;
        std::function<void(TErrorForm&)> Close;
        bool Result;
        bool NoErrors;
    };
    const std::vector<TCase> cases = {
        {"Okay", [](TErrorForm& f) { Click(f.OkayButton); }, true, false},
        {"Okay (no errors)", [](TErrorForm& f) { Click(f.OkayNoErrorsButton); }, true, true},
        {"Cancel", [](TErrorForm& f) { Click(f.CancelButton); }, false, false},
        {"Escape", [](TErrorForm&) { PostKey(VK_ESCAPE); }, false, false},
        {"close box", [](TErrorForm& f) { PostMessageA(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, false, false},
        {"Enter on Okay", [](TErrorForm&) { PostKey(VK_RETURN); }, true, false},
        {"Enter on Cancel",
         [](TErrorForm& f) {
             SetFocus(f.CancelButton->Handle());
             PostKey(VK_RETURN);
         },
         false, false},
    };
    for (const TCase& c : cases) {
        for (bool before : {false, true}) {
            bool noErrors = before;
            const bool result = ShowWithSteps(FailedRecord("x"), "Failure.", {[&] { c.Close(*form); }}, &noErrors);
            EXPECT_EQ(result, c.Result) << c.Name;
            EXPECT_EQ(noErrors, c.NoErrors) << c.Name << ": the flag is set either way";
        }
    }
    EXPECT_TRUE(ShowWithSteps(FailedRecord("x"), "No holder.", {[&] { Click(form->OkayNoErrorsButton); }}));
}

// The dialog goes with the main window that owns it; a report made after that still shows.
TEST_F(ErrorDialog, ReportAfterItsWindowIsGoneUsesPlainBox) {
    DestroyWindow(form->Handle());
    TMessageBoxAnswerer answer("Error", IDOK);
    bool noErrors = true;
    EXPECT_FALSE(FailedRecord("Failed to rename.").Show("Failed to close.", &noErrors));
    EXPECT_FALSE(noErrors);
    ASSERT_EQ(answer.Count(), 1u);
    EXPECT_EQ(answer.Texts()[0].rfind("Failed to close.\r\n\r\nRAISE CONTEXT", 0), 0u) << answer.Texts()[0];
}

std::string Entry(const std::string& memo) { return "**********" + memo + "\r\n**********\r\n"; }

TEST_F(ErrorDialog, LogButtonAppendsTheDialogTextAndLeavesItOpen) {
    const std::string path = TErrorForm::LogFilePath();
    std::string memo;
    bool openAfterLog = false;
    ShowWithSteps(FailedRecord("Failed to rename."), "Failed to load file.",
                  {[&] {
                       memo = form->MainMemo->Text();
                       Click(form->LogButton);
                       Click(form->LogButton);
                       openAfterLog = form->Visible();
                       Click(form->OkayButton);
                   }});
    EXPECT_TRUE(openAfterLog);
    ASSERT_TRUE(FileExists(path)) << "a missing log is created";
    const std::string log = ReadFileBytes(path);
    EXPECT_EQ(log, Entry(memo) + Entry(memo));
    EXPECT_EQ(log.rfind("**********DESCRIPTION\r\nFailed to load file.\r\n\r\nRAISE CONTEXT\r\n", 0), 0u);
}

TEST_F(ErrorDialog, LogOverTenThousandBytesIsEmptiedFirst) {
    const std::string path = TErrorForm::LogFilePath();
    ShowWithSteps(FailedRecord("x"), "Logged failure.", {[&] { Click(form->OkayButton); }});
    const std::string entry = Entry(form->MainMemo->Text());

    const std::string atLimit(10000, 'a');
    WriteFileBytes(path, atLimit);
    EXPECT_TRUE(form->WriteLog());
    const std::string appended = ReadFileBytes(path);
    EXPECT_EQ(appended.size(), atLimit.size() + entry.size()) << "a log of exactly 10000 bytes is appended to";
    EXPECT_TRUE(appended.rfind(atLimit, 0) == 0 && appended.substr(atLimit.size()) == entry);

    WriteFileBytes(path, std::string(10001, 'b'));
    EXPECT_TRUE(form->WriteLog());
    const std::string emptied = ReadFileBytes(path);
    EXPECT_EQ(emptied.size(), entry.size()) << "a log of 10001 bytes holds only the new entry";
    EXPECT_EQ(emptied, entry);

    EXPECT_TRUE(form->WriteLog());
    EXPECT_EQ(ReadFileBytes(path), entry + entry);
}

TEST_F(ErrorDialog, LogThatCannotBeOpenedIsLeftAlone) {
    const std::string path = TErrorForm::LogFilePath();
    ShowWithSteps(FailedRecord("x"), "Logged failure.", {[&] { Click(form->OkayButton); }});
    WriteFileBytes(path, "earlier entries");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(form->WriteLog()) << "a log held by another without sharing is not written";
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(path), "earlier entries");
}

}  // namespace
