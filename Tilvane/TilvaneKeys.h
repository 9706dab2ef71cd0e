// The keys that play the puzzle while it has the keyboard focus, as one table: the window acts
// on it and the help lists it, so the two cannot drift apart.
#pragma once

#include "Include/Input.h"

#include <cstdint>

enum class TPuzzleAction {
    Left,
    Right,
    Up,
    Down,
    RowStart,
    RowEnd,
    FirstCell,
    LastCell,
    PickUpOrDrop,
    PutBack,
    MirrorLeftRight,
    MirrorTopBottom,
    Mark,
};

struct TPuzzleKey {
    uint16_t Key;           // virtual-key code
    TShiftState Modifiers;  // exactly these, no more
    TPuzzleAction Action;
    const char* Name;       // as the help names it
};

extern const TPuzzleKey PuzzleKeys[];
extern const int PuzzleKeyCount;
// Held rather than pressed: the piece hint of the selected cell.
extern const char* const PieceHintKeys;

// The action of a key with these modifiers, or false when the key plays no part.
bool FindPuzzleAction(uint16_t key, TShiftState modifiers, TPuzzleAction& action);
