// The one rule for names that become parts of paths: link, category and library names.
#include "organizer/names.h"

#include <gtest/gtest.h>

#include "runtime/text.h"

namespace {

using namespace velquin;

TEST(Names, OneRuleForLinkCategoryAndLibraryNames) {
    const struct {
        std::string name;
        bool bad, library_bad;
    } cases[] = {
        // Plain names, Hangul too; trailing blanks of a field are not part of the name.
        {"Reports", false, false},
        {"my docs  ", false, false},
        {"a.b   ", false, true},
        {"v1.2", false, true},
        {rt::to_cp949(u"회의 자료"), false, false},
        {rt::to_cp949(u"보고서.hwp"), false, true},
        {rt::to_cp949(u"똠"), false, false}, // 8C 63: a trail byte that is the letter 'c'
        {"console", false, false},
        {"COM10", false, false},
        {"nul_", false, false},
        {"lpt", false, false},
        // Blank, dots, a trailing dot or blank before the field's padding.
        {"", true, true},
        {"   ", true, true},
        {".", true, true},
        {"..", true, true},
        {"...", true, true},
        {". .", true, true},
        {"a.", true, true},
        {"a .", true, true},
        {"x\t", true, true},
        // Separators, wildcards and control characters.
        {"..\\..\\vA.txt", true, true},
        {"a/b", true, true},
        {"c:", true, true},
        {"C:\\Windows", true, true},
        {"a*", true, true},
        {"a?", true, true},
        {"\"a\"", true, true},
        {"<a>", true, true},
        {"a|b", true, true},
        {"a\tb", true, true},
        {std::string("a\0b", 3), true, true},
        {"\x95\x5C", true, true}, // a lead byte whose next byte is no trail byte: the '\' stands alone
        // Device names, in any case, with an extension or blanks before it.
        {"CON", true, true},
        {"con", true, true},
        {"Nul", true, true},
        {"PRN", true, true},
        {"aux", true, true},
        {"COM1", true, true},
        {"com9", true, true},
        {"LPT1", true, true},
        {"lpt9", true, true},
        {"COM0", true, true},
        {"nul.txt", true, true},
        {"CON.tar.gz", true, true},
        {"Com1 .log", true, true},
        {"CONIN$", true, true},
        {rt::to_cp949(u"COM\u00B9"), true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bad_path_name(c.name), c.bad) << '"' << c.name << '"';
        EXPECT_EQ(bad_library_name(c.name), c.library_bad) << '"' << c.name << '"';
    }
}

} // namespace
