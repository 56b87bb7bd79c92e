// The browser-window exports against the browser stand-in, called by ordinal as an outside caller does: opening
// once, the bars and frame at start and on request, the user closing the browser, the completion and can-go flags
// across the browser's events, new windows, size, position and title, and everything before a browser exists.
#include "tests/browser/browser_session.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <thread>

namespace {

using Browser = BrowserSession;
using standin::kAddressBarId;
using standin::kMenuBarId;
using standin::kStatusBarId;
using standin::kToolBarId;

bool barShown(HWND window, int id) {
    return IsWindowVisible(GetDlgItem(window, id)) != FALSE;
}

std::string titleOf(HWND window) {
    wchar_t wide[255] = {};
    GetWindowTextW(window, wide, 255);
    char ansi[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

TEST(BrowserExports, SameFunctionByNameAndByOrdinal) {
    BrovanaLibrary lib;
    ASSERT_NE(lib.module, nullptr);
    struct Export {
        const char* name;
        WORD ordinal;
    };
#define BROWSER_ENTRY(name, ordinal, result, args) {#name, ordinal},
    const Export exports[] = {BROWSER_EXPORTS(BROWSER_ENTRY)};
#undef BROWSER_ENTRY
    for (const Export& e : exports) {
        FARPROC byName = GetProcAddress(lib.module, e.name);
        EXPECT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(byName, GetProcAddress(lib.module, MAKEINTRESOURCEA(e.ordinal))) << e.name;
    }
}

// Before any browser: every browser export answers 0 and does nothing, writes nothing through its pointers, faults
// on none, and no browser starts.
TEST_F(Browser, EveryExportBeforeViewIEWindowAnswersZero) {
    short s[4] = {7, 7, 7, 7};
    char title[256];
    std::memset(title, 'x', sizeof title);
    LONG before = standIn.recorded();
    struct Call {
        const char* what;
        std::function<int()> call;
    };
    const Call calls[] = {
        {"CloseIEWindow", [&] { return api.CloseIEWindow(), 0; }},
        {"GoUrl", [&] { return api.GoUrl("http://x.invalid/"), 0; }},
        {"GoUrl null", [&] { return api.GoUrl(nullptr), 0; }},
        {"SetIEWinSize", [&] { return api.SetIEWinSize(400, 300), 0; }},
        {"GetIEWinSize", [&] { return int{api.GetIEWinSize(&s[0], &s[1], &s[2], &s[3])}; }},
        {"GetIEWinSize null", [&] { return int{api.GetIEWinSize(nullptr, nullptr, nullptr, nullptr)}; }},
        {"GoIEHome", [&] { return api.GoIEHome(), 0; }},
        {"GoIEForward", [&] { return api.GoIEForward(), 0; }},
        {"GoIEBack", [&] { return api.GoIEBack(), 0; }},
        {"GoIEStop", [&] { return api.GoIEStop(), 0; }},
        {"GetIEForward", [&] { return int{api.GetIEForward()}; }},
        {"GetIEBack", [&] { return int{api.GetIEBack()}; }},
        {"ShowIEAddressBar", [&] { return api.ShowIEAddressBar(1), 0; }},
        {"ShowIEMenuBar", [&] { return api.ShowIEMenuBar(1), 0; }},
        {"ShowIEToolBar", [&] { return api.ShowIEToolBar(1), 0; }},
        {"ShowIEStatusBar", [&] { return api.ShowIEStatusBar(1), 0; }},
        {"IsIEWindow", [&] { return int{api.IsIEWindow()}; }},
        {"ShowNewWindow", [&] { return api.ShowNewWindow(1), 0; }},
        {"SetIETopWindow", [&] { return api.SetIETopWindow(1), 0; }},
        {"GetIEBusy", [&] { return int{api.GetIEBusy()}; }},
        {"GetIEComplete", [&] { return int{api.GetIEComplete()}; }},
        {"GetIEWinTitle", [&] { return int{api.GetIEWinTitle(title)}; }},
        {"GetIEWinTitle null", [&] { return int{api.GetIEWinTitle(nullptr)}; }},
        {"IEMouseClick", [&] { return api.IEMouseClick(10, 10), 0; }},
        {"IEInputString", [&] { return int{api.IEInputString("a")}; }},
        {"IEInputString2", [&] { return int{api.IEInputString2("a")}; }},
        {"IEInputChar", [&] { return int{api.IEInputChar(1)}; }},
        {"IEMouseInputString", [&] { return int{api.IEMouseInputString(10, 10, "a")}; }},
        {"IEMouseInputString2", [&] { return int{api.IEMouseInputString2(10, 10, "a")}; }},
        {"IEMouseInputNumber", [&] { return int{api.IEMouseInputNumber(10, 10, "1")}; }},
        {"IEMouseMove", [&] { return api.IEMouseMove(10, 10), 0; }},
        {"IEMouseMove2", [&] { return api.IEMouseMove2(10, 10), 0; }},
        {"IEMouseClick2", [&] { return api.IEMouseClick2(10, 10), 0; }},
        {"IEClickInterval", [&] { return api.IEClickInterval(10, 10, 5), 0; }},
        {"IEClickMiddleBtn", [&] { return api.IEClickMiddleBtn(10, 10, 20, 20, 5), 0; }},
        {"IEMouseDrag", [&] { return api.IEMouseDrag(10, 10, 20, 20), 0; }},
        {"IEPageScroll", [&] { return api.IEPageScroll(0, 10, 10), 0; }},
        {"IEScrollPage", [&] { return int{api.IEScrollPage(2, 0)}; }},
        {"IESetForegroundWin", [&] { return api.IESetForegroundWin(), 0; }},
    };
    POINT cursor{};
    GetCursorPos(&cursor);
    for (const Call& c : calls)
        EXPECT_EQ(c.call(), 0) << c.what;
    for (short v : s)
        EXPECT_EQ(v, 7);
    for (char c : title)
        ASSERT_EQ(c, 'x') << "GetIEWinTitle wrote into the buffer";
    EXPECT_TRUE(StandIn::windows().empty()) << "a browser started";
    EXPECT_EQ(standIn.recorded(), before);

    // The pointer position needs no browser: the screen point, and 0 for the client point.
    int cx = 5, cy = 5, sx = 0, sy = 0;
    EXPECT_EQ(api.GetIEMousePos(&cx, &cy, &sx, &sy), 1);
    EXPECT_EQ(cx, 0);
    EXPECT_EQ(cy, 0);
    EXPECT_EQ(sx, cursor.x);
    EXPECT_EQ(sy, cursor.y);
    EXPECT_EQ(api.GetIEMousePos(nullptr, nullptr, nullptr, nullptr), 1);
}

// The browser opens once, resizable only for exactly 1 in the argument's low byte, with all bars hidden.
TEST_F(Browser, OpensOnceResizableByItsArgumentWithBarsHidden) {
    const struct {
        std::uint32_t resizable;
        bool expected;
        const char* url; // a null address opens as an empty one
    } rows[] = {{1, true, "http://start.invalid/"}, {0x0301, true, nullptr}, {0, false, ""}, {2, false, nullptr}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.resizable);
        HWND window = open(row.resizable, row.url);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ((GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0, row.expected);
        EXPECT_TRUE(IsWindowVisible(window));
        for (int id : {kAddressBarId, kMenuBarId, kToolBarId, kStatusBarId})
            EXPECT_FALSE(barShown(window, id)) << id;

        EXPECT_EQ(api.ViewIEWindow("http://second.invalid/", 1), 0);
        EXPECT_EQ(StandIn::windows().size(), 1u) << "a second browser started";
        EXPECT_EQ(api.IsIEWindow(), 1);

        api.CloseIEWindow();
        EXPECT_EQ(api.IsIEWindow(), 0);
        EXPECT_TRUE(pumpUntil([] { return StandIn::windows().empty(); })) << "the browser did not quit";
    }
}

TEST_F(Browser, BarsTopmostSizeAndTitle) {
    HWND window = open();
    ASSERT_NE(window, nullptr);
    using Show = void(__stdcall*)(std::uint32_t);
    const struct {
        Show show;
        int bar;
    } bars[] = {{api.ShowIEAddressBar, kAddressBarId},
                {api.ShowIEMenuBar, kMenuBarId},
                {api.ShowIEToolBar, kToolBarId},
                {api.ShowIEStatusBar, kStatusBarId}};
    // Only a low byte of exactly 1 shows a bar.
    const struct {
        std::uint32_t on;
        bool shown;
    } values[] = {{1, true}, {2, false}, {0x0101, true}, {0x0100, false}};
    for (const auto& b : bars)
        for (const auto& v : values) {
            b.show(v.on);
            standIn.steer(standin::kSync);
            EXPECT_EQ(barShown(window, b.bar), v.shown) << "bar " << b.bar << " with " << v.on;
        }

    for (const auto& v : values) {
        api.SetIETopWindow(v.on);
        EXPECT_EQ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, v.shown) << v.on;
    }

    // The size is read from the low 16 bits of each slot; the window goes to the desktop's right edge.
    RECT desktop{};
    GetClientRect(GetDesktopWindow(), &desktop);
    api.SetIEWinSize(0xABCD0000u | 400, 0x12340000u | 300);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, desktop.right - 400);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 300);
    MoveWindow(window, 100, 50, 800, 600, TRUE);
    short left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(api.GetIEWinSize(&left, &top, &width, &height), 1);
    EXPECT_EQ(left, 100);
    EXPECT_EQ(top, 50);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(api.GetIEWinSize(nullptr, nullptr, nullptr, nullptr), 1);

    char title[256] = {};
    EXPECT_EQ(api.GetIEWinTitle(title), 1);
    EXPECT_EQ(std::string(title), titleOf(window));
    EXPECT_NE(std::string(title).find("start.invalid/"), std::string::npos) << title;
}

// The user closes the browser: the library forgets it, answers as before a browser, and may open a new one.
TEST_F(Browser, UserClosingTheBrowserLetsANewOneOpen) {
    HWND window = open();
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return api.IsIEWindow() == 0; })) << "the quit event did not arrive";
    char title[256];
    std::memset(title, 'x', sizeof title);
    EXPECT_EQ(api.GetIEWinTitle(title), 0);
    EXPECT_EQ(title[0], 'x');
    EXPECT_EQ(api.GetIEComplete(), 0);
    EXPECT_TRUE(pumpUntil([] { return StandIn::windows().empty(); }));

    window = open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(api.IsIEWindow(), 1);
}

// Completion is cleared by the start of a top-level navigation and set by its end; a frame's events change
// nothing. Busy follows the browser.
TEST_F(Browser, CompletionFollowsTheTopLevelDocumentOnly) {
    ASSERT_NE(open(), nullptr);
    standIn.shared().hold = 1;
    api.GoUrl("http://start.invalid/next");
    standIn.steer(standin::kSync);
    EXPECT_EQ(api.GetIEComplete(), 0);
    EXPECT_EQ(api.GetIEBusy(), 1);
    standIn.steer(standin::kFrameNavigation);
    EXPECT_EQ(api.GetIEComplete(), 0) << "a frame's DocumentComplete set the flag";
    standIn.steer(standin::kFinishNavigation);
    EXPECT_EQ(api.GetIEComplete(), 1);
    EXPECT_EQ(api.GetIEBusy(), 0);
    standIn.steer(standin::kFrameNavigation);
    EXPECT_EQ(api.GetIEComplete(), 1) << "a frame's BeforeNavigate2 cleared the flag";

    // Stopped half-way: not busy, not complete.
    api.GoUrl("http://start.invalid/stopped");
    standIn.steer(standin::kSync);
    EXPECT_EQ(api.GetIEComplete(), 0);
    api.GoIEStop();
    EXPECT_EQ(api.GetIEBusy(), 0);
    EXPECT_EQ(api.GetIEComplete(), 0);
}

// The user closes the browser while an export waits for the browser's answer: the quit event comes inside that
// call, and the export finishes on the object it started with instead of the one the event took away.
TEST_F(Browser, AnExportOutlivesTheBrowserQuittingInsideItsCall) {
    char title[256];
    const struct {
        const char* what;
        std::function<void()> call;
    } calls[] = {
        {"GetIEBusy", [&] { api.GetIEBusy(); }},
        {"IEScrollPage", [&] { api.IEScrollPage(2, 0); }},
        {"GetIEWinTitle", [&] { api.GetIEWinTitle(title); }},
        {"SetIETopWindow", [&] { api.SetIETopWindow(1); }},
        {"GoUrl", [&] { api.GoUrl("http://start.invalid/next"); }},
        {"ShowIEAddressBar", [&] { api.ShowIEAddressBar(1); }},
        {"GoIEStop", [&] { api.GoIEStop(); }},
        {"IEMouseMove", [&] { api.IEMouseMove(10, 10); }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(open(), nullptr);
        standIn.shared().quitInCall = 1;
        c.call();
        EXPECT_EQ(standIn.shared().quitInCall, 0) << "the call did not reach the browser";
        EXPECT_EQ(api.IsIEWindow(), 0) << "the quit event did not come inside the call";
        EXPECT_EQ(api.GetIEBusy(), 0);
        EXPECT_TRUE(pumpUntil([] { return StandIn::windows().empty(); }));
    }
    standIn.shared().quitInCall = 0;
}

// A caller whose thread has no COM apartment of its own, as a program in plain C: it opens and closes the browser
// twice, and the calls that the browser still sends after each close find the thread as the library left it.
TEST(BrowserCaller, WithoutAnApartmentOpensAndClosesTwice) {
    std::thread caller([] {
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        ASSERT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED) << "the thread has an apartment";
        StandIn standIn; // wakes this thread
        ASSERT_TRUE(standIn.ready());
        BrovanaLibrary lib;
        ASSERT_NE(lib.module, nullptr);
        BrowserApi api(lib);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            ASSERT_EQ(api.ViewIEWindow("http://start.invalid/", 1), 1);
            ASSERT_EQ(api.IsIEWindow(), 1);
            standIn.steer(standin::kSync);
            EXPECT_EQ(api.GetIEComplete(), 1);
            api.CloseIEWindow();
            EXPECT_EQ(api.IsIEWindow(), 0);
            EXPECT_TRUE(pumpUntil([] { return StandIn::windows().empty(); })) << "the browser did not quit";
        }
    });
    caller.join();
}

// The can-go flags follow the browser's command-state events for commands 1 and 2 only.
TEST_F(Browser, CanGoFlagsFollowCommandStateChanges) {
    ASSERT_NE(open(), nullptr);
    const struct {
        const char* step;
        std::function<void()> act;
        BYTE forward, back;
    } steps[] = {
        {"opened", [] {}, 0, 0},
        {"a second page", [&] { api.GoUrl("http://start.invalid/page"); }, 0, 1},
        {"back", [&] { api.GoIEBack(); }, 1, 0},
        {"forward", [&] { api.GoIEForward(); }, 0, 1},
        {"back, then a new page",
         [&] {
             api.GoIEBack();
             standIn.steer(standin::kSync);
             api.GoUrl("http://n.invalid/");
         },
         0, 1},
        {"home", [&] { api.GoIEHome(); }, 0, 1},
        {"command 3 enabled", [&] { standIn.steer(standin::kCommandState, 3 | 1 << 8); }, 0, 1},
        {"command 1 enabled", [&] { standIn.steer(standin::kCommandState, 1 | 1 << 8); }, 1, 1},
        {"command 2 disabled", [&] { standIn.steer(standin::kCommandState, 2); }, 1, 0},
    };
    for (const auto& s : steps) {
        s.act();
        standIn.steer(standin::kSync);
        EXPECT_EQ(api.GetIEForward(), s.forward) << s.step;
        EXPECT_EQ(api.GetIEBack(), s.back) << s.step;
    }
}

// New windows open unless ShowNewWindow's low byte is exactly 1.
TEST_F(Browser, NewWindowsFollowShowNewWindow) {
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(standIn.steer(standin::kNewWindow), 0) << "refused before ShowNewWindow";
    const struct {
        std::uint32_t refuse;
        LONG cancelled;
    } rows[] = {{1, 1}, {0, 0}, {2, 0}, {0x0201, 1}, {0x0100, 0}};
    for (const auto& row : rows) {
        api.ShowNewWindow(row.refuse);
        LONG popups = standIn.shared().popups;
        EXPECT_EQ(standIn.steer(standin::kNewWindow), row.cancelled) << row.refuse;
        EXPECT_EQ(standIn.shared().popups, popups + (row.cancelled ? 0 : 1)) << row.refuse;
    }
    for (HWND p = FindWindowExW(nullptr, nullptr, standin::kPopupClass, nullptr); p;
         p = FindWindowExW(nullptr, p, standin::kPopupClass, nullptr))
        PostMessageW(p, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return standIn.shared().popups == 0; }));
}

// Unloading the library with a browser open disconnects from its events and leaves the browser open.
TEST(BrowserUnload, DisconnectsAndLeavesTheBrowserOpen) {
    StandIn standIn;
    ASSERT_TRUE(standIn.ready());
    LONG connected = standIn.shared().connections;
    {
        BrovanaLibrary lib;
        ASSERT_NE(lib.module, nullptr);
        BrowserApi api(lib);
        ASSERT_EQ(api.ViewIEWindow("http://start.invalid/", 1), 1);
        ASSERT_EQ(api.IsIEWindow(), 1);
        standIn.steer(standin::kSync);
        EXPECT_EQ(standIn.shared().connections, connected + 1);
    }
    EXPECT_EQ(GetModuleHandleW(L"Brovana.dll"), nullptr);
    EXPECT_TRUE(pumpUntil([&] { return standIn.shared().connections == connected; })) << "still connected";
    HWND window = StandIn::window();
    EXPECT_NE(window, nullptr) << "the browser closed with the library";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pumpUntil([] { return StandIn::windows().empty(); }));
}

// The child's part of the next test: with a browser open, the process ends without unloading the library.
TEST(BrowserExitChild, EndsWithTheBrowserOpen) {
    if (!GetEnvironmentVariableW(L"BROVANA_EXIT_CHILD", nullptr, 0)) GTEST_SKIP() << "run by BrowserExit only";
    StandIn standIn;
    BrovanaLibrary lib;
    BrowserApi api(lib);
    if (!standIn.ready() || api.ViewIEWindow("http://start.invalid/", 1) != 1) ExitProcess(1);
    standIn.steer(standin::kSync);
    ExitProcess(api.GetIEComplete() == 1 ? 7 : 2);
}

// A caller that ends with the browser open: the library makes no calls into the browser at exit (they could hold
// the exit up under the loader lock), so the process ends and the browser stays open and connected.
TEST(BrowserExit, ProcessEndsAndLeavesTheBrowserAlone) {
    StandIn standIn;
    ASSERT_TRUE(standIn.ready());
    LONG connected = standIn.shared().connections;
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring command = std::wstring(L"\"") + self + L"\" --gtest_filter=BrowserExitChild.*";
    SetEnvironmentVariableW(L"BROVANA_EXIT_CHILD", L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(L"BROVANA_EXIT_CHILD", nullptr);
    ASSERT_TRUE(started) << GetLastError();
    // Far beyond what an exit takes: only an exit that hangs waits this long.
    DWORD waited = WaitForSingleObject(child.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(child.hProcess, 9);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the process did not end";
    EXPECT_EQ(code, 7u);
    HWND window = StandIn::window();
    EXPECT_NE(window, nullptr) << "the browser closed with the process";
    EXPECT_EQ(standIn.shared().connections, connected + 1) << "the library disconnected at exit";
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pumpUntil([] { return StandIn::windows().empty(); }));
}

// The browser cannot be started: the library still holds a browser without a window until it is closed.
TEST_F(Browser, ABrowserThatCannotStartHoldsTheLibraryUntilClosed) {
    const wchar_t key[] = L"CLSID\\{0002DF01-0000-0000-C000-000000000046}\\LocalServer32";
    wchar_t server[1024] = {};
    LONG size = sizeof server;
    ASSERT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, key, server, &size), ERROR_SUCCESS);
    const wchar_t missing[] = L"Z:\\nowhere\\missing-browser.exe";
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, key, REG_SZ, missing, sizeof missing), ERROR_SUCCESS);
    const BYTE opened = api.ViewIEWindow("http://start.invalid/", 1);
    RegSetValueW(HKEY_CLASSES_ROOT, key, REG_SZ, server, static_cast<DWORD>((wcslen(server) + 1) * sizeof(wchar_t)));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(api.IsIEWindow(), 0);
    EXPECT_EQ(api.GetIEComplete(), 0);
    short s[4] = {7, 7, 7, 7};
    EXPECT_EQ(api.GetIEWinSize(&s[0], &s[1], &s[2], &s[3]), 0);
    EXPECT_EQ(s[0], 7);
    EXPECT_EQ(api.ViewIEWindow("http://start.invalid/", 1), 0) << "a second browser while the first is held";
    EXPECT_TRUE(StandIn::windows().empty());
    api.CloseIEWindow();
    EXPECT_NE(open(), nullptr);
}

} // namespace
