// Which list values the spreadsheet export writes as numbers: the whole value a plain number, nothing else.
#include "organizer/listexcel_rules.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using velquin::plain_number;

TEST(ListExcel, OnlyPlainNumbersAreNumbers) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"12", 12},    {" 12  ", 12},     {"-3.5", -3.5},
        {"+7", 7},     {"1,234", 1234},   {"12,345,678.25", 12345678.25},
        {"0", 0},      {"-0.0", 0},       {"007", 7},
        {"12 K", {}},  {"2026 plan", {}}, {"file1.txt", {}},
        {"1,23", {}},  {"1234,567", {}},  {"1,2345", {}},
        {",123", {}},  {"12.", {}},       {".5", {}},
        {"1.2.3", {}}, {"--1", {}},       {"1e5", {}},
        {"", {}},      {"   ", {}},       {"+", {}},
        {"12-", {}},   {"1 2", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plain_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(ListExcel, ASheetHoldsTheRowsOfItsKindBelowTheHeader) {
    EXPECT_EQ(velquin::body_rows("a.xls"), 65535u);
    EXPECT_EQ(velquin::body_rows("a.xls.txt"), 65535u);
    EXPECT_EQ(velquin::body_rows("a.XLSX "), 1048575u);
}

TEST(ListExcel, DateSerialsCountFrom1899December30) {
    EXPECT_EQ(velquin::date_serial("82525"), 46364);
    EXPECT_EQ(velquin::date_serial("0"), std::nullopt);
    EXPECT_EQ(velquin::date_serial("12345678"), 123456 - 36161); // the first six characters count
}

} // namespace
