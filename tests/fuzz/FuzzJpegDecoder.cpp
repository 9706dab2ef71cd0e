// JPEG streams from any bytes through the scaled decoder: it must never crash, read outside the
// stream, leak or print, and what it gives must be consistent. The first two bytes choose the
// area the picture is asked for, so that every scale is reached.
#include "Include/Core/JpegDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    TJpegRequest request;
    request.Areas.push_back({data[0] * 8, data[1] * 8});
    // Small enough for the fuzzer's memory limit, large enough for every scale of a 4000 x 3000 picture.
    request.MaxPixels = 12000000;
    request.MaxWorkingMemory = 64u << 20;
    const uint8_t* stream = data + 2;
    const size_t length = size - 2;
    const TReadAt read = [&](uint64_t offset, uint8_t* buffer, size_t wanted) -> size_t {
        if (offset >= length) return 0;
        const size_t available = static_cast<size_t>(length - offset);
        const size_t count = wanted < available ? wanted : available;
        std::memcpy(buffer, stream + offset, count);
        return count;
    };
    const TDecodedJpeg picture = DecodeJpeg(read, request);
    const size_t pixels = static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height);
    if (picture.Outcome == TJpegOutcome::Decoded) {
        if (picture.Pixels.size() != pixels || pixels == 0 || pixels > request.MaxPixels) __builtin_trap();
        if (static_cast<uint32_t>(picture.Width) != ScaledSide(picture.ImageWidth, picture.Denominator)) __builtin_trap();
        for (const uint32_t pixel : picture.Pixels)
            if ((pixel >> 24) != 0xFF) __builtin_trap();
    } else if (!picture.Pixels.empty()) {
        __builtin_trap();
    }
    return 0;
}
