// The picture engine over GDI+: which picture files can be opened, decoding a picture file once
// per load, and painting it scaled into fresh bitmaps on a grid of whole cells.
// Operations with a status record report as module "Include\MyGDIPlus". GDI+ must be started
// (GdiplusStartup) before any of them runs.
#pragma once

#include "Include/Core/PictureFileStamp.h"
#include "Include/Core/PictureFit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBitmapCanvas;
struct TPictureData;

// The file patterns of every picture decoder, in the order GDI+ reports them, joined by ";" and
// lower-cased, such as "*.bmp;*.dib;*.rle;*.jpg;...". Empty when there are none.
std::string GetPictureExtensionsAsFilter();

// GDI+ running for as long as this lives, and the patterns of every picture decoder, asked once
// it runs. A start that fails leaves each load to report that it cannot decode. Every picture
// goes before the engine does.
class TPictureEngine {
public:
    TPictureEngine();
    ~TPictureEngine();
    TPictureEngine(const TPictureEngine&) = delete;
    TPictureEngine& operator=(const TPictureEngine&) = delete;

    const std::string& Patterns() const { return patterns_; }
    bool IsPictureFile(const std::string& path) const;

private:
    uintptr_t token_ = 0;
    std::string patterns_;
};

// A decoded picture. It holds the file's GDI+ image for as long as it lives (GDI+ may keep the
// file open meanwhile), so it is meant for one load: decode, paint both images, drop it.
class TPicture {
public:
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    int32_t Width() const;
    int32_t Height() const;
    // The size the pixels were decoded at: smaller than the picture for a JPEG decoded scaled down.
    int32_t DecodedWidth() const;
    int32_t DecodedHeight() const;
    const std::string& FileName() const;
    // The file as it was when it was decoded.
    const TPictureFileStamp& FileStamp() const;

    // Fills the whole bitmap with black and draws the whole picture stretched over it with
    // high-quality interpolation; transparent parts show the black. False when GDI+ failed.
    // The first drawing of a large picture is kept, so that a later, smaller bitmap is scaled
    // from it instead of from the whole picture again.
    bool DrawInto(TBitmapCanvas& bitmap) const;

    struct TData;  // what the engine keeps of a decoded picture

private:
    explicit TPicture(std::unique_ptr<TPictureData> decoded);
    friend std::unique_ptr<TPicture> LoadPictureFile(const std::string& FileName,
                                                     const std::vector<TPictureSize>& PaintAreas);
    friend std::unique_ptr<TPicture> LoadPictureFileInProcess(const std::string& FileName,
                                                              const std::vector<TPictureSize>& PaintAreas);
    std::unique_ptr<TData> data_;
};

// Decodes the picture file in the decoder process (PictureDecoderClient.h), so that a picture
// that crashes, hangs or bloats a decoder ends only that process; its three messages say which.
// A game started with the environment variable TILVANE_DECODE_IN_GAME_PROCESS set decodes in its
// own process instead, as LoadPictureFileInProcess does: benchmarks compare the two that way.
// A file that is missing, unreadable, not a picture GDI+ can decode, or larger than the pixel budget gives null and an Error whose first parameter is the path;
// nothing else changes, so a caller can check a picture before it replaces anything. Paths of
// any length are accepted.
// PaintAreas are the areas the picture will be fitted into: a JPEG is decoded by libjpeg-turbo
// only as large as the largest of them needs (its full size when there are none) and at most as
// large as the pixel budget, which lets JPEGs beyond the budget load. WebP (libwebp) and AVIF
// (dav1d) files, told by their first bytes, are decoded by our own decoders no larger than the
// areas need either. Other formats go to GDI+.
std::unique_ptr<TPicture> LoadPictureFile(const std::string& FileName,
                                          const std::vector<TPictureSize>& PaintAreas = {});

// The same decode in this process, without the wall (PictureDecoding.h): what benchmarks compare
// the decoder process with.
std::unique_ptr<TPicture> LoadPictureFileInProcess(const std::string& FileName,
                                                   const std::vector<TPictureSize>& PaintAreas = {});

// A new bitmap showing the picture fitted into Width x Height and stretched over the whole
// pieces of PieceWidth x PieceHeight that it holds, at most MaxColumns x MaxRows; the grid
// painted is returned in ResultedColumns x ResultedRows. On failure null, and the grid stays as
// it was.
std::unique_ptr<TBitmapCanvas> PaintPictureToGrid(const TPicture& Picture, bool Enlarge, int Width, int Height,
                                                  int PieceWidth, int PieceHeight, int MaxColumns, int MaxRows,
                                                  int& ResultedColumns, int& ResultedRows);

// A new bitmap showing the whole picture fitted into Width x Height, each side cut down to a
// multiple of Columns and Rows (at least one pixel per cell). On failure null.
std::unique_ptr<TBitmapCanvas> PaintPictureUsingGrid(const TPicture& Picture, bool Enlarge, int Width, int Height,
                                                     int Columns, int Rows);

// The pixels (0xAARRGGBB, top row first, alpha kept) as the bytes of a PNG file. Empty after an
// Error.
std::string EncodePng(int32_t Width, int32_t Height, const std::vector<uint32_t>& Pixels);
