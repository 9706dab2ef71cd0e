#include "Include/ErrorLog.h"

#include "Include/Error.h"
#include "Include/File.h"
#include "Include/Owned.h"
#include "Include/Program.h"

#include <windows.h>

#include <cstdint>

namespace {

const char* const LogFileName = "Errors.log";
const char* const LogSeparator = "**********";
// A larger log is emptied before the next entry, so it never grows far beyond this.
const uint64_t LogSizeLimit = 10000;

}  // namespace

std::string ErrorLogPath() { return GetDataDirectory() + LogFileName; }

std::string ErrorDialogText(const std::string& failureMessage, const std::string& report) {
    return "DESCRIPTION\r\n" + (failureMessage.empty() ? std::string("Failed to perform.") : failureMessage) +
           "\r\n" + report;
}

bool AppendErrorLogEntry(const std::string& dialogText) {
    try {
        const std::string path = ErrorLogPath();
        ClearLastError();
        TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (LastErrorFailedAllowExisting() || !file) return false;
        if (GetFileSize(file.get()) > LogSizeLimit) {
            SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
            SetEndOfFile(file.get());
        }
        const std::string entry = LogSeparator + dialogText + "\r\n" + LogSeparator + "\r\n";
        ClearLastError();  // opening an existing log leaves "already exists" behind
        SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_END);
        DWORD written = 0;
        const bool wrote = WriteFile(file.get(), entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr) &&
                           written == entry.size();
        const bool closed = file.Close();
        return wrote && closed && !LastErrorFailed();
    } catch (...) {
        return false;
    }
}
