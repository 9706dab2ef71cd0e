#include "Include/MyWIC.h"

#include "Include/Core/PictureHeader.h"
#include "Include/Core/PictureOrientation.h"
#include "Include/Owned.h"
#include "Include/WideText.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <new>

namespace {

// COM for as long as one call needs it; a thread that has it already keeps it as it was.
class TComApartment {
public:
    TComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

private:
    HRESULT result_;
};

bool CreateFactory(TComInterface<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      factory.Receive()));
}

// A query's answer, cleared when it goes.
class TQueryValue {
public:
    TQueryValue() { PropVariantInit(&value_); }
    ~TQueryValue() { PropVariantClear(&value_); }
    TQueryValue(const TQueryValue&) = delete;
    TQueryValue& operator=(const TQueryValue&) = delete;
    PROPVARIANT* Out() { return &value_; }
    const PROPVARIANT& get() const { return value_; }

private:
    PROPVARIANT value_;
};

// A query's answer as an orientation: codecs answer with integers of various widths (VT_UI2 as
// documented); anything else, or a value outside 1 to 8, leaves the picture as stored.
uint32_t OrientationOfAnswer(const PROPVARIANT& value) {
    int64_t number = 0;
    switch (value.vt) {
    case VT_UI1: number = value.bVal; break;
    case VT_UI2: number = value.uiVal; break;
    case VT_UI4: number = value.ulVal; break;
    case VT_UINT: number = value.uintVal; break;
    case VT_I2: number = value.iVal; break;
    case VT_I4: number = value.lVal; break;
    case VT_INT: number = value.intVal; break;
    default: return 1;
    }
    return number >= 1 && number <= 8 ? static_cast<uint32_t>(number) : 1;
}

// The orientation tag's value from the frame's metadata, 1 to 8; 1 when it records none. The
// first query answered decides. The photo policy name reads the tag wherever the container keeps
// it; a HEIF codec may answer only under its own property, and a TIFF-structured camera format
// only at the tag's place in the first directory (the policy's own read path for TIFF), which is
// also all Wine's TIFF codec answers.
// Whether the HEIF codec turns its pixels itself: its property's page ("WICHeifProperties
// enumeration") says only that the value indicates the image's orientation, numbered as
// System.Photo.Orientation, and that property's page ("System.Photo.Orientation") describes it
// as what lets applications orient the image rather than the pixels being stored turned. Neither
// says a decoder applies it, so what the frame reports is applied to the pixels it gives.
uint32_t FrameOrientation(IWICBitmapFrameDecode* frame) {
    TComInterface<IWICMetadataQueryReader> reader;
    if (FAILED(frame->GetMetadataQueryReader(reader.Out()))) return 1;
    for (const wchar_t* query : {L"System.Photo.Orientation", L"/heifProps/Orientation", L"/ifd/{ushort=274}"}) {
        TQueryValue value;
        if (SUCCEEDED(reader->GetMetadataByName(query, value.Out()))) return OrientationOfAnswer(value.get());
    }
    return 1;
}

// Rows are read a band at a time, each put where the orientation places it: only the upright
// picture and one band of at most 16 MB are held, and a codec is asked a few times, not per row.
const uint32_t BandPixels = 1u << 22;

// The frame's pixels as 32-bit BGRA, upright; the frame's size has been checked by then.
TWicOutcome CopyUprightPixels(IWICBitmapFrameDecode* frame, uint32_t width, uint32_t height, uint32_t orientation,
                              std::vector<uint32_t>& upright) {
    TComInterface<IWICBitmapSource> converted;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, converted.Out())))
        return TWicOutcome::Failed;
    const uint32_t bandRows = std::min(height, std::max(1u, BandPixels / width));
    std::vector<uint32_t> band;
    try {
        upright.resize(static_cast<size_t>(width) * height);
        band.resize(static_cast<size_t>(width) * bandRows);
    } catch (const std::bad_alloc&) {
        return TWicOutcome::NoMemory;
    }
    // A band is at most 16 MB or one row, which within the budget is at most 400 MB: its size fits
    // the call's 32 bits.
    const UINT stride = width * 4;
    for (uint32_t top = 0; top < height; top += bandRows) {
        const uint32_t rows = std::min(bandRows, height - top);
        const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        if (FAILED(converted->CopyPixels(&rect, stride, stride * rows, reinterpret_cast<BYTE*>(band.data()))))
            return TWicOutcome::Failed;
        for (uint32_t row = 0; row < rows; ++row)
            PlaceRowUpright(band.data() + static_cast<size_t>(row) * width, top + row, width, height, orientation,
                            upright.data());
    }
    return TWicOutcome::Decoded;
}

TWicOutcome DecodeFirstFrame(IWICImagingFactory* factory, const std::wstring& path, TWicPicture& picture) {
    TComInterface<IWICBitmapDecoder> decoder;
    const HRESULT opened = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                              WICDecodeMetadataCacheOnDemand, decoder.Out());
    if (opened == WINCODEC_ERR_COMPONENTNOTFOUND) return TWicOutcome::NoCodec;
    if (FAILED(opened)) return TWicOutcome::Failed;
    TComInterface<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height)) || width == 0 ||
        height == 0)
        return TWicOutcome::Failed;
    const uint32_t orientation = FrameOrientation(frame.get());
    const bool exchanged = ExchangesSides(orientation);
    picture.Width = exchanged ? height : width;
    picture.Height = exchanged ? width : height;
    if (!FitsPictureBudget(width, height)) return TWicOutcome::TooLarge;
    return CopyUprightPixels(frame.get(), width, height, orientation, picture.Pixels);
}

// ".bmp,.dib" as "*.bmp;*.dib".
std::string PatternsOf(const std::wstring& extensions) {
    std::string patterns;
    size_t start = 0;
    while (start < extensions.size()) {
        size_t end = extensions.find(L',', start);
        if (end == std::wstring::npos) end = extensions.size();
        const std::string extension = WideToUtf8(extensions.substr(start, end - start));
        if (!extension.empty()) patterns += (patterns.empty() ? "*" : ";*") + extension;
        start = end + 1;
    }
    return patterns;
}

std::string DecoderPatterns(IUnknown* component) {
    TComInterface<IWICBitmapDecoderInfo> info;
    if (FAILED(component->QueryInterface(IID_IWICBitmapDecoderInfo, info.Receive()))) return std::string();
    UINT length = 0;
    if (FAILED(info->GetFileExtensions(0, nullptr, &length)) || length == 0) return std::string();
    std::wstring extensions(length, L'\0');
    if (FAILED(info->GetFileExtensions(length, &extensions[0], &length))) return std::string();
    extensions.resize(wcsnlen(extensions.c_str(), extensions.size()));
    return PatternsOf(extensions);
}

}  // namespace

TWicPicture DecodeWithWic(const std::wstring& path) {
    TWicPicture picture;
    const TComApartment apartment;
    TComInterface<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) {
        picture.Outcome = TWicOutcome::NoCodec;
        return picture;
    }
    picture.Outcome = DecodeFirstFrame(factory.get(), path, picture);
    if (picture.Outcome != TWicOutcome::Decoded) picture.Pixels.clear();
    return picture;
}

std::string WicDecoderPatterns() {
    const TComApartment apartment;
    TComInterface<IWICImagingFactory> factory;
    TComInterface<IEnumUnknown> decoders;
    if (!CreateFactory(factory) ||
        FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, decoders.Out())))
        return std::string();
    std::string patterns;
    for (;;) {
        TComInterface<IUnknown> component;
        ULONG fetched = 0;
        if (decoders->Next(1, component.Out(), &fetched) != S_OK || fetched != 1) break;
        const std::string more = DecoderPatterns(component.get());
        if (!more.empty()) patterns += (patterns.empty() ? "" : ";") + more;
    }
    if (!patterns.empty()) CharLowerBuffA(&patterns[0], static_cast<DWORD>(patterns.size()));
    return patterns;
}
