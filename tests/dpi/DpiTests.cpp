// The windows at the screen DPI this process started with: `scripts/run-tests.sh` runs this
// program at 96, 144 and 192 DPI (scripts/with-dpi.sh). Every text fits its control in the
// control's own font, the windows fit the work area, pieces are whole pixels, the layout is the
// designed one in the window's pixels, and a WM_DPICHANGED sent as Windows sends it lays a
// window out again without losing the game on screen.
#include "Framework/Dpi.h"
#include "Include/AboutDialog.h"
#include "Include/ErrorDialog.h"
#include "Include/Install.h"
#include "Tilvane/BestResultsDialog.h"
#include "Tilvane/TilvaneDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "Tilvane/TilvaneProgram.h"
#include "support/TilvaneFormAccess.h"
#include "support/WineTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Another DPI to change to: what a move to a monitor of another density would bring.
int OtherDpi(int dpi) { return dpi == 144 ? 96 : 144; }

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND Control(HWND window, int id) {
    for (HWND child : Descendants(window))
        if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
}

// The control's place in its window's client area, as the layout gives it.
RECT PlaceIn(HWND window, HWND control) {
    RECT place = {};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The room a text has beside a check box's square and inside a push button's edges.
int TextRoom(HWND control, int dpi) {
    RECT client = {};
    GetClientRect(control, &client);
    if (ClassOf(control) != "Button") return client.right;
    const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    const bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
    return client.right - ScaleToDpi(box ? 16 : 6, dpi);
}

// What the control's text needs, measured in the control's own font: wrapped at its width for
// a label, on one line for a button or check box. Empty when it fits.
std::string CutText(HWND control, int dpi) {
    const std::string text = TextOf(control);
    const std::string kind = ClassOf(control);
    if (text.empty() || (kind != "Static" && kind != "Button")) return "";
    RECT client = {};
    GetClientRect(control, &client);
    const int room = TextRoom(control, dpi);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, room, 0};
    const UINT format = kind == "Static" ? DT_WORDBREAK | DT_NOPREFIX : DT_SINGLELINE;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | format);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    if (needed.right <= room && needed.bottom <= client.bottom) return "";
    return "\"" + text + "\" needs " + std::to_string(needed.right) + " x " + std::to_string(needed.bottom) +
           ", has " + std::to_string(room) + " x " + std::to_string(client.bottom) + "\n";
}

// Every label, button and check box of the window whose text is cut.
std::string CutTexts(HWND window, int dpi) {
    std::string cut;
    for (HWND control : Descendants(window))
        if (IsWindowVisible(control)) cut += CutText(control, dpi);
    return cut;
}

RECT WorkArea() {
    RECT area = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

// The rectangle Windows suggests for the new DPI: the window grown or shrunk in place, as far
// as the screen holds it.
RECT SuggestedRect(HWND window, int oldDpi, int newDpi) {
    const RECT now = WindowRect(window), work = WorkArea();
    const LONG width = std::min<LONG>(MulDiv(now.right - now.left, newDpi, oldDpi), work.right - work.left - 20);
    const LONG height = std::min<LONG>(MulDiv(now.bottom - now.top, newDpi, oldDpi), work.bottom - work.top - 20);
    return RECT{work.left + 10, work.top + 10, work.left + 10 + width, work.top + 10 + height};
}

void SendDpiChange(HWND window, int newDpi, RECT suggested) {
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
}

void SendDpiChange(HWND window, int oldDpi, int newDpi) {
    SendDpiChange(window, newDpi, SuggestedRect(window, oldDpi, newDpi));
}

void ExpectSameRect(const RECT& a, const RECT& b, const char* what) {
    EXPECT_TRUE(EqualRect(&a, &b) != FALSE) << what << ": " << a.left << "," << a.top << "," << a.right << ","
                                            << a.bottom << " against " << b.left << "," << b.top << "," << b.right
                                            << "," << b.bottom;
}

// Every control's place in the window, by its number (pictures painted anew change their order).
std::map<int, RECT> PlacesOfAllControls(HWND window) {
    std::map<int, RECT> places;
    for (HWND control : Descendants(window)) places[GetDlgCtrlID(control)] = PlaceIn(window, control);
    return places;
}

void ExpectPlacesAsBefore(HWND window, const std::map<int, RECT>& before) {
    const std::map<int, RECT> now = PlacesOfAllControls(window);
    ASSERT_EQ(now.size(), before.size());
    for (const auto& place : before) {
        auto found = now.find(place.first);
        ASSERT_NE(found, now.end()) << place.first;
        ExpectSameRect(found->second, place.second, std::to_string(place.first).c_str());
    }
}

// Where every piece of the grid comes from and how it is mirrored.
std::string BoardText(const TPuzzleBoard& board) {
    std::string text;
    for (int32_t row = 0; row < board.ResultedRows; ++row)
        for (int32_t column = 0; column < board.ResultedColumns; ++column) {
            const PieceCell& cell = board.Pieces[column][row];
            text += std::to_string(cell.SourceColumn) + "," + std::to_string(cell.SourceRow) +
                    (cell.FlipHorizontal ? "h" : "") + (cell.FlipVertical ? "v" : "") + " ";
        }
    return text;
}

LONG FontHeight(HWND control) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}


void EnsureMainWindow() {
    static TForm* host = [] {
        auto* form = new TForm;  // lives as long as the process, as the program's main window would
        form->CreateForm("Test host", WS_OVERLAPPEDWINDOW, 0, 200, 100, "Arial", 9);
        return form;
    }();
    (void)host;
}

// One game window for the whole program: the imaging library it starts cannot be started a
// second time in one process under Wine.
class DpiGameWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureMainWindow();
        form = new TTilvaneForm();
        inside = new TTilvaneFormTestAccess(*form);
        ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);
        inside->ArrangeWindow();
        folder = new TTempFolder("dpi");
        picturePath = *folder / "gradient.bmp";
        WriteFileBytes(picturePath, BitmapFileBytes(300, 200, [](int x, int y) { return RGB(x % 256, y, 90); }));
    }
    static void TearDownTestSuite() {
        delete inside;
        delete form;
        delete folder;
    }
    void SetUp() override {
        inside->Board.MarkSaved();
        inside->LoadGameFromPicture(picturePath);
        ASSERT_GT(inside->Board.ResultedColumns, 1);
    }
    HWND Window() const { return form->Handle(); }

    // The puzzle bitmap holds whole pieces only, and fits its area; so does the original picture.
    void ExpectWholePieces() const {
        const TImage& puzzle = *inside->PuzzlePictureImage;
        const TPuzzleBoard& board = inside->Board;
        EXPECT_GE(inside->PieceWidth, 1);
        EXPECT_GE(inside->PieceHeight, 1);
        EXPECT_EQ(puzzle.BitmapWidth(), board.ResultedColumns * inside->PieceWidth);
        EXPECT_EQ(puzzle.BitmapHeight(), board.ResultedRows * inside->PieceHeight);
        EXPECT_EQ(inside->BackupPictureImage->BitmapWidth(), puzzle.BitmapWidth());
        RECT area = {};
        GetClientRect(inside->PuzzlePictureGroupBox.Handle(), &area);
        const RECT puzzlePlace = PlaceIn(inside->PuzzlePictureGroupBox.Handle(), puzzle.Handle());
        EXPECT_TRUE(Inside(puzzlePlace, area));
        // The puzzle fills its area along one side, up to less than a piece.
        const int spareWidth = area.right - ScaleToDpi(5, form->Dpi()) - puzzlePlace.right;
        const int spareHeight = area.bottom - ScaleToDpi(5, form->Dpi()) - puzzlePlace.bottom;
        EXPECT_TRUE(spareWidth < inside->PieceWidth || spareHeight < inside->PieceHeight)
            << spareWidth << " x " << spareHeight << " to spare";
        const TImage& original = *inside->OriginalPictureImage;
        EXPECT_EQ(original.BitmapWidth() % board.ResultedColumns, 0);
        EXPECT_EQ(original.BitmapHeight() % board.ResultedRows, 0);
        GetClientRect(inside->OriginalPictureGroupBox.Handle(), &area);
        EXPECT_TRUE(Inside(PlaceIn(inside->OriginalPictureGroupBox.Handle(), original.Handle()), area));
    }

    static std::string GridText() {
        return std::to_string(inside->Board.ResultedColumns) + " x " + std::to_string(inside->Board.ResultedRows) +
               " pieces of " + std::to_string(inside->PieceWidth) + " x " + std::to_string(inside->PieceHeight);
    }

    // Drags a piece between two misplaced cells the way the pointer does: press on the first,
    // the pointer over the second, release there.
    void DragPiece(int32_t fromColumn, int32_t toColumn, int32_t row) {
        HWND image = inside->PuzzlePictureImage->Handle();
        const int w = inside->PieceWidth, h = inside->PieceHeight;
        POINT to = {toColumn * w + w / 2, row * h + h / 2};
        const POINT local = to;
        ClientToScreen(image, &to);
        SetCursorPos(to.x, to.y);
        SendMessageA(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromColumn * w + w / 2, row * h + h / 2));
        SendMessageA(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(local.x, local.y));
        SendMessageA(image, WM_LBUTTONUP, 0, MAKELPARAM(local.x, local.y));
    }

    static TTilvaneForm* form;
    static TTilvaneFormTestAccess* inside;
    static TTempFolder* folder;
    static std::string picturePath;
};

TTilvaneForm* DpiGameWindow::form = nullptr;
TTilvaneFormTestAccess* DpiGameWindow::inside = nullptr;
TTempFolder* DpiGameWindow::folder = nullptr;
std::string DpiGameWindow::picturePath;

TEST_F(DpiGameWindow, TakesTheScreensDpiAndFitsTheWorkArea) {
    EXPECT_EQ(form->Dpi(), SystemDpi());
    EXPECT_TRUE(Inside(WindowRect(Window()), WorkArea()));
    ExpectWholePieces();
}

// The rectangles the game window had at 96 DPI before it knew of DPI at all, in client
// coordinates: at every DPI the controls stand there in the window's pixels.
TEST_F(DpiGameWindow, LayoutIsTheDesignedOneInTheWindowsPixels) {
    struct TPlace {
        int Id;
        int Left, Top, Width, Height;  // in the parent, at 96 DPI
    };
    const TPlace places[] = {
        {idMainPanel, 5, 10, 340, 175},           {idTipsLabel, 10, 10, 326, 16},
        {idColumnsCountLabel, 10, 35, 50, 16},    {idColumnsCountComboBox, 65, 30, 50, 22},
        {idAllowFlipCheckBox, 130, 35, 135, 17},  {idRowsCountLabel, 10, 60, 50, 16},
        {idRowsCountComboBox, 65, 55, 50, 22},    {idLightGridCheckBox, 130, 60, 75, 17},
        {idPositionLabel, 10, 90, 326, 16},       {idMovesCountLabel, 10, 110, 326, 16},
        {idWrongMovesLabel, 10, 130, 326, 16},    {idRemainingCountLabel, 10, 150, 326, 16},
        {idPlayTimeLabel, 212, 60, 124, 28},
    };
    const int dpi = form->Dpi();
    for (const TPlace& place : places) {
        HWND control = Control(Window(), place.Id);
        const RECT shown = PlaceIn(GetParent(control), control);
        EXPECT_EQ(shown.left, ScaleToDpi(place.Left, dpi)) << place.Id;
        EXPECT_EQ(shown.top, ScaleToDpi(place.Top, dpi)) << place.Id;
        EXPECT_EQ(shown.right - shown.left, ScaleToDpi(place.Width, dpi)) << place.Id;
        // A closed list is as high as its font makes it.
        const bool list = place.Id == idColumnsCountComboBox || place.Id == idRowsCountComboBox;
        if (!list || dpi == 96) {
            EXPECT_EQ(shown.bottom - shown.top, ScaleToDpi(place.Height, dpi)) << place.Id;
        }
    }
    // The picture areas fill the rest of the client area beside and below the panel.
    RECT client = {};
    GetClientRect(Window(), &client);
    const RECT original = PlaceIn(Window(), inside->OriginalPictureGroupBox.Handle());
    const RECT puzzle = PlaceIn(Window(), inside->PuzzlePictureGroupBox.Handle());
    EXPECT_EQ(original.left, ScaleToDpi(5, dpi));
    EXPECT_EQ(original.top, ScaleToDpi(189, dpi));
    EXPECT_EQ(original.bottom, client.bottom - ScaleToDpi(5, dpi));
    EXPECT_EQ(puzzle.top, ScaleToDpi(5, dpi));
    EXPECT_EQ(puzzle.left, original.right + ScaleToDpi(5, dpi));
    EXPECT_EQ(puzzle.right, client.right - ScaleToDpi(5, dpi));
}

TEST_F(DpiGameWindow, EveryTextFitsItsControlAtEveryStageOfAGame) {
    const int dpi = form->Dpi();
    EXPECT_EQ(CutTexts(Window(), dpi), "") << "after loading a picture";
    inside->RandomizeMenuClick();
    EXPECT_EQ(CutTexts(Window(), dpi), "") << "while playing";
    // The longest texts the labels show: the largest grid and counts of five digits.
    inside->TipsLabel.SetText(DragTip);
    inside->PositionLabel.SetText("Column 30. Row 30.");
    inside->MovesCountLabel.SetText("You have made 99999 moves.");
    inside->WrongMovesLabel.SetText("You have made 99999 wrong moves.");
    inside->RemainingCountLabel.SetText("There are 900 pieces remaining to be placed correctly.");
    inside->PlayTimeLabel.SetText("Time: 10:00:00 (best 9:59:59)");
    EXPECT_EQ(CutTexts(Window(), dpi), "") << "with the longest texts";
    inside->TipsLabel.SetText(StartTip);
    EXPECT_EQ(CutTexts(Window(), dpi), "") << "with the first tip";
}

// Sent as Windows sends it when the window moves to a monitor of another density: the window
// takes the suggested rectangle, its fonts and layout follow, and the game goes on where it was.
TEST_F(DpiGameWindow, DpiChangeLaysTheWindowOutAgainAndKeepsTheGame) {
    inside->RandomizeMenuClick();
    const int dpi = form->Dpi(), other = OtherDpi(dpi);
    const std::map<int, RECT> before = PlacesOfAllControls(Window());
    const RECT window = WindowRect(Window());
    const std::string pieces = BoardText(inside->Board);
    const int pieceWidth = inside->PieceWidth;
    const LONG labelFont = FontHeight(inside->TipsLabel.Handle());
    const RECT suggested = SuggestedRect(Window(), dpi, other);
    SetFocus(inside->PuzzlePictureImage->Handle());

    SendDpiChange(Window(), dpi, other);
    EXPECT_EQ(GetFocus(), inside->PuzzlePictureImage->Handle()) << "the keyboard stays on the new puzzle";
    EXPECT_EQ(form->Dpi(), other);
    ExpectSameRect(WindowRect(Window()), suggested, "the window");
    EXPECT_EQ(FontHeight(inside->TipsLabel.Handle()), MulDiv(labelFont, other, dpi));
    EXPECT_EQ(PlaceIn(Window(), Control(Window(), idMainPanel)).right, ScaleToDpi(345, other));
    EXPECT_EQ(CutTexts(Window(), other), "");
    EXPECT_EQ(BoardText(inside->Board), pieces) << "the shuffled board stays as it was";
    ExpectWholePieces();

    // The game is played on at the new size: a drag swaps two misplaced pieces of one row.
    int32_t row = -1, from = -1, to = -1;
    for (int32_t r = 0; r < inside->Board.ResultedRows && to < 0; ++r) {
        from = -1;
        for (int32_t c = 0; c < inside->Board.ResultedColumns && to < 0; ++c) {
            if (inside->Board.IsPieceInPlace(c, r)) continue;
            if (from < 0) from = c; else to = c;
            row = r;
        }
    }
    ASSERT_GE(to, 0) << "a shuffled board has a row with two misplaced pieces";
    const PieceCell first = inside->Board.Pieces[from][row];
    DragPiece(from, to, row);
    EXPECT_EQ(inside->Board.MovesCount(), 1);
    EXPECT_EQ(inside->Board.Pieces[to][row].SourceColumn, first.SourceColumn);
    EXPECT_EQ(inside->Board.Pieces[to][row].SourceRow, first.SourceRow);

    // Back to the first DPI and place: every control and picture stands where it stood.
    SendDpiChange(Window(), dpi, window);
    EXPECT_EQ(inside->PieceWidth, pieceWidth);
    ExpectPlacesAsBefore(Window(), before);
    ExpectWholePieces();
}

// Fine stripes, so that a picture stretched from a smaller drawing of it looks different from one
// drawn at the size from the file.
std::string StripesFileBytes(int width, int height) {
    return BitmapFileBytes(width, height, [](int x, int y) { return (x / 2 + y / 3) % 2 ? RGB(250, 240, 20) : RGB(10, 30, 200); });
}

// How much of the picture is pure blue, as the file written over the game's picture is.
double BlueShare(const std::vector<uint32_t>& pixels) {
    const size_t blue = std::count_if(pixels.begin(), pixels.end(), [](uint32_t pixel) { return (pixel & 0xFFFFFF) == 0x0000FF; });
    return pixels.empty() ? 1.0 : static_cast<double>(blue) / static_cast<double>(pixels.size());
}

// On a denser screen the picture is drawn again from its file, as sharp as the game saved and
// loaded there; a file changed meanwhile is not read, and the pieces keep showing the game's
// picture.
TEST_F(DpiGameWindow, DenserScreenDrawsThePictureAgainFromItsUnchangedFileOnly) {
    const int dpi = form->Dpi(), denser = dpi + 48;
    const RECT window = WindowRect(Window());
    const std::string stripesPath = *folder / "stripes.bmp";
    WriteFileBytes(stripesPath, StripesFileBytes(1200, 900));
    inside->Board.MarkSaved();
    inside->LoadGameFromPicture(stripesPath);
    inside->RandomizeMenuClick();
    const std::string pieces = BoardText(inside->Board);

    SendDpiChange(Window(), dpi, denser);
    const std::vector<uint32_t> drawnAgain = PixelsOf(*inside->BackupPictureImage);
    const std::string grid = GridText();
    EXPECT_EQ(BoardText(inside->Board), pieces);
    ExpectWholePieces();
    const std::string gamePath = *folder / "stripes.tvg";
    EXPECT_TRUE(inside->SaveGameTo(gamePath));
    inside->LoadGameFrom(gamePath);
    EXPECT_EQ(BoardText(inside->Board), pieces);
    EXPECT_EQ(GridText(), grid) << "the grid and pieces of the game loaded at this DPI";
    EXPECT_TRUE(drawnAgain == PixelsOf(*inside->BackupPictureImage)) << "the puzzle picture is not the one loaded at this DPI";
    SendDpiChange(Window(), dpi, window);

    inside->RandomizeMenuClick();
    WriteFileBytes(stripesPath, BitmapFileBytes(1200, 901, [](int, int) { return RGB(0, 0, 255); }));
    SendDpiChange(Window(), dpi, denser);
    ExpectWholePieces();
    EXPECT_LT(BlueShare(PixelsOf(*inside->BackupPictureImage)), 0.05) << "the changed file was drawn as the game's picture";
    EXPECT_LT(BlueShare(PixelsOf(*inside->OriginalPictureImage)), 0.05);
    SendDpiChange(Window(), dpi, window);
    EXPECT_EQ(form->Dpi(), dpi);
}

TEST_F(DpiGameWindow, DpiChangeBeforeAnyPictureOnlyLaysOut) {
    const int dpi = form->Dpi(), other = OtherDpi(dpi);
    inside->PuzzlePictureImage->SetVisible(false);
    inside->OriginalPictureImage->SetVisible(false);
    const std::map<int, RECT> before = PlacesOfAllControls(Window());
    const RECT window = WindowRect(Window());
    SendDpiChange(Window(), dpi, other);
    EXPECT_EQ(CutTexts(Window(), other), "");
    SendDpiChange(Window(), dpi, window);
    EXPECT_EQ(form->Dpi(), dpi);
    ExpectPlacesAsBefore(Window(), before);
}

// The small windows, each at the screen's DPI and after a change of it.
class DpiDialogs : public ::testing::Test {
protected:
    void SetUp() override { EnsureMainWindow(); }

    static void ExpectLaidOut(TForm& form) {
        EXPECT_EQ(CutTexts(form.Handle(), form.Dpi()), "") << form.Text();
        const RECT window = WindowRect(form.Handle()), work = WorkArea();
        EXPECT_LE(window.right - window.left, work.right - work.left) << form.Text();
        EXPECT_LE(window.bottom - window.top, work.bottom - work.top) << form.Text();
    }
    // The window at another DPI and back: texts fit at both, and it comes back as it was.
    static void ExpectFollowsDpiChanges(TForm& form, int okayId) {
        const int dpi = form.Dpi(), other = OtherDpi(dpi);
        const RECT okay = PlaceIn(form.Handle(), GetDlgItem(form.Handle(), okayId));
        const std::map<int, RECT> before = PlacesOfAllControls(form.Handle());
        const RECT window = WindowRect(form.Handle());
        const RECT suggested = SuggestedRect(form.Handle(), dpi, other);
        SendDpiChange(form.Handle(), other, suggested);
        ExpectSameRect(WindowRect(form.Handle()), suggested, "the window");
        ExpectLaidOut(form);
        const RECT moved = PlaceIn(form.Handle(), GetDlgItem(form.Handle(), okayId));
        EXPECT_EQ(moved.left, MulDiv(okay.left, other, dpi)) << form.Text();
        EXPECT_EQ(moved.right - moved.left, MulDiv(okay.right - okay.left, other, dpi)) << form.Text();
        SendDpiChange(form.Handle(), dpi, window);
        ExpectPlacesAsBefore(form.Handle(), before);
    }
};

TEST_F(DpiDialogs, AboutDialog) {
    TAboutForm about;
    about.ProgramNameLabel->SetText(ProgramName);
    about.ProgramVersionLabel->SetText(VersionText);
    EXPECT_EQ(about.Dpi(), SystemDpi());
    ExpectLaidOut(about);
    ExpectFollowsDpiChanges(about, idAboutOkayButton);
    EXPECT_EQ(FontHeight(about.ProgramNameLabel->Handle()), -ScaleToDpi(48, about.Dpi()));
}

// Every heading and cell of a list view whose text is cut by its column, measured as the list
// draws it: in its font, with the 12 pixels of margin its own column sizing counts. The first
// column's names may be of any length: only its heading is looked at.
std::string CutCells(HWND list) {
    std::string cut;
    const HWND header = ListView_GetHeader(list);
    const int margin = 12;
    for (int column = 0; column < Header_GetItemCount(header); ++column) {
        const int width = ListView_GetColumnWidth(list, column);
        std::vector<std::string> texts;
        char heading[256] = {};
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = heading;
        item.cchTextMax = sizeof heading;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        texts.push_back(heading);
        for (int row = 0; column > 0 && row < ListView_GetItemCount(list); ++row) {
            char cell[1024] = {};
            ListView_GetItemText(list, row, column, cell, sizeof cell);
            texts.push_back(cell);
        }
        for (const std::string& text : texts) {
            const int needed = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str()))) + margin;
            if (needed > width)
                cut += "\"" + text + "\" needs " + std::to_string(needed) + ", has " + std::to_string(width) + "\n";
        }
    }
    return cut;
}

TEST_F(DpiDialogs, BestResultsWindow) {
    TBestResults results;
    const TResultKey key{"C:\\Pictures\\A rather long picture name.jpg", 30, 30, true};
    const TSolveOutcome solve = results.Record(key, 36000, 99999, 99999, "2026-12-07");
    TBestResultsForm window(results);
    ExpectLaidOut(window);
    ExpectFollowsDpiChanges(window, idResultsCloseButton);
    // Shown after that solve, its results named as new; closed at once by the Escape key's command.
    PostMessageA(window.Handle(), WM_COMMAND, IDCANCEL, 0);
    window.Dialog(&key, &solve);
    const HWND list = GetDlgItem(window.Handle(), idResultsList);
    ASSERT_EQ(ListView_GetItemCount(list), 1);
    EXPECT_EQ(CutCells(list), "");
}

TEST_F(DpiDialogs, ErrorDialog) {
    TErrorForm error;
    error.RecursionLabel->SetText("Recursive attempts = 3");
    ExpectLaidOut(error);
    ExpectFollowsDpiChanges(error, idErrorOkayButton);
}

TEST_F(DpiDialogs, InstallerWindowRefitsItsFittedLabel) {
    TInstallForm install;
    install.BeforeRun(ProgramName, "A picture puzzle", VersionText);
    ExpectLaidOut(install);
    ExpectFollowsDpiChanges(install, idInstallInstallButton);
    HWND fitted = GetDlgItem(install.Handle(), idInstallInstallToLabel);
    SendDpiChange(install.Handle(), install.Dpi(), OtherDpi(install.Dpi()));
    EXPECT_EQ(CutText(fitted, install.Dpi()), "");
    RECT client = {};
    GetClientRect(fitted, &client);
    HDC dc = GetDC(fitted);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(fitted, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    const std::string text = TextOf(fitted);
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(fitted, dc);
    EXPECT_EQ(client.right, extent.cx) << "the label takes its text's width in the new font";
    HWND caption = GetDlgItem(install.Handle(), idInstallMainPanel);
    EXPECT_EQ(FontHeight(caption), -ScaleToDpi(30, install.Dpi())) << "the caption font follows too";
}

}  // namespace
