// Day numbers and clock values: calendar arithmetic and the local time.
#include "runtime/clock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace rt {

namespace {

// Days from 1970-01-01 to a Gregorian date (proleptic, any year); H. Hinnant's days_from_civil.
constexpr long days_from_civil(long y, unsigned m, unsigned d) noexcept {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

// Day 0 of the day numbers: 1800-12-28, so that 1801-01-01 is day 4.
constexpr long kEpoch = days_from_civil(1800, 12, 28);

static_assert(days_from_civil(1801, 1, 1) - kEpoch == 4);
static_assert(days_from_civil(1899, 12, 30) - kEpoch == 36161);
static_assert(days_from_civil(9999, 12, 31) - kEpoch == kLastDay);

constexpr bool leap(int y) noexcept {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

constexpr int days_in_month(int y, int m) noexcept {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

} // namespace

long date(int year, int month, int day) noexcept {
    if (year < 1800 || year > 9999 || month < 1 || month > 12 || day < 1 || day > days_in_month(year, month)) return 0;
    const long n = days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch;
    return n >= kFirstDay ? n : 0;
}

Ymd ymd(long day) noexcept {
    if (day < kFirstDay || day > kLastDay) return {0, 0, 0};
    // H. Hinnant's civil_from_days, on days from 1970-01-01.
    const long z = day + kEpoch + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const long y = static_cast<long>(yoe) + era * 400 + (m <= 2);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int weekday(long day) noexcept {
    if (day < kFirstDay || day > kLastDay) return -1;
    return static_cast<int>(day % 7); // day 4, 1801-01-01, was a Thursday
}

long clock_value(int hour, int minute, int second, int hundredth) noexcept {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || hundredth < 0 ||
        hundredth > 99)
        return 0;
    return hour * 360000L + minute * 6000L + second * 100L + hundredth + 1;
}

Hms hms(long clock) noexcept {
    if (clock < 1 || clock > kLastClock) return {0, 0, 0, 0};
    const long t = clock - 1;
    return {static_cast<int>(t / 360000), static_cast<int>(t / 6000 % 60), static_cast<int>(t / 100 % 60),
            static_cast<int>(t % 100)};
}

#ifdef _WIN32

long today() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return date(st.wYear, st.wMonth, st.wDay);
}

long clock() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return clock_value(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds / 10);
}

#else

long today() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return date(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

long clock() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    // A leap second (tm_sec 60) shows as the last hundredth of the minute.
    if (tm.tm_sec > 59) return clock_value(tm.tm_hour, tm.tm_min, 59, 99);
    return clock_value(tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ts.tv_nsec / 10000000));
}

#endif

} // namespace rt
