// The simulated-input exports against the browser stand-in, checked on what its page area received: Alt codes on
// the numeric keypad and direct keys, the special keys, clicks, holds and drags at their client points, the
// pointer's position and shape, and the page's scroll position.
#include "tests/browser/browser_session.h"

#include <cstdlib>
#include <string>

namespace {

using Input = BrowserSession;
using standin::InputRecord;

bool keyDown(const InputRecord& r) {
    return r.message == WM_KEYDOWN || r.message == WM_SYSKEYDOWN;
}
bool keyUp(const InputRecord& r) {
    return r.message == WM_KEYUP || r.message == WM_SYSKEYUP;
}

// What was typed: "alt N" for each Alt press with the decimal code of its keypad digits, "key V" for each other
// key pressed and released. A keypad digit without its release or with another scan code than the layout's
// shows as a fault.
std::vector<std::string> typed(const std::vector<InputRecord>& log) {
    std::vector<std::string> out;
    bool alt = false;
    unsigned code = 0;
    int open = 0;
    std::string fault;
    for (const InputRecord& r : log) {
        const UINT vk = r.wParam;
        if (keyDown(r)) {
            if (vk == VK_MENU) {
                alt = true, code = 0, open = 0, fault.clear();
            } else if (alt && vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
                code = code * 10 + (vk - VK_NUMPAD0);
                ++open;
                if (((static_cast<UINT>(r.lParam) >> 16) & 0xFF) != MapVirtualKeyW(vk, MAPVK_VK_TO_VSC))
                    fault = " with a wrong scan code";
            } else {
                out.push_back("key " + std::to_string(vk) + (alt ? " under Alt" : ""));
            }
        } else if (keyUp(r)) {
            if (vk == VK_MENU && alt) {
                out.push_back("alt " + std::to_string(code) + fault + (open ? " with a key still down" : ""));
                alt = false;
            } else if (alt && vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
                --open;
            }
        }
    }
    if (alt) out.push_back("Alt still down");
    return out;
}

struct Button {
    UINT message;
    LONG x, y;
};

std::vector<Button> buttons(const std::vector<InputRecord>& log) {
    std::vector<Button> out;
    for (const InputRecord& r : log)
        switch (r.message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_LBUTTONDBLCLK:
            out.push_back({r.message, r.x, r.y});
            break;
        default:
            break;
        }
    return out;
}

// Absolute event coordinates lose a fraction of a pixel on the way back to the screen.
::testing::AssertionResult sameButtons(const std::vector<Button>& got, const std::vector<Button>& expected) {
    bool same = got.size() == expected.size();
    for (std::size_t i = 0; same && i < got.size(); ++i)
        same = got[i].message == expected[i].message && std::abs(got[i].x - expected[i].x) <= 1 &&
               std::abs(got[i].y - expected[i].y) <= 1;
    if (same) return ::testing::AssertionSuccess();
    auto show = [](const std::vector<Button>& list) {
        std::string s;
        for (const Button& b : list)
            s += " 0x" + std::to_string(b.message) + "@" + std::to_string(b.x) + "," + std::to_string(b.y);
        return s;
    };
    return ::testing::AssertionFailure() << "got" << show(got) << ", expected" << show(expected);
}

class InputSession : public Input {
protected:
    // The browser opened and in front, its page area holding the keyboard focus.
    HWND openInFront() {
        HWND window = open();
        if (!window) return nullptr;
        api.IESetForegroundWin();
        DWORD thread = GetWindowThreadProcessId(window, nullptr);
        EXPECT_TRUE(pumpUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) &&
                   info.hwndFocus == StandIn::page();
        })) << "the browser did not come to the front";
        return window;
    }

    // Runs an action and gives what the page area received up to this test's marker key.
    std::vector<InputRecord> receivedBy(const std::function<void()>& action) {
        LONG from = standIn.recorded();
        action();
        std::vector<InputRecord> log;
        EXPECT_TRUE(standIn.recordsUntilMarker(from, log)) << "the page area did not receive the marker";
        return log;
    }
};

const int kFieldX = 120, kFieldY = 35; // inside the stand-in's text field

TEST_F(InputSession, TypesAltCodesOnTheKeypadAndDirectKeys) {
    ASSERT_NE(openInFront(), nullptr);
    const struct {
        const char* what;
        std::function<BYTE()> call;
        bool clicks; // clicks into the text field first
        std::vector<std::string> keys;
    } rows[] = {
        {"가 clicked in", [&] { return api.IEMouseInputString(kFieldX, kFieldY, "\xB0\xA1"); }, true, {"alt 45217"}},
        {"A1 as two codes", [&] { return api.IEInputString("A1"); }, false, {"alt 65", "alt 49"}},
        {"0xA1 alone", [&] { return api.IEInputString2("\xA1"); }, false, {"alt 161"}},
        {"lead byte below the pair range",
         [&] { return api.IEInputString("\xA1\xA1"); },
         false,
         {"alt 161", "alt 161"}},
        {"trailing lead byte, with pauses",
         [&] { return api.IEMouseInputString2(kFieldX, kFieldY, "a\xB0"); },
         true,
         {"alt 97", "alt 45056"}},
        {"empty", [&] { return api.IEInputString(""); }, false, {}},
        {"null", [&] { return api.IEInputString(nullptr); }, false, {}},
        {"12 as direct keys",
         [&] { return api.IEMouseInputNumber(kFieldX, kFieldY, "12"); },
         true,
         {"key 49", "key 50"}},
        {"Hangul among direct keys",
         [&] {
             return api.IEMouseInputNumber(kFieldX, kFieldY,
                                           "\xB0\xA1"
                                           "3");
         },
         true,
         {"alt 45217", "key 51"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        BYTE result = 0;
        auto log = receivedBy([&] { result = row.call(); });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(typed(log), row.keys);
        std::vector<Button> clicks;
        if (row.clicks) clicks = {{WM_LBUTTONDOWN, kFieldX, kFieldY}, {WM_LBUTTONUP, kFieldX, kFieldY}};
        EXPECT_TRUE(sameButtons(buttons(log), clicks));
        // Direct keys carry a drawn time stamp of 10 to 24.
        for (const InputRecord& r : log) {
            if ((keyDown(r) || keyUp(r)) && r.wParam >= '0' && r.wParam <= '9') {
                EXPECT_TRUE(r.time >= 10 && r.time <= 24) << "time stamp " << r.time;
            }
        }
    }
}

TEST_F(InputSession, PressesTheSpecialKeys) {
    HWND window = openInFront();
    ASSERT_NE(window, nullptr);
    const struct {
        std::uint32_t code;
        BYTE result;
        std::vector<std::string> keys;
    } rows[] = {{1, 1, {"key 13"}}, {2, 1, {"key 9"}},       {3, 1, {"key 27"}}, {4, 1, {"key 8"}},
                {5, 1, {"key 35"}}, {0x0301, 1, {"key 13"}}, {6, 0, {}},         {0, 0, {}}};
    for (const auto& row : rows) {
        BYTE result = 0;
        auto log = receivedBy([&] { result = api.IEInputChar(row.code); });
        EXPECT_EQ(result, row.result) << row.code;
        EXPECT_EQ(typed(log), row.keys) << row.code;
    }

    // A code outside the table still brings the browser to the front first.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == other; }));
    EXPECT_EQ(api.IEInputChar(6), 0);
    EXPECT_TRUE(pumpUntil([&] { return GetForegroundWindow() == window; }));
    DestroyWindow(other);
}

// Each operation presses and releases its buttons at the client points given.
TEST_F(InputSession, MouseOperationsLandAtTheirClientPoints) {
    HWND window = openInFront();
    ASSERT_NE(window, nullptr);
    auto screen = [&](int x, int y) {
        POINT p{x, y};
        ClientToScreen(window, &p);
        return p;
    };
    const UINT LD = WM_LBUTTONDOWN, LU = WM_LBUTTONUP, MD = WM_MBUTTONDOWN, MU = WM_MBUTTONUP;
    const struct {
        const char* what;
        std::function<void()> act;
        std::vector<Button> expected;
    } rows[] = {
        {"click at the cursor", [&] { api.IEMouseClick(50, 150); }, {{LD, 50, 150}, {LU, 50, 150}}},
        // Before any absolute event: under X the pointer warp of an event can come back after a later
        // SetCursorPos and put the pointer back where the event left it.
        {"screen click",
         [&] {
             POINT p = screen(110, 210);
             api.MouseClick(p.x, p.y);
         },
         {{LD, 110, 210}, {LU, 110, 210}}},
        {"click by events", [&] { api.IEMouseClick2(60, 160); }, {{LD, 60, 160}, {LU, 60, 160}}},
        {"click and hold", [&] { api.IEClickInterval(70, 170, 20); }, {{LD, 70, 170}, {LU, 70, 170}}},
        {"negative hold", [&] { api.IEClickInterval(75, 175, 0xFFFF); }, {{LD, 75, 175}, {LU, 75, 175}}},
        // Held long enough for the pointer warps under X to settle before the release, which has no position.
        {"middle drag and hold",
         [&] { api.IEClickMiddleBtn(80, 180, 200, 220, 100); },
         {{MD, 80, 180}, {MU, 200, 220}}},
        {"drag", [&] { api.IEMouseDrag(90, 190, 250, 230); }, {{LD, 90, 190}, {LU, 250, 230}}},
        {"page scroll click", [&] { api.IEPageScroll(12345, 100, 200); }, {{LD, 100, 200}, {LU, 100, 200}}},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(sameButtons(buttons(receivedBy(row.act)), row.expected)) << row.what;
}

TEST_F(InputSession, PointerPositionAndShape) {
    HWND window = openInFront();
    ASSERT_NE(window, nullptr);
    api.IEMouseMove(30, 40);
    int cx = 0, cy = 0, sx = 0, sy = 0;
    EXPECT_EQ(api.GetIEMousePos(&cx, &cy, &sx, &sy), 1);
    POINT p{30, 40};
    ClientToScreen(window, &p);
    EXPECT_EQ(cx, 30);
    EXPECT_EQ(cy, 40);
    EXPECT_EQ(sx, p.x);
    EXPECT_EQ(sy, p.y);
    EXPECT_EQ(api.MouseMove(p.x + 5, p.y + 6), TRUE);
    POINT now{};
    GetCursorPos(&now);
    EXPECT_EQ(now.x, p.x + 5);
    EXPECT_EQ(now.y, p.y + 6);

    // The screen's centre as absolute event coordinates lands on the centre.
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    POINT centre{w / 2, h / 2}, client = centre;
    ScreenToClient(window, &client);
    receivedBy([&] { api.IEMouseMove2(client.x, client.y); });
    GetCursorPos(&now);
    EXPECT_LE(std::abs(now.x - centre.x), 1) << now.x;
    EXPECT_LE(std::abs(now.y - centre.y), 1) << now.y;

    // The shape over the page's text field, its link and elsewhere.
    const struct {
        POINT at;
        BYTE kind;
    } shapes[] = {{{kFieldX, kFieldY}, 2}, {{60, 90}, 3}, {{300, 300}, 1}, {{kFieldX + 10, kFieldY}, 2}};
    for (const auto& s : shapes) {
        receivedBy([&] { api.IEMouseMove2(s.at.x, s.at.y); });
        EXPECT_EQ(api.IEGetCursorType(), s.kind) << s.at.x << "," << s.at.y;
    }

    // The display counter moves up only for exactly 1 in the low byte.
    int shown = api.ShowMouseCursor(1);
    EXPECT_EQ(api.ShowMouseCursor(0x0100), shown - 1);
    EXPECT_EQ(api.ShowMouseCursor(0x0201), shown);
    EXPECT_EQ(api.ShowMouseCursor(2), shown - 1);
    ShowCursor(TRUE);
    ShowCursor(FALSE);
}

TEST_F(Input, ScrollsThePageByMode) {
    HWND window = open();
    ASSERT_NE(window, nullptr);
    RECT frame{}, view{};
    GetWindowRect(window, &frame);
    GetClientRect(StandIn::page(), &view);
    const LONG H = frame.bottom - frame.top, last = standin::kPageHeight - view.bottom;
    // Each row starts where the one before left the page. Every scroll builds the page's interfaces anew, which
    // costs more than a second under Wine, so the rows are few.
    const struct {
        std::uint32_t mode;
        int amount;
        LONG expected;
    } rows[] = {{0x0107, 1000, 1000}, {1, 0, 0},     {2, 0, last}, {4, 0, 0}, {7, 300, 300},
                {9, 0, 300},          {3, 0, H / 5}, {6, 0, 0},    {5, 0, H}, {8, 300, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(api.IEScrollPage(row.mode, row.amount), 1) << row.mode;
        EXPECT_EQ(standIn.shared().bodyScrollTop, row.expected) << row.mode;
        EXPECT_EQ(standIn.shared().rootScrollTop, row.expected) << row.mode;
    }
    // A page without a document: nothing to scroll.
    standIn.steer(standin::kDocument, 0);
    EXPECT_EQ(api.IEScrollPage(2, 0), 0);
    standIn.steer(standin::kDocument, 1);
}

} // namespace
