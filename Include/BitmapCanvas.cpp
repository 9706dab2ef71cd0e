#include "Include/BitmapCanvas.h"

#include "Include/Core/PictureRefusal.h"

#include <algorithm>

int TBitmapCanvas::CreationsBeforeFailure = -1;

std::unique_ptr<TBitmapCanvas> TBitmapCanvas::Create(int width, int height) {
    if (CreationsBeforeFailure == 0) return nullptr;
    if (CreationsBeforeFailure > 0) --CreationsBeforeFailure;
    width = std::max(width, 0);
    height = std::max(height, 0);
    TOwnedMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width ? width : 1;
    info.bmiHeader.biHeight = -(height ? height : 1);  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    TOwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;
    return std::unique_ptr<TBitmapCanvas>(
        new TBitmapCanvas(std::move(dc), std::move(bitmap), static_cast<uint32_t*>(bits), width, height));
}

std::string TBitmapCanvas::NoMemoryText(int width, int height) { return ::NoMemoryText(width, height); }

TBitmapCanvas::TBitmapCanvas(TOwnedMemoryDC dc, TOwnedBitmap bitmap, uint32_t* pixels, int width, int height)
    : dc_(std::move(dc)),
      bitmap_(std::move(bitmap)),
      selection_(dc_.get(), bitmap_.get()),
      pixels_(pixels),
      width_(width),
      height_(height) {}
