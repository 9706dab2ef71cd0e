// The entry point: one copy at a time, the game or the installer, then the message loop.
#include "Framework/Application.h"
#include "Include/AboutDialog.h"
#include "Include/Core/FunOperation.h"
#include "Include/Error.h"
#include "Include/ErrorDialog.h"
#include "Include/Install.h"
#include "Include/Myrandom.h"
#include "Include/Program.h"
#include "Tilvane/TilvaneDialog.h"

#include <windows.h>

#include <memory>

namespace {

const char* const Module = "Tilvane\\Tilvane";
const char* const ProgramName = "Tilvane";

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // What the modules need before anything else runs.
    InstallReportServices();
    SeedRandom();

    TFunOperation op(Module, "WinMain", __LINE__);
    // The windows live until WinMain returns, so that a failure that reached it is still shown
    // in the error dialog.
    std::unique_ptr<TTilvaneForm> gameForm;
    std::unique_ptr<TErrorForm> errorForm;
    std::unique_ptr<TAboutForm> aboutForm;
    bool anotherCopyRuns = false;
    op.Guard(__LINE__, [&] {
        anotherCopyRuns = IsProgramInstanceRunning(ProgramName);
        if (anotherCopyRuns) return;
        Application.Initialize();
        Application.SetTitle(ProgramName);
        const bool installerMode = IsInstallerRun();
        if (installerMode) return;  // the installer window is not part of this build yet
        // The first window made becomes the application's main window.
        gameForm = std::make_unique<TTilvaneForm>();
        errorForm = std::make_unique<TErrorForm>();
        aboutForm = std::make_unique<TAboutForm>();
        gameForm->BeforeRun();
        ShowWindow(gameForm->Handle(), SW_SHOWNORMAL);
        UpdateWindow(gameForm->Handle());
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
