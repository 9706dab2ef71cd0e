// The last resort for faults nothing else catches: an access violation, a stack overflow, an
// integer division by zero or any other exception that reaches the system, on any thread. The
// report goes to "Errors.log", a minidump beside it, the game in progress to its recovery file,
// and the process ends with exit code 1: at once after a fault of the handling itself, and after
// about 15 seconds when the report and the game are not written by then (a minute more for the
// minidump). No dialog: an unattended machine must not wait for anyone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Installs the handlers. Called on the thread that runs the windows, before any of them exists.
void InstallCrashGuard();
// What saves the game in progress after a crash. It runs on the window thread when that thread
// can still take messages; otherwise (the fault was its own, or it waits as TWindowThreadWaits
// declares) on the guard's reporter thread while the window thread stands still. It must read only
// plain data, no window. An empty writer removes it.
void SetCrashRecoveryWriter(std::function<void()> writer);

// Declares, for as long as it lives, that the window thread waits (for a picture to be decoded,
// say) and touches no game data: a fault of another thread meanwhile has the game written at once
// on the guard's reporter thread, instead of asking the window thread, which takes no message
// until its wait ends. Made on the window thread; may be nested; elsewhere it declares nothing.
class TWindowThreadWaits {
public:
    TWindowThreadWaits();
    ~TWindowThreadWaits();
    TWindowThreadWaits(const TWindowThreadWaits&) = delete;
    TWindowThreadWaits& operator=(const TWindowThreadWaits&) = delete;

private:
    bool declared_ = false;
};

// "EXCEPTION_ACCESS_VIOLATION" and the like; "unknown exception" for a code without a name.
std::string ExceptionCodeName(uint32_t code);
// "0x00007FF6A1B21234 (Tilvane.exe + 0x1234)", or "(no module)" outside every loaded module.
std::string CodeAddressText(const void* address);
// The operations running now, innermost first, joined by " < "; "none" when none runs.
std::string OperationsInProgressText();
// The minidump of the last crash, beside the error log.
std::string CrashDumpPath();
