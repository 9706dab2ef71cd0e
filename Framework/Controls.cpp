#include "Framework/Controls.h"

#include "Framework/Dpi.h"
#include "Include/Owned.h"

#include <algorithm>
#include <commctrl.h>
#include <windowsx.h>

namespace {

const char* const PanelClass = "TilvanePanel";
const char* const GroupBoxClass = "TilvaneGroupBox";
const char* const ControlProperty = "TilvaneControlObject";

HBRUSH FaceBrush() { return GetSysColorBrush(COLOR_BTNFACE); }

}  // namespace

TShiftState ShiftStateFromMessage(WPARAM keys, bool doubleClick) {
    // The keys come from the thread's key state, which is in step with the messages taken so
    // far; the key flags of a pointer message can lag behind a key pressed just before it
    // (Wine fills them in when the input arrives, not when the message is taken).
    TShiftState state = 0;
    if (GetKeyState(VK_SHIFT) < 0) state |= ShiftSetOf(ssShift);
    if (GetKeyState(VK_MENU) < 0) state |= ShiftSetOf(ssAlt);
    if (GetKeyState(VK_CONTROL) < 0) state |= ShiftSetOf(ssCtrl);
    if (keys & MK_LBUTTON) state |= ShiftSetOf(ssLeft);
    if (keys & MK_RBUTTON) state |= ShiftSetOf(ssRight);
    if (keys & MK_MBUTTON) state |= ShiftSetOf(ssMiddle);
    if (doubleClick) state |= ShiftSetOf(ssDouble);
    return state;
}

TControl::~TControl() {
    if (Handle()) RemovePropA(Handle(), ControlProperty);
}

TControl* TControl::FromHandle(HWND window) {
    if (!window) return nullptr;
    if (auto* own = dynamic_cast<TControl*>(TWindow::FromHandle(window))) return own;
    return static_cast<TControl*>(GetPropA(window, ControlProperty));
}

void TControl::CreateSystemControl(const char* className, DWORD style, DWORD exStyle, const std::string& caption,
                                   TWindow& parent, int left, int top, int width, int height, int id) {
    HWND window = CreateWindowExA(exStyle, className, caption.c_str(), style | WS_CHILD | WS_VISIBLE, left, top,
                                  width, height, parent.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), nullptr);
    // System controls keep their own window procedure; the property only lets their parent
    // find this object when a notification arrives.
    SetPropA(window, ControlProperty, this);
    AdoptSystemWindow(window);
}

LRESULT TContainer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return SendMessageA(GetParent(Handle()), message, wParam, lParam);
    case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(ShiftStateFromMessage(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(Handle(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, FaceBrush());
        return 1;
    }
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

TPanel::TPanel(TWindow& parent, int left, int top, int width, int height, int id) {
    RegisterOwnWindowClass(PanelClass, 0, LoadCursorA(nullptr, IDC_ARROW), nullptr);
    CreateOwnWindow(PanelClass, WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, "", left, top, width,
                    height, parent.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT TPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        TPaintDC paint(Handle());
        RECT client;
        GetClientRect(Handle(), &client);
        DrawEdge(paint.get(), &client, BDR_SUNKENINNER, BF_RECT);
        return 0;
    }
    return TContainer::HandleMessage(message, wParam, lParam);
}

TGroupBox::TGroupBox(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id) {
    RegisterOwnWindowClass(GroupBoxClass, 0, LoadCursorA(nullptr, IDC_ARROW), nullptr);
    CreateOwnWindow(GroupBoxClass, WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                    caption, left, top, width, height, parent.Handle(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT TGroupBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        TPaintDC paint(Handle());
        const HDC dc = paint.get();
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
        // Without a font of its own the box draws with the DC's, as a system group box does.
        const TSelection selectedFont(dc, font ? static_cast<HGDIOBJ>(font) : GetCurrentObject(dc, OBJ_FONT));
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc, &metrics);
        RECT frame;
        GetClientRect(Handle(), &frame);
        frame.top += metrics.tmHeight / 2;
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        const std::string caption = Text();
        if (!caption.empty()) {
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            SetBkMode(dc, OPAQUE);
            const std::string padded = " " + caption + " ";
            TextOutA(dc, ScaleToDpi(6, DpiOfWindow(Handle())), 0, padded.c_str(), static_cast<int>(padded.size()));
        }
        return 0;
    }
    return TContainer::HandleMessage(message, wParam, lParam);
}

void TCaptionPanel::SetCaptionFont(HFONT font) {
    captionFont_ = font;
    InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TCaptionPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFONT) {
        SetCaptionFont(reinterpret_cast<HFONT>(wParam));
        return 0;
    }
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(captionFont_);
    if (message == WM_SETTEXT) {
        const LRESULT result = TPanel::HandleMessage(message, wParam, lParam);
        InvalidateRect(Handle(), nullptr, TRUE);
        return result;
    }
    if (message != WM_PAINT) return TPanel::HandleMessage(message, wParam, lParam);
    TPaintDC paint(Handle());
    RECT client;
    GetClientRect(Handle(), &client);
    DrawEdge(paint.get(), &client, BDR_SUNKENINNER, BF_RECT);
    const std::string caption = Text();
    TSelection font(paint.get(), captionFont_ ? captionFont_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(paint.get(), TRANSPARENT);
    SetTextColor(paint.get(), GetSysColor(COLOR_BTNTEXT));
    DrawTextA(paint.get(), caption.c_str(), static_cast<int>(caption.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return 0;
}

TLabel::TLabel(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id,
               bool centred) {
    CreateSystemControl("STATIC", (centred ? SS_CENTER : SS_LEFT) | SS_NOPREFIX, 0, caption, parent, left, top,
                        width, height, id);
}

void TLabel::FitToText() {
    const std::string text = Text();
    TWindowDC dc(Handle());
    TSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(Handle(), WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    SetWindowPos(Handle(), nullptr, 0, 0, extent.cx, extent.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TComboBox::TComboBox(TWindow& parent, int left, int top, int width, int height, int id) {
    CreateSystemControl("COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, "", parent, left, top, width,
                        height, id);
}

// The height of a drop-down list is that of its open list: its lines and room for its edges.
int TComboBox::DropDownHeight(int visibleLines, int dpi) {
    const int itemHeight = 15;
    return ScaleToDpi(itemHeight, dpi) * (visibleLines + 2);
}

void TComboBox::AddItem(const std::string& text) {
    SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TComboBox::SetItemIndex(int index) { SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int TComboBox::IndexOf(const std::string& text) const {
    const int count = static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int length = static_cast<int>(SendMessageA(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
        std::string item(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
        item.resize(static_cast<size_t>(length));
        if (item == text) return i;
    }
    return -1;
}

void TComboBox::SetSelectedText(const std::string& text) { SetItemIndex(IndexOf(text)); }

TCheckBox::TCheckBox(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id) {
    CreateSystemControl("BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, caption, parent, left, top, width, height, id);
}

bool TCheckBox::Checked() const { return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick();  // a change of state counts as a click, whoever made it
}

void TCheckBox::HandleCommand(int notification) {
    if (notification == BN_CLICKED && OnClick) OnClick();
}

TButton::TButton(TWindow& parent, const std::string& caption, int left, int top, int width, int height, int id,
                 bool isDefault) {
    CreateSystemControl("BUTTON", (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, 0, caption, parent,
                        left, top, width, height, id);
}

void TButton::HandleCommand(int notification) {
    if (notification == BN_CLICKED && OnClick) OnClick();
}

TMemo::TMemo(TWindow& parent, int left, int top, int width, int height, int id) {
    // No horizontal scrolling: long lines wrap, as a report or a read-me reads best.
    CreateSystemControl("EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                        WS_EX_CLIENTEDGE, "", parent, left, top, width, height, id);
}

TReadOnlyEdit::TReadOnlyEdit(TWindow& parent, int left, int top, int width, int height, int id) {
    CreateSystemControl("EDIT", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE, "", parent, left, top,
                        width, height, id);
}

void ApplyTabOrder(const std::vector<TControl*>& controls) {
    std::vector<TControl*> ordered;
    for (TControl* control : controls)
        if (control->TabOrder() >= 0) ordered.push_back(control);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](TControl* a, TControl* b) { return a->TabOrder() < b->TabOrder(); });
    HWND previous = HWND_TOP;
    for (TControl* control : ordered) {
        SetWindowPos(control->Handle(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control->Handle();
    }
}

TListView::TListView(TWindow& parent, int left, int top, int width, int height, int id) {
    CreateSystemControl(WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE,
                        "", parent, left, top, width, height, id);
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT);
}

void TListView::AddColumn(const std::string& heading, int width, bool alignRight) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(heading.c_str());
    const int count = Header_GetItemCount(ListView_GetHeader(Handle()));
    SendMessageA(Handle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column));
}

void TListView::SetColumnWidth(int column, int width) { ListView_SetColumnWidth(Handle(), column, width); }

void TListView::Clear() { ListView_DeleteAllItems(Handle()); }

void TListView::AddRow(const std::vector<std::string>& cells) {
    if (cells.empty()) return;
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = RowCount();
    item.pszText = const_cast<char*>(cells[0].c_str());
    const int row = static_cast<int>(SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (size_t column = 1; column < cells.size(); ++column) {
        LVITEMA cell = {};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = const_cast<char*>(cells[column].c_str());
        SendMessageA(Handle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
}

int TListView::RowCount() const { return ListView_GetItemCount(Handle()); }

std::string TListView::CellText(int row, int column) const {
    char text[1024] = {};
    LVITEMA cell = {};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = sizeof text;
    SendMessageA(Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return text;
}

int TListView::SelectedRow() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); }

void TListView::SelectRow(int row) {
    ListView_SetItemState(Handle(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(Handle(), row, FALSE);
}
