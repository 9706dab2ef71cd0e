// Picture files made with GDI+'s own encoders, for the tests and benchmarks that need real
// pictures to load. GDI+ must be started by the caller.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>
// The GDI+ headers use min and max, which NOMINMAX keeps out of the global namespace.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The class id of GDI+'s encoder for a MIME type such as L"image/png"; false when there is none.
inline bool EncoderFor(const wchar_t* mimeType, CLSID& clsid) {
    UINT count = 0, size = 0;
    Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size);
    // The codec records are followed by their strings in the same block, aligned for the records.
    std::vector<uint64_t> buffer((size + 7) / 8);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::DllExports::GdipGetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(encoders[i].MimeType, mimeType) == 0) {
            clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}

// Writes a width x height picture whose pixel (x, y) has the colour argb(x, y), 0xAARRGGBB, held
// in a PixelFormat32bpp... format (32bppRGB ignores alpha, so the encoders write no alpha channel).
template <class TArgb>
Gdiplus::Status WritePictureFile(const std::wstring& path, int width, int height, TArgb&& argb, INT pixelFormat,
                                 const CLSID& encoder) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = argb(x, y);
    Gdiplus::GpBitmap* bitmap = nullptr;
    const Gdiplus::Status created = Gdiplus::DllExports::GdipCreateBitmapFromScan0(
        width, height, width * 4, pixelFormat, reinterpret_cast<BYTE*>(pixels.data()), &bitmap);
    if (created != Gdiplus::Ok) return created;
    const Gdiplus::Status saved = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &encoder, nullptr);
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return saved;
}
