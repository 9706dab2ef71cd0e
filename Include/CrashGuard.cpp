#include "Include/CrashGuard.h"

#include "Include/Core/FunOperation.h"
#include "Include/Core/PathText.h"
#include "Include/ErrorLog.h"
#include "Include/Owned.h"
#include "Include/Program.h"

#include <windows.h>
#include <dbghelp.h>

#include <cinttypes>
#include <cstdio>

namespace {

const char* const Module = "Include\\CrashGuard";
const char* const CrashFailure = "A fatal fault ended the program.";
const char* const DumpFileName = "Errors.dmp";
const char* const RelayClassName = "TilvaneCrashRelay";
const UINT WM_WRITE_RECOVERY = WM_APP + 1;
// How long a busy window thread may take to reach its next message before the game is given up.
const UINT RecoveryTimeoutMs = 5000;
// Room that stays on the window thread's stack for the stack-overflow handler itself.
const ULONG StackOverflowReserve = 32 * 1024;

DWORD WindowThreadId = 0;
HWND RelayWindow = nullptr;
std::function<void()> RecoveryWriter;
// The thread that reports a crash; another fault meanwhile waits for the end it brings.
volatile LONG HandlingThreadId = 0;

using TMiniDumpWriteDump = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                         PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

std::string HexText(uint64_t value, int digits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%0*" PRIX64, digits, value);
    return buffer;
}

std::string FaultDescription(const EXCEPTION_RECORD& exception, DWORD faultingThread) {
    const uint32_t code = exception.ExceptionCode;
    return "Exception " + HexText(code, 8).substr(2) + " " + ExceptionCodeName(code) + " at address " +
           CodeAddressText(exception.ExceptionAddress) + ", on thread " + std::to_string(faultingThread) +
           (faultingThread == WindowThreadId ? " (the window thread)." : " (not the window thread).");
}

// For an access violation: what the code tried to do where.
std::string AccessText(const EXCEPTION_RECORD& exception) {
    if (exception.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || exception.NumberParameters < 2) return std::string();
    const ULONG_PTR kind = exception.ExceptionInformation[0];
    const char* action = kind == 0 ? "Reading" : kind == 8 ? "Executing" : "Writing";
    return std::string(action) + " address " + HexText(exception.ExceptionInformation[1], 16);
}

// The report names the innermost running operation as the place of the fault.
TFunStatContext CrashRecord(const EXCEPTION_RECORD& exception, DWORD faultingThread) {
    TFunStatContext record;
    const TFunOperation* running = TFunOperation::Innermost();
    record.Raise(running ? running->Module() : Module, running ? running->Function() : "",
                 running ? running->BeginLine() : 0, fsCatastrophe, FaultDescription(exception, faultingThread),
                 "Operations in progress: " + OperationsInProgressText(), AccessText(exception), 0);
    record.SetShowContext(Module, "ReportCrashAndEnd", __LINE__);
    return record;
}

void RunRecoveryWriter() {
    try {
        if (RecoveryWriter) RecoveryWriter();
    } catch (...) {
        // The game is lost; the report and the dump are still written.
    }
}

// A window thread that stands at the fault cannot take messages: the writer runs here, with that
// thread still. Any other window thread finishes what it does and runs the writer itself.
void WriteRecovery(DWORD faultingThread) {
    if (!RecoveryWriter) return;
    if (faultingThread == WindowThreadId) {
        RunRecoveryWriter();
        return;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(RelayWindow, WM_WRITE_RECOVERY, 0, 0, SMTO_NORMAL, RecoveryTimeoutMs, &result);
}

// Loaded by full path when needed, so that a missing or planted dbghelp never stops the rest.
bool WriteMinidump(EXCEPTION_POINTERS* pointers, DWORD faultingThread) {
    char system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    HMODULE dbghelp = LoadLibraryA((std::string(system) + "\\dbghelp.dll").c_str());
    if (!dbghelp) return false;
    const auto writeDump = reinterpret_cast<TMiniDumpWriteDump>(
        reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    const std::string path = CrashDumpPath();
    TFileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!writeDump || !file) return false;
    MINIDUMP_EXCEPTION_INFORMATION exception = {faultingThread, pointers, FALSE};
    const bool written = writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal, &exception,
                                   nullptr, nullptr) != FALSE;
    file.Close();
    if (!written) DeleteFileA(path.c_str());
    return written;
}

[[noreturn]] void ReportCrashAndEnd(EXCEPTION_POINTERS* pointers, DWORD faultingThread) {
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    const LONG handling = InterlockedCompareExchange(&HandlingThreadId, self, 0);
    // A fault inside the report itself ends at once; a fault of another thread waits for the end.
    if (handling == self) TerminateProcess(GetCurrentProcess(), 1);
    if (handling != 0) Sleep(INFINITE);
    try {
        const TFunStatContext record = CrashRecord(*pointers->ExceptionRecord, faultingThread);
        AppendErrorLogEntry(ErrorDialogText(CrashFailure, record.ReportText()));
    } catch (...) {
        // Out of memory: the recovery and the dump need none of the report.
    }
    WriteRecovery(faultingThread);
    WriteMinidump(pointers, faultingThread);
    TerminateProcess(GetCurrentProcess(), 1);
    ExitProcess(1);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) { ReportCrashAndEnd(pointers, GetCurrentThreadId()); }

struct TOverflowedThread {
    EXCEPTION_POINTERS* Pointers;
    DWORD ThreadId;
};

DWORD WINAPI ReportOverflow(void* parameter) {
    const auto* overflowed = static_cast<const TOverflowedThread*>(parameter);
    ReportCrashAndEnd(overflowed->Pointers, overflowed->ThreadId);
}

// An overflowed stack has no room for the report: a fresh thread writes it while this one waits.
// Handled first, before the system looks for handlers on that stack.
LONG CALLBACK StackOverflowHandler(EXCEPTION_POINTERS* pointers) {
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
    TOverflowedThread overflowed = {pointers, GetCurrentThreadId()};
    HANDLE reporter = CreateThread(nullptr, 0, ReportOverflow, &overflowed, 0, nullptr);
    if (reporter) WaitForSingleObject(reporter, INFINITE);
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_CONTINUE_SEARCH;
}

LRESULT CALLBACK RelayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_WRITE_RECOVERY) return DefWindowProcA(window, message, wParam, lParam);
    RunRecoveryWriter();
    return 1;
}

// A message-only window of the window thread, through which another thread has the game saved.
HWND CreateRelayWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RelayWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = RelayClassName;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, RelayClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace

void InstallCrashGuard() {
    if (WindowThreadId) return;
    WindowThreadId = GetCurrentThreadId();
    RelayWindow = CreateRelayWindow();
    ULONG reserve = StackOverflowReserve;
    SetThreadStackGuarantee(&reserve);
    AddVectoredExceptionHandler(1, StackOverflowHandler);
    SetUnhandledExceptionFilter(CrashFilter);
}

void SetCrashRecoveryWriter(std::function<void()> writer) { RecoveryWriter = std::move(writer); }

std::string ExceptionCodeName(uint32_t code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "EXCEPTION_ACCESS_VIOLATION";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "EXCEPTION_ARRAY_BOUNDS_EXCEEDED";
    case EXCEPTION_DATATYPE_MISALIGNMENT: return "EXCEPTION_DATATYPE_MISALIGNMENT";
    case EXCEPTION_FLT_DENORMAL_OPERAND: return "EXCEPTION_FLT_DENORMAL_OPERAND";
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "EXCEPTION_FLT_DIVIDE_BY_ZERO";
    case EXCEPTION_FLT_INEXACT_RESULT: return "EXCEPTION_FLT_INEXACT_RESULT";
    case EXCEPTION_FLT_INVALID_OPERATION: return "EXCEPTION_FLT_INVALID_OPERATION";
    case EXCEPTION_FLT_OVERFLOW: return "EXCEPTION_FLT_OVERFLOW";
    case EXCEPTION_FLT_STACK_CHECK: return "EXCEPTION_FLT_STACK_CHECK";
    case EXCEPTION_FLT_UNDERFLOW: return "EXCEPTION_FLT_UNDERFLOW";
    case EXCEPTION_GUARD_PAGE: return "EXCEPTION_GUARD_PAGE";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "EXCEPTION_ILLEGAL_INSTRUCTION";
    case EXCEPTION_IN_PAGE_ERROR: return "EXCEPTION_IN_PAGE_ERROR";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "EXCEPTION_INT_DIVIDE_BY_ZERO";
    case EXCEPTION_INT_OVERFLOW: return "EXCEPTION_INT_OVERFLOW";
    case EXCEPTION_INVALID_DISPOSITION: return "EXCEPTION_INVALID_DISPOSITION";
    case EXCEPTION_NONCONTINUABLE_EXCEPTION: return "EXCEPTION_NONCONTINUABLE_EXCEPTION";
    case EXCEPTION_PRIV_INSTRUCTION: return "EXCEPTION_PRIV_INSTRUCTION";
    case EXCEPTION_STACK_OVERFLOW: return "EXCEPTION_STACK_OVERFLOW";
    case EXCEPTION_INVALID_HANDLE: return "EXCEPTION_INVALID_HANDLE";
    default: return "unknown exception";
    }
}

std::string CodeAddressText(const void* address) {
    const std::string text = HexText(reinterpret_cast<uintptr_t>(address), 16);
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<const char*>(address), &module))
        return text + " (no module)";
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    const std::string name = length > 0 && length < MAX_PATH ? NameOfPath(path) : std::string("a module");
    const uintptr_t offset = reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(module);
    return text + " (" + name + " + " + HexText(offset, 1) + ")";
}

std::string OperationsInProgressText() {
    std::string text;
    for (const TFunOperation* operation = TFunOperation::Innermost(); operation; operation = operation->Outer())
        text += (text.empty() ? "" : " < ") + std::string(operation->Function());
    return text.empty() ? "none" : text;
}

std::string CrashDumpPath() { return GetDataDirectory() + DumpFileName; }
