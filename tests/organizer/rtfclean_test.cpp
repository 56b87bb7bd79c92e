// The one-pass RTF clean-up against the plain loops on many random texts.
#include "organizer/rtfclean.h"
#include "rtf_loops.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using namespace velquin;

// Texts made of the patterns, their pieces and a few other bytes, so that removals often join new occurrences.
std::string random_text(std::mt19937& rng) {
    static const char* pieces[] = {
        "\\lang1033", "\\lang1042", "\\lang10", "33",    "42",      "\\",
        "lang",       "1033",       "\\f1",     "\\f2",  "Calibri", "\\f1\\fswiss\\fcharset0 Calibri;",
        " ",          "x",          "f1",       "\\lan", "g1042"};
    std::uniform_int_distribution<std::size_t> count(0, 60), pick(0, std::size(pieces) - 1);
    std::string text;
    for (std::size_t n = count(rng); n > 0; --n)
        text += pieces[pick(rng)];
    return text;
}

TEST(RtfClean, OnePassGivesWhatTheLoopsGive) {
    std::mt19937 rng(20261209);
    int changed = 0, with_tag = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = random_text(rng);
        std::string fast = text, slow = text;
        clean_rtf(fast);
        rtf_loops::clean(slow);
        ASSERT_EQ(fast, slow) << "text: " << text;
        changed += fast != text;
        with_tag += calibri_tag(text) != "   ";
    }
    // The texts did exercise the removals and the font tag.
    EXPECT_GT(changed, 10000);
    EXPECT_GT(with_tag, 1000);
}

TEST(RtfClean, JoinedOccurrencesGoToo) {
    std::string text = "a\\lang\\lang10331033b\\lang1042";
    clean_rtf(text);
    EXPECT_EQ(text, "ab");
    // The font tag stands 21 bytes before "Calibri"; the tagged words go before the plain ones.
    text = "{\\fonttbl\\f1\\fswiss\\fcharset0 Calibri;}\\f1\\lang1033 x\\f2\\lang1033";
    EXPECT_EQ(calibri_tag(text), "\\f1");
    clean_rtf(text);
    EXPECT_EQ(text, "{\\fonttbl\\f1\\fswiss\\fcharset0 Calibri;} x\\f2");
    EXPECT_EQ(calibri_tag("01234567890123456789Calibri"), "   "); // at position 21 (from 1): too near the start
}

} // namespace
