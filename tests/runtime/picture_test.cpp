// Unit tests of runtime/picture: every picture the organizer names, what does not fit, and deformat.
#include "runtime/picture.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "runtime/clock.h"
#include "runtime/text.h"

namespace {

std::string k(std::u16string_view s) {
    return rt::to_cp949(s);
}

TEST(Picture, Text) {
    EXPECT_EQ(rt::format("abcdef", "@S3"), "abc");
    EXPECT_EQ(rt::format("abc", "@S8"), "abc"); // no padding
    EXPECT_EQ(rt::format("abc", "S8"), "abc");
    EXPECT_EQ(rt::format("abcdefghij", "s5"), "abcde");
    EXPECT_EQ(rt::format("abcdef", "@S3@"), "abc"); // as written between two @ in a list format
    EXPECT_EQ(rt::format("abcdef", "@S"), "abcdef");
    // Cut at a character boundary, never half a character.
    const std::string title = "ab" + k(u"가나다");
    EXPECT_EQ(rt::format(title, "@S3"), "ab");
    EXPECT_EQ(rt::format(title, "@S4"), "ab" + k(u"가"));
    EXPECT_EQ(rt::format(title, "@S5"), "ab" + k(u"가"));
    EXPECT_EQ(rt::format(rt::Fixed<10>(title), "@S30"), title + "  "); // a field: its blanks stay
    EXPECT_EQ(rt::format(12345, "@S3"), "123");
    EXPECT_EQ(rt::format(2.5, "@S8"), "2.5");
}

TEST(Picture, NumbersRightAligned) {
    EXPECT_EQ(rt::format(1234567, "@n10"), " 1,234,567");
    EXPECT_EQ(rt::format(2000000, "@n10"), " 2,000,000");
    EXPECT_EQ(rt::format(999, "@n10"), "       999");
    EXPECT_EQ(rt::format(1000, "@n10"), "     1,000");
    EXPECT_EQ(rt::format(-1234567, "@n10"), "-1,234,567");
    EXPECT_EQ(rt::format(0, "@n10"), "         0");
    EXPECT_EQ(rt::format(1234567, "@N10"), "   1234567");
    EXPECT_EQ(rt::format(123, "@N11"), "        123");
    EXPECT_EQ(rt::format(5, "@N3"), "  5");
    EXPECT_EQ(rt::format(100, "N3"), "100");
    EXPECT_EQ(rt::format(9, "@N2"), " 9");
    EXPECT_EQ(rt::format(12, "@N2"), "12");
    EXPECT_EQ(rt::format(12345, "@n5"), "#####"); // 12,345 needs six places
    EXPECT_EQ(rt::format(1234, "@n5"), "1,234");
    EXPECT_EQ(rt::format(99999, "@N5"), "99999");
    EXPECT_EQ(rt::format(1234567890123LL, "@n"), "1,234,567,890,123"); // no width: as wide as needed
}

TEST(Picture, NumberSignAndBlank) {
    EXPECT_EQ(rt::format(0, "@N-7B"), "       ");
    EXPECT_EQ(rt::format(-12, "@N-7B"), "    -12");
    EXPECT_EQ(rt::format(12345, "@N-7B"), "  12345");
    EXPECT_EQ(rt::format(1234567, "@N-7B"), "1234567");
    EXPECT_EQ(rt::format(-1234567, "@N-7B"), "#######"); // the minus needs an eighth place
    EXPECT_EQ(rt::format(0.4, "@N-7B"), "       ");      // zero once rounded
    EXPECT_EQ(rt::format(-0.4, "@N-7"), "      0");      // no minus for a rounded zero
    EXPECT_EQ(rt::format(0, "@N3B"), "   ");
    EXPECT_EQ(rt::format(0, "@N3"), "  0");
}

TEST(Picture, NumberRoundingAndPlaces) {
    EXPECT_EQ(rt::format(2.5, "@N3"), "  3");
    EXPECT_EQ(rt::format(-2.5, "@N3"), " -3");
    EXPECT_EQ(rt::format(2.49, "@N3"), "  2");
    EXPECT_EQ(rt::format(1234.5, "@n10.2"), "  1,234.50");
    EXPECT_EQ(rt::format(-0.05, "@N6.1"), "  -0.1");
    EXPECT_EQ(rt::format(0.5, "@N4.2"), "0.50");
    EXPECT_EQ(rt::format(12.5, "@N4.2"), "####");
}

TEST(Picture, NumberThatIsNotFinite) {
    EXPECT_EQ(rt::format(1e300, "@N5"), "#####");
    EXPECT_EQ(rt::format(std::numeric_limits<double>::quiet_NaN(), "@n10"), "##########");
    EXPECT_EQ(rt::format(std::numeric_limits<double>::infinity(), "@N3B"), "###");
}

TEST(Picture, Dates) {
    const long day = rt::date(2026, 12, 8);
    ASSERT_EQ(day, 82525);
    EXPECT_EQ(rt::format(day, "@D9"), "26/12/08");
    EXPECT_EQ(rt::format(day, "@D9-"), "26-12-08");
    EXPECT_EQ(rt::format(day, "D9-"), "26-12-08");
    EXPECT_EQ(rt::format(day, "@D9-@"), "26-12-08");
    EXPECT_EQ(rt::format(day, "@D10-"), "2026-12-08");
    EXPECT_EQ(rt::format(day, "D10-"), "2026-12-08");
    EXPECT_EQ(rt::format(day, "@D10"), "2026/12/08");
    EXPECT_EQ(rt::format(day, "@D11"), "261208");
    EXPECT_EQ(rt::format(day, "@D12"), "20261208");
    EXPECT_EQ(rt::format(day, "@D10."), "2026.12.08");
    EXPECT_EQ(rt::format(day, "@D10_"), "2026 12 08");
    EXPECT_EQ(rt::format(4, "@D10-"), "1801-01-01");
    EXPECT_EQ(rt::format(36161, "@D9"), "99/12/30");
    EXPECT_EQ(rt::format(rt::date(2000, 2, 29), "@D9"), "00/02/29");
    EXPECT_EQ(rt::format(rt::date(2199, 12, 31), "@D10-"), "2199-12-31");
    EXPECT_EQ(rt::format(82525.75, "@D9"), "26/12/08"); // a fraction of a day is dropped
}

TEST(Picture, NoDateIsBlank) {
    EXPECT_EQ(rt::format(0, "@D9"), "        ");
    EXPECT_EQ(rt::format(0, "@D9-"), "        ");
    EXPECT_EQ(rt::format(0, "@D10-"), "          ");
    EXPECT_EQ(rt::format(0, "@D11"), "      ");
    EXPECT_EQ(rt::format(-5, "@D9"), "        ");
    EXPECT_EQ(rt::format(rt::kLastDay + 1, "@D9"), "        ");
}

TEST(Picture, Times) {
    EXPECT_EQ(rt::format(rt::clock_value(14, 5, 0), "@T3"), "2:05PM");
    EXPECT_EQ(rt::format(rt::clock_value(14, 5, 59, 99), "T3"), "2:05PM");
    EXPECT_EQ(rt::format(rt::clock_value(0, 0, 0), "@T3"), "12:00AM");
    EXPECT_EQ(rt::format(rt::clock_value(0, 30, 0), "@T3"), "12:30AM");
    EXPECT_EQ(rt::format(rt::clock_value(0, 59, 59), "@T3"), "12:59AM");
    EXPECT_EQ(rt::format(rt::clock_value(1, 0, 0), "@T3"), "1:00AM");
    EXPECT_EQ(rt::format(rt::clock_value(11, 59, 0), "@T3"), "11:59AM");
    EXPECT_EQ(rt::format(rt::clock_value(12, 0, 0), "@T3"), "12:00PM");
    EXPECT_EQ(rt::format(rt::clock_value(12, 45, 0), "@T3"), "12:45PM");
    EXPECT_EQ(rt::format(rt::clock_value(13, 0, 0), "@T3"), "1:00PM");
    EXPECT_EQ(rt::format(rt::clock_value(23, 59, 0), "@T3"), "11:59PM");
    EXPECT_EQ(rt::format(rt::clock_value(14, 5, 9), "@T5"), "140509");
    EXPECT_EQ(rt::format(rt::clock_value(0, 0, 0), "@T5"), "000000");
    EXPECT_EQ(rt::format(rt::clock_value(9, 3, 7), "T5"), "090307");
    EXPECT_EQ(rt::format(rt::clock_value(9, 3, 7), "@T1"), "09:03");
    EXPECT_EQ(rt::format(rt::clock_value(9, 3, 7), "@T2"), "0903");
    EXPECT_EQ(rt::format(rt::clock_value(9, 3, 7), "@T4"), "09:03:07");
    EXPECT_EQ(rt::format(rt::clock_value(21, 3, 7), "@T6"), "9:03:07PM");
}

TEST(Picture, NoTimeIsBlank) {
    EXPECT_EQ(rt::format(0, "@T3"), "       ");
    EXPECT_EQ(rt::format(0, "@T5"), "      ");
    EXPECT_EQ(rt::format(rt::kLastClock + 1, "@T5"), "      ");
}

TEST(Picture, PageNumber) {
    const std::string picture = k(u"p<<# 쪽p");
    const std::string page = k(u" 쪽");
    EXPECT_EQ(rt::format(1, picture), "  1" + page);
    EXPECT_EQ(rt::format(7, picture), "  7" + page);
    EXPECT_EQ(rt::format(42, picture), " 42" + page);
    EXPECT_EQ(rt::format(999, picture), "999" + page);
    EXPECT_EQ(rt::format(0, picture), "  0" + page);
    EXPECT_EQ(rt::format(1000, picture), "###" + page); // four digits in three places
    EXPECT_EQ(rt::format(-3, picture), "  3" + page);   // a pattern has no sign
    EXPECT_EQ(rt::format(5, "@" + picture), "  5" + page);
}

TEST(Picture, Patterns) {
    EXPECT_EQ(rt::format(5, "@P###P"), "005");
    EXPECT_EQ(rt::format(1234567, "@P###-####P"), "123-4567");
    EXPECT_EQ(rt::format(12, "@P<#/##P"), " 0/12");
    EXPECT_EQ(rt::format(0, "@P<<#PB"), "   ");
    EXPECT_EQ(rt::format(3, "@P<<#PB"), "  3");
}

TEST(Picture, TextThroughOtherPictures) {
    // A text is read as a number first, so a date number held as text re-formats as a date.
    EXPECT_EQ(rt::format("82525", "@D9"), "26/12/08");
    EXPECT_EQ(rt::format("12345", "@N-7B"), "  12345");
    EXPECT_EQ(rt::format("-12", "@N-7B"), "    -12");
    EXPECT_EQ(rt::format("0", "@N-7B"), "       ");
    EXPECT_EQ(rt::format("", "@N-7B"), "       ");
    EXPECT_EQ(rt::format("1,234,567", "@n10"), " 1,234,567");
    EXPECT_EQ(rt::format(std::string("5"), "@N3"), "  5");
}

TEST(Picture, UnknownPictureIsPlain) {
    EXPECT_EQ(rt::format(12, "@X5"), "12");
    EXPECT_EQ(rt::format(-2.25, ""), "-2.25");
    EXPECT_EQ(rt::format(1e20, "@Q"), "1e+20");
    EXPECT_EQ(rt::format("text", "@D3"), "text");
    EXPECT_EQ(rt::format(7, "@N3Z"), "7");
    EXPECT_EQ(rt::format(7, "@T9"), "7");
    EXPECT_EQ(rt::format(7, "@P###"), "7"); // no closing P
}

TEST(Deformat, VersionFilter) {
    EXPECT_EQ(rt::deformat("1.0.10.0"), "1.0100");
    EXPECT_EQ(rt::deformat("0.0.1.0"), "0.010");
    EXPECT_EQ(rt::deformat("1.0.9.0"), "1.090");
    EXPECT_EQ(rt::deformat("2.1.3.4\r\n"), "2.134");
    EXPECT_EQ(rt::deformat("  1 . 2 "), "1.2");
    EXPECT_EQ(rt::deformat(""), "");
    EXPECT_EQ(rt::deformat("abc"), "");
    // The version check compares the filtered forms as blank-padded text.
    EXPECT_TRUE(rt::compare_padded(rt::deformat("1.0.10.0"), rt::deformat("1.0.9.0")) < 0);
    EXPECT_TRUE(rt::compare_padded("0.01", "0.010") < 0);
}

TEST(Deformat, SignsAndExponent) {
    EXPECT_EQ(rt::deformat("-12"), "-12");
    EXPECT_EQ(rt::deformat("    -12"), "-12");
    EXPECT_EQ(rt::deformat("-1,234,567"), "-1234567");
    EXPECT_EQ(rt::deformat("1-2"), "12");
    EXPECT_EQ(rt::deformat("--5"), "-5");
    EXPECT_EQ(rt::deformat("+5"), "5");
    EXPECT_EQ(rt::deformat("1.5e-3"), "1.5e-3");
    EXPECT_EQ(rt::deformat("1E+5"), "1E+5");
    EXPECT_EQ(rt::deformat("1e5e6"), "1e56");
    EXPECT_EQ(rt::deformat("1e5-6"), "1e56");
    EXPECT_EQ(rt::deformat("2e+-3"), "2e+3");
    EXPECT_EQ(rt::deformat("12 K"), "12");
    EXPECT_EQ(rt::deformat("26/12/08"), "261208");
}

TEST(Deformat, DoubleByteCharactersAreDropped) {
    // 갻 is 81 65 and 똄 is 8C 45: their trail bytes are 'e' and 'E', which must not count as the exponent.
    ASSERT_EQ(k(u"갻똄"), "\x81\x65\x8C\x45");
    EXPECT_EQ(rt::deformat(k(u"갻똄1.5e3")), "1.5e3");
    EXPECT_EQ(rt::deformat(k(u"원본 1,234 바이트")), "1234");
    EXPECT_EQ(rt::deformat(k(u"  5% 진행중")), "5");
}

TEST(Number, ValueOfText) {
    EXPECT_EQ(rt::number("12345"), 12345);
    EXPECT_EQ(rt::number(" -1,234.5 "), -1234.5);
    EXPECT_EQ(rt::number("1e3"), 1000);
    EXPECT_EQ(rt::number("abc"), 0);
    EXPECT_EQ(rt::number(""), 0);
    EXPECT_EQ(rt::number("-"), 0);
}

TEST(Number, IsNumeric) {
    EXPECT_TRUE(rt::is_numeric("12345"));
    EXPECT_TRUE(rt::is_numeric("  12345   "));
    EXPECT_TRUE(rt::is_numeric("-12"));
    EXPECT_TRUE(rt::is_numeric("+3.5"));
    EXPECT_TRUE(rt::is_numeric(".5"));
    EXPECT_TRUE(rt::is_numeric("1e6"));
    EXPECT_TRUE(rt::is_numeric("1.5E-3"));
    EXPECT_FALSE(rt::is_numeric("12 K"));
    EXPECT_FALSE(rt::is_numeric("1,234"));
    EXPECT_FALSE(rt::is_numeric(""));
    EXPECT_FALSE(rt::is_numeric("   "));
    EXPECT_FALSE(rt::is_numeric("-"));
    EXPECT_FALSE(rt::is_numeric("."));
    EXPECT_FALSE(rt::is_numeric("1e"));
    EXPECT_FALSE(rt::is_numeric("1.2.3"));
    EXPECT_FALSE(rt::is_numeric("26/12/08"));
}

} // namespace
