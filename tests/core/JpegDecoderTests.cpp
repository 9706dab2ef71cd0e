// The scaled JPEG decoder on pictures written here with the library's own encoder: the scale it
// picks, the size and colours it gives for every colour space a JPEG stores, and its refusals.
#include "Include/Core/JpegDecoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

struct TJpegKind {
    J_COLOR_SPACE Input;   // what the samples given are
    J_COLOR_SPACE Stored;  // what the file holds
    int Components;
    bool Progressive;
    std::vector<jpeg_scan_info> Scans = {};  // the library's own script when empty
    int LumaSampling = 0;                    // both ways; 0 keeps the library's choice
};

const TJpegKind Colour = {JCS_RGB, JCS_YCbCr, 3, false};

// A picture of four quarters; quarter (0 top left to 3 bottom right) gives the samples of a pixel.
using TQuarterSamples = std::function<void(int quarter, JSAMPLE* samples)>;

std::string WriteJpeg(int width, int height, const TJpegKind& kind, const TQuarterSamples& samples) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = kind.Components;
    info.in_color_space = kind.Input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, kind.Stored);
    jpeg_set_quality(&info, 95, TRUE);
    if (kind.Progressive) jpeg_simple_progression(&info);
    if (!kind.Scans.empty()) {
        info.scan_info = kind.Scans.data();
        info.num_scans = static_cast<int>(kind.Scans.size());
    }
    if (kind.LumaSampling) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = kind.LumaSampling;
    jpeg_start_compress(&info, TRUE);
    std::string row(static_cast<size_t>(width) * kind.Components, '\0');
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x)
            samples((y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0),
                    reinterpret_cast<JSAMPLE*>(&row[static_cast<size_t>(x) * kind.Components]));
        JSAMPROW rows[] = {reinterpret_cast<JSAMPROW>(&row[0])};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string file(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return file;
}

const uint32_t QuarterColours[] = {0xE02010, 0x20C040, 0x3040D0, 0xF0F0F0};

void RgbQuarters(int quarter, JSAMPLE* samples) {
    const uint32_t colour = QuarterColours[quarter];
    samples[0] = static_cast<JSAMPLE>(colour >> 16);
    samples[1] = static_cast<JSAMPLE>(colour >> 8);
    samples[2] = static_cast<JSAMPLE>(colour);
}

void GreyQuarters(int quarter, JSAMPLE* samples) { samples[0] = static_cast<JSAMPLE>(40 + 60 * quarter); }
const uint32_t GreyColours[] = {0x282828, 0x646464, 0xA0A0A0, 0xDCDCDC};

// The stream with its last scan written again, times more, before the end of the image.
std::string RepeatLastScan(const std::string& file, int times) {
    const size_t scan = file.rfind("\xFF\xDA"), end = file.size() - 2;
    std::string repeated = file.substr(0, end);
    for (int i = 0; i < times; ++i) repeated += file.substr(scan, end - scan);
    return repeated + file.substr(end);
}

TDecodedJpeg Decode(const std::string& file, const TJpegRequest& request = TJpegRequest()) {
    const TReadAt read = [&file](uint64_t offset, uint8_t* buffer, size_t size) -> size_t {
        if (offset >= file.size()) return 0;
        const size_t count = std::min(size, static_cast<size_t>(file.size() - offset));
        std::memcpy(buffer, file.data() + offset, count);
        return count;
    };
    return DecodeJpeg(read, request);
}

TJpegRequest ForAreas(std::vector<TPictureSize> areas) {
    TJpegRequest request;
    request.Areas = std::move(areas);
    return request;
}

uint32_t PixelAt(const TDecodedJpeg& picture, int x, int y) {
    return picture.Pixels[static_cast<size_t>(y) * picture.Width + x];
}

bool Near(uint32_t pixel, uint32_t rgb, int tolerance = 6) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// The middle of each quarter shows its colour; the fourth byte is always opaque.
void ExpectQuarters(const TDecodedJpeg& picture, const uint32_t (&colours)[4]) {
    ASSERT_EQ(picture.Outcome, TJpegOutcome::Decoded);
    ASSERT_EQ(picture.Pixels.size(), static_cast<size_t>(picture.Width) * picture.Height);
    const int w = picture.Width, h = picture.Height;
    const int xs[] = {w / 4, 3 * w / 4, w / 4, 3 * w / 4}, ys[] = {h / 4, h / 4, 3 * h / 4, 3 * h / 4};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const uint32_t pixel = PixelAt(picture, xs[quarter], ys[quarter]);
        EXPECT_TRUE(Near(pixel, colours[quarter])) << "quarter " << quarter << ": " << std::hex << pixel;
        EXPECT_EQ(pixel >> 24, 0xFFu);
    }
}

}  // namespace

TEST(JpegDecoderTest, DecodesAtTheSmallestScaleCoveringEveryArea) {
    const std::string file = WriteJpeg(800, 600, Colour, RgbQuarters);
    // 1/4 is 200 x 150; 1/8 (100 x 75) would not cover the larger area.
    const TDecodedJpeg quarter = Decode(file, ForAreas({{190, 140}, {90, 60}}));
    EXPECT_EQ(quarter.Denominator, 4);
    EXPECT_EQ(quarter.Width, 200);
    EXPECT_EQ(quarter.Height, 150);
    EXPECT_EQ(quarter.ImageWidth, 800u);
    EXPECT_EQ(quarter.ImageHeight, 600u);
    ExpectQuarters(quarter, QuarterColours);

    const TDecodedJpeg whole = Decode(file);
    EXPECT_EQ(whole.Denominator, 1);
    EXPECT_EQ(whole.Width, 800);
    EXPECT_EQ(whole.Height, 600);
    ExpectQuarters(whole, QuarterColours);
}

// A portrait photo stored in landscape order: the scale is chosen for the upright picture in its
// areas, and the pixels come out upright.
TEST(JpegDecoderTest, TurnedPicturesComeOutUprightAtTheScaleTheirAreasNeed) {
    const std::string file = WriteJpeg(800, 600, Colour, RgbQuarters);
    TJpegRequest request = ForAreas({{140, 190}});
    request.Orientation = 6;  // a quarter turn clockwise: 600 x 800 upright
    const TDecodedJpeg turned = Decode(file, request);
    EXPECT_EQ(turned.Denominator, 4);
    EXPECT_EQ(turned.Width, 150);
    EXPECT_EQ(turned.Height, 200);
    EXPECT_EQ(turned.ImageWidth, 600u);
    EXPECT_EQ(turned.ImageHeight, 800u);
    // The stored top left quarter is now the top right one, and so on round.
    const uint32_t clockwise[] = {QuarterColours[2], QuarterColours[0], QuarterColours[3], QuarterColours[1]};
    ExpectQuarters(turned, clockwise);
    // Unturned, the same areas would cover a 600-high picture at 1/4 as well, but lying down.
    const TDecodedJpeg asStored = Decode(file, ForAreas({{140, 190}}));
    EXPECT_EQ(asStored.Width, 200);
    EXPECT_EQ(asStored.Height, 150);

    // Half round, and a quarter anticlockwise for CMYK, whose rows come through a conversion.
    request.Orientation = 3;
    const uint32_t halfRound[] = {QuarterColours[3], QuarterColours[2], QuarterColours[1], QuarterColours[0]};
    ExpectQuarters(Decode(WriteJpeg(320, 240, Colour, RgbQuarters), request), halfRound);
    const auto inks = [](int quarter, JSAMPLE* samples) {
        const JSAMPLE values[4][4] = {{255, 255, 255, 255}, {0, 255, 255, 255}, {255, 255, 255, 0}, {255, 0, 255, 255}};
        std::memcpy(samples, values[quarter], 4);
    };
    request.Orientation = 8;
    const TDecodedJpeg cmyk = Decode(WriteJpeg(256, 128, {JCS_CMYK, JCS_CMYK, 4, false}, inks), request);
    EXPECT_EQ(cmyk.Width, 128);
    ExpectQuarters(cmyk, {0x00FFFF, 0xFF00FF, 0xFFFFFF, 0x000000});
}

TEST(JpegDecoderTest, ThePixelBudgetTakesASmallerScale) {
    TJpegRequest request;
    request.MaxPixels = 100000;  // 1/2 would be 120000 pixels
    const TDecodedJpeg picture = Decode(WriteJpeg(800, 600, Colour, RgbQuarters), request);
    EXPECT_EQ(picture.Denominator, 4);
    EXPECT_EQ(picture.Width, 200);
}

TEST(JpegDecoderTest, ProgressiveRgbAndGreyscalePicturesDecode) {
    ExpectQuarters(Decode(WriteJpeg(333, 201, {JCS_RGB, JCS_YCbCr, 3, true}, RgbQuarters), ForAreas({{100, 60}})),
                   QuarterColours);
    ExpectQuarters(Decode(WriteJpeg(320, 200, {JCS_RGB, JCS_RGB, 3, false}, RgbQuarters)), QuarterColours);
    const TDecodedJpeg grey =
        Decode(WriteJpeg(320, 200, {JCS_GRAYSCALE, JCS_GRAYSCALE, 1, false}, GreyQuarters), ForAreas({{80, 50}}));
    EXPECT_EQ(grey.Denominator, 4);
    ExpectQuarters(grey, GreyColours);
}

TEST(JpegDecoderTest, CmykAndYcckInksTakeTheirShareOfTheLight) {
    // Adobe's inverted inks, as the library writes them with its Adobe marker: 255 is no ink.
    const auto inks = [](int quarter, JSAMPLE* samples) {
        const JSAMPLE values[4][4] = {{255, 255, 255, 255}, {0, 255, 255, 255}, {255, 255, 255, 0}, {128, 255, 64, 200}};
        std::memcpy(samples, values[quarter], 4);
    };
    // White; full cyan leaves no red; full black; part inks multiplied by the light the black leaves.
    const uint32_t expected[] = {0xFFFFFF, 0x00FFFF, 0x000000, (128 * 200 / 255) << 16 | 200 << 8 | (64 * 200 / 255)};
    for (const J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        SCOPED_TRACE(stored == JCS_CMYK ? "CMYK" : "YCCK");
        ExpectQuarters(Decode(WriteJpeg(256, 128, {JCS_CMYK, stored, 4, false}, inks), ForAreas({{128, 64}})), expected);
    }
}

TEST(JpegDecoderTest, CmykWithoutAdobesMarkerCountsInksUpward) {
    const uint8_t inks[] = {0, 0, 0, 0, 255, 0, 0, 0, 127, 0, 63, 55};
    uint32_t pixels[3] = {};
    CmykToBgrx(inks, pixels, 3, false);
    EXPECT_EQ(pixels[0], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[1], 0xFF00FFFFu);
    EXPECT_EQ(pixels[2], 0xFF000000u | (128 * 200 / 255) << 16 | 200 << 8 | (192 * 200 / 255));
    CmykToBgrx(inks, pixels, 1, true);
    EXPECT_EQ(pixels[0], 0xFF000000u);
}

TEST(JpegDecoderTest, DamagedStreamsAreRefusedWithoutPixels) {
    const std::string file = WriteJpeg(640, 480, Colour, RgbQuarters);
    std::string corrupt = file;
    // Entropy-coded data overwritten with a marker: the scan ends early.
    const size_t scan = corrupt.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    corrupt.replace(scan + 200, 4, "\xFF\xD0\xFF\xD0");
    const std::string cases[] = {file.substr(0, file.size() / 2), file.substr(0, 300), corrupt,
                                 "This is a text file, not a picture.", ""};
    for (const std::string& bytes : cases) {
        const TDecodedJpeg picture = Decode(bytes, ForAreas({{64, 48}}));
        EXPECT_EQ(picture.Outcome, TJpegOutcome::Damaged) << bytes.size() << " bytes";
        EXPECT_TRUE(picture.Pixels.empty());
        EXPECT_EQ(picture.Width, 0);
    }
}

// A scan repeated without a warning from the library: each one visits all blocks of its component
// again, at any scale, so that a small file could keep the game frozen for minutes.
TEST(JpegDecoderTest, ScansRepeatedFarBeyondAnyRealPictureAreRefusedAsDamage) {
    const TJpegRequest small = ForAreas({{64, 64}});
    const TJpegKind grey = {JCS_GRAYSCALE, JCS_GRAYSCALE, 1, true, {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}}};
    const std::string greyFile = WriteJpeg(1024, 1024, grey, GreyQuarters);
    ExpectQuarters(Decode(RepeatLastScan(greyFile, 20), small), GreyColours);
    // Thousands of passes over the picture's blocks, although each scan is a few bytes.
    const TDecodedJpeg passes = Decode(RepeatLastScan(greyFile, 5000), small);
    EXPECT_EQ(passes.Outcome, TJpegOutcome::Damaged);
    EXPECT_TRUE(passes.Pixels.empty());

    // The last scan visits one block in eighteen: too many scans, before too many passes.
    const TJpegKind colour = {JCS_RGB, JCS_YCbCr, 3, true,
                              {{1, {0}, 0, 0, 0, 0}, {1, {1}, 0, 0, 0, 0}, {1, {2}, 0, 0, 0, 0},
                               {1, {0}, 1, 63, 0, 0}, {1, {1}, 1, 63, 0, 0}, {1, {2}, 1, 63, 0, 0}}, 4};
    const std::string colourFile = WriteJpeg(512, 512, colour, RgbQuarters);
    ExpectQuarters(Decode(RepeatLastScan(colourFile, 400), small), QuarterColours);
    EXPECT_EQ(Decode(RepeatLastScan(colourFile, 600), small).Outcome, TJpegOutcome::Damaged);
}

TEST(JpegDecoderTest, PicturesBeyondTheBudgetOrTheWorkingMemoryAreTooLarge) {
    // A frame of 60000 x 60000 with nothing after it: refused before any decoding.
    std::string bomb = WriteJpeg(16, 16, Colour, RgbQuarters);
    const size_t frame = bomb.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    bomb.replace(frame + 5, 4, "\xEA\x60\xEA\x60");
    const TDecodedJpeg huge = Decode(bomb, ForAreas({{100, 100}}));
    EXPECT_EQ(huge.Outcome, TJpegOutcome::TooLarge);
    EXPECT_EQ(huge.ImageWidth, 60000u);
    EXPECT_EQ(huge.ImageHeight, 60000u);

    // A progressive picture keeps all its coefficients, whatever the scale.
    TJpegRequest request = ForAreas({{50, 50}});
    request.MaxWorkingMemory = 200000;
    const TDecodedJpeg progressive = Decode(WriteJpeg(1000, 1000, {JCS_RGB, JCS_YCbCr, 3, true}, RgbQuarters), request);
    EXPECT_EQ(progressive.Outcome, TJpegOutcome::TooLarge);
    EXPECT_TRUE(progressive.Pixels.empty());
}
