// Pixels of a packed device-independent bitmap, the form in which the clipboard holds a bitmap
// (CF_DIB, CF_DIBV5): a bitmap header, colour masks or a colour table, then the rows. The bytes
// come from whatever program copied them, so every size is checked against what is there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class TDibOutcome {
    Decoded,
    TooLarge,    // more pixels than the picture budget
    Unreadable,  // cut off, contradicting itself, or a compression other than none or bit fields
};

struct TDibPixels {
    TDibOutcome Outcome = TDibOutcome::Unreadable;
    uint32_t Width = 0;  // as the header claims, also for a picture refused as too large
    uint32_t Height = 0;
    // Width x Height pixels, 0xAARRGGBB, top row first. A bitmap whose alpha is zero everywhere
    // is opaque: some programs copy 32-bit bitmaps without filling in their alpha.
    std::vector<uint32_t> Pixels;
};

// Reads bitmaps of 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit fields,
// rows bottom-up or top-down, with any header from the 12-byte core header to the fifth version.
TDibPixels DecodePackedDib(const uint8_t* data, size_t size);
