// The system services that error reports use (clock, program path, message texts, message box),
// put in place once, above everything a report may name.
#pragma once

// Puts the Windows implementations into ReportServices; the program does it before anything reports.
void InstallReportServices();
