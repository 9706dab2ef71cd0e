// The WebP and AVIF decoders on the small pictures kept as fuzz seeds (tests/fuzz/seeds, made with
// the formats' own encoders): a 64 x 48 picture of four coloured quarters, stored in every kind
// each format has (pictures made of tiles are larger: see SizeOfSeed). Each must come out upright, in its colours, transparent parts black, scaled
// where asked; and every damaged or hostile variant must be refused as such.
#include "Include/Core/AvifDecoder.h"
#include "Include/Core/WebpDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
