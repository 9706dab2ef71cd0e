// The player's wait for the next picture of a folder (key N), timed from outside the game: the
// real program started as its own process on a folder of 24-megapixel JPEGs, the key posted to
// its window, and the time until the screen shows the new picture in both picture areas and the
// window answers messages again. The screen is what the player sees: Wine hands a window's
// painting to the X server once its thread waits for messages again, so the new pixels there mean
// that the load, the painting and that hand-over have all happened; the answer after them means
// the window takes the player's next key.
//   (a) the game as it ships, its decode behind the wall in the decoder process
//   (b) the same game with the decode in its own process (TILVANE_DECODE_IN_GAME_PROCESS)
//   (c) one GDI+ load and high-quality draw of the file at the puzzle image's size, in this process
//   (d) libjpeg-turbo's own decode of the file at 1/8 scale, in this process: the file read, the
//       header, every scanline; the floor of any load, as it skips all it can but the entropy
//       decoding. Beside it the same at the scale that covers the puzzle image, which the game
//       needs on this screen.
// The game is Tilvane.exe staged beside this program, copied into a folder of its own.
#include "Tilvane/TilvaneIds.h"
#include "tests/bench/win/BenchMeasure.h"
#include "tests/support/GdiplusPictures.h"
#include "tests/support/TestFiles.h"

#include <windows.h>

#include <cstdio>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

const int Pictures = 5;
const int Loads = 15;  // timed each way, after one untimed load
const int PlainRuns = 5;
const int PictureWidth = 6000, PictureHeight = 4000;
// One colour for each picture, far apart, so that the screen tells which one it shows.
const COLORREF Tints[Pictures] = {RGB(200, 60, 60), RGB(60, 180, 80), RGB(60, 80, 210), RGB(210, 200, 60),
                                  RGB(190, 70, 190)};
const double TimeoutSeconds = 20;

int Channel(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// A photograph's stand-in: the picture's tint, slow waves of light over it and a sensor's grain,
// which leaves the entropy decoding about as much work as a photograph's (some 4 MB of file).
bool MakePhotoLikeJpeg(const std::string& path, COLORREF tint) {
    CLSID encoder;
    uint32_t noise = 0x9E3779B9u ^ tint;
    return EncoderFor(L"image/jpeg", encoder) &&
           WritePictureFile(
               std::wstring(path.begin(), path.end()), PictureWidth, PictureHeight,
               [&](int x, int y) {
                   noise = noise * 1664525u + 1013904223u;
                   const int grain = static_cast<int>(noise >> 27) - 16;
                   const int wave = ((x / 40 + y / 60) % 16) - 8;
                   const int light = grain + wave;
                   return 0xFF000000u | (static_cast<uint32_t>(Channel(GetRValue(tint) + light)) << 16) |
                          (static_cast<uint32_t>(Channel(GetGValue(tint) + light)) << 8) |
                          static_cast<uint32_t>(Channel(GetBValue(tint) + light));
               },
               PixelFormat32bppRGB, encoder) == Gdiplus::Ok;
}

std::string PictureName(int index) { return std::to_string(index + 1) + ".jpg"; }

// A small square of the screen, read as often as the wait needs.
class TScreenPatch {
public:
    explicit TScreenPatch(POINT centre) : centre_(centre) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = Side;
        info.bmiHeader.biHeight = -Side;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateDIBSection(screen_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        previous_ = SelectObject(memory_, bitmap_);
    }
    ~TScreenPatch() {
        SelectObject(memory_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    TScreenPatch(const TScreenPatch&) = delete;
    TScreenPatch& operator=(const TScreenPatch&) = delete;

    // Which picture the square shows by its mean colour, or -1 when it is near none of the tints.
    int ShownPicture() {
        BitBlt(memory_, 0, 0, Side, Side, screen_, centre_.x - Side / 2, centre_.y - Side / 2, SRCCOPY);
        GdiFlush();
        int red = 0, green = 0, blue = 0;
        for (int i = 0; i < Side * Side; ++i) {
            red += (bits_[i] >> 16) & 0xFF;
            green += (bits_[i] >> 8) & 0xFF;
            blue += bits_[i] & 0xFF;
        }
        red /= Side * Side, green /= Side * Side, blue /= Side * Side;
        for (int picture = 0; picture < Pictures; ++picture) {
            const int dr = red - GetRValue(Tints[picture]), dg = green - GetGValue(Tints[picture]),
                      db = blue - GetBValue(Tints[picture]);
            if (dr * dr + dg * dg + db * db < 50 * 50) return picture;
        }
        return -1;
    }

private:
    static const int Side = 12;
    POINT centre_;
    HDC screen_ = nullptr, memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};

struct TWindowSearch {
    DWORD ProcessId;
    int Id;
    HWND Found;
};

BOOL CALLBACK AcceptGameWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != search->ProcessId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) ||
        std::string(name) != "TilvaneForm")
        return TRUE;
    search->Found = window;
    return FALSE;
}

BOOL CALLBACK AcceptShownControl(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    if (GetDlgCtrlID(window) != search->Id || !IsWindowVisible(window)) return TRUE;
    search->Found = window;
    return FALSE;
}

// The control's client rectangle on the screen; empty while none with the id is shown.
RECT ShownControl(HWND window, int id) {
    TWindowSearch search = {0, id, nullptr};
    EnumChildWindows(window, AcceptShownControl, reinterpret_cast<LPARAM>(&search));
    RECT client = {};
    if (!search.Found || !GetClientRect(search.Found, &client)) return RECT{};
    MapWindowPoints(search.Found, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

POINT CentreOf(const RECT& area) { return POINT{(area.left + area.right) / 2, (area.top + area.bottom) / 2}; }

template <class TCondition>
bool WaitFor(TCondition&& condition, double seconds = TimeoutSeconds) {
    for (const double start = Now(); !condition(); Sleep(1))
        if (Now() - start > seconds) return false;
    return true;
}

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(TimeoutSeconds * 1000), &result) != 0;
}

// The game started from its own folder with the first picture, until it is closed.
class TGame {
public:
    TGame(const std::string& program, const std::string& firstPicture, bool decodeInGame) {
        if (decodeInGame) SetEnvironmentVariableA("TILVANE_DECODE_IN_GAME_PROCESS", "1");
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        std::string commandLine = "\"" + program + "\" \"" + firstPicture + "\"";
        const std::string folder = program.substr(0, program.find_last_of('\\'));
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                           &started)) {
            CloseHandle(started.hThread);
            process_ = started.hProcess;
        }
        SetEnvironmentVariableA("TILVANE_DECODE_IN_GAME_PROCESS", nullptr);
        if (!process_) return;
        TWindowSearch search = {started.dwProcessId, 0, nullptr};
        WaitFor([&] {
            EnumWindows(AcceptGameWindow, reinterpret_cast<LPARAM>(&search));
            return search.Found != nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        });
        window_ = search.Found;
    }
    ~TGame() {
        if (!process_) return;
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_, 15000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
        CloseHandle(process_);
    }
    TGame(const TGame&) = delete;
    TGame& operator=(const TGame&) = delete;

    // The first picture shown in both areas, and the window in front, so that its keys work.
    bool ShowsFirstPicture() {
        auto shown = [&] {
            const RECT original = ShownControl(window_, idOriginalPictureImage);
            return !IsRectEmpty(&original);
        };
        if (!window_ || !WaitFor(shown)) return false;
        SetForegroundWindow(window_);
        if (!Answers(window_)) return false;
        puzzle_ = std::make_unique<TScreenPatch>(CentreOf(ShownControl(window_, idPuzzlePictureImage)));
        original_ = std::make_unique<TScreenPatch>(CentreOf(ShownControl(window_, idOriginalPictureImage)));
        return WaitFor([&] { return Shows(0); });
    }

    bool Shows(int picture) { return puzzle_->ShownPicture() == picture && original_->ShownPicture() == picture; }

    // Seconds from the key N to the picture on the screen and the window answering; negative when
    // that did not come in time.
    double NextPicture(int expected) {
        const double start = Now();
        const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA('N', MAPVK_VK_TO_VSC)) << 16;
        PostMessageA(window_, WM_KEYDOWN, 'N', scanCode | 1);
        PostMessageA(window_, WM_KEYUP, 'N', scanCode | 1 | (1u << 30) | (1u << 31));
        // The window thread answers only once the key's load is done: waiting for that answer leaves
        // the processors to the load instead of reading the screen meanwhile.
        if (!Answers(window_) || !WaitFor([&] { return Shows(expected); }) || !Answers(window_)) return -1;
        return Now() - start;
    }

    SIZE PuzzleSize() const {
        const RECT puzzle = ShownControl(window_, idPuzzlePictureImage);
        return SIZE{puzzle.right - puzzle.left, puzzle.bottom - puzzle.top};
    }

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
    std::unique_ptr<TScreenPatch> puzzle_, original_;
};

// Walks the folder with N: one load untimed, then Loads timed. False when a load did not show.
bool TimeWalk(const std::string& program, const std::string& folder, bool decodeInGame, TSpread& times,
              SIZE& puzzleSize) {
    TGame game(program, folder + PictureName(0), decodeInGame);
    if (!game.ShowsFirstPicture()) return false;
    puzzleSize = game.PuzzleSize();
    for (int load = 0; load <= Loads; ++load) {
        const double seconds = game.NextPicture((load + 1) % Pictures);
        if (seconds < 0) return false;
        if (load > 0) times.Add(seconds);
    }
    return true;
}

using namespace Gdiplus::DllExports;

// One GDI+ load of the file and one high-quality draw of it at the size.
bool GdiplusLoadAndDraw(const std::string& path, SIZE size) {
    Gdiplus::GpImage* image = nullptr;
    if (GdipLoadImageFromFile(std::wstring(path.begin(), path.end()).c_str(), &image) != Gdiplus::Ok) return false;
    const bool drawn = DrawnByGdiplus(image, size.cx, size.cy) != nullptr;
    GdipDisposeImage(image);
    return drawn;
}

// libjpeg-turbo's decode of the file at 1/denominator, as its own tools do it: errors end this
// process, the file being our own.
bool DecodeScaledDown(const std::string& path, unsigned denominator) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = denominator;
    jpeg_start_decompress(&info);
    std::vector<JSAMPLE> row(static_cast<size_t>(info.output_width) * info.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (info.output_scanline < info.output_height) jpeg_read_scanlines(&info, rows, 1);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

// Once untimed, then PlainRuns timed.
template <class TStep>
bool TimeInThisProcess(TStep&& step, TSpread& times) {
    if (!step()) return false;
    for (int run = 0; run < PlainRuns; ++run) {
        const double start = Now();
        step();
        times.Add(Now() - start);
    }
    return true;
}

long long FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The smallest of libjpeg-turbo's scales that still covers the puzzle image.
unsigned CoveringDenominator(SIZE puzzle) {
    unsigned denominator = 8;
    while (denominator > 1 && (static_cast<long>((PictureWidth + denominator - 1) / denominator) < puzzle.cx ||
                               static_cast<long>((PictureHeight + denominator - 1) / denominator) < puzzle.cy))
        denominator /= 2;
    return denominator;
}

std::string StagedProgram() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string text = self;
    return text.substr(0, text.find_last_of('\\') + 1) + "Tilvane.exe";
}

}  // namespace

int main() {
    const TGdiplusSession gdiplus;
    const TTempFolder folder("BenchNextPicture");
    const std::string program = folder / "Tilvane.exe", pictures = folder / "pictures\\";
    CreateFolderChain(folder / "pictures");
    if (!CopyFileA(StagedProgram().c_str(), program.c_str(), FALSE)) {
        std::printf("Tilvane.exe is not staged beside the benchmark\n");
        return 1;
    }
    for (int picture = 0; picture < Pictures; ++picture)
        if (!MakePhotoLikeJpeg(pictures + PictureName(picture), Tints[picture])) {
            std::printf("could not make the pictures\n");
            return 1;
        }
    TSpread wall, inGame, gdiplusDraw, eighth, covering;
    SIZE puzzleSize = {};
    if (!TimeWalk(program, pictures, false, wall, puzzleSize) || !TimeWalk(program, pictures, true, inGame, puzzleSize)) {
        std::printf("a picture did not show within %.0f s\n", TimeoutSeconds);
        return 1;
    }
    const std::string second = pictures + PictureName(1);
    const unsigned denominator = CoveringDenominator(puzzleSize);
    if (!TimeInThisProcess([&] { return GdiplusLoadAndDraw(second, puzzleSize); }, gdiplusDraw) ||
        !TimeInThisProcess([&] { return DecodeScaledDown(second, 8); }, eighth) ||
        !TimeInThisProcess([&] { return DecodeScaledDown(second, denominator); }, covering)) {
        std::printf("the picture could not be decoded in this process\n");
        return 1;
    }
    std::printf("next picture (key N) of a folder of %d JPEGs of %d x %d (%.1f MB each), puzzle image %ld x %ld;\n"
                "medians of %d loads from the key to the picture on the screen and the window answering "
                "(least to most):\n",
                Pictures, PictureWidth, PictureHeight, static_cast<double>(FileBytes(second)) / (1024.0 * 1024.0),
                puzzleSize.cx, puzzleSize.cy, Loads);
    const std::string covers = "      and at 1/" + std::to_string(denominator) + ", which covers the puzzle image";
    std::printf("%-48s%s\n", "  (a) through the decoder wall", wall.Text().c_str());
    std::printf("%-48s%s\n", "  (b) decoded in the game's process", inGame.Text().c_str());
    std::printf("%-48s%s  (medians of %d)\n", "  (c) GDI+ load and draw, this process", gdiplusDraw.Text().c_str(),
                PlainRuns);
    std::printf("%-48s%s  (medians of %d)\n", "  (d) libjpeg-turbo at 1/8, this process", eighth.Text().c_str(),
                PlainRuns);
    std::printf("%-48s%s\n", covers.c_str(), covering.Text().c_str());
    std::printf("  (a)/(d) = %.2f   (a)/(b) = %.2f\n", wall.Median() / eighth.Median(), wall.Median() / inGame.Median());
    return 0;
}
