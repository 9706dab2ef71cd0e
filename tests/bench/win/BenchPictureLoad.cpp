// Times loading a large picture for a new game against one plain GDI+ decode and scaled draw.
// Makes a 24-megapixel JPEG and a 12-megapixel PNG first, and removes them at the end.
//   baseline: GdipLoadImageFromFile + one high-quality draw into a 395 x 440 bitmap
//   new game: LoadPictureFile + PaintPictureToGrid (800 x 900, 7 x 7) + a backup copy of the
//             puzzle image + PaintPictureUsingGrid (440 x 500) on the resulted grid
//   decode per paint: the same paints, each after a decode of its own
#include "Framework/Controls.h"
#include "Framework/Form.h"
#include "Framework/Image.h"
#include "Include/Core/FunStat.h"
#include "Include/MyGDIPlus.h"
#include "Include/PictureDecoderServer.h"
#include "tests/bench/BenchCommon.h"
#include "tests/bench/win/BenchMeasure.h"
#include "tests/support/GdiplusPictures.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace Gdiplus::DllExports;

namespace {

const int Runs = 5;
// The areas the game paints into, which a JPEG is decoded no larger than.
const std::vector<TPictureSize> GameAreas = {{800, 900}, {440, 500}};

// Gradients, a checkerboard and fine diagonal stripes: detail that the codecs must keep.
bool MakePicture(const wchar_t* path, int width, int height, const wchar_t* mimeType) {
    CLSID encoder;
    return EncoderFor(mimeType, encoder) &&
           WritePictureFile(
               path, width, height,
               [&](int x, int y) {
                   const uint32_t red = static_cast<uint32_t>(x * 255 / width);
                   const uint32_t green = static_cast<uint32_t>(y * 255 / height);
                   const uint32_t blue = ((x / 64 + y / 64) & 1) ? 230u : static_cast<uint32_t>((x + 3 * y) & 0xFF);
                   return 0xFF000000u | (red << 16) | (green << 8) | blue;
               },
               PixelFormat32bppRGB, encoder) == Gdiplus::Ok;
}

double Baseline(const std::wstring& path) {
    const double start = Now();
    Gdiplus::GpImage* image = nullptr;
    GdipLoadImageFromFile(path.c_str(), &image);
    UINT width = 0, height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 395;
    info.bmiHeader.biHeight = -440;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, target);
    Gdiplus::GpGraphics* graphics = nullptr;
    GdipCreateFromHDC(dc, &graphics);
    GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
    GdipDrawImageRectI(graphics, image, 0, 0, 395, 440);
    GdipDeleteGraphics(graphics);
    GdiFlush();
    SelectObject(dc, previous);
    DeleteObject(target);
    DeleteDC(dc);
    GdipDisposeImage(image);
    return Now() - start;
}

struct TGame {
    TForm form;
    TGroupBox* puzzleBox = nullptr;
    TGroupBox* originalBox = nullptr;
    std::unique_ptr<TImage> puzzle, backup, original;
    int columns = 0, rows = 0;

    TGame() {
        form.CreateForm("Picture load benchmark", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 1300, 950, "Arial", 9);
        puzzleBox = form.Add<TGroupBox>(form, "Puzzle", 0, 0, 810, 930, 1);
        originalBox = form.Add<TGroupBox>(form, "Original", 820, 0, 450, 530, 2);
    }

    // As the game shows a painted bitmap: in a new control that replaces the old one.
    static void Show(TGroupBox& box, std::unique_ptr<TBitmapCanvas> bitmap, int id, std::unique_ptr<TImage>& image) {
        if (!bitmap) return;
        image = std::make_unique<TImage>(box, 5, 20, std::move(bitmap), id);
        image->SetVisible(true);
        image->Refresh();
    }
    void PaintPuzzle(const TPicture& picture) {
        Show(*puzzleBox, PaintPictureToGrid(picture, true, 800, 900, 800 / 7, 900 / 7, 30, 30, columns, rows), 10,
             puzzle);
    }
    void CopyBackup() {
        std::unique_ptr<TBitmapCanvas> copy = TBitmapCanvas::Create(puzzle->BitmapWidth(), puzzle->BitmapHeight());
        if (!copy) return;
        BitBlt(copy->Canvas(), 0, 0, copy->Width(), copy->Height(), puzzle->Canvas(), 0, 0, SRCCOPY);
        GdiFlush();
        backup = std::make_unique<TImage>(*puzzleBox, 0, 0, std::move(copy), 11);
    }
    void PaintOriginal(const TPicture& picture) {
        Show(*originalBox, PaintPictureUsingGrid(picture, true, 440, 500, columns, rows), 12, original);
    }
};

struct TSteps {
    double load = 0, puzzle = 0, backup = 0, original = 0;
    double Total() const { return load + puzzle + backup + original; }
};

TSteps NewGame(TGame& game, const std::string& path) {
    TSteps steps;
    double mark = Now();
    std::unique_ptr<TPicture> picture = LoadPictureFile(path, GameAreas);
    steps.load = Now() - mark;
    mark = Now();
    game.PaintPuzzle(*picture);
    steps.puzzle = Now() - mark;
    mark = Now();
    game.CopyBackup();
    steps.backup = Now() - mark;
    mark = Now();
    game.PaintOriginal(*picture);
    picture.reset();
    steps.original = Now() - mark;
    return steps;
}

double DecodePerPaint(TGame& game, const std::string& path) {
    const double start = Now();
    game.PaintPuzzle(*LoadPictureFile(path, GameAreas));
    game.CopyBackup();
    game.PaintOriginal(*LoadPictureFile(path, GameAreas));
    return Now() - start;
}

void Measure(TGame& game, const std::string& path, const char* title) {
    const std::wstring widePath(path.begin(), path.end());
    Baseline(widePath);  // the file into the cache, the code into memory
    NewGame(game, path);
    std::vector<double> baseline, ours, load, puzzle, backup, original, perPaint;
    for (int run = 0; run < Runs; ++run) {
        baseline.push_back(Baseline(widePath));
        const TSteps steps = NewGame(game, path);
        ours.push_back(steps.Total());
        load.push_back(steps.load);
        puzzle.push_back(steps.puzzle);
        backup.push_back(steps.backup);
        original.push_back(steps.original);
        perPaint.push_back(DecodePerPaint(game, path));
    }
    if (CurrentFunStatContext.Failed()) std::printf("  failed: %s\n", CurrentFunStatContext.Description.c_str());
    const double base = bench::Median(baseline), whole = bench::Median(ours);
    std::printf("%s (medians of %d runs)\n", title, Runs);
    std::printf("  baseline: decode + one 395 x 440 draw       %7.1f ms\n", base * 1e3);
    std::printf("  new game: load %.1f + puzzle %.1f + backup %.1f + original %.1f ms\n", bench::Median(load) * 1e3,
                bench::Median(puzzle) * 1e3, bench::Median(backup) * 1e3, bench::Median(original) * 1e3);
    std::printf("  new game total                              %7.1f ms  = %.2f x baseline (%d x %d pieces)\n",
                whole * 1e3, whole / base, game.columns, game.rows);
    std::printf("  decode per paint, for comparison            %7.1f ms  = %.2f x baseline\n",
                bench::Median(perPaint) * 1e3, bench::Median(perPaint) / base);
}

}  // namespace

int main() {
    // Started as its own picture decoder process, the program serves that and nothing else.
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    const TGdiplusSession gdiplus;
    {
        const std::string jpeg = "BenchPicture.jpg", png = "BenchPicture.png";
        double start = Now();
        const bool made = MakePicture(L"BenchPicture.jpg", 6000, 4000, L"image/jpeg") &&
                          MakePicture(L"BenchPicture.png", 4000, 3000, L"image/png");
        std::printf("pictures made in %.1f s\n", Now() - start);
        if (made) {
            TGame game;
            Measure(game, jpeg, "JPEG 6000 x 4000");
            Measure(game, png, "PNG 4000 x 3000");
        } else {
            std::printf("could not make the pictures\n");
        }
        DeleteFileA(jpeg.c_str());
        DeleteFileA(png.c_str());
    }
    return 0;
}
