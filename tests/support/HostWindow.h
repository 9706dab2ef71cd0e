// A main window for tests that make windows of their own: the framework takes the first form made
// as the program's main window, whose closing ends the program, so a test's form must never be it.
#pragma once

#include "Framework/Application.h"
#include "Framework/Form.h"

#include <windows.h>

inline void EnsureMainWindow() {
    if (Application.MainWindow()) return;
    static TForm* host = new TForm;  // lives as long as the process
    host->CreateForm("Test host", WS_OVERLAPPEDWINDOW, 0, 200, 100, "Arial", 9);
}
