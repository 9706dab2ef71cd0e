// AVIF pictures (8, 10 and 12 bits, with or without alpha, the first frame of an animation, one
// made of tiles) decoded by dav1d from the AV1 data that the container names, turned upright as its
// "irot" and "imir" say. AV1 has no reduced decode, so the picture is decoded whole and reduced
// as its colours are converted (an opaque one has its samples averaged first, and the colour of
// each reduced pixel converted once): the full-size picture exists only as the decoder's own
// planes, and of a picture made of tiles only one row of tiles at a time.
#pragma once

#include "Include/Core/AvifContainer.h"
#include "Include/Core/DecodedPicture.h"

#include <cstddef>
#include <cstdint>

// Decodes the AVIF file held whole in data. Transparent parts come out on black.
TDecodedPicture DecodeAvif(const uint8_t* data, size_t size, const TDecodeRequest& request);
