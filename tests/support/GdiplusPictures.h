// Picture files made with GDI+'s own encoders, for the tests and benchmarks that need real
// pictures to load, and pictures as GDI+ alone draws them, to compare with. GDI+ must be started
// by the caller.
#pragma once

#include "Include/BitmapCanvas.h"

#include <windows.h>
#include <objidl.h>

#include <algorithm>
// The GDI+ headers use min and max, which NOMINMAX keeps out of the global namespace.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// GDI+ started for as long as the object lives (nested sessions are counted by GDI+ itself).
class TGdiplusSession {
public:
    TGdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
    }
    ~TGdiplusSession() {
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }
    TGdiplusSession(const TGdiplusSession&) = delete;
    TGdiplusSession& operator=(const TGdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

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

// A loaded GDI+ image drawn with high-quality bicubic interpolation into a bitmap of the size,
// over black. Null when it cannot be drawn.
inline std::unique_ptr<TBitmapCanvas> DrawnByGdiplus(Gdiplus::GpImage* image, int width, int height) {
    std::unique_ptr<TBitmapCanvas> bitmap = TBitmapCanvas::Create(width, height);
    Gdiplus::GpGraphics* graphics = nullptr;
    if (bitmap && Gdiplus::DllExports::GdipCreateFromHDC(bitmap->Canvas(), &graphics) == Gdiplus::Ok) {
        Gdiplus::DllExports::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
        if (Gdiplus::DllExports::GdipDrawImageRectI(graphics, image, 0, 0, width, height) != Gdiplus::Ok) bitmap.reset();
        Gdiplus::DllExports::GdipDeleteGraphics(graphics);
        GdiFlush();
    } else {
        bitmap.reset();
    }
    return bitmap;
}

// The picture file as GDI+ alone shows it: decoded whole and drawn as above. Null when GDI+
// cannot load it.
inline std::unique_ptr<TBitmapCanvas> DrawnByGdiplus(const std::wstring& path, int width, int height) {
    Gdiplus::GpImage* image = nullptr;
    if (Gdiplus::DllExports::GdipLoadImageFromFile(path.c_str(), &image) != Gdiplus::Ok) return nullptr;
    std::unique_ptr<TBitmapCanvas> bitmap = DrawnByGdiplus(image, width, height);
    Gdiplus::DllExports::GdipDisposeImage(image);
    return bitmap;
}

// The peak signal-to-noise ratio of two bitmaps of one size over their red, green and blue, in
// decibels; 99 when they are equal, 0 when their sizes differ.
inline double PeakSignalToNoise(const TBitmapCanvas& a, const TBitmapCanvas& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 0;
    const size_t count = static_cast<size_t>(a.Width()) * static_cast<size_t>(a.Height());
    double squares = 0;
    for (size_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const double difference =
                static_cast<double>((a.Pixels()[i] >> shift) & 0xFF) - static_cast<double>((b.Pixels()[i] >> shift) & 0xFF);
            squares += difference * difference;
        }
    if (squares == 0 || count == 0) return 99;
    return 10 * std::log10(255.0 * 255.0 * 3.0 * static_cast<double>(count) / squares);
}

// The bitmap reduced to width x height by averaging, for each pixel, the source pixels whose
// centres fall into its footprint: a reduction without aliasing, to measure others against.
inline std::unique_ptr<TBitmapCanvas> AreaAveraged(const TBitmapCanvas& source, int width, int height) {
    std::unique_ptr<TBitmapCanvas> target = TBitmapCanvas::Create(width, height);
    if (!target || width <= 0 || height <= 0) return target;
    const int64_t sourceWidth = source.Width(), sourceHeight = source.Height();
    for (int y = 0; y < height; ++y) {
        const int64_t top = y * sourceHeight / height, bottom = std::max(top + 1, (y + 1) * sourceHeight / height);
        for (int x = 0; x < width; ++x) {
            const int64_t left = x * sourceWidth / width, right = std::max(left + 1, (x + 1) * sourceWidth / width);
            uint64_t sums[3] = {};
            for (int64_t sy = top; sy < bottom; ++sy)
                for (int64_t sx = left; sx < right; ++sx)
                    for (int c = 0; c < 3; ++c) sums[c] += (source.Pixels()[sy * sourceWidth + sx] >> (8 * c)) & 0xFF;
            const uint64_t count = static_cast<uint64_t>((bottom - top) * (right - left));
            uint32_t pixel = 0xFF000000u;
            for (int c = 0; c < 3; ++c) pixel |= static_cast<uint32_t>((sums[c] + count / 2) / count) << (8 * c);
            target->Pixels()[static_cast<size_t>(y) * width + x] = pixel;
        }
    }
    return target;
}

// A JPEG with gradients and a checkerboard, so that the codec has detail to keep: a photo's
// stand-in for the benchmarks.
inline bool MakeGradientJpeg(const std::wstring& path, int width, int height) {
    CLSID encoder;
    return EncoderFor(L"image/jpeg", encoder) &&
           WritePictureFile(
               path, width, height,
               [&](int x, int y) {
                   return 0xFF000000u | (static_cast<uint32_t>(x * 255 / width) << 16) |
                          (static_cast<uint32_t>(y * 255 / height) << 8) | (((x / 64 + y / 64) & 1) ? 230u : 40u);
               },
               PixelFormat32bppRGB, encoder) == Gdiplus::Ok;
}
