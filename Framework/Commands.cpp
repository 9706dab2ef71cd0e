#include "Framework/Commands.h"

std::string ShortcutText(const TShortcut& shortcut) {
    if (!shortcut.Key) return std::string();
    std::string text;
    if (shortcut.Modifiers & FCONTROL) text += "Ctrl+";
    if (shortcut.Modifiers & FSHIFT) text += "Shift+";
    if (shortcut.Modifiers & FALT) text += "Alt+";
    if (shortcut.Key >= VK_F1 && shortcut.Key <= VK_F24)
        text += "F" + std::to_string(shortcut.Key - VK_F1 + 1);
    else if (shortcut.Key == VK_SPACE)
        text += "Space";
    else if (shortcut.Key == VK_BACK)
        text += "Backspace";
    else if ((shortcut.Key >= 'A' && shortcut.Key <= 'Z') || (shortcut.Key >= '0' && shortcut.Key <= '9'))
        text += static_cast<char>(shortcut.Key);
    else
        text += "#" + std::to_string(shortcut.Key);
    return text;
}

TMenuEntry MenuCommand(int id, const std::string& caption, std::function<void()> handler, TShortcut shortcut,
                       const std::string& hint) {
    TMenuEntry entry;
    entry.Kind = TMenuEntry::Command;
    entry.Id = id;
    entry.Caption = caption;
    entry.Handler = std::move(handler);
    entry.Shortcut = shortcut;
    entry.Hint = hint;
    return entry;
}

TMenuEntry MenuPopup(const std::string& caption, std::vector<TMenuEntry> children) {
    TMenuEntry entry;
    entry.Kind = TMenuEntry::Popup;
    entry.Caption = caption;
    entry.Children = std::move(children);
    return entry;
}

TMenuEntry MenuSeparator() {
    TMenuEntry entry;
    entry.Kind = TMenuEntry::Separator;
    return entry;
}

TCommandTable::TCommandTable(std::vector<TMenuEntry> bar) : bar_(std::move(bar)) {
    menu_ = BuildMenu(bar_, true);
    std::vector<ACCEL> accelerators;
    CollectAccelerators(bar_, accelerators);
    if (!accelerators.empty())
        accelerators_.reset(CreateAcceleratorTableA(accelerators.data(), static_cast<int>(accelerators.size())));
}

HMENU TCommandTable::BuildMenu(const std::vector<TMenuEntry>& entries, bool bar) {
    HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
    for (const TMenuEntry& entry : entries) {
        switch (entry.Kind) {
        case TMenuEntry::Separator:
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            break;
        case TMenuEntry::Popup:
            AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(BuildMenu(entry.Children, false)),
                        entry.Caption.c_str());
            break;
        case TMenuEntry::Command: {
            const std::string shortcut = ShortcutText(entry.Shortcut);
            const std::string caption = shortcut.empty() || bar ? entry.Caption : entry.Caption + "\t" + shortcut;
            AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(entry.Id), caption.c_str());
            break;
        }
        }
    }
    return menu;
}

void TCommandTable::CollectAccelerators(const std::vector<TMenuEntry>& entries, std::vector<ACCEL>& accelerators) {
    for (const TMenuEntry& entry : entries) {
        if (entry.Kind == TMenuEntry::Popup) CollectAccelerators(entry.Children, accelerators);
        if (entry.Kind == TMenuEntry::Command && entry.Shortcut.Key) {
            ACCEL accelerator = {};
            accelerator.fVirt = static_cast<BYTE>(FVIRTKEY | entry.Shortcut.Modifiers);
            accelerator.key = entry.Shortcut.Key;
            accelerator.cmd = static_cast<WORD>(entry.Id);
            accelerators.push_back(accelerator);
        }
    }
}

namespace {
const TMenuEntry* FindIn(const std::vector<TMenuEntry>& entries, int id) {
    for (const TMenuEntry& entry : entries) {
        if (entry.Kind == TMenuEntry::Command && entry.Id == id) return &entry;
        if (entry.Kind == TMenuEntry::Popup)
            if (const TMenuEntry* found = FindIn(entry.Children, id)) return found;
    }
    return nullptr;
}
}  // namespace

const TMenuEntry* TCommandTable::Find(int id) const { return FindIn(bar_, id); }

bool TCommandTable::Execute(int id) const {
    const TMenuEntry* entry = Find(id);
    if (!entry) return false;
    if (entry->Handler) entry->Handler();
    return true;
}
