#include "Include/Core/DecoderExchange.h"

#include "Include/Core/FunStat.h"
#include "Include/Core/PictureHeader.h"
#include "Include/Core/Utf8Text.h"

#include <cstring>

namespace {

// The first word of each message: a stale or foreign block is never taken for one.
constexpr uint32_t RequestMark = 0x51524454;  // "TDRQ"
constexpr uint32_t ReplyMark = 0x50524454;    // "TDRP"

// Fields in a fixed order at byte offsets, little or big endian as the machine has it: both ends
// are the same program.
class TBlockWriter {
public:
    TBlockWriter(uint8_t* block, size_t size) : at_(block), left_(size) {}
    template <class Value>
    void Put(Value value) { Bytes(&value, sizeof value); }
    void Text(const std::string& text) {
        Put(static_cast<uint32_t>(text.size()));
        Bytes(text.data(), text.size());
    }
    size_t Written(size_t size) const { return ok_ ? size - left_ : 0; }

private:
    void Bytes(const void* data, size_t size) {
        if (!ok_ || size > left_) {
            ok_ = false;
            return;
        }
        if (size) std::memcpy(at_, data, size);
        at_ += size;
        left_ -= size;
    }
    uint8_t* at_;
    size_t left_;
    bool ok_ = true;
};

class TBlockReader {
public:
    TBlockReader(const uint8_t* block, size_t size) : at_(block), left_(size) {}
    template <class Value>
    Value Get() {
        Value value{};
        Bytes(&value, sizeof value);
        return value;
    }
    // A text of at most limit bytes, valid UTF-8.
    std::string Text(size_t limit) {
        const uint32_t length = Get<uint32_t>();
        if (!ok_ || length > limit || length > left_) {
            ok_ = false;
            return std::string();
        }
        std::string text(reinterpret_cast<const char*>(at_), length);
        at_ += length;
        left_ -= length;
        if (!IsValidUtf8(text)) ok_ = false;
        return text;
    }
    bool Ok() const { return ok_; }
    void Fail() { ok_ = false; }

private:
    void Bytes(void* data, size_t size) {
        if (!ok_ || size > left_) {
            ok_ = false;
            return;
        }
        std::memcpy(data, at_, size);
        at_ += size;
        left_ -= size;
    }
    const uint8_t* at_;
    size_t left_;
    bool ok_ = true;
};

bool IsPlausibleArea(const TPictureSize& area) { return area.Width >= 0 && area.Height >= 0; }


}  // namespace

uint64_t DecoderPixelBytes(const TDecoderReply& reply) {
    if (reply.Width <= 0 || reply.Height <= 0) return 0;
    return static_cast<uint64_t>(reply.Width) * static_cast<uint64_t>(reply.Height) * 4;
}

size_t WriteDecoderRequest(const TDecoderRequest& request, uint8_t* block, size_t size) {
    if (request.Path.size() > MaxDecoderPathBytes || request.Areas.size() > MaxDecoderAreas) return 0;
    TBlockWriter writer(block, size);
    writer.Put(RequestMark);
    writer.Put(request.Sequence);
    writer.Text(request.Path);
    writer.Put(static_cast<uint32_t>(request.Areas.size()));
    for (const TPictureSize& area : request.Areas) {
        writer.Put(area.Width);
        writer.Put(area.Height);
    }
    writer.Put(request.PixelSection);
    return writer.Written(size);
}

bool ReadDecoderRequest(const uint8_t* block, size_t size, TDecoderRequest& request) {
    TBlockReader reader(block, size);
    if (reader.Get<uint32_t>() != RequestMark) return false;
    request.Sequence = reader.Get<uint32_t>();
    request.Path = reader.Text(MaxDecoderPathBytes);
    const uint32_t count = reader.Get<uint32_t>();
    if (!reader.Ok() || count > MaxDecoderAreas) return false;
    request.Areas.clear();
    for (uint32_t i = 0; i < count; ++i) {
        TPictureSize area;
        area.Width = reader.Get<int32_t>();
        area.Height = reader.Get<int32_t>();
        if (!IsPlausibleArea(area)) reader.Fail();
        request.Areas.push_back(area);
    }
    request.PixelSection = reader.Get<uint64_t>();
    return reader.Ok() && !request.Path.empty();
}

size_t WriteDecoderReply(const TDecoderReply& reply, uint8_t* block, size_t size) {
    const TPictureRefusal& refusal = reply.Refusal.Picture;
    TBlockWriter writer(block, size);
    writer.Put(ReplyMark);
    writer.Put(reply.Sequence);
    writer.Put(static_cast<uint32_t>(reply.Decoded ? 1 : 0));
    if (reply.Decoded) {
        writer.Put(reply.ImageWidth);
        writer.Put(reply.ImageHeight);
        writer.Put(reply.Width);
        writer.Put(reply.Height);
        writer.Put(static_cast<uint32_t>(reply.Alpha ? 1 : 0));
        writer.Put(reply.FileVolume);
        writer.Put(reply.FileIndex);
        writer.Put(reply.FileSize);
        writer.Put(reply.FileWritten);
    } else {
        writer.Put(static_cast<uint32_t>(refusal.Reason));
        writer.Put(refusal.Width);
        writer.Put(refusal.Height);
        writer.Put(refusal.Bytes);
        writer.Put(static_cast<uint32_t>(refusal.Format));
        writer.Put(reply.Refusal.SystemErrorCode);
    }
    return writer.Written(size);
}

bool ReadDecoderReply(const uint8_t* block, size_t size, TDecoderReply& reply) {
    TBlockReader reader(block, size);
    if (reader.Get<uint32_t>() != ReplyMark) return false;
    reply.Sequence = reader.Get<uint32_t>();
    const uint32_t decoded = reader.Get<uint32_t>();
    if (!reader.Ok() || decoded > 1) return false;
    reply.Decoded = decoded == 1;
    if (!reply.Decoded) {
        TPictureRefusal& refusal = reply.Refusal.Picture;
        const uint32_t reason = reader.Get<uint32_t>();
        refusal.Width = reader.Get<uint64_t>();
        refusal.Height = reader.Get<uint64_t>();
        refusal.Bytes = reader.Get<uint64_t>();
        const uint32_t format = reader.Get<uint32_t>();
        reply.Refusal.SystemErrorCode = reader.Get<int32_t>();
        // Only the reasons and formats the game knows how to word.
        if (!reader.Ok() || reason >= static_cast<uint32_t>(TRefusalReason::Count) ||
            format > static_cast<uint32_t>(TPictureFormat::Empty))
            return false;
        refusal.Reason = static_cast<TRefusalReason>(reason);
        refusal.Format = static_cast<TPictureFormat>(format);
        return true;
    }
    reply.ImageWidth = reader.Get<uint32_t>();
    reply.ImageHeight = reader.Get<uint32_t>();
    reply.Width = reader.Get<int32_t>();
    reply.Height = reader.Get<int32_t>();
    const uint32_t alpha = reader.Get<uint32_t>();
    reply.FileVolume = reader.Get<uint64_t>();
    reply.FileIndex = reader.Get<uint64_t>();
    reply.FileSize = reader.Get<uint64_t>();
    reply.FileWritten = reader.Get<uint64_t>();
    if (!reader.Ok() || alpha > 1) return false;
    reply.Alpha = alpha == 1;
    // The pixels must be a picture the game could have decoded itself.
    // The picture's own sides too: the game cuts its grid by them, and a side past what any
    // picture the engine decodes can have would come out negative there.
    return reply.ImageWidth > 0 && reply.ImageHeight > 0 && FitsJpegBudget(reply.ImageWidth, reply.ImageHeight) &&
           reply.Width > 0 && reply.Height > 0 &&
           FitsPictureBudget(static_cast<uint64_t>(reply.Width), static_cast<uint64_t>(reply.Height));
}
