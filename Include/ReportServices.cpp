#include "Include/ReportServices.h"

#include "Include/Core/FunOperation.h"
#include "Include/Error.h"
#include "Include/Mytime.h"
#include "Include/Program.h"

#include <windows.h>

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
