#include "Framework/Layout.h"

#include <cassert>

namespace {
const int LabelHeight = 16;
const int CheckBoxHeight = 17;
const int ButtonHeight = 25;

int HeightOr(const TLayoutRow& row, int standard) { return row.Height ? row.Height : standard; }
}  // namespace

TWindow* TLayout::ParentOf(TForm& form, int parentId) const {
    if (parentId == 0) return &form;
    auto found = controls_.find(parentId);
    return found == controls_.end() ? nullptr : found->second;
}

bool TLayout::BuildRow(TForm& form, const TLayoutRow& row) {
    TWindow* parent = ParentOf(form, row.ParentId);
    assert(parent && "layout: a row comes before its parent");
    if (!parent) return false;
    TControl* control = MakeControl(form, *parent, row);
    control->SetTabOrder(row.TabOrder);
    controls_[row.Id] = control;
    return true;
}

TControl* TLayout::MakeControl(TForm& form, TWindow& parent, const TLayoutRow& row) {
    const std::string caption = row.Caption ? row.Caption : "";
    const int left = row.Left, top = row.Top, id = row.Id;
    const int width = row.Width == 0 && row.Kind != TLayoutKind::FittedLabel ? parent.ClientWidth() - left - 4
                                                                             : row.Width;
    switch (row.Kind) {
    case TLayoutKind::Panel:
        return form.Add<TPanel>(parent, left, top, width, row.Height, id);
    case TLayoutKind::CaptionPanel:
        return form.Add<TCaptionPanel>(parent, left, top, width, row.Height, id);
    case TLayoutKind::GroupBox:
        return form.Add<TGroupBox>(parent, caption, left, top, width, row.Height, id);
    case TLayoutKind::Label:
    case TLayoutKind::CentredLabel:
        return form.Add<TLabel>(parent, caption, left, top, width, HeightOr(row, LabelHeight), id,
                                row.Kind == TLayoutKind::CentredLabel);
    case TLayoutKind::FittedLabel:
        return form.Add<TLabel>(parent, caption, left, top, width, row.Height, id);
    case TLayoutKind::ComboBox:
        return form.Add<TComboBox>(parent, left, top, width, row.Height, id);
    case TLayoutKind::CheckBox:
        return form.Add<TCheckBox>(parent, caption, left, top, width, HeightOr(row, CheckBoxHeight), id);
    case TLayoutKind::Button:
    case TLayoutKind::DefaultButton:
        return form.Add<TButton>(parent, caption, left, top, width, HeightOr(row, ButtonHeight), id,
                                 row.Kind == TLayoutKind::DefaultButton);
    case TLayoutKind::Memo:
        return form.Add<TMemo>(parent, left, top, width, row.Height, id);
    case TLayoutKind::ReadOnlyEdit:
        return form.Add<TReadOnlyEdit>(parent, left, top, width, row.Height, id);
    }
    return nullptr;
}
