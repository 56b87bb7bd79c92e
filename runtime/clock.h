// Dates as day numbers and times as clock values, the runtime's two kinds of time.
//
// A day number counts days with day 4 = 1801-01-01 and day 36161 = 1899-12-30 (so day 1 is 1800-12-29);
// valid day numbers run from 1 to 2994626 (9999-12-31), 0 means "no date". A clock value is the hundredths of a
// second after midnight plus one: 1 is 00:00:00.00, 8640000 is 23:59:59.99, 0 means "no time".
#pragma once

namespace rt {

// Calendar parts of a day (Gregorian calendar); all 0 for a day number out of range.
struct Ymd {
    int year;  // 1800 ... 9999
    int month; // 1 ... 12
    int day;   // 1 ... 31
};

// Parts of a clock value; all 0 for a value out of range.
struct Hms {
    int hour;      // 0 ... 23
    int minute;    // 0 ... 59
    int second;    // 0 ... 59
    int hundredth; // 0 ... 99
};

constexpr long kFirstDay = 1;        // 1800-12-29
constexpr long kLastDay = 2994626;   // 9999-12-31
constexpr long kLastClock = 8640000; // 23:59:59.99

// The day number of a calendar date, or 0 when the date does not exist or is out of range.
long date(int year, int month, int day) noexcept;

// The calendar date of a day number.
Ymd ymd(long day) noexcept;
inline void ymd(long day, int& year, int& month, int& d) noexcept {
    const Ymd v = ymd(day);
    year = v.year;
    month = v.month;
    d = v.day;
}

// Day of the week of a day number: 0 Sunday ... 6 Saturday; -1 out of range.
int weekday(long day) noexcept;

// The clock value of a time of day, or 0 when a part is out of range.
long clock_value(int hour, int minute, int second, int hundredth = 0) noexcept;

// The parts of a clock value.
Hms hms(long clock) noexcept;

// Today's day number and the clock value now, from the local time.
long today();
long clock();

} // namespace rt
