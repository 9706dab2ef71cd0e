// The wait cursor for as long as the program is busy in a scope: the pointer shape before it comes
// back when the scope ends, whichever way it ends.
#pragma once

#include <windows.h>

class TWaitCursor {
public:
    TWaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    // A thread that never set a shape gets the arrow back, not an invisible pointer.
    ~TWaitCursor() { SetCursor(previous_ ? previous_ : LoadCursorA(nullptr, IDC_ARROW)); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    HCURSOR previous_;
};
