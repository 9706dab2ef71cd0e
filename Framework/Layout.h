// A window's layout as a table of rows, like a form description: kind, number, parent,
// position, caption and tab order of every control. The framework builds the controls from it.
#pragma once

#include "Framework/Form.h"

#include <map>

enum class TLayoutKind { Panel, GroupBox, Label, ComboBox, CheckBox, Button, DefaultButton, Memo };

struct TLayoutRow {
    TLayoutKind Kind;
    int Id;
    int ParentId;        // 0: the form itself
    int Left, Top;
    int Width, Height;   // a label of width 0 reaches to its parent's right edge; a list's height counts lines
    const char* Caption;
    int TabOrder;        // -1: no tab stop of its own
};

class TLayout {
public:
    template <size_t Count>
    void Build(TForm& form, const TLayoutRow (&rows)[Count]) {
        for (const TLayoutRow& row : rows) BuildRow(form, row);
        form.ApplyTabOrder();
    }
    // The control made from the row with this number.
    template <class TKind>
    TKind* Get(int id) const {
        auto found = controls_.find(id);
        return found == controls_.end() ? nullptr : dynamic_cast<TKind*>(found->second);
    }

private:
    void BuildRow(TForm& form, const TLayoutRow& row);
    TWindow& ParentOf(TForm& form, int parentId) const;
    std::map<int, TControl*> controls_;
};
