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
// Room that stays on a thread's stack for the stack-overflow handler itself.
const ULONG StackOverflowReserve = 32 * 1024;
// How long a crashed process waits for its report and the game before it ends all the same: the
// reporter may be stuck on a lock that the faulting thread holds (the process heap, the loader
// lock). The minidump then has a limit of its own: Wine's dbghelp takes ten seconds and more for it
// on a busy machine.
const DWORD ReportLimitMs = 15000;
const DWORD DumpLimitMs = 60000;

DWORD WindowThreadId = 0;
HWND RelayWindow = nullptr;
std::function<void()> RecoveryWriter;

// Whether the window thread waits as TWindowThreadWaits declares, and whether the reporter has
// taken the game over from it: a window thread that ends its wait after that stops there, since
// the game is being read on the reporter and the process ends with the report.
enum : LONG { WindowThreadBusy = 0, WindowThreadWaiting = 1, GameWrittenByReporter = 2 };
volatile LONG WindowThreadState = WindowThreadBusy;
int WindowThreadWaitDepth = 0;  // the window thread's own

// The reporter is made at start and sleeps until a crash wakes it: a thread made after the crash
// could wait for ever for the loader lock, and the faulting thread's own stack may be nearly
// used up. Faulting threads only hand their fault over and wait, with a limit.
HANDLE Reporter = nullptr;
DWORD ReporterThreadId = 0;
HANDLE CrashSignal = nullptr;
HANDLE GameKept = nullptr;  // set once the report and the game are written
volatile LONG CrashClaimed = 0;
EXCEPTION_POINTERS* CrashPointers = nullptr;
DWORD CrashThreadId = 0;

using TMiniDumpWriteDump = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                         PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);
TMiniDumpWriteDump WriteDump = nullptr;

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

// A window thread that stands at the fault, or waits without taking messages, cannot run the
// writer: it runs here, on the reporter, while that thread stands still. Otherwise the window
// thread finishes what it does and runs the writer itself.
void WriteRecovery(DWORD faultingThread) {
    if (!RecoveryWriter) return;
    if (faultingThread == WindowThreadId ||
        InterlockedCompareExchange(&WindowThreadState, GameWrittenByReporter, WindowThreadWaiting) ==
            WindowThreadWaiting) {
        RunRecoveryWriter();
        return;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(RelayWindow, WM_WRITE_RECOVERY, 0, 0, SMTO_NORMAL, RecoveryTimeoutMs, &result);
}

// Loaded at start, by full path, so that a crash needs no loader lock, and a missing or planted
// dbghelp never stops the rest.
TMiniDumpWriteDump LoadMinidumpWriter() {
    char system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    HMODULE dbghelp = LoadLibraryA((std::string(system) + "\\dbghelp.dll").c_str());
    if (!dbghelp) return nullptr;
    return reinterpret_cast<TMiniDumpWriteDump>(reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
}

bool WriteMinidump(EXCEPTION_POINTERS* pointers, DWORD faultingThread) {
    if (!WriteDump) return false;
    const std::string path = CrashDumpPath();
    TFileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    MINIDUMP_EXCEPTION_INFORMATION exception = {faultingThread, pointers, FALSE};
    const bool written = WriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpNormal, &exception,
                                   nullptr, nullptr) != FALSE;
    file.Close();
    if (!written) DeleteFileA(path.c_str());
    return written;
}

void ReportCrash(EXCEPTION_POINTERS* pointers, DWORD faultingThread) {
    try {
        const TFunStatContext record = CrashRecord(*pointers->ExceptionRecord, faultingThread);
        AppendErrorLogEntry(ErrorDialogText(CrashFailure, record.ReportText()));
    } catch (...) {
        // Out of memory: the recovery and the dump need none of the report.
    }
    WriteRecovery(faultingThread);
    SetEvent(GameKept);
    WriteMinidump(pointers, faultingThread);
}

[[noreturn]] void EndNow() {
    TerminateProcess(GetCurrentProcess(), 1);
    ExitProcess(1);
}

DWORD WINAPI RunReporter(void*) {
    ULONG reserve = StackOverflowReserve;
    SetThreadStackGuarantee(&reserve);
    WaitForSingleObject(CrashSignal, INFINITE);
    ReportCrash(CrashPointers, CrashThreadId);
    EndNow();
}

// Every faulting thread ends here. The first one's fault is reported; a fault of the reporter
// itself ends the process at once, since nothing more of the report can be trusted to finish.
[[noreturn]] void EndWithReport(EXCEPTION_POINTERS* pointers) {
    const DWORD self = GetCurrentThreadId();
    if (!Reporter || self == ReporterThreadId) EndNow();
    if (InterlockedCompareExchange(&CrashClaimed, 1, 0) == 0) {
        CrashPointers = pointers;
        CrashThreadId = self;
        SetEvent(CrashSignal);
    }
    if (WaitForSingleObject(GameKept, ReportLimitMs) == WAIT_OBJECT_0) WaitForSingleObject(Reporter, DumpLimitMs);
    EndNow();
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) { EndWithReport(pointers); }

// An overflowed stack may have no room left for the search of the ordinary handlers: handled
// first, on the stack's reserve.
LONG CALLBACK StackOverflowHandler(EXCEPTION_POINTERS* pointers) {
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
    EndWithReport(pointers);
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
    WriteDump = LoadMinidumpWriter();
    CrashSignal = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    GameKept = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (CrashSignal && GameKept) Reporter = CreateThread(nullptr, 0, RunReporter, nullptr, 0, &ReporterThreadId);
    ULONG reserve = StackOverflowReserve;
    SetThreadStackGuarantee(&reserve);
    AddVectoredExceptionHandler(1, StackOverflowHandler);
    SetUnhandledExceptionFilter(CrashFilter);
}

void SetCrashRecoveryWriter(std::function<void()> writer) { RecoveryWriter = std::move(writer); }

TWindowThreadWaits::TWindowThreadWaits() {
    if (!WindowThreadId || GetCurrentThreadId() != WindowThreadId) return;
    declared_ = true;
    if (WindowThreadWaitDepth++ == 0) InterlockedExchange(&WindowThreadState, WindowThreadWaiting);
}

TWindowThreadWaits::~TWindowThreadWaits() {
    if (!declared_ || --WindowThreadWaitDepth > 0) return;
    if (InterlockedCompareExchange(&WindowThreadState, WindowThreadBusy, WindowThreadWaiting) != WindowThreadWaiting)
        Sleep(INFINITE);  // the reporter reads the game; the process ends with its report
}

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
