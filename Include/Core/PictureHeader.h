// What a picture file says about its size before anything decodes it, and the most pixels the
// program agrees to decode. Some decoders allocate the whole picture as soon as they open it, so
// a small file claiming tens of thousands of pixels each way must be refused from its header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Up to 100 megapixels: 400 MB as 32-bit pixels, several times the largest camera pictures.
constexpr uint64_t MaxPicturePixels = 100000000;

bool FitsPictureBudget(uint64_t width, uint64_t height);

// A JPEG is decoded no larger than the budget allows (at 1/2, 1/4 or 1/8 of its size straight from
// its DCT coefficients), so it may claim more pixels than the budget; only a picture that cannot be
// a photograph, above a gigapixel, is refused, since its decode costs time however small it is shown.
constexpr uint64_t MaxJpegPixels = 1000000000;

bool FitsJpegBudget(uint64_t width, uint64_t height);

// Reads up to size bytes of the file at offset into buffer; returns how many it read (fewer at
// the end of the file, 0 past it or when reading fails).
using TReadAt = std::function<size_t(uint64_t offset, uint8_t* buffer, size_t size)>;

enum class TPictureHeaderKind {
    Unknown,  // not a raster format read here (metafiles, anything else): the decoder decides
    Sized,    // Width x Height is the largest size the file claims for any picture in it
    Damaged,  // a raster format whose header breaks off or contradicts itself
};

// What a file is, told by its first bytes alone, whatever its name says: the decoder is chosen
// by it, and a file no installed decoder reads is named by it.
enum class TPictureFormat {
    Unknown,
    Png,
    Bmp,
    Gif,
    Jpeg,
    Tiff,
    Icon,
    WebP,    // "RIFF", a length, "WEBP"
    Avif,    // an ISO media file whose brands say AVIF
    Heif,    // an ISO media file whose brands say HEIF or HEIC
    JpegXl,  // a bare codestream or its container
    // Formats no decoder of the program reads, named when Windows cannot read them either.
    Jpeg2000,   // a bare codestream or its container
    Photoshop,  // "8BPS": a Photoshop document or large document
    Cursor,     // an icon file whose type says cursor
    MacIcon,    // "icns"
    Empty,      // no bytes at all; the last, as the decoder's replies are checked against it
};

struct TPictureHeader {
    TPictureHeaderKind Kind = TPictureHeaderKind::Unknown;
    TPictureFormat Format = TPictureFormat::Unknown;
    uint32_t Width = 0;  // as stored, before the orientation turns it upright
    uint32_t Height = 0;
    // How the stored picture is turned to stand upright, as the orientation tag (0x0112) of a TIFF's
    // first directory or a JPEG's Exif block says: 1 to 8 (see PictureOrientation.h). A camera
    // stores a portrait photo in landscape order and records the turn here. Without the tag, or
    // when what leads to it is damaged, 1: the picture is shown as stored.
    uint32_t Orientation = 1;
};

// Tells the format of every file above, and reads the size and orientation from the headers of
// BMP, PNG, GIF, JPEG, TIFF (also BigTIFF) and ICO files; the other formats stay Unknown in Kind.
// An icon file is sized by its first image, the one the decoders show.
TPictureHeader ReadPictureHeader(const TReadAt& read);

// What the player is told of a file of a format known by its first bytes that no decoder could
// read, naming the format; empty for formats that have no message of their own.
std::string UnreadableFormatText(TPictureFormat format);
