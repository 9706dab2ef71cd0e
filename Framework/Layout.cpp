#include "Framework/Layout.h"

#include <cassert>

namespace {
const int LabelHeight = 16;
const int CheckBoxHeight = 17;
const int ButtonHeight = 25;
const int RightMargin = 4;  // of a label that reaches to its parent's right edge

// A row's place in its parent, in pixels at the DPI; an open list's height counts its lines.
RECT BoundsOf(const TLayoutRow& row, const TWindow& parent, int dpi) {
    auto scaled = [dpi](int length) { return ScaleToDpi(length, dpi); };
    const int left = scaled(row.Left), top = scaled(row.Top);
    int width = scaled(row.Width);
    if (row.Width == 0 && row.Kind != TLayoutKind::FittedLabel)
        width = parent.ClientWidth() - left - scaled(RightMargin);
    int height = scaled(row.Height);
    if (row.Height == 0) {
        switch (row.Kind) {
        case TLayoutKind::Label:
        case TLayoutKind::CentredLabel: height = scaled(LabelHeight); break;
        case TLayoutKind::CheckBox: height = scaled(CheckBoxHeight); break;
        case TLayoutKind::Button:
        case TLayoutKind::DefaultButton: height = scaled(ButtonHeight); break;
        default: break;
        }
    }
    if (row.Kind == TLayoutKind::ComboBox) height = TComboBox::DropDownHeight(row.Height, dpi);
    return RECT{left, top, left + width, top + height};
}

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

void TLayout::Arrange(TForm& form) {
    for (size_t i = 0; i < rowCount_; ++i) {
        const TLayoutRow& row = rows_[i];
        TWindow* parent = ParentOf(form, row.ParentId);
        auto found = controls_.find(row.Id);
        if (!parent || found == controls_.end()) continue;
        const RECT bounds = BoundsOf(row, *parent, form.Dpi());
        TControl* control = found->second;
        if (row.Kind != TLayoutKind::FittedLabel) {
            control->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
            continue;
        }
        SetWindowPos(control->Handle(), nullptr, bounds.left, bounds.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (auto* label = dynamic_cast<TLabel*>(control)) label->FitToText();
    }
}

TControl* TLayout::MakeControl(TForm& form, TWindow& parent, const TLayoutRow& row) {
    const std::string caption = row.Caption ? row.Caption : "";
    const RECT bounds = BoundsOf(row, parent, form.Dpi());
    const int left = bounds.left, top = bounds.top, id = row.Id;
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    switch (row.Kind) {
    case TLayoutKind::Panel:
        return form.Add<TPanel>(parent, left, top, width, height, id);
    case TLayoutKind::CaptionPanel:
        return form.Add<TCaptionPanel>(parent, left, top, width, height, id);
    case TLayoutKind::GroupBox:
        return form.Add<TGroupBox>(parent, caption, left, top, width, height, id);
    case TLayoutKind::Label:
    case TLayoutKind::CentredLabel:
        return form.Add<TLabel>(parent, caption, left, top, width, height, id,
                                row.Kind == TLayoutKind::CentredLabel);
    case TLayoutKind::FittedLabel:
        return form.Add<TLabel>(parent, caption, left, top, width, height, id);
    case TLayoutKind::ComboBox:
        return form.Add<TComboBox>(parent, left, top, width, height, id);
    case TLayoutKind::CheckBox:
        return form.Add<TCheckBox>(parent, caption, left, top, width, height, id);
    case TLayoutKind::Button:
    case TLayoutKind::DefaultButton:
        return form.Add<TButton>(parent, caption, left, top, width, height, id,
                                 row.Kind == TLayoutKind::DefaultButton);
    case TLayoutKind::Memo:
        return form.Add<TMemo>(parent, left, top, width, height, id);
    case TLayoutKind::ReadOnlyEdit:
        return form.Add<TReadOnlyEdit>(parent, left, top, width, height, id);
    case TLayoutKind::ListView:
        return form.Add<TListView>(parent, left, top, width, height, id);
    }
    return nullptr;
}
