// Pictures through the picture engine's own decoders under Wine. Every kind of JPEG looks as
// GDI+ alone shows it, at full size and scaled down, and one beyond the budget of the other
// formats loads scaled to its areas (refusals: GameWindowTests). Every kind of WebP and AVIF looks
// as the same picture saved as PNG, whole and scaled, whatever the file's name; damaged and
// hostile ones are refused with the clear error. The pictures come from
// scripts/make-test-pictures.sh (ImageMagick, cwebp, avifenc), staged in C:\Tilvane\pictures.
#include "Include/BitmapCanvas.h"
#include "Include/Core/FunStat.h"
#include "Include/MyGDIPlus.h"
#include "Include/WideText.h"
#include "support/GdiplusPictures.h"
#include "support/TestFiles.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string StagedPicture(const std::string& name) { return "C:\\Tilvane\\pictures\\" + name; }

class JpegPictureTest : public ::testing::Test {
protected:
    void SetUp() override { CurrentFunStatContext.Reset(fsPerfect); }
    void TearDown() override { CurrentFunStatContext.Reset(fsPerfect); }

    std::unique_ptr<TPicture> Load(const std::string& path, const std::vector<TPictureSize>& areas) {
        EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES)
            << path << " is missing: scripts/make-test-pictures.sh makes it";
        std::unique_ptr<TPicture> picture = LoadPictureFile(path, areas);
        EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
        return picture;
    }

    // How close the picture painted by the engine, fitted into width x height, comes to GDI+'s
    // own full decode drawn at that size (PSNR in dB), and, as the measure of a faithful
    // reduction, how close each comes to GDI+'s full decode averaged over each pixel's footprint.
    struct TQuality {
        double AgainstGdiplus = 0, OursAgainstAverage = 0, GdiplusAgainstAverage = 0;
    };
    TQuality CompareWithGdiplus(const std::string& path, const TPicture& picture, int width, int height) {
        TQuality quality;
        std::unique_ptr<TBitmapCanvas> ours = PaintPictureUsingGrid(picture, true, width, height, 1, 1);
        std::unique_ptr<TBitmapCanvas> whole = DrawnByGdiplus(Utf8ToWide(path), picture.Width(), picture.Height());
        if (!ours || !whole) {
            ADD_FAILURE() << "no bitmap to compare";
            return quality;
        }
        std::unique_ptr<TBitmapCanvas> drawn = DrawnByGdiplus(Utf8ToWide(path), ours->Width(), ours->Height());
        std::unique_ptr<TBitmapCanvas> average = AreaAveraged(*whole, ours->Width(), ours->Height());
        quality.AgainstGdiplus = PeakSignalToNoise(*ours, *drawn);
        quality.OursAgainstAverage = PeakSignalToNoise(*ours, *average);
        quality.GdiplusAgainstAverage = PeakSignalToNoise(*drawn, *average);
        return quality;
    }


    // Loads the WebP or AVIF picture whole and scaled into a third of each side, and compares each
    // with its PNG as GDI+ shows it: drawn at full size, and averaged down for the scaled one.
    // decodedSide is the width a third of the area should be decoded at.
    void ExpectLooksAsItsPng(const std::string& name, int decodedSide, TPictureSize size = {800, 600}) {
        SCOPED_TRACE(name);
        const std::string path = StagedPicture(name);
        std::unique_ptr<TPicture> whole = Load(path, {});
        ASSERT_NE(whole, nullptr);
        const int width = whole->Width(), height = whole->Height();
        EXPECT_EQ(width, size.Width);
        EXPECT_EQ(height, size.Height);
        EXPECT_EQ(whole->DecodedWidth(), width);
        std::unique_ptr<TBitmapCanvas> ours = PaintPictureUsingGrid(*whole, true, width, height, 1, 1);
        std::unique_ptr<TBitmapCanvas> png = DrawnByGdiplus(Utf8ToWide(path + ".png"), width, height);
        ASSERT_TRUE(ours && png);
        const double wholeQuality = PeakSignalToNoise(*ours, *png);
        EXPECT_GE(wholeQuality, 30.0);

        std::unique_ptr<TPicture> scaled = Load(path, {{width / 3, height / 3}});
        ASSERT_NE(scaled, nullptr);
        EXPECT_EQ(scaled->DecodedWidth(), decodedSide);
        std::unique_ptr<TBitmapCanvas> small = PaintPictureUsingGrid(*scaled, true, width / 3, height / 3, 1, 1);
        ASSERT_NE(small, nullptr);
        const double scaledQuality = PeakSignalToNoise(*small, *AreaAveraged(*png, small->Width(), small->Height()));
        EXPECT_GE(scaledQuality, 30.0);
        std::printf("  %-22s whole: %.1f dB, a third: %.1f dB against the PNG\n", name.c_str(), wholeQuality, scaledQuality);
    }

    // Loading the bytes as a file must fail with the message given and keep nothing.
    void ExpectRefused(const std::string& bytes, const std::string& message) {
        TTempFolder folder("OwnDecoders");
        const std::string path = folder / "hostile.png";
        WriteFileBytes(path, bytes);
        EXPECT_EQ(LoadPictureFile(path, {}), nullptr);
        EXPECT_EQ(CurrentFunStatContext.Status, fsError);
        EXPECT_EQ(CurrentFunStatContext.Description, message);
        CurrentFunStatContext.Reset(fsPerfect);
    }
};

const char* const Unreadable = "The file could not be read as a picture.";

}  // namespace

// Lossy and lossless, each with alpha, and an animation: libwebp scales to the size asked.
TEST_F(JpegPictureTest, EveryKindOfWebpLooksAsItsPng) {
    for (const char* name : {"lossy.webp", "lossless.webp", "lossy-alpha.webp", "lossless-alpha.webp", "animated.webp"})
        ExpectLooksAsItsPng(name, 266);
}

// 8, 10 and 12 bits, with alpha, an animation and turned pictures: reduced by whole blocks of
// 3 x 3 here, to 267 x 200. Pictures made of 2 x 2 tiles, with and without alpha, cut to their
// output size: a third of 799 x 599 needs a little more than a third of its height, so blocks of
// 2 x 2.
TEST_F(JpegPictureTest, EveryKindOfAvifLooksAsItsPng) {
    for (const char* name : {"8bit-420.avif", "10bit-422.avif", "12bit-444.avif", "alpha.avif", "animated.avif",
                             "turned-1-none.avif", "turned-2-0.avif", "turned-3-1.avif", "turned-0-1.avif"})
        ExpectLooksAsItsPng(name, 267);
    ExpectLooksAsItsPng("grid-2x2.avif", 400, {799, 599});
    ExpectLooksAsItsPng("grid-2x2-alpha.avif", 399, {798, 598});
}

// Recognised by their first bytes whatever their names; cut short, random bytes after the first
// ones, or a header claiming a picture far beyond the budget: refused with the clear error.
TEST_F(JpegPictureTest, WebpAndAvifAreKnownByContentAndHostileOnesRefused) {
    TTempFolder folder("OwnDecoders");
    for (const char* name : {"lossy.webp", "8bit-420.avif"}) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadFileBytes(StagedPicture(name));
        WriteFileBytes(folder / "named.jpg", bytes);
        std::unique_ptr<TPicture> picture = Load(folder / "named.jpg", {});
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->Width(), 800);
        ExpectRefused(bytes.substr(0, bytes.size() * 2 / 3), Unreadable);
        std::string noise = bytes;
        // Random after the first 32 bytes, which hold the WebP signature or the AVIF file type. (A
        // VP8 stream has no checksum: random data behind whole chunk headers decodes to noise.)
        for (size_t i = 32; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 7919 >> 3);
        ExpectRefused(noise, Unreadable);
    }
    std::string bomb = ReadFileBytes(StagedPicture("8bit-420.avif"));
    bomb.replace(bomb.find("ispe") + 8, 8, std::string("\x00\x00\x75\x30\x00\x00\x4E\x20", 8));
    ExpectRefused(bomb, "The picture of 30000 x 20000 pixels is too large to load.");
}

TEST_F(JpegPictureTest, EveryKindLooksAsGdiplusShowsItWholeAndScaledDown) {
    for (const char* name : {"plasma.jpg", "progressive.jpg", "grey.jpg", "ycck.jpg", "photo.jpg"}) {
        SCOPED_TRACE(name);
        const std::string path = StagedPicture(name);
        std::unique_ptr<TPicture> whole = Load(path, {});
        ASSERT_NE(whole, nullptr);
        const int width = whole->Width(), height = whole->Height();
        EXPECT_EQ(whole->DecodedWidth(), width);
        const TQuality wholeQuality = CompareWithGdiplus(path, *whole, width, height);
        EXPECT_GE(wholeQuality.AgainstGdiplus, 40.0);

        // A third of each side: decoded at half the size, then resampled as GDI+ resamples.
        std::unique_ptr<TPicture> scaled = Load(path, {{width / 3, height / 3}, {width / 4, height / 4}});
        ASSERT_NE(scaled, nullptr);
        EXPECT_EQ(scaled->Width(), width);
        EXPECT_EQ(scaled->DecodedWidth(), (width + 1) / 2);
        EXPECT_EQ(scaled->DecodedHeight(), (height + 1) / 2);
        const TQuality scaledQuality = CompareWithGdiplus(path, *scaled, width / 3, height / 3);
        // Wine's GDI+ samples the whole picture without a prefilter when it reduces, so its own
        // drawing aliases; the scaled decode averages, and must come nearer the faithful reduction.
        EXPECT_GE(scaledQuality.OursAgainstAverage, 40.0);
        EXPECT_GT(scaledQuality.OursAgainstAverage, scaledQuality.GdiplusAgainstAverage);
        EXPECT_GE(scaledQuality.AgainstGdiplus, 30.0);
        std::printf("  %-16s whole: %.1f dB against GDI+; a third: %.1f dB against GDI+, against the average ours %.1f dB, GDI+'s %.1f dB\n",
                    name, wholeQuality.AgainstGdiplus, scaledQuality.AgainstGdiplus, scaledQuality.OursAgainstAverage,
                    scaledQuality.GdiplusAgainstAverage);
    }
}

TEST_F(JpegPictureTest, AJpegBeyondTheOtherFormatsBudgetLoadsScaledToItsAreas) {
    std::unique_ptr<TPicture> picture = Load(StagedPicture("gradient-200mp.jpg"), {{1190, 880}, {440, 500}});
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 16320);
    EXPECT_EQ(picture->Height(), 12256);
    EXPECT_EQ(picture->DecodedWidth(), 2040);
    EXPECT_EQ(picture->DecodedHeight(), 1532);
    int columns = 0, rows = 0;
    std::unique_ptr<TBitmapCanvas> puzzle = PaintPictureToGrid(*picture, true, 1190, 880, 160, 125, 30, 30, columns, rows);
    ASSERT_NE(puzzle, nullptr);
    EXPECT_EQ(columns, 7);
    EXPECT_EQ(rows, 7);
    // Navy at the top, orange at the bottom.
    const uint32_t top = puzzle->Pixels()[puzzle->Width() / 2], bottom = puzzle->Pixels()[puzzle->Width() * (puzzle->Height() - 1)];
    EXPECT_GT(top & 0xFF, (top >> 16) & 0xFF) << std::hex << top;
    EXPECT_GT((bottom >> 16) & 0xFF, bottom & 0xFF) << std::hex << bottom;
}
