// The function-status record through which every operation reports how it ended, and the
// report text built from it. No system calls here: what the report needs from the system
// (clock text, program path, error messages, the dialog) is plugged in by the platform layer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum TFunStatus : int32_t {
    fsPerfect = 0,
    fsWarning = 1,
    fsError = 2,
    fsBeginFunctionError = 3,
    fsPanic = 4,
    fsCatastrophe = 5,
};

// The error dialog as the record sees it. The dialog registers itself in ErrorForm.
class TErrorReportView {
public:
    virtual ~TErrorReportView() = default;
    virtual bool ShowReport(const std::string& caption, const std::string& description,
                            const std::string& report, bool* noErrors) = 0;
    virtual int32_t RecursiveAttempts() const = 0;
};

// System services the report and Show rely on; the platform layer fills them in at start-up.
// Plain function pointers, so that the table is ready before any constructor runs.
struct TReportServices {
    std::string (*CurrentTimeText)() = nullptr;           // long date and time of "now"
    std::string (*ProgramPath)() = nullptr;               // full path of the running program
    std::string (*SystemErrorText)(int32_t code) = nullptr;
    int32_t (*LastErrorCode)() = nullptr;
    void (*PlainMessageBox)(const std::string& text, const std::string& caption) = nullptr;
};

class TFunStatContext {
public:
    // Raise context.
    int32_t Status = fsPerfect;
    std::string File;
    std::string Function;
    int32_t Line = 0;
    std::string Description;
    std::string Parameter1;
    std::string Parameter2;
    int32_t SystemErrorCode = 0;
    // Show context: never travels between records.
    std::string ShowFile;
    std::string ShowFunction;
    int32_t ShowLine = 0;
    // User info.
    int32_t UserCode = 0;
    std::string UserText;
    int32_t UserInt = 0;
    double UserReal = 0.0;

    TFunStatContext() = default;
    TFunStatContext(const TFunStatContext& other);             // show context left empty
    TFunStatContext& operator=(const TFunStatContext& other);  // own show context kept

    bool Failed() const { return Status >= fsError; }

    void Reset(int32_t status);
    void Begin(const std::string& file, const std::string& function, int32_t line);
    void Raise(const std::string& file, const std::string& function, int32_t line, int32_t status,
               const std::string& description, const std::string& parameter1,
               const std::string& parameter2, int32_t systemErrorCode);
    void SetShowContext(const std::string& file, const std::string& function, int32_t line);

    static std::string StatusText(int32_t status);
    std::string ReportText() const;

    // Passes the record to the error dialog; without one, a plain message box says so.
    bool Show(const std::string& description, bool* noErrors = nullptr) const;

    // The application's handler for exceptions that reach the message loop.
    void OnApplicationException(void* sender, const std::string& message);

private:
    void CopyRaiseContextAndUserInfo(const TFunStatContext& other);
};

extern TFunStatContext FunStatContext;
extern TFunStatContext& CurrentFunStatContext;
extern TErrorReportView* ErrorForm;
extern TReportServices ReportServices;

// Error classification on plain codes; the platform adds the forms that read the last error.
bool ErrorCodeFailed(uint32_t code);
bool ErrorCodeFailedAllowExisting(uint32_t code);
bool IsSearchEndCode(uint32_t code);
bool ComCallFailed(int32_t result);

// An exception that knows where it was thrown; reports name its file and line.
class TSiteException : public std::exception {
public:
    TSiteException(std::string message, const char* file, unsigned line)
        : Message(std::move(message)), File(file), Line(line) {}
    const char* what() const noexcept override { return Message.c_str(); }
    std::string Message;
    const char* File;
    unsigned Line;
};

#define THROW_SITE(message) throw TSiteException((message), __FILE__, __LINE__)
