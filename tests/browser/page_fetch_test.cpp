// The page fetch against a local HTTP server: how the body becomes the kept text, what a failure keeps, and the
// exports as a caller linked with the import library sees them.
#include "tests/http_server.h"

#include "browser/Brovana.h"
#include "browser/app.h"
#include "browser/pagetext.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <thread>
#include <vector>

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

// The text as one read of the whole body would make it: carriage returns dropped, UTF-8 decoded at once.
std::string asOneRead(std::string body) {
    body.erase(std::remove(body.begin(), body.end(), '\r'), body.end());
    std::wstring wide = brovana::Utf8ToWide(body.c_str());
    int n =
        WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
}

// Lines longer than a read piece (2,046 bytes) come in several pieces; with 1 to 3 bytes of ASCII in front, the
// piece boundaries cut two-, three- and four-byte characters at every place inside them, and the text is still
// the same as if each line had come in one read.
TEST_F(PageFetch, LongLinesReadAsOneWhereverAPieceEnds) {
    std::string digits;
    for (int i = 0; i < 5000; ++i)
        digits += static_cast<char>('0' + i % 10);
    EXPECT_EQ(fetch(digits + "\nnext"), 5005);
    EXPECT_EQ(app.HtmlText, digits + "\nnext");

    const struct {
        const char* what;
        std::string character; // UTF-8
    } characters[] = {
        {"two bytes (plus-minus sign)", "\xC2\xB1"},
        {"three bytes (Hangul syllable)", kHanUtf8},
        {"four bytes (outside CP949)", "\xF0\xA0\x80\x80"},
    };
    for (const auto& c : characters)
        for (int lead = 0; lead < 4; ++lead) {
            SCOPED_TRACE(std::string(c.what) + ", ASCII in front: " + std::to_string(lead));
            std::string line = std::string(static_cast<std::size_t>(lead), 'a') + repeat(c.character, 3000);
            std::string body = line + "\r\n" + line + "\nend";
            std::string expected = asOneRead(body);
            ASSERT_GT(fetch(body), 0);
            EXPECT_EQ(app.HtmlText.size(), expected.size());
            EXPECT_TRUE(app.HtmlText == expected)
                << "first difference at byte "
                << std::mismatch(expected.begin(), expected.end(), app.HtmlText.begin(), app.HtmlText.end()).first -
                       expected.begin();
        }
    // The Hangul line, spelled out: 3,000 syllables of two bytes each in CP949.
    fetch("a" + repeat(kHanUtf8, 3000));
    EXPECT_EQ(app.HtmlText, "a" + repeat(kHanCp949, 3000));
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

// Redirects are followed, relative and absolute ones, up to ten of them; one more, or a redirect loop, fails
// after those ten, the earlier text kept. A redirect that names no address is the answer itself.
TEST_F(PageFetch, FollowsTenRedirectsAndNoMore) {
    const int hops = 11;
    for (int i = 0; i < hops; ++i) {
        std::string next = i % 2 ? server.url("/r" + std::to_string(i + 1)) : "/r" + std::to_string(i + 1);
        server.serve("/r" + std::to_string(i), "moved", i % 3 == 2 ? 307 : 302, "Location: " + next + "\r\n");
    }
    server.serve("/r" + std::to_string(hops), "arrived");
    EXPECT_EQ(brovana::fetchPage(app, server.url("/r1").c_str()), 7) << "ten redirects";
    EXPECT_EQ(app.HtmlText, "arrived");
    EXPECT_EQ(brovana::fetchPage(app, server.url("/r0").c_str()), -1) << "eleven redirects";
    EXPECT_EQ(server.requests("/r0"), 1);
    EXPECT_EQ(server.requests("/r10"), 2) << "the eleventh redirect was not asked for";
    EXPECT_EQ(server.requests("/r11"), 1);

    server.serve("/loop", "again", 301, "Location: /loop\r\n");
    EXPECT_EQ(brovana::fetchPage(app, server.url("/loop").c_str()), -1);
    EXPECT_EQ(server.requests("/loop"), 11);
    EXPECT_EQ(app.HtmlText, "arrived");

    EXPECT_EQ(fetch("nowhere to go", 302), 13);
}

// A server that says nothing, and one that sends its headers and part of the body and then stays silent: each
// fetch gives up on its own (the receive limit is 30 s) and fails, the earlier text kept. Both wait at once.
TEST_F(PageFetch, ASilentServerEndsInFailure) {
    ASSERT_EQ(fetch("1.0.0.1"), 7);
    server.silent("/mute", "");
    server.silent("/silent", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100\r\n\r\npart");
    CBrovanaApp other;
    other.attach(GetModuleHandleW(nullptr));
    std::string muteUrl = server.url("/mute"), silentUrl = server.url("/silent");
    auto fromMute = std::async(std::launch::async, [&] { return brovana::fetchPage(app, muteUrl.c_str()); });
    auto fromSilent = std::async(std::launch::async, [&] { return brovana::fetchPage(other, silentUrl.c_str()); });
    // Far beyond the limit: only a fetch that never gives up takes this long. Stopping the server then ends it.
    const auto bound = std::chrono::seconds(120);
    bool ended = fromMute.wait_for(bound) == std::future_status::ready &&
                 fromSilent.wait_for(bound) == std::future_status::ready;
    server.stop();
    ASSERT_TRUE(ended) << "a fetch from a silent server did not give up";
    EXPECT_EQ(fromMute.get(), -1);
    EXPECT_EQ(fromSilent.get(), -1);
    EXPECT_EQ(app.HtmlText, "1.0.0.1");
    EXPECT_EQ(other.HtmlLength, 0);
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
