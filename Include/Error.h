// The platform side of error reporting: the thread's last system error, and the system
// services (clock, program path, message texts, message box) that reports use.
#pragma once

#include "Include/Core/FunOperation.h"

#include <cstdint>

void ClearLastError();
uint32_t LastError();
bool LastErrorFailed();
bool LastErrorFailedAllowExisting();
std::string SystemErrorMessage(uint32_t code);

// Puts the Windows implementations into ReportServices; the program does it before anything reports.
void InstallReportServices();
