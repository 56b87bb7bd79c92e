// The application object on its own: what it holds after construction, its name, what its destruction leaves
// of the system cursors, and the conversion of a window title to the ANSI code page.
#include "browser/app.h"
#include "browser/pagetext.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

bool cursorAlive(HCURSOR cursor) {
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

TEST(BrovanaApp, StartsWithTheSystemCursorsAndNoPageOrBrowser) {
    CBrovanaApp app;
    EXPECT_EQ(app.sink, nullptr);
    EXPECT_EQ(app.arrowCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(app.ibeamCursor, LoadCursorW(nullptr, IDC_IBEAM));
    EXPECT_EQ(app.handCursor, LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(app.appStartingCursor, LoadCursorW(nullptr, IDC_APPSTARTING));
    EXPECT_EQ(app.waitCursor, LoadCursorW(nullptr, IDC_WAIT));
    for (HCURSOR c : {app.arrowCursor, app.ibeamCursor, app.handCursor, app.appStartingCursor, app.waitCursor})
        EXPECT_NE(c, nullptr);
    EXPECT_EQ(app.HtmlText, "");
    EXPECT_EQ(app.HtmlLength, 0);
    EXPECT_EQ(brovana::pageSource(app), nullptr);
    EXPECT_EQ(app.InitInstance(), TRUE);
}

TEST(BrovanaApp, NameIsTheModuleFileNameWithoutExtension) {
    CBrovanaApp app;
    EXPECT_EQ(app.appName, L"");
    app.attach(GetModuleHandleW(nullptr));
    EXPECT_EQ(app.instance, GetModuleHandleW(nullptr));
    EXPECT_TRUE(app.appName == L"browser_tests") << "got a name of " << app.appName.size() << " characters";
}

// The cursors are the system's shared ones: releasing them with the object must not take them from the process.
TEST(BrovanaApp, DestructionLeavesTheSystemCursorsUsable) {
    HCURSOR arrow = nullptr, wait = nullptr;
    for (int i = 0; i < 3; ++i) {
        auto app = std::make_unique<CBrovanaApp>();
        arrow = app->arrowCursor;
        wait = app->waitCursor;
    }
    EXPECT_TRUE(cursorAlive(arrow));
    EXPECT_TRUE(cursorAlive(wait));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), wait);
    SetCursor(arrow);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST(PageText, Utf8ToWideStopsAtNulAndKeepsInvalidBytesVisible) {
    EXPECT_TRUE(brovana::Utf8ToWide("") == L"");
    EXPECT_TRUE(brovana::Utf8ToWide("abc") == L"abc");
    EXPECT_TRUE(brovana::Utf8ToWide("\xED\x95\x9C\xEA\xB8\x80") == L"한글");
    EXPECT_TRUE(brovana::Utf8ToWide("ab\0cd") == L"ab");
    // A cut-off sequence: decoded the platform's way, but neither dropped silently nor running past the end.
    std::wstring cut = brovana::Utf8ToWide("a\xED\x95");
    ASSERT_GE(cut.size(), 2u);
    EXPECT_EQ(cut[0], L'a');
    EXPECT_LE(cut.size(), 3u) << "got " << cut.size() << " units";
}

// A top-level window with the given title, destroyed with the object.
struct TitledWindow {
    HWND hwnd;
    explicit TitledWindow(const std::wstring& title)
        : hwnd(CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPED, 0, 0, 100, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr)) {}
    ~TitledWindow() { DestroyWindow(hwnd); }
};

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string titleOf(const std::wstring& title) {
    TitledWindow w(title);
    char out[300];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(brovana::windowTitleAnsi(w.hwnd, out), TRUE);
    EXPECT_EQ(out[256], 'Z') << "wrote past the 256-byte buffer";
    return out;
}

TEST(PageText, WindowTitleInAnsiIsCutAtAWholeCharacter) {
    ASSERT_EQ(GetACP(), 949u);
    EXPECT_EQ(titleOf(L"한글 창"), "\xC7\xD1\xB1\xDB \xC3\xA2");

    // 254 characters are read at most; ASCII ones fit.
    EXPECT_EQ(titleOf(std::wstring(300, L'x')), std::string(254, 'x'));

    // Two bytes each: 'a' and 127 syllables make exactly 255 bytes.
    EXPECT_EQ(titleOf(L"a" + std::wstring(127, L'한')), "a" + repeat("\xC7\xD1", 127));

    // "ab" and 127 syllables would be 256 bytes: the last syllable goes, not half of it.
    std::string got = titleOf(L"ab" + std::wstring(127, L'한'));
    EXPECT_EQ(got.size(), 254u);
    EXPECT_EQ(got.substr(0, 2), "ab");
    EXPECT_EQ(got.substr(got.size() - 2), "\xC7\xD1");

    char out[256] = "unchanged";
    EXPECT_EQ(brovana::windowTitleAnsi(nullptr, out), TRUE);
    EXPECT_STREQ(out, "");
}

} // namespace
