#include "Include/Core/PackedDib.h"

#include "Include/Core/PictureHeader.h"

#include <limits>
#include <new>

namespace {

constexpr uint32_t NoCompression = 0, BitFields = 3, AlphaBitFields = 6;
constexpr uint32_t CoreHeaderSize = 12, InfoHeaderSize = 40;
constexpr uint32_t Opaque = 0xFF000000u;

uint32_t Le16(const uint8_t* at) { return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8; }
uint32_t Le32(const uint8_t* at) { return Le16(at) | Le16(at + 2) << 16; }

// One colour channel of a 16- or 32-bit pixel, given by its mask, scaled to 8 bits.
struct TChannel {
    uint32_t Mask = 0, Shift = 0, Largest = 0;

    explicit TChannel(uint32_t mask = 0) : Mask(mask) {
        if (mask == 0) return;
        while (((mask >> Shift) & 1u) == 0) ++Shift;
        Largest = mask >> Shift;
    }
    uint32_t Of(uint32_t pixel) const {
        if (Mask == 0) return 0;
        return static_cast<uint32_t>(static_cast<uint64_t>((pixel & Mask) >> Shift) * 255 / Largest);
    }
};

struct TDibLayout {
    uint32_t Width = 0, Height = 0, BitCount = 0;
    bool TopDown = false;
    TChannel Red, Green, Blue, Alpha;
    std::vector<uint32_t> Palette;  // as opaque 0xAARRGGBB
    uint64_t BitsOffset = 0;
    uint64_t Stride = 0;
};

bool IsBitCount(uint32_t bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// The masks of a bitmap with bit fields: inside a header of the later versions, else right after
// the 40-byte header. Returns the bytes of masks that follow the header.
bool ReadMasks(const uint8_t* data, size_t size, uint32_t headerSize, uint32_t compression, TDibLayout& layout,
               uint64_t& maskBytes) {
    const bool withAlpha = compression == AlphaBitFields;
    const uint64_t at = headerSize >= 52 ? 40 : headerSize;
    maskBytes = headerSize >= 52 ? 0 : (withAlpha ? 16 : 12);
    if (at + 12 > size) return false;
    layout.Red = TChannel(Le32(data + at));
    layout.Green = TChannel(Le32(data + at + 4));
    layout.Blue = TChannel(Le32(data + at + 8));
    const bool alphaThere = headerSize >= 56 || (headerSize < 52 && withAlpha);
    if (alphaThere && at + 16 <= size) layout.Alpha = TChannel(Le32(data + at + 12));
    return layout.BitCount == 16 || layout.BitCount == 32;
}

// A header of a later version holds the masks, yet some programs (and the system's own conversions)
// repeat them after it, as after the 40-byte header. They are taken as repeated only when the bytes
// there are the header's masks and there is room for them besides the rows: either layout is read.
uint64_t RepeatedMaskBytes(const uint8_t* data, size_t size, uint32_t headerSize, const TDibLayout& layout) {
    if (headerSize < 52 || size < headerSize || size - headerSize < 12 ||
        (size - headerSize - 12) / layout.Stride < layout.Height)
        return 0;
    for (uint32_t i = 0; i < 12; i += 4)
        if (Le32(data + headerSize + i) != Le32(data + 40 + i)) return 0;
    return 12;
}

void DefaultMasks(TDibLayout& layout) {
    if (layout.BitCount == 16) {
        layout.Red = TChannel(0x7C00);
        layout.Green = TChannel(0x03E0);
        layout.Blue = TChannel(0x001F);
    } else if (layout.BitCount == 32) {
        layout.Red = TChannel(0x00FF0000);
        layout.Green = TChannel(0x0000FF00);
        layout.Blue = TChannel(0x000000FF);
        layout.Alpha = TChannel(0xFF000000);
    }
}

// The colour table: the colours a bitmap of up to 8 bits indexes, or a table a deeper bitmap
// merely carries, which is skipped all the same.
bool ReadPalette(const uint8_t* data, size_t size, uint64_t at, uint64_t count, uint32_t entrySize,
                 TDibLayout& layout) {
    if (count > 65536 || at + count * entrySize > size) return false;
    if (layout.BitCount > 8) return true;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + at + i * entrySize;
        layout.Palette.push_back(Opaque | static_cast<uint32_t>(entry[2]) << 16 | static_cast<uint32_t>(entry[1]) << 8 |
                                 entry[0]);
    }
    return true;
}

bool ReadLayout(const uint8_t* data, size_t size, TDibLayout& layout) {
    if (size < 4) return false;
    const uint32_t headerSize = Le32(data);
    uint32_t compression = NoCompression, colourCount = 0, entrySize = 4;
    if (headerSize == CoreHeaderSize && size >= CoreHeaderSize) {
        layout.Width = Le16(data + 4);
        layout.Height = Le16(data + 6);
        layout.BitCount = Le16(data + 10);
        entrySize = 3;
    } else if (headerSize >= InfoHeaderSize && headerSize <= size) {
        const int32_t width = static_cast<int32_t>(Le32(data + 4)), height = static_cast<int32_t>(Le32(data + 8));
        if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) return false;
        layout.Width = static_cast<uint32_t>(width);
        layout.TopDown = height < 0;
        layout.Height = static_cast<uint32_t>(height < 0 ? -height : height);
        layout.BitCount = Le16(data + 14);
        compression = Le32(data + 16);
        colourCount = Le32(data + 32);
    } else {
        return false;
    }
    if (!IsBitCount(layout.BitCount) || layout.Width == 0 || layout.Height == 0) return false;
    if (layout.BitCount <= 8 && (colourCount == 0 || colourCount > (1u << layout.BitCount)))
        colourCount = 1u << layout.BitCount;
    layout.Stride = (static_cast<uint64_t>(layout.Width) * layout.BitCount + 31) / 32 * 4;
    uint64_t maskBytes = 0;
    if (compression == BitFields || compression == AlphaBitFields) {
        if (!ReadMasks(data, size, headerSize, compression, layout, maskBytes)) return false;
        if (maskBytes == 0 && colourCount == 0) maskBytes = RepeatedMaskBytes(data, size, headerSize, layout);
    } else if (compression == NoCompression) {
        DefaultMasks(layout);
    } else {
        return false;
    }
    const uint64_t tableAt = headerSize + maskBytes;
    if (!ReadPalette(data, size, tableAt, colourCount, entrySize, layout)) return false;
    layout.BitsOffset = tableAt + static_cast<uint64_t>(colourCount) * entrySize;
    return true;
}

uint32_t PixelOf(const uint8_t* row, uint32_t x, const TDibLayout& layout) {
    const uint32_t bits = layout.BitCount;
    if (bits <= 8) {
        const uint64_t bit = static_cast<uint64_t>(x) * bits;
        const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        return index < layout.Palette.size() ? layout.Palette[index] : Opaque;
    }
    if (bits == 24) {
        const uint8_t* at = row + static_cast<size_t>(x) * 3;
        return Opaque | static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[1]) << 8 | at[0];
    }
    const uint32_t value = bits == 16 ? Le16(row + static_cast<size_t>(x) * 2) : Le32(row + static_cast<size_t>(x) * 4);
    const uint32_t alpha = layout.Alpha.Mask ? layout.Alpha.Of(value) : 0xFF;
    return alpha << 24 | layout.Red.Of(value) << 16 | layout.Green.Of(value) << 8 | layout.Blue.Of(value);
}

// Alpha that is zero everywhere was never filled in.
void MakeOpaqueWhenAlphaIsEmpty(std::vector<uint32_t>& pixels) {
    for (const uint32_t pixel : pixels)
        if (pixel & Opaque) return;
    for (uint32_t& pixel : pixels) pixel |= Opaque;
}

}  // namespace

TDibPixels DecodePackedDib(const uint8_t* data, size_t size) {
    TDibPixels result;
    TDibLayout layout;
    if (!data || !ReadLayout(data, size, layout)) return result;
    result.Width = layout.Width;
    result.Height = layout.Height;
    if (!FitsPictureBudget(layout.Width, layout.Height)) {
        result.Outcome = TDibOutcome::TooLarge;
        return result;
    }
    if (layout.BitsOffset > size || (size - layout.BitsOffset) / layout.Stride < layout.Height) return result;
    try {
        result.Pixels.resize(static_cast<size_t>(layout.Width) * layout.Height);
    } catch (const std::bad_alloc&) {
        result.Outcome = TDibOutcome::TooLarge;
        return result;
    }
    for (uint32_t y = 0; y < layout.Height; ++y) {
        const uint32_t stored = layout.TopDown ? y : layout.Height - 1 - y;
        const uint8_t* row = data + layout.BitsOffset + stored * layout.Stride;
        uint32_t* out = &result.Pixels[static_cast<size_t>(y) * layout.Width];
        for (uint32_t x = 0; x < layout.Width; ++x) out[x] = PixelOf(row, x, layout);
    }
    if (layout.Alpha.Mask) MakeOpaqueWhenAlphaIsEmpty(result.Pixels);
    result.Outcome = TDibOutcome::Decoded;
    return result;
}
