// The game window for the benchmarks, opened as the program opens it at start-up.
#pragma once

#include "Include/Error.h"
#include "Include/Myrandom.h"
#include "Tilvane/TilvaneDialog.h"
#include "tests/support/TilvaneFormAccess.h"

#include <windows.h>

// What the program starts before its window: the report services and the random generator.
inline void StartProgramServices() {
    InstallReportServices();
    SeedRandom();
}

// Shown without taking the focus from whatever the user is doing, and laid out as at start-up.
inline void ShowGameWindow(TTilvaneForm& form) {
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    TTilvaneFormTestAccess(form).ArrangeWindow();
}
