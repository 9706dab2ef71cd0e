#include "Include/Mytime.h"

#include <windows.h>

#include <vector>

namespace {

SYSTEMTIME ToSystemTime(double dateTime) {
    const TDateTimeParts parts = DecodeDateTime(NormalizeDateTime(dateTime));
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(parts.Year);
    time.wMonth = static_cast<WORD>(parts.Month);
    time.wDay = static_cast<WORD>(parts.Day);
    time.wDayOfWeek = static_cast<WORD>(parts.DayOfWeek);
    time.wHour = static_cast<WORD>(parts.Hour);
    time.wMinute = static_cast<WORD>(parts.Minute);
    time.wSecond = static_cast<WORD>(parts.Second);
    time.wMilliseconds = static_cast<WORD>(parts.Millisecond);
    return time;
}

std::string LocaleText(LCTYPE type) {
    int size = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (size <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(size));
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer.data(), size) <= 0) return std::string();
    return buffer.data();
}

}  // namespace

double NowDateTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return EncodeDate(now.wYear, now.wMonth, now.wDay) +
           EncodeTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
}

std::string DateToLongText(double dateTime) {
    const SYSTEMTIME time = ToSystemTime(dateTime);
    int size = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, nullptr, 0);
    if (size <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(size));
    if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, buffer.data(), size) <= 0)
        return std::string();
    return buffer.data();
}

std::string TimeToLongText(double dateTime) {
    const SYSTEMTIME time = ToSystemTime(dateTime);
    const std::string format = WithColonTimeSeparator(LocaleText(LOCALE_STIMEFORMAT), LocaleText(LOCALE_STIME));
    const char* formatText = format.empty() ? nullptr : format.c_str();
    int size = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, formatText, nullptr, 0);
    if (size <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(size));
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, formatText, buffer.data(), size) <= 0) return std::string();
    return buffer.data();
}

std::string DateToLongTextWithDay(double dateTime) {
    return DateToLongText(dateTime) + " (" + std::to_string(DayOfYear(dateTime)) + ")";
}

std::string TimeToLongTextWithTick(double dateTime) {
    return TimeToLongText(dateTime) + " (" + std::to_string(HundredSecondsOfDay(dateTime)) + ")";
}

std::string DateTimeToLongText(const std::string& separator, double dateTime) {
    return DateToLongTextWithDay(dateTime) + separator + TimeToLongTextWithTick(dateTime);
}
