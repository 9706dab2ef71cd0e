// The process-wide generator with the real clock, rand() and pointer position.
#include "Include/Myrandom.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

class MyrandomTest : public ::testing::Test {
protected:
    void SetUp() override { SeedRandom(); }
};

TEST_F(MyrandomTest, SeedingHappensOnceAndFillsThePools) {
    const TRandomGenerator seeded = Random;
    SeedRandom();
    EXPECT_EQ(seeded.Mixer, Random.Mixer);
    EXPECT_EQ(0, std::memcmp(seeded.PoolX, Random.PoolX, sizeof Random.PoolX));
    EXPECT_EQ(0, std::memcmp(seeded.PoolY, Random.PoolY, sizeof Random.PoolY));

    std::set<uint8_t> bytes(Random.PoolX, Random.PoolX + 256);
    bytes.insert(Random.PoolY, Random.PoolY + 256);
    EXPECT_GT(bytes.size(), 100u);  // rand() disturbed every position
}

TEST_F(MyrandomTest, ChangesFromCallToCallWithoutPointerMovement) {
    const uint8_t startIndex = Random.ReadIndex;
    std::set<int32_t> seen;
    int32_t previous = Random.GetRandom();
    seen.insert(previous);
    for (int call = 1; call < 1000; ++call) {
        const int32_t value = Random.GetRandom();
        EXPECT_NE(previous, value) << "call " << call;
        seen.insert(value);
        previous = value;
    }
    EXPECT_GT(seen.size(), 990u);
    EXPECT_EQ(static_cast<uint8_t>(startIndex + 2000), Random.ReadIndex);
}

TEST_F(MyrandomTest, GetRandomDrawsWithTheClockAndRand) {
    const TRandomGenerator before = Random;
    std::srand(12345);
    const DWORD tickBefore = GetTickCount();
    const int32_t value = Random.GetRandom();
    const DWORD tickAfter = GetTickCount();
    std::srand(12345);
    const int32_t randValue = std::rand();

    bool matched = false;
    for (DWORD tick = tickBefore; !matched; ++tick) {
        TRandomPool expected = before;
        matched = expected.Draw(tick, randValue) == value && expected.Mixer == Random.Mixer;
        if (tick == tickAfter) break;
    }
    EXPECT_TRUE(matched);
}

TEST_F(MyrandomTest, PointerBytesReachTheUpperHalf) {
    Random.ReadIndex = Random.WriteIndex;
    Random.AddPoint(0x1AB, -0x133);  // low bytes AB and CD
    const uint32_t value = static_cast<uint32_t>(Random.GetRandom());
    EXPECT_EQ(0xABCDu, (value >> 16) & 0xABCDu);
}

TEST_F(MyrandomTest, ShuffleDrawsReachEveryColumnAndBothParities) {
    bool column[30] = {};
    int32_t even = 0;
    const int32_t draws = 3000;
    for (int32_t i = 0; i < draws; ++i) {
        const int32_t value = Random.GetRandom();
        column[std::abs(value % 30)] = true;
        if ((static_cast<uint32_t>(value) & 1u) == 0) ++even;
        Random.AddPoint(i * 3, i * 5);  // as a moving pointer would
    }
    for (int32_t c = 0; c < 30; ++c) EXPECT_TRUE(column[c]) << "column " << c;
    EXPECT_GT(even, draws / 3);
    EXPECT_LT(even, draws - draws / 3);
}

}  // namespace
