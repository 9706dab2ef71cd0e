#include "Include/Elevation.h"

#include "Include/Owned.h"

#include <shellapi.h>

namespace {

// Messages of every window of the thread go on while the program runs, so that nothing of ours
// looks hung; the owner is disabled, so no command of its own can start meanwhile.
DWORD WaitPumpingMessages(HANDLE process) {
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Ours to handle after the wait: the loop that called us ends on it.
                PostQuitMessage(static_cast<int>(message.wParam));
                WaitForSingleObject(process, INFINITE);
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    return exitCode;
}

}  // namespace

TElevatedRun RunElevatedAndWait(const std::string& program, const std::string& parameters, HWND owner) {
    TElevatedRun run;
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.hwnd = owner;
    execute.lpVerb = "runas";
    execute.lpFile = program.c_str();
    execute.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    execute.nShow = SW_SHOWNORMAL;
    SetLastError(0);
    if (!ShellExecuteExA(&execute)) {
        run.ErrorCode = GetLastError();
        run.Outcome = run.ErrorCode == ERROR_CANCELLED ? TElevatedOutcome::Declined : TElevatedOutcome::NotStarted;
        return run;
    }
    if (!execute.hProcess) {
        // Started, but the shell handed back nothing to wait for: the outcome is unknown.
        run.ErrorCode = ERROR_INVALID_HANDLE;
        return run;
    }
    const TOwnedHandle process(execute.hProcess);
    const bool wasEnabled = owner && IsWindowEnabled(owner);
    if (wasEnabled) EnableWindow(owner, FALSE);
    run.ExitCode = WaitPumpingMessages(process.get());
    if (wasEnabled) EnableWindow(owner, TRUE);
    run.Outcome = TElevatedOutcome::Ended;
    return run;
}
