// The messages between the game and its decoder process: what one end writes the other reads
// back whole, and a reply that a taken-over decoder could forge (pixels beyond the budget, texts
// beyond the block, a refusal without a failure, a cut or foreign block) is refused.
#include "Include/Core/DecoderExchange.h"
#include "Include/Core/FunStat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TDecoderReply DecodedReply() {
    TDecoderReply reply;
    reply.Sequence = 7;
    reply.Decoded = true;
    reply.ImageWidth = 6000;
    reply.ImageHeight = 4000;
    reply.Width = 1500;
    reply.Height = 1000;
    reply.Alpha = true;
    reply.FileIndex = 99;
    reply.FileWritten = 1234567;
    return reply;
}

TDecoderReply RefusedReply() {
    TDecoderReply reply;
    reply.Sequence = 8;
    reply.Refusal.Picture.Reason = TRefusalReason::NoCodec;
    reply.Refusal.Picture.Format = TPictureFormat::Heif;
    reply.Refusal.SystemErrorCode = 2;
    return reply;
}

// The reply written into a block of its own, read back; false when the reader refused it.
bool RoundTrip(const TDecoderReply& sent, TDecoderReply& received) {
    std::vector<uint8_t> block(DecoderBlockBytes);
    const size_t written = WriteDecoderReply(sent, block.data(), block.size());
    EXPECT_GT(written, 0u);
    return ReadDecoderReply(block.data(), written, received);
}

}  // namespace

TEST(DecoderExchange, RequestsAndRepliesArriveWhole) {
    TDecoderRequest request;
    request.Sequence = 3;
    request.Path = "C:\\Pictures\\\xE6\x97\xA5.jpg";
    request.Areas = {{1190, 880}, {400, 300}};
    request.PixelSection = 0x1234;
    std::vector<uint8_t> block(DecoderBlockBytes);
    const size_t written = WriteDecoderRequest(request, block.data(), block.size());
    TDecoderRequest read;
    ASSERT_TRUE(ReadDecoderRequest(block.data(), written, read));
    EXPECT_EQ(read.Sequence, 3u);
    EXPECT_EQ(read.Path, request.Path);
    ASSERT_EQ(read.Areas.size(), 2u);
    EXPECT_EQ(read.Areas[1].Width, 400);
    EXPECT_EQ(read.Areas[1].Height, 300);
    EXPECT_EQ(read.PixelSection, 0x1234u);

    TDecoderReply decoded;
    ASSERT_TRUE(RoundTrip(DecodedReply(), decoded));
    EXPECT_TRUE(decoded.Decoded);
    EXPECT_EQ(decoded.ImageWidth, 6000u);
    EXPECT_EQ(decoded.Width, 1500);
    EXPECT_EQ(decoded.Height, 1000);
    EXPECT_TRUE(decoded.Alpha);
    EXPECT_EQ(decoded.FileWritten, 1234567u);
    EXPECT_EQ(DecoderPixelBytes(decoded), 1500u * 1000u * 4u);

    TDecoderReply refused;
    ASSERT_TRUE(RoundTrip(RefusedReply(), refused));
    EXPECT_FALSE(refused.Decoded);
    EXPECT_EQ(refused.Refusal.Picture.Reason, TRefusalReason::NoCodec);
    EXPECT_EQ(refused.Refusal.Picture.Format, TPictureFormat::Heif);
    EXPECT_EQ(refused.Refusal.SystemErrorCode, 2);
}

TEST(DecoderExchange, ForgedRepliesAreRefused) {
    TDecoderReply read;
    TDecoderReply overBudget = DecodedReply();
    overBudget.Width = 20000;
    overBudget.Height = 10000;  // 200 megapixels: twice the budget
    EXPECT_FALSE(RoundTrip(overBudget, read));
    TDecoderReply negative = DecodedReply();
    negative.Height = -1000;
    EXPECT_FALSE(RoundTrip(negative, read));
    TDecoderReply noImageSize = DecodedReply();
    noImageSize.ImageWidth = 0;
    EXPECT_FALSE(RoundTrip(noImageSize, read));
    // A side that reads as -1 where the game cuts its grid, and a picture past a gigapixel.
    TDecoderReply hugeSide = DecodedReply();
    hugeSide.ImageHeight = 0xFFFFFFFFu;
    EXPECT_FALSE(RoundTrip(hugeSide, read));
    TDecoderReply gigapixels = DecodedReply();
    gigapixels.ImageWidth = 100000;
    gigapixels.ImageHeight = 20000;
    EXPECT_FALSE(RoundTrip(gigapixels, read));
    // A reason or a format the game cannot word.
    TDecoderReply unknownReason = RefusedReply();
    unknownReason.Refusal.Picture.Reason = TRefusalReason::Count;
    EXPECT_FALSE(RoundTrip(unknownReason, read));
    TDecoderReply unknownFormat = RefusedReply();
    unknownFormat.Refusal.Picture.Format = static_cast<TPictureFormat>(static_cast<uint32_t>(TPictureFormat::Empty) + 1);
    EXPECT_FALSE(RoundTrip(unknownFormat, read));

    // A block cut short, and a request taken for a reply.
    std::vector<uint8_t> block(DecoderBlockBytes);
    const size_t written = WriteDecoderReply(RefusedReply(), block.data(), block.size());
    for (size_t cut = 0; cut < written; cut += 7) EXPECT_FALSE(ReadDecoderReply(block.data(), cut, read)) << cut;
    TDecoderRequest request;
    request.Path = "a.png";
    const size_t requestBytes = WriteDecoderRequest(request, block.data(), block.size());
    EXPECT_FALSE(ReadDecoderReply(block.data(), requestBytes, read));

    // What does not fit the block is not written at all.
    EXPECT_EQ(WriteDecoderReply(RefusedReply(), block.data(), 20), 0u);
    request.Areas.assign(MaxDecoderAreas + 1, TPictureSize{10, 10});
    EXPECT_EQ(WriteDecoderRequest(request, block.data(), block.size()), 0u);
}

// The game words every reason itself, as a decode in its own process words it; the file named is
// always the one the game asked for.
TEST(PictureRefusal, EachReasonHasTheGamesOwnWords) {
    const std::string file = "C:\\Pictures\\\xC3\xA9t\xC3\xA9.heic";
    TPictureRefusal refusal;
    EXPECT_EQ(RefusalRecord(refusal, file).Description, "The file could not be read as a picture.");
    EXPECT_EQ(RefusalRecord(refusal, file).Parameter1, file);
    refusal.Reason = TRefusalReason::PictureTooLarge;
    refusal.Width = 30000;
    refusal.Height = 20000;
    EXPECT_EQ(RefusalRecord(refusal, file).Description, "The picture of 30000 x 20000 pixels is too large to load.");
    refusal.Reason = TRefusalReason::FileTooLarge;
    refusal.Bytes = 5000000000ull;
    EXPECT_EQ(RefusalRecord(refusal, file).Description, "The picture file of 5000000000 bytes is too large to load.");
    refusal.Reason = TRefusalReason::NoCodec;
    refusal.Format = TPictureFormat::Heif;
    EXPECT_EQ(RefusalRecord(refusal, file).Description,
              "This HEIC/HEIF picture cannot be loaded: Windows has no codec for it. Install the HEIF Image Extensions "
              "and the HEVC Video Extensions from the Microsoft Store, then load it again.");
    refusal.Reason = TRefusalReason::CodecFailed;
    EXPECT_NE(RefusalRecord(refusal, file).Description.find("if that is installed, the file itself may be incomplete"),
              std::string::npos);
    // A format no codec of Windows is for is named as unreadable, or is simply no picture.
    refusal.Format = TPictureFormat::Photoshop;
    EXPECT_EQ(RefusalRecord(refusal, file).Description.rfind("This Photoshop document cannot be loaded", 0), 0u);
    refusal.Format = TPictureFormat::Png;
    EXPECT_EQ(RefusalRecord(refusal, file).Description, "The file could not be read as a picture.");
    // Memory is reported as every failed allocation of a picture is, without a file.
    refusal.Reason = TRefusalReason::NoMemory;
    refusal.Width = 0xFFFFFFFFFFull;
    refusal.Height = 100;
    const TRefusalRecord memory = RefusalRecord(refusal, file);
    EXPECT_EQ(memory.Description, "Unhandled exception: Not enough memory for a picture of 2147483647 x 100 pixels.");
    EXPECT_EQ(memory.Parameter1, "");
    EXPECT_EQ(memory.Parameter2, "0");
}
