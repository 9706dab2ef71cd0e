// Bitmaps as other programs put them on the clipboard: every depth and header form gives the
// same pixels, alpha that was never filled in is opaque, and damaged or huge bitmaps are refused.
#include "Include/Core/PackedDib.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A 3 x 2 picture: red, green, blue over white, black, grey.
const std::vector<uint32_t> Expected = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080};

// A 40-byte header, or a later version of headerSize bytes with the masks inside.
std::string InfoHeader(uint32_t headerSize, int32_t height, uint32_t bits, uint32_t compression, uint32_t colours = 0,
                       const std::vector<uint32_t>& masks = {}, int32_t width = 3) {
    std::string header = Le32(headerSize) + Le32(static_cast<uint32_t>(width)) + Le32(static_cast<uint32_t>(height)) +
                         Le16(1) + Le16(bits) + Le32(compression) + std::string(12, '\0') + Le32(colours) + Le32(0);
    for (const uint32_t mask : masks) header += Le32(mask);
    header.resize(headerSize, '\0');
    return header;
}

// The rows, each padded to whole 32-bit words, bottom row first unless top-down.
std::string Rows(const std::string& top, const std::string& bottom, bool topDown = false) {
    auto padded = [](std::string row) {
        row.resize((row.size() + 3) / 4 * 4, '\0');
        return row;
    };
    return topDown ? padded(top) + padded(bottom) : padded(bottom) + padded(top);
}

// The colours of Expected from first on, each written by the function.
std::string Pixels(size_t first, const std::function<std::string(uint32_t)>& write) {
    return write(Expected[first]) + write(Expected[first + 1]) + write(Expected[first + 2]);
}
std::string Bgr(uint32_t c) { return {char(c), char(c >> 8), char(c >> 16)}; }
std::string Bgrx(uint32_t c) { return Le32(c & 0xFFFFFF); }

TDibPixels Decode(const std::string& dib) {
    return DecodePackedDib(reinterpret_cast<const uint8_t*>(dib.data()), dib.size());
}

}  // namespace

TEST(PackedDibTest, EveryDepthAndHeaderGivesTheSamePixels) {
    auto rgbx = [](uint32_t c) { return Le32(((c >> 16) & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16 | 0xFF000000); };
    // 5-6-5 bits: grey 0x80 is stored as 16 of 31 and 32 of 63, which read back a little lighter.
    auto rgb565 = [](uint32_t c) { return Le16(((c >> 19) & 0x1F) << 11 | ((c >> 10) & 0x3F) << 5 | ((c >> 3) & 0x1F)); };
    std::vector<uint32_t> grey565 = Expected;
    grey565[5] = 0xFF838183;
    std::string palette;
    for (const uint32_t c : Expected) palette += Bgrx(c);
    const std::string bits24 = Rows(Pixels(0, Bgr), Pixels(3, Bgr));
    const std::string bitsRgbx = Rows(Pixels(0, rgbx), Pixels(3, rgbx));
    const struct {
        const char* name;
        std::string dib;
        std::vector<uint32_t> pixels;
    } forms[] = {
        {"24 bits", InfoHeader(40, 2, 24, 0) + bits24, Expected},
        {"24 bits, core header", Le32(12) + Le16(3) + Le16(2) + Le16(1) + Le16(24) + bits24, Expected},
        {"32 bits, top-down, alpha unused",
         InfoHeader(40, -2, 32, 0) + Rows(Pixels(0, Bgrx), Pixels(3, Bgrx), true), Expected},
        {"32 bits, masks after the header",
         InfoHeader(40, 2, 32, 3) + Le32(0xFF) + Le32(0xFF00) + Le32(0xFF0000) + bitsRgbx, Expected},
        {"32 bits, masks in a version 5 header",
         InfoHeader(124, 2, 32, 3, 0, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}) + bitsRgbx, Expected},
        {"32 bits, masks in a version 5 header and repeated after it",
         InfoHeader(124, 2, 32, 3, 0, {0xFF, 0xFF00, 0xFF0000}) + Le32(0xFF) + Le32(0xFF00) + Le32(0xFF0000) + bitsRgbx,
         Expected},
        {"16 bits, 5-6-5", InfoHeader(40, 2, 16, 3) + Le32(0xF800) + Le32(0x07E0) + Le32(0x001F) +
                               Rows(Pixels(0, rgb565), Pixels(3, rgb565)), grey565},
        {"8 bits", InfoHeader(40, 2, 8, 0, 6) + palette + Rows({0, 1, 2}, {3, 4, 5}), Expected},
        {"4 bits", InfoHeader(40, 2, 4, 0, 6) + palette + Rows({0x01, 0x20}, {0x34, 0x50}), Expected},
        {"1 bit", InfoHeader(40, 2, 1, 0, 2) + Le32(0) + Le32(0xFFFFFF) + Rows({'\xA0'}, {'\x40'}),
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000}},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form.name);
        const TDibPixels decoded = Decode(form.dib);
        ASSERT_EQ(decoded.Outcome, TDibOutcome::Decoded);
        EXPECT_EQ(decoded.Width, 3u);
        EXPECT_EQ(decoded.Height, 2u);
        EXPECT_EQ(decoded.Pixels, form.pixels);
    }
}

TEST(PackedDibTest, AlphaZeroEverywhereIsOpaqueOtherwiseItIsKept) {
    const std::string header = InfoHeader(124, 2, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000});
    EXPECT_EQ(Decode(header + Rows(Pixels(0, Bgrx), Pixels(3, Bgrx))).Pixels, Expected);
    // One pixel with alpha: the others are really transparent.
    std::string top = Pixels(0, Bgrx);
    top[3] = '\x80';
    std::vector<uint32_t> seeThrough;
    for (const uint32_t c : Expected) seeThrough.push_back(c & 0xFFFFFF);
    seeThrough[0] |= 0x80000000;
    EXPECT_EQ(Decode(header + Rows(top, Pixels(3, Bgrx))).Pixels, seeThrough);
}

TEST(PackedDibTest, DamagedAndHugeBitmapsAreRefused) {
    const std::string pixels = Rows(std::string(9, '\x10'), std::string(9, '\x20'));
    const std::string whole = InfoHeader(40, 2, 24, 0) + pixels;
    ASSERT_EQ(Decode(whole).Outcome, TDibOutcome::Decoded);
    const struct {
        const char* name;
        std::string dib;
    } damaged[] = {
        {"empty", ""},
        {"the last row cut off", whole.substr(0, whole.size() - 1)},
        {"the header cut off", whole.substr(0, 30)},
        {"a header size beyond the data", Le32(4000) + whole.substr(4)},
        {"run-length compression", InfoHeader(40, 2, 8, 1) + pixels},
        {"seven bits a pixel", InfoHeader(40, 2, 7, 0) + pixels},
        {"a negative width", InfoHeader(40, 2, 24, 0, 0, {}, -3) + pixels},
        {"bit fields at 24 bits", InfoHeader(40, 2, 24, 3) + Le32(0xFF) + Le32(0xFF00) + Le32(0xFF0000) + pixels},
        {"a palette past the end", InfoHeader(40, 2, 8, 0, 256) + pixels},
    };
    for (const auto& test : damaged) {
        SCOPED_TRACE(test.name);
        const TDibPixels decoded = Decode(test.dib);
        EXPECT_EQ(decoded.Outcome, TDibOutcome::Unreadable);
        EXPECT_TRUE(decoded.Pixels.empty());
    }
    // A few bytes claiming 60000 x 60000 pixels are refused by their claim, before any row is read.
    const TDibPixels huge = Decode(InfoHeader(40, -60000, 32, 0, 0, {}, 60000) + pixels);
    EXPECT_EQ(huge.Outcome, TDibOutcome::TooLarge);
    EXPECT_EQ(huge.Width, 60000u);
    EXPECT_TRUE(huge.Pixels.empty());
}
