// Brovana's window exports against windows of a test program of our own: a thread of this process that owns
// two top-level windows with the controls the exports look for, pumps their messages and records what happened
// to them. The exports reach it through SendMessage as they would reach another program.
#include "tests/browser/brovana_library.h"

#include <commctrl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

using FindProgramFn = HWND(__stdcall*)(const char*);
using FindControlFn = HWND(__stdcall*)(HWND, std::uint32_t, const char*);
using EditFn = BYTE(__stdcall*)(HWND, const char*);
using SendFn = LRESULT(__stdcall*)(HWND);
using TopFn = BYTE(__stdcall*)(HWND, std::uint32_t);
using WindowFn = BYTE(__stdcall*)(HWND);
using SizeFn = BYTE(__stdcall*)(HWND, int, int, int, int);
using DesktopFn = void(__stdcall*)(short*, short*, short*, short*);

// "Brovana 시험 창 Alpha" and "Brovana 둘째 창" in code page 949, as callers pass titles.
const char kTitle[] = "Brovana \xBD\xC3\xC7\xE8 \xC3\xA2 Alpha";
const char kSecondTitle[] = "Brovana \xB5\xD1\xC2\xB0 \xC3\xA2";

// What the test windows saw.
std::atomic<int> clicks{0};        // BN_CLICKED from the enabled button
std::atomic<int> closes{0};        // WM_CLOSE on the second window

LRESULT CALLBACK TestProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
        if (LOWORD(wparam) == 1) ++clicks;
        return 0;
    }
    if (message == WM_CLOSE) {
        ++closes;
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

std::wstring wide(const char* ansi) {
    wchar_t buffer[256];
    int n = MultiByteToWideChar(949, 0, ansi, -1, buffer, 256);
    return std::wstring(buffer, n > 0 ? n - 1 : 0);
}

// The test program's windows, made and pumped on a thread of their own.
class TestWindows {
public:
    TestWindows() {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ready] { run(ready); });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~TestWindows() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND main = nullptr, second = nullptr, button = nullptr, disabled = nullptr, edit = nullptr,
         comboEdit = nullptr, group = nullptr, inner = nullptr;

private:
    void run(HANDLE ready) {
        threadId_ = GetCurrentThreadId();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BrovanaTestWindow";
        RegisterClassW(&wc);
        HINSTANCE inst = wc.hInstance;
        main = CreateWindowExW(0, wc.lpszClassName, wide(kTitle).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                               500, 300, nullptr, nullptr, inst, nullptr);
        auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, HWND parent) {
            return CreateWindowExW(0, cls, text, WS_CHILD | style, 10, 10 + id * 30, 150, 25, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
        };
        button = child(L"Button", L"\xD655\xC778", WS_VISIBLE | BS_PUSHBUTTON, 1, main); // 확인
        disabled = child(L"Button", L"Off", WS_DISABLED | BS_PUSHBUTTON, 2, main);     // hidden and disabled
        edit = child(L"Edit", L"", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 3, main);
        HWND combo = CreateWindowExW(0, WC_COMBOBOXEXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 10, 130, 150,
                                     200, main, reinterpret_cast<HMENU>(4), inst, nullptr);
        HWND comboBox = FindWindowExW(combo, nullptr, L"ComboBox", nullptr);
        comboEdit = comboBox ? FindWindowExW(comboBox, nullptr, L"Edit", nullptr) : nullptr;
        group = child(L"Static", L"", WS_VISIBLE, 5, main);
        inner = child(L"Button", L"Inner", WS_VISIBLE | BS_PUSHBUTTON, 0, group);
        second = CreateWindowExW(0, wc.lpszClassName, wide(kSecondTitle).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 600, 50, 300, 200, nullptr, nullptr, inst, nullptr);
        child(L"Button", L"\xD655\xC778", WS_VISIBLE | BS_PUSHBUTTON, 1, second);
        SetEvent(ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (IsWindow(second)) DestroyWindow(second);
        DestroyWindow(main);
    }
    std::thread thread_;
    DWORD threadId_ = 0;
};

std::wstring textOf(HWND window) {
    wchar_t buffer[4096] = {};
    GetWindowTextW(window, buffer, 4096);
    return buffer;
}

BOOL CALLBACK FirstWindow(HWND window, LPARAM out) {
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
}

class WindowExports : public ::testing::Test {
protected:
    BrovanaLibrary lib;
    TestWindows windows;
};

TEST_F(WindowExports, FindProgramMatchesAnyPartOfTheTitleWithCase) {
    auto find = lib.get<FindProgramFn>("FindProgram");
    auto byOrdinal = lib.get<FindProgramFn>(27);
    struct Case {
        const char* part;
        HWND expected;
    };
    const Case cases[] = {
        {"Brovana \xBD\xC3\xC7\xE8", windows.main}, // start
        {"\xC7\xE8 \xC3\xA2 Al", windows.main},     // middle, Korean
        {"Alpha", windows.main},                    // end
        {"\xB5\xD1\xC2\xB0", windows.second},
        {"alpha", nullptr},                         // case differs
        {"Brovana \xBD\xC3\xC7\xE8 \xC3\xA2 Alpha!", nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(find(c.part), c.expected) << c.part;
        EXPECT_EQ(byOrdinal(c.part), c.expected) << c.part;
    }
    // The empty text finds the first window of the enumeration, whatever its title; so does a null text.
    HWND first = nullptr;
    EnumWindows(FirstWindow, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(find(""), first);
    EXPECT_EQ(find(nullptr), first);
}

TEST_F(WindowExports, FindControlByKind) {
    auto find = lib.get<FindControlFn>(28);
    HWND w = windows.main;
    ASSERT_NE(windows.comboEdit, nullptr);
    EXPECT_EQ(find(w, 1, "\xC8\xAE\xC0\xCE"), windows.button); // 확인
    EXPECT_EQ(find(w, 1, ""), nullptr) << "an empty name finds no button";
    EXPECT_EQ(find(w, 1, "Inner"), nullptr) << "a button inside a child window is not a direct child";
    EXPECT_EQ(find(w, 2, nullptr), windows.comboEdit);
    EXPECT_EQ(find(windows.second, 2, ""), nullptr) << "no extended combo box";
    EXPECT_EQ(find(w, 3, "ignored"), windows.edit);
    EXPECT_EQ(find(w, 4, "Static"), windows.group);
    EXPECT_EQ(find(w, 5, ""), nullptr);
    EXPECT_EQ(find(w, 6, "Button"), nullptr);
    EXPECT_EQ(find(w, 0x101, "\xC8\xAE\xC0\xCE"), windows.button) << "only the low byte of the kind counts";
    EXPECT_EQ(find(nullptr, 3, ""), nullptr);
}

TEST_F(WindowExports, CtrlEditStringSetsAtMost1023Characters) {
    auto set = lib.get<EditFn>("CtrlEditString");
    std::string exact(1023, 'x');
    EXPECT_EQ(set(windows.edit, exact.c_str()), TRUE);
    EXPECT_EQ(textOf(windows.edit), std::wstring(1023, L'x'));

    // 1,100 Hangul syllables (2,200 bytes) keep their first 1,023, every one whole.
    std::string korean;
    for (int i = 0; i < 1100; ++i) korean += "\xB0\xA1"; // 가
    EXPECT_EQ(set(windows.edit, korean.c_str()), TRUE);
    EXPECT_EQ(textOf(windows.edit), std::wstring(1023, L'\xAC00'));

    EXPECT_EQ(set(windows.edit, nullptr), TRUE);
    EXPECT_EQ(textOf(windows.edit), L"");
    EXPECT_EQ(set(reinterpret_cast<HWND>(0x12345), "x"), FALSE);
}

TEST_F(WindowExports, ClicksClosesAndPlaces) {
    auto click = lib.get<SendFn>(30);
    auto close = lib.get<SendFn>("WindowClose");
    clicks = closes = 0;

    EXPECT_EQ(click(windows.button), 0);
    EXPECT_EQ(clicks, 1);
    // The disabled button is shown and stays disabled; the click is sent all the same. (Windows' button ignores
    // it; Wine's button reports it, so what the button then does is the platform's and not checked here.)
    EXPECT_FALSE(IsWindowVisible(windows.disabled));
    EXPECT_EQ(click(windows.disabled), 0);
    EXPECT_TRUE(IsWindowVisible(windows.disabled));
    EXPECT_FALSE(IsWindowEnabled(windows.disabled));

    auto top = lib.get<TopFn>("SetTopWindow");
    auto exStyle = [&] { return GetWindowLongW(windows.main, GWL_EXSTYLE) & WS_EX_TOPMOST; };
    EXPECT_EQ(top(windows.main, 1), TRUE);
    EXPECT_NE(exStyle(), 0);
    EXPECT_EQ(top(windows.main, 2), TRUE);
    EXPECT_EQ(exStyle(), 0);
    EXPECT_EQ(top(windows.main, 0x201), TRUE) << "only the low byte counts";
    EXPECT_NE(exStyle(), 0);
    top(windows.main, 0);

    auto size = lib.get<SizeFn>("SetWindowSize");
    EXPECT_EQ(size(windows.main, 70, 80, 420, 260), TRUE);
    RECT r{};
    GetWindowRect(windows.main, &r);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 260);

    auto show = lib.get<WindowFn>("SetHideWindow");
    ShowWindow(windows.second, SW_HIDE);
    EXPECT_EQ(show(windows.second), TRUE);
    EXPECT_TRUE(IsWindowVisible(windows.second));

    auto activate = lib.get<WindowFn>("SetActWindow");
    EXPECT_EQ(activate(windows.second), TRUE);
    EXPECT_EQ(GetForegroundWindow(), windows.second);

    auto exists = lib.get<WindowFn>(38);
    EXPECT_EQ(exists(windows.second), 1);
    EXPECT_EQ(close(windows.second), 0);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(exists(windows.second), 0);
    EXPECT_EQ(exists(nullptr), 0);

    // A handle that is not a window: nothing is sent, everything answers 0.
    HWND gone = windows.second;
    EXPECT_EQ(click(gone), 0);
    EXPECT_EQ(close(gone), 0);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(top(gone, 1), FALSE);
    EXPECT_EQ(activate(gone), FALSE);
    EXPECT_EQ(show(gone), FALSE);
    EXPECT_EQ(size(gone, 0, 0, 10, 10), FALSE);
}

TEST(WindowExportsDesktop, SizeOfTheDesktop) {
    BrovanaLibrary lib;
    auto desktop = lib.get<DesktopFn>(6);
    short l = -1, t = -1, r = -1, b = -1;
    desktop(&l, &t, &r, &b);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(r, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(b, GetSystemMetrics(SM_CYSCREEN));
    desktop(nullptr, nullptr, nullptr, nullptr); // skipped, no fault
}

} // namespace
