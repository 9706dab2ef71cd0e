// What the program's own decoders of whole-file formats (WebP, AVIF) are asked for and give: a
// picture as 32-bit BGRX pixels, upright, with transparent parts on black, no larger than the
// areas it will be painted into need where the format lets the decoder scale.
#pragma once

#include "Include/Core/PictureFit.h"
#include "Include/Core/PictureHeader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TDecodeOutcome {
    Decoded,
    Damaged,   // not the format, or a file that breaks off or holds corrupt data
    TooLarge,  // beyond the picture budget
    NoMemory,  // the pixels could not be allocated
};

// The most bytes of such a file: it is read whole before it is decoded.
constexpr uint64_t MaxEncodedPictureBytes = 512ull << 20;

struct TDecodeRequest {
    // The areas the picture will be fitted into; none asks for the picture's full size.
    std::vector<TPictureSize> Areas;
    // The most pixels of the decoded picture.
    uint64_t MaxPixels = MaxPicturePixels;
};

struct TDecodedPicture {
    TDecodeOutcome Outcome = TDecodeOutcome::Damaged;
    uint32_t ImageWidth = 0;  // the picture's own size, upright; known also when it is refused
    uint32_t ImageHeight = 0;
    int32_t Width = 0;  // the decoded size, upright
    int32_t Height = 0;
    // BGRX with X = 0xFF, Width per row, top row first.
    std::vector<uint32_t> Pixels;  // empty unless decoded
};

// The size to decode a picture of width x height at: what the areas need, and within the budget.
TPictureSize ChooseDecodedSize(uint32_t width, uint32_t height, const TDecodeRequest& request);

// A decoded picture of width x height, all black, or an empty one when it cannot be allocated.
bool AllocateBlackPixels(TDecodedPicture& picture, int32_t width, int32_t height);
