#include "Include/PictureData.h"

using namespace Gdiplus::DllExports;

bool PutImageOverPixels(TPictureData& data, int32_t width, int32_t height, uint32_t imageWidth, uint32_t imageHeight,
                        bool alpha) {
    Gdiplus::GpBitmap* created = nullptr;
    BYTE* pixels = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(data.PixelData()));
    const Gdiplus::PixelFormat format = alpha ? PixelFormat32bppARGB : PixelFormat32bppRGB;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, format, pixels, &created) != Gdiplus::Ok || !created)
        return false;
    data.Image.reset(created);
    data.Alpha = alpha;
    data.Width = static_cast<int32_t>(imageWidth);
    data.Height = static_cast<int32_t>(imageHeight);
    data.DecodedWidth = width;
    data.DecodedHeight = height;
    return true;
}

bool DrawStretched(HDC target, Gdiplus::GpImage* source, int32_t width, int32_t height) {
    Gdiplus::GpGraphics* created = nullptr;
    if (GdipCreateFromHDC(target, &created) != Gdiplus::Ok || !created) return false;
    TOwnedGraphics graphics(created);
    GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    return GdipDrawImageRectI(graphics.get(), source, 0, 0, width, height) == Gdiplus::Ok;
}
