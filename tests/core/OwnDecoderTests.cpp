// The WebP and AVIF decoders on the small pictures kept as fuzz seeds (tests/fuzz/seeds, made with
// the formats' own encoders): a 64 x 48 picture of four coloured quarters, stored in every kind
// each format has (pictures made of tiles are larger: see SizeOfSeed). Each must come out upright, in its colours, transparent parts black, scaled
// where asked; and every damaged or hostile variant must be refused as such.
#include "Include/Core/AvifDecoder.h"
#include "Include/Core/WebpDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

struct TSeed {
    std::string Name;
    std::string Bytes;
};

struct TSeedTable {
    const char* Name;
    std::vector<uint8_t> Bytes;
};

const std::vector<TSeed>& Seeds() {
    static const TSeedTable table[] = {
#include "DecoderSeeds.inc"
    };
    static std::vector<TSeed> seeds;
    if (seeds.empty())
        for (const TSeedTable& seed : table) seeds.push_back({seed.Name, std::string(seed.Bytes.begin(), seed.Bytes.end())});
    return seeds;
}

const std::string& Seed(const std::string& name) {
    for (const TSeed& seed : Seeds())
        if (name == seed.Name) return seed.Bytes;
    ADD_FAILURE() << "no seed " << name;
    static const std::string none;
    return none;
}

// The encoder's tiles are at least 64 x 64: the grids are 2 x 2 of them, their output cut to
// 127 x 97 (4:4:4) and 126 x 98 (4:2:0, whose sizes are even) by changing the grid's sizes. The
// "idat" one is the 4:4:4 grid with its grid data moved into the meta box's "idat".
TPictureSize SizeOfSeed(const std::string& name) {
    if (name == "avif-grid-2x2-444.avif" || name == "avif-grid-2x2-idat.avif") return {127, 97};
    if (name == "avif-grid-2x2-alpha.avif") return {126, 98};
    return {64, 48};
}

bool IsWebp(const std::string& name) { return name.compare(0, 5, "webp-") == 0; }

TDecodedPicture Decode(const std::string& name, const std::string& bytes, const TDecodeRequest& request = {}) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    return IsWebp(name) ? DecodeWebp(data, bytes.size(), request) : DecodeAvif(data, bytes.size(), request);
}

struct TColour {
    int Red, Green, Blue;
};

// The quarters as drawn: top left, top right, bottom left, bottom right.
const TColour Quarters[4] = {{208, 32, 32}, {32, 192, 32}, {32, 64, 208}, {240, 240, 240}};

TColour ColourAt(const TDecodedPicture& picture, int quarter) {
    const int x = picture.Width * (quarter % 2 == 0 ? 1 : 3) / 4, y = picture.Height * (quarter < 2 ? 1 : 3) / 4;
    const uint32_t pixel = picture.Pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.Width) + static_cast<size_t>(x)];
    EXPECT_EQ(pixel >> 24, 0xFFu);
    return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF), static_cast<int>(pixel & 0xFF)};
}

// Near enough for a lossy encoder at high quality.
void ExpectColour(const TColour& seen, const TColour& wanted, const std::string& where) {
    EXPECT_NEAR(seen.Red, wanted.Red, 24) << where;
    EXPECT_NEAR(seen.Green, wanted.Green, 24) << where;
    EXPECT_NEAR(seen.Blue, wanted.Blue, 24) << where;
}

void ExpectQuarters(const TDecodedPicture& picture, const std::string& name) {
    const bool alpha = name.find("alpha") != std::string::npos, grey = name.find("mono") != std::string::npos;
    for (int quarter = 0; quarter < 4; ++quarter) {
        const std::string where = name + ", quarter " + std::to_string(quarter);
        TColour wanted = Quarters[quarter];
        // The left quarter of the picture is transparent: it shows black.
        if (alpha && quarter % 2 == 0) wanted = {0, 0, 0};
        if (grey) {
            const int luma = (299 * wanted.Red + 587 * wanted.Green + 114 * wanted.Blue) / 1000;
            wanted = {luma, luma, luma};
        }
        ExpectColour(ColourAt(picture, quarter), wanted, where);
    }
}

}  // namespace

// Lossy and lossless, with alpha, animations (their first frame, also of an animation found only
// through its track), 8, 10 and 12 bits, 4:2:0 to 4:4:4 and grey, limited range, and a picture
// stored transposed that the container's turn and mirror put upright, and pictures made of tiles,
// with and without alpha, cut to their output size.
TEST(OwnDecoderTest, EveryKindShowsItsQuartersUprightAtFullSize) {
    ASSERT_GE(Seeds().size(), 14u);
    for (const TSeed& seed : Seeds()) {
        SCOPED_TRACE(seed.Name);
        const TDecodedPicture picture = Decode(seed.Name, seed.Bytes);
        const TPictureSize size = SizeOfSeed(seed.Name);
        ASSERT_EQ(picture.Outcome, TDecodeOutcome::Decoded);
        EXPECT_EQ(picture.ImageWidth, static_cast<uint32_t>(size.Width));
        EXPECT_EQ(picture.ImageHeight, static_cast<uint32_t>(size.Height));
        ASSERT_EQ(picture.Width, size.Width);
        ASSERT_EQ(picture.Height, size.Height);
        ASSERT_EQ(picture.Pixels.size(), static_cast<size_t>(size.Width) * static_cast<size_t>(size.Height));
        ExpectQuarters(picture, seed.Name);
    }
}

// WebP scales to the size asked while decoding; AVIF is reduced by whole blocks to at least it.
TEST(OwnDecoderTest, ASmallAreaGivesASmallerPictureOfTheSameQuarters) {
    TDecodeRequest request;
    request.Areas = {{32, 32}, {20, 10}};  // the first needs 32 x 24 of 64 x 48
    // The grid's 127 x 97 in blocks of 3 x 3, those at its right and bottom edges partly outside.
    const struct {
        const char* Name;
        int Width, Height;
    } expected[] = {{"webp-lossy.webp", 32, 24}, {"webp-animated.webp", 32, 24}, {"avif-12bit-444.avif", 32, 24},
                    {"avif-irot1-imir0.avif", 32, 24}, {"avif-grid-2x2-444.avif", 43, 33}};
    for (const auto& seed : expected) {
        SCOPED_TRACE(seed.Name);
        const TDecodedPicture picture = Decode(seed.Name, Seed(seed.Name), request);
        ASSERT_EQ(picture.Outcome, TDecodeOutcome::Decoded);
        EXPECT_EQ(picture.ImageWidth, static_cast<uint32_t>(SizeOfSeed(seed.Name).Width));
        EXPECT_EQ(picture.Width, seed.Width);
        EXPECT_EQ(picture.Height, seed.Height);
        ExpectQuarters(picture, seed.Name);
        // The last pixel, as every other, has the colour of its quarter.
        const uint32_t last = picture.Pixels.back();
        ExpectColour({static_cast<int>((last >> 16) & 0xFF), static_cast<int>((last >> 8) & 0xFF), static_cast<int>(last & 0xFF)},
                     Quarters[3], "the last pixel");
    }
    // The budget wins over the areas.
    request.Areas.clear();
    request.MaxPixels = 16 * 12;
    const TDecodedPicture webp = Decode("webp-lossy.webp", Seed("webp-lossy.webp"), request);
    ASSERT_EQ(webp.Outcome, TDecodeOutcome::Decoded);
    EXPECT_LE(static_cast<uint64_t>(webp.Width) * static_cast<uint64_t>(webp.Height), request.MaxPixels);
    EXPECT_EQ(Decode("avif-8bit-mono.avif", Seed("avif-8bit-mono.avif"), request).Outcome, TDecodeOutcome::TooLarge);
}

// A file that breaks off anywhere, random bytes, and pictures whose headers claim more pixels than
// the budget (a few bytes changed in a real file): refused before anything is decoded.
TEST(OwnDecoderTest, HostileFilesAreRefused) {
    for (const TSeed& seed : Seeds()) {
        SCOPED_TRACE(seed.Name);
        for (size_t length = 0; length < seed.Bytes.size(); length += 1 + length / 16) {
            const TDecodedPicture cut = Decode(seed.Name, seed.Bytes.substr(0, length));
            EXPECT_EQ(cut.Outcome, TDecodeOutcome::Damaged) << length << " bytes";
            EXPECT_TRUE(cut.Pixels.empty());
        }
    }
    std::srand(22);
    std::string noise(4096, '\0');
    for (char& byte : noise) byte = static_cast<char>(std::rand());
    EXPECT_EQ(Decode("webp-noise", noise).Outcome, TDecodeOutcome::Damaged);
    EXPECT_EQ(Decode("avif-noise", noise).Outcome, TDecodeOutcome::Damaged);
    // Random bytes behind a real file's first bytes.
    const std::string& avif = Seed("avif-12bit-444.avif");
    EXPECT_EQ(Decode("avif-noise", avif.substr(0, 64) + noise).Outcome, TDecodeOutcome::Damaged);

    // A lossless WebP whose header says 16384 x 16384: the width and height fields, 14 bits each,
    // follow the stream's signature byte.
    std::string webpBomb = Seed("webp-lossless-alpha.webp");
    const size_t fields = webpBomb.find("VP8L") + 9;
    webpBomb[fields] = webpBomb[fields + 1] = webpBomb[fields + 2] = '\xFF';
    webpBomb[fields + 3] = static_cast<char>(webpBomb[fields + 3] | 0x0F);
    const TDecodedPicture webp = Decode("webp-bomb", webpBomb);
    EXPECT_EQ(webp.Outcome, TDecodeOutcome::TooLarge);
    EXPECT_EQ(webp.ImageWidth, 16384u);

    // An AVIF whose "ispe" says 30000 x 20000.
    std::string avifBomb = avif;
    const size_t size = avifBomb.find("ispe") + 8;
    const std::string claimed("\x00\x00\x75\x30\x00\x00\x4E\x20", 8);
    avifBomb.replace(size, 8, claimed);
    const TDecodedPicture bomb = Decode("avif-bomb", avifBomb);
    EXPECT_EQ(bomb.Outcome, TDecodeOutcome::TooLarge);
    EXPECT_EQ(bomb.ImageWidth, 30000u);
    EXPECT_EQ(bomb.ImageHeight, 20000u);
}

namespace {

// The bytes with each change made: the first (and only) place holding its bytes gets its new ones.
std::string Changed(std::string bytes, const std::vector<std::pair<std::string, std::string>>& changes) {
    for (const auto& change : changes) {
        const size_t at = bytes.find(change.first);
        EXPECT_NE(at, std::string::npos);
        EXPECT_EQ(bytes.find(change.first, at + 1), std::string::npos);
        if (at != std::string::npos) bytes.replace(at, change.first.size(), change.second);
    }
    return bytes;
}

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

}  // namespace

// Grids that do not fit their tiles (their version, how many tiles they name, the sizes, a tile
// missing, another's size or form, the grid as its own tile, alpha tiles unlike the colour's) are
// refused as damaged; a grid or a tile beyond the budget as too large, before anything is decoded.
TEST(OwnDecoderTest, GridsThatDoNotFitTheirTilesAreRefused) {
    const std::string& grid = Seed("avif-grid-2x2-444.avif");
    const std::string& alphaGrid = Seed("avif-grid-2x2-alpha.avif");
    // Version and flags, rows and columns less one, output width and height.
    const std::string output = Bytes("\x00\x00\x01\x01\x00\x7F\x00\x61", 8);
    // The grid (item 1) is made of items 2 to 5; the alpha grid (6) of 7 to 10.
    const std::string tiles = Bytes("dimg\x00\x01\x00\x04\x00\x02\x00\x03\x00\x04\x00\x05", 16);
    const std::string alphaTiles = Bytes("dimg\x00\x06\x00\x04\x00\x07", 10);
    const std::string tileSize = Bytes("ispe\x00\x00\x00\x00\x00\x00\x00\x40\x00\x00\x00\x40", 16);
    struct TCase {
        const char* What;
        const std::string& File;
        std::vector<std::pair<std::string, std::string>> Changes;
        TDecodeOutcome Outcome;
    };
    const TCase cases[] = {
        {"version 1", grid, {{output, Bytes("\x01\x00\x01\x01\x00\x7F\x00\x61", 8)}}, TDecodeOutcome::Damaged},
        {"three tiles named", grid, {{tiles, Bytes("dimg\x00\x01\x00\x03", 8) + tiles.substr(8)}}, TDecodeOutcome::Damaged},
        {"tiles narrower than the output", grid, {{output, Bytes("\x00\x00\x01\x01\x00\x81\x00\x61", 8)}}, TDecodeOutcome::Damaged},
        {"a row of tiles below the output", grid, {{output, Bytes("\x00\x00\x01\x01\x00\x7F\x00\x40", 8)}}, TDecodeOutcome::Damaged},
        {"a tile of the grid's size", grid, {{Bytes("\x00\x03\x04\x04", 4), Bytes("\x00\x03\x04\x01", 4)}}, TDecodeOutcome::Damaged},
        {"a tile not there", grid, {{tiles, tiles.substr(0, 15) + "\x63"}}, TDecodeOutcome::Damaged},
        {"the grid its own tile", grid, {{tiles, tiles.substr(0, 15) + "\x01"}}, TDecodeOutcome::Damaged},
        {"a tile stored as 64 x 63", grid, {{tileSize, tileSize.substr(0, 15) + "\x3F"}}, TDecodeOutcome::Damaged},
        {"an alpha tile among the colour's", alphaGrid, {{tiles, tiles.substr(0, 13) + "\x07" + tiles.substr(14)}}, TDecodeOutcome::Damaged},
        {"three alpha tiles", alphaGrid, {{alphaTiles, Bytes("dimg\x00\x06\x00\x03\x00\x07", 10)}}, TDecodeOutcome::Damaged},
        {"an alpha tile as the grid's alpha", alphaGrid, {{Bytes("auxl\x00\x06", 6), Bytes("auxl\x00\x07", 6)}}, TDecodeOutcome::Damaged},
        {"65535 x 50000 of 40000 x 30000 tiles", grid,
         {{output, Bytes("\x00\x00\x01\x01\xFF\xFF\xC3\x50", 8)}, {tileSize, Bytes("ispe\x00\x00\x00\x00\x00\x00\x9C\x40\x00\x00\x75\x30", 16)}},
         TDecodeOutcome::TooLarge},
        {"one tile of 20000 x 20000", grid,
         {{output, Bytes("\x00\x00\x00\x00\x00\x7F\x00\x61", 8)},
          {tiles, Bytes("dimg\x00\x01\x00\x01", 8) + tiles.substr(8)},
          {tileSize, Bytes("ispe\x00\x00\x00\x00\x00\x00\x4E\x20\x00\x00\x4E\x20", 16)}},
         TDecodeOutcome::TooLarge},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.What);
        const TDecodedPicture picture = Decode("avif-grid", Changed(test.File, test.Changes));
        EXPECT_EQ(picture.Outcome, test.Outcome);
        EXPECT_TRUE(picture.Pixels.empty());
    }
}

namespace {

std::string Be16(uint32_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
std::string Box(const std::string& type, const std::string& body) {
    return Be32(static_cast<uint32_t>(8 + body.size())) + type + body;
}
std::string FullBox(const std::string& type, char version, const std::string& body) {
    return Box(type, std::string{version, 0, 0, 0} + body);
}

// The AV1 data of the 12-bit 4:4:4 seed: a sequence header and one 64 x 48 frame.
std::string SeedFrame() {
    const std::string& seed = Seed("avif-12bit-444.avif");
    const TAvifLayout layout = ReadAvifLayout(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
    EXPECT_TRUE(layout.Found);
    return layout.Found ? seed.substr(layout.Colour[0][0].Offset, layout.Colour[0][0].Size) : std::string();
}

// An AV1 padding OBU of size bytes in all.
std::string Padding(uint32_t size) {
    const uint32_t payload = size - 3;  // its header byte and a two-byte size
    return std::string("\x7A") + static_cast<char>(0x80 | (payload & 0x7F)) + static_cast<char>(payload >> 7) +
           std::string(payload, '\0');
}

struct TTestItem {
    uint32_t Id;
    std::string Type;
    std::vector<std::pair<uint32_t, uint32_t>> Extents;  // offset in the data, length
    std::string Properties;                              // indices from 1, a byte each
};

// Properties of the items: 1 the frame's size, 2 its colour description, 3 the size of a grid of
// columns x rows frames.
std::string Properties(uint32_t columns = 2, uint32_t rows = 1) {
    return FullBox("ispe", 0, Be32(64) + Be32(48)) + Box("colr", "nclx" + Be16(1) + Be16(13) + Be16(6) + '\x80') +
           FullBox("ispe", 0, Be32(64 * columns) + Be32(48 * rows));
}

// An AVIF file of the items whose data ends it; the item location box counts offsets from the
// data's start (base) unless one is given.
std::string AvifOf(const std::vector<TTestItem>& items, const std::string& data, const std::string& references = "",
                   const std::string& properties = Properties(),
                   const std::function<std::string(uint32_t base)>& location = nullptr) {
    const std::string fileType = Box("ftyp", "avif" + Be32(0) + "avifmif1miaf");
    auto meta = [&](uint32_t base) {
        std::string iloc = Be16(0x4400) + Be16(static_cast<uint32_t>(items.size())), iinf = Be16(static_cast<uint32_t>(items.size()));
        std::string ipma = Be32(static_cast<uint32_t>(items.size()));
        for (const TTestItem& item : items) {
            iloc += Be16(item.Id) + Be16(0) + Be16(0) + Be16(static_cast<uint32_t>(item.Extents.size()));
            for (const auto& extent : item.Extents) iloc += Be32(base + extent.first) + Be32(extent.second);
            iinf += FullBox("infe", 2, Be16(item.Id) + Be16(0) + item.Type + '\0');
            ipma += Be16(item.Id) + static_cast<char>(item.Properties.size()) + item.Properties;
        }
        return FullBox("meta", 0,
                       FullBox("pitm", 0, Be16(items[0].Id)) + (location ? location(base) : FullBox("iloc", 1, iloc)) +
                           FullBox("iinf", 0, iinf) + (references.empty() ? "" : FullBox("iref", 0, references)) +
                           Box("iprp", Box("ipco", properties) + FullBox("ipma", 0, ipma)));
    };
    const uint32_t base = static_cast<uint32_t>(fileType.size() + meta(0).size() + 8);
    return fileType + meta(base) + Box("mdat", data);
}

// A grid of columns x rows frames naming the items given (each an item of the extents given).
std::string GridOf(uint32_t columns, uint32_t rows, const std::vector<uint32_t>& named, const std::string& data,
                   const std::vector<std::pair<uint32_t, uint32_t>>& tileExtents) {
    const std::string grid = Bytes("\0\0", 2) + static_cast<char>(rows - 1) + static_cast<char>(columns - 1) +
                             Be16(64 * columns) + Be16(48 * rows);
    std::vector<TTestItem> items = {{1, "grid", {{static_cast<uint32_t>(data.size()), 8}}, "\x03"}};
    std::string dimg = Be16(1) + Be16(static_cast<uint32_t>(named.size()));
    for (const uint32_t tile : named) {
        dimg += Be16(tile);
        const auto same = [tile](const TTestItem& item) { return item.Id == tile; };
        if (std::none_of(items.begin(), items.end(), same)) items.push_back({tile, "av01", tileExtents, Bytes("\x01\x02", 2)});
    }
    return AvifOf(items, data + grid, Box("dimg", dimg), Properties(columns, rows));
}

// An animation without items: one track whose first sample is the data.
std::string TrackOf(const std::string& sample) {
    const std::string fileType = Box("ftyp", "avis" + Be32(0) + "avismif1");
    auto movie = [&](uint32_t offset) {
        const std::string table = Box("stsd", Be32(0) + Be32(1) + Box("av01", std::string(78, '\0'))) +
                                  FullBox("stsz", 0, Be32(0) + Be32(1) + Be32(static_cast<uint32_t>(sample.size()))) +
                                  FullBox("stco", 0, Be32(1) + Be32(offset));
        return Box("moov", Box("trak", Box("mdia", FullBox("hdlr", 0, Be32(0) + "pict" + std::string(13, '\0')) +
                                                        Box("minf", Box("stbl", table)))));
    };
    const uint32_t offset = static_cast<uint32_t>(fileType.size() + movie(0).size() + 8);
    return fileType + movie(offset) + Box("mdat", sample);
}

TDecodeOutcome OutcomeOf(const std::string& file) { return Decode("avif-built", file).Outcome; }

}  // namespace

// Layouts that ask for work out of all proportion to their bytes, as the real file would be,
// refused as damaged before that work: extent tables that read nothing, a grid naming one item
// again and again or tiles of more bytes than the file, item data of more than one frame, a track
// sample of more frames than a picture needs. Beside each, the like layout that is a picture.
TEST(OwnDecoderTest, LayoutsAskingWorkBeyondTheirBytesAreRefused) {
    const std::string frame = SeedFrame();
    const uint32_t length = static_cast<uint32_t>(frame.size());
    const TTestItem picture = {1, "av01", {{0, length}}, Bytes("\x01\x02", 2)};
    ASSERT_EQ(OutcomeOf(AvifOf({picture}, frame)), TDecodeOutcome::Decoded);

    // Offsets and lengths of no bytes: an extent from the item's base to the end of the file, which
    // a second one would only repeat.
    const auto noBytes = [](uint32_t extents) {
        return [extents](uint32_t base) {
            return FullBox("iloc", 1, Be16(0x0040) + Be16(2) + Be16(1) + Be16(0) + Be16(0) + Be32(base) + Be16(1) + Be16(2) +
                                          Be16(0) + Be16(0) + Be32(base) + Be16(extents));
        };
    };
    const std::vector<TTestItem> withExif = {{1, "av01", {}, Bytes("\x01\x02", 2)}, {2, "Exif", {}, ""}};
    ASSERT_EQ(OutcomeOf(AvifOf(withExif, frame, "", Properties(), noBytes(1))), TDecodeOutcome::Decoded);
    ASSERT_EQ(OutcomeOf(AvifOf(withExif, frame, "", Properties(), noBytes(3))), TDecodeOutcome::Damaged);
    // Half a megabyte of 65535 items of 65535 such extents each: 4 billion spans.
    std::string items = Be16(0) + Be16(65535);
    for (uint32_t id = 1; id <= 65535; ++id) items += Be16(id) + Be16(0) + Be16(0) + Be16(65535);
    EXPECT_EQ(OutcomeOf(AvifOf({picture}, frame, "", Properties(), [&](uint32_t) { return FullBox("iloc", 1, items); })),
              TDecodeOutcome::Damaged);

    // A grid of two items showing the same bytes is a picture; one item named twice is not.
    ASSERT_EQ(OutcomeOf(GridOf(2, 1, {2, 3}, frame, {{0, length}})), TDecodeOutcome::Decoded);
    ASSERT_EQ(OutcomeOf(GridOf(2, 1, {2, 2}, frame, {{0, length}})), TDecodeOutcome::Damaged);
    // Tiles of the frame and padding after it, each item named once: within the file's bytes, and
    // twice the padding's over them.
    ASSERT_EQ(OutcomeOf(GridOf(2, 1, {2, 3}, frame + Padding(64), {{0, length}, {length, 64}})), TDecodeOutcome::Decoded);
    ASSERT_EQ(OutcomeOf(GridOf(2, 1, {2, 3}, frame + Padding(4096), {{0, length}, {length, 4096}})),
              TDecodeOutcome::Damaged);
    // 128 x 128 tiles of one item with a megabyte of padding: 16 GiB to gather.
    const std::string megabyte = frame + Padding(1 << 20);
    EXPECT_EQ(OutcomeOf(GridOf(128, 128, std::vector<uint32_t>(128 * 128, 2), megabyte, {{0, length}, {length, 1 << 20}})),
              TDecodeOutcome::Damaged);

    // An item is one frame, or one of each spatial layer; a track's first sample may hold hidden
    // frames before the shown one.
    ASSERT_EQ(OutcomeOf(AvifOf({{1, "av01", {{0, length}, {0, length}}, Bytes("\x01\x02", 2)}}, frame)),
              TDecodeOutcome::Damaged);
    std::string layered = frame + frame;
    // The second frame OBU's header, after the second copy's temporal delimiter and sequence header.
    const size_t second = frame.size() + 4 + static_cast<size_t>(frame[3]);
    ASSERT_EQ(layered[second], '\x32');
    layered[second] = static_cast<char>(layered[second] | 4);
    layered.insert(second + 1, 1, '\x08');  // extension: spatial layer 1
    const TTestItem layers = {1, "av01", {{0, static_cast<uint32_t>(layered.size())}}, Bytes("\x01\x02", 2)};
    ASSERT_EQ(OutcomeOf(AvifOf({layers}, layered)), TDecodeOutcome::Decoded);
    std::string frames;
    for (int i = 0; i < 8; ++i) frames += frame;
    ASSERT_EQ(OutcomeOf(TrackOf(frames)), TDecodeOutcome::Decoded);
    ASSERT_EQ(OutcomeOf(TrackOf(frames + frame)), TDecodeOutcome::Damaged);
}

// The container's colour description counts whole: its range with its matrix. The seed's full-range
// samples read as limited, as its colour box is changed to say, stretch away from the middle.
TEST(OwnDecoderTest, TheContainersColourRangeGoesWithItsMatrix) {
    const std::string& seed = Seed("avif-12bit-444.avif");
    const std::string nclx = Bytes("nclx\0\x01\0\x0D\0\x06\x80", 11);
    const TDecodedPicture full = Decode("avif-full", seed);
    const TDecodedPicture limited = Decode("avif-limited", Changed(seed, {{nclx, nclx.substr(0, 10) + '\0'}}));
    ASSERT_EQ(full.Outcome, TDecodeOutcome::Decoded);
    ASSERT_EQ(limited.Outcome, TDecodeOutcome::Decoded);
    const auto stretched = [](int c) { return std::min(255, std::max(0, (c - 16) * 255 / 219)); };
    for (int quarter = 0; quarter < 4; ++quarter) {
        const TColour seen = ColourAt(limited, quarter), stored = ColourAt(full, quarter);
        EXPECT_NEAR(seen.Red, stretched(stored.Red), 6) << quarter;
        EXPECT_NEAR(seen.Green, stretched(stored.Green), 6) << quarter;
        EXPECT_NEAR(seen.Blue, stretched(stored.Blue), 6) << quarter;
    }
}
