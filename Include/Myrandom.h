// The process-wide random generator: the C library's rand() mixed with the player's pointer
// path and the millisecond clock. It decides every shuffle and flip of the puzzle.
#pragma once

#include "Include/Core/RandomPool.h"

#include <cstdint>

struct TRandomGenerator : TRandomPool {
    // Seeds from the calendar time, the pointer's screen position and rand(); see SeedRandom.
    void SeedFromSystem();
    // The next value, from the clock and rand(); callers treat it as signed.
    int32_t GetRandom();
};

// Static storage, zero until seeded; used from the user-interface thread only.
extern TRandomGenerator Random;

// Seeds Random once for the life of the process; later calls do nothing. The entry point calls
// it before any window exists: relying on a static initialiser would be fragile, since the
// linker may drop this module from the static library when nothing else refers to it.
void SeedRandom();
