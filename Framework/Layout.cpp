#include "Framework/Layout.h"

#include <stdexcept>

namespace {
const int LabelHeight = 16;
const int CheckBoxHeight = 17;
const int ButtonHeight = 25;
}  // namespace

TWindow& TLayout::ParentOf(TForm& form, int parentId) const {
    if (parentId == 0) return form;
    auto found = controls_.find(parentId);
    if (found == controls_.end()) throw std::logic_error("layout: parent listed after its child");
    return *found->second;
}

void TLayout::BuildRow(TForm& form, const TLayoutRow& row) {
    TWindow& parent = ParentOf(form, row.ParentId);
    const std::string caption = row.Caption ? row.Caption : "";
    int width = row.Width;
    if (width == 0) width = parent.ClientWidth() - row.Left - 4;
    TControl* control = nullptr;
    switch (row.Kind) {
    case TLayoutKind::Panel:
        control = form.Add<TPanel>(parent, row.Left, row.Top, width, row.Height, row.Id);
        break;
    case TLayoutKind::GroupBox:
        control = form.Add<TGroupBox>(parent, caption, row.Left, row.Top, width, row.Height, row.Id);
        break;
    case TLayoutKind::Label:
        control = form.Add<TLabel>(parent, caption, row.Left, row.Top, width, row.Height ? row.Height : LabelHeight,
                                   row.Id);
        break;
    case TLayoutKind::ComboBox:
        control = form.Add<TComboBox>(parent, row.Left, row.Top, width, row.Height, row.Id);
        break;
    case TLayoutKind::CheckBox:
        control = form.Add<TCheckBox>(parent, caption, row.Left, row.Top, width,
                                      row.Height ? row.Height : CheckBoxHeight, row.Id);
        break;
    case TLayoutKind::Button:
    case TLayoutKind::DefaultButton:
        control = form.Add<TButton>(parent, caption, row.Left, row.Top, width, row.Height ? row.Height : ButtonHeight,
                                    row.Id, row.Kind == TLayoutKind::DefaultButton);
        break;
    case TLayoutKind::Memo:
        control = form.Add<TMemo>(parent, row.Left, row.Top, width, row.Height, row.Id);
        break;
    }
    control->SetTabOrder(row.TabOrder);
    controls_[row.Id] = control;
}
