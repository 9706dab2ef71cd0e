// The framework's layout tables and placement, on real windows: a faulty table does not throw
// through window creation, labels fit their texts, and dialogs land on the screen.
#include "Framework/Application.h"
#include "Framework/Fonts.h"
#include "Framework/Layout.h"
#include "Framework/Placement.h"
#include "support/HostWindow.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

enum : int { idPanel = 100, idLabel, idFitted, idLate, idLateChild, idButton };

// The first form of a process becomes the application's main window; a hidden host keeps
// that role, so that destroying a test form does not end anything.
std::unique_ptr<TForm> MakeForm(int clientWidth, int clientHeight) {
    EnsureMainWindow();
    auto form = std::make_unique<TForm>();
    form->CreateForm("Layout test", WS_POPUP | WS_CAPTION, 0, clientWidth, clientHeight, "Arial", 9);
    return form;
}

SIZE TextExtent(HWND window, const std::string& text) {
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return extent;
}

TEST(Layout, RowBeforeItsParentIsSkippedAndReported) {
#ifndef NDEBUG
    GTEST_SKIP() << "debug builds stop at the assertion instead";
#endif
    // clang-format off
    const TLayoutRow rows[] = {
        {TLayoutKind::Panel,  idPanel,     0,       5,  5, 200, 100, nullptr, -1},
        {TLayoutKind::Label,  idLateChild, idLate, 10, 10, 50,   0,  "lost",  -1},
        {TLayoutKind::Panel,  idLate,      idPanel, 5, 30, 100,  50, nullptr, -1},
        {TLayoutKind::Button, idButton,    idPanel, 5, 60, 75,   0,  "&Go",    0},
    };
    // clang-format on
    auto form = MakeForm(300, 200);
    TLayout layout;
    EXPECT_FALSE(layout.Build(*form, rows));
    EXPECT_EQ(layout.Get<TLabel>(idLateChild), nullptr);
    EXPECT_NE(layout.Get<TPanel>(idLate), nullptr) << "rows after the faulty one are still built";
    TButton* button = layout.Get<TButton>(idButton);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Bounds().bottom - button->Bounds().top, 25) << "the standard button height";
    EXPECT_EQ(layout.Get<TLabel>(idButton), nullptr) << "a control is found only as its own kind";
}

TEST(Layout, ZeroWidthReachesTheEdgeExceptForAFittedLabel) {
    // clang-format off
    const TLayoutRow rows[] = {
        {TLayoutKind::Label,       idLabel,  0, 10, 10, 0, 0, "wide",  -1},
        {TLayoutKind::FittedLabel, idFitted, 0, 10, 40, 0, 0, nullptr, -1},
    };
    // clang-format on
    auto form = MakeForm(300, 200);
    TLayout layout;
    ASSERT_TRUE(layout.Build(*form, rows));
    EXPECT_EQ(layout.Get<TLabel>(idLabel)->Bounds().right, 296);
    TLabel* fitted = layout.Get<TLabel>(idFitted);
    ASSERT_NE(fitted, nullptr);
    EXPECT_EQ(fitted->Bounds().right, 10) << "no size until it has a text";

    TOwnedFont font(CreatePixelFont("Arial", 12));
    SetFontOfWindowTree(form->Handle(), font.get());
    for (const std::string text : {"Short", "A much longer text that needs more room"}) {
        fitted->SetText(text);
        fitted->FitToText();
        const SIZE extent = TextExtent(fitted->Handle(), text);
        const RECT bounds = fitted->Bounds();
        EXPECT_EQ(bounds.left, 10);
        EXPECT_EQ(bounds.top, 40);
        EXPECT_EQ(bounds.right - bounds.left, extent.cx) << text;
        EXPECT_EQ(bounds.bottom - bounds.top, extent.cy) << text;
    }
}

TEST(DialogPlacement, CentredOverAVisibleWindowAndKeptOnTheWorkArea) {
    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    auto over = MakeForm(300, 200);
    auto dialog = MakeForm(100, 50);
    RECT dialogRect = {};
    GetWindowRect(dialog->Handle(), &dialogRect);
    const int width = dialogRect.right - dialogRect.left, height = dialogRect.bottom - dialogRect.top;
    auto placed = [&] {
        RECT rect = {};
        GetWindowRect(dialog->Handle(), &rect);
        return rect;
    };

    SetWindowPos(over->Handle(), nullptr, workArea.left + 100, workArea.top + 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(over->Handle(), SW_SHOWNA);
    RECT overRect = {};
    GetWindowRect(over->Handle(), &overRect);
    CenterDialogOver(dialog->Handle(), over->Handle());
    EXPECT_EQ(placed().left, overRect.left + (overRect.right - overRect.left - width) / 2);
    EXPECT_EQ(placed().top, overRect.top + (overRect.bottom - overRect.top - height) / 2);

    // Past the work area's corner, the dialog is pulled back so that its caption stays reachable.
    SetWindowPos(over->Handle(), nullptr, workArea.left - 280, workArea.top - 180, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CenterDialogOver(dialog->Handle(), over->Handle());
    EXPECT_EQ(placed().left, workArea.left);
    EXPECT_EQ(placed().top, workArea.top);

    // A hidden window means nothing to the user: the work area's centre instead.
    ShowWindow(over->Handle(), SW_HIDE);
    CenterDialogOver(dialog->Handle(), over->Handle());
    EXPECT_EQ(placed().left, workArea.left + (workArea.right - workArea.left - width) / 2);
    EXPECT_EQ(placed().top, workArea.top + (workArea.bottom - workArea.top - height) / 2);
}

}  // namespace
