// Calendar arithmetic and the numeric parts of the report's time texts.
#include "Include/Core/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
}

TEST(DateTime, EpochAndKnownDays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
    EXPECT_EQ(DecodeDateTime(At(2026, 12, 7)).DayOfWeek, 1) << "a Monday";
    EXPECT_EQ(DecodeDateTime(0.0).DayOfWeek, 6) << "the epoch was a Saturday";
}

TEST(DateTime, DecodeInvertsEncodeOverCenturies) {
    for (double day = -40000; day <= 80000; day += 97.5) {
        const TDateTimeParts parts = DecodeDateTime(day);
        EXPECT_EQ(EncodeDate(parts.Year, parts.Month, parts.Day), std::trunc(day)) << day;
    }
    const TDateTimeParts parts = DecodeDateTime(At(2010, 3, 3, 6, 40, 0));
    EXPECT_EQ(parts.Year, 2010);
    EXPECT_EQ(parts.Month, 3);
    EXPECT_EQ(parts.Day, 3);
    EXPECT_EQ(parts.Hour, 6);
    EXPECT_EQ(parts.Minute, 40);
    EXPECT_EQ(parts.Second, 0) << "06:40:00 must not round down to 06:39:59";
}

TEST(DateTime, DayOfYearAndHundredSeconds) {
    EXPECT_EQ(DayOfYear(At(2010, 3, 3, 6, 40)), 62);
    EXPECT_EQ(HundredSecondsOfDay(At(2010, 3, 3, 6, 40)), 240);
    EXPECT_EQ(DayOfYear(At(2024, 12, 31, 23, 59, 59)), 366) << "leap year";
    EXPECT_EQ(DayOfYear(At(2023, 12, 31)), 365);
    EXPECT_EQ(DayOfYear(At(2023, 1, 1)), 1);
    EXPECT_EQ(HundredSecondsOfDay(At(2023, 5, 5, 23, 59, 59)), 863);
    EXPECT_EQ(HundredSecondsOfDay(At(2023, 5, 5)), 0);
    EXPECT_EQ(HundredSecondsOfDay(At(2023, 5, 5, 0, 1, 40)), 1);
}

TEST(DateTime, FractionsAndNormalisation) {
    EXPECT_DOUBLE_EQ(Fraction(-1.25), -0.25);
    EXPECT_DOUBLE_EQ(Fraction(2.75), 0.75);
    EXPECT_DOUBLE_EQ(PositiveFraction(-1.25), 0.75);
    EXPECT_DOUBLE_EQ(PositiveFraction(3.0), 0.0);
    EXPECT_DOUBLE_EQ(NormalizeDateTime(-1.25), -2.75) << "six hours into 28 December 1899";
    EXPECT_DOUBLE_EQ(NormalizeDateTime(5.5), 5.5);
    const TDateTimeParts parts = DecodeDateTime(NormalizeDateTime(-1.25));
    EXPECT_EQ(parts.Day, 28);
    EXPECT_EQ(parts.Hour, 18);
}

TEST(DateTime, TimeSeparatorBecomesColon) {
    EXPECT_EQ(WithColonTimeSeparator("H.mm.ss", "."), "H:mm:ss");
    EXPECT_EQ(WithColonTimeSeparator("h:mm:ss tt", ":"), "h:mm:ss tt");
    EXPECT_EQ(WithColonTimeSeparator("HH.mm.ss' o.k.'", "."), "HH:mm:ss' o.k.'") << "quoted text stays";
    EXPECT_EQ(WithColonTimeSeparator("HH - mm", " - "), "HH:mm");
}

}  // namespace
