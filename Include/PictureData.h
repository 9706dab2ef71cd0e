// A decoded picture as both sides of the decoder wall hold it: a GDI+ image, over pixels of our
// own where a decoder of ours or the decoder process made them.
#pragma once

#include "Include/Core/PictureFileStamp.h"
#include "Include/GdiplusFlat.h"
#include "Include/Owned.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TPictureData {
    std::string FileName;
    TPictureFileStamp FileStamp;
    // Pixels decoded by our own decoder, or by the decoder process in a view of its memory, which
    // Image then refers to: declared first, freed last.
    std::vector<uint32_t> Pixels;
    TOwnedView PixelView;
    TOwnedGpImage Image;
    int32_t Width = 0;  // the picture's own size
    int32_t Height = 0;
    int32_t DecodedWidth = 0;  // the size of Image, smaller when a JPEG was decoded scaled down
    int32_t DecodedHeight = 0;
    // Whether the fourth byte of Pixels is their opacity.
    bool Alpha = false;
    // Decoded by our own decoders, which already chose the size the areas need.
    bool SizedByDecoder = false;
    bool HasPixels() const { return PixelView || !Pixels.empty(); }
    const uint32_t* PixelData() const {
        return PixelView ? static_cast<const uint32_t*>(PixelView.get()) : Pixels.data();
    }
};

// The data's pixels (width x height of them, alpha counting or not) handed to GDI+ as a bitmap
// over them, so that both images are resampled as from any other picture; imageWidth x
// imageHeight is the picture's own size. False when GDI+ had no memory for it.
bool PutImageOverPixels(TPictureData& data, int32_t width, int32_t height, uint32_t imageWidth, uint32_t imageHeight,
                        bool alpha);

// The image drawn over width x height of target with high-quality interpolation.
bool DrawStretched(HDC target, Gdiplus::GpImage* source, int32_t width, int32_t height);
