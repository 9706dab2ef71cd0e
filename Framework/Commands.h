// Menus as data: one table of entries gives the menu captions, the shortcut text beside them,
// the accelerator table and the handler of each command.
#pragma once

#include "Include/Owned.h"

#include <functional>
#include <string>
#include <vector>

struct TShortcut {
    WORD Key = 0;         // virtual key; 0 for none
    BYTE Modifiers = 0;   // FCONTROL, FALT, FSHIFT
};

// "F5", "Ctrl+F5", "Alt+R", "Space", "L"
std::string ShortcutText(const TShortcut& shortcut);

struct TMenuEntry {
    enum TKind { Command, Popup, Separator } Kind = Command;
    int Id = 0;
    std::string Caption;
    TShortcut Shortcut;
    std::function<void()> Handler;
    std::string Hint;
    std::vector<TMenuEntry> Children;  // for a popup
};

TMenuEntry MenuCommand(int id, const std::string& caption, std::function<void()> handler, TShortcut shortcut = {},
                       const std::string& hint = std::string());
TMenuEntry MenuPopup(const std::string& caption, std::vector<TMenuEntry> children);
TMenuEntry MenuSeparator();

class TCommandTable {
public:
    // Builds the menu bar and the accelerators from the entries.
    explicit TCommandTable(std::vector<TMenuEntry> bar);
    HMENU Menu() const { return menu_; }
    HACCEL Accelerators() const { return accelerators_.get(); }
    // Runs the handler of the command; false when the id is not one of ours.
    bool Execute(int id) const;
    // The entry of the command, or null.
    const TMenuEntry* Find(int id) const;

private:
    HMENU BuildMenu(const std::vector<TMenuEntry>& entries, bool bar);
    void CollectAccelerators(const std::vector<TMenuEntry>& entries, std::vector<ACCEL>& accelerators);
    std::vector<TMenuEntry> bar_;
    HMENU menu_ = nullptr;  // owned by the window it is given to
    TOwnedAccelerators accelerators_;
};
