#include "Include/Core/RandomPool.h"

namespace {

uint32_t RotateRightByOne(uint32_t value) {
    return (value >> 1) | (value << 31);
}

uint8_t LowByte(int32_t value) {
    return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu);
}

}  // namespace

uint32_t TRandomPool::ReverseBytes(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

void TRandomPool::AddPoint(int32_t x, int32_t y) {
    PoolX[WriteIndex] = LowByte(x);
    PoolY[WriteIndex] = LowByte(y);
    WriteIndex = static_cast<uint8_t>(WriteIndex + 1u);
}

void TRandomPool::Seed(uint32_t timeSeed, int32_t pointerX, int32_t pointerY,
                       const std::function<void(uint32_t)>& seedRand, const std::function<int32_t()>& nextRand) {
    seedRand(timeSeed);
    Mixer = static_cast<uint32_t>(nextRand());
    for (int i = 0; i < 256; ++i) {
        // Unsigned sums: a pointer left of or above the primary screen has negative coordinates.
        PoolX[i] = static_cast<uint8_t>((static_cast<uint32_t>(pointerX) + static_cast<uint32_t>(nextRand())) & 0xFFu);
        PoolY[i] = static_cast<uint8_t>((static_cast<uint32_t>(pointerY) + static_cast<uint32_t>(nextRand())) & 0xFFu);
    }
}

int32_t TRandomPool::Draw(uint32_t tickCount, int32_t randValue) {
    Mixer = RotateRightByOne(ReverseBytes(Mixer) + tickCount);

    const uint8_t i0 = ReadIndex;
    const uint8_t i1 = static_cast<uint8_t>(i0 + 1u);
    ReadIndex = static_cast<uint8_t>(i0 + 2u);

    const uint32_t a = PoolX[i0];
    const uint32_t b = PoolY[i0];
    const uint32_t c = PoolX[PoolY[i1]];
    const uint32_t d = PoolY[PoolX[i1]];

    const uint32_t sum = static_cast<uint32_t>(randValue) + (c * 256u + d) + Mixer;
    const uint32_t result = ((a * 256u + b) << 16) | sum;
    return static_cast<int32_t>(result);
}
