// GDI+'s flat interface, which the picture engine and the picture decoder call, with owners for
// what it creates.
#pragma once

#include "Include/Owned.h"

#include <windows.h>
#include <objidl.h>

#include <algorithm>
// The GDI+ headers use min and max, which NOMINMAX keeps out of the global namespace.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

struct TDisposeImage {
    void operator()(Gdiplus::GpImage* image) const { Gdiplus::DllExports::GdipDisposeImage(image); }
};
struct TDeleteGraphics {
    void operator()(Gdiplus::GpGraphics* graphics) const { Gdiplus::DllExports::GdipDeleteGraphics(graphics); }
};
using TOwnedGpImage = TOwned<Gdiplus::GpImage*, TDisposeImage>;
using TOwnedGraphics = TOwned<Gdiplus::GpGraphics*, TDeleteGraphics>;
