#include "Include/MyGDIPlus.h"

#include "Include/BitmapCanvas.h"
#include "Include/Core/PictureFit.h"
#include "Include/Core/PixelReduction.h"
#include "Include/CrashGuard.h"
#include "Include/Error.h"
#include "Include/File.h"
#include "Include/MyWIC.h"
#include "Include/PictureData.h"
#include "Include/PictureDecoderClient.h"
#include "Include/PictureDecoding.h"
#include "Include/WideText.h"

#include <vector>

using namespace Gdiplus::DllExports;

namespace {

const char* const Module = "Include\\MyGDIPlus";

std::string PictureSizeText(int32_t width, int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// ---------------------------------------------------------------------------------------------
// Decoder patterns

void AppendDecoderPatterns(std::string& patterns) {
    UINT count = 0, size = 0;
    GdipGetImageDecodersSize(&count, &size);
    if (count == 0 || size < count * sizeof(Gdiplus::ImageCodecInfo)) return;
    // 8-byte units: the records hold pointers and GUIDs.
    std::vector<uint64_t> buffer((size + 7) / 8);
    auto* decoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (GdipGetImageDecoders(count, size, decoders) != Gdiplus::Ok) return;
    for (UINT i = 0; i < count; ++i) {
        patterns += WideToUtf8(decoders[i].FilenameExtension);
        if (i + 1 < count) patterns += ";";
    }
}

void LowerCaseInPlace(std::string& text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
}

// Read by our own decoders or by WIC's HEIF codec. Listed even where WIC reports no codec for
// them, so that such a file is answered with what to install instead of being passed over.
const char* const OtherPicturePatterns = "*.webp;*.avif;*.heic;*.heif";

// Appends each pattern of more (lower-case, joined by ";") that the list does not hold yet.
void AppendNewPatterns(std::string& patterns, const std::string& more) {
    const std::string listed = ";" + patterns + ";";
    size_t start = 0;
    while (start < more.size()) {
        size_t end = more.find(';', start);
        if (end == std::string::npos) end = more.size();
        const std::string pattern = more.substr(start, end - start);
        if (!pattern.empty() && listed.find(";" + pattern + ";") == std::string::npos)
            patterns += (patterns.empty() ? "" : ";") + pattern;
        start = end + 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Encoding

bool FindPngEncoder(CLSID& encoder) {
    UINT count = 0, size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || count == 0) return false;
    std::vector<uint64_t> buffer((size + 7) / 8);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (GdipGetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && std::wstring(encoders[i].MimeType) == L"image/png") {
            encoder = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

// The bitmap written by the encoder into memory; false when GDI+ or the stream failed.
bool SaveToBytes(Gdiplus::GpImage* image, const CLSID& encoder, std::string& bytes) {
    TComInterface<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()))) return false;
    if (GdipSaveImageToStream(image, stream.get(), &encoder, nullptr) != Gdiplus::Ok) return false;
    ULARGE_INTEGER end = {};
    const LARGE_INTEGER start = {};
    if (FAILED(stream->Seek(start, STREAM_SEEK_END, &end)) || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
        return false;
    bytes.resize(static_cast<size_t>(end.QuadPart));
    ULONG read = 0;
    return bytes.empty() ||
           (SUCCEEDED(stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read)) && read == bytes.size());
}

// ---------------------------------------------------------------------------------------------
// Bitmaps

// A new bitmap with the picture painted, or null after a failure raised on op.
std::unique_ptr<TBitmapCanvas> PaintNewBitmap(TFunOperation& op, const TPicture& picture, int width, int height) {
    std::unique_ptr<TBitmapCanvas> bitmap = TBitmapCanvas::Create(width, height);
    if (!bitmap) {
        op.Raise(__LINE__, fsError, TBitmapCanvas::NoMemoryReport(width, height), "", "0");
        return nullptr;
    }
    if (!picture.DrawInto(*bitmap)) {
        op.Raise(__LINE__, fsError, "The picture could not be drawn.", picture.FileName());
        return nullptr;
    }
    return bitmap;
}

}  // namespace

namespace {

// A drawing of the whole picture, kept as a GDI+ bitmap over pixels of our own. The bitmap
// refers to the pixels, so it is declared after them and goes first.
struct TRendering {
    std::vector<uint32_t> Pixels;
    TOwnedGpImage Bitmap;
    int32_t Width = 0;
    int32_t Height = 0;
    // Made by averaging, so opaque: GDI+ leaves the fourth byte of what it draws undefined.
    bool Averaged = false;

    uint64_t Area() const { return static_cast<uint64_t>(Width) * static_cast<uint64_t>(Height); }

    void Keep(const TBitmapCanvas& drawing, bool averaged) {
        Bitmap.reset();
        Width = Height = 0;
        Averaged = averaged;
        const int32_t width = drawing.Width(), height = drawing.Height();
        try {
            Pixels.assign(drawing.Pixels(), drawing.Pixels() + static_cast<size_t>(width) * static_cast<size_t>(height));
        } catch (const std::bad_alloc&) {
            Pixels.clear();  // only a shortcut is lost
            return;
        }
        Gdiplus::GpBitmap* created = nullptr;
        if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                      reinterpret_cast<BYTE*>(Pixels.data()), &created) != Gdiplus::Ok ||
            !created)
            return;
        Bitmap.reset(created);
        Width = width;
        Height = height;
    }
};

}  // namespace

// What the game keeps of a decoded picture: the decode itself and its largest drawing so far.
struct TPicture::TData {
    explicit TData(std::unique_ptr<TPictureData> decoded) : Decoded(std::move(decoded)) {}
    std::unique_ptr<TPictureData> Decoded;
    // Scaling a large picture costs a pass over all its pixels; a smaller image scaled from an
    // earlier, larger drawing of it looks the same and costs only its own size.
    TRendering Rendering;
};

TPicture::TPicture(std::unique_ptr<TPictureData> decoded) : data_(std::make_unique<TData>(std::move(decoded))) {}
TPicture::~TPicture() = default;

int32_t TPicture::Width() const { return data_->Decoded->Width; }
int32_t TPicture::Height() const { return data_->Decoded->Height; }
int32_t TPicture::DecodedWidth() const { return data_->Decoded->DecodedWidth; }
int32_t TPicture::DecodedHeight() const { return data_->Decoded->DecodedHeight; }
const std::string& TPicture::FileName() const { return data_->Decoded->FileName; }
const TPictureFileStamp& TPicture::FileStamp() const { return data_->Decoded->FileStamp; }

bool TPicture::DrawInto(TBitmapCanvas& bitmap) const {
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    const TPictureData& decoded = *data_->Decoded;
    TRendering& kept = data_->Rendering;
    const uint64_t area = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    const uint64_t pictureArea = static_cast<uint64_t>(decoded.DecodedWidth) * static_cast<uint64_t>(decoded.DecodedHeight);
    // Pixels of our own decoders made smaller are averaged straight into the bitmap: a fraction of
    // the time GDI+'s bicubic filter takes for them, and no moire.
    if (decoded.HasPixels() && width > 0 && height > 0 && width <= decoded.DecodedWidth &&
        height <= decoded.DecodedHeight) {
        const bool fromKept = kept.Averaged && kept.Width >= width && kept.Height >= height;
        GdiFlush();
        if (fromKept)
            ReducePixels(kept.Pixels.data(), kept.Width, kept.Height, bitmap.Pixels(), width, height);
        else
            ReducePixels(decoded.PixelData(), decoded.DecodedWidth, decoded.DecodedHeight, bitmap.Pixels(), width, height);
        if (!fromKept && area < pictureArea && area > kept.Area()) kept.Keep(bitmap, true);
        return true;
    }
    PatBlt(bitmap.Canvas(), 0, 0, width, height, BLACKNESS);
    if (width <= 0 || height <= 0) return true;
    const bool fromKept = kept.Bitmap && kept.Width >= width && kept.Height >= height;
    if (!DrawStretched(bitmap.Canvas(), fromKept ? kept.Bitmap.get() : decoded.Image.get(), width, height)) return false;
    GdiFlush();
    if (!fromKept && area < pictureArea && area > kept.Area()) kept.Keep(bitmap, false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Operations

std::string GetPictureExtensionsAsFilter() {
    std::string patterns;
    TFunOperation op(Module, "GetPictureExtensionsAsFilter", __LINE__);
    op.Guard(__LINE__, [&] { AppendDecoderPatterns(patterns); });
    // Also after a failure: what was collected is the result.
    op.Guard(__LINE__, [&] { LowerCaseInPlace(patterns); });
    op.Guard(__LINE__, [&] {
        AppendNewPatterns(patterns, OtherPicturePatterns);
        AppendNewPatterns(patterns, WicDecoderPatterns());
    });
    op.EndPassing();
    return patterns;
}

namespace {

// The decoder process's pixels, used where they lie. Null after a failure raised on op.
std::unique_ptr<TPictureData> DataOverView(TFunOperation& op, const std::string& fileName, TDecoderAnswer& answer) {
    auto data = std::make_unique<TPictureData>();
    data->PixelView = std::move(answer.View);
    data->FileName = fileName;
    if (!PutImageOverPixels(*data, answer.Width, answer.Height, answer.ImageWidth, answer.ImageHeight, answer.Alpha)) {
        op.Raise(__LINE__, fsError, TBitmapCanvas::NoMemoryReport(answer.Width, answer.Height), "", "0");
        return nullptr;
    }
    return data;
}

// Set by a benchmark for the game it starts, to time the player's load with the same decode in
// the game's own process, without the wall; read once.
bool DecodesInGameProcess() {
    static const bool inGame = GetEnvironmentVariableA("TILVANE_DECODE_IN_GAME_PROCESS", nullptr, 0) > 0;
    return inGame;
}

}  // namespace

std::unique_ptr<TPicture> LoadPictureFile(const std::string& FileName, const std::vector<TPictureSize>& PaintAreas) {
    if (DecodesInGameProcess()) return LoadPictureFileInProcess(FileName, PaintAreas);
    std::unique_ptr<TPicture> picture;
    TFunOperation op(Module, "LoadPictureFile", __LINE__);
    op.Guard(__LINE__, [&] {
        TDecoderAnswer answer;
        {
            // Another thread of the game may fault while this one waits for the decoder.
            const TWindowThreadWaits waiting;
            if (!DecodeInDecoderProcess(op, FileName, PaintAreas, answer)) return;
        }
        std::unique_ptr<TPictureData> data = DataOverView(op, FileName, answer);
        if (!data) return;
        data->FileStamp = answer.Stamp;
        picture.reset(new TPicture(std::move(data)));
    });
    op.EndPassing([&] { picture.reset(); });
    return picture;
}

std::unique_ptr<TPicture> LoadPictureFileInProcess(const std::string& FileName,
                                                   const std::vector<TPictureSize>& PaintAreas) {
    std::unique_ptr<TPictureData> data = LoadPictureData(FileName, PaintAreas);
    return data ? std::unique_ptr<TPicture>(new TPicture(std::move(data))) : nullptr;
}

std::unique_ptr<TBitmapCanvas> PaintPictureToGrid(const TPicture& Picture, bool Enlarge, int Width, int Height,
                                                  int PieceWidth, int PieceHeight, int MaxColumns, int MaxRows,
                                                  int& ResultedColumns, int& ResultedRows) {
    std::unique_ptr<TBitmapCanvas> bitmap;
    TFunOperation op(Module, "PaintPictureToGrid", __LINE__);
    op.Guard(__LINE__, [&] {
        int32_t fittedWidth = 0, fittedHeight = 0;
        FitPictureSize(Picture.Width(), Picture.Height(), Width, Height, Enlarge, fittedWidth, fittedHeight);
        const TPictureGrid grid =
            ChoosePictureGrid(fittedWidth, fittedHeight, PieceWidth, PieceHeight, MaxColumns, MaxRows);
        bitmap = PaintNewBitmap(op, Picture, grid.Width, grid.Height);
        if (!bitmap) return;
        ResultedColumns = grid.Columns;
        ResultedRows = grid.Rows;
    });
    op.EndPassing([&] { bitmap.reset(); });
    return bitmap;
}

std::unique_ptr<TBitmapCanvas> PaintPictureUsingGrid(const TPicture& Picture, bool Enlarge, int Width, int Height,
                                                     int Columns, int Rows) {
    std::unique_ptr<TBitmapCanvas> bitmap;
    TFunOperation op(Module, "PaintPictureUsingGrid", __LINE__);
    op.Guard(__LINE__, [&] {
        int32_t fittedWidth = 0, fittedHeight = 0;
        FitPictureSize(Picture.Width(), Picture.Height(), Width, Height, Enlarge, fittedWidth, fittedHeight);
        const TPictureGrid size = PictureSizeOnGrid(fittedWidth, fittedHeight, Columns, Rows);
        bitmap = PaintNewBitmap(op, Picture, size.Width, size.Height);
    });
    op.EndPassing([&] { bitmap.reset(); });
    return bitmap;
}

std::string EncodePng(int32_t Width, int32_t Height, const std::vector<uint32_t>& Pixels) {
    std::string bytes;
    TFunOperation op(Module, "EncodePng", __LINE__);
    op.Guard(__LINE__, [&] {
        CLSID encoder = CLSID();
        if (Width <= 0 || Height <= 0 || Pixels.size() != static_cast<size_t>(Width) * static_cast<size_t>(Height) ||
            !FindPngEncoder(encoder)) {
            op.Raise(__LINE__, fsError, "The picture could not be written as PNG.", PictureSizeText(Width, Height));
            return;
        }
        Gdiplus::GpBitmap* created = nullptr;
        // GDI+ only reads the pixels while it encodes them.
        BYTE* pixels = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(Pixels.data()));
        if (GdipCreateBitmapFromScan0(Width, Height, Width * 4, PixelFormat32bppARGB, pixels, &created) != Gdiplus::Ok ||
            !created) {
            op.Raise(__LINE__, fsError, TBitmapCanvas::NoMemoryReport(Width, Height), "", "0");
            return;
        }
        TOwnedGpImage bitmap(created);
        if (!SaveToBytes(bitmap.get(), encoder, bytes)) {
            bytes.clear();
            op.Raise(__LINE__, fsError, "The picture could not be written as PNG.", PictureSizeText(Width, Height));
        }
    });
    op.EndPassing([&] { bytes.clear(); });
    return bytes;
}

TPictureEngine::TPictureEngine() {
    Gdiplus::GdiplusStartupInput startupInput;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &startupInput, nullptr) == Gdiplus::Ok) token_ = token;
    patterns_ = GetPictureExtensionsAsFilter();
}

TPictureEngine::~TPictureEngine() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

bool TPictureEngine::IsPictureFile(const std::string& path) const { return MatchesFileMask(path, patterns_); }
