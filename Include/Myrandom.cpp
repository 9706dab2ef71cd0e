#include "Include/Myrandom.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

TRandomGenerator Random;

namespace {

bool randomSeeded = false;

// The pointer's position on the screen; the top-left corner when the system cannot tell (no
// interactive desktop), which only weakens the seed.
POINT PointerScreenPosition() {
    POINT position{0, 0};
    if (!GetCursorPos(&position)) position = POINT{0, 0};
    return position;
}

}  // namespace

void TRandomGenerator::SeedFromSystem() {
    const POINT pointer = PointerScreenPosition();
    Seed(static_cast<uint32_t>(std::time(nullptr)), pointer.x, pointer.y,
         [](uint32_t seed) { std::srand(seed); },
         [] { return static_cast<int32_t>(std::rand()); });
}

int32_t TRandomGenerator::GetRandom() {
    const uint32_t tickCount = GetTickCount();
    const int32_t randValue = std::rand();
    return Draw(tickCount, randValue);
}

void SeedRandom() {
    if (randomSeeded) return;
    randomSeeded = true;
    Random.SeedFromSystem();
}
