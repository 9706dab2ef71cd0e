// The arithmetic of the process-wide random generator: two rings of pointer bytes, a 32-bit
// mixing state, and the step that combines them with the clock and the C library's rand().
// Nothing here calls the system; the caller hands in the clock and rand() values, so the
// arithmetic can be checked against fixed inputs.
#pragma once

#include <cstdint>
#include <functional>

struct TRandomPool {
    uint8_t WriteIndex = 0;  // next pool position that AddPoint overwrites
    uint8_t ReadIndex = 0;   // next pool position that a draw reads
    uint8_t PoolX[256] = {};  // low bytes of x coordinates
    uint8_t PoolY[256] = {};  // low bytes of y coordinates
    uint32_t Mixer = 0;

    // b0 b1 b2 b3 becomes b3 b2 b1 b0.
    static uint32_t ReverseBytes(uint32_t value);

    // Keeps the low byte of each coordinate, overwriting the oldest pair of the ring.
    void AddPoint(int32_t x, int32_t y);

    // Seeds rand() with the time, takes the mixer from it, and fills both pools with the pointer
    // position disturbed by rand(), x before y for each position. The indexes stay as they are.
    void Seed(uint32_t timeSeed, int32_t pointerX, int32_t pointerY,
              const std::function<void(uint32_t)>& seedRand, const std::function<int32_t()>& nextRand);

    // One value of the generator from the millisecond clock and one rand() value; advances the
    // mixer and the read position.
    int32_t Draw(uint32_t tickCount, int32_t randValue);
};
