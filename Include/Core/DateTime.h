// Date-times as real numbers of days since 30 December 1899; the fraction is the time of day.
// Calendar arithmetic and the numeric parts of the long date and time texts.
#pragma once

#include <cstdint>
#include <string>

struct TDateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
    int DayOfWeek = 6;  // 0 Sunday .. 6 Saturday
};

double Fraction(double x);           // x minus its whole part, with the sign of x
double PositiveFraction(double x);   // 0 <= result < 1

// A point of the continuous time line before the epoch written as day plus positive time of day.
double NormalizeDateTime(double dateTime);

double EncodeDate(int year, int month, int day);
double EncodeTime(int hour, int minute, int second, int millisecond);
// Splits an encoded date-time: whole part the day, fraction (counted positive) the time of day.
TDateTimeParts DecodeDateTime(double dateTime);

int32_t DayOfYear(double dateTime);
int32_t HundredSecondsOfDay(double dateTime);

// A time format whose separators are the locale's own, with each separator outside quotes
// replaced by ":".
std::string WithColonTimeSeparator(const std::string& format, const std::string& localeSeparator);
