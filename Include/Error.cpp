#include "Include/Error.h"

#include "Include/Mytime.h"
#include "Include/Program.h"

#include <windows.h>

void ClearLastError() { SetLastError(0); }

uint32_t LastError() { return GetLastError(); }

bool LastErrorFailed() { return ErrorCodeFailed(GetLastError()); }

bool LastErrorFailedAllowExisting() { return ErrorCodeFailedAllowExisting(GetLastError()); }

std::string SystemErrorMessage(uint32_t code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string message = length ? std::string(buffer, length) : std::string();
    if (buffer) LocalFree(buffer);
    return message;
}

namespace {

std::string ReportTimeText() { return DateTimeToLongText(" | ", NowDateTime()); }

std::string ReportSystemErrorText(int32_t code) { return SystemErrorMessage(static_cast<uint32_t>(code)); }

int32_t ReportLastErrorCode() { return static_cast<int32_t>(GetLastError()); }

void ReportPlainMessageBox(const std::string& text, const std::string& caption) {
    MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace

void InstallReportServices() {
    ReportServices.CurrentTimeText = ReportTimeText;
    ReportServices.ProgramPath = GetProgramPath;
    ReportServices.SystemErrorText = ReportSystemErrorText;
    ReportServices.LastErrorCode = ReportLastErrorCode;
    ReportServices.PlainMessageBox = ReportPlainMessageBox;
}
