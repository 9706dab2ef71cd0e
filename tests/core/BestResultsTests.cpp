// Play time and best results: the clock runs only while the game is played and the player is
// there, its texts, what a solve records, and the results file, taken whole or refused whole.
#include "Tilvane/Core/BestResults.h"
#include "Tilvane/Core/PlayClock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(PlayClock, RunsOnlyWhilePlayedAndThePlayerIsThere) {
    uint64_t now = 1000;
    TPlayClock clock([&] { return now; });
    now += 5000;
    EXPECT_EQ(clock.ElapsedMilliseconds(), 0u) << "nothing before play begins";
    clock.SetPlaying(true);
    now += 2500;
    clock.SetPresent(false);
    now += 60000;  // minimised, inactive or locked
    EXPECT_EQ(clock.ElapsedMilliseconds(), 2500u);
    clock.SetPresent(true);
    now += 1600;
    EXPECT_EQ(clock.ElapsedSeconds(), 4);
    clock.SetPlaying(false);  // solved
    now += 9000;
    EXPECT_EQ(clock.ElapsedMilliseconds(), 4100u);

    clock.Restart(187000);  // a saved game goes on from its time
    EXPECT_FALSE(clock.Running());
    clock.SetPlaying(true);
    now += 1000;
    uint64_t other = 50;
    clock.SetTickSource([&] { return other; });
    other += 1000;
    EXPECT_EQ(clock.ElapsedSeconds(), 189);
}

TEST(PlayClock, TimeTexts) {
    EXPECT_EQ(PlayTimeText(0), "0:00");
    EXPECT_EQ(PlayTimeText(187), "3:07");
    EXPECT_EQ(PlayTimeText(3599), "59:59");
    EXPECT_EQ(PlayTimeText(3600), "1:00:00");
    EXPECT_EQ(PlayTimeText(36000 + 62), "10:01:02");
    EXPECT_EQ(PlayTimeText(-3), "0:00");
}

const TResultKey Lake{"C:\\Pictures\\Lake.jpg", 7, 5, false};

// The first solve is the best in every way; a slower one is told the best; a faster one or one
// of fewer moves takes that record and its date only.
TEST(BestResults, SolvesKeepTheBestOfEachWithItsDate) {
    TBestResults results;
    TSolveOutcome first = results.Record(Lake, 187, 40, 6, "2026-12-01");
    EXPECT_TRUE(first.FirstSolve && first.BestTime);
    EXPECT_EQ(SolvedTimeText(first, true), "Time: 3:07 (best)");

    TSolveOutcome slower = results.Record(Lake, 190, 35, 9, "2026-12-02");
    EXPECT_FALSE(slower.BestTime);
    EXPECT_TRUE(slower.FewerMoves);
    EXPECT_EQ(SolvedTimeText(slower, false), "Time: 3:10 (best 3:07)");
    EXPECT_EQ(SolvedTimeText(slower, true), "Time: 3:10 (best 3:07), fewest moves");
    EXPECT_TRUE(results.Record(Lake, 187, 50, 9, "2026-12-03").BestTime) << "as short as the best is the best";

    TResultKey otherCase = Lake;
    otherCase.PicturePath = "c:\\pictures\\LAKE.JPG";
    const TBestResult* entry = results.Find(otherCase);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Seconds, 187);
    EXPECT_EQ(entry->SecondsDate, "2026-12-01");
    EXPECT_EQ(entry->Moves, 35);
    EXPECT_EQ(entry->MovesDate, "2026-12-02");
    EXPECT_EQ(entry->WrongMoves, 6);
    EXPECT_EQ(entry->WrongMovesDate, "2026-12-01");

    TResultKey flipped = Lake;
    flipped.Flipping = true;
    EXPECT_TRUE(results.Record(flipped, 300, 60, 20, "2026-12-04").FirstSolve) << "another setting, another entry";
    EXPECT_EQ(results.Entries().size(), 2u);
    EXPECT_TRUE(results.Forget(Lake));
    EXPECT_FALSE(results.Forget(Lake));
    EXPECT_EQ(results.Find(flipped)->Seconds, 300);
}

TEST(BestResults, FileRoundTripsAndIsRefusedWholeWhenDamaged) {
    TBestResults results;
    results.Record(Lake, 187, 40, 6, "2026-12-01");
    results.Record(TResultKey{"C:\\Bilder\\Fjäll.png", 30, 30, true}, 4000, 900, 300, "2026-11-30");
    TTextStore store;
    results.Write(store);
    const std::string bytes = store.ToBytes();
    EXPECT_EQ(bytes.rfind("[Result1]\r\nPicture=C:\\Pictures\\Lake.jpg\r\nColumns=7\r\nRows=5\r\nFlipping=FALSE\r\n"
                          "BestTime=187\r\nBestTimeDate=2026-12-01\r\nFewestMoves=40\r\n", 0), 0u);

    TBestResults read;
    TTextStore parsed;
    parsed.Parse(bytes);
    EXPECT_EQ(read.Read(parsed), "");
    ASSERT_EQ(read.Entries().size(), 2u);
    EXPECT_EQ(read.Entries()[1].Key.PicturePath, "C:\\Bilder\\Fjäll.png");
    EXPECT_EQ(read.Entries()[1].Seconds, 4000);
    EXPECT_TRUE(read.Entries()[1].Key.Flipping);

    const struct {
        std::string From, To;
    } damages[] = {{"Columns=7", "Columns=31"},          {"Flipping=FALSE", "Flipping=no"},
                   {"BestTime=187", "BestTime=-1"},      {"BestTimeDate=2026-12-01", "BestTimeDate=1.12.2026"},
                   {"[Result2]", "[Result7]"},           {"Picture=C:\\Pictures\\Lake.jpg", "Picture="},
                   // the second entry made a repeat of the first
                   {bytes.substr(bytes.find("[Result2]")), "[Result2]" + bytes.substr(9, bytes.find("[Result2]") - 9)}};
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.To);
        std::string damaged = bytes;
        damaged.replace(damaged.find(damage.From), damage.From.size(), damage.To);
        TTextStore store2;
        store2.Parse(damaged);
        TBestResults kept = read;
        EXPECT_NE(kept.Read(store2), "");
        EXPECT_EQ(kept.Entries().size(), 2u) << "a refused file changes nothing";
    }
    std::string many;
    for (size_t i = 1; i <= TBestResults::MaxEntries + 1; ++i) many += "[Result" + std::to_string(i) + "]\r\n";
    TTextStore tooMany;
    tooMany.Parse(many);
    EXPECT_NE(read.Read(tooMany).find("more than 10000 entries"), std::string::npos);
}

// A full file makes room for a new entry by forgetting the one played longest ago, so that it is
// never written larger than it may be read.
TEST(BestResults, AFullFileForgetsTheEntryPlayedLongestAgo) {
    TBestResults results;
    for (int32_t i = 0; results.Entries().size() < TBestResults::MaxEntries; ++i)
        results.Record(TResultKey{"C:\\Pictures\\" + std::to_string(i) + ".jpg", 5 + i % 26, 5 + i / 26 % 26, false},
                       100, 40, 6, i == 7 ? "2020-01-01" : "2026-12-01");
    const TResultKey oldest = results.Entries()[7].Key;
    results.Record(Lake, 187, 40, 6, "2026-12-02");
    EXPECT_EQ(results.Entries().size(), TBestResults::MaxEntries);
    EXPECT_EQ(results.Find(oldest), nullptr);
    EXPECT_NE(results.Find(Lake), nullptr);
    TTextStore store;
    results.Write(store);
    TBestResults read;
    EXPECT_EQ(read.Read(store), "");
    EXPECT_EQ(read.Entries().size(), TBestResults::MaxEntries);
}

}  // namespace
