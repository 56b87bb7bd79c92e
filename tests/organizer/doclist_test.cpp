// The document list's texts, search test and column layouts.
#include "organizer/doclist.h"

#include <gtest/gtest.h>

#include "runtime/listformat.h"
#include "runtime/text.h"

namespace {

using namespace velquin;
using rt::to_cp949;

TEST(DocList, SizeTextsRoundToTheirUnit) {
    EXPECT_EQ(size_text(1234567), "1 M");
    EXPECT_EQ(size_text(1500000), "2 M");
    EXPECT_EQ(size_text(999), "999 b");
    EXPECT_EQ(size_text(1000), "1 K");
    EXPECT_EQ(size_text(999999), "1000 K");
    EXPECT_EQ(size_text(0), "");
    EXPECT_EQ(size_text(2147483647), "2147 M");
}

TEST(DocList, IconTypesByExactUpperCaseType) {
    EXPECT_EQ(icon_type("DOC"), 1);
    EXPECT_EQ(icon_type("HWP "), 1);
    EXPECT_EQ(icon_type("CEL"), 2);
    EXPECT_EQ(icon_type("SHW"), 3);
    EXPECT_EQ(icon_type("doc"), 0);
    EXPECT_EQ(icon_type(""), 0);
}

// Only a value that "N-7B" shows unchanged goes through it; everything else prints as it stands.
TEST(DocList, PrintedNumbersOnlyWhereThePictureKeepsThem) {
    const struct {
        const char* value;
        const char* printed;
    } cases[] = {
        {"12345", "  12345"},     {"-12", "    -12"},
        {"1234567", "1234567"},   {"12345 ", "  12345"},
        {"3.5", "3.5"},           {"12345678", "12345678"},
        {"-1234567", "-1234567"}, {"0", "0"},
        {"007", "007"},           {"+5", "+5"},
        {"1e3", "1e3"},           {"02-123-4567", "02-123-4567"},
        {"12 K", "12 K"},         {"", ""},
        {"1,234", "1,234"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printed_number(c.value), c.printed) << '"' << c.value << '"';
}

TEST(DocList, SearchIsByteExactOnWholeCharacters) {
    EXPECT_TRUE(contains_text("Annual report 2026", "report"));
    EXPECT_FALSE(contains_text("Annual REPORT", "report"));
    EXPECT_TRUE(contains_text("Annual report", " report"));
    EXPECT_FALSE(contains_text("report", " report"));
    EXPECT_TRUE(contains_text(to_cp949(u"회의록 정리"), to_cp949(u"록 정")));
    // "가" is B0 A1 and "나" is B3 AA: A1 B3, itself a character of CP949, stands across their boundary.
    const std::string two = to_cp949(u"가나");
    const std::string across = two.substr(1, 2);
    EXPECT_FALSE(contains_text(two, across));
    // A trail byte in the ASCII range ("똠" is 8C 63, 'c') is no match for that letter.
    const std::string with_ascii_trail = to_cp949(u"똠");
    ASSERT_EQ(with_ascii_trail.size(), 2u);
    ASSERT_LT(static_cast<unsigned char>(with_ascii_trail[1]), 0x80);
    EXPECT_FALSE(contains_text(with_ascii_trail, with_ascii_trail.substr(1)));
    EXPECT_TRUE(contains_text("x" + with_ascii_trail, with_ascii_trail));
}

TEST(DocList, ViewLayoutsGiveTheTitleColumnTheExtraWidth) {
    const auto date_view = rt::parse_list_format(list_layout(DATE_VIEW, 40));
    ASSERT_EQ(date_view.size(), 8u);
    EXPECT_EQ(date_view[0].header, to_cp949(u"편집일"));
    EXPECT_EQ(date_view[0].field, 7);
    EXPECT_EQ(date_view[1].width, 250);
    const auto trash = rt::parse_list_format(list_layout(TRASH, 0));
    ASSERT_EQ(trash.size(), 8u);
    EXPECT_EQ(trash[0].header, to_cp949(u"삭제일"));
    EXPECT_EQ(trash[1].width, 210);
    const auto index = rt::parse_list_format(list_layout(INDEX_VIEW, -10));
    ASSERT_EQ(index.size(), 7u);
    EXPECT_EQ(index[0].header, to_cp949(u"목차"));
    EXPECT_EQ(index[1].width, 222);
    std::vector<int> fields;
    for (const auto& c : index)
        fields.push_back(c.field);
    EXPECT_EQ(fields, (std::vector<int>{1, 2, 3, 4, 6, 9, 10}));
    EXPECT_EQ(index[3].icon_field, 5);
}

} // namespace
