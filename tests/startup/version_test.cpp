// The version check's comparison: numbers compared as numbers, line ends and blanks ignored.
#include "organizer/version.h"

#include <gtest/gtest.h>

using namespace velquin;

TEST(Version, PageLeadInIsDropped) {
    EXPECT_EQ(version_from_page("VERSN:0.0.1.0"), "0.0.1.0");
    EXPECT_EQ(version_from_page("VERSN:0.0.1.0\n"), "0.0.1.0\n");
    EXPECT_EQ(version_from_page("ab"), "");
    EXPECT_EQ(version_from_page("123456"), "");
}

TEST(Version, ProductVersionFromTheFixedBlock) {
    EXPECT_EQ(product_version_text(0x00010000, 0x00090000), "1.0.9.0");
    EXPECT_EQ(product_version_text((10000u << 16) | 10000u, (10000u << 16) | 10000u), "10000.10000.10000.10");
}

TEST(Version, ComparedNumberByNumber) {
    EXPECT_TRUE(announced_is_newer("1.0.10.0", "1.0.9.0")) << "10 is above 9, whatever the text order";
    EXPECT_FALSE(announced_is_newer("1.0.9.0", "1.0.10.0"));
    EXPECT_TRUE(announced_is_newer("0.0.2.0", "0.0.1.0"));
    EXPECT_FALSE(announced_is_newer("0.0.1.0", "0.0.2.0"));
    EXPECT_FALSE(announced_is_newer("0.0.1.0", "0.0.1.0"));
    EXPECT_TRUE(announced_is_newer("2", "1.9.9.9")) << "missing parts are 0";
    EXPECT_FALSE(announced_is_newer("1.0", "1.0.0.0"));
}

TEST(Version, LineEndsAndBlanksAroundAreIgnored) {
    EXPECT_FALSE(announced_is_newer("0.0.1.0\n", "0.0.1.0"));
    EXPECT_FALSE(announced_is_newer(" 0.0.1.0\r\n", "0.0.1.0   "));
    EXPECT_TRUE(announced_is_newer("0.0.1.1\r\n", "0.0.1.0"));
}

TEST(Version, AnAnnouncementThatIsNoVersionIsNeverNewer) {
    for (const char* bad : {"", "   ", "\n", "abc", "1..2", "1.2.3.4.5", "1.2a", ".1", "1.", "99999999999"})
        EXPECT_FALSE(announced_is_newer(bad, "0.0.0.1")) << '"' << bad << '"';
}

TEST(Version, AnUnreadableRunningVersionCountsAsZero) {
    EXPECT_TRUE(announced_is_newer("0.0.1.0", ""));
    EXPECT_FALSE(announced_is_newer("0.0.0.0", ""));
}
