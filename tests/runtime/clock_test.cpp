// Unit tests of runtime/clock: day numbers, clock values and the local time.
#include "runtime/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int month_days(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

TEST(Clock, FixedPoints) {
    EXPECT_EQ(rt::date(1801, 1, 1), 4);
    EXPECT_EQ(rt::date(1899, 12, 30), 36161);
    EXPECT_EQ(rt::date(2026, 12, 8), 82525);
    EXPECT_EQ(rt::date(1800, 12, 29), 1);
    EXPECT_EQ(rt::date(9999, 12, 31), rt::kLastDay);
    const rt::Ymd d = rt::ymd(82525);
    EXPECT_EQ(d.year, 2026);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.day, 8);
    int y = 0, m = 0, dd = 0;
    rt::ymd(36161, y, m, dd);
    EXPECT_EQ(y * 10000 + m * 100 + dd, 18991230);
}

// Walks the calendar day by day from 1801-01-01 to 2199-12-31 and checks both directions at every day.
TEST(Clock, RoundTripEveryDay1801To2199) {
    long expected = 4;
    for (int y = 1801; y <= 2199; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= month_days(y, m); ++d, ++expected) {
                ASSERT_EQ(rt::date(y, m, d), expected) << y << '-' << m << '-' << d;
                const rt::Ymd v = rt::ymd(expected);
                ASSERT_TRUE(v.year == y && v.month == m && v.day == d)
                    << expected << " gave " << v.year << '-' << v.month << '-' << v.day;
            }
    EXPECT_EQ(expected - 1, rt::date(2199, 12, 31));
}

TEST(Clock, LeapDays) {
    EXPECT_EQ(rt::date(1900, 2, 29), 0); // 1900 is not a leap year
    EXPECT_EQ(rt::date(2100, 2, 29), 0);
    EXPECT_EQ(rt::date(1800, 2, 29), 0);
    EXPECT_NE(rt::date(2000, 2, 29), 0); // 2000 is
    EXPECT_NE(rt::date(2024, 2, 29), 0);
    EXPECT_EQ(rt::date(2000, 3, 1) - rt::date(2000, 2, 28), 2);
    EXPECT_EQ(rt::date(1900, 3, 1) - rt::date(1900, 2, 28), 1);
    EXPECT_EQ(rt::date(2001, 1, 1) - rt::date(2000, 1, 1), 366);
    EXPECT_EQ(rt::date(1901, 1, 1) - rt::date(1900, 1, 1), 365);
}

TEST(Clock, InvalidDates) {
    EXPECT_EQ(rt::date(2026, 0, 1), 0);
    EXPECT_EQ(rt::date(2026, 13, 1), 0);
    EXPECT_EQ(rt::date(2026, 1, 0), 0);
    EXPECT_EQ(rt::date(2026, 1, 32), 0);
    EXPECT_EQ(rt::date(2026, 4, 31), 0);
    EXPECT_EQ(rt::date(1800, 12, 28), 0); // day 0
    EXPECT_EQ(rt::date(1700, 1, 1), 0);
    EXPECT_EQ(rt::date(10000, 1, 1), 0);
    for (long day : {0L, -1L, -100000L, rt::kLastDay + 1}) {
        const rt::Ymd v = rt::ymd(day);
        EXPECT_TRUE(v.year == 0 && v.month == 0 && v.day == 0) << day;
    }
}

TEST(Clock, Weekday) {
    EXPECT_EQ(rt::weekday(rt::date(1801, 1, 1)), 4);  // Thursday
    EXPECT_EQ(rt::weekday(rt::date(2026, 12, 8)), 2); // Tuesday
    EXPECT_EQ(rt::weekday(rt::date(2000, 1, 1)), 6);  // Saturday
    EXPECT_EQ(rt::weekday(0), -1);
}

TEST(Clock, ClockValues) {
    EXPECT_EQ(rt::clock_value(0, 0, 0), 1);
    EXPECT_EQ(rt::clock_value(0, 0, 0, 1), 2);
    EXPECT_EQ(rt::clock_value(0, 0, 1), 101);
    EXPECT_EQ(rt::clock_value(0, 1, 0), 6001);
    EXPECT_EQ(rt::clock_value(1, 0, 0), 360001);
    EXPECT_EQ(rt::clock_value(14, 5, 0), 14 * 360000 + 5 * 6000 + 1);
    EXPECT_EQ(rt::clock_value(23, 59, 59, 99), rt::kLastClock);
    EXPECT_EQ(rt::clock_value(24, 0, 0), 0);
    EXPECT_EQ(rt::clock_value(0, 60, 0), 0);
    EXPECT_EQ(rt::clock_value(0, 0, 60), 0);
    EXPECT_EQ(rt::clock_value(0, 0, 0, 100), 0);
    EXPECT_EQ(rt::clock_value(-1, 0, 0), 0);
    for (long c = 1; c <= rt::kLastClock; c += 997) {
        const rt::Hms t = rt::hms(c);
        ASSERT_EQ(rt::clock_value(t.hour, t.minute, t.second, t.hundredth), c) << c;
    }
    const rt::Hms t = rt::hms(rt::clock_value(13, 7, 42, 5));
    EXPECT_TRUE(t.hour == 13 && t.minute == 7 && t.second == 42 && t.hundredth == 5);
    const rt::Hms none = rt::hms(0);
    EXPECT_TRUE(none.hour == 0 && none.minute == 0 && none.second == 0 && none.hundredth == 0);
}

// today() and clock() agree with the C library's local time (retried once if midnight or a second passes).
TEST(Clock, LocalTime) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        const long day = rt::today();
        const long now = rt::clock();
        const std::time_t after = std::time(nullptr);
        if (before != after) continue;
        const std::tm* tm = std::localtime(&before);
        ASSERT_NE(tm, nullptr);
        EXPECT_EQ(day, rt::date(tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday));
        const rt::Hms t = rt::hms(now);
        EXPECT_EQ(t.hour * 3600 + t.minute * 60 + t.second, tm->tm_hour * 3600 + tm->tm_min * 60 + tm->tm_sec)
            << "clock() = " << now;
        EXPECT_GE(day, rt::date(2024, 1, 1));
        EXPECT_GE(now, 1);
        EXPECT_LE(now, rt::kLastClock);
        return;
    }
    FAIL() << "the time kept changing";
}

} // namespace
