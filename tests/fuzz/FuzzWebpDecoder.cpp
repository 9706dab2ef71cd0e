// WebP files from any bytes through the scaling decoder: it must never crash, read outside the
// file, leak or print, and what it gives must be consistent. The first two bytes choose the area
// the picture is asked for, so that scaled decodes and animation frames placed on them are reached.
#include "FuzzDecodedPicture.h"

#include "Include/Core/WebpDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const TDecodeRequest request = FuzzRequest(data);
    CheckDecodedPicture(DecodeWebp(data + 2, size - 2, request), request);
    return 0;
}
