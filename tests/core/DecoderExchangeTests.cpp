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
    reply.PixelSection = 0x1234;
    reply.FileIndex = 99;
    reply.FileWritten = 1234567;
    return reply;
}

TDecoderReply RefusedReply() {
    TDecoderReply reply;
    reply.Sequence = 8;
    reply.Refusal.Status = fsError;
    reply.Refusal.Description = "The file could not be read as a picture.";
    reply.Refusal.Parameter1 = "C:\\Pictures\\\xC3\xA9t\xC3\xA9.png";
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
    std::vector<uint8_t> block(DecoderBlockBytes);
    const size_t written = WriteDecoderRequest(request, block.data(), block.size());
    TDecoderRequest read;
    ASSERT_TRUE(ReadDecoderRequest(block.data(), written, read));
    EXPECT_EQ(read.Sequence, 3u);
    EXPECT_EQ(read.Path, request.Path);
    ASSERT_EQ(read.Areas.size(), 2u);
    EXPECT_EQ(read.Areas[1].Width, 400);
    EXPECT_EQ(read.Areas[1].Height, 300);

    TDecoderReply decoded;
    ASSERT_TRUE(RoundTrip(DecodedReply(), decoded));
    EXPECT_TRUE(decoded.Decoded);
    EXPECT_EQ(decoded.ImageWidth, 6000u);
    EXPECT_EQ(decoded.Width, 1500);
    EXPECT_EQ(decoded.Height, 1000);
    EXPECT_TRUE(decoded.Alpha);
    EXPECT_EQ(decoded.PixelSection, 0x1234u);
    EXPECT_EQ(decoded.FileWritten, 1234567u);
    EXPECT_EQ(DecoderPixelBytes(decoded), 1500u * 1000u * 4u);

    TDecoderReply refused;
    ASSERT_TRUE(RoundTrip(RefusedReply(), refused));
    EXPECT_FALSE(refused.Decoded);
    EXPECT_EQ(refused.Refusal.Description, RefusedReply().Refusal.Description);
    EXPECT_EQ(refused.Refusal.Parameter1, RefusedReply().Refusal.Parameter1);
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
    TDecoderReply noFailure = RefusedReply();
    noFailure.Refusal.Status = fsWarning;
    EXPECT_FALSE(RoundTrip(noFailure, read));
    TDecoderReply notUtf8 = RefusedReply();
    notUtf8.Refusal.Description = "\xFF\xFE";
    EXPECT_FALSE(RoundTrip(notUtf8, read));

    // A text length that points past the block, a block cut short, and a request taken for a reply.
    std::vector<uint8_t> block(DecoderBlockBytes);
    const size_t written = WriteDecoderReply(RefusedReply(), block.data(), block.size());
    std::vector<uint8_t> longText(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(written));
    const uint32_t huge = 0x7FFFFFFF;
    std::memcpy(&longText[16], &huge, sizeof huge);  // the description's length
    EXPECT_FALSE(ReadDecoderReply(longText.data(), longText.size(), read));
    for (size_t cut = 0; cut < written; cut += 7) EXPECT_FALSE(ReadDecoderReply(block.data(), cut, read)) << cut;
    TDecoderRequest request;
    request.Path = "a.png";
    const size_t requestBytes = WriteDecoderRequest(request, block.data(), block.size());
    EXPECT_FALSE(ReadDecoderReply(block.data(), requestBytes, read));

    // What does not fit the block is not written at all.
    TDecoderReply tooLong = RefusedReply();
    tooLong.Refusal.Parameter2.assign(MaxDecoderTextBytes + 1, 'x');
    EXPECT_EQ(WriteDecoderReply(tooLong, block.data(), block.size()), 0u);
    EXPECT_EQ(WriteDecoderReply(RefusedReply(), block.data(), 20), 0u);
    request.Areas.assign(MaxDecoderAreas + 1, TPictureSize{10, 10});
    EXPECT_EQ(WriteDecoderRequest(request, block.data(), block.size()), 0u);
}
