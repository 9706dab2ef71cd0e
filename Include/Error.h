// The platform side of error reporting: the thread's last system error and the system's text
// for an error code.
#pragma once

#include "Include/Core/FunOperation.h"

#include <cstdint>

void ClearLastError();
uint32_t LastError();
bool LastErrorFailed();
bool LastErrorFailedAllowExisting();
std::string SystemErrorMessage(uint32_t code);
