// The page fetch against a local HTTP server: how the body becomes the kept text, what a failure keeps, and the
// exports as a caller linked with the import library sees them.
#include "tests/http_server.h"

#include "browser/Brovana.h"
#include "browser/app.h"
#include "browser/pagetext.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::string kHanUtf8 = "\xED\x95\x9C"; // 한
const std::string kHanCp949 = "\xC7\xD1";

// A fresh application object and a server for each test.
class PageFetch : public testing::Test {
protected:
    PageFetch() { app.attach(GetModuleHandleW(nullptr)); }

    // Serves body (with status) at /page and fetches it.
    int fetch(const std::string& body, int status = 200) {
        server.serve("/page", body, status);
        return brovana::fetchPage(app, server.url("/page").c_str());
    }

    TestHttpServer server;
    CBrovanaApp app;
};

TEST_F(PageFetch, CarriageReturnsGoLineFeedsStayLastLineWhole) {
    EXPECT_EQ(fetch("abc\r\nde"), 6);
    EXPECT_EQ(app.HtmlText, "abc\nde");
    EXPECT_EQ(app.HtmlLength, 6);
    EXPECT_STREQ(brovana::pageSource(app), "abc\nde");

    EXPECT_EQ(fetch("one\r\ntwo\n\r\nthree"), 14);
    EXPECT_EQ(app.HtmlText, "one\ntwo\n\nthree");
}

TEST_F(PageFetch, Utf8BecomesTheThreadsAnsiCodePage) {
    ASSERT_EQ(GetACP(), 949u);
    EXPECT_EQ(fetch(kHanUtf8), 2);
    EXPECT_EQ(app.HtmlText, kHanCp949);

    // A character that CP949 lacks (Thai ko kai) becomes the default character.
    EXPECT_EQ(fetch("a\xE0\xB8\x81z"), 3);
    EXPECT_EQ(app.HtmlText, "a?z");

    // The calling thread's code page counts, not the system's.
    LCID before = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT)));
    int n = fetch("x" + kHanUtf8);
    SetThreadLocale(before);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(app.HtmlText, "x?");
}

TEST_F(PageFetch, LongLineReadsAsOne) {
    std::string line;
    for (int i = 0; i < 5000; ++i)
        line += static_cast<char>('0' + i % 10);
    EXPECT_EQ(fetch(line + "\nnext"), 5005);
    EXPECT_EQ(app.HtmlText, line + "\nnext");

    // Pieces hold 2046 bytes, a multiple of 3: a line of three-byte syllables is never split inside one.
    EXPECT_EQ(fetch(repeat(kHanUtf8, 1667)), 3334);
    EXPECT_EQ(app.HtmlText, repeat(kHanCp949, 1667));

    // One byte more in front and the piece boundary cuts a syllable: that one is lost, the rest is intact.
    fetch("a" + repeat(kHanUtf8, 1000) + "\nend");
    const std::string& t = app.HtmlText;
    ASSERT_GT(t.size(), 1u + 681 * 2 + 318 * 2 + 4) << t.size();
    EXPECT_EQ(t.substr(0, 1 + 681 * 2), "a" + repeat(kHanCp949, 681));
    EXPECT_EQ(t.substr(t.size() - (318 * 2 + 4)), repeat(kHanCp949, 318) + "\nend");
    EXPECT_NE(t.find('?', 1 + 681 * 2), std::string::npos);
}

TEST_F(PageFetch, NulEndsItsLinesContributionOnly) {
    EXPECT_EQ(fetch(std::string("ab\0cd\nef\nend", 12)), 8);
    EXPECT_EQ(app.HtmlText, "abef\nend");
    EXPECT_EQ(fetch(std::string("\0\0\0", 3)), 0);
}

TEST_F(PageFetch, AnErrorPageIsTextAnEmptyBodyIsNoText) {
    EXPECT_EQ(fetch("missing", 404), 7);
    EXPECT_EQ(app.HtmlText, "missing");
    EXPECT_EQ(fetch("oops", 500), 4);

    EXPECT_EQ(fetch(""), 0);
    EXPECT_EQ(app.HtmlText, "");
    EXPECT_EQ(app.HtmlLength, 0);
    EXPECT_EQ(brovana::pageSource(app), nullptr);
}

TEST_F(PageFetch, FailureKeepsTheEarlierText) {
    ASSERT_EQ(fetch("1.0.0.1"), 7);
    const char* before = brovana::pageSource(app);
    server.stop();
    EXPECT_EQ(brovana::fetchPage(app, server.url("/page").c_str()), -1);
    EXPECT_EQ(brovana::fetchPage(app, TestHttpServer::refusedUrl("/page").c_str()), -1);
    EXPECT_EQ(brovana::fetchPage(app, "not an address"), -1);
    EXPECT_EQ(brovana::fetchPage(app, ""), -1);
    EXPECT_EQ(brovana::fetchPage(app, nullptr), -1);
    EXPECT_EQ(app.HtmlLength, 7);
    EXPECT_EQ(brovana::pageSource(app), before);
    EXPECT_STREQ(brovana::pageSource(app), "1.0.0.1");
}

TEST_F(PageFetch, ClearBlanksTheTextAndKeepsTheLength) {
    brovana::clearPage(app);
    EXPECT_EQ(brovana::pageSource(app), nullptr) << "no fetch yet";

    ASSERT_EQ(fetch("1.0.0.1"), 7);
    brovana::clearPage(app);
    EXPECT_STREQ(brovana::pageSource(app), " ");
    EXPECT_EQ(app.HtmlLength, 7);
}

// Wine's WinINet goes to the server for these pages even without the reload flag, so under Wine this passes
// either way; on Windows, which caches a page that says it may, it guards the flag.
TEST_F(PageFetch, AlwaysFromTheServerNeverFromTheCache) {
    server.serve("/cached", "first", 200, "Cache-Control: public, max-age=3600\r\n");
    std::string url = server.url("/cached");
    ASSERT_EQ(brovana::fetchPage(app, url.c_str()), 5);
    server.serve("/cached", "second", 200, "Cache-Control: public, max-age=3600\r\n");
    EXPECT_EQ(brovana::fetchPage(app, url.c_str()), 6);
    EXPECT_EQ(app.HtmlText, "second");
    EXPECT_EQ(server.requests("/cached"), 2);
}

// The library's own object, reached through the import library as the organizer reaches it.
TEST(BrovanaImports, FetchKeepAndClear) {
    TestHttpServer server;
    server.serve("/v", "1.0.0.1");
    std::string url = server.url("/v");
    ASSERT_EQ(GetHtmlLength(url.c_str(), nullptr), 7);
    EXPECT_EQ(server.lastHeader("User-Agent"), "Brovana");
    EXPECT_STREQ(GetHtmlSource(), "1.0.0.1");
    EXPECT_EQ(GetHtmlLength(nullptr, nullptr), -1);
    EXPECT_STREQ(GetHtmlSource(), "1.0.0.1");
    ClearHtmlSource();
    EXPECT_STREQ(GetHtmlSource(), " ");
    server.serve("/v", "abc\r\nde");
    EXPECT_EQ(GetHtmlLength(url.c_str(), nullptr), 6);
    EXPECT_STREQ(GetHtmlSource(), "abc\nde");
}

} // namespace
