// Prompts: through the driver (what reached it, what it answered) and, without one, the real boxes and menu,
// pressed by a timer that fires inside their own message loops; the halt, reported to the driver or ending a
// process of its own.
#include "support.h"

#include "runtime/prompt.h"

using namespace uitest;
using rt::EventKind;

namespace {

TEST(UiPrompt, DriverGetsTheMessageAndAnswersIt) {
    ScriptDriver driver;
    DriverScope scope(driver);
    driver.message_answers = {1, rt::button::no, 1};

    EXPECT_EQ(rt::message(K(u"프로그램을 종료할까요?"), K(u"확인"), rt::Icon::information, K(u"넵|아니"), 2,
                          rt::Modal::system),
              1);
    EXPECT_EQ(rt::message(K(u"키에 문제가 있습니다.||고칠까요?"), "Invalid Key", rt::Icon::exclamation,
                          rt::button::yes | rt::button::no, rt::button::yes),
              4);
    EXPECT_EQ(rt::message(K(u"이미 실행중입니다.")), 1);

    ASSERT_EQ(driver.messages.size(), 3u);
    const rt::MessageRequest& esc = driver.messages[0];
    EXPECT_EQ(esc.text, K(u"프로그램을 종료할까요?"));
    EXPECT_EQ(esc.caption, K(u"확인"));
    EXPECT_EQ(esc.icon, rt::Icon::information);
    EXPECT_EQ(esc.buttons, 0u);
    ASSERT_EQ(esc.labels.size(), 2u);
    EXPECT_EQ(esc.labels[0], K(u"넵"));
    EXPECT_EQ(esc.labels[1], K(u"아니"));
    EXPECT_EQ(esc.default_button, 2);
    EXPECT_TRUE(esc.system_modal);

    const rt::MessageRequest& key = driver.messages[1];
    EXPECT_EQ(key.buttons, 6u);
    EXPECT_TRUE(key.labels.empty());
    EXPECT_EQ(key.default_button, 2);
    EXPECT_FALSE(key.system_modal);
    EXPECT_EQ(rt::box_text(key.text), K(u"키에 문제가 있습니다.\r\n\r\n고칠까요?"));

    const rt::MessageRequest& plain = driver.messages[2];
    EXPECT_EQ(plain.caption, "");
    EXPECT_EQ(plain.icon, rt::Icon::none);
    EXPECT_EQ(plain.buttons, rt::button::ok);
}

TEST(UiPrompt, DriverAnswersPopupsStopsAndBeeps) {
    ScriptDriver driver;
    DriverScope scope(driver);
    driver.popup_answers = {3, 0};
    EXPECT_EQ(rt::popup(K(u"문서 추가|문서 수정|문서 삭제")), 3);
    EXPECT_EQ(rt::popup(K(u"문서 복원|문서 삭제")), 0);
    ASSERT_EQ(driver.popups.size(), 2u);
    ASSERT_EQ(driver.popups[0].size(), 3u);
    EXPECT_EQ(driver.popups[0][2], K(u"문서 삭제"));

    rt::beep();
    rt::beep();
    EXPECT_EQ(driver.beeps, 2);

    int hook_runs = 0;
    rt::set_halt_hook([&] { ++hook_runs; });
    driver.stop_answer = false;
    rt::stop(K(u"레코드를 읽을 수 없습니다"));
    EXPECT_EQ(hook_runs, 0) << "going on after a stop ends nothing";
    driver.stop_answer = true;
    try {
        rt::stop(K(u"레코드를 쓸 수 없습니다"));
        ADD_FAILURE() << "an ended stop prompt returned";
    } catch (const rt::Halted& h) {
        EXPECT_TRUE(h.stop);
        EXPECT_EQ(h.text, K(u"레코드를 쓸 수 없습니다"));
    }
    EXPECT_EQ(hook_runs, 1);
    EXPECT_EQ(driver.stops.size(), 2u);
    rt::set_halt_hook({});
}

// A window procedure of the program: a window and its loop, whose handler halts.
void procedure_that_halts(bool inside_window_procedure) {
    rt::WindowDesc d;
    d.title = K(u"중지 시험");
    d.at = {rt::unchanged, rt::unchanged, 120, 50};
    d.controls = {{.id = 1, .kind = rt::Kind::button, .at = {10, 10, 50, 14}, .text = K(u"열기")}};
    rt::Window w(d);
    struct HaltingHandler : rt::ControlHandler {
        bool command(rt::Window&, int, int code) override {
            if (code == BN_CLICKED) rt::halt(K(u"데이터 파일생성 실패!"));
            return false;
        }
    };
    if (inside_window_procedure) w.attach(1, std::make_unique<HaltingHandler>());
    w.open();
    while (rt::Event e = w.accept())
        if (e.is(EventKind::accepted, 1)) rt::halt(K(u"데이터 파일생성 실패!"));
}

TEST(UiPrompt, HaltIsReportedToTheDriverAndThrownOutOfTheLoop) {
    for (bool inside : {false, true}) {
        ScriptDriver driver;
        DriverScope scope(driver);
        int hook_runs = 0;
        rt::set_halt_hook([&] { ++hook_runs; });
        driver.on_idle = [](rt::Window& w) { SendMessageW(w.handle(1), BM_CLICK, 0, 0); };
        try {
            procedure_that_halts(inside);
            ADD_FAILURE() << "the procedure returned";
        } catch (const rt::Halted& h) {
            EXPECT_FALSE(h.stop);
            EXPECT_EQ(h.text, K(u"데이터 파일생성 실패!"));
        }
        ASSERT_EQ(driver.halts.size(), 1u) << "inside the window procedure: " << inside;
        EXPECT_EQ(driver.halts[0], K(u"데이터 파일생성 실패!"));
        EXPECT_EQ(hook_runs, 1);
        EXPECT_EQ(rt::Window::top(), nullptr) << "the window was closed on the way out";
        rt::set_halt_hook({});
    }
}

TEST(UiPrompt, RealMessageBoxWithStandardButtons) {
    int default_id = 0;
    BoxCloser closer([&](BoxSeen& box) {
        default_id = GetDlgCtrlID(box.default_button);
        for (HWND b : box.buttons)
            if (GetDlgCtrlID(b) == IDNO) press(b);
    });
    const int answer = rt::message(K(u"첫째 줄|둘째 줄"), K(u"정렬키 확인"), rt::Icon::exclamation,
                                   rt::button::yes | rt::button::no, rt::button::no);
    ASSERT_TRUE(closer.acted());
    EXPECT_EQ(answer, 4);
    EXPECT_EQ(closer.seen.caption, L"정렬키 확인") << u8(closer.seen.caption);
    EXPECT_EQ(closer.seen.text, L"첫째 줄\r\n둘째 줄") << u8(closer.seen.text);
    ASSERT_EQ(closer.seen.buttons.size(), 2u);
    EXPECT_EQ(default_id, IDNO);
}

// A message given with its text alone: an empty title (never the platform's "Error"), one OK button, and a box
// wide enough for its button and its title bar; the same for a box of the program's own buttons.
TEST(UiPrompt, RealPlainMessageHasAnEmptyTitleAndRoomForItsButtons) {
    for (const bool own : {false, true}) {
        RECT box{}, client{}, button{};
        int close_box = 0;
        BoxCloser closer([&](BoxSeen& seen) {
            GetWindowRect(seen.hwnd, &box);
            GetClientRect(seen.hwnd, &client);
            MapWindowPoints(seen.hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
            GetWindowRect(seen.buttons.at(0), &button);
            close_box = GetSystemMetrics(SM_CXSIZE);
            press(seen.buttons.at(0));
        });
        const int answer = own ? rt::message(K(u"복원 되었습니다."), "", rt::Icon::none, K(u"확 인"))
                               : rt::message(K(u"복원 되었습니다."));
        ASSERT_TRUE(closer.acted());
        EXPECT_EQ(answer, 1);
        EXPECT_EQ(closer.seen.caption, L"") << u8(closer.seen.caption);
        ASSERT_EQ(closer.seen.buttons.size(), 1u);
        RECT inside;
        IntersectRect(&inside, &button, &client);
        EXPECT_TRUE(EqualRect(&inside, &button)) << "the button lies inside the box";
        EXPECT_GT(box.right - box.left, (button.right - button.left) + close_box) << "room for the title bar";
    }
}

TEST(UiPrompt, RealBoxWithTheProgramsOwnButtons) {
    {
        BoxCloser closer([](BoxSeen& box) { press(box.buttons.at(0)); });
        const int answer = rt::message(K(u"프로그램을 종료할까요?"), K(u"확인"), rt::Icon::information, K(u"넵|아니"),
                                       2, rt::Modal::system);
        ASSERT_TRUE(closer.acted());
        EXPECT_EQ(answer, 1);
        EXPECT_EQ(closer.seen.caption, L"확인");
        EXPECT_EQ(closer.seen.text, L"프로그램을 종료할까요?") << u8(closer.seen.text);
        ASSERT_EQ(closer.seen.labels.size(), 2u);
        EXPECT_EQ(closer.seen.labels[0], L"넵");
        EXPECT_EQ(closer.seen.labels[1], L"아니");
        EXPECT_EQ(closer.seen.default_button, closer.seen.buttons[1]);
        EXPECT_TRUE(closer.seen.ex_style & WS_EX_TOPMOST) << "system-modal";
        EXPECT_FALSE(closer.seen.edit) << "a plain text is a label";
    }
    {
        // Esc answers the last button. The text can be selected and copied, and only the buttons take the focus.
        int button_width = 0, text_width = 0;
        std::wstring copied;
        LONG_PTR edit_style = 0;
        BoxCloser closer([&](BoxSeen& box) {
            if (box.edit) {
                edit_style = GetWindowLongPtrW(box.edit, GWL_STYLE);
                SendMessageW(box.edit, EM_SETSEL, 0, -1);
                SendMessageW(box.edit, WM_COPY, 0, 0);
                if (OpenClipboard(box.hwnd)) {
                    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
                        copied = static_cast<const wchar_t*>(GlobalLock(h));
                        GlobalUnlock(h);
                    }
                    CloseClipboard();
                }
            }
            HWND b = box.buttons.at(1);
            RECT r;
            GetWindowRect(b, &r);
            button_width = r.right - r.left;
            HDC dc = GetDC(b);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(b, WM_GETFONT, 0, 0)));
            SIZE s{};
            GetTextExtentPoint32W(dc, L"그냥두고 링크만", 8, &s);
            text_width = s.cx;
            SelectObject(dc, old);
            ReleaseDC(b, dc);
            PostMessageW(box.hwnd, WM_COMMAND, IDCANCEL, 0);
        });
        const int answer =
            rt::message(K(u"동일한 이름의 파일이 이미 있습니다. 어떻해?"), K(u"확인"), rt::Icon::exclamation,
                        K(u"덮어씀|그냥두고 링크만|취소"), 1, rt::Modal::program, rt::BoxText::selectable);
        ASSERT_TRUE(closer.acted());
        EXPECT_EQ(answer, 3);
        ASSERT_TRUE(closer.seen.edit) << "the text is no edit";
        EXPECT_TRUE(edit_style & ES_READONLY);
        EXPECT_FALSE(edit_style & WS_TABSTOP);
        EXPECT_EQ(copied, L"동일한 이름의 파일이 이미 있습니다. 어떻해?") << u8(copied);
        ASSERT_EQ(closer.seen.labels.size(), 3u);
        EXPECT_EQ(closer.seen.labels[1], L"그냥두고 링크만");
        EXPECT_GT(button_width, text_width) << "the button is wide enough for its text";
        EXPECT_FALSE(closer.seen.ex_style & WS_EX_TOPMOST);
    }
}

TEST(UiPrompt, RealBoxOfAStandardSetThePlatformLacks) {
    BoxCloser closer([](BoxSeen& box) { press(box.buttons.at(1)); });
    const int answer = rt::message("Yes or Cancel", "", rt::Icon::none, rt::button::yes | rt::button::cancel);
    ASSERT_TRUE(closer.acted());
    EXPECT_EQ(answer, 64);
    ASSERT_EQ(closer.seen.labels.size(), 2u);
    EXPECT_EQ(closer.seen.labels[0], L"Yes");
    EXPECT_EQ(closer.seen.labels[1], L"Cancel");
}

TEST(UiPrompt, RealStopPromptGoesOn) {
    BoxCloser closer([](BoxSeen& box) { press(box.buttons.at(1)); });
    rt::stop(K(u"레코드를 읽을 수 없습니다"));
    ASSERT_TRUE(closer.acted());
    EXPECT_EQ(closer.seen.caption, L"Stop");
    EXPECT_EQ(closer.seen.text, L"레코드를 읽을 수 없습니다");
    ASSERT_EQ(closer.seen.labels.size(), 2u);
    EXPECT_EQ(closer.seen.default_button, closer.seen.buttons[1]) << "going on is the default";
}

// Calls act every 50 ms inside whatever loop runs until it returns true.
class Every50ms {
public:
    explicit Every50ms(std::function<bool()> act) : act_(std::move(act)) {
        self_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &Every50ms::tick);
    }
    ~Every50ms() {
        KillTimer(nullptr, timer_);
        self_ = nullptr;
    }
    Every50ms(const Every50ms&) = delete;
    Every50ms& operator=(const Every50ms&) = delete;
    bool done = false;

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        if (self_ && !self_->done) self_->done = self_->act_();
    }
    static inline Every50ms* self_ = nullptr;
    std::function<bool()> act_;
    UINT_PTR timer_ = 0;
};

HWND find_menu() {
    return FindWindowW(L"#32768", nullptr);
}

TEST(UiPrompt, RealPopupMenu) {
    {
        Every50ms closer([] {
            if (!find_menu() || !IsWindowVisible(find_menu())) return false;
            EndMenu();
            return true;
        });
        EXPECT_EQ(rt::popup(K(u"문서 복원|문서 삭제")), 0) << "a dismissed menu";
        EXPECT_TRUE(closer.done);
    }
    {
        Every50ms chooser([] {
            HWND menu = find_menu();
            if (!menu || !IsWindowVisible(menu)) return false;
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
            return true;
        });
        EXPECT_EQ(rt::popup(K(u"문서 추가|문서 수정|문서 삭제")), 2);
        EXPECT_TRUE(chooser.done);
    }
}

void append_utf8(const std::wstring& file, std::wstring_view text) {
    std::string bytes = read_bytes(file) + u8(text);
    write_bytes(file, bytes);
}

// The process that halts; run by HaltEndsTheProcess below, skipped otherwise.
TEST(UiPromptChild, HaltEndsProcess) {
    wchar_t out[MAX_PATH];
    if (!GetEnvironmentVariableW(L"VELQUIN_HALT_CHILD", out, MAX_PATH)) GTEST_SKIP() << "run by HaltEndsTheProcess";
    const std::wstring file = out;
    rt::set_halt_hook([file] { append_utf8(file, L"hook\n"); });
    BoxCloser closer([file](BoxSeen& box) {
        append_utf8(file, box.caption + L"|" + box.text + L"|" + std::to_wstring(box.buttons.size()) + L"\n");
        press(box.buttons.at(0));
    });
    rt::halt(K(u"잘못된 데이터 파일입니다.!"));
}

TEST(UiPrompt, HaltEndsTheProcessWithExitCodeZero) {
    TempFolder folder(L"velquin-ui-halt");
    const std::wstring out = folder.file(L"halt.txt");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_filter=UiPromptChild.HaltEndsProcess";
    SetEnvironmentVariableW(L"VELQUIN_HALT_CHILD", out.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"VELQUIN_HALT_CHILD", nullptr);
    ASSERT_TRUE(started) << GetLastError();
    const DWORD waited = WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1234;
    GetExitCodeProcess(pi.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the halted process did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(read_bytes(out), u8(std::wstring_view(L"Halt|잘못된 데이터 파일입니다.!|1\nhook\n")));
}

} // namespace
