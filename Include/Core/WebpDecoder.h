// WebP pictures (lossy and lossless, with or without alpha, and the first frame of an animation)
// decoded by libwebp, which scales while it decodes: a large picture shown small never has its
// full size in memory.
#pragma once

#include "Include/Core/DecodedPicture.h"

#include <cstddef>
#include <cstdint>

// True when the bytes start as a WebP file does: "RIFF", a size, "WEBP".
bool IsWebpSignature(const uint8_t* bytes, size_t size);

// Decodes the WebP file held whole in data. Transparent parts come out on black.
TDecodedPicture DecodeWebp(const uint8_t* data, size_t size, const TDecodeRequest& request);
