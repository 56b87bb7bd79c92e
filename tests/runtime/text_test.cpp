// Unit tests of runtime/text: CP949 conversion, character-boundary cuts, the fixed fields and their comparisons.
#include "runtime/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>

namespace {

using rt::Fixed;

// CP949 bytes of a text written in the source as UTF-16.
std::string k(std::u16string_view s) {
    return rt::to_cp949(s);
}

// A printable form of bytes for failure messages.
std::string hex(std::string_view s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

// Fifteen Hangul syllables, 30 bytes in CP949.
constexpr char16_t kFifteen[] = u"가나다라마바사아자차카타파하가";

static_assert(sizeof(Fixed<30>) == 30 && alignof(Fixed<30>) == 1);
static_assert(std::is_standard_layout_v<Fixed<1446>> && std::is_trivially_copyable_v<Fixed<1446>>);
static_assert(sizeof(rt::CString<255>) == 255 && alignof(rt::CString<255>) == 1);

#pragma pack(push, 1)
struct Record { // fields side by side, as in a record buffer
    char tag;
    Fixed<3> a;
    rt::CString<5> b;
    Fixed<30> c;
};
#pragma pack(pop)
static_assert(sizeof(Record) == 39 && std::is_trivially_copyable_v<Record> && std::is_standard_layout_v<Record>);

TEST(Cp949, KnownBytes) {
    EXPECT_EQ(hex(k(u"가")), "B0 A1 ");
    EXPECT_EQ(hex(k(u"쪽")), "C2 CA ");
    EXPECT_EQ(hex(k(u"똠")), "8C 63 "); // a Unified Hangul Code extension: its trail byte is 'c'
    EXPECT_EQ(rt::from_cp949("\xB0\xA1"), u"가");
    EXPECT_EQ(rt::from_cp949("\x8C\x63"), u"똠");
}

TEST(Cp949, RoundTrip) {
    const std::u16string text = u"Velquin 벨퀸: 문서 정리기 똠방각하 (2026) ㄱㅎㅏ";
    const std::string bytes = rt::to_cp949(text);
    EXPECT_EQ(bytes.size(), 20u + 2 * 14) << hex(bytes); // 20 ASCII characters, 14 Korean ones
    EXPECT_EQ(rt::from_cp949(bytes), text);
    // Every Hangul syllable of KS X 1001 and the extension alike survives the round trip.
    std::u16string all;
    for (char16_t c = 0xAC00; c <= 0xD7A3; ++c)
        all += c;
    const std::string all_bytes = rt::to_cp949(all);
    EXPECT_EQ(all_bytes.size(), all.size() * 2);
    EXPECT_EQ(rt::from_cp949(all_bytes), all);
    EXPECT_EQ(rt::from_cp949(""), u"");
    EXPECT_EQ(rt::to_cp949(u""), "");
    EXPECT_EQ(rt::from_cp949(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Cp949, UnmappableBecomesQuestionMark) {
    EXPECT_EQ(rt::to_cp949(u"a\u0E01b"), "a?b"); // Thai letter: not in CP949
    const std::string emoji = rt::to_cp949(u"x\U0001F600y");
    EXPECT_GE(emoji.size(), 3u) << emoji;
    EXPECT_EQ(emoji.front(), 'x');
    EXPECT_EQ(emoji.back(), 'y');
    EXPECT_EQ(emoji.find_first_not_of('?', 1), emoji.size() - 1) << emoji;
    const std::string lone = rt::to_cp949(std::u16string(u"a") + char16_t(0xD800) + u"b");
    EXPECT_EQ(lone.front(), 'a');
    EXPECT_EQ(lone.back(), 'b');
}

TEST(Cp949, InvalidInputDoesNotCrash) {
    const char* bad[] = {"A\x81", "A\x81\x20Z", "A\xFF\xFFZ", "\x80", "A\xC9\xA1Z", "\xFE", "\xB0"};
    for (const char* s : bad) {
        const std::u16string u = rt::from_cp949(s);
        ASSERT_FALSE(u.empty()) << hex(s);
        if (s[0] == 'A') {
            EXPECT_EQ(u.front(), u'A') << hex(s);
        }
    }
    // A cut text that ends in half a character keeps what comes before it.
    const std::string half = k(u"가나").substr(0, 3);
    EXPECT_EQ(rt::from_cp949(half).substr(0, 1), u"가");
}

#ifdef _WIN32
TEST(Cp949, WideAndNarrow) {
    EXPECT_EQ(rt::wide("\xB0\xA1 A"), L"\uAC00 A");
    EXPECT_EQ(rt::narrow(L"\uAC00 A"), "\xB0\xA1 A");
    EXPECT_EQ(rt::narrow(rt::wide(k(u"벨퀸 문서"))), k(u"벨퀸 문서"));
}
#endif

TEST(Text, LeadAndTrailBytes) {
    EXPECT_FALSE(rt::is_lead(0x80));
    EXPECT_TRUE(rt::is_lead(0x81));
    EXPECT_TRUE(rt::is_lead(0xB0));
    EXPECT_TRUE(rt::is_lead(0xFE));
    EXPECT_FALSE(rt::is_lead(0xFF));
    EXPECT_FALSE(rt::is_lead('a'));
    EXPECT_TRUE(rt::is_trail('a'));
    EXPECT_TRUE(rt::is_trail('Z'));
    EXPECT_FALSE(rt::is_trail('0'));
    EXPECT_FALSE(rt::is_trail(' '));
}

TEST(Text, CutPoint) {
    const std::string s = "ab" + k(u"가나다"); // 2 + 6 bytes
    EXPECT_EQ(rt::cut_point(s, 0), 0u);
    EXPECT_EQ(rt::cut_point(s, 1), 1u);
    EXPECT_EQ(rt::cut_point(s, 2), 2u);
    EXPECT_EQ(rt::cut_point(s, 3), 2u); // would split 가
    EXPECT_EQ(rt::cut_point(s, 4), 4u);
    EXPECT_EQ(rt::cut_point(s, 5), 4u);
    EXPECT_EQ(rt::cut_point(s, 7), 6u);
    EXPECT_EQ(rt::cut_point(s, 8), 8u);
    EXPECT_EQ(rt::cut_point(s, 100), 8u);
    // The walk starts at the beginning: a trail byte that looks like a lead byte is not taken for one.
    const std::string t = k(u"똠") + "c" + k(u"가"); // 8C 63 'c' B0 A1
    EXPECT_EQ(rt::cut_point(t, 3), 3u);
    EXPECT_EQ(rt::cut_point(t, 4), 3u);
    EXPECT_EQ(rt::cut_point("\xB0\xB0\xA1", 2), 2u); // lead+trail, then a lone trail-looking byte
    EXPECT_EQ(rt::cut_point("a\x81 b", 2), 2u);      // a lead byte without a trail is a byte of its own
    EXPECT_EQ(rt::cut_point("", 5), 0u);
}

TEST(Fixed, DefaultIsBlank) {
    Fixed<5> f;
    EXPECT_EQ(f.view(), "     ");
    EXPECT_TRUE(f.blank());
    EXPECT_TRUE(f.empty());
    EXPECT_EQ(f.clip(), "");
    EXPECT_EQ(Fixed<5>::size(), 5u);
}

TEST(Fixed, AssignCutsAndPads) {
    Fixed<5> f = "abc";
    EXPECT_EQ(f.view(), "abc  ");
    EXPECT_EQ(f.clip(), "abc");
    EXPECT_FALSE(f.blank());
    f = "abcdefgh";
    EXPECT_EQ(f.view(), "abcde");
    f = std::string("x y  ");
    EXPECT_EQ(f.view(), "x y  ");
    EXPECT_EQ(f.clip(), "x y");
    f.clear();
    EXPECT_TRUE(f.blank());
    f = static_cast<const char*>(nullptr);
    EXPECT_TRUE(f.blank());
}

TEST(Fixed, KoreanCutKeepsWholeSyllables) {
    const std::string fifteen = k(kFifteen);
    ASSERT_EQ(fifteen.size(), 30u);
    const std::string text31 = fifteen + ".";
    ASSERT_EQ(text31.size(), 31u);
    Fixed<30> f = text31;
    EXPECT_EQ(f.view(), fifteen) << hex(f.view());
    EXPECT_EQ(f.text(), kFifteen);

    Fixed<30> g = fifteen + k(u"나"); // 32 bytes
    EXPECT_EQ(g.view(), fifteen);

    Fixed<29> h = fifteen; // 14 syllables fit, the 15th would be split
    EXPECT_EQ(h.view(), fifteen.substr(0, 28) + " ") << hex(h.view());

    Fixed<30> u = std::u16string_view(u"가나다라마바사아자차카타파하가."); // from UTF-16 as well
    EXPECT_EQ(u.view(), fifteen);
}

TEST(Fixed, AsciiThenHangulCutAtOddBoundary) {
    Fixed<6> f = "abc" + k(u"가나다"); // 3 + 6 bytes: 가 fits in bytes 4-5, 나 would need 6-7
    EXPECT_EQ(f.view(), "abc" + k(u"가") + " ") << hex(f.view());
    EXPECT_EQ(f.text(), u"abc가");
    Fixed<4> g = u"ab가나";
    EXPECT_EQ(g.view(), "ab" + k(u"가"));
    Fixed<3> h = u"a가나";
    EXPECT_EQ(h.view(), "a" + k(u"가"));
    Fixed<2> i = u"a가";
    EXPECT_EQ(i.view(), "a ");
    Fixed<1> j = u"가";
    EXPECT_EQ(j.view(), " ");
}

TEST(Fixed, AssignFromOtherSizes) {
    Fixed<10> a = "abcdef";
    Fixed<4> b;
    b = a;
    EXPECT_EQ(b.view(), "abcd");
    Fixed<8> c;
    c = b;
    EXPECT_EQ(c.view(), "abcd    ");
    Fixed<3> d(a);
    EXPECT_EQ(d.view(), "abc");
    Fixed<10> e = a; // same size: a plain copy
    EXPECT_EQ(std::memcmp(e.data, a.data, 10), 0);
}

TEST(Fixed, ComparisonsPadWithBlanks) {
    Fixed<6> f = "abc";
    EXPECT_TRUE(f == "abc");
    EXPECT_TRUE(f == "abc   ");
    EXPECT_TRUE(f == "abc      ");
    EXPECT_TRUE("abc" == f);
    EXPECT_TRUE(f == std::string("abc"));
    EXPECT_FALSE(f == "abcd");
    EXPECT_FALSE(f == "ab");
    EXPECT_TRUE(f != "ABC");
    EXPECT_TRUE(f < "abd");
    EXPECT_TRUE(f > "ab");   // 'c' > ' '
    EXPECT_TRUE(f < "abca"); // ' ' < 'a'
    EXPECT_TRUE("abb" < f);

    Fixed<3> g = "abc";
    Fixed<10> h = "abc";
    EXPECT_TRUE(f == g);
    EXPECT_TRUE(g == h);
    EXPECT_TRUE(h == g);
    Fixed<10> i = "abd";
    EXPECT_TRUE(g < i);
    EXPECT_TRUE(i > g);
    EXPECT_TRUE(g <= h);
    EXPECT_TRUE((g <=> h) == 0);

    // Byte order, bytes unsigned: Hangul sorts after ASCII, and by its CP949 codes.
    Fixed<4> ga = u"가", na = u"나";
    EXPECT_TRUE(ga < na);
    EXPECT_TRUE(Fixed<4>("z") < ga);
    EXPECT_TRUE(rt::compare_padded("", "   ") == 0);
    EXPECT_TRUE(rt::compare_padded("a\t", "a") < 0); // tab sorts below the padding blank
}

TEST(CString, NulTerminated) {
    rt::CString<5> c;
    EXPECT_TRUE(c.empty());
    EXPECT_EQ(c.str(), "");
    c = "abcdefg";
    EXPECT_EQ(c.str(), "abcd");
    EXPECT_EQ(c.data[4], '\0');
    EXPECT_STREQ(c.c_str(), "abcd");
    c = "ab" + k(u"가나"); // 2 + 4 bytes: only 가 fits in the 4 bytes of text
    EXPECT_EQ(c.str(), "ab" + k(u"가"));
    c = "a" + k(u"가나");
    EXPECT_EQ(c.str(), "a" + k(u"가"));
    EXPECT_EQ(c.text(), u"a가");
    c = "xy";
    EXPECT_EQ(std::memcmp(c.data, "xy\0\0\0", 5), 0);
    EXPECT_TRUE(c == "xy");
    EXPECT_TRUE(c == "xy  ");
    EXPECT_TRUE(c < "xz");
    rt::CString<10> d = "xy";
    EXPECT_TRUE(c == d);
    // A foreign writer that left no NUL: the view stops at the end of the field.
    std::memcpy(c.data, "12345", 5);
    EXPECT_EQ(c.str(), "12345");
}

TEST(Text, Clip) {
    EXPECT_EQ(rt::clip("ab  "), "ab");
    EXPECT_EQ(rt::clip("  ab"), "  ab");
    EXPECT_EQ(rt::clip("    "), "");
    EXPECT_EQ(rt::clip(""), "");
    EXPECT_EQ(rt::clip("a b \t"), "a b \t"); // only blanks are trailing padding
}

TEST(Text, UpperLeavesDoubleByteCharactersAlone) {
    EXPECT_EQ(rt::upper("abcXYZ09 _z"), "ABCXYZ09 _Z");
    const std::string ttom = k(u"똠"); // 8C 63: the trail byte is 'c'
    EXPECT_EQ(rt::upper(ttom), ttom) << hex(rt::upper(ttom));
    EXPECT_EQ(rt::upper("a" + ttom + "b"), "A" + ttom + "B");
    const std::string mixed = k(u"가a똠z힣");
    EXPECT_EQ(rt::upper(mixed), k(u"가A똠Z힣"));
    // Every CP949 character whose trail byte is a lower-case letter stays as it is.
    for (int lead = 0x81; lead <= 0xC6; ++lead)
        for (int trail = 'a'; trail <= 'z'; ++trail) {
            const std::string s{static_cast<char>(lead), static_cast<char>(trail)};
            ASSERT_EQ(rt::upper(s), s) << hex(s);
        }
}

} // namespace
