#include "Include/Core/AvifDecoder.h"

#include "Include/Core/PictureOrientation.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include <dav1d/dav1d.h>

namespace {

// ---------------------------------------------------------------------------------------------
// AV1

// A picture the decoder gave, given back to it when it goes.
struct TAv1Picture {
    Dav1dPicture Picture;
    TAv1Picture() { std::memset(&Picture, 0, sizeof Picture); }
    ~TAv1Picture() { dav1d_picture_unref(&Picture); }
    TAv1Picture(const TAv1Picture&) = delete;
    TAv1Picture& operator=(const TAv1Picture&) = delete;
    bool Held() const { return Picture.data[0] != nullptr; }
    void Release() { dav1d_picture_unref(&Picture); }
};

// The item's bytes in one run: the file's own when it is one extent, otherwise joined.
struct TItemBytes {
    std::vector<uint8_t> Joined;
    const uint8_t* Data = nullptr;
    size_t Size = 0;
};

bool GatherItem(const uint8_t* file, const TAv1Spans& spans, TItemBytes& item) {
    if (spans.size() == 1) {
        item.Data = file + spans[0].Offset;
        item.Size = spans[0].Size;
        return true;
    }
    try {
        for (const TByteSpan& span : spans) item.Joined.insert(item.Joined.end(), file + span.Offset, file + span.Offset + span.Size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    item.Data = item.Joined.data();
    item.Size = item.Joined.size();
    return true;
}

void KeepBytes(const uint8_t*, void*) {}  // the file's bytes outlive the decoder

TDecodeOutcome OutcomeOfError(int error) {
    return error == DAV1D_ERR(ENOMEM) ? TDecodeOutcome::NoMemory : TDecodeOutcome::Damaged;
}

// The one AV1 decoder of a picture, emptied between its tiles: opening one for each would cost
// more than decoding a small tile. It refuses frames beyond maxPixels itself and prints nothing.
class TAv1Decoder {
public:
    ~TAv1Decoder() {
        if (context_) dav1d_close(&context_);
    }

    bool Open(uint64_t maxPixels) {
        Dav1dSettings settings;
        dav1d_default_settings(&settings);
        settings.max_frame_delay = 1;  // one picture wanted: no frames decoded ahead
        settings.frame_size_limit = static_cast<unsigned>(std::min<uint64_t>(maxPixels, UINT_MAX));
        settings.logger.callback = nullptr;
        return dav1d_open(&context_, &settings) >= 0;
    }

    // The first picture of the AV1 data.
    TDecodeOutcome Decode(const TItemBytes& item, TAv1Picture& out) {
        Dav1dData data;
        std::memset(&data, 0, sizeof data);
        TDecodeOutcome outcome = TDecodeOutcome::Decoded;
        if (dav1d_data_wrap(&data, item.Data, item.Size, KeepBytes, nullptr) < 0) outcome = TDecodeOutcome::NoMemory;
        while (outcome == TDecodeOutcome::Decoded) {
            if (data.sz > 0) {
                const int sent = dav1d_send_data(context_, &data);
                if (sent < 0 && sent != DAV1D_ERR(EAGAIN)) {
                    outcome = OutcomeOfError(sent);
                    break;
                }
            }
            const int got = dav1d_get_picture(context_, &out.Picture);
            if (got == 0) break;
            // Waiting for data when there is none left: the data holds no whole picture.
            if (got != DAV1D_ERR(EAGAIN) || data.sz == 0) outcome = OutcomeOfError(got);
        }
        dav1d_data_unref(&data);
        // The next tile is a stream of its own.
        dav1d_flush(context_);
        return outcome;
    }

private:
    Dav1dContext* context_ = nullptr;
};

// The most frames the first sample of a track may hold: its one shown frame and the hidden ones
// it refers to, of which encoders put a few. The decoder decodes every hidden frame before the
// shown one, and its size limit bounds each frame, not their number.
constexpr size_t MaxFramesOfSample = 8;

// Reads an OBU's size field (LEB128, at most 8 bytes); false when it breaks off.
bool ReadObuSize(const uint8_t* data, size_t size, size_t& at, uint64_t& value) {
    value = 0;
    for (int i = 0; i < 8; ++i) {
        if (at >= size) return false;
        const uint8_t byte = data[at++];
        value |= static_cast<uint64_t>(byte & 0x7F) << (7 * i);
        if (!(byte & 0x80)) return true;
    }
    return false;
}

// The frames of AV1 data as its OBU headers say (a frame OBU, or a frame header followed by its
// tile groups, is one): in all, and the most of any one spatial layer.
struct TAv1Frames {
    size_t All = 0;
    size_t MostOfALayer = 0;
};

// False when the OBUs do not fit the data.
bool CountAv1Frames(const TItemBytes& item, TAv1Frames& frames) {
    constexpr uint32_t FrameHeaderObu = 3, FrameObu = 6;
    size_t ofLayer[4] = {};
    for (size_t at = 0; at < item.Size;) {
        const uint8_t header = item.Data[at++];
        const uint32_t type = (header >> 3) & 15;
        uint32_t layer = 0;
        if (header & 4) {  // the extension: temporal and spatial layer
            if (at == item.Size) return false;
            layer = (item.Data[at++] >> 3) & 3;
        }
        uint64_t length = item.Size - at;  // without a size, to the end
        if ((header & 2) && !ReadObuSize(item.Data, item.Size, at, length)) return false;
        if (length > item.Size - at) return false;
        at += static_cast<size_t>(length);
        if (type == FrameHeaderObu || type == FrameObu) {
            ++frames.All;
            frames.MostOfALayer = std::max(frames.MostOfALayer, ++ofLayer[layer]);
        }
    }
    return true;
}

// The stream's largest frame size from its sequence header, read before anything is decoded.
bool ReadAv1Size(const TItemBytes& item, uint32_t& width, uint32_t& height) {
    Dav1dSequenceHeader header;
    if (dav1d_parse_sequence_header(&header, item.Data, item.Size) < 0) return false;
    width = static_cast<uint32_t>(header.max_width);
    height = static_cast<uint32_t>(header.max_height);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Colours

// How samples become light between 0 and 1: Y' = (Y - YOffset) * YScale, chroma likewise around
// COffset, then the matrix's weights.
struct TYuvForm {
    float YOffset = 0, YScale = 1, COffset = 0, CScale = 1;
    float CrToR = 0, CbToG = 0, CrToG = 0, CbToB = 0;
    bool Identity = false;  // the planes are G, B, R
};

TYuvForm FormOf(int matrix, bool fullRange, int bits) {
    TYuvForm form;
    const float max = static_cast<float>((1 << bits) - 1), unit = static_cast<float>(1 << (bits - 8));
    if (fullRange) {
        form.YScale = form.CScale = 1.0f / max;
        form.COffset = static_cast<float>(1 << (bits - 1));
    } else {
        form.YOffset = 16 * unit;
        form.YScale = 1.0f / (219 * unit);
        form.COffset = 128 * unit;
        form.CScale = 1.0f / (224 * unit);
    }
    float kr = 0.299f, kb = 0.114f;  // BT.601, also for what is unspecified or not handled here
    switch (matrix) {
    case DAV1D_MC_IDENTITY: form.Identity = true; break;
    case DAV1D_MC_BT709: kr = 0.2126f, kb = 0.0722f; break;
    case DAV1D_MC_FCC: kr = 0.30f, kb = 0.11f; break;
    case DAV1D_MC_SMPTE240: kr = 0.212f, kb = 0.087f; break;
    case DAV1D_MC_BT2020_NCL:
    case DAV1D_MC_BT2020_CL: kr = 0.2627f, kb = 0.0593f; break;
    default: break;
    }
    const float kg = 1 - kr - kb;
    form.CrToR = 2 * (1 - kr);
    form.CbToB = 2 * (1 - kb);
    form.CbToG = 2 * kb * (1 - kb) / kg;
    form.CrToG = 2 * kr * (1 - kr) / kg;
    return form;
}

float Clamp01(float value) { return value < 0 ? 0 : value > 1 ? 1 : value; }

// The planes of one decoded picture as the conversion reads them.
struct TPlanes {
    const Dav1dPicture* Picture = nullptr;
    int ShiftX = 0, ShiftY = 0;  // chroma subsampling
    bool Monochrome = false;
};

TPlanes PlanesOf(const Dav1dPicture& picture) {
    TPlanes planes;
    planes.Picture = &picture;
    planes.Monochrome = picture.p.layout == DAV1D_PIXEL_LAYOUT_I400;
    planes.ShiftX = picture.p.layout == DAV1D_PIXEL_LAYOUT_I420 || picture.p.layout == DAV1D_PIXEL_LAYOUT_I422;
    planes.ShiftY = picture.p.layout == DAV1D_PIXEL_LAYOUT_I420;
    return planes;
}

template <class T>
const T* RowOf(const Dav1dPicture& picture, int plane, int y) {
    return reinterpret_cast<const T*>(static_cast<const uint8_t*>(picture.data[plane]) +
                                      static_cast<ptrdiff_t>(y) * picture.stride[plane == 0 ? 0 : 1]);
}

// The colour of one pixel's samples as red, green and blue between 0 and 1; a grey picture's
// chroma is the form's middle.
inline void ColourOfSamples(const TYuvForm& form, float luma, float cb, float cr, bool chroma, float* rgb) {
    const float l = (luma - form.YOffset) * form.YScale;
    float red, green, blue;
    if (form.Identity) {
        // Without a matrix the planes are the colours themselves, each read as luma is.
        green = l;
        blue = chroma ? (cb - form.YOffset) * form.YScale : l;
        red = chroma ? (cr - form.YOffset) * form.YScale : l;
    } else {
        const float u = (cb - form.COffset) * form.CScale, v = (cr - form.COffset) * form.CScale;
        red = l + form.CrToR * v;
        green = l - form.CbToG * u - form.CrToG * v;
        blue = l + form.CbToB * u;
    }
    rgb[0] = Clamp01(red), rgb[1] = Clamp01(green), rgb[2] = Clamp01(blue);
}

// The first width pixels of row y as red, green and blue between 0 and 1, premultiplied by their
// alpha (on black).
template <class T>
void ConvertRow(const TPlanes& colour, const TYuvForm& form, const Dav1dPicture& alpha, const TYuvForm& alphaForm, int y,
                int width, float* rgb) {
    const Dav1dPicture& picture = *colour.Picture;
    const T* luma = RowOf<T>(picture, 0, y);
    const T* cb = colour.Monochrome ? nullptr : RowOf<T>(picture, 1, y >> colour.ShiftY);
    const T* cr = colour.Monochrome ? nullptr : RowOf<T>(picture, 2, y >> colour.ShiftY);
    const T* opacity = RowOf<T>(alpha, 0, y);
    for (int x = 0; x < width; ++x, rgb += 3) {
        ColourOfSamples(form, luma[x], cb ? cb[x >> colour.ShiftX] : form.COffset, cr ? cr[x >> colour.ShiftX] : form.COffset,
                        cb != nullptr, rgb);
        const float a = Clamp01((static_cast<float>(opacity[x]) - alphaForm.YOffset) * alphaForm.YScale);
        rgb[0] *= a, rgb[1] *= a, rgb[2] *= a;
    }
}

// ---------------------------------------------------------------------------------------------
// Reduction

// How many pixels of the stored picture the block of column x of a reduced row holds: fewer at
// the right edge, and rows of them.
double BlockPixels(int sourceWidth, int factor, int x, int rows) {
    return static_cast<double>(std::min(factor, sourceWidth - x * factor)) * rows;
}

// Red, green and blue between 0 and 1, times scale, as a BGRX pixel.
uint32_t Bgrx(const float* rgb, float scale) {
    const auto byte = [scale](float value) { return std::min(static_cast<uint32_t>(value * scale * 255.0f + 0.5f), 255u); };
    return 0xFF000000u | (byte(rgb[0]) << 16) | (byte(rgb[1]) << 8) | byte(rgb[2]);
}

// Averages blocks of factor x factor converted pixels (fewer at the right and bottom edges) into
// one pixel of a row of the reduced picture: for pictures with alpha, whose colours are weighed by
// it.
class TColourAverager {
public:
    TColourAverager(int sourceWidth, int factor, int width)
        : sourceWidth_(sourceWidth), factor_(factor), width_(width), sums_(static_cast<size_t>(width) * 3, 0.0f) {}

    void Add(const float* rgb) {
        float* sum = sums_.data();
        for (int left = 0; left < sourceWidth_; left += factor_, sum += 3) {
            const int right = std::min(left + factor_, sourceWidth_);
            for (int x = left; x < right; ++x, rgb += 3) sum[0] += rgb[0], sum[1] += rgb[1], sum[2] += rgb[2];
        }
        ++rows_;
    }
    bool Full() const { return rows_ == factor_; }

    // The averaged row as BGRX; the sums start again.
    void Take(uint32_t* row) {
        for (int x = 0; x < width_; ++x) {
            float* sum = &sums_[static_cast<size_t>(x) * 3];
            row[x] = Bgrx(sum, static_cast<float>(1.0 / BlockPixels(sourceWidth_, factor_, x, rows_)));
            sum[0] = sum[1] = sum[2] = 0;
        }
        rows_ = 0;
    }

private:
    int sourceWidth_, factor_, width_, rows_ = 0;
    std::vector<float> sums_;
};

// Averages the samples of blocks of factor x factor pixels, then converts each block's colour once:
// for opaque pictures, this spares converting every pixel, the costliest step of the reduction.
// The colour of averaged samples differs from the average of the colours only where colours are
// clipped, at the edges of the gamut.
class TSampleAverager {
public:
    TSampleAverager(int sourceWidth, int factor, int width, const TYuvForm& form)
        : sourceWidth_(sourceWidth), factor_(factor), width_(width), form_(form), sums_(static_cast<size_t>(width) * 3, 0) {}

    // The count pixels of row y of a tile, which start at column left of the picture.
    template <class T>
    void Add(const TPlanes& planes, int y, int left, int count) {
        const Dav1dPicture& picture = *planes.Picture;
        const T* luma = RowOf<T>(picture, 0, y);
        const T* cb = planes.Monochrome ? nullptr : RowOf<T>(picture, 1, y >> planes.ShiftY);
        const T* cr = planes.Monochrome ? nullptr : RowOf<T>(picture, 2, y >> planes.ShiftY);
        chroma_ = cb != nullptr;
        for (int x = 0; x < count;) {
            const int block = (left + x) / factor_;
            const int end = std::min(count, (block + 1) * factor_ - left);
            // A block's row is summed apart first: a row of at most 65536 samples of 12 bits fits 32 bits.
            uint32_t lumaSum = 0, cbSum = 0, crSum = 0;
            for (int i = x; i < end; ++i) lumaSum += luma[i];
            if (cb) {
                for (int i = x; i < end; ++i) cbSum += cb[i >> planes.ShiftX], crSum += cr[i >> planes.ShiftX];
            }
            uint64_t* sum = &sums_[static_cast<size_t>(block) * 3];
            sum[0] += lumaSum, sum[1] += cbSum, sum[2] += crSum;
            x = end;
        }
    }
    void EndRow() { ++rows_; }
    bool Full() const { return rows_ == factor_; }

    // The averaged row as BGRX; the sums start again.
    void Take(uint32_t* row) {
        for (int x = 0; x < width_; ++x) {
            uint64_t* sum = &sums_[static_cast<size_t>(x) * 3];
            const double pixels = BlockPixels(sourceWidth_, factor_, x, rows_);
            float rgb[3];
            const float cb = chroma_ ? static_cast<float>(sum[1] / pixels) : form_.COffset;
            const float cr = chroma_ ? static_cast<float>(sum[2] / pixels) : form_.COffset;
            ColourOfSamples(form_, static_cast<float>(sum[0] / pixels), cb, cr, chroma_, rgb);
            row[x] = Bgrx(rgb, 1.0f);
            sum[0] = sum[1] = sum[2] = 0;
        }
        rows_ = 0;
    }

private:
    int sourceWidth_, factor_, width_, rows_ = 0;
    TYuvForm form_;
    bool chroma_ = true;
    std::vector<uint64_t> sums_;
};

// Places the rows of the reduced picture upright into the result, top first.
class TUprightPlacer {
public:
    TUprightPlacer(uint32_t width, uint32_t height, uint32_t orientation, TDecodedPicture& result)
        : width_(width), height_(height), orientation_(orientation), row_(width), result_(result) {}
    uint32_t* Row() { return row_.data(); }
    void Place() { PlaceRowUpright(row_.data(), placed_++, width_, height_, orientation_, result_.Pixels.data()); }

private:
    uint32_t width_, height_, orientation_, placed_ = 0;
    std::vector<uint32_t> row_;
    TDecodedPicture& result_;
};

// The largest whole reduction whose picture still covers the stored size needed.
int ChooseReduction(int width, int height, TPictureSize needed) {
    if (needed.Width < 1 || needed.Height < 1) return 1;
    return std::max(1, std::min(width / needed.Width, height / needed.Height));
}

// The result's pixels, all black, at the size the request needs of the width x height stored
// picture; factor is the reduction that gives that size.
bool AllocateReduced(int width, int height, uint32_t orientation, const TDecodeRequest& request, int& factor,
                     TDecodedPicture& result) {
    const TPictureSize upright = UprightSize(width, height, orientation);
    const TPictureSize neededUpright = ChooseDecodedSize(static_cast<uint32_t>(upright.Width),
                                                         static_cast<uint32_t>(upright.Height), request);
    const TPictureSize needed = ExchangesSides(orientation) ? TPictureSize{neededUpright.Height, neededUpright.Width}
                                                            : neededUpright;
    factor = ChooseReduction(width, height, needed);
    const TPictureSize reduced = UprightSize((width + factor - 1) / factor, (height + factor - 1) / factor, orientation);
    return AllocateBlackPixels(result, reduced.Width, reduced.Height);
}

// ---------------------------------------------------------------------------------------------
// Tiles: a picture of one item is one tile. They are decoded a row of tiles at a time, so that
// besides the result only one row of them is ever held.

// One row of tiles, colour and alpha, held until their rows of pixels are converted.
struct TTileRow {
    explicit TTileRow(size_t columns) : Colour(columns), Alpha(columns) {}
    std::vector<TAv1Picture> Colour, Alpha;
};

// What every tile shares with the first: the samples' depth, chroma layout and range.
struct TTileForm {
    int Bits = 0;
    Dav1dPixelLayout Layout = DAV1D_PIXEL_LAYOUT_I400;
    int Range = 0;
};

TTileForm FormOfTile(const Dav1dPicture& picture) { return {picture.p.bpc, picture.p.layout, picture.seq_hdr->color_range}; }

bool SameTileForm(const TTileForm& one, const TTileForm& other) {
    return one.Bits == other.Bits && one.Layout == other.Layout && one.Range == other.Range;
}

bool SameForm(const Dav1dPicture& colour, const Dav1dPicture& alpha) {
    return alpha.p.w == colour.p.w && alpha.p.h == colour.p.h && alpha.p.bpc == colour.p.bpc;
}

// Decodes one tile, which must be the size the container gives tiles (when it says one) and of the
// first tile's form (form is that when index is 0).
TDecodeOutcome DecodeTile(TAv1Decoder& decoder, const uint8_t* data, const TAv1Spans& spans, const TAvifLayout& layout,
                          size_t index, TTileForm& form, TAv1Picture& tile) {
    TItemBytes bytes;
    tile.Release();
    if (!GatherItem(data, spans, bytes)) return TDecodeOutcome::NoMemory;
    // An item is one picture: one frame, or one of each layer of a layered picture. Only a track's
    // sample may hold hidden frames before the one it shows.
    TAv1Frames frames;
    if (!CountAv1Frames(bytes, frames) ||
        (layout.FromTrack ? frames.All > MaxFramesOfSample : frames.MostOfALayer > 1))
        return TDecodeOutcome::Damaged;
    const TDecodeOutcome outcome = decoder.Decode(bytes, tile);
    if (outcome != TDecodeOutcome::Decoded) return outcome;
    const Dav1dPicture& picture = tile.Picture;
    if (layout.TileWidth != 0 && (static_cast<uint32_t>(picture.p.w) != layout.TileWidth ||
                                  static_cast<uint32_t>(picture.p.h) != layout.TileHeight))
        return TDecodeOutcome::Damaged;
    if (index == 0) form = FormOfTile(picture);
    return SameTileForm(form, FormOfTile(picture)) ? TDecodeOutcome::Decoded : TDecodeOutcome::Damaged;
}

struct TTileForms {
    TTileForm Colour, Alpha;
};

TDecodeOutcome DecodeTileRow(TAv1Decoder& decoder, const uint8_t* data, const TAvifLayout& layout, uint32_t row,
                             TTileForms& forms, TTileRow& tiles) {
    for (uint32_t column = 0; column < layout.Columns; ++column) {
        const size_t index = static_cast<size_t>(row) * layout.Columns + column;
        TAv1Picture& colour = tiles.Colour[column];
        TDecodeOutcome outcome = DecodeTile(decoder, data, layout.Colour[index], layout, index, forms.Colour, colour);
        if (outcome == TDecodeOutcome::Decoded && !layout.Alpha.empty()) {
            TAv1Picture& alpha = tiles.Alpha[column];
            outcome = DecodeTile(decoder, data, layout.Alpha[index], layout, index, forms.Alpha, alpha);
            if (outcome == TDecodeOutcome::Decoded && !SameForm(colour.Picture, alpha.Picture)) outcome = TDecodeOutcome::Damaged;
        }
        if (outcome != TDecodeOutcome::Decoded) return outcome;
    }
    return TDecodeOutcome::Decoded;
}

// Converts the rows of tiles, top first, into the reduced upright result.
class TTileConverter {
public:
    // Sets up from the first row of tiles: how their samples become colours, and the result.
    TDecodeOutcome Start(const TAvifLayout& layout, const TTileRow& first, const TDecodeRequest& request,
                         TDecodedPicture& result) {
        const Dav1dPicture& colour = first.Colour[0].Picture;
        bits_ = colour.p.bpc;
        // The container's colour description wins over the stream's, as players read them: its
        // matrix and range together, never one of each.
        const bool container = layout.Nclx.Present;
        const int matrix = container ? layout.Nclx.Matrix : static_cast<int>(colour.seq_hdr->mtrx);
        const bool fullRange = container ? layout.Nclx.FullRange : colour.seq_hdr->color_range != 0;
        colour_ = FormOf(matrix, fullRange, bits_);
        const bool hasAlpha = first.Alpha[0].Held();
        if (hasAlpha) {
            const Dav1dPicture& alpha = first.Alpha[0].Picture;
            alpha_ = FormOf(DAV1D_MC_IDENTITY, alpha.seq_hdr->color_range != 0, alpha.p.bpc);
        }
        const int width = static_cast<int>(layout.Width), height = static_cast<int>(layout.Height);
        int factor = 1;
        try {
            if (!AllocateReduced(width, height, layout.Orientation, request, factor, result)) return TDecodeOutcome::NoMemory;
            const int reducedWidth = (width + factor - 1) / factor, reducedHeight = (height + factor - 1) / factor;
            if (hasAlpha) {
                rgb_.resize(static_cast<size_t>(width) * 3);
                colours_.reset(new TColourAverager(width, factor, reducedWidth));
            } else {
                samples_.reset(new TSampleAverager(width, factor, reducedWidth, colour_));
            }
            placer_.reset(new TUprightPlacer(static_cast<uint32_t>(reducedWidth), static_cast<uint32_t>(reducedHeight),
                                             layout.Orientation, result));
        } catch (const std::bad_alloc&) {
            return TDecodeOutcome::NoMemory;
        }
        height_ = height;
        return TDecodeOutcome::Decoded;
    }

    // The tiles' rows from the picture's row top on, the last row of tiles cut at the picture's
    // bottom and the last column at its right.
    void Convert(const TAvifLayout& layout, const TTileRow& tiles, uint32_t top) {
        if (bits_ > 8) ConvertRows<uint16_t>(layout, tiles, top);
        else ConvertRows<uint8_t>(layout, tiles, top);
    }

private:
    template <class T>
    void ConvertRows(const TAvifLayout& layout, const TTileRow& tiles, uint32_t top) {
        const uint32_t rows = std::min(layout.TileHeight, layout.Height - top);
        for (uint32_t y = 0; y < rows; ++y) {
            for (uint32_t column = 0; column < layout.Columns; ++column) {
                const uint32_t left = column * layout.TileWidth;
                const int count = static_cast<int>(std::min(layout.TileWidth, layout.Width - left));
                const TPlanes planes = PlanesOf(tiles.Colour[column].Picture);
                if (samples_) samples_->Add<T>(planes, static_cast<int>(y), static_cast<int>(left), count);
                else ConvertRow<T>(planes, colour_, tiles.Alpha[column].Picture, alpha_, static_cast<int>(y), count,
                                   rgb_.data() + static_cast<size_t>(left) * 3);
            }
            EndRow();
        }
    }

    // A row of the stored picture is complete: a row of blocks is placed once it is whole, or at the
    // picture's bottom.
    void EndRow() {
        if (samples_) samples_->EndRow();
        else colours_->Add(rgb_.data());
        ++rowsDone_;
        const bool full = samples_ ? samples_->Full() : colours_->Full();
        if (!full && rowsDone_ < height_) return;
        if (samples_) samples_->Take(placer_->Row());
        else colours_->Take(placer_->Row());
        placer_->Place();
    }

    int bits_ = 8, height_ = 0, rowsDone_ = 0;
    TYuvForm colour_, alpha_;
    std::vector<float> rgb_;
    std::unique_ptr<TColourAverager> colours_;  // pictures with alpha
    std::unique_ptr<TSampleAverager> samples_;  // opaque pictures
    std::unique_ptr<TUprightPlacer> placer_;
};

// ---------------------------------------------------------------------------------------------
// The picture

// The stored size from the AV1 stream when the container does not give it (an animation's track):
// its largest frame, for the checks before decoding; the frame decoded gives the size itself.
TDecodeOutcome TakeSizeFromStream(const uint8_t* data, TAvifLayout& layout) {
    if (layout.Width != 0) return TDecodeOutcome::Decoded;
    TItemBytes bytes;
    if (!GatherItem(data, layout.Colour[0], bytes)) return TDecodeOutcome::NoMemory;
    return ReadAv1Size(bytes, layout.Width, layout.Height) ? TDecodeOutcome::Decoded : TDecodeOutcome::Damaged;
}

bool FitsRequest(uint32_t width, uint32_t height, const TDecodeRequest& request) {
    return FitsPictureBudget(width, height) && static_cast<uint64_t>(width) * height <= request.MaxPixels;
}

void NoteImageSize(const TAvifLayout& layout, TDecodedPicture& result) {
    const TPictureSize upright = UprightSize(static_cast<int32_t>(std::min<uint32_t>(layout.Width, INT32_MAX)),
                                             static_cast<int32_t>(std::min<uint32_t>(layout.Height, INT32_MAX)), layout.Orientation);
    result.ImageWidth = static_cast<uint32_t>(upright.Width);
    result.ImageHeight = static_cast<uint32_t>(upright.Height);
}

// A track's picture is the size of the frame decoded.
void TakeSizeOfFrame(const Dav1dPicture& frame, TAvifLayout& layout, TDecodedPicture& result) {
    layout.Width = layout.TileWidth = static_cast<uint32_t>(frame.p.w);
    layout.Height = layout.TileHeight = static_cast<uint32_t>(frame.p.h);
    NoteImageSize(layout, result);
}

TDecodeOutcome DecodeLayout(const uint8_t* data, TAvifLayout& layout, const TDecodeRequest& request, TDecodedPicture& result) {
    TDecodeOutcome outcome = TakeSizeFromStream(data, layout);
    if (outcome != TDecodeOutcome::Decoded) return outcome;
    NoteImageSize(layout, result);
    // A tile of colour, and of alpha when there is alpha, for every place of the grid.
    const size_t places = static_cast<size_t>(layout.Columns) * layout.Rows;
    if (layout.Width == 0 || layout.Height == 0 || layout.Colour.size() != places ||
        (!layout.Alpha.empty() && layout.Alpha.size() != places))
        return TDecodeOutcome::Damaged;
    // Every size is checked before anything is decoded; the decoder refuses frames beyond a tile.
    if (!FitsRequest(layout.Width, layout.Height, request) ||
        (layout.TileWidth != 0 && !FitsRequest(layout.TileWidth, layout.TileHeight, request)))
        return TDecodeOutcome::TooLarge;
    TAv1Decoder decoder;
    if (!decoder.Open(layout.TileWidth != 0 ? static_cast<uint64_t>(layout.TileWidth) * layout.TileHeight : request.MaxPixels))
        return TDecodeOutcome::NoMemory;
    TTileRow tiles(layout.Columns);
    TTileForms forms;
    TTileConverter converter;
    for (uint32_t row = 0; row < layout.Rows; ++row) {
        outcome = DecodeTileRow(decoder, data, layout, row, forms, tiles);
        if (outcome != TDecodeOutcome::Decoded) return outcome;
        if (row == 0) {
            if (layout.TileWidth == 0) TakeSizeOfFrame(tiles.Colour[0].Picture, layout, result);
            outcome = converter.Start(layout, tiles, request, result);
            if (outcome != TDecodeOutcome::Decoded) return outcome;
        }
        converter.Convert(layout, tiles, row * layout.TileHeight);
    }
    return TDecodeOutcome::Decoded;
}

}  // namespace

TDecodedPicture DecodeAvif(const uint8_t* data, size_t size, const TDecodeRequest& request) {
    TDecodedPicture result;
    bool laidOut = false;
    try {
        TAvifLayout layout = ReadAvifLayout(data, size);
        laidOut = true;
        if (layout.Found) result.Outcome = DecodeLayout(data, layout, request, result);
    } catch (const std::bad_alloc&) {
        // Boxes whose tables memory cannot hold are damaged; memory failing the decode is short.
        result.Outcome = laidOut ? TDecodeOutcome::NoMemory : TDecodeOutcome::Damaged;
    }
    if (result.Outcome != TDecodeOutcome::Decoded) {
        result.Pixels = std::vector<uint32_t>();
        result.Width = result.Height = 0;
    }
    return result;
}
