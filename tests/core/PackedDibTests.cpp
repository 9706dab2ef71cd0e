// Bitmaps as other programs put them on the clipboard: every depth and header form gives the
// same pixels, alpha that was never filled in is opaque, and damaged or huge bitmaps are refused.
#include "Include/Core/PackedDib.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

// A 3 x 2 picture: red, green, blue over white, black, grey.
const std::vector<uint32_t> Expected = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080};

// A 40-byte header, or a later version of headerSize bytes with the masks inside.
std::string InfoHeader(uint32_t headerSize, int32_t width, int32_t height, uint32_t bits, uint32_t compression,
                       uint32_t colours = 0, std::vector<uint32_t> masks = {}) {
    std::string header = Le32(headerSize) + Le32(static_cast<uint32_t>(width)) + Le32(static_cast<uint32_t>(height)) +
                         Le16(1) + Le16(bits) + Le32(compression) + Le32(0) + Le32(2835) + Le32(2835) + Le32(colours) +
                         Le32(0);
    for (const uint32_t mask : masks) header += Le32(mask);
    header.resize(headerSize, '\0');
    return header;
}

std::string Rows(const std::vector<std::string>& rowsTopFirst, bool topDown) {
    std::string bits;
    for (size_t i = 0; i < rowsTopFirst.size(); ++i) {
        std::string row = rowsTopFirst[topDown ? i : rowsTopFirst.size() - 1 - i];
        row.resize((row.size() + 3) / 4 * 4, '\0');
        bits += row;
    }
    return bits;
}

std::string Bgr(uint32_t argb) { return {char(argb), char(argb >> 8), char(argb >> 16)}; }

TDibPixels Decode(const std::string& dib) {
    return DecodePackedDib(reinterpret_cast<const uint8_t*>(dib.data()), dib.size());
}

void ExpectPicture(const TDibPixels& decoded, const std::vector<uint32_t>& pixels = Expected) {
    ASSERT_EQ(decoded.Outcome, TDibOutcome::Decoded);
    EXPECT_EQ(decoded.Width, 3u);
    EXPECT_EQ(decoded.Height, 2u);
    EXPECT_EQ(decoded.Pixels, pixels);
}

}  // namespace

TEST(PackedDibTest, EveryDepthAndHeaderGivesTheSamePixels) {
    auto row24 = [](size_t first) { return Bgr(Expected[first]) + Bgr(Expected[first + 1]) + Bgr(Expected[first + 2]); };
    const std::string bits24 = Rows({row24(0), row24(3)}, false);
    SCOPED_TRACE("24 bits, bottom-up");
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 24, 0) + bits24));
    SCOPED_TRACE("24 bits, the core header");
    ExpectPicture(Decode(Le32(12) + Le16(3) + Le16(2) + Le16(1) + Le16(24) + bits24));

    auto row32 = [](size_t first, uint32_t alpha) {
        std::string row;
        for (size_t i = first; i < first + 3; ++i) row += Le32((Expected[i] & 0xFFFFFF) | alpha);
        return row;
    };
    SCOPED_TRACE("32 bits, top-down, alpha filled in");
    ExpectPicture(Decode(InfoHeader(40, 3, -2, 32, 0) + Rows({row32(0, 0xFF000000), row32(3, 0xFF000000)}, true)));
    // Masks after a 40-byte header, and inside a version 5 header, in another channel order.
    auto rowRgba = [](size_t first) {
        std::string row;
        for (size_t i = first; i < first + 3; ++i) {
            const uint32_t c = Expected[i];
            row += Le32(((c >> 16) & 0xFF) | ((c >> 8) & 0xFF) << 8 | (c & 0xFF) << 16 | 0xFF000000);
        }
        return row;
    };
    const std::string bitsRgba = Rows({rowRgba(0), rowRgba(3)}, false);
    SCOPED_TRACE("32 bits, bit fields after the header");
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 32, 3) + Le32(0xFF) + Le32(0xFF00) + Le32(0xFF0000) + bitsRgba));
    SCOPED_TRACE("32 bits, bit fields in a version 5 header");
    ExpectPicture(Decode(InfoHeader(124, 3, 2, 32, 3, 0, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}) + bitsRgba));

    // 5-6-5 bits: grey 0x80 is stored as 16 of 31 and 32 of 63, which read back a few steps lighter.
    auto rgb565 = [](uint32_t c) {
        return Le16(((c >> 19) & 0x1F) << 11 | ((c >> 10) & 0x3F) << 5 | ((c >> 3) & 0x1F));
    };
    std::vector<uint32_t> grey565 = Expected;
    grey565[5] = 0xFF838183;
    SCOPED_TRACE("16 bits, 5-6-5 bit fields");
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 16, 3) + Le32(0xF800) + Le32(0x07E0) + Le32(0x001F) +
                         Rows({rgb565(Expected[0]) + rgb565(Expected[1]) + rgb565(Expected[2]),
                               rgb565(Expected[3]) + rgb565(Expected[4]) + rgb565(Expected[5])},
                              false)),
                  grey565);

    // A palette of the six colours, and the same indexes at 8, 4 and 1 bits (two colours at 1).
    std::string palette;
    for (const uint32_t c : Expected) palette += Bgr(c) + '\0';
    SCOPED_TRACE("8 bits with a palette");
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 8, 0, 6) + palette + Rows({{0, 1, 2}, {3, 4, 5}}, false)));
    SCOPED_TRACE("4 bits with a palette");
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 4, 0, 6) + palette + Rows({{0x01, 0x20}, {0x34, 0x50}}, false)));
    SCOPED_TRACE("1 bit with a palette of black and white");
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 1, 0, 2) + Le32(0) + Le32(0xFFFFFF) + Rows({{'\xA0'}, {'\x40'}}, false)),
                  {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000});
}

TEST(PackedDibTest, AlphaZeroEverywhereIsOpaqueOtherwiseItIsKept) {
    auto row32 = [](size_t first, uint32_t alpha) {
        std::string row;
        for (size_t i = first; i < first + 3; ++i) row += Le32((Expected[i] & 0xFFFFFF) | alpha);
        return row;
    };
    // As some browsers copy: 32 bits with alpha left at zero.
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 32, 0) + Rows({row32(0, 0), row32(3, 0)}, false)));
    ExpectPicture(Decode(InfoHeader(124, 3, 2, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}) +
                         Rows({row32(0, 0), row32(3, 0)}, false)));
    // One pixel with alpha: the others are really transparent.
    std::string top = row32(0, 0);
    top[3] = '\x80';
    std::vector<uint32_t> seeThrough;
    for (const uint32_t c : Expected) seeThrough.push_back(c & 0xFFFFFF);
    seeThrough[0] |= 0x80000000;
    ExpectPicture(Decode(InfoHeader(40, 3, 2, 32, 0) + Rows({top, row32(3, 0)}, false)), seeThrough);
}

TEST(PackedDibTest, DamagedAndHugeBitmapsAreRefused) {
    const std::string pixels = Rows({std::string(9, '\x10'), std::string(9, '\x20')}, false);
    const std::string whole = InfoHeader(40, 3, 2, 24, 0) + pixels;
    ASSERT_EQ(Decode(whole).Outcome, TDibOutcome::Decoded);
    const struct {
        const char* name;
        std::string dib;
    } damaged[] = {
        {"empty", ""},
        {"the last row cut off", whole.substr(0, whole.size() - 1)},
        {"the header cut off", whole.substr(0, 30)},
        {"a header size beyond the data", Le32(4000) + whole.substr(4)},
        {"an unknown header size", Le32(20) + whole.substr(4)},
        {"run-length compression", InfoHeader(40, 3, 2, 8, 1) + pixels},
        {"seven bits a pixel", InfoHeader(40, 3, 2, 7, 0) + pixels},
        {"no width", InfoHeader(40, 0, 2, 24, 0) + pixels},
        {"a negative width", InfoHeader(40, -3, 2, 24, 0) + pixels},
        {"no height", InfoHeader(40, 3, 0, 24, 0) + pixels},
        {"bit fields at 24 bits", InfoHeader(40, 3, 2, 24, 3) + Le32(0xFF) + Le32(0xFF00) + Le32(0xFF0000) + pixels},
        {"a palette past the end", InfoHeader(40, 3, 2, 8, 0, 256) + pixels},
    };
    for (const auto& test : damaged) {
        SCOPED_TRACE(test.name);
        const TDibPixels decoded = Decode(test.dib);
        EXPECT_EQ(decoded.Outcome, TDibOutcome::Unreadable);
        EXPECT_TRUE(decoded.Pixels.empty());
    }
    EXPECT_EQ(DecodePackedDib(nullptr, 0).Outcome, TDibOutcome::Unreadable);

    // A few bytes claiming 60000 x 60000 pixels are refused by their claim, before any row is read.
    const TDibPixels huge = Decode(InfoHeader(40, 60000, -60000, 32, 0) + pixels);
    EXPECT_EQ(huge.Outcome, TDibOutcome::TooLarge);
    EXPECT_EQ(huge.Width, 60000u);
    EXPECT_EQ(huge.Height, 60000u);
    EXPECT_TRUE(huge.Pixels.empty());
}
