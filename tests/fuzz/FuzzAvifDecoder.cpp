// AVIF files from any bytes through the container reader, dav1d and the colour conversion: it
// must never crash, read outside the file, leak or print, and what it gives must be consistent.
// The first two bytes choose the area the picture is asked for, so that reductions are reached.
#include "FuzzDecodedPicture.h"

#include "Include/Core/AvifDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const TDecodeRequest request = FuzzRequest(data);
    CheckDecodedPicture(DecodeAvif(data + 2, size - 2, request), request);
    return 0;
}
