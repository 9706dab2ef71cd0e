#include "Include/Core/FunStat.h"

#include "Include/Core/PathText.h"

#include <cstdio>

TFunStatContext FunStatContext;
TFunStatContext& CurrentFunStatContext = FunStatContext;
TErrorReportView* ErrorForm = nullptr;
TReportServices ReportServices;

TFunStatContext::TFunStatContext(const TFunStatContext& other) {
    CopyRaiseContextAndUserInfo(other);
}

TFunStatContext& TFunStatContext::operator=(const TFunStatContext& other) {
    if (this != &other) CopyRaiseContextAndUserInfo(other);
    return *this;
}

void TFunStatContext::CopyRaiseContextAndUserInfo(const TFunStatContext& other) {
    Status = other.Status;
    File = other.File;
    Function = other.Function;
    Line = other.Line;
    Description = other.Description;
    Parameter1 = other.Parameter1;
    Parameter2 = other.Parameter2;
    SystemErrorCode = other.SystemErrorCode;
    UserCode = other.UserCode;
    UserText = other.UserText;
    UserInt = other.UserInt;
    UserReal = other.UserReal;
}

void TFunStatContext::Reset(int32_t status) {
    Status = status;
    File.clear();
    Function.clear();
    Line = 0;
    Description.clear();
    Parameter1.clear();
    Parameter2.clear();
    SystemErrorCode = 0;
}

void TFunStatContext::Begin(const std::string& file, const std::string& function, int32_t line) {
    Status = fsBeginFunctionError;
    File = file;
    Function = function;
    Line = line;
    Description.clear();
    Parameter1.clear();
    Parameter2.clear();
    SystemErrorCode = 0;
}

void TFunStatContext::Raise(const std::string& file, const std::string& function, int32_t line, int32_t status,
                            const std::string& description, const std::string& parameter1,
                            const std::string& parameter2, int32_t systemErrorCode) {
    Status = status;
    File = file;
    Function = function;
    Line = line;
    Description = description;
    Parameter1 = parameter1;
    Parameter2 = parameter2;
    SystemErrorCode = systemErrorCode;
}

void TFunStatContext::SetShowContext(const std::string& file, const std::string& function, int32_t line) {
    ShowFile = file;
    ShowFunction = function;
    ShowLine = line;
}

std::string TFunStatContext::StatusText(int32_t status) {
    switch (status) {
    case fsPerfect: return "Perfect";
    case fsWarning: return "Warning";
    case fsError: return "Error";
    case fsBeginFunctionError: return "Begin function error";
    case fsPanic: return "Panic";
    case fsCatastrophe: return "Catastrophe";
    default: return "Unknown function status";
    }
}

namespace {

const char* const CRLF = "\r\n";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The system's messages end in blanks, line breaks and a full stop; the report quotes them bare.
std::string TrimMessageEnd(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' ||
                             text.back() == '.' || text.back() == '\t'))
        text.pop_back();
    return text;
}

std::string RealText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

}  // namespace

std::string TFunStatContext::ReportText() const {
    std::string text;
    try {
        text += CRLF;
        text += "RAISE CONTEXT";
        text += CRLF;
        text += "* Status: " + StatusText(Status);
        if (Status == fsCatastrophe)
            text += ": CATASTROPHIC FAILURE!!! It is highly recommended to terminate the program immediately!";
        text += CRLF + ("* File: " + Quoted(NameOfPath(File)));
        text += CRLF + ("* Function: " + Quoted(Function));
        text += CRLF + ("* Line: " + std::to_string(Line));
        text += CRLF + ("* Description: " + Quoted(Description));
        if (!Parameter1.empty()) text += CRLF + ("* Parameter 1: " + Quoted(Parameter1));
        if (!Parameter2.empty()) text += CRLF + ("* Parameter 2: " + Quoted(Parameter2));
        if (SystemErrorCode != 0) {
            text += CRLF + ("* System error code: " + std::to_string(SystemErrorCode));
            std::string message = ReportServices.SystemErrorText ? ReportServices.SystemErrorText(SystemErrorCode) : "";
            text += CRLF + ("* System error description: " + Quoted(TrimMessageEnd(message)));
        }
        text += CRLF;
        text += CRLF;
        text += "SHOW CONTEXT";
        text += CRLF + ("* File: " + Quoted(NameOfPath(ShowFile)));
        text += CRLF + ("* Function: " + Quoted(ShowFunction));
        text += CRLF + ("* Line: " + std::to_string(ShowLine));
        text += CRLF;
        text += CRLF;
        text += "INFO";
        text += CRLF + ("* Time: " + (ReportServices.CurrentTimeText ? ReportServices.CurrentTimeText() : ""));
        text += CRLF + ("* Program: " + (ReportServices.ProgramPath ? ReportServices.ProgramPath() : ""));
        text += CRLF + ("* Recursive attempts: " + std::to_string(ErrorForm ? ErrorForm->RecursiveAttempts() : 0));
        text += CRLF;
        text += CRLF;
        text += "USER INFO";
        text += CRLF + ("* UserCode: " + std::to_string(UserCode));
        text += CRLF + ("* UserText: " + UserText);
        text += CRLF + ("* UserInt: " + std::to_string(UserInt));
        text += CRLF + ("* UserReal: " + RealText(UserReal));
    } catch (...) {
        // The report stays as far as it got.
    }
    return text;
}

bool TFunStatContext::Show(const std::string& description, bool* noErrors) const {
    try {
        if (!ErrorForm) {
            if (noErrors) *noErrors = false;
            if (ReportServices.PlainMessageBox)
                ReportServices.PlainMessageBox("The error-dialog form is not created. You must create it.", "Error");
            return false;
        }
        return ErrorForm->ShowReport(StatusText(Status), description, ReportText(), noErrors);
    } catch (...) {
        return false;
    }
}

void TFunStatContext::OnApplicationException(void* /*sender*/, const std::string& message) {
    const std::string description = "Unhandled error.\r\n" + message;
    const int32_t code = ReportServices.LastErrorCode ? ReportServices.LastErrorCode() : 0;
    Raise("Include\\Error", "TFunStatContext::OnApplicationException", __LINE__, fsError, description, "", "", code);
    SetShowContext("Include\\Error", "TFunStatContext::OnApplicationException", __LINE__);
    Show(description);
    Reset(fsPerfect);
}

bool ErrorCodeFailed(uint32_t code) { return code != 0 && code != 14 && code != 1235; }

bool ErrorCodeFailedAllowExisting(uint32_t code) { return ErrorCodeFailed(code) && code != 183; }

bool IsSearchEndCode(uint32_t code) { return code == 0 || code == 2 || code == 18; }

bool ComCallFailed(int32_t result) { return result < 0 && static_cast<uint32_t>(result) != 0x800704C7u; }
