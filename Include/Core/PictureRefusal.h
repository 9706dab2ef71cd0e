// Why a picture was not decoded: a reason and the numbers its message names. The decoder process
// sends these across its wall, never its own words; the game words each reason itself, exactly as
// a decode in its own process words it.
#pragma once

#include "Include/Core/PictureHeader.h"

#include <cstdint>
#include <string>

enum class TRefusalReason : uint32_t {
    Unreadable,        // damaged, not a picture, or the file could not be opened
    FileTooLarge,      // the file's bytes (Bytes)
    PictureTooLarge,   // more pixels than the budget (Width x Height, upright)
    NoMemory,          // no memory for the pixels (Width x Height)
    NoCodec,           // a format only an installed codec reads, and none is (Format)
    CodecFailed,       // that codec could not decode it (Format)
    FormatUnreadable,  // a format known by its first bytes that nothing here reads (Format)
    NotDrawn,          // decoded, but its pixels could not be drawn
    Count
};

struct TPictureRefusal {
    TRefusalReason Reason = TRefusalReason::Unreadable;
    uint64_t Width = 0;
    uint64_t Height = 0;
    uint64_t Bytes = 0;
    TPictureFormat Format = TPictureFormat::Unknown;
};

// The failure record a refusal is reported with: the message and its two parameters (the file's
// path where the message is about the file).
struct TRefusalRecord {
    std::string Description;
    std::string Parameter1;
    std::string Parameter2;
};
TRefusalRecord RefusalRecord(const TPictureRefusal& refusal, const std::string& fileName);

// "Not enough memory for a picture of W x H pixels."
std::string NoMemoryText(int64_t width, int64_t height);
