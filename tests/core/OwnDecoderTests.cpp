// The WebP and AVIF decoders on the small pictures kept as fuzz seeds (tests/fuzz/seeds, made with
// the formats' own encoders): a 64 x 48 picture of four coloured quarters, stored in every kind
// each format has. Each must come out upright, in its colours, transparent parts black, scaled
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
// stored transposed that the container's turn and mirror put upright.
TEST(OwnDecoderTest, EveryKindShowsItsQuartersUprightAtFullSize) {
    ASSERT_GE(Seeds().size(), 11u);
    for (const TSeed& seed : Seeds()) {
        SCOPED_TRACE(seed.Name);
        const TDecodedPicture picture = Decode(seed.Name, seed.Bytes);
        ASSERT_EQ(picture.Outcome, TDecodeOutcome::Decoded);
        EXPECT_EQ(picture.ImageWidth, 64u);
        EXPECT_EQ(picture.ImageHeight, 48u);
        ASSERT_EQ(picture.Width, 64);
        ASSERT_EQ(picture.Height, 48);
        ASSERT_EQ(picture.Pixels.size(), 64u * 48u);
        ExpectQuarters(picture, seed.Name);
    }
}

// WebP scales to the size asked while decoding; AVIF is reduced by whole blocks to at least it.
TEST(OwnDecoderTest, ASmallAreaGivesASmallerPictureOfTheSameQuarters) {
    TDecodeRequest request;
    request.Areas = {{32, 32}, {20, 10}};  // the first needs 32 x 24
    for (const char* name : {"webp-lossy.webp", "webp-animated.webp", "avif-12bit-444.avif", "avif-irot1-imir0.avif"}) {
        SCOPED_TRACE(name);
        const TDecodedPicture picture = Decode(name, Seed(name), request);
        ASSERT_EQ(picture.Outcome, TDecodeOutcome::Decoded);
        EXPECT_EQ(picture.ImageWidth, 64u);
        EXPECT_EQ(picture.Width, 32);
        EXPECT_EQ(picture.Height, 24);
        ExpectQuarters(picture, name);
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
