// Bitmaps from the clipboard, as any program may have put them there: reading one must never
// crash or read outside the bytes, a decoded bitmap has exactly its pixels and fits the budget,
// and a refused one has none.
#include "Include/Core/PackedDib.h"
#include "Include/Core/PictureHeader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TDibPixels bitmap = DecodePackedDib(data, size);
    if (bitmap.Outcome != TDibOutcome::Decoded) {
        if (!bitmap.Pixels.empty()) __builtin_trap();
        return 0;
    }
    if (bitmap.Width == 0 || bitmap.Height == 0 || !FitsPictureBudget(bitmap.Width, bitmap.Height)) __builtin_trap();
    if (bitmap.Pixels.size() != static_cast<size_t>(bitmap.Width) * bitmap.Height) __builtin_trap();
    return 0;
}
