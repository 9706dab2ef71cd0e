// JPEG pictures loaded as the game loads them against one plain GDI+ decode and draw, each
// measurement in a process of its own, so that each has its own peak of memory:
//   GDI+:     one GdipLoadImageFromFile + one high-quality draw of that image at the puzzle
//             image's size
//   new load: LoadPictureFile told the two areas + the puzzle image (7 x 7 pieces) + the
//             original image, as the game window paints them, its decode in the warm decoder
//             process; beside it the same in this process (the decode before the wall), and the
//             first load after a cold start of the decoder process, with the bytes copied back
// Then the quality of the puzzle image: its PSNR against today's path (GDI+'s full decode drawn
// at the same size) and, as the measure of a faithful reduction, of both against GDI+'s full
// decode averaged over each pixel's footprint. Last, where the game window's reload of the
// 24-megapixel picture (Ctrl+F5) spends its time: the whole reload with the window painted, against
// its steps done alone at the window's own sizes. Then the same photograph as WebP (quality 90)
// and AVIF loaded as the game loads it against a plain full decode by the format's own library
// (libwebp's WebPDecodeBGRA; dav1d's first picture of the AV1 data), each of the file read whole
// first. The pictures come from scripts/make-test-pictures.sh.
//   BenchJpegLoad                                everything
//   BenchJpegLoad gdiplus|game|inprocess|cold|quality|plain P
//                                                one measurement of picture P, one line of figures
//   BenchJpegLoad reload P                       the reload's split for picture P
#include "Include/BitmapCanvas.h"
#include "Include/Core/AvifContainer.h"
#include "Include/Core/FunStat.h"
#include "Include/MyGDIPlus.h"
#include "Include/PictureDecoderClient.h"
#include "Include/WideText.h"
#include "Include/PictureDecoderServer.h"
#include "tests/bench/BenchCommon.h"
#include "tests/bench/win/BenchMeasure.h"
#include "tests/bench/win/BenchWindow.h"
#include "tests/support/GdiplusPictures.h"

#include <windows.h>
#include <psapi.h>

#include <dav1d/dav1d.h>
#include <webp/decode.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace Gdiplus::DllExports;

namespace {

const int Runs = 3;
// The game's areas on a large screen, and the grid of a new game.
const TPictureSize PuzzleArea = {1190, 880}, OriginalArea = {440, 500};
const int Columns = 7, Rows = 7;

TPictureSize PuzzleSize(int32_t width, int32_t height) {
    TPictureSize fitted;
    FitPictureSize(width, height, PuzzleArea.Width, PuzzleArea.Height, true, fitted.Width, fitted.Height);
    return fitted;
}

// One GDI+ load and one draw of the loaded image, as a program that only shows the picture does
// (Wine's GDI+ decodes the whole picture on load); false when GDI+ could not load or draw it.
bool GdiplusLoadAndDraw(const std::string& path) {
    Gdiplus::GpImage* image = nullptr;
    if (GdipLoadImageFromFile(Utf8ToWide(path).c_str(), &image) != Gdiplus::Ok) return false;
    UINT width = 0, height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    const TPictureSize size = PuzzleSize(static_cast<int32_t>(width), static_cast<int32_t>(height));
    const bool drawn = DrawnByGdiplus(image, size.Width, size.Height) != nullptr;
    GdipDisposeImage(image);
    return drawn;
}

using TLoader = std::unique_ptr<TPicture> (*)(const std::string&, const std::vector<TPictureSize>&);

std::unique_ptr<TBitmapCanvas> NewLoad(const std::string& path, int32_t& decodedWidth,
                                       TLoader load = LoadPictureFile) {
    std::unique_ptr<TPicture> picture = load(path, {PuzzleArea, OriginalArea});
    if (!picture) return nullptr;
    decodedWidth = picture->DecodedWidth();
    int columns = 0, rows = 0;
    std::unique_ptr<TBitmapCanvas> puzzle =
        PaintPictureToGrid(*picture, true, PuzzleArea.Width, PuzzleArea.Height, PuzzleArea.Width / Columns,
                           PuzzleArea.Height / Rows, 30, 30, columns, rows);
    std::unique_ptr<TBitmapCanvas> original =
        PaintPictureUsingGrid(*picture, true, OriginalArea.Width, OriginalArea.Height, columns, rows);
    return original ? std::move(puzzle) : nullptr;
}

// Times a step: once to warm the file cache and the code, then the median of Runs.
template <class TStep>
int MeasureInThisProcess(TStep&& step) {
    if (!step()) {
        std::printf("failed %.1f\n", PeakMegabytes());
        return 1;
    }
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        const double start = Now();
        step();
        times.push_back(Now() - start);
    }
    std::printf("%.1f %.1f %.2f\n", bench::Median(times) * 1e3, PeakMegabytes(),
                static_cast<double>(DecoderBytesCopiedLastTime()) / (1024.0 * 1024.0));
    return 0;
}

// The first load after the decoder process was ended: its start is part of that load.
int MeasureColdStarts(const std::string& path) {
    std::vector<double> times;
    int32_t decodedWidth = 0;
    for (int run = 0; run < Runs; ++run) {
        EndPictureDecoder();
        const double start = Now();
        if (!NewLoad(path, decodedWidth)) {
            std::printf("failed\n");
            return 1;
        }
        times.push_back(Now() - start);
    }
    std::printf("%.1f %.1f\n", bench::Median(times) * 1e3, PeakMegabytes());
    return 0;
}

int Quality(const std::string& path) {
    int32_t decodedWidth = 0;
    std::unique_ptr<TBitmapCanvas> ours = NewLoad(path, decodedWidth);
    std::unique_ptr<TPicture> whole = LoadPictureFile(path);
    if (!ours || !whole) {
        std::printf("failed\n");
        return 1;
    }
    // Today's puzzle image: the whole picture decoded by GDI+ and resampled to the same size.
    std::unique_ptr<TBitmapCanvas> today = DrawnByGdiplus(Utf8ToWide(path), ours->Width(), ours->Height());
    std::unique_ptr<TBitmapCanvas> full = DrawnByGdiplus(Utf8ToWide(path), whole->Width(), whole->Height());
    if (!today || !full) {
        std::printf("failed\n");
        return 1;
    }
    std::unique_ptr<TBitmapCanvas> average = AreaAveraged(*full, ours->Width(), ours->Height());
    std::printf("%.1f %.1f %.1f %d %d %d\n", PeakSignalToNoise(*ours, *today), PeakSignalToNoise(*ours, *average),
                PeakSignalToNoise(*today, *average), ours->Width(), ours->Height(), decodedWidth);
    return 0;
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[1 << 16];
        for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.append(block, got);
        std::fclose(file);
    }
    return bytes;
}

void KeepBytes(const uint8_t*, void*) {}

// dav1d's first picture of the file's primary AV1 data, as a plain player would decode it.
bool PlainAv1Decode(const std::string& bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const TAvifLayout layout = ReadAvifLayout(data, bytes.size());
    if (!layout.Found || layout.Colour.size() != 1 || layout.Colour[0].size() != 1) return false;
    Dav1dSettings settings;
    dav1d_default_settings(&settings);
    settings.max_frame_delay = 1;
    Dav1dContext* context = nullptr;
    if (dav1d_open(&context, &settings) < 0) return false;
    Dav1dData av1 = {};
    Dav1dPicture picture = {};
    dav1d_data_wrap(&av1, data + layout.Colour[0][0].Offset, layout.Colour[0][0].Size, KeepBytes, nullptr);
    int got = DAV1D_ERR(EAGAIN);
    while (got == DAV1D_ERR(EAGAIN)) {
        if (av1.sz > 0 && dav1d_send_data(context, &av1) < 0) break;
        got = dav1d_get_picture(context, &picture);
        if (got == DAV1D_ERR(EAGAIN) && av1.sz == 0) break;
    }
    const bool decoded = got == 0;
    dav1d_picture_unref(&picture);
    dav1d_data_unref(&av1);
    dav1d_close(&context);
    return decoded;
}

bool PlainLibraryDecode(const std::string& path) {
    const std::string bytes = FileBytes(path);
    if (path.size() > 5 && path.compare(path.size() - 5, 5, ".avif") == 0) return PlainAv1Decode(bytes);
    int width = 0, height = 0;
    uint8_t* pixels = WebPDecodeBGRA(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &width, &height);
    WebPFree(pixels);
    return pixels != nullptr;
}

const int ReloadRuns = 7;

// The reload as the command runs it, then the window painted, which paint times when given;
// false when nothing was shown.
bool ReloadInWindow(TTilvaneForm& form, TTilvaneFormTestAccess& inside, const std::string& path,
                    TSpread* paint = nullptr) {
    inside.LoadGameFromPicture(path);
    const double start = Now();
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (paint) paint->Add(Now() - start);
    return inside.PuzzlePictureImage && inside.PuzzlePictureImage->BitmapWidth() > 0;
}

int ReloadSplit(const std::string& path) {
    TBenchGameWindow window;
    TTilvaneForm& form = window.Form;
    TTilvaneFormTestAccess& inside = window.Inside;
    if (!ReloadInWindow(form, inside, path)) {
        std::printf("the picture did not load\n");
        return 1;
    }
    TSpread whole, paint, decode, smallest, puzzle, copy, original;
    for (int run = 0; run < ReloadRuns; ++run) {
        double start = Now();
        ReloadInWindow(form, inside, path, &paint);
        whole.Add(Now() - start);
        // The window's steps alone, with its areas and piece size, on a picture of their own.
        const std::vector<TPictureSize> areas = inside.PictureAreas();
        start = Now();
        std::unique_ptr<TPicture> picture = LoadPictureFile(path, areas);
        decode.Add(Now() - start);
        if (!picture) return 1;
        // At 1/8 hardly more than the entropy decoding is left, which no scale skips.
        start = Now();
        LoadPictureFile(path, {TPictureSize{1, 1}});
        smallest.Add(Now() - start);
        int columns = 0, rows = 0;
        start = Now();
        std::unique_ptr<TBitmapCanvas> painted = PaintPictureToGrid(
            *picture, true, areas[0].Width, areas[0].Height, inside.PieceWidth, inside.PieceHeight, 30, 30, columns, rows);
        puzzle.Add(Now() - start);
        if (!painted) return 1;
        start = Now();
        std::unique_ptr<TBitmapCanvas> backup = TBitmapCanvas::Create(painted->Width(), painted->Height());
        BitBlt(backup->Canvas(), 0, 0, painted->Width(), painted->Height(), painted->Canvas(), 0, 0, SRCCOPY);
        GdiFlush();
        copy.Add(Now() - start);
        start = Now();
        PaintPictureUsingGrid(*picture, true, areas[1].Width, areas[1].Height, columns, rows);
        original.Add(Now() - start);
    }
    const double steps = decode.Median() + puzzle.Median() + copy.Median() + original.Median();
    std::printf("  reload in the game window (Ctrl+F5, %d x %d puzzle image), medians of %d runs (least to most):\n",
                inside.PuzzlePictureImage->BitmapWidth(), inside.PuzzlePictureImage->BitmapHeight(), ReloadRuns);
    std::printf("    whole reload, window painted %s\n", whole.Text().c_str());
    std::printf("    decode alone                 %s\n", decode.Text().c_str());
    std::printf("      (the same decode at 1/8    %s)\n", smallest.Text().c_str());
    std::printf("    puzzle image resampled       %s\n", puzzle.Text().c_str());
    std::printf("    its backup copy              %s\n", copy.Text().c_str());
    std::printf("    original image               %s\n", original.Text().c_str());
    std::printf("    the window's own work        %8.1f ms  (the whole less the steps)\n", whole.Median() - steps);
    std::printf("      of which painting it       %s\n", paint.Text().c_str());
    std::printf("    whole reload = %.2f x the decode alone\n", whole.Median() / decode.Median());
    return 0;
}

int MeasureOne(const std::string& what, const std::string& path) {
    if (what == "plain") return MeasureInThisProcess([&] { return PlainLibraryDecode(path); });
    if (what == "gdiplus") return MeasureInThisProcess([&] { return GdiplusLoadAndDraw(path); });
    if (what == "game") {
        int32_t decodedWidth = 0;
        return MeasureInThisProcess([&] { return NewLoad(path, decodedWidth) != nullptr; });
    }
    if (what == "inprocess") {
        int32_t decodedWidth = 0;
        return MeasureInThisProcess(
            [&] { return NewLoad(path, decodedWidth, LoadPictureFileInProcess) != nullptr; });
    }
    if (what == "cold") return MeasureColdStarts(path);
    if (what == "quality") return Quality(path);
    if (what == "reload") return ReloadSplit(path);
    if (what == "idle") {
        std::printf("0 %.1f\n", PeakMegabytes());
        return 0;
    }
    return 2;
}

// The line of figures a measurement in a process of its own printed, or all its lines.
std::string MeasuredInChild(const std::string& what, const std::string& path, bool allLines = false) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string command = std::string(self) + " " + what + " " + path;
    FILE* child = _popen(command.c_str(), "r");
    if (!child) return "failed";
    std::string text;
    char line[256] = {};
    while (std::fgets(line, sizeof line, child) && (allLines || text.empty())) text += line;
    _pclose(child);
    return text.empty() ? "failed" : text;
}

// The peak of an idle process with GDI+ started, which every figure of memory includes: the program
// itself and the system's libraries. What a load adds is its peak less this.
double IdleMegabytes = 0;

// The new load's decode in the decoder process against the same decode in the game's own process,
// and the first load after a cold start of the decoder process.
void ReportWall(const std::string& path, double wallMs, const std::string& wallLine) {
    double inMs = 0, inMb = 0, coldMs = 0, coldMb = 0, unused = 0, copiedMb = 0;
    std::sscanf(wallLine.c_str(), "%lf %lf %lf", &unused, &unused, &copiedMb);
    const std::string inProcess = MeasuredInChild("inprocess", path), cold = MeasuredInChild("cold", path);
    if (std::sscanf(inProcess.c_str(), "%lf %lf", &inMs, &inMb) == 2)
        std::printf("  decoded in the game    %8.1f ms   peak memory %7.1f MB (%.1f over idle)   new load = %.2f x it\n",
                    inMs, inMb, inMb - IdleMegabytes, wallMs / inMs);
    else
        std::printf("  decoded in the game    failed\n");
    std::printf("  pixels handed back through shared memory: %.2f MB (copied once, by the decoder process)\n", copiedMb);
    if (std::sscanf(cold.c_str(), "%lf %lf", &coldMs, &coldMb) == 2)
        std::printf("  first load after a cold start of the decoder process %8.1f ms\n", coldMs);
    else
        std::printf("  first load after a cold start failed\n");
}

// A picture stored turned is compared on time and memory only: GDI+ alone shows it unturned.
void ReportPicture(const std::string& path, const char* title, bool compareQuality = true) {
    std::fflush(stdout);
    double gdiplusMs = 0, gdiplusMb = 0, gameMs = 0, gameMb = 0;
    const std::string gdiplus = MeasuredInChild("gdiplus", path), game = MeasuredInChild("game", path);
    std::printf("%s\n", title);
    if (std::sscanf(gdiplus.c_str(), "%lf %lf", &gdiplusMs, &gdiplusMb) == 2)
        std::printf("  GDI+ load and draw     %8.1f ms   peak memory %7.1f MB\n", gdiplusMs, gdiplusMb);
    else
        std::printf("  GDI+ load and draw     could not load it (%s)\n", gdiplus.substr(0, gdiplus.find('\n')).c_str());
    if (std::sscanf(game.c_str(), "%lf %lf", &gameMs, &gameMb) != 2) {
        std::printf("  new load               failed\n");
        return;
    }
    std::printf("  new load               %8.1f ms   peak memory %7.1f MB (%.1f over idle)", gameMs, gameMb,
                gameMb - IdleMegabytes);
    if (gdiplusMs > 0) std::printf("   = %.2f x GDI+", gameMs / gdiplusMs);
    std::printf("\n");
    ReportWall(path, gameMs, game);
    if (!compareQuality) return;
    double againstToday = 0, oursAverage = 0, todayAverage = 0;
    int width = 0, height = 0, decodedWidth = 0;
    const std::string quality = MeasuredInChild("quality", path);
    if (std::sscanf(quality.c_str(), "%lf %lf %lf %d %d %d", &againstToday, &oursAverage, &todayAverage, &width, &height,
                    &decodedWidth) == 6)
        std::printf("  puzzle image %d x %d from a decode %d wide: PSNR %.1f dB against today's; against the "
                    "footprint average %.1f dB (today's %.1f dB)\n",
                    width, height, decodedWidth, againstToday, oursAverage, todayAverage);
}

// The game's load of a WebP or AVIF against its library's plain full decode.
void ReportOwnFormat(const std::string& path, const char* title) {
    std::fflush(stdout);
    double plainMs = 0, plainMb = 0, gameMs = 0, gameMb = 0;
    const std::string plain = MeasuredInChild("plain", path), game = MeasuredInChild("game", path);
    std::printf("%s\n", title);
    const bool plainRan = std::sscanf(plain.c_str(), "%lf %lf", &plainMs, &plainMb) == 2;
    const bool gameRan = std::sscanf(game.c_str(), "%lf %lf", &gameMs, &gameMb) == 2;
    if (plainRan) std::printf("  plain full decode      %8.1f ms   peak memory %7.1f MB\n", plainMs, plainMb);
    else std::printf("  plain full decode      failed\n");
    if (!gameRan) {
        std::printf("  game's load            failed\n");
        return;
    }
    std::printf("  game's load            %8.1f ms   peak memory %7.1f MB (%.1f over idle)", gameMs, gameMb,
                gameMb - IdleMegabytes);
    if (plainRan && plainMs > 0 && plainMb > 0)
        std::printf("   = %.2f x the plain decode's time, %.2f x its memory", gameMs / plainMs, gameMb / plainMb);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    // Started as its own picture decoder process, the program serves that and nothing else.
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    const TGdiplusSession gdiplus;
    int code = 0;
    if (argc == 3) {
        code = MeasureOne(argv[1], argv[2]);
    } else {
        const std::string pictures = "C:\\Tilvane\\pictures\\";
        std::printf("medians of %d runs, each kind in a process of its own; areas %d x %d and %d x %d\n", Runs,
                    PuzzleArea.Width, PuzzleArea.Height, OriginalArea.Width, OriginalArea.Height);
        std::sscanf(MeasuredInChild("idle", "-").c_str(), "%*f %lf", &IdleMegabytes);
        std::printf("peak memory: the process's peak working set; an idle one with GDI+ started has %.1f MB\n",
                    IdleMegabytes);
        ReportPicture(pictures + "photo-6000x4000.jpg", "JPEG 6000 x 4000, quality 90, photograph-like");
        std::fflush(stdout);
        std::printf("%s", MeasuredInChild("reload", pictures + "photo-6000x4000.jpg", true).c_str());
        ReportPicture(pictures + "plasma-6000x4000.jpg", "JPEG 6000 x 4000, quality 90, plasma");
        ReportPicture(pictures + "photo-16000x12000.jpg", "JPEG 16000 x 12000, quality 90, photograph-like");
        // The 6000 x 4000 photo above as a camera stores a portrait: the new load turns it upright.
        ReportPicture(pictures + "photo-portrait-turned.jpg",
                      "JPEG 4000 x 6000 portrait stored as 6000 x 4000 with its Exif orientation, photograph-like",
                      false);
        ReportOwnFormat(pictures + "photo-6000x4000.webp", "WebP 6000 x 4000, quality 90, photograph-like");
        ReportOwnFormat(pictures + "photo-6000x4000.avif", "AVIF 6000 x 4000, 8 bits 4:2:0, photograph-like");
    }
    return code;
}
