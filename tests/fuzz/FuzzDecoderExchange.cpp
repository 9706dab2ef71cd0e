// Replies and requests as a taken-over decoder process (or a damaged block) may leave them: reading
// one must never crash or read outside the bytes, and what is accepted is written back the same.
#include "Include/Core/DecoderExchange.h"
#include "Include/Core/PictureHeader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> again(DecoderBlockBytes);
    TDecoderReply reply;
    if (ReadDecoderReply(data, size, reply)) {
        if (reply.Decoded && !FitsPictureBudget(static_cast<uint64_t>(reply.Width), static_cast<uint64_t>(reply.Height)))
            __builtin_trap();
        const size_t written = WriteDecoderReply(reply, again.data(), again.size());
        if (written == 0 || written > size || std::memcmp(again.data(), data, written) != 0) __builtin_trap();
    }
    TDecoderRequest request;
    if (ReadDecoderRequest(data, size, request)) {
        if (request.Areas.size() > MaxDecoderAreas || request.Path.size() > MaxDecoderPathBytes) __builtin_trap();
        const size_t written = WriteDecoderRequest(request, again.data(), again.size());
        if (written == 0 || written > size || std::memcmp(again.data(), data, written) != 0) __builtin_trap();
    }
    return 0;
}
