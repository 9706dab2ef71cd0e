#include "Include/Core/WebpDecoder.h"

#include <cstring>
#include <memory>

#include <webp/decode.h>
#include <webp/demux.h>

namespace {

struct TDeleteDemuxer {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};
struct TReleaseIterator {
    void operator()(WebPIterator* iterator) const { WebPDemuxReleaseIterator(iterator); }
};

// Where a frame lands in the decoded picture: its place on the canvas, scaled as the canvas is.
struct TFramePlace {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

int32_t ScaleEdge(int32_t edge, int32_t scaledSide, uint32_t side) {
    return static_cast<int32_t>(static_cast<int64_t>(edge) * scaledSide / static_cast<int64_t>(side));
}

TFramePlace PlaceFrame(const WebPIterator& frame, uint32_t canvasWidth, uint32_t canvasHeight, TPictureSize decoded) {
    TFramePlace place;
    place.Left = ScaleEdge(frame.x_offset, decoded.Width, canvasWidth);
    place.Top = ScaleEdge(frame.y_offset, decoded.Height, canvasHeight);
    place.Width = ScaleEdge(frame.x_offset + frame.width, decoded.Width, canvasWidth) - place.Left;
    place.Height = ScaleEdge(frame.y_offset + frame.height, decoded.Height, canvasHeight) - place.Top;
    // The demuxer keeps frames inside the canvas; this keeps the writes inside the pixels regardless.
    if (place.Left + place.Width > decoded.Width) place.Width = decoded.Width - place.Left;
    if (place.Top + place.Height > decoded.Height) place.Height = decoded.Height - place.Top;
    return place;
}

TDecodeOutcome OutcomeOf(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OK:
        return TDecodeOutcome::Decoded;
    case VP8_STATUS_OUT_OF_MEMORY:
        return TDecodeOutcome::NoMemory;
    default:
        return TDecodeOutcome::Damaged;
    }
}

// Decodes the frame straight into its place in the picture's pixels, scaled to that place.
// Premultiplied alpha over the black the pixels start as is the picture on black.
TDecodeOutcome DecodeFrameInto(const WebPIterator& frame, const TFramePlace& place, TDecodedPicture& picture) {
    if (place.Width <= 0 || place.Height <= 0) return TDecodeOutcome::Decoded;  // too small to show
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return TDecodeOutcome::Damaged;
    if (place.Width != frame.width || place.Height != frame.height) {
        config.options.use_scaling = 1;
        config.options.scaled_width = place.Width;
        config.options.scaled_height = place.Height;
    }
    const size_t stride = static_cast<size_t>(picture.Width) * 4;
    const size_t first = static_cast<size_t>(place.Top) * static_cast<size_t>(picture.Width) + static_cast<size_t>(place.Left);
    config.output.colorspace = MODE_bgrA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = reinterpret_cast<uint8_t*>(picture.Pixels.data() + first);
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = stride * static_cast<size_t>(place.Height - 1) + static_cast<size_t>(place.Width) * 4;
    const VP8StatusCode status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config);
    WebPFreeDecBuffer(&config.output);
    return OutcomeOf(status);
}

// The pixels are BGRX: what alpha a frame wrote is replaced by opaque.
void MakeOpaque(std::vector<uint32_t>& pixels) {
    for (uint32_t& pixel : pixels) pixel |= 0xFF000000u;
}

}  // namespace

bool IsWebpSignature(const uint8_t* bytes, size_t size) {
    return size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WEBP", 4) == 0;
}

TDecodedPicture DecodeWebp(const uint8_t* data, size_t size, const TDecodeRequest& request) {
    TDecodedPicture picture;
    if (!IsWebpSignature(data, size)) return picture;
    const WebPData whole = {data, size};
    std::unique_ptr<WebPDemuxer, TDeleteDemuxer> demuxer(WebPDemux(&whole));
    if (!demuxer) return picture;
    const uint32_t canvasWidth = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH);
    const uint32_t canvasHeight = WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT);
    picture.ImageWidth = canvasWidth;
    picture.ImageHeight = canvasHeight;
    WebPIterator frame;
    std::memset(&frame, 0, sizeof frame);
    if (canvasWidth == 0 || canvasHeight == 0) return picture;
    // Scaling while decoding saves memory, not work: a picture beyond the budget would still cost
    // the decode of every one of its pixels.
    if (!FitsPictureBudget(canvasWidth, canvasHeight)) {
        picture.Outcome = TDecodeOutcome::TooLarge;
        return picture;
    }
    if (!WebPDemuxGetFrame(demuxer.get(), 1, &frame)) return picture;
    std::unique_ptr<WebPIterator, TReleaseIterator> release(&frame);
    const TPictureSize decoded = ChooseDecodedSize(canvasWidth, canvasHeight, request);
    if (!AllocateBlackPixels(picture, decoded.Width, decoded.Height)) {
        picture.Outcome = TDecodeOutcome::NoMemory;
        return picture;
    }
    picture.Outcome = DecodeFrameInto(frame, PlaceFrame(frame, canvasWidth, canvasHeight, decoded), picture);
    if (picture.Outcome != TDecodeOutcome::Decoded) {
        picture.Pixels = std::vector<uint32_t>();
        picture.Width = picture.Height = 0;
        return picture;
    }
    MakeOpaque(picture.Pixels);
    return picture;
}
