// The entry point: one copy at a time, the game or the installer, then the message loop.
#include "Framework/Application.h"
#include "Include/AboutDialog.h"
#include "Include/Core/FunOperation.h"
#include "Include/CrashGuard.h"
#include "Include/Error.h"
#include "Include/ErrorDialog.h"
#include "Include/Install.h"
#include "Include/Myrandom.h"
#include "Include/PictureDecoderClient.h"
#include "Include/PictureDecoderServer.h"
#include "Include/Program.h"
#include "Include/ReportServices.h"
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneProgram.h"

#include <windows.h>

#include <memory>

// A copy of the program built for the end-to-end tests can make its decoder process crash, hang
// or grow on marked files; the shipped program has no such hook.
#ifdef TILVANE_DECODER_TEST_FAULTS
bool FaultOnMarkedFile(const TDecoderRequest& request, TDecoderReply& reply);
#endif

namespace {

#ifdef TILVANE_DECODER_TEST_FAULTS
const TDecoderTestHook DecoderTestHook = FaultOnMarkedFile;
#else
const TDecoderTestHook DecoderTestHook = nullptr;
#endif

const char* const Module = "Tilvane\\Tilvane";

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // What the modules need before anything else runs.
    InstallReportServices();
    if (IsPictureDecoderRun()) return RunPictureDecoder(DecoderTestHook);
    InstallCrashGuard();
    SeedRandom();

    TFunOperation op(Module, "WinMain", __LINE__);
    // The windows live until WinMain returns, so that a failure that reached it is still shown
    // in the error dialog.
    std::unique_ptr<TForm> mainForm;
    std::unique_ptr<TErrorForm> errorForm;
    std::unique_ptr<TAboutForm> aboutForm;
    bool anotherCopyRuns = false;
    op.Guard(__LINE__, [&] {
        // The installer that started a copy with administrator rights holds the guard while it
        // waits for that copy.
        anotherCopyRuns = !IsElevatedInstallerRun() && IsProgramInstanceRunning(ProgramName);
        if (anotherCopyRuns) return;
        DecideDataDirectory(ProgramName);
        Application.Initialize();
        Application.SetTitle(ProgramName);
        // The first window made becomes the application's main window: the installer window or
        // the game window, then in both modes the error dialog and the About dialog.
        TInstallForm* installForm = nullptr;
        TTilvaneForm* gameForm = nullptr;
        if (IsInstallerRun())
            mainForm.reset(installForm = new TInstallForm());
        else
            mainForm.reset(gameForm = new TTilvaneForm());
        errorForm = std::make_unique<TErrorForm>();
        aboutForm = std::make_unique<TAboutForm>();
        if (installForm) installForm->BeforeRun(ProgramName, ProgramName, VersionText);
        if (gameForm) gameForm->BeforeRun();
        ShowWindow(mainForm->Handle(), SW_SHOWNORMAL);
        UpdateWindow(mainForm->Handle());
        // Off the start-up path: the first picture then finds the decoder warm.
        if (gameForm) StartPictureDecoderInBackground();
        if (gameForm) gameForm->OfferRecoveredGame();
        if (gameForm) gameForm->OpenStartingFiles();
        Application.Run();
        if (gameForm) EndPictureDecoder();
    });
    if (anotherCopyRuns) {
        op.EndPassing();
        return 0;
    }
    op.EndShowing(__LINE__, "");
    CloseProgramInstance();
    return InstallerExitCode();
}
