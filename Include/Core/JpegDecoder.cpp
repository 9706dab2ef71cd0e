#include "Include/Core/JpegDecoder.h"

#include "Include/Core/PictureOrientation.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// The library's error exit never returns; longjmp takes it back to the decode, whose frame and
// the library's own between hold nothing with a destructor.
struct TErrorJump {
    jpeg_error_mgr Manager;  // first, so that the library's pointer to it points to this
    std::jmp_buf Jump;
    int Code = 0;
};

[[noreturn]] void JumpOutWith(j_common_ptr info, int code) {
    auto* error = reinterpret_cast<TErrorJump*>(info->err);
    error->Code = code;
    std::longjmp(error->Jump, 1);
}

[[noreturn]] void JumpOut(j_common_ptr info) { JumpOutWith(info, info->err->msg_code); }

// Warnings that mean the picture's data is broken: showing the gray the library fills in would
// pass a damaged picture off as a whole one.
bool IsDamageWarning(int code) {
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

void EmitMessage(j_common_ptr info, int level) {
    if (level < 0 && IsDamageWarning(info->err->msg_code)) JumpOut(info);
}

void OutputNothing(j_common_ptr) {}

// The stream comes through the reader in blocks, so that memory does not grow with the file.
struct TSource {
    jpeg_source_mgr Manager;  // first, as above
    const TReadAt* Read = nullptr;
    uint64_t Offset = 0;
    uint8_t Buffer[64 * 1024];
};

const JOCTET EndOfImage[] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info) {
    auto* source = reinterpret_cast<TSource*>(info->src);
    size_t got = 0;
    try {
        got = (*source->Read)(source->Offset, source->Buffer, sizeof source->Buffer);
    } catch (...) {
        got = 0;  // an exception must not unwind through the library
    }
    if (got == 0 || got > sizeof source->Buffer) {
        WARNMS(info, JWRN_JPEG_EOF);  // a damage warning: ends the decode here
        source->Manager.next_input_byte = EndOfImage;
        source->Manager.bytes_in_buffer = sizeof EndOfImage;
        return TRUE;
    }
    source->Offset += got;
    source->Manager.next_input_byte = source->Buffer;
    source->Manager.bytes_in_buffer = got;
    return TRUE;
}

// Skipped bytes past the buffer are never read.
void SkipInput(j_decompress_ptr info, long count) {
    auto* source = reinterpret_cast<TSource*>(info->src);
    if (count <= 0) return;
    const size_t skip = static_cast<size_t>(count);
    if (skip <= source->Manager.bytes_in_buffer) {
        source->Manager.next_input_byte += skip;
        source->Manager.bytes_in_buffer -= skip;
        return;
    }
    source->Offset += skip - source->Manager.bytes_in_buffer;
    source->Manager.bytes_in_buffer = 0;
    source->Manager.next_input_byte = source->Buffer;
}

// A progressive stream may repeat a scan any number of times without a warning, and every scan
// visits every block of its components whatever the output scale: a file of a few hundred
// kilobytes could keep the decoder busy for minutes. Real encoders write a few dozen scans that
// together visit the picture's blocks a few times; far more of either is refused as damage.
const int MaxScans = 500;
const uint64_t MaxBlockPasses = 50;

struct TProgress {
    jpeg_progress_mgr Manager;  // first, as above
    uint64_t BlocksVisited = 0;
    uint64_t MaxBlocksVisited = 0;
    int Scan = 0;
    JDIMENSION Row = 0;
};

// The blocks one row of the current scan's MCUs visits.
uint64_t BlocksInScanRow(const jpeg_decompress_struct& info) {
    uint64_t blocks = 0;
    for (int i = 0; i < info.comps_in_scan; ++i)
        blocks += static_cast<uint64_t>(info.cur_comp_info[i]->width_in_blocks) *
                  static_cast<uint64_t>(info.cur_comp_info[i]->v_samp_factor);
    return blocks;
}

// Called before each row of blocks the input takes in.
void CheckProgress(j_common_ptr common) {
    const auto& info = *reinterpret_cast<j_decompress_ptr>(common);
    auto* progress = reinterpret_cast<TProgress*>(info.progress);
    if (info.input_scan_number > MaxScans) JumpOutWith(common, 0);
    if (info.input_scan_number == progress->Scan && info.input_iMCU_row == progress->Row) return;
    progress->Scan = info.input_scan_number;
    progress->Row = info.input_iMCU_row;
    progress->BlocksVisited += BlocksInScanRow(info);
    if (progress->BlocksVisited > progress->MaxBlocksVisited) JumpOutWith(common, 0);
}

// The frame's blocks are known once the header is read.
void AttachProgress(j_decompress_ptr info, TProgress& progress) {
    uint64_t blocks = 0;
    for (int i = 0; i < info->num_components; ++i)
        blocks += static_cast<uint64_t>(info->comp_info[i].width_in_blocks) * info->comp_info[i].height_in_blocks;
    progress.MaxBlocksVisited = MaxBlockPasses * blocks;
    progress.Manager.progress_monitor = CheckProgress;
    info->progress = &progress.Manager;
}

struct TDecodeState {
    jpeg_decompress_struct Info;
    TErrorJump Error;
    TSource Source;
    TProgress Progress;
    const TJpegRequest* Request = nullptr;
    TDecodedJpeg* Result = nullptr;
    std::vector<uint8_t> CmykRow;
    std::vector<uint32_t> Row;  // a decoded row on its way to its upright place
};

void AttachSource(TDecodeState& state, const TReadAt& read) {
    jpeg_source_mgr& manager = state.Source.Manager;
    manager.init_source = InitSource;
    manager.fill_input_buffer = FillInput;
    manager.skip_input_data = SkipInput;
    manager.resync_to_restart = jpeg_resync_to_restart;
    manager.term_source = TermSource;
    manager.next_input_byte = nullptr;
    manager.bytes_in_buffer = 0;
    state.Source.Read = &read;
    state.Info.src = &manager;
}

bool IsCmyk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

// Sets the scale and the colour output; false when the picture is beyond the budget.
bool ChooseOutput(TDecodeState& state) {
    jpeg_decompress_struct& info = state.Info;
    TDecodedJpeg& result = *state.Result;
    const TJpegRequest& request = *state.Request;
    const bool exchanged = ExchangesSides(request.Orientation);
    result.ImageWidth = exchanged ? info.image_height : info.image_width;
    result.ImageHeight = exchanged ? info.image_width : info.image_height;
    if (!FitsJpegBudget(info.image_width, info.image_height)) return false;
    const TPictureSize upright =
        NeededPictureSize(static_cast<int32_t>(result.ImageWidth), static_cast<int32_t>(result.ImageHeight),
                          request.Areas.data(), static_cast<int>(request.Areas.size()));
    const TPictureSize needed = exchanged ? TPictureSize{upright.Height, upright.Width} : upright;
    result.Denominator = ChooseJpegScale(info.image_width, info.image_height, needed, request.MaxPixels);
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned int>(result.Denominator);
    // The library turns YCCK into CMYK; the inks become light below.
    info.out_color_space = IsCmyk(info.jpeg_color_space) ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(&info);
    return static_cast<uint64_t>(info.output_width) * info.output_height <= request.MaxPixels;
}

bool AllocatePixels(TDecodeState& state) {
    const size_t width = state.Info.output_width, height = state.Info.output_height;
    const uint32_t orientation = state.Request->Orientation;
    try {
        state.Result->Pixels.resize(width * height);
        if (state.Info.out_color_space == JCS_CMYK) state.CmykRow.resize(width * 4);
        if (orientation >= 2 && orientation <= 8) state.Row.resize(width);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const TPictureSize upright =
        UprightSize(static_cast<int32_t>(width), static_cast<int32_t>(height), orientation);
    state.Result->Width = upright.Width;
    state.Result->Height = upright.Height;
    return true;
}

// Rows of a picture stored upright go straight into the pixels; any other goes through Row.
void ReadRows(TDecodeState& state) {
    jpeg_decompress_struct& info = state.Info;
    const bool cmyk = info.out_color_space == JCS_CMYK, turned = !state.Row.empty();
    uint32_t* const pixels = state.Result->Pixels.data();
    while (info.output_scanline < info.output_height) {
        const JDIMENSION y = info.output_scanline;
        uint32_t* target = turned ? state.Row.data() : pixels + static_cast<size_t>(y) * info.output_width;
        JSAMPROW row = cmyk ? state.CmykRow.data() : reinterpret_cast<JSAMPROW>(target);
        if (jpeg_read_scanlines(&info, &row, 1) != 1) continue;
        if (cmyk) CmykToBgrx(state.CmykRow.data(), target, info.output_width, info.saw_Adobe_marker != 0);
        if (turned)
            PlaceRowUpright(target, y, info.output_width, info.output_height, state.Request->Orientation, pixels);
    }
}

// Holds nothing with a destructor: the library's errors jump back into it.
TJpegOutcome RunDecode(TDecodeState& state) {
    if (setjmp(state.Error.Jump)) {
        const int code = state.Error.Code;
        return code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? TJpegOutcome::TooLarge
                                                                           : TJpegOutcome::Damaged;
    }
    jpeg_read_header(&state.Info, TRUE);
    if (!ChooseOutput(state)) return TJpegOutcome::TooLarge;
    AttachProgress(&state.Info, state.Progress);
    jpeg_start_decompress(&state.Info);
    if (!AllocatePixels(state)) return TJpegOutcome::NoMemory;
    ReadRows(state);
    jpeg_finish_decompress(&state.Info);
    return TJpegOutcome::Decoded;
}

}  // namespace

TDecodedJpeg DecodeJpeg(const TReadAt& read, const TJpegRequest& request) {
    TDecodedJpeg result;
    std::unique_ptr<TDecodeState> state;
    try {
        state = std::make_unique<TDecodeState>();
    } catch (const std::bad_alloc&) {
        result.Outcome = TJpegOutcome::NoMemory;
        return result;
    }
    state->Request = &request;
    state->Result = &result;
    state->Info.err = jpeg_std_error(&state->Error.Manager);
    state->Error.Manager.error_exit = JumpOut;
    state->Error.Manager.emit_message = EmitMessage;
    state->Error.Manager.output_message = OutputNothing;
    if (setjmp(state->Error.Jump)) {  // creating failed: nothing to destroy
        result.Outcome = TJpegOutcome::NoMemory;
        return result;
    }
    jpeg_create_decompress(&state->Info);
    // A long has 32 bits on Windows.
    const uint64_t workingMemory = std::min<uint64_t>(request.MaxWorkingMemory, LONG_MAX);
    state->Info.mem->max_memory_to_use = static_cast<long>(workingMemory);
    AttachSource(*state, read);
    result.Outcome = RunDecode(*state);
    jpeg_destroy_decompress(&state->Info);
    if (result.Outcome != TJpegOutcome::Decoded) {
        result.Pixels = std::vector<uint32_t>();
        result.Width = result.Height = 0;
    }
    return result;
}

void CmykToBgrx(const uint8_t* cmyk, uint32_t* bgrx, size_t count, bool adobeInverted) {
    for (size_t i = 0; i < count; ++i, cmyk += 4) {
        const uint32_t flip = adobeInverted ? 0 : 255;
        const uint32_t c = cmyk[0] ^ flip, m = cmyk[1] ^ flip, y = cmyk[2] ^ flip, k = cmyk[3] ^ flip;
        // Here each value is the light left, 255 for no ink.
        const uint32_t red = c * k / 255, green = m * k / 255, blue = y * k / 255;
        bgrx[i] = 0xFF000000u | (red << 16) | (green << 8) | blue;
    }
}
