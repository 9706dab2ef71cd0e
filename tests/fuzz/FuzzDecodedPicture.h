// What the harnesses of the whole-file decoders share: the request the input's first two bytes
// choose, and the checks of what a decoder gives.
#pragma once

#include "Include/Core/DecodedPicture.h"

#include <cstddef>
#include <cstdint>

inline TDecodeRequest FuzzRequest(const uint8_t* data) {
    TDecodeRequest request;
    if (data[0] != 0 || data[1] != 0) request.Areas.push_back({data[0] * 8, data[1] * 8});
    // Small enough for the fuzzer's memory limit.
    request.MaxPixels = 12000000;
    return request;
}

inline void CheckDecodedPicture(const TDecodedPicture& picture, const TDecodeRequest& request) {
    const size_t pixels = static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height);
    if (picture.Outcome != TDecodeOutcome::Decoded) {
        if (!picture.Pixels.empty()) __builtin_trap();
        return;
    }
    if (picture.Pixels.size() != pixels || pixels == 0 || pixels > request.MaxPixels) __builtin_trap();
    if (static_cast<uint32_t>(picture.Width) > picture.ImageWidth || static_cast<uint32_t>(picture.Height) > picture.ImageHeight)
        __builtin_trap();
    for (const uint32_t pixel : picture.Pixels)
        if ((pixel >> 24) != 0xFF) __builtin_trap();
}
