#include "Framework/Form.h"

#include "Framework/Application.h"

namespace {
const char* const FormClass = "TilvaneForm";
}  // namespace

TForm::~TForm() {
    // Children before their parents: reverse order of creation.
    while (!controls_.empty()) controls_.pop_back();
    if (Handle()) {
        HMENU menu = GetMenu(Handle());
        SetMenu(Handle(), nullptr);
        if (menu) DestroyMenu(menu);
    }
}

void TForm::CreateForm(const std::string& caption, DWORD style, DWORD exStyle, int clientWidth, int clientHeight,
                       const std::string& fontName, int fontPoints) {
    RegisterOwnWindowClass(FormClass, 0, LoadCursorA(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
    CreateOwnWindow(FormClass, exStyle | WS_EX_CONTROLPARENT, style, caption, CW_USEDEFAULT, CW_USEDEFAULT,
                    clientWidth, clientHeight, Application.MainWindow(), nullptr);
    dpi_ = DpiOfWindow(Handle());
    fontName_ = fontName;
    fontPoints_ = fontPoints;
    font_.reset(CreateFormFont());
    SetFont(Font());
    SetClientSize(Scaled(clientWidth), Scaled(clientHeight));
    Application.SetMainWindow(Handle());
}

HFONT TForm::CreateFormFont() const {
    return CreateFontA(-MulDiv(fontPoints_, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       fontName_.c_str());
}

HFONT TForm::AddFont(const TFontStyle& style) {
    fonts_.push_back(TScaledFont{style, TOwnedFont(CreateScaledFont(style, dpi_))});
    return fonts_.back().Font.get();
}

// The old font is deleted only once no control shows it any more.
void TForm::ReplaceFont(TOwnedFont& owned, HFONT font) {
    ReplaceFontInWindowTree(Handle(), owned.get(), font);
    owned.reset(font);
}

// As the system asks of a per-monitor aware window: new fonts, the suggested place and size,
// and the layout again, all at the new DPI.
LRESULT TForm::ChangeDpi(WPARAM wParam, LPARAM lParam) {
    const int dpi = HIWORD(wParam);
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (dpi <= 0 || !suggested) return 0;
    const int oldDpi = dpi_;
    dpi_ = dpi;
    ReplaceFont(font_, CreateFormFont());
    for (TScaledFont& scaled : fonts_) ReplaceFont(scaled.Font, CreateScaledFont(scaled.Style, dpi_));
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    DpiChanged(oldDpi);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
}

void TForm::SetClientSize(int width, int height) {
    RECT frame = {0, 0, width, height};
    AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)),
                           GetMenu(Handle()) != nullptr, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)),
                           dpi_);
    SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::ApplyTabOrder() {
    std::vector<TControl*> all;
    for (auto& control : controls_) all.push_back(control.get());
    // Tab numbers count within one parent.
    std::vector<HWND> parents;
    for (TControl* control : all) {
        HWND parent = GetParent(control->Handle());
        bool known = false;
        for (HWND seen : parents) known = known || seen == parent;
        if (known) continue;
        parents.push_back(parent);
        std::vector<TControl*> siblings;
        for (TControl* other : all)
            if (GetParent(other->Handle()) == parent) siblings.push_back(other);
        ::ApplyTabOrder(siblings);
    }
}

void TForm::SetCommands(std::unique_ptr<TCommandTable> commands) {
    commands_ = std::move(commands);
    SetMenu(Handle(), commands_->Menu());
    Application.SetAccelerators(Handle(), commands_->Accelerators());
}

void TForm::Close() { PostMessageA(Handle(), WM_CLOSE, 0, 0); }

int TForm::ShowModal() {
    HWND owner = Application.MainWindow();
    if (owner == Handle()) owner = nullptr;
    // The window that was active comes back afterwards: a dialog over another dialog returns to it.
    HWND previouslyActive = GetActiveWindow();
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    modal_ = true;
    modalResult_ = mrNone;
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    MSG message;
    bool quit = false;
    while (modalResult_ == mrNone) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        if (IsDialogMessageA(Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    modal_ = false;
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    ShowWindow(Handle(), SW_HIDE);
    if (previouslyActive && IsWindow(previouslyActive) && previouslyActive != Handle())
        SetActiveWindow(previouslyActive);
    else if (owner)
        SetActiveWindow(owner);
    if (quit) PostQuitMessage(static_cast<int>(message.wParam));  // the outer loop must end too
    return quit ? mrCancel : modalResult_;
}

void TForm::RouteCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (lParam) {
        if (TControl* control = TControl::FromHandle(reinterpret_cast<HWND>(lParam)))
            control->HandleCommand(HIWORD(wParam));
        return;
    }
    if (commands_ && commands_->Execute(id)) return;
    if (id == IDCANCEL) Close();  // Escape in a form without a Cancel button
}

// A window that comes back to the front gives the keyboard to the control that had it, as a
// dialog does, instead of taking it for itself.
LRESULT TForm::KeepFocusAcrossActivation(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        return 0;
    }
    const bool minimised = HIWORD(wParam) != 0;
    if (!minimised && lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_) &&
        IsWindowVisible(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
    }
    return DefaultHandling(WM_ACTIVATE, wParam, lParam);
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        return KeepFocusAcrossActivation(wParam, lParam);
    case WM_COMMAND:
        RouteCommand(wParam, lParam);
        return 0;
    case WM_DPICHANGED:
        return ChangeDpi(wParam, lParam);
    case WM_CLOSE:
        if (OnCloseQuery && !OnCloseQuery()) return 0;
        if (modal_)
            modalResult_ = mrCancel;
        else
            DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        Application.MainWindowDestroyed(Handle());
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

LRESULT FocusedButtonAsDefault(HWND dialog) {
    HWND focus = GetFocus();
    if (focus && IsChild(dialog, focus) &&
        (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    return MAKELRESULT(IDOK, DC_HASDEFID);
}
