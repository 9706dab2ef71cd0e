#include "Include/Core/DecodedPicture.h"

#include <algorithm>
#include <cmath>
#include <new>

TPictureSize ChooseDecodedSize(uint32_t width, uint32_t height, const TDecodeRequest& request) {
    if (width == 0 || height == 0) return TPictureSize{0, 0};
    const int32_t w = static_cast<int32_t>(std::min<uint32_t>(width, INT32_MAX));
    const int32_t h = static_cast<int32_t>(std::min<uint32_t>(height, INT32_MAX));
    const TPictureSize needed =
        NeededPictureSize(w, h, request.Areas.data(), static_cast<int>(request.Areas.size()));
    // One scale for both sides, the one that covers the side needing more, rounded up.
    uint64_t outWidth = static_cast<uint64_t>(w), outHeight = static_cast<uint64_t>(h);
    if (needed.Width < w && needed.Height < h) {
        if (static_cast<uint64_t>(needed.Width) * static_cast<uint64_t>(h) >=
            static_cast<uint64_t>(needed.Height) * static_cast<uint64_t>(w)) {
            outWidth = static_cast<uint64_t>(std::max(needed.Width, 1));
            outHeight = (static_cast<uint64_t>(h) * outWidth + static_cast<uint64_t>(w) - 1) / static_cast<uint64_t>(w);
        } else {
            outHeight = static_cast<uint64_t>(std::max(needed.Height, 1));
            outWidth = (static_cast<uint64_t>(w) * outHeight + static_cast<uint64_t>(h) - 1) / static_cast<uint64_t>(h);
        }
    }
    if (outWidth * outHeight > request.MaxPixels) {
        const double shrink = std::sqrt(static_cast<double>(request.MaxPixels) / static_cast<double>(outWidth * outHeight));
        outWidth = std::max<uint64_t>(1, static_cast<uint64_t>(static_cast<double>(outWidth) * shrink));
        outHeight = std::max<uint64_t>(1, static_cast<uint64_t>(static_cast<double>(outHeight) * shrink));
    }
    return TPictureSize{static_cast<int32_t>(std::min<uint64_t>(outWidth, static_cast<uint64_t>(w))),
                        static_cast<int32_t>(std::min<uint64_t>(outHeight, static_cast<uint64_t>(h)))};
}

bool AllocateBlackPixels(TDecodedPicture& picture, int32_t width, int32_t height) {
    try {
        picture.Pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u);
    } catch (const std::bad_alloc&) {
        picture.Pixels = std::vector<uint32_t>();
        return false;
    }
    picture.Width = width;
    picture.Height = height;
    return true;
}
