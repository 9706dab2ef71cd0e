// The game window's commands and keys as data: the menu and its accelerators are built from
// this table, and the help page's tables of keys are checked against the same lists.
#pragma once

#include "Framework/Commands.h"

#include <vector>

// A command of the menu: its caption ("&" marks the letter for Alt), its shortcut and hint.
struct TGameCommand {
    int Id;
    const char* Caption;
    TShortcut Shortcut;
    const char* Hint;
};

// Every command of the game window's menu, in menu order.
const std::vector<TGameCommand>& GameCommands();
// The command with this id; the table holds every id the menu uses.
const TGameCommand& GameCommand(int id);

// A key or pointer action the game window takes besides its menu shortcuts, written as the help
// page writes it ("Alt+F", "Ctrl+left click"), with the help section that explains it.
struct TGameKey {
    const char* Keys;
    const char* HelpSection;
};

// Keys of the check boxes, of pointer play and of the dialogs the window opens.
const std::vector<TGameKey>& GameKeys();
