// JPEG pictures decoded by libjpeg-turbo at the smallest of its DCT scales (1, 1/2, 1/4, 1/8)
// that still covers every image the picture will be painted as, into 32-bit BGRX pixels. Most of
// a large photograph's decoding work and nearly all of its memory are skipped that way.
#pragma once

#include "Include/Core/PictureFit.h"
#include "Include/Core/PictureHeader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TJpegOutcome {
    Decoded,
    Damaged,   // not a JPEG stream, one that breaks off or holds corrupt data, or one whose scans
               // would take far more work than any real picture's
    TooLarge,  // beyond the picture budget, or beyond the working memory of the decoder
    NoMemory,  // the pixels could not be allocated
};

struct TJpegRequest {
    // The areas the picture will be fitted into; none asks for the picture's full size.
    std::vector<TPictureSize> Areas;
    // The most pixels of the decoded picture; a larger need takes a smaller scale.
    uint64_t MaxPixels = MaxPicturePixels;
    // The most memory of the decoder's own buffers. A progressive picture keeps the coefficients of
    // the whole picture, about 3 bytes a pixel at any scale.
    uint64_t MaxWorkingMemory = 1ull << 30;
    // How the stored picture is turned upright (PictureOrientation.h); the areas are the upright
    // picture's, and so is everything decoded.
    uint32_t Orientation = 1;
};

struct TDecodedJpeg {
    TJpegOutcome Outcome = TJpegOutcome::Damaged;
    uint32_t ImageWidth = 0;  // the picture's own size, from its frame header, turned upright
    uint32_t ImageHeight = 0;
    int32_t Denominator = 1;  // the scale decoded at, 1/Denominator
    int32_t Width = 0;        // the decoded size, upright
    int32_t Height = 0;
    // BGRX, Width per row, top row first, upright: each row is put in its place as it is decoded.
    std::vector<uint32_t> Pixels;  // empty unless decoded
};

// Decodes the JPEG stream that read gives from offset 0. read must not throw. The library's
// errors and its warnings about corrupt data end the decode (Damaged); nothing is ever printed.
TDecodedJpeg DecodeJpeg(const TReadAt& read, const TJpegRequest& request);

// CMYK as the library gives it to BGRX, with each ink taking its share of the light away, the way
// the system's own decoder shows such pictures. Adobe's pictures store the inks inverted.
void CmykToBgrx(const uint8_t* cmyk, uint32_t* bgrx, size_t count, bool adobeInverted);
