#include "Include/Core/PictureOrientation.h"

#include <cstddef>
#include <cstring>

bool ExchangesSides(uint32_t orientation) { return orientation >= 5 && orientation <= 8; }

TPictureSize UprightSize(int32_t width, int32_t height, uint32_t orientation) {
    return ExchangesSides(orientation) ? TPictureSize{height, width} : TPictureSize{width, height};
}

void PlaceRowUpright(const uint32_t* row, uint32_t y, uint32_t width, uint32_t height, uint32_t orientation,
                     uint32_t* upright) {
    const size_t w = width, h = height;
    // Where stored pixel (x, y) lands is first + x * step in the upright picture.
    size_t first = 0;
    ptrdiff_t step = 1;
    switch (orientation) {
    case 2: first = y * w + (w - 1), step = -1; break;
    case 3: first = (h - 1 - y) * w + (w - 1), step = -1; break;
    case 4: first = (h - 1 - y) * w; break;
    case 5: first = y, step = static_cast<ptrdiff_t>(h); break;
    case 6: first = h - 1 - y, step = static_cast<ptrdiff_t>(h); break;
    case 7: first = (w - 1) * h + (h - 1 - y), step = -static_cast<ptrdiff_t>(h); break;
    case 8: first = (w - 1) * h + y, step = -static_cast<ptrdiff_t>(h); break;
    default:
        std::memcpy(upright + y * w, row, w * sizeof *row);
        return;
    }
    ptrdiff_t at = static_cast<ptrdiff_t>(first);
    for (size_t x = 0; x < w; ++x, at += step) upright[at] = row[x];
}
