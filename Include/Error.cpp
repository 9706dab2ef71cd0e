#include "Include/Error.h"

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
