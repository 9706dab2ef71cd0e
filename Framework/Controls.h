// Native controls, thin: each wraps one child window and offers its events as callables bound
// to the window that owns it. Panels and group boxes are windows of our own that hold further
// controls and pass their notifications up to the form.
#pragma once

#include "Framework/Window.h"
#include "Include/Input.h"

#include <functional>
#include <string>
#include <vector>

using TNotifyEvent = std::function<void()>;
using TMouseMoveEvent = std::function<void(TShiftState shift, int x, int y)>;

// The keys and buttons of a pointer message, as one modifier set.
TShiftState ShiftStateFromMessage(WPARAM keys, bool doubleClick = false);
// Either Alt key, as a key message names it.
inline bool IsAltKey(WPARAM key) { return key == VK_MENU || key == VK_LMENU || key == VK_RMENU; }

class TControl : public TWindow {
public:
    ~TControl() override;
    int Id() const { return GetDlgCtrlID(Handle()); }
    // A WM_COMMAND notification addressed to this control.
    virtual void HandleCommand(int notification) {}
    static TControl* FromHandle(HWND window);
    void SetTabOrder(int order) { tabOrder_ = order; }
    int TabOrder() const { return tabOrder_; }

protected:
    void CreateSystemControl(const char* className, DWORD style, DWORD exStyle, const std::string& caption,
                             TWindow& parent, int left, int top, int width, int height, int id);

private:
    int tabOrder_ = -1;
};

// A container of our own class: relays notifications of its children to its parent.
class TContainer : public TControl {
public:
    TMouseMoveEvent OnMouseMove;
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A panel with a lowered inner bevel.
class TPanel : public TContainer {
public:
    TPanel(TWindow& parent, int left, int top, int width, int height, int id);
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A captioned frame around a group of controls.
class TGroupBox : public TContainer {
public:
    TGroupBox(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id);
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A panel whose centred caption has a font of its own, larger than its window's. The caption
// font is the panel's window font (WM_SETFONT and WM_GETFONT), so that it is replaced as every
// control's font is when the DPI changes.
class TCaptionPanel : public TPanel {
public:
    using TPanel::TPanel;
    // The font stays the caller's; null draws the caption in the system's interface font.
    void SetCaptionFont(HFONT font);
protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
private:
    HFONT captionFont_ = nullptr;
};

// Static text; its words wrap at the right edge.
class TLabel : public TControl {
public:
    TLabel(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id,
           bool centred = false);
    // Takes the size of its text in its own font, on one line.
    void FitToText();
};

// A drop-down list without free text.
class TComboBox : public TControl {
public:
    // The height is that of the open list (DropDownHeight).
    TComboBox(TWindow& parent, int left, int top, int width, int height, int id);
    // The height of a list that shows that many lines open, at the DPI.
    static int DropDownHeight(int visibleLines, int dpi);
    void AddItem(const std::string& text);
    void SetItemIndex(int index);
    int IndexOf(const std::string& text) const;
    // Selects the item with this text, or none when there is no such item.
    void SetSelectedText(const std::string& text);
};

class TCheckBox : public TControl {
public:
    TCheckBox(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id);
    bool Checked() const;
    void SetChecked(bool checked);
    TNotifyEvent OnClick;
    void HandleCommand(int notification) override;
};

class TButton : public TControl {
public:
    TButton(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id,
            bool isDefault = false);
    TNotifyEvent OnClick;
    void HandleCommand(int notification) override;
};

// A read-only, multi-line text box whose lines wrap, with a vertical scroll bar.
class TMemo : public TControl {
public:
    TMemo(TWindow& parent, int left, int top, int width, int height, int id);
};

// A read-only, one-line text box that scrolls sideways for a long text.
class TReadOnlyEdit : public TControl {
public:
    TReadOnlyEdit(TWindow& parent, int left, int top, int width, int height, int id);
};

// A list of rows in columns with headings (a report-style list view); one whole row is selected
// at a time. The owner handles its notifications (a click on a heading) itself.
class TListView : public TControl {
public:
    TListView(TWindow& parent, int left, int top, int width, int height, int id);
    void AddColumn(const std::string& heading, int width, bool alignRight = false);
    void SetColumnWidth(int column, int width);
    void Clear();
    void AddRow(const std::vector<std::string>& cells);
    int RowCount() const;
    std::string CellText(int row, int column) const;
    // -1 when no row is selected.
    int SelectedRow() const;
    void SelectRow(int row);
};

// Puts the tab-stop controls of one parent into the order of their tab numbers.
void ApplyTabOrder(const std::vector<TControl*>& controls);
