// The random generator's arithmetic against fixed clocks, rand() values and pools.
#include "Include/Core/RandomPool.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

// Hands out a fixed list of rand() values and fails on any value drawn beyond it.
class TFixedRand {
public:
    explicit TFixedRand(std::vector<int32_t> values) : values_(std::move(values)) {}
    int32_t Next() {
        if (next_ >= values_.size()) {
            ADD_FAILURE() << "more rand() values drawn than expected";
            return 0;
        }
        return values_[next_++];
    }
    size_t Drawn() const { return next_; }
private:
    std::vector<int32_t> values_;
    size_t next_ = 0;
};

TEST(RandomPoolTest, ReverseBytesReversesTheFourBytes) {
    EXPECT_EQ(0x78563412u, TRandomPool::ReverseBytes(0x12345678u));
    EXPECT_EQ(0x000000FFu, TRandomPool::ReverseBytes(0xFF000000u));
    EXPECT_EQ(0x80000001u, TRandomPool::ReverseBytes(0x01000080u));
    EXPECT_EQ(0xDEADBEEFu, TRandomPool::ReverseBytes(TRandomPool::ReverseBytes(0xDEADBEEFu)));
}

TEST(RandomPoolTest, AddPointKeepsLowBytesAndOverwritesTheOldestFirst) {
    TRandomPool pool;
    pool.AddPoint(0x1234, -1);
    EXPECT_EQ(0x34, pool.PoolX[0]);
    EXPECT_EQ(0xFF, pool.PoolY[0]);
    EXPECT_EQ(1, pool.WriteIndex);

    for (int32_t i = 1; i < 256; ++i) pool.AddPoint(i, 1000 + i);
    EXPECT_EQ(0, pool.WriteIndex);  // wrapped from 255

    pool.AddPoint(-300, 77);  // -300 is ...FED4 in two's complement
    EXPECT_EQ(0xD4, pool.PoolX[0]);
    EXPECT_EQ(77, pool.PoolY[0]);
    EXPECT_EQ(1, pool.PoolX[1]);  // the next oldest is still there
    EXPECT_EQ((1000 + 1) & 0xFF, pool.PoolY[1]);
    EXPECT_EQ(1, pool.WriteIndex);
    EXPECT_EQ(0, pool.ReadIndex);  // writes never move the reads
}

TEST(RandomPoolTest, SeedTakesMixerThenPoolsXBeforeYFromRand) {
    std::vector<int32_t> values{0x7FFFFFFF};
    for (int32_t i = 0; i < 256; ++i) {
        values.push_back(i);            // x
        values.push_back(1000 * i);     // y
    }
    TFixedRand rand(values);
    uint32_t seededWith = 0;
    TRandomPool pool;
    pool.Seed(1700000000u, -2, 300, [&](uint32_t seed) { seededWith = seed; }, [&] { return rand.Next(); });

    EXPECT_EQ(1700000000u, seededWith);
    EXPECT_EQ(0x7FFFFFFFu, pool.Mixer);
    EXPECT_EQ(values.size(), rand.Drawn());
    for (int32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(static_cast<uint8_t>(i - 2), pool.PoolX[i]) << i;
        EXPECT_EQ(static_cast<uint8_t>(300 + 1000 * i), pool.PoolY[i]) << i;
    }
    EXPECT_EQ(0, pool.WriteIndex);
    EXPECT_EQ(0, pool.ReadIndex);
}

TEST(RandomPoolTest, DrawCombinesMixerClockRandAndPools) {
    TRandomPool pool;
    pool.Mixer = 0x12345678u;
    pool.PoolX[0] = 0xAB;  // A
    pool.PoolY[0] = 0xCD;  // B
    pool.PoolX[1] = 5;
    pool.PoolY[1] = 7;
    pool.PoolX[7] = 0x11;  // C = PoolX[PoolY[1]]
    pool.PoolY[5] = 0x22;  // D = PoolY[PoolX[1]]

    const int32_t value = pool.Draw(1000, 12345);

    // Mixer: rotate right by one of 0x78563412 + 1000.
    EXPECT_EQ(0x3C2B1BFDu, pool.Mixer);
    // Low half: 12345 + 0x1122 + Mixer; high half: 0xABCD or-ed with the sum's high half.
    EXPECT_EQ(static_cast<int32_t>(0xBFEF5D58u), value);
    EXPECT_EQ(2, pool.ReadIndex);
}

TEST(RandomPoolTest, DrawWrapsEveryAdditionWithoutOverflow) {
    TRandomPool pool;
    for (int i = 0; i < 256; ++i) pool.PoolX[i] = pool.PoolY[i] = 0xFF;
    pool.Mixer = 0xFFFFFFFFu;
    const int32_t value = pool.Draw(0xFFFFFFFFu, 0x7FFFFFFF);
    EXPECT_EQ(0x7FFFFFFFu, pool.Mixer);
    EXPECT_EQ(-3, value);
}

TEST(RandomPoolTest, ReadIndexWalksTwoPerDrawAndWraps) {
    TRandomPool pool;
    for (int i = 0; i < 256; ++i) {
        pool.PoolX[i] = static_cast<uint8_t>(i);
        pool.PoolY[i] = static_cast<uint8_t>(255 - i);
    }
    pool.ReadIndex = 254;
    pool.Draw(0, 0);
    EXPECT_EQ(0, pool.ReadIndex);

    // From 255 the second position read is 0.
    pool.ReadIndex = 255;
    pool.Mixer = 0;
    const uint32_t value = static_cast<uint32_t>(pool.Draw(0, 0));
    EXPECT_EQ(1, pool.ReadIndex);
    const uint32_t c = pool.PoolX[pool.PoolY[0]];
    const uint32_t d = pool.PoolY[pool.PoolX[0]];
    EXPECT_EQ(((255u * 256u + 0u) << 16) | (c * 256u + d), value);
}

TEST(RandomPoolTest, UpperHalfCarriesEveryBitOfTheFirstPoolPair) {
    TRandomPool pool;
    for (int i = 0; i < 256; ++i) {
        pool.PoolX[i] = static_cast<uint8_t>(i * 37 + 11);
        pool.PoolY[i] = static_cast<uint8_t>(i * 91 + 3);
    }
    pool.Mixer = 0x9E3779B9u;
    for (int call = 0; call < 1000; ++call) {
        const uint8_t i0 = pool.ReadIndex;
        const uint32_t pair = pool.PoolX[i0] * 256u + pool.PoolY[i0];
        const uint32_t value = static_cast<uint32_t>(pool.Draw(static_cast<uint32_t>(call * 16), call * 7919));
        ASSERT_EQ(pair, (value >> 16) & pair) << "call " << call;
    }
}

TEST(RandomPoolTest, ChangesFromCallToCallWithoutPointerMovement) {
    // Empty pools, a frozen clock and a constant rand(): the mixer alone must keep values moving.
    TRandomPool pool;
    pool.Mixer = 1;
    std::set<int32_t> seen;
    int32_t previous = pool.Draw(5000, 42);
    seen.insert(previous);
    for (int call = 1; call < 1000; ++call) {
        const int32_t value = pool.Draw(5000, 42);
        EXPECT_NE(previous, value) << "call " << call;
        seen.insert(value);
        previous = value;
    }
    EXPECT_GT(seen.size(), 900u);
}

}  // namespace
