// Pictures pasted into the real program with Ctrl+V, from a clipboard this test fills with the
// system's own calls in each form another program may offer: a PNG file's bytes, a version 5
// bitmap, a plain bitmap, and a copied file.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Include/ErrorDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "support/DropFilesBlock.h"
#include "support/GdiplusPictures.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>

namespace {

std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// The clipboard as another program fills it: the data belongs to a window of this process.
class TClipboardFiller {
public:
    TClipboardFiller()
        : window_(CreateWindowExA(0, "STATIC", "clipboard owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
    ~TClipboardFiller() {
        Put({});
        DestroyWindow(window_);
    }
    struct TForm {
        UINT Format;
        std::string Bytes;
    };
    // Empties the clipboard and puts the forms on it; true when the system took every one.
    bool Put(const std::vector<TForm>& forms) {
        if (!WaitUntil([&] { return OpenClipboard(window_) != FALSE; })) return false;
        bool taken = EmptyClipboard() != FALSE;
        for (const TForm& form : forms) {
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, form.Bytes.size());
            std::memcpy(GlobalLock(memory), form.Bytes.data(), form.Bytes.size());
            GlobalUnlock(memory);
            taken = SetClipboardData(form.Format, memory) && taken;
        }
        return CloseClipboard() && taken;
    }

private:
    HWND window_;
};

UINT PngFormat() { return RegisterClipboardFormatA("PNG"); }

// A version 5 bitmap of 32 bits, its alpha left at zero as some browsers copy it: shown opaque.
std::string BitmapV5WithoutAlpha(int width, int height, const std::function<COLORREF(int, int)>& colourAt) {
    std::string header = Le32(124) + Le32(static_cast<uint32_t>(width)) + Le32(static_cast<uint32_t>(-height)) +
                         Le16(1) + Le16(32) + Le32(3) + Le32(static_cast<uint32_t>(width * height * 4)) +
                         std::string(16, '\0') + Le32(0x00FF0000) + Le32(0x0000FF00) + Le32(0x000000FF) +
                         Le32(0xFF000000);
    header.resize(124, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colourAt(x, y);
            header += Le32(static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c));
        }
    return header;
}

std::string PngFileBytes(const std::string& path, int width, int height,
                         const std::function<COLORREF(int, int)>& colourAt) {
    const TGdiplusSession gdiplus;
    CLSID png = CLSID();
    EXPECT_TRUE(EncoderFor(L"image/png", png));
    const auto argb = [&](int x, int y) {
        const COLORREF c = colourAt(x, y);
        return 0xFF000000u | static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
    };
    EXPECT_EQ(WritePictureFile(Utf8ToWide(path), width, height, argb, PixelFormat32bppARGB, png), Gdiplus::Ok);
    return ReadFileBytes(path);
}

// The names of the pictures in the game's "Pasted pictures" folder.
std::vector<std::string> PastedPictures(const TGameProcess& game) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW(Utf8ToWide(game.PathOf("Pasted pictures\\*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(WideToUtf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Every cell of the puzzle shows its own piece of a picture of columns x rows cells.
void ExpectWholePicture(const TGameProcess& game, int columns, int rows) {
    const std::vector<TShownPiece> board =
        ShownBoard(SettledPixels(game.Control(idPuzzlePictureImage), game.MainWindow()), columns, rows);
    for (int cell = 0; cell < columns * rows; ++cell) EXPECT_EQ(board[cell].Piece, cell) << "cell " << cell;
}

// "2026-12-07 23-45-12.png", or with " (2)" for a second picture of the same second.
bool IsDateAndTimeName(const std::string& name) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    return std::sscanf(name.c_str(), "%4u-%2u-%2u %2u-%2u-%2u", &year, &month, &day, &hour, &minute, &second) == 6 &&
           year >= 2000 && month >= 1 && month <= 12 && name.size() >= 23 && name.substr(name.size() - 4) == ".png";
}

}  // namespace

TEST(PasteEndToEnd, APictureIsPastedFromEachFormTheClipboardOffers) {
    TGameProcess game("paste");
    ASSERT_TRUE(game.WaitForMainWindow());
    TClipboardFiller clipboard;
    const HWND groupBox = game.Control(idPuzzlePictureGroupBox);
    // Each form gets a picture of its own grid, so that each paste shows a picture of its own.
    const struct {
        const char* name;
        int columns, rows;
        bool written;  // kept in "Pasted pictures"; a copied file opens where it is
    } forms[] = {{"copied file", 5, 5, false}, {"PNG", 5, 4, true}, {"bitmap version 5", 4, 5, true},
                 {"bitmap", 6, 4, true}};
    size_t written = 0;
    for (const auto& form : forms) {
        SCOPED_TRACE(form.name);
        const SIZE piece = PieceSizeFilling(groupBox, form.columns, form.rows);
        const int width = form.columns * piece.cx, height = form.rows * piece.cy;
        const auto colourAt = [&](int x, int y) {
            return QuadrantPixel(x, y, form.columns, form.rows, piece.cx, piece.cy);
        };
        const std::string bmp = QuadrantPicture(form.columns, form.rows, piece.cx, piece.cy);
        std::vector<TClipboardFiller::TForm> offered;
        if (form.name == std::string("PNG")) {
            // A PNG comes with a bitmap, as browsers offer both: the PNG is the richer one.
            offered = {{CF_DIB, std::string(bmp.substr(14, 40)) + std::string(bmp.size() - 54, '\0')},
                       {PngFormat(), PngFileBytes(game.PathOf("source.png"), width, height, colourAt)}};
        } else if (form.name == std::string("bitmap version 5")) {
            offered = {{CF_DIBV5, BitmapV5WithoutAlpha(width, height, colourAt)}};
        } else if (form.name == std::string("bitmap")) {
            offered = {{CF_DIB, bmp.substr(14)}};
        } else {
            const std::string copied = game.PathOf("copied.bmp");
            WriteFileBytes(copied, bmp);
            offered = {{CF_HDROP, DropFilesBlock({copied})}};
        }
        ASSERT_TRUE(clipboard.Put(offered));
        game.Key('V', modCtrl);
        if (form.written) {
            ASSERT_TRUE(WaitUntil([&] { return PastedPictures(game).size() == written + 1; }));
            ++written;
        }
        ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }))
            << game.ControlText(idTipsLabel);
        EXPECT_EQ(WindowText(game.MainWindow()), "Tilvane");
        ExpectWholePicture(game, form.columns, form.rows);
    }
    const std::vector<std::string> pasted = PastedPictures(game);
    ASSERT_EQ(pasted.size(), 3u);
    for (const std::string& name : pasted) {
        EXPECT_TRUE(IsDateAndTimeName(name)) << name;
        EXPECT_EQ(ReadFileBytes(game.PathOf("Pasted pictures\\" + name)).compare(0, 8, "\x89PNG\r\n\x1a\n"), 0) << name;
    }
    // A pasted picture is the game's picture file like any other, remembered for the next start.
    EXPECT_EQ(game.Close(), 0u);
    const std::string options = ReadFileBytes(game.PathOf("Tilvane.ini"));
    EXPECT_NE(options.find("\r\nPictureTitle=" + game.PathOf("Pasted pictures\\")), std::string::npos) << options;
}

// A file list whose names are never ended: wide characters up to the block's end, which is a
// whole number of allocation units so that no padding of the block ends them either.
std::string UnendedFileList() {
    std::string block = DropFilesBlock({"C:\\picture.bmp"});
    block.resize(block.size() - 2 * sizeof(wchar_t));
    return block;
}

// A file list whose names would start far past its end.
std::string FileListPointingOutside() {
    std::string block = DropFilesBlock({"C:\\picture.bmp"});
    const uint32_t farAway = 0x7FFFFFF0;
    std::memcpy(&block[0], &farAway, sizeof farAway);
    return block;
}

TEST(PasteEndToEnd, NothingToPasteOrABadPictureKeepsTheGame) {
    TGameProcess game("paste-refused");
    ASSERT_TRUE(game.WaitForMainWindow());
    TClipboardFiller clipboard;
    {
        const struct {
            const char* name;
            TClipboardFiller::TForm form;
        } nothing[] = {{"text", {CF_TEXT, std::string("words, no picture", 18)}},
                       {"a file list never ended", {CF_HDROP, UnendedFileList()}},
                       {"a file list pointing outside its block", {CF_HDROP, FileListPointingOutside()}}};
        TMessageBoxAnswerer warning("Warning", IDOK, false, true);
        for (size_t n = 0; n < std::size(nothing); ++n) {
            SCOPED_TRACE(nothing[n].name);
            ASSERT_TRUE(clipboard.Put({nothing[n].form}));
            game.Key('V', modCtrl);
            ASSERT_TRUE(WaitUntil([&] { return warning.Count() == n + 1; }));
            EXPECT_EQ(warning.Texts()[n], "The clipboard holds no picture to paste.");
            EXPECT_EQ(game.ControlText(idTipsLabel), StartTip);
        }
    }

    const SIZE piece = PieceSizeFilling(game.Control(idPuzzlePictureGroupBox), 5, 4);
    const std::string bmp = QuadrantPicture(5, 4, piece.cx, piece.cy);
    ASSERT_TRUE(clipboard.Put({{CF_DIB, bmp.substr(14)}}));
    game.Key('V', modCtrl);
    ASSERT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }));
    ASSERT_EQ(PastedPictures(game).size(), 1u);

    std::string noise(5000, '\0');
    srand(22);
    for (char& c : noise) c = static_cast<char>(rand());
    const struct {
        const char* name;
        TClipboardFiller::TForm form;
        const char* failure;
        const char* description;
    } refused[] = {
        {"random bytes as PNG", {PngFormat(), noise}, "Failed to load game.", "The file could not be read as a picture."},
        {"a bitmap cut short", {CF_DIB, bmp.substr(14, bmp.size() / 2)}, "Failed to paste picture.",
         "The bitmap on the clipboard could not be read."},
        {"a bitmap claiming 60000 x 60000 pixels",
         {CF_DIB, Le32(40) + Le32(60000) + Le32(60000) + Le16(1) + Le16(24) + std::string(24, '\0') + noise},
         "Failed to paste picture.", "The picture of 60000 x 60000 pixels is too large to load."},
    };
    for (const auto& test : refused) {
        SCOPED_TRACE(test.name);
        ASSERT_TRUE(clipboard.Put({test.form}));
        game.Key('V', modCtrl);
        const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId()));
        ASSERT_TRUE(dialog.Open());
        const std::string report = dialog.Report();
        EXPECT_EQ(report.rfind(std::string("DESCRIPTION\r\n") + test.failure + "\r\n", 0), 0u) << report;
        EXPECT_NE(report.find(std::string("* Description: \"") + test.description + "\""), std::string::npos) << report;
        dialog.ClickButton(idErrorOkayButton);
        ASSERT_TRUE(WaitUntil([&] { return !dialog.Open(); }));
        // The game stays, and a picture that could not be loaded leaves no file behind.
        EXPECT_EQ(game.ControlText(idTipsLabel), RandomizeTip);
        ExpectWholePicture(game, 5, 4);
        EXPECT_EQ(PastedPictures(game).size(), 1u);
    }
    EXPECT_EQ(game.Close(), 0u);
}
