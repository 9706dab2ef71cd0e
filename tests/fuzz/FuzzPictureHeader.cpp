// Picture headers from any bytes: reading the claimed size and the orientation tag of a TIFF or
// a JPEG's Exif block must never crash or read outside the file, only a header that holds a size
// is reported as sized, and the orientation is always one of the eight there are.
#include "Include/Core/PictureHeader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TReadAt read = [&](uint64_t offset, uint8_t* buffer, size_t wanted) -> size_t {
        if (offset >= size) return 0;
        const size_t available = static_cast<size_t>(size - offset);
        const size_t count = wanted < available ? wanted : available;
        std::memcpy(buffer, data + offset, count);
        return count;
    };
    const TPictureHeader header = ReadPictureHeader(read);
    if (header.Kind != TPictureHeaderKind::Sized && (header.Width != 0 || header.Height != 0)) __builtin_trap();
    if (header.Orientation < 1 || header.Orientation > 8) __builtin_trap();
    FitsPictureBudget(header.Width, header.Height);
    return 0;
}
