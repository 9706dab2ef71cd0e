// Administrator rights on request: a program started again through the shell's "runas" verb, so
// that Windows asks the user for rights, and the wait for its end.
#pragma once

#include <windows.h>

#include <string>

enum class TElevatedOutcome {
    Ended,       // the program ran and ended; its exit code tells how
    Declined,    // the user declined the request for rights: nothing ran
    NotStarted,  // the shell could not start it
};

struct TElevatedRun {
    TElevatedOutcome Outcome = TElevatedOutcome::NotStarted;
    DWORD ExitCode = 0;   // when Ended
    DWORD ErrorCode = 0;  // the system error when NotStarted
};

// Starts the program with the parameters through "runas" and waits for its end. The owner
// window takes no input meanwhile but keeps being painted; the prompt for rights is its child.
TElevatedRun RunElevatedAndWait(const std::string& program, const std::string& parameters, HWND owner);
