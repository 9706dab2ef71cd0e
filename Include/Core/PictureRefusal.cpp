#include "Include/Core/PictureRefusal.h"

#include <algorithm>

namespace {

const char* const UnreadablePicture = "The file could not be read as a picture.";

std::string SizeText(uint64_t width, uint64_t height) { return std::to_string(width) + " x " + std::to_string(height); }

// What a format is called and what Windows needs to decode it, for formats that only an
// installed codec reads; null for every other format.
struct TCodecAdvice {
    const char* FormatName;
    const char* ToInstall;
};
const TCodecAdvice* CodecAdviceFor(TPictureFormat format) {
    static const TCodecAdvice heif = {"HEIC/HEIF", "the HEIF Image Extensions and the HEVC Video Extensions"};
    static const TCodecAdvice avif = {"AVIF", "the AV1 Video Extension"};
    static const TCodecAdvice webp = {"WebP", "the Webp Image Extensions"};
    static const TCodecAdvice jpegXl = {"JPEG XL", "the JPEG XL Image Extension"};
    switch (format) {
    case TPictureFormat::Heif: return &heif;
    case TPictureFormat::Avif: return &avif;
    case TPictureFormat::WebP: return &webp;
    case TPictureFormat::JpegXl: return &jpegXl;
    default: return nullptr;
    }
}

// A format known by its first bytes is named; any other file is simply no picture.
std::string UnreadableMessage(TPictureFormat format) {
    const std::string named = UnreadableFormatText(format);
    return named.empty() ? UnreadablePicture : named;
}

// The message of a reason about the file itself.
std::string FileMessage(const TPictureRefusal& refusal) {
    const TCodecAdvice* advice = CodecAdviceFor(refusal.Format);
    switch (refusal.Reason) {
    case TRefusalReason::FileTooLarge:
        return "The picture file of " + std::to_string(refusal.Bytes) + " bytes is too large to load.";
    case TRefusalReason::PictureTooLarge:
        return "The picture of " + SizeText(refusal.Width, refusal.Height) + " pixels is too large to load.";
    case TRefusalReason::NoCodec:
        if (!advice) return UnreadableMessage(refusal.Format);
        return std::string("This ") + advice->FormatName + " picture cannot be loaded: Windows has no codec for it. " +
               "Install " + advice->ToInstall + " from the Microsoft Store, then load it again.";
    case TRefusalReason::CodecFailed:
        if (!advice) return UnreadableMessage(refusal.Format);
        return std::string("This ") + advice->FormatName + " picture could not be decoded. Windows decodes it with " +
               advice->ToInstall + "; if that is installed, the file itself may be incomplete.";
    case TRefusalReason::FormatUnreadable:
        return UnreadableMessage(refusal.Format);
    case TRefusalReason::NotDrawn:
        return "The picture could not be drawn.";
    default:
        break;
    }
    return UnreadablePicture;
}

}  // namespace

std::string NoMemoryText(int64_t width, int64_t height) {
    return "Not enough memory for a picture of " + SizeText(static_cast<uint64_t>(std::max<int64_t>(width, 0)),
                                                            static_cast<uint64_t>(std::max<int64_t>(height, 0))) +
           " pixels.";
}

TRefusalRecord RefusalRecord(const TPictureRefusal& refusal, const std::string& fileName) {
    // Reported as every failed allocation of a picture's memory has always been.
    if (refusal.Reason == TRefusalReason::NoMemory)
        return {"Unhandled exception: " + NoMemoryText(static_cast<int64_t>(std::min<uint64_t>(refusal.Width, INT32_MAX)),
                                                        static_cast<int64_t>(std::min<uint64_t>(refusal.Height, INT32_MAX))),
                "", "0"};
    return {FileMessage(refusal), fileName, ""};
}
