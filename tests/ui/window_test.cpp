// Windows from descriptions: texts, states of controls and ranges, groups and pages, events and alerts.
#include "support.h"

#include "runtime/prompt.h"

#include <commctrl.h>

#include <cstdlib>

using namespace uitest;
using rt::EventKind;
using rt::Kind;

namespace {

enum class Ctl {
    HELP = 1,
    SHEET,
    TAB1,
    TAB2,
    SEARCH,
    LOC_SEARCH,
    GROUP1,
    CHANGE,
    DELETE_,
    ON_PAGE2,
    EXCEL,
    BANNER,
    BANNER_CLICK,
    CLOSE,
};

rt::WindowDesc test_window() {
    rt::WindowDesc d;
    d.title = K(u"벨퀸 시험 창");
    d.font = K(u"굴림");
    d.font_size = 9;
    d.at = {rt::unchanged, rt::unchanged, 260, 170};
    d.resizable = true;
    d.controls = {
        {.id = 1, .kind = Kind::button, .at = {4, 4, 46, 15}, .text = K(u"도움말"), .tip = K(u"도움말을 엽니다")},
        {.id = 2, .kind = Kind::sheet, .at = {2, 22, 256, 120}},
        {.id = 3, .kind = Kind::tab, .text = K(u"첫 장"), .parent = 2},
        {.id = 4, .kind = Kind::tab, .text = K(u"둘째 장"), .parent = 2},
        {.id = 5, .kind = Kind::prompt, .at = {8, 42, 24, 10}, .text = K(u"검색:"), .parent = 3},
        {.id = 6, .kind = Kind::entry, .at = {34, 40, 80, 13}, .tip = K(u"내용을 검색하세요"), .parent = 3},
        {.id = 7, .kind = Kind::group, .at = {8, 60, 120, 40}, .parent = 3},
        {.id = 8, .kind = Kind::button, .at = {10, 62, 50, 14}, .text = K(u"수 정"), .parent = 7},
        {.id = 9,
         .kind = Kind::button,
         .at = {64, 62, 50, 14},
         .text = K(u"삭 제"),
         .flags = rt::flag::hidden,
         .parent = 7},
        {.id = 10, .kind = Kind::button, .at = {10, 42, 60, 14}, .text = K(u"둘째 장 단추"), .parent = 4},
        {.id = 11, .kind = Kind::button, .at = {130, 62, 50, 14}, .text = K(u"엑셀저장"), .flags = rt::flag::hidden},
        {.id = 12, .kind = Kind::image, .at = {140, 80, 100, 40}, .parent = 3},
        {.id = 13, .kind = Kind::button, .at = {150, 85, 40, 20}, .flags = rt::flag::transparent, .parent = 3},
        {.id = 14, .kind = Kind::button, .at = {214, 148, 40, 14}, .text = K(u"닫 기"), .key = rt::key::f2},
    };
    return d;
}

BOOL CALLBACK find_tooltip(HWND h, LPARAM lp) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(lp);
    if (class_of(h) == TOOLTIPS_CLASSW && GetWindow(h, GW_OWNER) == found->first) {
        found->second = h;
        return FALSE;
    }
    return TRUE;
}

// The text that the window's tooltip control holds for the control.
std::wstring tip_shown(rt::Window& w, Ctl control) {
    std::pair<HWND, HWND> found{w.hwnd(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), find_tooltip, reinterpret_cast<LPARAM>(&found));
    if (!found.second) return L"(no tooltip control)";
    wchar_t buf[256] = {};
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = w.hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(w.handle(control));
    ti.lpszText = buf;
    SendMessageW(found.second, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
    return buf;
}

TEST(UiWindow, BuildsFromDescriptionWithKoreanTexts) {
    rt::Window w(test_window());
    w.open();
    EXPECT_EQ(w.title(), K(u"벨퀸 시험 창")) << u8(w.title());
    EXPECT_EQ(text_of(w.hwnd()), L"벨퀸 시험 창") << u8(text_of(w.hwnd()));
    EXPECT_EQ(text_of(w.handle(Ctl::HELP)), L"도움말") << u8(text_of(w.handle(Ctl::HELP)));
    EXPECT_EQ(w.text(Ctl::SEARCH), K(u"검색:")) << u8(w.text(Ctl::SEARCH));
    EXPECT_EQ(w.tip(Ctl::LOC_SEARCH), K(u"내용을 검색하세요"));
    EXPECT_EQ(tip_shown(w, Ctl::LOC_SEARCH), L"내용을 검색하세요") << u8(tip_shown(w, Ctl::LOC_SEARCH));
    w.set_tip(Ctl::HELP, K(u"검색결과 초기화"));
    EXPECT_EQ(tip_shown(w, Ctl::HELP), L"검색결과 초기화") << u8(tip_shown(w, Ctl::HELP));

    // The entry takes CP949 in and gives the same bytes back.
    const std::string font = K(u"맑은 고딕 \xAC00\xD7A3");
    w.set_text(Ctl::LOC_SEARCH, font);
    EXPECT_EQ(w.text(Ctl::LOC_SEARCH), font) << u8(w.text(Ctl::LOC_SEARCH));
    w.set_title(K(u"Velquin - 한글.VL1"));
    EXPECT_EQ(text_of(w.hwnd()), L"Velquin - 한글.VL1");

    // Controls are placed in dialog units of the window's font.
    EXPECT_EQ(w.position(Ctl::HELP), (rt::Rect{4, 4, 46, 15}));
    const rt::Rect client = w.position();
    EXPECT_EQ(client.w, 260);
    EXPECT_EQ(client.h, 170);
    RECT r;
    GetWindowRect(w.handle(Ctl::CHANGE), &r);
    EXPECT_EQ(r.right - r.left, w.units().x(50));

    // The pages of the sheet carry their texts.
    HWND sheet = w.handle(Ctl::SHEET);
    ASSERT_EQ(SendMessageW(sheet, TCM_GETITEMCOUNT, 0, 0), 2);
    wchar_t buf[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 64;
    SendMessageW(sheet, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(buf, L"둘째 장");
}

TEST(UiWindow, HiddenControlsGroupsPagesAndRanges) {
    rt::Window w(test_window());
    w.open();
    EXPECT_TRUE(w.visible(Ctl::HELP));
    EXPECT_FALSE(w.visible(Ctl::EXCEL));
    EXPECT_FALSE(IsWindowVisible(w.handle(Ctl::EXCEL)));
    EXPECT_FALSE(w.visible(Ctl::DELETE_));
    EXPECT_TRUE(IsWindowVisible(w.handle(Ctl::CHANGE)));
    // A control on the second page shows only while that page is chosen.
    EXPECT_FALSE(IsWindowVisible(w.handle(Ctl::ON_PAGE2)));
    w.select(Ctl::SHEET, 2);
    EXPECT_EQ(w.selection(Ctl::SHEET), 2);
    EXPECT_TRUE(IsWindowVisible(w.handle(Ctl::ON_PAGE2)));
    EXPECT_FALSE(IsWindowVisible(w.handle(Ctl::CHANGE)));
    w.select(Ctl::SHEET, 1);
    EXPECT_TRUE(IsWindowVisible(w.handle(Ctl::CHANGE)));

    // Hiding a group hides what it holds; showing it again leaves a control hidden by itself hidden.
    w.hide(Ctl::GROUP1);
    EXPECT_FALSE(IsWindowVisible(w.handle(Ctl::CHANGE)));
    w.show(Ctl::GROUP1);
    EXPECT_TRUE(IsWindowVisible(w.handle(Ctl::CHANGE)));
    EXPECT_FALSE(IsWindowVisible(w.handle(Ctl::DELETE_)));
    w.show(Ctl::DELETE_);
    EXPECT_TRUE(IsWindowVisible(w.handle(Ctl::DELETE_)));

    // A range runs in description order, both ends included.
    w.disable(Ctl::LOC_SEARCH, Ctl::DELETE_);
    EXPECT_TRUE(IsWindowEnabled(w.handle(Ctl::HELP)));
    EXPECT_TRUE(IsWindowEnabled(w.handle(Ctl::SEARCH)));
    EXPECT_FALSE(IsWindowEnabled(w.handle(Ctl::LOC_SEARCH)));
    EXPECT_FALSE(IsWindowEnabled(w.handle(Ctl::CHANGE)));
    EXPECT_FALSE(IsWindowEnabled(w.handle(Ctl::DELETE_)));
    EXPECT_TRUE(IsWindowEnabled(w.handle(Ctl::ON_PAGE2)));
    EXPECT_TRUE(IsWindowEnabled(w.handle(Ctl::CLOSE)));
    // The group was in the range too: what it holds stays disabled until the group is enabled again.
    w.enable(Ctl::CHANGE, Ctl::DELETE_);
    EXPECT_FALSE(IsWindowEnabled(w.handle(Ctl::CHANGE)));
    w.enable(Ctl::GROUP1);
    EXPECT_TRUE(IsWindowEnabled(w.handle(Ctl::CHANGE)));
    EXPECT_FALSE(w.enabled(Ctl::LOC_SEARCH));
    // A reversed range is the same range.
    w.hide(Ctl::CLOSE, Ctl::EXCEL);
    EXPECT_FALSE(IsWindowVisible(w.handle(Ctl::CLOSE)));
    EXPECT_FALSE(IsWindowVisible(w.handle(Ctl::BANNER)));
    EXPECT_TRUE(IsWindowVisible(w.handle(Ctl::CHANGE)));
}

TEST(UiWindow, PositionsIconsAndFonts) {
    TempFolder folder(L"velquin-ui-icons");
    const std::wstring ico = folder.file(L"열기.ico");
    write_bytes(ico, icon_file_bytes(RGB(0x26, 0x77, 0xC9)));
    rt::Window w(test_window());
    w.open();
    w.set_icon(Ctl::HELP, rt::narrow(ico));
    EXPECT_NE(SendMessageW(w.handle(Ctl::HELP), BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(text_of(w.handle(Ctl::HELP)), L"도움말") << "the icon goes beside the text";
    const auto icon_only = [&](Ctl c) { return (GetWindowLongPtrW(w.handle(c), GWL_STYLE) & BS_ICON) != 0; };
    w.set_text(Ctl::HELP, "");
    EXPECT_TRUE(icon_only(Ctl::HELP)) << "without a text the icon shows alone";
    w.set_text(Ctl::HELP, K(u"도움말"));
    EXPECT_FALSE(icon_only(Ctl::HELP)) << "a text given later shows beside the icon";
    w.set_icon(Ctl::CLOSE, "no-such-icon.ico");
    EXPECT_EQ(SendMessageW(w.handle(Ctl::CLOSE), BM_GETIMAGE, IMAGE_ICON, 0), 0);

    w.set_position(Ctl::CHANGE, 20, rt::unchanged, rt::unchanged, 30);
    EXPECT_EQ(w.position(Ctl::CHANGE), (rt::Rect{20, 62, 50, 30}));

    // A tall button too narrow for its icon beside its text draws the icon above it; one whose text fits beside
    // the icon keeps it there.
    const auto above = [&](Ctl c) {
        BUTTON_IMAGELIST list{};
        SendMessageW(w.handle(c), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
        const bool drawn_above = list.himl && list.uAlign == BUTTON_IMAGELIST_ALIGN_TOP;
        EXPECT_EQ(drawn_above, SendMessageW(w.handle(c), BM_GETIMAGE, IMAGE_ICON, 0) == 0) << "one picture at a time";
        return drawn_above;
    };
    w.set_position(Ctl::CHANGE, rt::unchanged, rt::unchanged, 41, 38);
    w.set_text(Ctl::CHANGE, K(u"문서삽입"));
    w.set_icon(Ctl::CHANGE, rt::narrow(ico));
    EXPECT_TRUE(above(Ctl::CHANGE));
    EXPECT_FALSE(above(Ctl::HELP)) << "a low button keeps its icon beside its text";
    {
        // Disabled, the icon above the text is drawn grey.
        BUTTON_IMAGELIST list{};
        SendMessageW(w.handle(Ctl::CHANGE), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
        const rt::UniqueIcon normal(ImageList_GetIcon(list.himl, 0, ILD_NORMAL));
        const rt::UniqueIcon disabled(ImageList_GetIcon(list.himl, 3, ILD_NORMAL));
        const auto pixel = [](HICON icon) {
            const rt::UniqueDC dc(CreateCompatibleDC(nullptr));
            const rt::UniqueBitmap bmp(CreateBitmap(32, 32, 1, 32, nullptr));
            rt::Selected into(dc.get(), bmp.get());
            DrawIconEx(dc.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
            return GetPixel(dc.get(), 2, 2);
        };
        const COLORREF n = pixel(normal.get()), d = pixel(disabled.get());
        EXPECT_EQ(n, RGB(0x26, 0x77, 0xC9)) << std::hex << n;
        EXPECT_TRUE(GetRValue(d) == GetGValue(d) && GetGValue(d) == GetBValue(d) && d != n) << std::hex << d;
    }
    w.set_text(Ctl::CHANGE, K(u"가"));
    EXPECT_FALSE(above(Ctl::CHANGE)) << "a short text goes beside the icon again";
    w.set_text(Ctl::CHANGE, "");
    EXPECT_FALSE(above(Ctl::CHANGE));
    EXPECT_TRUE(icon_only(Ctl::CHANGE));

    w.set_position(40, 30, 300, 200);
    const rt::Rect p = w.position();
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 30);
    EXPECT_EQ(p.w, 300);
    EXPECT_EQ(p.h, 200);
    w.maximize();
    EXPECT_TRUE(w.maximized());
    w.restore();
    EXPECT_FALSE(w.maximized());
    EXPECT_EQ(w.position(), p);

    w.set_font(Ctl::SEARCH, K(u"돋움"), 12, FW_BOLD);
    auto font = reinterpret_cast<HFONT>(SendMessageW(w.handle(Ctl::SEARCH), WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_STREQ(lf.lfFaceName, L"돋움");
}

TEST(UiWindow, PostedEventsComeInOrderAndCloseEndsTheLoop) {
    rt::Window w(test_window());
    w.open();
    w.post(EventKind::accepted, Ctl::LOC_SEARCH);
    w.post(EventKind::timer);
    rt::Event e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::accepted, Ctl::LOC_SEARCH)) << kind_name(e.kind) << " " << e.control;
    e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::timer)) << kind_name(e.kind);

    // A press of a button is its accepted event; the key F2 presses the button that carries it.
    SendMessageW(w.handle(Ctl::HELP), BM_CLICK, 0, 0);
    e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::accepted, Ctl::HELP)) << kind_name(e.kind) << " " << e.control;
    PostMessageW(w.handle(Ctl::HELP), WM_KEYDOWN, VK_F2, 0);
    e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::accepted, Ctl::CLOSE)) << kind_name(e.kind) << " " << e.control;
    // A transparent button over a picture is pressed by a click inside it.
    PostMessageW(w.handle(Ctl::BANNER_CLICK), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(w.handle(Ctl::BANNER_CLICK), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::accepted, Ctl::BANNER_CLICK)) << kind_name(e.kind) << " " << e.control;

    // The close box: close_window, then the loop ends and the window is gone from the screen.
    PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::close_window)) << kind_name(e.kind);
    e = w.accept();
    EXPECT_EQ(e.kind, EventKind::none) << kind_name(e.kind);
    EXPECT_TRUE(w.closed());
    EXPECT_FALSE(IsWindowVisible(w.hwnd()));
    EXPECT_EQ(w.accept().kind, EventKind::none);
    EXPECT_EQ(rt::Window::top(), nullptr);
}

// Lets the window handle every message posted so far: a timer message queued behind them comes back as the timer
// event.
void sync(rt::Window& w) {
    PostMessageW(w.hwnd(), WM_TIMER, 1, 0);
    while (!next_event(w).is(EventKind::timer)) {
    }
}

TEST(UiWindow, EntryChangesAreAcceptedWhenLeftAndTabFollowsTheDescription) {
    rt::Window w(test_window());
    w.open();
    w.focus(Ctl::HELP);
    // Tab: the sheet, then the entry (the prompt and the page take no focus).
    PostMessageW(w.handle(Ctl::HELP), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(w.handle(Ctl::HELP), WM_KEYDOWN, VK_TAB, 0);
    sync(w);
    EXPECT_EQ(GetFocus(), w.handle(Ctl::LOC_SEARCH)) << u8(text_of(GetFocus()));

    PostMessageW(w.handle(Ctl::LOC_SEARCH), WM_CHAR, L'가', 0);
    sync(w);
    w.focus(Ctl::HELP);
    const rt::Event e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::accepted, Ctl::LOC_SEARCH)) << kind_name(e.kind) << " " << e.control;
    EXPECT_EQ(w.text(Ctl::LOC_SEARCH), K(u"가"));
    // Focus without a change accepts nothing.
    w.focus(Ctl::LOC_SEARCH);
    w.focus(Ctl::HELP);
    w.post(EventKind::timer);
    const rt::Event after = next_event(w);
    EXPECT_TRUE(after.is(EventKind::timer)) << kind_name(after.kind) << " " << after.control;
}

TEST(UiWindow, AlertsAreReportedAfterTheirOrdinaryEffect) {
    rt::Window w(test_window());
    w.alert(rt::key::esc);
    w.alert(Ctl::LOC_SEARCH, rt::key::del);
    w.alert(Ctl::HELP, rt::key::mouse_right);
    w.open();

    // Esc anywhere in the window.
    PostMessageW(w.handle(Ctl::CHANGE), WM_KEYDOWN, VK_ESCAPE, 0);
    rt::Event e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::alert_key, Ctl::CHANGE)) << kind_name(e.kind) << " " << e.control;
    EXPECT_EQ(e.key, rt::key::esc);

    // Delete in the entry: the character is gone when the alert arrives.
    w.set_text(Ctl::LOC_SEARCH, K(u"가나다"));
    w.focus(Ctl::LOC_SEARCH);
    SendMessageW(w.handle(Ctl::LOC_SEARCH), EM_SETSEL, 0, 0);
    PostMessageW(w.handle(Ctl::LOC_SEARCH), WM_KEYDOWN, VK_DELETE, 0);
    e = next_event(w);
    ASSERT_TRUE(e.is(EventKind::alert_key, Ctl::LOC_SEARCH)) << kind_name(e.kind) << " " << e.control;
    EXPECT_EQ(e.key, rt::key::del);
    EXPECT_EQ(w.text(Ctl::LOC_SEARCH), K(u"나다")) << u8(w.text(Ctl::LOC_SEARCH));

    // Delete elsewhere is not alerted; a right click on the help button is.
    PostMessageW(w.handle(Ctl::HELP), WM_KEYDOWN, VK_DELETE, 0);
    PostMessageW(w.handle(Ctl::HELP), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
    PostMessageW(w.handle(Ctl::HELP), WM_RBUTTONUP, 0, MAKELPARAM(4, 4));
    e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::alert_key, Ctl::HELP)) << kind_name(e.kind) << " " << e.control;
    EXPECT_EQ(e.key, rt::key::mouse_right);
}

TEST(UiWindow, ModalOverTheWindowBefore) {
    rt::Window main(test_window());
    main.open();
    {
        rt::WindowDesc d;
        d.title = K(u"문서분류");
        d.at = {rt::unchanged, rt::unchanged, 120, 60};
        d.controls = {{.id = 1, .kind = Kind::button, .at = {40, 20, 40, 14}, .text = K(u"확 인")}};
        rt::Window form(d);
        form.open();
        EXPECT_EQ(rt::Window::top(), &form);
        EXPECT_FALSE(IsWindowEnabled(main.hwnd()));
        EXPECT_EQ(GetWindow(form.hwnd(), GW_OWNER), main.hwnd());
        // Events posted to the window below wait for its own loop.
        main.post(EventKind::accepted, Ctl::HELP);
        form.post(EventKind::close_window);
        EXPECT_TRUE(next_event(form).is(EventKind::close_window));
        EXPECT_EQ(form.accept().kind, EventKind::none);
        EXPECT_TRUE(IsWindowEnabled(main.hwnd()));
    }
    EXPECT_EQ(rt::Window::top(), &main);
    EXPECT_TRUE(next_event(main).is(EventKind::accepted, Ctl::HELP));
}

TEST(UiWindow, DriverActsWhenTheWindowIsIdle) {
    ScriptDriver driver;
    DriverScope scope(driver);
    rt::Window w(test_window());
    w.open();
    int step = 0;
    std::string seen;
    driver.on_idle = [&](rt::Window& win) {
        if (step == 0) win.type(Ctl::LOC_SEARCH, K(u"공지사항"));
        if (step == 1) {
            seen = win.text(Ctl::SEARCH);
            win.post(EventKind::accepted, Ctl::CLOSE);
        }
        ++step;
    };
    rt::Event e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::accepted, Ctl::LOC_SEARCH)) << kind_name(e.kind) << " " << e.control;
    EXPECT_EQ(w.text(Ctl::LOC_SEARCH), K(u"공지사항"));
    e = next_event(w);
    EXPECT_TRUE(e.is(EventKind::accepted, Ctl::CLOSE)) << kind_name(e.kind) << " " << e.control;
    EXPECT_EQ(seen, K(u"검색:"));
}

// A handler that fails inside the window procedure.
struct Throwing : rt::ControlHandler {
    bool command(rt::Window&, int, int code) override {
        if (code == BN_CLICKED) throw std::runtime_error("failed inside the window procedure");
        return false;
    }
};

TEST(UiWindow, ExceptionsDoNotCrossTheWindowProcedure) {
    rt::Window w(test_window());
    w.attach(Ctl::HELP, std::make_unique<Throwing>());
    w.open();
    SendMessageW(w.handle(Ctl::HELP), BM_CLICK, 0, 0); // the procedure returned normally to SendMessage
    EXPECT_THROW(w.accept(), std::runtime_error);
    w.post(EventKind::timer);
    EXPECT_TRUE(next_event(w).is(EventKind::timer)) << "the loop goes on after the exception was thrown";
}

TEST(UiWindow, TimerAndQuit) {
    rt::Window w(test_window());
    w.open();
    w.set_timer(1);
    EXPECT_TRUE(next_event(w).is(EventKind::timer));
    w.set_timer(0);
    PostQuitMessage(3);
    EXPECT_EQ(w.accept().kind, EventKind::none);
    EXPECT_TRUE(w.closed());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is left for the loops outside";
    EXPECT_EQ(msg.wParam, 3u);
}

// Lies above `under` in the window's Z order.
bool above(HWND h, HWND under) {
    for (HWND p = GetWindow(under, GW_HWNDPREV); p; p = GetWindow(p, GW_HWNDPREV))
        if (p == h) return true;
    return false;
}

COLORREF pixel(HWND h, POINT at) {
    HDC dc = GetDC(h);
    const COLORREF c = GetPixel(dc, at.x, at.y);
    ReleaseDC(h, dc);
    return c;
}

// A group box on a sheet's page, described after the entry inside its frame: painted, its frame shows over the
// page, inside it the page, and the entry over it.
TEST(UiWindow, GroupBoxOnASheetDrawsOverThePage) {
    rt::WindowDesc d;
    d.title = K(u"묶음 상자");
    d.at = {rt::unchanged, rt::unchanged, 200, 120};
    d.controls = {
        {.id = 1, .kind = Kind::sheet, .at = {4, 4, 192, 112}},
        {.id = 2, .kind = Kind::tab, .text = K(u"기본"), .parent = 1},
        {.id = 3, .kind = Kind::entry, .at = {24, 40, 80, 13}, .parent = 2},
        {.id = 4, .kind = Kind::group_box, .at = {14, 24, 150, 70}, .text = K(u"묶음"), .parent = 2},
    };
    rt::Window w(d);
    w.open();
    w.display();
    const HWND sheet = w.handle(1), entry = w.handle(3), box = w.handle(4);
    EXPECT_TRUE(above(box, sheet));
    EXPECT_TRUE(above(entry, box));

    RECT r{};
    GetClientRect(box, &r);
    POINT beside{-4, r.bottom / 2}; // on the page, left of the frame
    MapWindowPoints(box, sheet, &beside, 1);
    const COLORREF page = pixel(sheet, beside);
    ASSERT_NE(page, CLR_INVALID);
    int frame = 0;
    for (int x = 0; x < 4; ++x)
        if (pixel(box, {x, r.bottom / 2}) != page) ++frame;
    EXPECT_GT(frame, 0) << "the frame's left side";
    EXPECT_EQ(pixel(box, {r.right - w.units().x(20), r.bottom - w.units().y(10)}), page) << "inside the frame";
}

// Shown for the screenshot test, which holds it on screen with VELQUIN_HOLD_MS.
TEST(UiWindow, ShowsKoreanWindow) {
    TempFolder folder(L"velquin-ui-shot");
    const std::wstring ico = folder.file(L"open.ico"), bmp = folder.file(L"banner.bmp");
    write_bytes(ico, icon_file_bytes(RGB(0x26, 0x77, 0xC9)));
    write_bytes(bmp, bitmap_file_bytes(200, 80));
    rt::WindowDesc d = test_window();
    d.title = K(u"벨퀸 화면 시험");
    d.controls[0].icon = rt::narrow(ico);
    d.controls[11].picture = rt::narrow(bmp);
    d.controls[13].icon = rt::narrow(ico);
    rt::Window w(d);
    w.open();
    w.set_text(Ctl::LOC_SEARCH, K(u"한글 입력"));
    w.show(Ctl::DELETE_);
    w.display();
    pump(200);
    EXPECT_TRUE(IsWindowVisible(w.hwnd()));
    EXPECT_NE(SendMessageW(w.handle(Ctl::HELP), BM_GETIMAGE, IMAGE_ICON, 0), 0) << "the description's icon";
    if (const char* hold = std::getenv("VELQUIN_HOLD_MS")) pump(static_cast<DWORD>(std::atoi(hold)));
}

} // namespace
