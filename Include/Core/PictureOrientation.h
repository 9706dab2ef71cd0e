// Turning a picture upright as its orientation tag says. The tag names where the stored rows and
// columns belong (TIFF and Exif orientation, 1 to 8):
//   1 as stored          2 mirrored left to right      3 turned half round     4 mirrored top to bottom
//   5 mirrored about the  6 turned a quarter clockwise 7 mirrored about the    8 turned a quarter
//     main diagonal                                      other diagonal            anticlockwise
// 5 to 8 exchange the picture's width and height.
#pragma once

#include "Include/Core/PictureFit.h"

#include <cstdint>

// True for the orientations whose upright picture has width and height exchanged (5 to 8).
bool ExchangesSides(uint32_t orientation);

// The size of the upright picture of a stored width x height picture.
TPictureSize UprightSize(int32_t width, int32_t height, uint32_t orientation);

// Puts stored row y (width pixels) of a width x height picture where it belongs in the upright
// picture (UprightSize pixels, row by row). Row by row as a decoder gives them, the whole picture
// is turned in the one pass that stores it. An orientation outside 1 to 8 counts as 1.
void PlaceRowUpright(const uint32_t* row, uint32_t y, uint32_t width, uint32_t height, uint32_t orientation,
                     uint32_t* upright);
