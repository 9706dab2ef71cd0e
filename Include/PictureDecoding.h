// The decoder's side of the wall around picture decoding: a picture file decoded in this process
// by the decoder its content calls for (libjpeg-turbo, libwebp, dav1d, GDI+ or an installed WIC
// codec), and its pixels taken to be handed to another process. The decoder process runs this
// for each request; benchmarks run it in the game's own process to compare.
// Operations with a status record report as module "Include\\PictureDecoding".
#pragma once

#include "Include/Core/PictureFit.h"
#include "Include/Core/PictureRefusal.h"
#include "Include/PictureData.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The picture file decoded no larger than the areas it will be fitted into need (see
// LoadPictureFile in MyGDIPlus.h). Null after an Error whose first parameter is the path; then
// Refusal, where given, says why (a failure of no known reason is an unreadable picture).
std::unique_ptr<TPictureData> LoadPictureData(const std::string& FileName, const std::vector<TPictureSize>& PaintAreas,
                                              TPictureRefusal* Refusal = nullptr);

// Told the furthest byte of the picture file read so far, as our own decoders read it.
using TReadProgressSink = void (*)(uint64_t furthestByte);
void SetReadProgressSink(TReadProgressSink sink);

// Pixels as they cross from the decoder process: 0xAARRGGBB, Width per row, top row first.
struct TPicturePixels {
    std::vector<uint32_t> Pixels;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Alpha = false;  // whether the fourth byte is their opacity; otherwise they are opaque
};

// The pixels to hand to another process, upright and no larger than the areas need: our own
// decoders' as they are (moved out of data), larger rasters averaged down, metafiles drawn at the
// areas' size. The data is not drawn again afterwards. False when GDI+ failed.
bool TakePixels(TPictureData& data, const std::vector<TPictureSize>& areas, TPicturePixels& out);
