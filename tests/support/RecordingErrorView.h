// Stands in for the error dialog, so that a test can check what a report would have shown, and a
// long run goes on past a failure that a dialog would stop.
#pragma once

#include "Include/Core/FunStat.h"

#include <cstdint>
#include <string>
#include <vector>

class TRecordingView : public TErrorReportView {
public:
    std::vector<std::string> Descriptions, Reports;
    bool ShowReport(const std::string&, const std::string& description, const std::string& report,
                    bool* noErrors) override {
        Descriptions.push_back(description);
        Reports.push_back(report);
        if (noErrors) *noErrors = false;
        return true;
    }
    int32_t RecursiveAttempts() const override { return 0; }
};

// Failures go to a recording view for as long as it lives, and back to the real one after.
struct TRecordedFailures {
    TRecordingView View;
    TErrorReportView* Saved = ErrorForm;
    TRecordedFailures() { ErrorForm = &View; }
    ~TRecordedFailures() { ErrorForm = Saved; }
    TRecordedFailures(const TRecordedFailures&) = delete;
    TRecordedFailures& operator=(const TRecordedFailures&) = delete;
};
