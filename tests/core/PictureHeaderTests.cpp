// Picture sizes read from file headers before decoding, and the pixel budget.
#include "Include/Core/PictureHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A file in memory, read the way the program reads one from disk.
TPictureHeader HeaderOf(const std::string& file) {
    const TReadAt read = [&file](uint64_t offset, uint8_t* buffer, size_t size) -> size_t {
        if (offset >= file.size()) return 0;
        const size_t count = std::min<size_t>(size, file.size() - static_cast<size_t>(offset));
        std::memcpy(buffer, file.data() + offset, count);
        return count;
    };
    return ReadPictureHeader(read);
}

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

std::string Be16(uint32_t v) { return {char(v >> 8), char(v)}; }
std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
std::string Le64(uint64_t v) { return Le32(static_cast<uint32_t>(v)) + Le32(static_cast<uint32_t>(v >> 32)); }

std::string Png(uint32_t width, uint32_t height) {
    return Bytes("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(width) + Be32(height) +
           Bytes("\x08\x02\0\0\0", 5) + Be32(0);
}

std::string BitmapInfo(int32_t width, int32_t height) {
    return Le32(40) + Le32(static_cast<uint32_t>(width)) + Le32(static_cast<uint32_t>(height)) + Le16(1) + Le16(24) +
           std::string(24, '\0');
}

std::string Bmp(int32_t width, int32_t height) {
    return "BM" + Le32(54) + Le32(0) + Le32(54) + BitmapInfo(width, height);
}

// A segment of a JPEG stream: marker and length-prefixed content.
std::string Segment(uint8_t marker, const std::string& content) {
    return std::string("\xFF") + char(marker) + Be16(static_cast<uint32_t>(content.size() + 2)) + content;
}

std::string FrameHeader(uint32_t width, uint32_t height) {
    return std::string(1, '\x08') + Be16(height) + Be16(width) + Bytes("\x01\x01\x11\x00", 4);
}

// A classic TIFF directory with the width and length tags among others.
std::string Tiff(bool bigEndian, uint32_t width, uint32_t height, uint16_t widthType) {
    auto u16 = [&](uint32_t v) { return bigEndian ? Be16(v) : Le16(v); };
    auto u32 = [&](uint32_t v) { return bigEndian ? Be32(v) : Le32(v); };
    auto entry = [&](uint32_t tag, uint32_t type, uint32_t value) {
        // A SHORT value sits in the first two bytes of the value field.
        const std::string field = type == 3 ? u16(value) + u16(0) : u32(value);
        return u16(tag) + u16(type) + u32(1) + field;
    };
    std::string file = bigEndian ? Bytes("MM\0*", 4) : Bytes("II*\0", 4);
    file += u32(8) + u16(4) + entry(254, 4, 0) + entry(256, widthType, width) + entry(257, 4, height) +
            entry(258, 3, 8) + u32(0);
    return file;
}

// TIFF structures holding one directory of the given entries (tag, type, value), at directory.
std::string TiffWithEntries(bool bigEndian, const std::vector<std::array<uint32_t, 3>>& entries,
                            uint32_t directory = 8) {
    auto u16 = [&](uint32_t v) { return bigEndian ? Be16(v) : Le16(v); };
    auto u32 = [&](uint32_t v) { return bigEndian ? Be32(v) : Le32(v); };
    std::string file = (bigEndian ? Bytes("MM\0*", 4) : Bytes("II*\0", 4)) + u32(directory);
    file += std::string(directory > 8 ? directory - 8 : 0, '\0') + u16(static_cast<uint32_t>(entries.size()));
    for (const auto& entry : entries)
        file += u16(entry[0]) + u16(entry[1]) + u32(1) + (entry[1] == 3 ? u16(entry[2]) + u16(0) : u32(entry[2]));
    return file + u32(0);
}

// A JPEG stream whose Exif block holds the TIFF structures, before a 4000 x 3000 frame.
std::string JpegWithExif(const std::string& tiff) {
    return Bytes("\xFF\xD8", 2) + Segment(0xE0, "JFIF" + std::string(10, '\0')) +
           Segment(0xE1, Bytes("Exif\0\0", 6) + tiff) + Segment(0xC0, FrameHeader(4000, 3000));
}

void ExpectSized(const TPictureHeader& header, uint32_t width, uint32_t height) {
    EXPECT_EQ(header.Kind, TPictureHeaderKind::Sized);
    EXPECT_EQ(header.Width, width);
    EXPECT_EQ(header.Height, height);
}

void ExpectDamaged(const TPictureHeader& header) { EXPECT_EQ(header.Kind, TPictureHeaderKind::Damaged); }

}  // namespace

TEST(PictureBudgetTest, UpToOneHundredMegapixels) {
    EXPECT_TRUE(FitsPictureBudget(10000, 10000));
    EXPECT_TRUE(FitsPictureBudget(6000, 4000));
    EXPECT_FALSE(FitsPictureBudget(10001, 10000));
    EXPECT_FALSE(FitsPictureBudget(60000, 60000));
    // Very long thin pictures: the product, not a side, decides, and it must not overflow.
    EXPECT_TRUE(FitsPictureBudget(100000000, 1));
    EXPECT_FALSE(FitsPictureBudget(100000001, 1));
    EXPECT_FALSE(FitsPictureBudget(0xFFFFFFFFull, 0xFFFFFFFFull));
    EXPECT_FALSE(FitsPictureBudget(1ull << 62, 4));
    EXPECT_TRUE(FitsPictureBudget(0xFFFFFFFFull, 0));
}

TEST(PictureHeaderTest, PngSizeComesFromItsHeaderChunk) {
    ExpectSized(HeaderOf(Png(60000, 60000)), 60000, 60000);
    ExpectSized(HeaderOf(Png(0xFFFFFFFFu, 7)), 0xFFFFFFFFu, 7);
    ExpectDamaged(HeaderOf(Png(640, 480).substr(0, 20)));
    std::string wrongChunk = Png(640, 480);
    wrongChunk.replace(12, 4, "IDAT");
    ExpectDamaged(HeaderOf(wrongChunk));
}

TEST(PictureHeaderTest, BmpSizeInEveryHeaderForm) {
    ExpectSized(HeaderOf(Bmp(640, 480)), 640, 480);
    // Top-down rows have a negative height; the magnitude is the size.
    ExpectSized(HeaderOf(Bmp(640, -480)), 640, 480);
    ExpectSized(HeaderOf(Bmp(60000, -60000)), 60000, 60000);
    ExpectSized(HeaderOf(Bmp(1, INT32_MIN)), 1, 0x80000000u);
    // The old 12-byte header with 16-bit sizes.
    ExpectSized(HeaderOf("BM" + Le32(26) + Le32(0) + Le32(26) + Le32(12) + Le16(300) + Le16(200) + Le16(1) + Le16(24)),
                300, 200);
    ExpectDamaged(HeaderOf("BM" + Le32(26) + Le32(0) + Le32(26) + Le32(8)));
    ExpectDamaged(HeaderOf(Bmp(640, 480).substr(0, 20)));
}

TEST(PictureHeaderTest, GifScreenAndFirstImage) {
    const std::string screen = "GIF89a" + Le16(320) + Le16(200);
    // No colour table, one comment extension, then an image inside the screen.
    const std::string comment = Bytes("\x21\xFE\x03" "abc" "\x00", 7);
    ExpectSized(HeaderOf(screen + Bytes("\x00\x00\x00", 3) + comment + "\x2C" + Le16(0) + Le16(0) + Le16(320) +
                         Le16(200) + Bytes("\x00", 1)),
                320, 200);
    // A global colour table of 4 entries, then an image reaching beyond the screen.
    ExpectSized(HeaderOf(screen + Bytes("\x81\x00\x00", 3) + std::string(12, '\0') + "\x2C" + Le16(10) + Le16(20) +
                         Le16(65535) + Le16(65535)),
                65545, 65555);
    // The screen alone, cut off before any image: its size is what is claimed.
    ExpectSized(HeaderOf("GIF87a" + Le16(65535) + Le16(65535) + Bytes("\x00\x00\x00", 3)), 65535, 65535);
    ExpectDamaged(HeaderOf("GIF89a" + Le16(10)));
}

TEST(PictureHeaderTest, JpegFrameAfterOtherSegments) {
    const std::string start = Bytes("\xFF\xD8", 2);
    const std::string app = Segment(0xE0, "JFIF" + std::string(10, '\0')) + Segment(0xE1, std::string(60000, 'x'));
    const std::string tables = Segment(0xDB, std::string(65, '\0')) + Segment(0xC4, std::string(30, '\0'));
    ExpectSized(HeaderOf(start + app + tables + Segment(0xC0, FrameHeader(6000, 4000))), 6000, 4000);
    // A JPEG is told apart, damaged or not, so that it goes to the scaled decoder.
    EXPECT_EQ(HeaderOf(start + app + tables + Segment(0xC0, FrameHeader(6000, 4000))).Format, TPictureFormat::Jpeg);
    EXPECT_EQ(HeaderOf(start + Bytes("\xFF\xD9", 2)).Format, TPictureFormat::Jpeg);
    EXPECT_EQ(HeaderOf(Bytes("\xD8\xFF", 2)).Format, TPictureFormat::Unknown);
    // Progressive frame, fill bytes before the marker, stray bytes between segments.
    ExpectSized(HeaderOf(start + app + "\x12\x34" + Bytes("\xFF\xFF\xFF", 3) + Segment(0xC2, FrameHeader(65535, 1)).substr(1)),
                65535, 1);
    // Scan data or the end before any frame header.
    ExpectDamaged(HeaderOf(start + tables + Segment(0xDA, std::string(10, '\0'))));
    ExpectDamaged(HeaderOf(start + Bytes("\xFF\xD9", 2)));
    ExpectDamaged(HeaderOf(start + app));
    ExpectDamaged(HeaderOf(start + Bytes("\xFF\xC0\x00\x05\x08", 5)));
    ExpectDamaged(HeaderOf(start + Bytes("\xFF\xE0\x00\x01", 4)));
}

TEST(PictureHeaderTest, TiffWidthAndLengthInBothByteOrders) {
    ExpectSized(HeaderOf(Tiff(false, 4000, 3000, 4)), 4000, 3000);
    ExpectSized(HeaderOf(Tiff(true, 4000, 3000, 4)), 4000, 3000);
    ExpectSized(HeaderOf(Tiff(false, 1200, 70000, 3)), 1200, 70000);
    ExpectSized(HeaderOf(Tiff(true, 1200, 70000, 3)), 1200, 70000);
    // A width of an unreadable type, a directory past the end, a directory cut off.
    ExpectDamaged(HeaderOf(Tiff(false, 10, 10, 5)));
    ExpectDamaged(HeaderOf(Bytes("II*\0", 4) + Le32(4000)));
    ExpectDamaged(HeaderOf(Tiff(false, 10, 10, 4).substr(0, 30)));
}

TEST(PictureOrientationTagTest, ExifOfAJpegInBothByteOrders) {
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        for (uint32_t orientation = 1; orientation <= 8; ++orientation) {
            const TPictureHeader header =
                HeaderOf(JpegWithExif(TiffWithEntries(bigEndian, {{271, 2, 0}, {274, 3, orientation}, {282, 5, 90}})));
            ExpectSized(header, 4000, 3000);
            EXPECT_EQ(header.Orientation, orientation);
        }
    }
    // No Exif block, or one whose directory has no orientation: as stored.
    EXPECT_EQ(HeaderOf(Bytes("\xFF\xD8", 2) + Segment(0xC0, FrameHeader(40, 30))).Orientation, 1u);
    EXPECT_EQ(HeaderOf(JpegWithExif(TiffWithEntries(false, {{271, 2, 0}, {282, 5, 90}}))).Orientation, 1u);
    // Only the first Exif block counts, and only before the frame.
    const std::string second = Segment(0xE1, Bytes("Exif\0\0", 6) + TiffWithEntries(false, {{274, 3, 8}}));
    std::string twice = JpegWithExif(TiffWithEntries(false, {{274, 3, 3}}));
    twice.insert(2, second);
    EXPECT_EQ(HeaderOf(twice).Orientation, 8u);
}

TEST(PictureOrientationTagTest, TiffFilesCarryItInTheirFirstDirectory) {
    for (const bool bigEndian : {false, true}) {
        const TPictureHeader header =
            HeaderOf(TiffWithEntries(bigEndian, {{256, 4, 600}, {257, 4, 800}, {259, 3, 1}, {274, 3, 6}}));
        ExpectSized(header, 600, 800);
        EXPECT_EQ(header.Orientation, 6u);
    }
    auto entry = [](uint32_t tag, uint32_t type, uint64_t value) { return Le16(tag) + Le16(type) + Le64(1) + Le64(value); };
    const std::string big = Bytes("II+\0", 4) + Le16(8) + Le16(0) + Le64(16) + Le64(3) + entry(256, 16, 800) +
                            entry(257, 4, 600) + entry(274, 3, 8) + Le64(0);
    EXPECT_EQ(HeaderOf(big).Orientation, 8u);
}

// Whatever is wrong on the way to the tag, the picture is shown as stored, and its size still read.
TEST(PictureOrientationTagTest, DamagedWaysToTheTagMeanAsStored) {
    const std::vector<std::array<uint32_t, 3>> turned = {{274, 3, 6}};
    const struct {
        const char* what;
        std::string tiff;
    } damaged[] = {
        {"a value out of range", TiffWithEntries(false, {{274, 3, 9}})},
        {"a value of zero", TiffWithEntries(true, {{274, 3, 0}})},
        {"a value of the wrong type", TiffWithEntries(false, {{274, 4, 6}})},
        {"a directory beyond the block", TiffWithEntries(false, turned).replace(4, 4, Le32(0xFFFFFF00u))},
        {"a directory cut off by the block's end", TiffWithEntries(false, turned).substr(0, 16)},
        {"no TIFF header", "XX*\0" + TiffWithEntries(false, turned).substr(4)},
        {"a block too short for a header", Bytes("II*", 3)},
    };
    for (const auto& block : damaged) {
        SCOPED_TRACE(block.what);
        const TPictureHeader header = HeaderOf(JpegWithExif(block.tiff));
        ExpectSized(header, 4000, 3000);
        EXPECT_EQ(header.Orientation, 1u);
    }
    // The tag lies in the file, but past the end of its block: it is not the block's.
    std::string cut = JpegWithExif(TiffWithEntries(false, turned));
    const size_t exif = cut.find("Exif");
    cut[exif - 1] = static_cast<char>(cut[exif - 1] - 12);  // the segment ends before the entry
    EXPECT_EQ(HeaderOf(cut).Orientation, 1u);
    // A TIFF whose orientation is damaged still has its size.
    ExpectSized(HeaderOf(TiffWithEntries(false, {{256, 4, 20}, {257, 4, 10}, {274, 3, 77}})), 20, 10);
}

// Only the first directory is read, so directories that point back into themselves end at once.
TEST(PictureOrientationTagTest, LoopingDirectoriesEnd) {
    // The directory at offset 0: its count is the header's "II", 18761 entries through the header
    // itself and beyond the block.
    EXPECT_EQ(HeaderOf(JpegWithExif(TiffWithEntries(false, {{274, 3, 6}}, 0))).Orientation, 1u);
    // The next directory is this one again.
    std::string looped = TiffWithEntries(false, {{256, 4, 64}, {257, 4, 48}, {274, 3, 3}});
    looped.replace(looped.size() - 4, 4, Le32(8));
    const TPictureHeader header = HeaderOf(looped);
    ExpectSized(header, 64, 48);
    EXPECT_EQ(header.Orientation, 3u);
    EXPECT_EQ(HeaderOf(JpegWithExif(looped)).Orientation, 3u);
}

TEST(PictureHeaderTest, BigTiffHasWideOffsets) {
    auto entry = [](uint32_t tag, uint32_t type, uint64_t value) {
        return Le16(tag) + Le16(type) + Le64(1) + Le64(value);
    };
    const std::string file = Bytes("II+\0", 4) + Le16(8) + Le16(0) + Le64(16) + Le64(2) + entry(256, 16, 80000) +
                             entry(257, 4, 90000) + Le64(0);
    ExpectSized(HeaderOf(file), 80000, 90000);
    ExpectDamaged(HeaderOf(Bytes("II+\0", 4) + Le16(4) + Le16(0) + Le64(16)));
}

TEST(PictureHeaderTest, IconsAreSizedByTheirFirstImageAsItsOwnHeaderSays) {
    // A 32 x 32 bitmap (colour and mask stacked: 64 high) shown by the decoders, then images that
    // claim far more and are never decoded: a PNG and a bitmap of 2 x 268,435,457.
    const std::string bitmap = BitmapInfo(32, 64);
    const std::string png = Png(40000, 40000);
    const std::string tall = BitmapInfo(2, 2 * 268435457);
    auto entry = [](uint8_t size, size_t length, size_t offset) {
        return std::string{char(size), char(size), 0, 0} + Le16(1) + Le16(32) + Le32(static_cast<uint32_t>(length)) +
               Le32(static_cast<uint32_t>(offset));
    };
    const size_t first = 6 + 3 * 16;
    const std::string file = Bytes("\0\0\1\0", 4) + Le16(3) + entry(32, bitmap.size(), first) +
                             entry(0, png.size(), first + bitmap.size()) +
                             entry(2, tall.size(), first + bitmap.size() + png.size()) + bitmap + png + tall;
    ExpectSized(HeaderOf(file), 32, 32);
    // The PNG first: its own header, not the directory's byte, says how large it is.
    ExpectSized(HeaderOf(Bytes("\0\0\1\0", 4) + Le16(1) + entry(0, png.size(), 22) + png), 40000, 40000);
    ExpectDamaged(HeaderOf(Bytes("\0\0\1\0", 4) + Le16(0)));
    ExpectDamaged(HeaderOf(Bytes("\0\0\1\0", 4) + Le16(1) + entry(32, 40, 22)));
}

TEST(PictureHeaderTest, OtherFilesAreLeftToTheDecoder) {
    EXPECT_EQ(HeaderOf("").Kind, TPictureHeaderKind::Unknown);
    EXPECT_EQ(HeaderOf("This is a text file, not a picture.").Kind, TPictureHeaderKind::Unknown);
    // An enhanced metafile starts with its record type 1.
    EXPECT_EQ(HeaderOf(Le32(1) + Le32(108) + std::string(100, '\0')).Kind, TPictureHeaderKind::Unknown);
    EXPECT_EQ(HeaderOf("B").Kind, TPictureHeaderKind::Unknown);
}

// A file type box of an ISO media file with its major brand and compatible brands.
std::string FileTypeBox(const std::string& major, const std::string& compatible) {
    return Be32(static_cast<uint32_t>(16 + compatible.size())) + "ftyp" + major + Be32(0) + compatible;
}

TEST(PictureHeaderTest, FormatsAreToldByTheirContentNotTheirName) {
    EXPECT_EQ(HeaderOf(Png(1, 1)).Format, TPictureFormat::Png);
    EXPECT_EQ(HeaderOf(Tiff(true, 1, 1, 4)).Format, TPictureFormat::Tiff);
    EXPECT_EQ(HeaderOf(Bytes("\0\0\1\0", 4) + Le16(0)).Format, TPictureFormat::Icon);
    EXPECT_EQ(HeaderOf("RIFF" + Le32(1000) + "WEBPVP8 ").Format, TPictureFormat::WebP);
    EXPECT_EQ(HeaderOf("RIFF" + Le32(1000) + "WAVEfmt ").Format, TPictureFormat::Unknown);
    // The brands of HEIF files as phones and libraries write them.
    EXPECT_EQ(HeaderOf(FileTypeBox("heic", "mif1heic")).Format, TPictureFormat::Heif);
    EXPECT_EQ(HeaderOf(FileTypeBox("mif1", "mif1heic")).Format, TPictureFormat::Heif);
    EXPECT_EQ(HeaderOf(FileTypeBox("avif", "avifmif1miaf")).Format, TPictureFormat::Avif);
    EXPECT_EQ(HeaderOf(FileTypeBox("mif1", "mif1avifmiaf")).Format, TPictureFormat::Avif);
    // Videos and Canon's raw files are ISO media files too.
    EXPECT_EQ(HeaderOf(FileTypeBox("isom", "isomavc1mp41")).Format, TPictureFormat::Unknown);
    EXPECT_EQ(HeaderOf(FileTypeBox("crx ", "crx isom")).Format, TPictureFormat::Unknown);
    // A box cut off, or too long to be a file type box.
    EXPECT_EQ(HeaderOf(FileTypeBox("heic", "mif1heic").substr(0, 20)).Format, TPictureFormat::Unknown);
    EXPECT_EQ(HeaderOf(Be32(100000) + "ftypheic" + std::string(100000, 'x')).Format, TPictureFormat::Unknown);
    EXPECT_EQ(HeaderOf(Bytes("\xFF\x0A\xFA\x7F", 4)).Format, TPictureFormat::JpegXl);
    EXPECT_EQ(HeaderOf(Bytes("\0\0\0\x0CJXL \r\n\x87\n", 12)).Format, TPictureFormat::JpegXl);
    // Nothing of these formats is sized here: their decoders check their sizes.
    EXPECT_EQ(HeaderOf(FileTypeBox("heic", "")).Kind, TPictureHeaderKind::Unknown);
}

// Formats the program does not read are named to the player, each by its first bytes.
TEST(PictureHeaderTest, FormatsNoDecoderReadsAreNamed) {
    const struct {
        std::string File;
        TPictureFormat Format;
        const char* Name;
    } named[] = {
        {Bytes("\xFF\x4F\xFF\x51\0\x2F", 6), TPictureFormat::Jpeg2000, "This JPEG 2000 picture cannot"},
        {Bytes("\0\0\0\x0CjP  \r\n\x87\n", 12) + "ftypjp2 ", TPictureFormat::Jpeg2000, "This JPEG 2000 picture cannot"},
        {"8BPS" + Be16(1) + std::string(20, '\0'), TPictureFormat::Photoshop, "This Photoshop document cannot"},
        {Bytes("\0\0\2\0\1\0", 6) + std::string(16, '\0'), TPictureFormat::Cursor, "This mouse cursor cannot"},
        {"icns" + Be32(8), TPictureFormat::MacIcon, "This Mac icon cannot"},
    };
    for (const auto& file : named) {
        SCOPED_TRACE(file.Name);
        EXPECT_EQ(HeaderOf(file.File).Format, file.Format);
        EXPECT_EQ(UnreadableFormatText(file.Format).rfind(file.Name, 0), 0u) << UnreadableFormatText(file.Format);
    }
    EXPECT_EQ(HeaderOf("").Format, TPictureFormat::Empty);
    EXPECT_EQ(UnreadableFormatText(TPictureFormat::Empty), "The file is empty.");
    // A file of one byte is not empty, and formats of no name of their own keep the usual message.
    EXPECT_EQ(HeaderOf("x").Format, TPictureFormat::Unknown);
    EXPECT_EQ(UnreadableFormatText(TPictureFormat::Unknown), "");
    EXPECT_EQ(UnreadableFormatText(TPictureFormat::Png), "");
}

TEST(PictureHeaderTest, AFailingReadIsADamagedHeader) {
    const std::string file = Png(640, 480);
    const TReadAt shortRead = [&file](uint64_t offset, uint8_t* buffer, size_t size) -> size_t {
        if (offset != 0) return 0;
        const size_t count = std::min<size_t>(size, 12);  // the device fails after 12 bytes
        std::memcpy(buffer, file.data(), count);
        return count;
    };
    ExpectDamaged(ReadPictureHeader(shortRead));
}

TEST(PictureBudgetTest, JpegsUpToAGigapixelBecauseTheyAreDecodedScaled) {
    EXPECT_TRUE(FitsJpegBudget(16320, 12256));  // a 200-megapixel photograph
    EXPECT_TRUE(FitsJpegBudget(40000, 25000));
    EXPECT_FALSE(FitsJpegBudget(40000, 25001));
    EXPECT_FALSE(FitsJpegBudget(65535, 65535));  // the largest frame a JPEG can claim
    EXPECT_FALSE(FitsJpegBudget(1ull << 40, 1ull << 40));
    EXPECT_TRUE(FitsJpegBudget(1ull << 40, 0));
}
