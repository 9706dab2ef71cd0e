// The installer window made in this process: every control where the layout puts it, with the
// native class, styles, font and tab order that users, screen readers and the end-to-end
// tests see.
#include "Framework/Application.h"
#include "Include/Install.h"
#include "support/HostWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The first form of a process becomes the application's main window; a hidden host keeps
// that role, so that destroying the installer does not end anything.
std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT BoundsInParent(HWND window) {
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The style bits that decide how an edit or a static control looks and behaves.
const DWORD EditStyles = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL;

struct TPlacedControl {
    int Id;
    const char* ClassName;
    RECT Bounds;
    DWORD Styles;  // EditStyles for an edit, the SS_TYPEMASK bits for a label, 0 otherwise
    bool TabStop;
    bool ClientEdge;
};

class InstallFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureMainWindow();
        form = std::make_unique<TInstallForm>();
    }
    void TearDown() override {
        form.reset();
        EXPECT_EQ(InstallForm, nullptr);
    }
    HWND Control(int id) const { return GetDlgItem(form->Handle(), id); }
    std::unique_ptr<TInstallForm> form;
};

TEST_F(InstallFormTest, ControlsStandWhereTheLayoutPutsThem) {
    EXPECT_EQ(InstallForm, form.get());
    EXPECT_EQ(form->ClientWidth(), 400);
    EXPECT_EQ(form->ClientHeight(), 450);
    const DWORD multiLine = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
    const DWORD oneLine = ES_READONLY | ES_AUTOHSCROLL;
    const TPlacedControl expected[] = {
        {idInstallMainPanel, "TilvanePanel", {5, 5, 395, 65}, 0, false, false},
        {idInstallDescriptionLabel, "Static", {5, 75, 395, 90}, SS_CENTER, false, false},
        {idInstallVersionLabel, "Static", {5, 100, 395, 115}, SS_CENTER, false, false},
        {idInstallInstructionsLabel, "Static", {10, 125, 390, 190}, SS_LEFT, false, false},
        {idInstallReadmeMemo, "Edit", {5, 200, 395, 345}, multiLine, true, true},
        {idInstallInstallToLabel, "Static", {5, 360, 5, 360}, SS_LEFT, false, false},
        {idInstallInstallToEdit, "Edit", {20, 380, 310, 403}, oneLine, true, true},
        {idInstallBrowseButton, "Button", {320, 380, 395, 403}, 0, true, false},
        {idInstallInstallButton, "Button", {120, 415, 195, 440}, 0, true, false},
        {idInstallCancelButton, "Button", {205, 415, 280, 440}, 0, true, false},
    };
    for (const TPlacedControl& placed : expected) {
        SCOPED_TRACE("control " + std::to_string(placed.Id));
        HWND control = Control(placed.Id);
        ASSERT_NE(control, nullptr);
        EXPECT_STRCASEEQ(ClassOf(control).c_str(), placed.ClassName);
        const RECT bounds = BoundsInParent(control);
        EXPECT_EQ(bounds.left, placed.Bounds.left);
        EXPECT_EQ(bounds.top, placed.Bounds.top);
        EXPECT_EQ(bounds.right, placed.Bounds.right);
        EXPECT_EQ(bounds.bottom, placed.Bounds.bottom);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE));
        const std::string className = placed.ClassName;
        if (className == "Edit") {
            EXPECT_EQ(style & EditStyles, placed.Styles);
        } else if (className == "Static") {
            EXPECT_EQ(style & SS_TYPEMASK, placed.Styles);
        }
        EXPECT_EQ((style & WS_TABSTOP) != 0, placed.TabStop);
        EXPECT_EQ((exStyle & WS_EX_CLIENTEDGE) != 0, placed.ClientEdge);
        if (className == "TilvanePanel") continue;  // draws its caption in a font of its own
        const LOGFONTA font = FontOf(control);
        EXPECT_EQ(font.lfHeight, -12) << "a pixel font, whatever the screen's DPI";
        EXPECT_STREQ(font.lfFaceName, "Arial");
    }
    EXPECT_EQ(TextOf(Control(idInstallBrowseButton)), "&Browse");
    EXPECT_EQ(TextOf(Control(idInstallCancelButton)), "&Cancel");
    EXPECT_EQ(TextOf(Control(idInstallInstructionsLabel)).substr(0, 28), "The program can be reinstall");
}

TEST_F(InstallFormTest, TabGoesFromTheReadmeThroughTheDirectoryToTheButtons) {
    const std::vector<HWND> expected = {Control(idInstallReadmeMemo), Control(idInstallInstallToEdit),
                                        Control(idInstallBrowseButton), Control(idInstallInstallButton),
                                        Control(idInstallCancelButton)};
    std::vector<HWND> order = {expected.front()};
    for (size_t i = 1; i < expected.size(); ++i) order.push_back(GetNextDlgTabItem(form->Handle(), order.back(), FALSE));
    EXPECT_EQ(order, expected);
    EXPECT_EQ(GetNextDlgTabItem(form->Handle(), order.back(), FALSE), expected.front()) << "Tab wraps round";
}

}  // namespace
