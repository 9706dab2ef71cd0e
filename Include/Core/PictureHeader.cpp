#include "Include/Core/PictureHeader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr uint32_t MaxUint32 = std::numeric_limits<uint32_t>::max();

// Random reads of a few bytes at a time through a window of the file, so that walking a chain
// of small headers does not cost one read of the file per field.
class TByteReader {
public:
    explicit TByteReader(const TReadAt& read) : read_(read) {}

    // Exactly size bytes at offset, or false.
    bool Bytes(uint64_t offset, uint8_t* out, size_t size) {
        if (size > WindowSize || offset > std::numeric_limits<uint64_t>::max() - size) return false;
        if (offset < start_ || offset + size > start_ + window_.size()) Fill(offset);
        if (offset < start_ || offset + size > start_ + window_.size()) return false;
        std::memcpy(out, window_.data() + (offset - start_), size);
        return true;
    }
    bool U8(uint64_t offset, uint32_t& value) { return Unsigned(offset, 1, false, value); }
    bool U16(uint64_t offset, bool bigEndian, uint32_t& value) { return Unsigned(offset, 2, bigEndian, value); }
    bool U32(uint64_t offset, bool bigEndian, uint32_t& value) { return Unsigned(offset, 4, bigEndian, value); }
    bool U64(uint64_t offset, bool bigEndian, uint64_t& value) {
        uint8_t bytes[8];
        if (!Bytes(offset, bytes, 8)) return false;
        value = 0;
        for (int i = 0; i < 8; ++i) value = (value << 8) | bytes[bigEndian ? i : 7 - i];
        return true;
    }
    // A signed 32-bit little-endian field read as its magnitude: a negative height means top-down rows.
    bool Magnitude32(uint64_t offset, uint32_t& value) {
        uint32_t raw = 0;
        if (!U32(offset, false, raw)) return false;
        value = (raw & 0x80000000u) ? ~raw + 1 : raw;
        return true;
    }

private:
    // Small, because icon directories send reads all over the file.
    static constexpr size_t WindowSize = 4096;

    bool Unsigned(uint64_t offset, size_t size, bool bigEndian, uint32_t& value) {
        uint8_t bytes[4];
        if (!Bytes(offset, bytes, size)) return false;
        value = 0;
        for (size_t i = 0; i < size; ++i) value = (value << 8) | bytes[bigEndian ? i : size - 1 - i];
        return true;
    }
    void Fill(uint64_t offset) {
        window_.resize(WindowSize);
        const size_t got = read_(offset, window_.data(), WindowSize);
        window_.resize(std::min(got, WindowSize));
        start_ = offset;
    }

    const TReadAt& read_;
    std::vector<uint8_t> window_;
    uint64_t start_ = 0;
};

TPictureHeader Sized(uint64_t width, uint64_t height) {
    TPictureHeader header;
    header.Kind = TPictureHeaderKind::Sized;
    header.Width = static_cast<uint32_t>(std::min<uint64_t>(width, MaxUint32));
    header.Height = static_cast<uint32_t>(std::min<uint64_t>(height, MaxUint32));
    return header;
}

TPictureHeader Damaged() {
    TPictureHeader header;
    header.Kind = TPictureHeaderKind::Damaged;
    return header;
}

bool StartsWith(TByteReader& reader, uint64_t offset, const char* signature, size_t size) {
    uint8_t bytes[8];
    return reader.Bytes(offset, bytes, size) && std::memcmp(bytes, signature, size) == 0;
}

const char PngSignature[] = "\x89PNG\r\n\x1a\n";

// The first chunk of a PNG stream must be its header, IHDR.
TPictureHeader ReadPng(TByteReader& reader, uint64_t start) {
    uint32_t width = 0, height = 0;
    if (!StartsWith(reader, start + 12, "IHDR", 4) || !reader.U32(start + 16, true, width) ||
        !reader.U32(start + 20, true, height))
        return Damaged();
    return Sized(width, height);
}

// A device-independent bitmap header: the old 12-byte form has 16-bit sizes, every later form
// signed 32-bit ones. Icons store the colour and mask images stacked, so twice the height.
TPictureHeader ReadBitmapInfo(TByteReader& reader, uint64_t start, bool stackedMask) {
    uint32_t size = 0, width = 0, height = 0;
    if (!reader.U32(start, false, size) || size < 12) return Damaged();
    const bool read = size == 12 ? reader.U16(start + 4, false, width) && reader.U16(start + 6, false, height)
                                 : reader.Magnitude32(start + 4, width) && reader.Magnitude32(start + 8, height);
    if (!read) return Damaged();
    return Sized(width, stackedMask ? height / 2 : height);
}

TPictureHeader ReadBmp(TByteReader& reader) { return ReadBitmapInfo(reader, 14, false); }

// The logical screen, and the first image when it reaches beyond the screen.
TPictureHeader ReadGif(TByteReader& reader) {
    uint32_t width = 0, height = 0, flags = 0;
    if (!reader.U16(6, false, width) || !reader.U16(8, false, height) || !reader.U8(10, flags)) return Damaged();
    uint64_t at = 13 + ((flags & 0x80) ? 3u * (2u << (flags & 7)) : 0u);
    for (;;) {
        uint32_t block = 0;
        if (!reader.U8(at, block)) break;
        if (block == 0x21) {  // extension: label, then sub-blocks up to an empty one
            at += 2;
            uint32_t length = 0;
            do {
                if (!reader.U8(at, length)) return Sized(width, height);
                at += 1 + length;
            } while (length != 0);
        } else if (block == 0x2C) {
            uint32_t left = 0, top = 0, imageWidth = 0, imageHeight = 0;
            if (reader.U16(at + 1, false, left) && reader.U16(at + 3, false, top) &&
                reader.U16(at + 5, false, imageWidth) && reader.U16(at + 7, false, imageHeight)) {
                width = std::max(width, left + imageWidth);
                height = std::max(height, top + imageHeight);
            }
            break;
        } else {
            break;  // the trailer or something unknown: the screen is all there is
        }
    }
    return Sized(width, height);
}

bool IsJpegFrameMarker(uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// A TIFF directory as far as this reader needs it: the first picture's size and orientation.
struct TTiffDirectory {
    bool HaveWidth = false, HaveHeight = false;
    uint64_t Width = 0, Height = 0;
    uint32_t Orientation = 1;
};

// TIFF or Exif structures as they sit in the file: offsets count from Base, and nothing at or
// past End belongs to them (an Exif block ends with its segment).
struct TTiffLayout {
    uint64_t Base = 0;
    uint64_t End = std::numeric_limits<uint64_t>::max();
    bool BigEndian = false;
    bool Big = false;  // BigTIFF: 8-byte counts and offsets, 20-byte entries
};

uint32_t ValidOrientation(uint32_t value) { return value >= 1 && value <= 8 ? value : 1; }

// One entry's single value held in the entry itself: SHORT, LONG, or BigTIFF's LONG8.
bool ReadTiffValue(TByteReader& reader, const TTiffLayout& layout, uint64_t at, uint32_t type, uint64_t& value) {
    uint32_t value32 = 0;
    bool read = false;
    if (type == 3) {
        read = at + 2 <= layout.End && reader.U16(at, layout.BigEndian, value32);
    } else if (type == 4) {
        read = at + 4 <= layout.End && reader.U32(at, layout.BigEndian, value32);
    } else if (type == 16 && layout.Big) {
        return at + 8 <= layout.End && reader.U64(at, layout.BigEndian, value);
    }
    value = value32;
    return read;
}

// The first directory's width (256), length (257) and orientation (274) tags. Tags are sorted,
// so the walk stops after them; a damaged entry ends the walk with what was read before it. Only
// the first directory is read, so a chain of directories that loops back is never followed.
TTiffDirectory ReadTiffDirectory(TByteReader& reader, const TTiffLayout& layout) {
    TTiffDirectory found;
    uint64_t directory = 0, count = 0;
    uint32_t directory32 = 0, count16 = 0, offsetSize = 0;
    const bool located = layout.Big ? reader.U16(layout.Base + 4, layout.BigEndian, offsetSize) && offsetSize == 8 &&
                                          reader.U64(layout.Base + 8, layout.BigEndian, directory)
                                    : reader.U32(layout.Base + 4, layout.BigEndian, directory32);
    if (!layout.Big) directory = directory32;
    const uint64_t countSize = layout.Big ? 8 : 2, entrySize = layout.Big ? 20 : 12;
    if (!located || directory > layout.End - layout.Base || layout.End - layout.Base - directory < countSize)
        return found;
    const uint64_t at = layout.Base + directory;
    const bool counted = layout.Big ? reader.U64(at, layout.BigEndian, count) : reader.U16(at, layout.BigEndian, count16);
    if (!layout.Big) count = count16;
    if (!counted) return found;
    const uint64_t first = at + countSize;
    for (uint64_t i = 0; i < std::min<uint64_t>(count, 65536); ++i) {
        if ((layout.End - first) / entrySize <= i) break;  // the entry would reach past the end
        const uint64_t entry = first + i * entrySize;
        uint32_t tag = 0, type = 0;
        uint64_t value = 0;
        if (!reader.U16(entry, layout.BigEndian, tag) || tag > 274) break;
        if (tag != 256 && tag != 257 && tag != 274) continue;
        if (!reader.U16(entry + 2, layout.BigEndian, type) ||
            !ReadTiffValue(reader, layout, entry + (layout.Big ? 12 : 8), type, value))
            break;
        if (tag == 256) {
            found.Width = value;
            found.HaveWidth = true;
        } else if (tag == 257) {
            found.Height = value;
            found.HaveHeight = true;
        } else {
            found.Orientation = type == 3 ? ValidOrientation(static_cast<uint32_t>(value)) : 1;
        }
    }
    return found;
}

// The byte order of TIFF structures starting at base; false when they do not start as TIFF does.
bool ReadTiffByteOrder(TByteReader& reader, uint64_t base, bool& bigEndian) {
    bigEndian = StartsWith(reader, base, "MM\0*", 4);
    return bigEndian || StartsWith(reader, base, "II*\0", 4);
}

// An APP1 segment of length bytes at content: "Exif", two zero bytes, then TIFF structures.
uint32_t ReadExifOrientation(TByteReader& reader, uint64_t content, uint32_t length) {
    TTiffLayout layout;
    layout.Base = content + 6;
    layout.End = content + length;
    if (length < 14 || !StartsWith(reader, content, "Exif\0\0", 6) ||
        !ReadTiffByteOrder(reader, layout.Base, layout.BigEndian))
        return 1;
    return ReadTiffDirectory(reader, layout).Orientation;
}

// Walks the markers up to the frame header, taking the orientation from the first Exif block
// before it. Like the usual decoders, bytes between segments that are not a marker are skipped,
// and so are fill bytes (0xFF) before a marker.
TPictureHeader ReadJpeg(TByteReader& reader) {
    uint64_t at = 2;
    uint32_t orientation = 1;
    bool exifSeen = false;
    for (;;) {
        uint32_t byte = 0;
        if (!reader.U8(at, byte)) return Damaged();
        ++at;
        if (byte != 0xFF) continue;
        uint32_t marker = 0xFF;
        while (marker == 0xFF) {
            if (!reader.U8(at, marker)) return Damaged();
            ++at;
        }
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (marker == 0xD9 || marker == 0xDA) return Damaged();  // end or scan data before any frame
        uint32_t length = 0;
        if (!reader.U16(at, true, length) || length < 2) return Damaged();
        if (IsJpegFrameMarker(marker)) {
            uint32_t height = 0, width = 0;
            if (length < 7 || !reader.U16(at + 3, true, height) || !reader.U16(at + 5, true, width)) return Damaged();
            TPictureHeader header = Sized(width, height);
            header.Orientation = orientation;
            return header;
        }
        if (marker == 0xE1 && !exifSeen && StartsWith(reader, at + 2, "Exif\0\0", 6)) {
            exifSeen = true;
            orientation = ReadExifOrientation(reader, at + 2, length - 2);
        }
        at += length;
    }
}

TPictureHeader ReadTiff(TByteReader& reader, bool bigEndian, bool big) {
    TTiffLayout layout;
    layout.BigEndian = bigEndian;
    layout.Big = big;
    const TTiffDirectory directory = ReadTiffDirectory(reader, layout);
    if (!directory.HaveWidth || !directory.HaveHeight) return Damaged();
    TPictureHeader header = Sized(directory.Width, directory.Height);
    header.Orientation = directory.Orientation;
    return header;
}

// The first image of an icon file, PNG or bitmap, by its own header: the directory's byte-sized
// fields cannot say what the stored image claims. The decoders show that image and read no other,
// so what the other images claim costs nothing.
TPictureHeader ReadIcon(TByteReader& reader) {
    uint32_t count = 0, offset = 0;
    if (!reader.U16(4, false, count) || count == 0 || !reader.U32(6 + 12, false, offset)) return Damaged();
    const TPictureHeader image =
        StartsWith(reader, offset, PngSignature, 8) ? ReadPng(reader, offset) : ReadBitmapInfo(reader, offset, true);
    if (image.Kind != TPictureHeaderKind::Sized) return Damaged();
    return Sized(image.Width, image.Height);
}

}  // namespace

bool FitsPictureBudget(uint64_t width, uint64_t height) {
    // Each side is at most the budget when the product is, so the product cannot overflow.
    if (width > MaxPicturePixels || height > MaxPicturePixels) return width == 0 || height == 0;
    return width * height <= MaxPicturePixels;
}

bool FitsJpegBudget(uint64_t width, uint64_t height) {
    if (width > MaxJpegPixels || height > MaxJpegPixels) return width == 0 || height == 0;
    return width * height <= MaxJpegPixels;
}

namespace {

TPictureHeader WithFormat(TPictureHeader header, TPictureFormat format) {
    header.Format = format;
    return header;
}

TPictureHeader OfFormat(TPictureFormat format) { return WithFormat(TPictureHeader(), format); }

bool IsHeifBrand(const uint8_t* brand) {
    static const char* const brands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs", "mif1", "msf1"};
    for (const char* known : brands)
        if (std::memcmp(brand, known, 4) == 0) return true;
    return false;
}

bool IsAvifBrand(const uint8_t* brand) { return std::memcmp(brand, "avif", 4) == 0 || std::memcmp(brand, "avis", 4) == 0; }

// The file type box that opens an ISO media file: its major brand, then the brands it is also
// compatible with. An AVIF names the still-image brand "mif1" too, so AVIF is looked for first;
// other brands (videos, Canon's CR3) are left to the decoders.
TPictureFormat ReadIsoMediaBrands(TByteReader& reader) {
    uint32_t size = 0;
    if (!reader.U32(0, true, size) || size < 16 || size > 4096) return TPictureFormat::Unknown;
    std::vector<uint8_t> box(size);
    if (!reader.Bytes(0, box.data(), size)) return TPictureFormat::Unknown;
    bool avif = IsAvifBrand(&box[8]), heif = IsHeifBrand(&box[8]);
    for (uint32_t at = 16; at + 4 <= size; at += 4) {
        avif = avif || IsAvifBrand(&box[at]);
        heif = heif || IsHeifBrand(&box[at]);
    }
    if (avif) return TPictureFormat::Avif;
    return heif ? TPictureFormat::Heif : TPictureFormat::Unknown;
}

}  // namespace

TPictureHeader ReadPictureHeader(const TReadAt& read) {
    TByteReader reader(read);
    if (StartsWith(reader, 0, PngSignature, 8)) return WithFormat(ReadPng(reader, 0), TPictureFormat::Png);
    if (StartsWith(reader, 0, "BM", 2)) return WithFormat(ReadBmp(reader), TPictureFormat::Bmp);
    if (StartsWith(reader, 0, "GIF87a", 6) || StartsWith(reader, 0, "GIF89a", 6))
        return WithFormat(ReadGif(reader), TPictureFormat::Gif);
    if (StartsWith(reader, 0, "\xFF\xD8", 2)) return WithFormat(ReadJpeg(reader), TPictureFormat::Jpeg);
    if (StartsWith(reader, 0, "II*\0", 4)) return WithFormat(ReadTiff(reader, false, false), TPictureFormat::Tiff);
    if (StartsWith(reader, 0, "MM\0*", 4)) return WithFormat(ReadTiff(reader, true, false), TPictureFormat::Tiff);
    if (StartsWith(reader, 0, "II+\0", 4)) return WithFormat(ReadTiff(reader, false, true), TPictureFormat::Tiff);
    if (StartsWith(reader, 0, "MM\0+", 4)) return WithFormat(ReadTiff(reader, true, true), TPictureFormat::Tiff);
    if (StartsWith(reader, 0, "\0\0\1\0", 4)) return WithFormat(ReadIcon(reader), TPictureFormat::Icon);
    if (StartsWith(reader, 0, "RIFF", 4) && StartsWith(reader, 8, "WEBP", 4)) return OfFormat(TPictureFormat::WebP);
    if (StartsWith(reader, 4, "ftyp", 4)) return OfFormat(ReadIsoMediaBrands(reader));
    if (StartsWith(reader, 0, "\xFF\x0A", 2) || StartsWith(reader, 0, "\0\0\0\x0CJXL ", 8))
        return OfFormat(TPictureFormat::JpegXl);
    if (StartsWith(reader, 0, "\xFF\x4F\xFF\x51", 4) || StartsWith(reader, 0, "\0\0\0\x0CjP  ", 8))
        return OfFormat(TPictureFormat::Jpeg2000);
    if (StartsWith(reader, 0, "8BPS", 4)) return OfFormat(TPictureFormat::Photoshop);
    if (StartsWith(reader, 0, "\0\0\2\0", 4)) return OfFormat(TPictureFormat::Cursor);
    if (StartsWith(reader, 0, "icns", 4)) return OfFormat(TPictureFormat::MacIcon);
    uint8_t first = 0;
    if (read(0, &first, 1) == 0) return OfFormat(TPictureFormat::Empty);
    return TPictureHeader();
}

std::string UnreadableFormatText(TPictureFormat format) {
    const char* name = nullptr;
    switch (format) {
    case TPictureFormat::Empty: return "The file is empty.";
    case TPictureFormat::Jpeg2000: name = "JPEG 2000 picture"; break;
    case TPictureFormat::Photoshop: name = "Photoshop document"; break;
    case TPictureFormat::Cursor: name = "mouse cursor"; break;
    case TPictureFormat::MacIcon: name = "Mac icon"; break;
    default: return std::string();
    }
    return std::string("This ") + name +
           " cannot be loaded: neither the game nor Windows reads this format. Save it as PNG or JPEG in "
           "another program, then load that.";
}
