// The error log "Errors.log" in the data folder: entries of the error dialog's text between two
// lines of asterisks, appended on request and, after a crash, by the crash report.
#pragma once

#include <string>

std::string ErrorLogPath();
// The text the error dialog shows for a report: "DESCRIPTION", the failure message ("Failed to
// perform." when it is empty) and the report.
std::string ErrorDialogText(const std::string& failureMessage, const std::string& report);
// Appends one entry with the dialog's text; a log above 10000 bytes is emptied first. False when
// it could not be written; nothing is shown either way.
bool AppendErrorLogEntry(const std::string& dialogText);
