// Where a dialog appears on the screen.
#pragma once

#include <windows.h>

// Places the dialog over the centre of the window; over the work area when that window is
// missing, hidden or minimised. The dialog's caption stays on the screen.
void CenterDialogOver(HWND dialog, HWND window);
