// Pictures of 32-bit pixels made smaller by averaging: each new pixel is the mean of the part of
// the picture it covers, pixels that it covers only in part counting by their share. Every pixel
// of the picture counts, so fine detail becomes its average rather than the moire a sampling
// filter leaves, and the work is one pass over the picture.
#pragma once

#include <cstdint>

// Source is SourceWidth x SourceHeight pixels, Target Width x Height, both rows top first without
// gaps, each pixel 0xAARRGGBB. The result is the source shown over black: each colour counts by its
// alpha, and the result is opaque (alpha 0xFF). Sides from 1 to the source's; other sizes leave
// Target untouched.
void ReducePixels(const uint32_t* Source, int32_t SourceWidth, int32_t SourceHeight, uint32_t* Target, int32_t Width,
                  int32_t Height);
