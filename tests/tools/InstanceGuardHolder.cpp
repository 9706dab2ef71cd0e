// Takes the program's instance guard like a running copy would. Exit code 0: another copy held
// it (the program's own answer); 10: this process held it until the release event (or 60 s).
#include "Include/Program.h"

#include <windows.h>

int main() {
    if (IsProgramInstanceRunning("Tilvane")) return 0;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "TilvaneTest_GuardHeld");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "TilvaneTest_GuardRelease");
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseProgramInstance();
    CloseHandle(ready);
    CloseHandle(release);
    return 10;
}
