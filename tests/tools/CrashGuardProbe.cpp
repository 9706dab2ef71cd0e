// Faults with the crash guard installed and a recovery writer that goes wrong in its turn, so that
// tests can watch how the process ends:
//   CrashGuardProbe faulting    - the writer makes an access violation;
//   CrashGuardProbe overflowing - the writer overflows its stack;
//   CrashGuardProbe stuck       - the writer never returns, and another thread faults meanwhile;
//   CrashGuardProbe waiting     - another thread faults while the thread that installed the guard
//                                 waits without taking messages, declared as waiting; the writer
//                                 writes "Recovered game.tvg" in the data folder.
// Otherwise the first fault is an access violation of the thread that installed the guard. Exit
// code 2 for a wrong argument; 0 would mean that the process went on after its fault.
#include "Include/CrashGuard.h"
#include "Include/Error.h"
#include "Include/FileReplace.h"
#include "Include/Program.h"
#include "Include/ReportServices.h"

#include <windows.h>

#include <cstring>

namespace {

HANDLE WriterStarted = nullptr;
volatile bool Deeper = true;
int* volatile InvalidAddress = reinterpret_cast<int*>(0x10);

void Fault() { *InvalidAddress = 0; }

int Overflow(int depth) {
    volatile char room[4096];
    room[0] = static_cast<char>(depth);
    return Deeper ? Overflow(depth + 1) + room[0] : 0;
}

DWORD WINAPI FaultNow(void*) {
    Fault();
    return 0;
}

DWORD WINAPI FaultOnceTheWriterRuns(void*) {
    WaitForSingleObject(WriterStarted, INFINITE);
    Fault();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    InstallReportServices();
    InstallCrashGuard();
    if (std::strcmp(argv[1], "faulting") == 0) {
        SetCrashRecoveryWriter([] { Fault(); });
    } else if (std::strcmp(argv[1], "overflowing") == 0) {
        SetCrashRecoveryWriter([] { Overflow(0); });
    } else if (std::strcmp(argv[1], "waiting") == 0) {
        SetCrashRecoveryWriter([] { WriteFileReplacing(GetDataDirectory() + "Recovered game.tvg", "the game"); });
        const TWindowThreadWaits waiting;
        HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        CloseHandle(CreateThread(nullptr, 0, FaultNow, nullptr, 0, nullptr));
        WaitForSingleObject(never, INFINITE);
        return 0;
    } else if (std::strcmp(argv[1], "stuck") == 0) {
        WriterStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        CloseHandle(CreateThread(nullptr, 0, FaultOnceTheWriterRuns, nullptr, 0, nullptr));
        SetCrashRecoveryWriter([] {
            SetEvent(WriterStarted);
            Sleep(INFINITE);
        });
    } else {
        return 2;
    }
    Fault();
    return 0;
}
