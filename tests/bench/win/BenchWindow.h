// The game window for the benchmarks, opened as the program opens it at start-up.
#pragma once

#include "Include/Error.h"
#include "Include/Myrandom.h"
#include "Include/ReportServices.h"
#include "Tilvane/TilvaneDialog.h"
#include "tests/support/TilvaneFormAccess.h"

#include <windows.h>

// What the program starts before its window: the report services and the random generator.
struct TProgramServices {
    TProgramServices() {
        InstallReportServices();
        SeedRandom();
    }
};

// The game window after the services it needs, shown without taking the focus from whatever the
// user is doing, and laid out as at start-up.
struct TBenchGameWindow {
    TProgramServices Services;
    TTilvaneForm Form;
    TTilvaneFormTestAccess Inside{Form};

    TBenchGameWindow() {
        ShowWindow(Form.Handle(), SW_SHOWNOACTIVATE);
        Inside.ArrangeWindow();
    }
};
