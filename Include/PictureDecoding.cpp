#include "Include/PictureDecoding.h"

#include "Include/BitmapCanvas.h"
#include "Include/Core/AvifDecoder.h"
#include "Include/Core/DecodedPicture.h"
#include "Include/Core/FunOperation.h"
#include "Include/Core/JpegDecoder.h"
#include "Include/Core/PictureHeader.h"
#include "Include/Core/PictureOrientation.h"
#include "Include/Core/PictureRefusal.h"
#include "Include/Core/PixelReduction.h"
#include "Include/Core/WebpDecoder.h"
#include "Include/Error.h"
#include "Include/MyWIC.h"
#include "Include/WideText.h"

#include <climits>
#include <new>

using namespace Gdiplus::DllExports;

namespace {

const char* const Module = "Include\\PictureDecoding";
TReadProgressSink ReadProgressSink = nullptr;

// Why the last load was refused, for the decoder process to send across its wall.
TPictureRefusal LastRefusal;

// Raises the refusal as the game words it, and keeps it.
void Refuse(TFunOperation& op, int32_t line, const TPictureRefusal& refusal, const std::string& fileName,
            int32_t systemErrorCode = 0) {
    LastRefusal = refusal;
    const TRefusalRecord record = RefusalRecord(refusal, fileName);
    op.Raise(line, fsError, record.Description, record.Parameter1, record.Parameter2, systemErrorCode);
}

void RefuseAsUnreadable(TFunOperation& op, int32_t line, const std::string& fileName, int32_t systemErrorCode = 0) {
    Refuse(op, line, TPictureRefusal(), fileName, systemErrorCode);
}

void RefuseForMemory(TFunOperation& op, int32_t line, uint64_t width, uint64_t height) {
    TPictureRefusal refusal;
    refusal.Reason = TRefusalReason::NoMemory;
    refusal.Width = width;
    refusal.Height = height;
    Refuse(op, line, refusal, "");
}

void RefuseFormat(TFunOperation& op, int32_t line, const std::string& fileName, TRefusalReason reason,
                  TPictureFormat format) {
    TPictureRefusal refusal;
    refusal.Reason = reason;
    refusal.Format = format;
    Refuse(op, line, refusal, fileName);
}

// Paths of MAX_PATH characters or more reach the file system only in their "\\?\" form, which
// must be absolute and already normalised.
std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0)
        return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The size named is the upright picture's, as the player knows it.
void RaiseTooLarge(TFunOperation& op, int32_t line, const std::string& fileName, uint64_t width, uint64_t height,
                   uint32_t orientation = 1) {
    const bool exchanged = ExchangesSides(orientation);
    TPictureRefusal refusal;
    refusal.Reason = TRefusalReason::PictureTooLarge;
    refusal.Width = exchanged ? height : width;
    refusal.Height = exchanged ? width : height;
    Refuse(op, line, refusal, fileName);
}

// Reads the picture file at any offset; reads past its end or failing give 0 bytes.
TReadAt FileReader(const TFileHandle& file) {
    return [&file](uint64_t offset, uint8_t* buffer, size_t size) -> size_t {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, static_cast<DWORD>(size), &got, &at)) return 0;
        if (ReadProgressSink && got) ReadProgressSink(offset + got);
        return got;
    };
}

// Refuses, from its header, a file that is damaged or claims more pixels than the budget: some
// decoders allocate the whole picture as soon as they open the file. A JPEG is decoded scaled
// down to the budget, so only its own, larger limit applies.
bool CheckPictureHeader(TFunOperation& op, const std::string& fileName, const TPictureHeader& header) {
    if (header.Kind == TPictureHeaderKind::Damaged) {
        RefuseAsUnreadable(op, __LINE__, fileName);
        return false;
    }
    const bool fits = header.Format == TPictureFormat::Jpeg ? FitsJpegBudget(header.Width, header.Height)
                                  : FitsPictureBudget(header.Width, header.Height);
    if (header.Kind == TPictureHeaderKind::Sized && !fits) {
        RaiseTooLarge(op, __LINE__, fileName, header.Width, header.Height, header.Orientation);
        return false;
    }
    return true;
}

// GDI+ may only read a raster picture's header when it loads it; reading its pixels once makes
// it decode now, so that a damaged file is refused here and both paints use the decoded pixels.
bool DecodePixels(Gdiplus::GpImage* image) {
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    if (GdipGetImageType(image, &type) != Gdiplus::Ok) return false;
    if (type != Gdiplus::ImageTypeBitmap) return true;  // metafiles are drawn, never decoded
    Gdiplus::PixelFormat format = 0;
    if (GdipGetImagePixelFormat(image, &format) != Gdiplus::Ok) return false;
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image);
    Gdiplus::BitmapData pixels = {};
    if (GdipBitmapLockBits(bitmap, nullptr, Gdiplus::ImageLockModeRead, format, &pixels) != Gdiplus::Ok) return false;
    GdipBitmapUnlockBits(bitmap, &pixels);
    return true;
}


// Turns a picture GDI+ decoded upright in one pass over its pixels, placed as the JPEG decoder
// places its rows: GDI+'s own turns that mirror about a diagonal are not read the same way by
// every implementation of it. The upright pixels, transparency kept, become the picture's image.
bool TurnUpright(TPictureData& data, uint32_t orientation) {
    if (orientation < 2 || orientation > 8) return true;
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(data.Image.get());
    const uint32_t width = static_cast<uint32_t>(data.Width), height = static_cast<uint32_t>(data.Height);
    std::vector<uint32_t> upright;
    try {
        upright.resize(static_cast<size_t>(width) * height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    Gdiplus::BitmapData locked = {};
    if (GdipBitmapLockBits(bitmap, nullptr, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &locked) != Gdiplus::Ok)
        return false;
    for (uint32_t y = 0; y < height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.Scan0) + static_cast<ptrdiff_t>(y) * locked.Stride;
        PlaceRowUpright(reinterpret_cast<const uint32_t*>(row), y, width, height, orientation, upright.data());
    }
    GdipBitmapUnlockBits(bitmap, &locked);
    const TPictureSize size = UprightSize(data.Width, data.Height, orientation);
    Gdiplus::GpBitmap* created = nullptr;
    if (GdipCreateBitmapFromScan0(size.Width, size.Height, size.Width * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE*>(upright.data()), &created) != Gdiplus::Ok ||
        !created)
        return false;
    data.Image.reset(created);
    data.Pixels = std::move(upright);  // the same buffer, which the new image refers to
    data.Alpha = true;
    data.Width = data.DecodedWidth = size.Width;
    data.Height = data.DecodedHeight = size.Height;
    return true;
}

// A picture GDI+ decodes from the file. Null when GDI+ cannot read the file, which is then left
// to WIC, or after a failure raised on op.
std::unique_ptr<TPictureData> DecodeWithGdiplus(TFunOperation& op, const std::string& fileName,
                                                   const std::wstring& path, uint32_t orientation) {
    Gdiplus::GpImage* loaded = nullptr;
    const Gdiplus::Status status = GdipLoadImageFromFile(path.c_str(), &loaded);
    TOwnedGpImage image(loaded);
    UINT width = 0, height = 0;
    if (status == Gdiplus::Ok && image) {
        GdipGetImageWidth(image.get(), &width);
        GdipGetImageHeight(image.get(), &height);
    }
    if (width == 0 || height == 0) return nullptr;
    if (!FitsPictureBudget(width, height)) {
        RaiseTooLarge(op, __LINE__, fileName, width, height, orientation);
        return nullptr;
    }
    if (!DecodePixels(image.get())) return nullptr;
    auto data = std::make_unique<TPictureData>();
    data->FileName = fileName;
    data->Image = std::move(image);
    data->Width = data->DecodedWidth = static_cast<int32_t>(width);
    data->Height = data->DecodedHeight = static_cast<int32_t>(height);
    if (!TurnUpright(*data, orientation)) {
        RefuseForMemory(op, __LINE__, data->Width, data->Height);
        return nullptr;
    }
    return data;
}

// Refuses what kept WIC from decoding the file. A format known by its content but without a
// codec is named with what to install: the file is most likely whole.
void RaiseWicFailure(TFunOperation& op, const std::string& fileName, const TWicPicture& decoded,
                     TPictureFormat format) {
    if (decoded.Outcome == TWicOutcome::TooLarge)
        RaiseTooLarge(op, __LINE__, fileName, decoded.Width, decoded.Height);
    else if (decoded.Outcome == TWicOutcome::NoMemory)
        RefuseForMemory(op, __LINE__, decoded.Width, decoded.Height);
    else if (decoded.Outcome == TWicOutcome::NoCodec)
        RefuseFormat(op, __LINE__, fileName, TRefusalReason::NoCodec, format);
    else
        RefuseFormat(op, __LINE__, fileName, TRefusalReason::CodecFailed, format);
}

// Pixels our own decoders made are already as large as the areas need (sizedByDecoder); the
// system's are the picture's full size.
// Null after a failure raised on op.
std::unique_ptr<TPictureData> DataOverPixels(TFunOperation& op, const std::string& fileName,
                                             std::vector<uint32_t>&& pixels, int32_t width, int32_t height,
                                             uint32_t imageWidth, uint32_t imageHeight, bool alpha,
                                             bool sizedByDecoder) {
    auto data = std::make_unique<TPictureData>();
    data->Pixels = std::move(pixels);
    data->SizedByDecoder = sizedByDecoder;
    data->FileName = fileName;
    if (!PutImageOverPixels(*data, width, height, imageWidth, imageHeight, alpha)) {
        RefuseForMemory(op, __LINE__, width, height);
        return nullptr;
    }
    return data;
}

// A picture an installed WIC codec decodes, handed to GDI+ as a bitmap over its pixels; null
// after a failure raised on op.
std::unique_ptr<TPictureData> DecodeWithWicCodecs(TFunOperation& op, const std::string& fileName,
                                                     const std::wstring& path, const TPictureHeader& header) {
    TWicPicture decoded = DecodeWithWic(path);
    if (decoded.Outcome != TWicOutcome::Decoded) {
        RaiseWicFailure(op, fileName, decoded, header.Format);
        return nullptr;
    }
    const int32_t width = static_cast<int32_t>(decoded.Width), height = static_cast<int32_t>(decoded.Height);
    return DataOverPixels(op, fileName, std::move(decoded.Pixels), width, height, decoded.Width, decoded.Height,
                          true, false);
}

// The system's decoders in turn: GDI+, then the codecs installed for WIC.
std::unique_ptr<TPictureData> DecodeWithSystem(TFunOperation& op, const std::string& fileName,
                                                  const std::wstring& path, const TPictureHeader& header) {
    std::unique_ptr<TPictureData> data = DecodeWithGdiplus(op, fileName, path, header.Orientation);
    if (data || op.Failed()) return data;
    return DecodeWithWicCodecs(op, fileName, path, header);
}

// Raises what kept a JPEG from being decoded.
void RaiseJpegFailure(TFunOperation& op, const std::string& fileName, const TDecodedJpeg& decoded) {
    switch (decoded.Outcome) {
    case TJpegOutcome::TooLarge:
        RaiseTooLarge(op, __LINE__, fileName, decoded.ImageWidth, decoded.ImageHeight);
        break;
    case TJpegOutcome::NoMemory:
        RefuseForMemory(op, __LINE__, ScaledSide(decoded.ImageWidth, decoded.Denominator),
                        ScaledSide(decoded.ImageHeight, decoded.Denominator));
        break;
    default:
        RefuseAsUnreadable(op, __LINE__, fileName);
    }
}

// A JPEG decoded by libjpeg-turbo no larger than the areas need. Null after a failure raised on op.
std::unique_ptr<TPictureData> DecodeJpegFile(TFunOperation& op, const std::string& fileName, const TReadAt& read,
                                                const std::vector<TPictureSize>& areas, uint32_t orientation) {
    TJpegRequest request;
    request.Areas = areas;
    request.Orientation = orientation;
    TDecodedJpeg decoded = DecodeJpeg(read, request);
    if (decoded.Outcome != TJpegOutcome::Decoded) {
        RaiseJpegFailure(op, fileName, decoded);
        return nullptr;
    }
    return DataOverPixels(op, fileName, std::move(decoded.Pixels), decoded.Width, decoded.Height, decoded.ImageWidth,
                          decoded.ImageHeight, false, true);
}

// Our own decoders of formats read from the whole file in memory: WebP and AVIF.
using TWholeFileDecoder = TDecodedPicture (*)(const uint8_t* data, size_t size, const TDecodeRequest& request);

// The whole file, or false after a failure raised on op.
bool ReadWholeFile(TFunOperation& op, const std::string& fileName, HANDLE file, const TReadAt& read,
                   std::vector<uint8_t>& bytes) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0) {
        RefuseAsUnreadable(op, __LINE__, fileName);
        return false;
    }
    if (static_cast<uint64_t>(size.QuadPart) > MaxEncodedPictureBytes) {
        TPictureRefusal refusal;
        refusal.Reason = TRefusalReason::FileTooLarge;
        refusal.Bytes = static_cast<uint64_t>(size.QuadPart);
        Refuse(op, __LINE__, refusal, fileName);
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        RefuseAsUnreadable(op, __LINE__, fileName);
        return false;
    }
    for (size_t at = 0; at < bytes.size();) {
        const size_t got = read(at, bytes.data() + at, std::min<size_t>(bytes.size() - at, 1u << 20));
        if (got == 0) {
            RefuseAsUnreadable(op, __LINE__, fileName);
            return false;
        }
        at += got;
    }
    return true;
}

// A WebP or AVIF picture decoded by our own decoder. Null after a failure raised on op.
std::unique_ptr<TPictureData> DecodeWholeFile(TFunOperation& op, const std::string& fileName, HANDLE file,
                                                 const TReadAt& read, TWholeFileDecoder decode,
                                                 const std::vector<TPictureSize>& areas) {
    TDecodedPicture decoded;
    {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(op, fileName, file, read, bytes)) return nullptr;
        TDecodeRequest request;
        request.Areas = areas;
        decoded = decode(bytes.data(), bytes.size(), request);
    }
    switch (decoded.Outcome) {
    case TDecodeOutcome::Decoded:
        return DataOverPixels(op, fileName, std::move(decoded.Pixels), decoded.Width, decoded.Height,
                              decoded.ImageWidth, decoded.ImageHeight, false, true);
    case TDecodeOutcome::TooLarge:
        RaiseTooLarge(op, __LINE__, fileName, decoded.ImageWidth, decoded.ImageHeight);
        return nullptr;
    case TDecodeOutcome::NoMemory:
        RefuseForMemory(op, __LINE__, decoded.ImageWidth, decoded.ImageHeight);
        return nullptr;
    default:
        RefuseAsUnreadable(op, __LINE__, fileName);
        return nullptr;
    }
}

TPictureFileStamp StampOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information)) return TPictureFileStamp();
    TPictureFileStamp stamp;
    stamp.Volume = information.dwVolumeSerialNumber;
    stamp.Index = (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    stamp.Size = (static_cast<uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    stamp.Written = (static_cast<uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
                    information.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

// The decoded picture, or null after a failure raised on op.
std::unique_ptr<TPictureData> DecodePictureFile(TFunOperation& op, const std::string& fileName,
                                                   const std::vector<TPictureSize>& areas) {
    const std::wstring path = LongPathForm(Utf8ToWide(fileName));
    ClearLastError();
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        RefuseAsUnreadable(op, __LINE__, fileName, static_cast<int32_t>(LastError()));
        return nullptr;
    }
    const TPictureFileStamp stamp = StampOf(file.get());
    const TReadAt read = FileReader(file);
    const TPictureHeader header = ReadPictureHeader(read);
    if (!CheckPictureHeader(op, fileName, header)) return nullptr;
    // Chosen by the content, whatever the file's name says.
    std::unique_ptr<TPictureData> data;
    switch (header.Format) {
    case TPictureFormat::Jpeg:
        data = DecodeJpegFile(op, fileName, read, areas, header.Orientation);
        break;
    case TPictureFormat::WebP:
        data = DecodeWholeFile(op, fileName, file.get(), read, DecodeWebp, areas);
        break;
    case TPictureFormat::Avif:
        data = DecodeWholeFile(op, fileName, file.get(), read, DecodeAvif, areas);
        break;
    default:
        file.reset();
        data = DecodeWithSystem(op, fileName, path, header);
    }
    if (data) data->FileStamp = stamp;
    return data;
}


// The pixels as they are, or averaged down to size: opaque then. Without alpha they are opaque.
void SendPixels(const uint32_t* pixels, int32_t width, int32_t height, bool alpha, TPictureSize size,
                TPicturePixels& out) {
    out.Width = size.Width;
    out.Height = size.Height;
    if (size.Width == width && size.Height == height) {
        out.Pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
        out.Alpha = alpha;
        // GDI leaves the fourth byte of what it draws undefined; averaging reads it as opacity.
        if (!alpha)
            for (uint32_t& pixel : out.Pixels) pixel |= 0xFF000000u;
        return;
    }
    out.Pixels.resize(static_cast<size_t>(size.Width) * static_cast<size_t>(size.Height));
    ReducePixels(pixels, width, height, out.Pixels.data(), size.Width, size.Height);
    out.Alpha = false;
}

// A raster GDI+ decoded, reduced as our decoders reduce.
bool SendGdiplusBitmap(Gdiplus::GpImage* image, int32_t width, int32_t height, TPictureSize size,
                       TPicturePixels& out) {
    Gdiplus::BitmapData locked = {};
    if (GdipBitmapLockBits(static_cast<Gdiplus::GpBitmap*>(image), nullptr, Gdiplus::ImageLockModeRead,
                           PixelFormat32bppARGB, &locked) != Gdiplus::Ok)
        return false;
    std::vector<uint32_t> rows;
    const uint32_t* pixels = static_cast<const uint32_t*>(locked.Scan0);
    if (locked.Stride != width * 4) {  // rows with gaps or bottom up: made plain first
        rows.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int32_t y = 0; y < height; ++y)
            std::copy_n(reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.Scan0) +
                                                          static_cast<ptrdiff_t>(y) * locked.Stride),
                        width, rows.data() + static_cast<size_t>(y) * static_cast<size_t>(width));
        pixels = rows.data();
    }
    SendPixels(pixels, width, height, true, size, out);
    GdipBitmapUnlockBits(static_cast<Gdiplus::GpBitmap*>(image), &locked);
    return true;
}


}  // namespace

bool TakePixels(TPictureData& data, const std::vector<TPictureSize>& areas, TPicturePixels& out) {
    TDecodeRequest request;
    request.Areas = areas;
    if (!data.Pixels.empty()) {
        if (data.SizedByDecoder) {
            out.Pixels = std::move(data.Pixels);
            out.Width = data.DecodedWidth;
            out.Height = data.DecodedHeight;
            out.Alpha = data.Alpha;
            return true;
        }
        const TPictureSize size = ChooseDecodedSize(static_cast<uint32_t>(data.DecodedWidth),
                                                    static_cast<uint32_t>(data.DecodedHeight), request);
        SendPixels(data.Pixels.data(), data.DecodedWidth, data.DecodedHeight, data.Alpha, size, out);
        return true;
    }
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    if (GdipGetImageType(data.Image.get(), &type) != Gdiplus::Ok) return false;
    const uint32_t width = static_cast<uint32_t>(data.Width), height = static_cast<uint32_t>(data.Height);
    if (type == Gdiplus::ImageTypeBitmap)
        return SendGdiplusBitmap(data.Image.get(), data.Width, data.Height,
                                 ChooseDecodedSize(width, height, request), out);
    // A metafile is drawn from its vectors as large as the areas need, within the budget.
    TPictureSize size = NeededPictureSize(data.Width, data.Height, areas.data(), static_cast<int>(areas.size()));
    if (!FitsPictureBudget(static_cast<uint64_t>(size.Width), static_cast<uint64_t>(size.Height)))
        size = ChooseDecodedSize(width, height, request);
    std::unique_ptr<TBitmapCanvas> canvas = TBitmapCanvas::Create(size.Width, size.Height);
    if (!canvas) return false;
    PatBlt(canvas->Canvas(), 0, 0, size.Width, size.Height, BLACKNESS);  // what transparent parts show
    if (!DrawStretched(canvas->Canvas(), data.Image.get(), size.Width, size.Height)) return false;
    GdiFlush();
    SendPixels(canvas->Pixels(), size.Width, size.Height, false, size, out);
    return true;
}


void SetReadProgressSink(TReadProgressSink sink) { ReadProgressSink = sink; }

std::unique_ptr<TPictureData> LoadPictureData(const std::string& FileName, const std::vector<TPictureSize>& PaintAreas,
                                              TPictureRefusal* Refusal) {
    std::unique_ptr<TPictureData> data;
    LastRefusal = TPictureRefusal();
    TFunOperation op(Module, "LoadPictureFile", __LINE__);
    op.Guard(__LINE__, [&] { data = DecodePictureFile(op, FileName, PaintAreas); });
    op.EndPassing([&] { data.reset(); });
    if (Refusal) *Refusal = LastRefusal;
    return data;
}
