// The entry point: one copy at a time, the game or the installer, then the message loop.
#include "Framework/Application.h"
#include "Include/Core/FunOperation.h"
#include "Include/Error.h"
#include "Include/Install.h"
#include "Include/Myrandom.h"
#include "Include/Program.h"

#include <windows.h>

namespace {

const char* const Module = "Tilvane\\Tilvane";
const char* const ProgramName = "Tilvane";

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // What the modules need before anything else runs.
    InstallReportServices();
    SeedRandom();

    TFunOperation op(Module, "WinMain", __LINE__);
    bool anotherCopyRuns = false;
    op.Guard(__LINE__, [&] {
        anotherCopyRuns = IsProgramInstanceRunning(ProgramName);
        if (anotherCopyRuns) return;
        Application.Initialize();
        Application.SetTitle(ProgramName);
        const bool installerMode = IsInstallerRun();
        // The game window (or, in installer mode, the installer window), the error dialog and the
        // About dialog are created here, in that order, and the main window is prepared.
        static_cast<void>(installerMode);
        Application.Run();
    });
    if (anotherCopyRuns) {
        op.EndPassing();
        return 0;
    }
    op.EndShowing(__LINE__, "");
    CloseProgramInstance();
    return 0;
}
