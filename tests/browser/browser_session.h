// What the tests of the browser window and of the simulated input share: the exports of those two families,
// resolved by ordinal from Brovana.dll as an outside caller loads it, and the browser stand-in seen from the
// test: its window, the messages its page area recorded, and its steering.
#pragma once

#include "tests/browser/brovana_library.h"
#include "tests/browser/standin/shared.h"

#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

// name, ordinal, result, arguments; BYTE and 16-bit arguments are passed in a whole 32-bit slot.
#define BROWSER_EXPORTS(X)                                                                                             \
    X(ViewIEWindow, 1, BYTE, (const char*, std::uint32_t))                                                             \
    X(CloseIEWindow, 2, void, ())                                                                                      \
    X(GoUrl, 3, void, (const char*))                                                                                   \
    X(SetIEWinSize, 4, void, (std::uint32_t, std::uint32_t))                                                           \
    X(GetIEWinSize, 5, BYTE, (short*, short*, short*, short*))                                                         \
    X(GoIEHome, 7, void, ())                                                                                           \
    X(GoIEForward, 8, void, ())                                                                                        \
    X(GoIEBack, 9, void, ())                                                                                           \
    X(GoIEStop, 10, void, ())                                                                                          \
    X(GetIEForward, 11, BYTE, ())                                                                                      \
    X(GetIEBack, 12, BYTE, ())                                                                                         \
    X(ShowIEAddressBar, 13, void, (std::uint32_t))                                                                     \
    X(ShowIEMenuBar, 14, void, (std::uint32_t))                                                                        \
    X(ShowIEToolBar, 15, void, (std::uint32_t))                                                                        \
    X(ShowIEStatusBar, 16, void, (std::uint32_t))                                                                      \
    X(IsIEWindow, 17, BYTE, ())                                                                                        \
    X(ShowNewWindow, 18, void, (std::uint32_t))                                                                        \
    X(SetIETopWindow, 19, void, (std::uint32_t))                                                                       \
    X(GetIEBusy, 20, BYTE, ())                                                                                         \
    X(GetIEComplete, 21, BYTE, ())                                                                                     \
    X(GetIEWinTitle, 42, BYTE, (char*))                                                                                \
    X(GetIEMousePos, 22, BYTE, (int*, int*, int*, int*))                                                               \
    X(IEMouseClick, 23, void, (int, int))                                                                              \
    X(IEInputString, 24, BYTE, (const char*))                                                                          \
    X(IEInputChar, 25, BYTE, (std::uint32_t))                                                                          \
    X(IEMouseInputString, 26, BYTE, (int, int, const char*))                                                           \
    X(IEMouseMove, 32, void, (int, int))                                                                               \
    X(IEGetCursorType, 33, BYTE, ())                                                                                   \
    X(IEMouseDrag, 39, void, (int, int, int, int))                                                                     \
    X(IEScrollPage, 40, BYTE, (std::uint32_t, int))                                                                    \
    X(IEPageScroll, 41, void, (int, int, int))                                                                         \
    X(ShowMouseCursor, 47, int, (std::uint32_t))                                                                       \
    X(IEMouseMove2, 48, void, (int, int))                                                                              \
    X(IEMouseClick2, 49, void, (int, int))                                                                             \
    X(IESetForegroundWin, 50, void, ())                                                                                \
    X(IEClickInterval, 51, void, (int, int, std::uint32_t))                                                            \
    X(IEClickMiddleBtn, 52, void, (int, int, int, int, std::uint32_t))                                                 \
    X(IEMouseInputNumber, 53, BYTE, (int, int, const char*))                                                           \
    X(MouseMove, 55, BOOL, (int, int))                                                                                 \
    X(MouseClick, 56, void, (int, int))                                                                                \
    X(IEMouseInputString2, 61, BYTE, (int, int, const char*))                                                          \
    X(IEInputString2, 62, BYTE, (const char*))

// The exports, each found by its ordinal.
struct BrowserApi {
#define BROWSER_MEMBER(name, ordinal, result, args) result(__stdcall* name) args = nullptr;
    BROWSER_EXPORTS(BROWSER_MEMBER)
#undef BROWSER_MEMBER
    explicit BrowserApi(const BrovanaLibrary& lib) {
#define BROWSER_LOAD(name, ordinal, result, args) name = lib.get<decltype(name)>(static_cast<WORD>(ordinal));
        BROWSER_EXPORTS(BROWSER_LOAD)
#undef BROWSER_LOAD
    }
};

// Pumps this thread's messages (the browser's events arrive through them) until done() holds; false when it
// does not within ten seconds, which only a fault makes happen.
inline bool pumpUntil(const std::function<bool()>& done) {
    const DWORD limit = 10000, start = GetTickCount();
    while (!done()) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= limit) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, limit - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

// The stand-in as the test sees it.
class StandIn {
public:
    StandIn() {
        shared_ = standin::openShared(&mapping_);
        if (!shared_) return;
        shared_->clientThread = static_cast<LONG>(GetCurrentThreadId());
        shared_->hold = 0;
        // The page area shows this process's system cursors, the ones the library compares with.
        shared_->ibeamCursor = static_cast<LONG>(reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_IBEAM)));
        shared_->handCursor = static_cast<LONG>(reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_HAND)));
        shared_->arrowCursor = static_cast<LONG>(reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    }
    ~StandIn() {
        if (shared_) {
            shared_->clientThread = 0;
            UnmapViewOfFile(shared_);
        }
        if (mapping_) CloseHandle(mapping_);
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    standin::Shared& shared() const { return *shared_; }
    bool ready() const { return shared_ != nullptr; }

    // The stand-in's browser windows that are open.
    static std::vector<HWND> windows() {
        std::vector<HWND> found;
        for (HWND w = FindWindowExW(nullptr, nullptr, standin::kFrameClass, nullptr); w;
             w = FindWindowExW(nullptr, w, standin::kFrameClass, nullptr))
            found.push_back(w);
        return found;
    }
    static HWND window() {
        auto all = windows();
        return all.size() == 1 ? all[0] : nullptr;
    }
    static HWND page() { return GetDlgItem(window(), standin::kPageId); }

    // Sends a steering command and waits until the stand-in has carried it out (its events included); its answer.
    LONG steer(standin::Command command, UINT argument = 0) {
        LONG sequence = shared_->acked + 1;
        PostMessageW(window(), standin::kSteer, command | (argument << 8), sequence);
        bool done = pumpUntil([&] { return shared_->acked == sequence; });
        EXPECT_TRUE(done) << "the stand-in did not carry out command " << command;
        return done ? shared_->answer : -1;
    }

    // The messages the page area recorded from position from on.
    std::vector<standin::InputRecord> recordsFrom(LONG from) const {
        std::vector<standin::InputRecord> out;
        for (LONG i = from; i < shared_->count; ++i)
            out.push_back(shared_->records[i]);
        return out;
    }
    LONG recorded() const { return shared_->count; }

    // Presses F24 as this test and waits until the page area has it: everything sent before has arrived then.
    // The records from position from up to the marker; false when the marker never came.
    bool recordsUntilMarker(LONG from, std::vector<standin::InputRecord>& out) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[1].ki.wVk = VK_F24;
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof in[0]);
        auto isMarkerUp = [](const standin::InputRecord& r) {
            return (r.message == WM_KEYUP || r.message == WM_SYSKEYUP) && r.wParam == VK_F24;
        };
        LONG end = -1;
        bool found = pumpUntil([&] {
            for (LONG i = from; i < shared_->count; ++i)
                if (isMarkerUp(shared_->records[i])) {
                    end = i;
                    return true;
                }
            return false;
        });
        out.clear();
        for (LONG i = from; found && i < end; ++i)
            if (shared_->records[i].wParam != VK_F24) out.push_back(shared_->records[i]);
        return found;
    }

private:
    HANDLE mapping_ = nullptr;
    standin::Shared* shared_ = nullptr;
};

// A test with the library loaded and the stand-in's shared block open; whatever browser the test opened is
// closed at its end.
class BrowserSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib.module, nullptr) << "LoadLibrary failed with " << GetLastError();
        ASSERT_TRUE(standIn.ready());
    }
    void TearDown() override {
        api.CloseIEWindow();
        // A window the library lost track of is closed as a user would.
        for (HWND w : StandIn::windows())
            PostMessageW(w, WM_CLOSE, 0, 0);
        EXPECT_TRUE(pumpUntil([] { return StandIn::windows().empty(); })) << "a stand-in window stays open";
        standIn.shared().hold = 0;
    }

    // Opens the browser on a page and sees the page in; the stand-in's window.
    HWND open(std::uint32_t resizable = 1, const char* url = "http://start.invalid/") {
        EXPECT_EQ(api.ViewIEWindow(url, resizable), 1);
        EXPECT_EQ(api.IsIEWindow(), 1);
        HWND window = StandIn::window();
        EXPECT_NE(window, nullptr);
        // The library listens before the first navigation starts: its completion is in once the stand-in has
        // carried out what came before a steering command.
        standIn.steer(standin::kSync);
        EXPECT_EQ(api.GetIEComplete(), 1);
        return window;
    }

    BrovanaLibrary lib;
    BrowserApi api{lib};
    StandIn standIn;
};
