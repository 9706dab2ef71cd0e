#include "Include/Core/DateTime.h"

#include <cmath>

namespace {

const int64_t MillisecondsPerDay = 86400000;

// Days from 1 January 1970 to the civil date (proleptic Gregorian), in the usual era-based form.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2));
}

// 30 December 1899 counted from 1 January 1970, the reference of the civil-date helpers above.
const int64_t EpochFromUnixDays = -25569;

// Milliseconds since midnight, rounded so that 06:40:00 does not become 06:39:59.999.
int64_t TimeOfDayMilliseconds(double dateTime) {
    int64_t ms = std::llround(std::fabs(Fraction(dateTime)) * MillisecondsPerDay);
    return ms >= MillisecondsPerDay ? MillisecondsPerDay - 1 : ms;
}

}  // namespace

double Fraction(double x) { return x - std::trunc(x); }

double PositiveFraction(double x) {
    double fraction = Fraction(x);
    return fraction < 0 ? fraction + 1 : fraction;
}

double NormalizeDateTime(double dateTime) {
    double fraction = Fraction(dateTime);
    if (fraction >= 0) return dateTime;
    return std::floor(dateTime) - (fraction + 1);
}

double EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                               EpochFromUnixDays);
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / MillisecondsPerDay;
}

TDateTimeParts DecodeDateTime(double dateTime) {
    TDateTimeParts parts;
    const int64_t day = static_cast<int64_t>(std::trunc(dateTime));
    CivilFromDays(day + EpochFromUnixDays, parts.Year, parts.Month, parts.Day);
    const int64_t ms = TimeOfDayMilliseconds(dateTime);
    parts.Hour = static_cast<int>(ms / 3600000);
    parts.Minute = static_cast<int>(ms / 60000 % 60);
    parts.Second = static_cast<int>(ms / 1000 % 60);
    parts.Millisecond = static_cast<int>(ms % 1000);
    // 30 December 1899 was a Saturday.
    parts.DayOfWeek = static_cast<int>(((day % 7) + 7 + 6) % 7);
    return parts;
}

int32_t DayOfYear(double dateTime) {
    const TDateTimeParts parts = DecodeDateTime(dateTime);
    const double firstOfJanuary = EncodeDate(parts.Year, 1, 1);
    return static_cast<int32_t>(std::trunc(std::trunc(dateTime) + 1 - firstOfJanuary));
}

int32_t HundredSecondsOfDay(double dateTime) {
    int64_t ms = std::llround(PositiveFraction(dateTime) * MillisecondsPerDay);
    if (ms >= MillisecondsPerDay) ms = MillisecondsPerDay - 1;
    return static_cast<int32_t>(ms / 100000);
}

std::string WithColonTimeSeparator(const std::string& format, const std::string& localeSeparator) {
    if (localeSeparator.empty() || localeSeparator == ":") return format;
    std::string result;
    bool quoted = false;
    for (size_t i = 0; i < format.size();) {
        if (format[i] == '\'') {
            quoted = !quoted;
            result += format[i++];
        } else if (!quoted && format.compare(i, localeSeparator.size(), localeSeparator) == 0) {
            result += ':';
            i += localeSeparator.size();
        } else {
            result += format[i++];
        }
    }
    return result;
}
