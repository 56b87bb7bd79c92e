// Unit tests of runtime/listformat: the organizer's list and tree formats, Hangul headers, malformed columns, the
// writer's round trip, and what a column shows of a row.
#include "runtime/listformat.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/clock.h"
#include "runtime/text.h"
#include "tests/utf8.h"

namespace {

std::string k(std::u16string_view s) {
    return rt::to_cp949(s);
}

std::string shown(const std::string& cp949) {
    return testutil::utf8(rt::from_cp949(cp949));
}

struct Expected {
    int width;
    char align;
    int indent;
    int field, icon_field;
    const char16_t* header;
    const char* picture;
};

void expect_columns(const std::vector<rt::ListColumn>& got, const std::vector<Expected>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("column " + std::to_string(i + 1));
        EXPECT_EQ(got[i].width, want[i].width);
        EXPECT_EQ(got[i].align, want[i].align);
        EXPECT_EQ(got[i].indent, want[i].indent);
        EXPECT_EQ(got[i].field, want[i].field);
        EXPECT_EQ(got[i].icon_field, want[i].icon_field);
        EXPECT_EQ(got[i].icon, want[i].icon_field != 0);
        EXPECT_EQ(got[i].header, k(want[i].header)) << shown(got[i].header);
        EXPECT_EQ(got[i].picture, want[i].picture);
    }
}

const std::u16string main_list =
    u"35C(2)|_M~편집일~@D9-@#7#210L(4)|_M~제목~@S80@#2#20L(2)|_M~목차~@S5@#1#39L(2)|_M~분류~@S30@#3#15L|_MI~종류~@"
    u"S3@29R(2)|_M~삽입문서~@S8@15C(2)|_M~링크~@S8@#9#50C(2)|_M~링크파일1~@S100@";

TEST(ListFormat, MainListColumns) {
    const auto cols = rt::parse_list_format(k(main_list));
    expect_columns(cols, {
                             {35, 'C', 2, 7, 0, u"편집일", "D9-"},
                             {210, 'L', 4, 2, 0, u"제목", "S80"},
                             {20, 'L', 2, 1, 0, u"목차", "S5"},
                             {39, 'L', 2, 3, 0, u"분류", "S30"},
                             {15, 'L', 0, 4, 5, u"종류", "S3"},
                             {29, 'R', 2, 6, 0, u"삽입문서", "S8"},
                             {15, 'C', 2, 9, 0, u"링크", "S8"},
                             {50, 'C', 2, 10, 0, u"링크파일1", "S100"},
                         });
    for (const auto& c : cols) {
        EXPECT_TRUE(c.right_line && c.under_line && c.resizable);
        EXPECT_FALSE(c.tree || c.colours);
    }
}

TEST(ListFormat, ListWithoutFieldNumbersFollowsTheRule) {
    const auto cols = rt::parse_list_format(
        k(u"35C(2)|_M~목차~@S8@232L(4)|_M~제목~@S80@39L(2)|_M~분류~@S30@15L|_MI~종류~@S3@29R(2)|_M~삽입문서~@S8@15C(2)|"
          u"_M~링크~@S8@#9#50C(2)|_M~링크파일1~@S100@"));
    expect_columns(cols, {
                             {35, 'C', 2, 1, 0, u"목차", "S8"},
                             {232, 'L', 4, 2, 0, u"제목", "S80"},
                             {39, 'L', 2, 3, 0, u"분류", "S30"},
                             {15, 'L', 0, 4, 5, u"종류", "S3"},
                             {29, 'R', 2, 6, 0, u"삽입문서", "S8"},
                             {15, 'C', 2, 9, 0, u"링크", "S8"},
                             {50, 'C', 2, 10, 0, u"링크파일1", "S100"},
                         });
}

TEST(ListFormat, HeaderWithItsOwnAlignment) {
    const std::string fmt = k(u"109L(4)|_M~OLE 이름~L(0)@s64@20L(5)|_M~프로그램ID~@s64@#3#");
    const auto cols = rt::parse_list_format(fmt);
    expect_columns(cols, {{109, 'L', 4, 1, 0, u"OLE 이름", "s64"}, {20, 'L', 5, 3, 0, u"프로그램ID", "s64"}});
    EXPECT_EQ(cols[0].header_align, 'L');
    EXPECT_EQ(cols[1].header_align, 0);
    const auto again = rt::parse_list_format(rt::list_format(cols));
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].header_align, 'L');
    EXPECT_EQ(again[0].picture, "s64");
    EXPECT_TRUE(rt::parse_list_format("10L~a~L(1)R").empty()); // one alignment for a header
}

TEST(ListFormat, TreeColumn) {
    const auto cols = rt::parse_list_format("80L*ITE(,,,0C97726H)");
    ASSERT_EQ(cols.size(), 1u);
    const auto& c = cols[0];
    EXPECT_EQ(c.width, 80);
    EXPECT_TRUE(c.tree && c.icon && c.colours);
    EXPECT_EQ(c.field, 1);
    EXPECT_EQ(c.colour_field, 2);
    EXPECT_EQ(c.icon_field, 6);
    EXPECT_EQ(c.level_field, 7);
    EXPECT_FALSE(c.default_colour[0] || c.default_colour[1] || c.default_colour[2]);
    ASSERT_TRUE(c.default_colour[3]);
    EXPECT_EQ(*c.default_colour[3], 0xC97726);

    // Without colours the icon follows the text and the level the icon; decimal colours too.
    const auto plain = rt::parse_list_format("60LTI#3#E(255,16777215)40R");
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].icon_field, 4);
    EXPECT_EQ(plain[0].level_field, 5);
    EXPECT_EQ(plain[0].colour_field, 0);
    EXPECT_EQ(plain[0].default_colour[0].value_or(-1), 255);
    EXPECT_EQ(plain[0].default_colour[1].value_or(-1), 0xFFFFFF);
    EXPECT_EQ(plain[1].field, 6);
}

// Hangul whose second byte is one of the delimiters' neighbours, or an ASCII letter, stays inside its header or
// picture: the scanner walks characters, not bytes.
TEST(ListFormat, HangulTrailBytesAreNotDelimiters) {
    // Characters whose trail byte is an ASCII letter that is also a modifier ('I', 'M', 'E', 'T'), and some with
    // high trail bytes.
    std::string letters_trail, high_trail;
    for (unsigned lead = 0x81; lead <= 0xFE && (letters_trail.size() < 8 || high_trail.size() < 8); ++lead)
        for (unsigned trail : {0x40u, 0x41u, 0x49u, 0x4Du, 0x45u, 0x54u, 0x7Au, 0x7Eu, 0x7Fu, 0xFEu}) {
            const std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string u = rt::from_cp949(ch);
            if (u.size() != 1 || u[0] == 0xFFFD || rt::to_cp949(u) != ch) continue;
            (trail < 0x80 ? letters_trail : high_trail) += ch;
        }
    ASSERT_FALSE(letters_trail.empty());
    const std::string header = letters_trail + high_trail;
    const std::string fmt = "40L~" + header + "~@S" + "10@" + "20R~" + k(u"끝") + "~";
    const auto cols = rt::parse_list_format(fmt);
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_EQ(cols[0].header, header) << shown(cols[0].header);
    EXPECT_EQ(cols[0].picture, "S10");
    EXPECT_EQ(cols[1].header, k(u"끝"));
    EXPECT_EQ(cols[1].field, 2);
    // A picture holding Hangul (a page-number pattern).
    const auto pat = rt::parse_list_format("30R@" + k(u"p<<# 쪽p") + "@");
    ASSERT_EQ(pat.size(), 1u);
    EXPECT_EQ(pat[0].picture, k(u"p<<# 쪽p"));
}

TEST(ListFormat, MalformedColumnEndsTheList) {
    EXPECT_TRUE(rt::parse_list_format("").empty());
    EXPECT_TRUE(rt::parse_list_format("L~a~").empty()); // no width
    EXPECT_EQ(rt::parse_list_format("10L~a~20L~unclosed").size(), 1u);
    EXPECT_EQ(rt::parse_list_format("10L@S5@20L@S5").size(), 1u);
    EXPECT_EQ(rt::parse_list_format("10L#2#20L#3").size(), 1u);
    EXPECT_EQ(rt::parse_list_format("10L(4|20L").size(), 0u);
    EXPECT_EQ(rt::parse_list_format("10L20CE(1,2").size(), 1u);
    EXPECT_EQ(rt::parse_list_format("10L20C#0#").size(), 1u); // fields count from 1
    EXPECT_EQ(rt::parse_list_format("10L20C?30R").size(), 1u);
    // Lower-case letters are accepted; an alignment may be left out (left).
    const auto cols = rt::parse_list_format("10c(3)m|20");
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_EQ(cols[0].align, 'C');
    EXPECT_EQ(cols[0].indent, 3);
    EXPECT_TRUE(cols[0].resizable && cols[0].right_line);
    EXPECT_EQ(cols[1].align, 'L');
    EXPECT_EQ(cols[1].field, 2);
}

TEST(ListFormat, WriterRoundTrip) {
    for (const std::string& fmt : {k(main_list), std::string("80L*ITE(,,,0C97726H)"), std::string("60LTI#3#E(255,)40R"),
                                   std::string("10C(3)M|20R_")}) {
        SCOPED_TRACE(shown(fmt));
        const auto cols = rt::parse_list_format(fmt);
        const std::string written = rt::list_format(cols);
        const auto again = rt::parse_list_format(written);
        ASSERT_EQ(again.size(), cols.size()) << shown(written);
        for (std::size_t i = 0; i < cols.size(); ++i) {
            EXPECT_EQ(again[i].width, cols[i].width);
            EXPECT_EQ(again[i].align, cols[i].align);
            EXPECT_EQ(again[i].indent, cols[i].indent);
            EXPECT_EQ(again[i].right_line, cols[i].right_line);
            EXPECT_EQ(again[i].under_line, cols[i].under_line);
            EXPECT_EQ(again[i].resizable, cols[i].resizable);
            EXPECT_EQ(again[i].header, cols[i].header);
            EXPECT_EQ(again[i].picture, cols[i].picture);
            EXPECT_EQ(again[i].field, cols[i].field);
            EXPECT_EQ(again[i].icon_field, cols[i].icon_field);
            EXPECT_EQ(again[i].colour_field, cols[i].colour_field);
            EXPECT_EQ(again[i].level_field, cols[i].level_field);
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(again[i].default_colour[c], cols[i].default_colour[c]);
        }
    }
    // A column whose field was changed is written with its number; the next one keeps its own.
    auto cols = rt::parse_list_format("10L20L30L");
    cols[1].field = 3;
    cols[2].field = 2;
    EXPECT_EQ(rt::list_format(cols), "10L20L#3#30L#2#");
}

#pragma pack(push, 1)
struct Row {
    rt::Fixed<10> title;
    std::int32_t day;
    std::uint8_t kind;
    std::int16_t count;
    rt::Fixed<4> code;
};
#pragma pack(pop)

const rt::Field row_fields[] = {
    {"TITLE", rt::FieldType::Text, offsetof(Row, title), 10}, {"DAY", rt::FieldType::Long, offsetof(Row, day), 4},
    {"KIND", rt::FieldType::Byte, offsetof(Row, kind), 1},    {"COUNT", rt::FieldType::Short, offsetof(Row, count), 2},
    {"CODE", rt::FieldType::Text, offsetof(Row, code), 4},
};

TEST(ListFormat, CellText) {
    Row r;
    r.title = k(u"가나다라마바");
    r.day = rt::date(2024, 3, 5);
    r.kind = 200;
    r.count = -12;
    r.code = "12";
    const auto cell = [&](int f, std::string_view pic) { return rt::cell_text(row_fields, 5, &r, f, pic); };
    EXPECT_EQ(cell(1, ""), k(u"가나다라마")); // 10 bytes, no trailing blanks
    EXPECT_EQ(cell(1, "S5"), k(u"가나"));     // cut at a character boundary
    EXPECT_EQ(cell(1, "S80"), k(u"가나다라마"));
    EXPECT_EQ(cell(2, "D9-"), "24-03-05");
    EXPECT_EQ(cell(2, "D10"), "2024/03/05");
    EXPECT_EQ(cell(2, ""), std::to_string(r.day));
    EXPECT_EQ(cell(3, ""), "200"); // a byte is unsigned
    EXPECT_EQ(cell(4, ""), "-12");
    EXPECT_EQ(cell(4, "N5"), "  -12");
    EXPECT_EQ(cell(5, "S8"), "12");
    EXPECT_EQ(cell(5, "N4"), "  12"); // a number picture reads the text as a number
    r.day = 0;
    EXPECT_EQ(cell(2, "D9-"), ""); // no date: blanks, dropped
    EXPECT_EQ(cell(0, ""), "");
    EXPECT_EQ(cell(6, ""), "");
    EXPECT_EQ(rt::cell_text(row_fields, 5, nullptr, 1, ""), "");

    EXPECT_EQ(rt::cell_number(row_fields, 5, &r, 3), 200);
    EXPECT_EQ(rt::cell_number(row_fields, 5, &r, 4), -12);
    EXPECT_EQ(rt::cell_number(row_fields, 5, &r, 1), 0); // text
    EXPECT_EQ(rt::cell_number(row_fields, 5, &r, 9), 0);
}

} // namespace
