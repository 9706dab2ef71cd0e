// A window's layout as a table of rows, like a form description: kind, number, parent,
// position, caption and tab order of every control. The framework builds the controls from it.
// Positions and sizes are in units of a 96-DPI screen; the controls get them in the form's pixels.
#pragma once

#include "Framework/Form.h"

#include <map>

enum class TLayoutKind {
    Panel,
    CaptionPanel,   // a panel with a centred caption in a font of its own
    GroupBox,
    Label,          // wraps its words
    CentredLabel,
    FittedLabel,    // a width of 0 stays 0: the window fits it to its text with FitToText
    ComboBox,
    CheckBox,
    Button,
    DefaultButton,
    Memo,           // read-only, several lines
    ReadOnlyEdit,   // read-only, one line
    ListView,       // rows in columns with headings
};

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
    // A row must come after its parent's row. One that does not is a fault of the table: it is
    // skipped, with its children, debug builds stop at an assertion, and Build returns false.
    // The table must live as long as the layout (a constant beside the window).
    template <size_t Count>
    bool Build(TForm& form, const TLayoutRow (&rows)[Count]) {
        rows_ = rows;
        rowCount_ = Count;
        bool complete = true;
        for (const TLayoutRow& row : rows) complete = BuildRow(form, row) && complete;
        form.ApplyTabOrder();
        return complete;
    }
    // Places every control of the table again, at the form's present DPI; a fitted label takes
    // the size of its text in its present font.
    void Arrange(TForm& form);
    // The control made from the row with this number.
    template <class TKind>
    TKind* Get(int id) const {
        auto found = controls_.find(id);
        return found == controls_.end() ? nullptr : dynamic_cast<TKind*>(found->second);
    }
    // The same, with its click handler attached: a button or check box and what it does, in one place.
    template <class TKind>
    TKind* Get(int id, TNotifyEvent onClick) const {
        TKind* control = Get<TKind>(id);
        if (control) control->OnClick = std::move(onClick);
        return control;
    }

private:
    bool BuildRow(TForm& form, const TLayoutRow& row);
    TWindow* ParentOf(TForm& form, int parentId) const;
    static TControl* MakeControl(TForm& form, TWindow& parent, const TLayoutRow& row);
    std::map<int, TControl*> controls_;
    const TLayoutRow* rows_ = nullptr;
    size_t rowCount_ = 0;
};
