// A picture in memory that GDI and GDI+ draw into and a window shows: 32-bit pixels, top row
// first, in a DIB section that stays selected into a memory device context.
#pragma once

#include "Include/Owned.h"

#include <cstdint>
#include <memory>
#include <string>

class TBitmapCanvas {
public:
    // A canvas of the size, all black; null when the system has no memory for it. A side of 0 or
    // less gives an empty canvas that still has a device context (over one pixel).
    static std::unique_ptr<TBitmapCanvas> Create(int width, int height);
    // Tests only: after this many more canvases, the next one fails as if memory ran out; -1 never.
    static int CreationsBeforeFailure;
    // What a canvas that could not be made is reported as.
    static std::string NoMemoryText(int width, int height);
    // The same, in the words reports have always used for it.
    static std::string NoMemoryReport(int width, int height) { return "Unhandled exception: " + NoMemoryText(width, height); }

    TBitmapCanvas(const TBitmapCanvas&) = delete;
    TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // A memory device context with the bitmap selected, valid as long as the canvas.
    HDC Canvas() const { return dc_.get(); }
    // BGRX, Width() per row; GdiFlush() first after drawing through the device context.
    uint32_t* Pixels() { return pixels_; }
    const uint32_t* Pixels() const { return pixels_; }

private:
    TBitmapCanvas(TOwnedMemoryDC dc, TOwnedBitmap bitmap, uint32_t* pixels, int width, int height);

    // In this order, so that the bitmap is put out of the DC before either is deleted.
    TOwnedMemoryDC dc_;
    TOwnedBitmap bitmap_;
    TSelection selection_;
    uint32_t* pixels_;
    int width_;
    int height_;
};
