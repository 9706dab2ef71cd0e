// Pictures through the Windows Imaging Component, which brings every codec installed in Windows:
// HEIF with its extensions, camera raw files, JPEG XL on recent systems. The picture engine asks
// it last, for files its own decoders and GDI+ declined.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TWicOutcome {
    Decoded,
    NoCodec,   // no installed codec recognises the file
    Failed,    // a codec took the file but could not decode it
    TooLarge,  // the first frame claims more pixels than the budget
    NoMemory,
};

struct TWicPicture {
    TWicOutcome Outcome = TWicOutcome::Failed;
    // The first frame's size once a codec has read it, upright: turned as the orientation its
    // metadata records (the Exif tag's numbers, 1 to 8), as the picture is shown.
    uint32_t Width = 0;
    uint32_t Height = 0;
    // Width x Height pixels upright, 0xAARRGGBB (BGRA in memory, not premultiplied), top row first.
    std::vector<uint32_t> Pixels;
};

// The first frame of the file, turned upright. Its size is checked against the pixel budget
// before any pixel is decoded.
TWicPicture DecodeWithWic(const std::wstring& path);

// The file patterns of every installed WIC decoder, such as "*.bmp;*.dib;*.heic", lower-cased;
// empty when WIC is not there.
std::string WicDecoderPatterns();
