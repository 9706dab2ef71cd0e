// The messages between the game and its picture decoder process. A request (a file and the areas
// it will be painted into) and a reply (the picture's sizes and where its pixels are, or why it
// was refused) are written into one block of shared memory. The game reads every reply as
// untrusted input: the decoder may have been taken over by the picture it decoded.
#pragma once

#include "Include/Core/PictureFit.h"
#include "Include/Core/PictureRefusal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The shared block holds one message at a time, and at its end the decoder's progress.
constexpr size_t DecoderBlockBytes = 256 * 1024;
constexpr size_t DecoderProgressBytes = 64;
constexpr size_t DecoderMessageBytes = DecoderBlockBytes - DecoderProgressBytes;

// Which request the decoder has taken, and how far into its file it has read: the game tells a
// slow read that goes on from work that never ends by it. Written by the decoder alone, read by
// the game as the untrusted figures they are (each value a single aligned store).
struct TDecoderProgress {
    volatile uint32_t Sequence;
    uint32_t Unused;
    volatile uint64_t Furthest;  // the furthest byte of the file read so far
};
inline TDecoderProgress& DecoderProgressIn(uint8_t* block) {
    return *reinterpret_cast<TDecoderProgress*>(block + DecoderMessageBytes);
}
// A path of 32,767 UTF-16 units is at most three times as many UTF-8 bytes.
constexpr size_t MaxDecoderPathBytes = 32767 * 3;
constexpr size_t MaxDecoderAreas = 16;

// A picture to decode; or, with a pixel section, the request to put the pixels of the picture
// just decoded into that memory, which the game made and lends the decoder (the handle's value in
// the decoder's process).
struct TDecoderRequest {
    uint32_t Sequence = 0;
    std::string Path;  // UTF-8
    std::vector<TPictureSize> Areas;
    uint64_t PixelSection = 0;
};

// Why a picture was refused: the reason and its numbers, which the game words itself, and the
// system's error where opening the file failed.
struct TDecoderRefusal {
    TPictureRefusal Picture;
    int32_t SystemErrorCode = 0;
};

struct TDecoderReply {
    uint32_t Sequence = 0;
    bool Decoded = false;
    // Decoded: the picture's own size, upright, and the size of the pixels sent.
    uint32_t ImageWidth = 0;
    uint32_t ImageHeight = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    // Whether the pixels' fourth byte is their opacity (otherwise they are opaque). The pixels
    // themselves (0xAARRGGBB, Width per row, top row first) go into the section the game lends.
    bool Alpha = false;
    // Which file was read: volume, index, size and time last written.
    uint64_t FileVolume = 0, FileIndex = 0, FileSize = 0, FileWritten = 0;
    // Refused: why.
    TDecoderRefusal Refusal;
};

// The bytes of the pixels a decoded reply announces.
uint64_t DecoderPixelBytes(const TDecoderReply& reply);

// Each writer gives the bytes written, 0 when the message does not fit the block or breaks a
// limit above. Each reader gives false for a block that is not such a message, holds more than
// the limits allow or describes pixels outside the picture budget; what it read is then unusable.
size_t WriteDecoderRequest(const TDecoderRequest& request, uint8_t* block, size_t size);
bool ReadDecoderRequest(const uint8_t* block, size_t size, TDecoderRequest& request);
size_t WriteDecoderReply(const TDecoderReply& reply, uint8_t* block, size_t size);
bool ReadDecoderReply(const uint8_t* block, size_t size, TDecoderReply& reply);
