// WebP files from any bytes through the scaling decoder: it must never crash, read outside the
// file, leak or print, and what it gives must be consistent. The first two bytes choose the area
// the picture is asked for, so that scaled decodes and animation frames placed on them are reached.
#include "FuzzDecodedPicture.h"

#include "Include/Core/PictureHeader.h"
#include "Include/Core/WebpDecoder.h"

#include <webp/decode.h>

namespace {

// A few bytes of lossless data can describe a canvas of a hundred megapixels, which the decoder
// rightly decodes whole. Under the sanitizers each such input takes seconds and reaches no code
// of ours that a small canvas does not, so, as the library's own harnesses do, canvases between a
// megapixel and the budget are left out. Canvases beyond the budget still go in: their refusal
// is ours.
constexpr uint64_t LargestCanvasDecoded = 1024 * 1024;

bool WorthDecoding(const uint8_t* data, size_t size) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) return true;
    const uint64_t width = static_cast<uint64_t>(features.width), height = static_cast<uint64_t>(features.height);
    return width * height <= LargestCanvasDecoded || !FitsPictureBudget(width, height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || !WorthDecoding(data + 2, size - 2)) return 0;
    const TDecodeRequest request = FuzzRequest(data);
    CheckDecodedPicture(DecodeWebp(data + 2, size - 2, request), request);
    return 0;
}
