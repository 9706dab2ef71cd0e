// Files dropped on a window from the shell: the window asks for them once, and each drop arrives
// as WM_DROPFILES with the names in a block copied from what the drag source gave, which may be
// any program: a block that is not whole gives no names.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

void AcceptDroppedFiles(HWND window);

// The names of a WM_DROPFILES drop, in the order given, as UTF-8 like every text inside, or none
// from a malformed block; the drop's block is released either way, so this is called once per drop.
std::vector<std::string> TakeDroppedFiles(HDROP drop);
