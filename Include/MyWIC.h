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
    uint32_t Width = 0;  // the first frame's size, once a codec has read it
    uint32_t Height = 0;
    // Width x Height pixels, 0xAARRGGBB (BGRA in memory, not premultiplied), top row first.
    std::vector<uint32_t> Pixels;
};

// The first frame of the file. Its size is checked against the pixel budget before any pixel
// is decoded.
TWicPicture DecodeWithWic(const std::wstring& path);

// The file patterns of every installed WIC decoder, such as "*.bmp;*.dib;*.heic", lower-cased;
// empty when WIC is not there.
std::string WicDecoderPatterns();
