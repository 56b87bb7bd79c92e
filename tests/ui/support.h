// Shared pieces of the UI tests: CP949 literals, a scripted driver, pumping, finding the boxes the runtime shows,
// and small icon and picture files made on the spot.
#pragma once

#include "runtime/driver.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace uitest {

// A CP949 text from a UTF-16 literal: the runtime's texts are CP949.
inline std::string K(std::u16string_view s) {
    return rt::to_cp949(s);
}

// CP949 (or UTF-16) as UTF-8, for failure messages.
inline std::string u8(std::wstring_view w) {
    std::string out(w.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}
inline std::string u8(std::string_view cp949) {
    return u8(rt::wide(cp949));
}

// A driver that records what it was asked and answers from scripts.
class ScriptDriver : public rt::Driver {
public:
    std::vector<rt::MessageRequest> messages;
    std::deque<int> message_answers;
    std::vector<std::vector<std::string>> popups;
    std::deque<int> popup_answers;
    std::vector<std::string> stops;
    bool stop_answer = false;
    std::vector<std::string> halts;
    std::vector<std::string> file_dialogs; // the titles of the file-open dialogs asked for
    std::deque<std::string> file_answers;  // the chosen paths; an empty one cancels
    std::vector<std::string> file_starts;  // the file names each dialog started from
    std::vector<std::string> started;              // the command lines of the programs the program started
    std::string page = "http://127.0.0.1:9/";     // every web page it fetches: a closed port unless a test serves one
    int beeps = 0;
    int idle_calls = 0;
    int idle_limit = 500; // about five seconds of a window waiting for nothing
    std::function<void(rt::Window&)> on_idle;

    int message(const rt::MessageRequest& r) override {
        messages.push_back(r);
        if (message_answers.empty()) {
            ADD_FAILURE() << "unexpected message: " << u8(r.text);
            return 0;
        }
        const int a = message_answers.front();
        message_answers.pop_front();
        return a;
    }
    int popup(const std::vector<std::string>& items) override {
        popups.push_back(items);
        if (popup_answers.empty()) return 0;
        const int a = popup_answers.front();
        popup_answers.pop_front();
        return a;
    }
    bool stop(std::string_view text) override {
        stops.emplace_back(text);
        return stop_answer;
    }
    void halt(std::string_view text) override { halts.emplace_back(text); }
    void beep() override { ++beeps; }
    bool start_program(std::string_view command_line) override {
        started.emplace_back(command_line);
        return true;
    }
    std::string page_address(std::string_view) override { return page; }
    bool file_open(std::string_view title, std::string& path, std::string_view) override {
        file_dialogs.emplace_back(title);
        file_starts.push_back(path);
        if (file_answers.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << u8(title);
            return false;
        }
        std::string a = file_answers.front();
        file_answers.pop_front();
        if (a.empty()) return false;
        path = a;
        return true;
    }
    void idle(rt::Window& w) override {
        if (++idle_calls > idle_limit) throw std::runtime_error("the window waited with nothing to do");
        if (on_idle) on_idle(w);
    }
};

// Installs a driver for the scope.
class DriverScope {
public:
    explicit DriverScope(rt::Driver& d) { rt::install_driver(&d); }
    ~DriverScope() { rt::install_driver(nullptr); }
    DriverScope(const DriverScope&) = delete;
    DriverScope& operator=(const DriverScope&) = delete;
};

// Dispatches this thread's messages for ms milliseconds. It waits for them as a message loop does, which is
// also where the system brings what the windows painted to the screen.
inline void pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    } while (static_cast<long>(end - GetTickCount()) > 0);
}

// Without a driver of its own, a test waits through this one: it ends a wait that lasts more than five seconds,
// so that a missing event fails the test instead of hanging it.
class Watchdog : public rt::Driver {
public:
    int message(const rt::MessageRequest&) override { return 0; }
    int popup(const std::vector<std::string>&) override { return 0; }
    bool stop(std::string_view) override { return false; }
    void halt(std::string_view) override {}
    void idle(rt::Window&) override {
        if (GetTickCount() - start_ > 5000) throw std::runtime_error("no event came within five seconds");
    }

private:
    DWORD start_ = GetTickCount();
};

// The next event that is not one of the focus and size events a window gets when it opens or is activated.
inline rt::Event next_event(rt::Window& w, bool skip_focus_and_size = true) {
    Watchdog watchdog;
    const bool mine = rt::installed_driver() == nullptr;
    if (mine) rt::install_driver(&watchdog);
    struct Uninstall {
        bool on;
        ~Uninstall() {
            if (on) rt::install_driver(nullptr);
        }
    } uninstall{mine};
    for (;;) {
        rt::Event e = w.accept();
        if (!skip_focus_and_size || (e.kind != rt::EventKind::selected && e.kind != rt::EventKind::gain_focus &&
                                     e.kind != rt::EventKind::sized))
            return e;
    }
}

inline const char* kind_name(rt::EventKind k) {
    static const char* names[] = {"none",  "accepted",     "selected", "new_selection", "alert_key",
                                  "sized", "close_window", "timer",    "drop",          "gain_focus"};
    return names[static_cast<int>(k)];
}

inline std::wstring text_of(HWND h) {
    wchar_t buf[1024];
    const int n = GetWindowTextW(h, buf, 1024);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

inline std::wstring class_of(HWND h) {
    wchar_t buf[64];
    const int n = GetClassNameW(h, buf, 64);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

// What a visible dialog box of this thread shows.
struct BoxSeen {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;                // the longest static or edit text
    HWND edit = nullptr;              // the edit that holds a selectable text
    std::vector<HWND> buttons;        // in their order on screen, left to right
    std::vector<std::wstring> labels; // their texts
    HWND default_button = nullptr;
    DWORD ex_style = 0;
};

inline BOOL CALLBACK find_box_proc(HWND h, LPARAM lp) {
    if (IsWindowVisible(h) && class_of(h) == L"#32770") {
        reinterpret_cast<BoxSeen*>(lp)->hwnd = h;
        return FALSE;
    }
    return TRUE;
}

inline BoxSeen find_box() {
    BoxSeen box;
    EnumThreadWindows(GetCurrentThreadId(), find_box_proc, reinterpret_cast<LPARAM>(&box));
    if (!box.hwnd) return box;
    box.caption = text_of(box.hwnd);
    box.ex_style = static_cast<DWORD>(GetWindowLongPtrW(box.hwnd, GWL_EXSTYLE));
    for (HWND c = GetWindow(box.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring cls = class_of(c);
        const bool edit = cls == L"Edit" || cls == L"EDIT";
        if (edit) box.edit = c;
        if (edit || cls == L"Static" || cls == L"STATIC") {
            std::wstring t = text_of(c);
            if (t.size() > box.text.size()) box.text = t;
        } else if ((cls == L"Button" || cls == L"BUTTON") && IsWindowVisible(c)) {
            box.buttons.push_back(c);
            if ((GetWindowLongPtrW(c, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) box.default_button = c;
        }
    }
    if (!box.default_button) {
        const LRESULT id = SendMessageW(box.hwnd, DM_GETDEFID, 0, 0);
        if (HIWORD(id) == DC_HASDEFID) box.default_button = GetDlgItem(box.hwnd, LOWORD(id));
    }
    std::sort(box.buttons.begin(), box.buttons.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    for (HWND b : box.buttons)
        box.labels.push_back(text_of(b));
    return box;
}

// Runs `act` on the first dialog box that shows while `show` runs (which shows it modally); the box is found by a
// thread timer that fires inside the box's own message loop. Fails when no box shows within five seconds.
class BoxCloser {
public:
    explicit BoxCloser(std::function<void(BoxSeen&)> act) : act_(std::move(act)) {
        self_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &BoxCloser::tick);
        start_ = GetTickCount();
    }
    ~BoxCloser() {
        KillTimer(nullptr, timer_);
        self_ = nullptr;
    }
    BoxCloser(const BoxCloser&) = delete;
    BoxCloser& operator=(const BoxCloser&) = delete;
    bool acted() const { return acted_; }
    BoxSeen seen;

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxCloser* self = self_;
        if (!self || self->acted_) return;
        BoxSeen box = find_box();
        if (!box.hwnd) {
            if (GetTickCount() - self->start_ > 5000) {
                ADD_FAILURE() << "no box showed";
                self->acted_ = true;
            }
            return;
        }
        self->acted_ = true;
        self->seen = box;
        self->act_(self->seen);
    }
    static inline BoxCloser* self_ = nullptr;
    std::function<void(BoxSeen&)> act_;
    UINT_PTR timer_ = 0;
    DWORD start_ = 0;
    bool acted_ = false;
};

// Presses the button of a box.
inline void press(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
}

// A folder of its own under the temporary folder, removed with its files at the end.
class TempFolder {
public:
    explicit TempFolder(std::wstring_view name) {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        path_ = std::wstring(tmp) + std::wstring(name) + L"-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((path_ + L"\\" + fd.cFileName).c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }
    std::wstring file(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

private:
    std::wstring path_;
};

// The current folder for the scope.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& path) {
        GetCurrentDirectoryW(MAX_PATH, before_);
        SetCurrentDirectoryW(path.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(before_); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    wchar_t before_[MAX_PATH];
};

inline std::string read_bytes(const std::wstring& path) {
    std::string out;
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        out.append(buf, got);
    CloseHandle(h);
    return out;
}

inline void write_bytes(const std::wstring& path, std::string_view bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// A 32 x 32, 32-bit .ico file filled with one colour and a lighter square in its middle.
inline std::string icon_file_bytes(COLORREF colour) {
    const int n = 32;
    std::string f;
    auto put16 = [&](unsigned v) { f += char(v & 0xFF), f += char((v >> 8) & 0xFF); };
    auto put32 = [&](unsigned v) { put16(v & 0xFFFF), put16(v >> 16); };
    const unsigned image_size = 40 + n * n * 4 + n * 4;
    put16(0), put16(1), put16(1);                                     // icon directory, one image
    f += char(n), f += char(n), f += char(0), f += char(0);           // width, height, colours, reserved
    put16(1), put16(32), put32(image_size), put32(6 + 16);            // planes, bits, size, offset
    put32(40), put32(n), put32(n * 2), put16(1), put16(32), put32(0); // BITMAPINFOHEADER (height of XOR + AND)
    put32(n * n * 4), put32(0), put32(0), put32(0), put32(0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const bool inner = x >= 8 && x < 24 && y >= 8 && y < 24;
            f += char(inner ? 255 : GetBValue(colour)), f += char(inner ? 255 : GetGValue(colour));
            f += char(inner ? 255 : GetRValue(colour)), f += char(255);
        }
    f.append(static_cast<size_t>(n * 4), '\0'); // AND mask: all opaque
    return f;
}

// A 24-bit .bmp picture of w x h: a blue band across a light background.
inline std::string bitmap_file_bytes(int w, int h) {
    std::string f;
    auto put16 = [&](unsigned v) { f += char(v & 0xFF), f += char((v >> 8) & 0xFF); };
    auto put32 = [&](unsigned v) { put16(v & 0xFFFF), put16(v >> 16); };
    const int stride = (w * 3 + 3) & ~3;
    put16(0x4D42), put32(static_cast<unsigned>(14 + 40 + stride * h)), put32(0), put32(14 + 40);
    put32(40), put32(static_cast<unsigned>(w)), put32(static_cast<unsigned>(h)), put16(1), put16(24), put32(0);
    put32(static_cast<unsigned>(stride * h)), put32(2835), put32(2835), put32(0), put32(0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool band = y > h / 3 && y < 2 * h / 3;
            f += char(band ? 0xC9 : 0xFF), f += char(band ? 0x77 : 0xF4), f += char(band ? 0x26 : 0xCF);
        }
        f.append(static_cast<size_t>(stride - w * 3), '\0');
    }
    return f;
}

} // namespace uitest
