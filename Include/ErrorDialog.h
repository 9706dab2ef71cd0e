// The error dialog: where a failed operation meets the user. It shows the report, counts the
// reports that arrive while it is open, appends the report to "Errors.log" on request, and can
// end the program at once. Creating it routes the application's exceptions to the reports.
#pragma once

#include "Framework/Form.h"
#include "Framework/Layout.h"
#include "Include/Owned.h"
#include "Include/Core/FunStat.h"

#include <cstdint>
#include <string>

// Control numbers of the error dialog. The three closing buttons carry their modal results as
// numbers, so that Enter and Escape reach them through the dialog keys.
enum TErrorFormControlId : int {
    idErrorOkayButton = IDOK,           // modal result 1
    idErrorCancelButton = IDCANCEL,     // modal result 2; also Escape
    idErrorOkayNoErrorsButton = IDYES,  // modal result 6
    idErrorMainMemo = 300,
    idErrorTerminateButton,
    idErrorLogButton,
    idErrorHelpButton,
    idErrorRecursionLabel,
};

class TErrorForm : public TForm, public TErrorReportView {
public:
    // Sets ErrorForm and hands the application's exceptions to the status record's handler.
    TErrorForm();
    ~TErrorForm() override;

    // Shows the report modally; a report that arrives while the dialog is open is only counted.
    // True for the two Okay buttons (noErrors tells which) and for a counted report.
    bool ShowReport(const std::string& caption, const std::string& description, const std::string& report,
                    bool* noErrors) override;
    int32_t RecursiveAttempts() const override { return RecursionCount; }

    // Appends the dialog's text to the log; false when it could not be written.
    bool WriteLog();
    static std::string LogFilePath();

    void FormActivate();
    void TerminateButtonClick();
    void LogButtonClick();
    void HelpButtonClick();

    // 0 while closed, 1 while open, one more for every report that arrives meanwhile.
    int32_t RecursionCount = 0;

    TMemo* MainMemo = nullptr;
    TButton* OkayButton = nullptr;
    TButton* OkayNoErrorsButton = nullptr;
    TButton* CancelButton = nullptr;
    TButton* TerminateButton = nullptr;
    TButton* LogButton = nullptr;
    TButton* HelpButton = nullptr;
    TLabel* RecursionLabel = nullptr;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int) override { layout_.Arrange(*this); }

private:
    void CreateLayout();
    void CloseWith(int modalResult);
    bool ShowWithoutWindow(const std::string& caption, const std::string& description, const std::string& report,
                           bool* noErrors);
    int RunModalLoop();

    TLayout layout_;
    // The result a button chose, kept here as well: it decides when the loop ends by an exception.
    int chosenResult_ = mrNone;
};
