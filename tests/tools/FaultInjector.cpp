// Raises a real hardware fault inside another running program, from outside it, so that tests can
// watch how that program ends:
//   FaultInjector <window handle in hex> <fault> <thread>
// fault:  access-violation (code runs at address 0x10), divide-by-zero (code that divides by
//         zero), stack-overflow (code that calls itself without end);
// thread: new    - a thread started in the program for it (CreateRemoteThread);
//         window - the thread of the given window, stopped, sent to the code and woken again.
// Exit code 0 when the fault was set off, 2 for wrong arguments, 3 when the program refused.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const uintptr_t InvalidAddress = 0x10;
const unsigned char DivideByZero[] = {0x31, 0xC9, 0xF7, 0xF1, 0xC3};  // xor ecx, ecx; div ecx; ret
const unsigned char CallItself[] = {0xE8, 0xFB, 0xFF, 0xFF, 0xFF};    // call (this instruction)

// The fault's code copied into the program; the invalid address needs none.
uintptr_t PlaceFaultCode(HANDLE process, const char* fault) {
    if (std::strcmp(fault, "access-violation") == 0) return InvalidAddress;
    const bool divide = std::strcmp(fault, "divide-by-zero") == 0;
    if (!divide && std::strcmp(fault, "stack-overflow") != 0) return 0;
    void* code = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    const unsigned char* bytes = divide ? DivideByZero : CallItself;
    const SIZE_T size = divide ? sizeof DivideByZero : sizeof CallItself;
    if (!code || !WriteProcessMemory(process, code, bytes, size, nullptr)) return 0;
    FlushInstructionCache(process, code, size);
    return reinterpret_cast<uintptr_t>(code);
}

bool RunOnNewThread(HANDLE process, uintptr_t start) {
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(start), nullptr,
                                       0, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

// The thread waits for messages; the posted one wakes it, and it goes on at the new address.
bool RunOnWindowThread(HWND window, DWORD threadId, uintptr_t start) {
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, threadId);
    if (!thread) return false;
    bool moved = false;
    if (SuspendThread(thread) != static_cast<DWORD>(-1)) {
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_CONTROL;
        if (GetThreadContext(thread, &context)) {
            context.Rip = start;
            moved = SetThreadContext(thread, &context) != FALSE;
        }
        ResumeThread(thread);
    }
    CloseHandle(thread);
    return moved && PostMessageA(window, WM_NULL, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(argv[1], nullptr, 16)));
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    const bool onWindowThread = std::strcmp(argv[3], "window") == 0;
    if (!threadId || (!onWindowThread && std::strcmp(argv[3], "new") != 0)) return 2;
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, processId);
    if (!process) return 3;
    const uintptr_t start = PlaceFaultCode(process, argv[2]);
    const bool started = start && (onWindowThread ? RunOnWindowThread(window, threadId, start)
                                                  : RunOnNewThread(process, start));
    CloseHandle(process);
    return started ? 0 : 3;
}
