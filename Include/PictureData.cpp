#include "Include/PictureData.h"

#include "Include/BitmapCanvas.h"
#include "Include/Core/FunOperation.h"

using namespace Gdiplus::DllExports;

std::unique_ptr<TPictureData> DataOverPixels(TFunOperation& op, const std::string& fileName,
                                             std::unique_ptr<TPictureData> data, int32_t width, int32_t height,
                                             uint32_t imageWidth, uint32_t imageHeight, bool alpha) {
    Gdiplus::GpBitmap* created = nullptr;
    BYTE* pixels = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(data->PixelData()));
    const Gdiplus::PixelFormat format = alpha ? PixelFormat32bppARGB : PixelFormat32bppRGB;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, format, pixels, &created) != Gdiplus::Ok || !created) {
        op.Raise(__LINE__, fsError, TBitmapCanvas::NoMemoryReport(width, height), "", "0");
        return nullptr;
    }
    data->Image.reset(created);
    data->Alpha = alpha;
    data->FileName = fileName;
    data->Width = static_cast<int32_t>(imageWidth);
    data->Height = static_cast<int32_t>(imageHeight);
    data->DecodedWidth = width;
    data->DecodedHeight = height;
    return data;
}

bool DrawStretched(HDC target, Gdiplus::GpImage* source, int32_t width, int32_t height) {
    Gdiplus::GpGraphics* created = nullptr;
    if (GdipCreateFromHDC(target, &created) != Gdiplus::Ok || !created) return false;
    TOwnedGraphics graphics(created);
    GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    return GdipDrawImageRectI(graphics.get(), source, 0, 0, width, height) == Gdiplus::Ok;
}

std::string PictureSizeText(uint64_t width, uint64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}
