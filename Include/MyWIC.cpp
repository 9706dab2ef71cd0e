#include "Include/MyWIC.h"

#include "Include/Core/PictureHeader.h"
#include "Include/Owned.h"
#include "Include/WideText.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

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

// The frame's pixels as 32-bit BGRA; the frame's size has been checked by then.
TWicOutcome CopyBgraPixels(IWICBitmapFrameDecode* frame, TWicPicture& picture) {
    TComInterface<IWICBitmapSource> converted;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, converted.Out())))
        return TWicOutcome::Failed;
    try {
        picture.Pixels.resize(static_cast<size_t>(picture.Width) * picture.Height);
    } catch (const std::bad_alloc&) {
        return TWicOutcome::NoMemory;
    }
    // Within the budget the buffer is at most 400 MB, so its size fits the call's 32 bits.
    const UINT stride = picture.Width * 4;
    if (FAILED(converted->CopyPixels(nullptr, stride, stride * picture.Height,
                                     reinterpret_cast<BYTE*>(picture.Pixels.data())))) {
        picture.Pixels.clear();
        return TWicOutcome::Failed;
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
    picture.Width = width;
    picture.Height = height;
    if (!FitsPictureBudget(width, height)) return TWicOutcome::TooLarge;
    return CopyBgraPixels(frame.get(), picture);
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
