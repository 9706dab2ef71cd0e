// A top-level window built from a layout: it owns its controls, font, menu and accelerators,
// routes notifications to its controls and commands to their handlers, asks before closing,
// and can run as a modal dialog.
#pragma once

#include "Framework/Commands.h"
#include "Framework/Controls.h"
#include "Framework/Dpi.h"
#include "Framework/Fonts.h"
#include "Include/Owned.h"

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

// Results of a modal form.
enum TModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

class TForm : public TWindow {
public:
    TForm() = default;
    ~TForm() override;

    // Makes the window: caption, style, client size (in layout units), and the font of every control.
    void CreateForm(const std::string& caption, DWORD style, DWORD exStyle, int clientWidth, int clientHeight,
                    const std::string& fontName, int fontPoints);
    HFONT Font() const { return font_.get(); }
    // A font the form owns, made for its DPI and made again, in every control that shows it,
    // when the DPI changes.
    HFONT AddFont(const TFontStyle& style);

    // The DPI the form is laid out for, and a length of its layout in its pixels.
    int Dpi() const { return dpi_; }
    int Scaled(int length) const { return ScaleToDpi(length, dpi_); }

    // Makes a control from one layout row; the form owns it and gives it its font.
    template <class TKind, class... TArguments>
    TKind* Add(TArguments&&... arguments) {
        auto control = std::make_unique<TKind>(std::forward<TArguments>(arguments)...);
        TKind* result = control.get();
        result->SetFont(Font());
        controls_.push_back(std::move(control));
        return result;
    }
    // Puts the form's tab stops into the order of their tab numbers.
    void ApplyTabOrder();

    void SetCommands(std::unique_ptr<TCommandTable> commands);
    HACCEL Accelerators() const { return commands_ ? commands_->Accelerators() : nullptr; }

    // Asked before the window closes; false keeps it open.
    std::function<bool()> OnCloseQuery;
    // Escape, the close box and a Cancel button in a modal form.
    void Close();

    // Shows the form over the application's window and runs messages until a modal result is set.
    int ShowModal();
    void SetModalResult(int result) { modalResult_ = result; }

    // Sets the outer size so that the client area has the given size.
    void SetClientSize(int width, int height);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // After the DPI changed from oldDpi to Dpi(): the fonts are made for it and the window has
    // its new place and size; the window lays its controls out again.
    virtual void DpiChanged(int oldDpi) {}

private:
    struct TScaledFont {
        TFontStyle Style;
        TOwnedFont Font;
    };
    void RouteCommand(WPARAM wParam, LPARAM lParam);
    LRESULT ChangeDpi(WPARAM wParam, LPARAM lParam);
    HFONT CreateFormFont() const;
    void ReplaceFont(TOwnedFont& owned, HFONT font);
    LRESULT KeepFocusAcrossActivation(WPARAM wParam, LPARAM lParam);
    TOwnedFont font_;
    std::string fontName_;
    int fontPoints_ = 0;
    std::list<TScaledFont> fonts_;
    int dpi_ = DesignDpi;
    std::vector<std::unique_ptr<TControl>> controls_;
    std::unique_ptr<TCommandTable> commands_;
    bool modal_ = false;
    HWND lastFocus_ = nullptr;
    int modalResult_ = mrNone;
};

// The answer of a small modal form to DM_GETDEFID: Enter presses the focused push button, or
// else the button numbered IDOK.
LRESULT FocusedButtonAsDefault(HWND dialog);
