// The resizer: the arithmetic of each strategy, and a real window resized with its controls following.
#include "support.h"

#include "runtime/resizer.h"

using namespace uitest;
using namespace rt::resize;

namespace {

// A control at 100,50 of 40 x 20 in a 400 x 200 design, laid out for a 600 x 300 client.
RECT laid(unsigned position, unsigned size) {
    return rt::place({100, 50, 140, 70}, 400, 200, 600, 300, position, size);
}

::testing::AssertionResult same(const RECT& got, const RECT& want) {
    if (EqualRect(&got, &want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.left << "," << got.top << " " << got.right - got.left << "x"
                                         << got.bottom - got.top << ", want " << want.left << "," << want.top << " "
                                         << want.right - want.left << "x" << want.bottom - want.top;
}

TEST(UiResizer, StrategiesPlaceAControl) {
    EXPECT_TRUE(same(laid(keep_x | keep_y, keep_width | keep_height), {100, 50, 140, 70}));
    EXPECT_TRUE(same(laid(left | top, keep_width | keep_height), {100, 50, 140, 70}));
    EXPECT_TRUE(same(laid(right | bottom, keep_width | keep_height), {300, 150, 340, 170}));
    EXPECT_TRUE(same(laid(centre_x | centre_y, keep_width | keep_height), {200, 100, 240, 120}));
    // The nearer edges: left (100 < 260) and top (50 < 130).
    EXPECT_TRUE(same(laid(nearest_x | nearest_y, keep_width | keep_height), {100, 50, 140, 70}));
    EXPECT_TRUE(
        same(rt::place({300, 150, 340, 170}, 400, 200, 600, 300, nearest_x | nearest_y, keep_width | keep_height),
             {500, 250, 540, 270}));
    // Position and size 0 scale with the window.
    EXPECT_TRUE(same(laid(0, 0), {150, 75, 210, 105}));
    // The right and bottom edges keep their distances: the control grows with the window.
    EXPECT_TRUE(same(laid(left | top, follow_right | follow_bottom), {100, 50, 340, 170}));
    // Width kept, height following (the tree's rule).
    EXPECT_TRUE(same(laid(left | top, keep_width | follow_bottom), {100, 50, 140, 170}));
    // A window smaller than the design: a following size does not go below zero.
    EXPECT_TRUE(same(rt::place({100, 50, 140, 70}, 400, 200, 120, 60, left | top, follow_right | follow_bottom),
                     {100, 50, 100, 50}));
}

enum Ctl { TREE = 1, LIST, CLOSE, BANNER_CLICK, GROUP_LEFT, SEARCH };

rt::WindowDesc resizable_window() {
    rt::WindowDesc d;
    d.title = K(u"크기 시험");
    d.at = {10, 10, 300, 200};
    d.resizable = true;
    d.controls = {
        {.id = TREE, .kind = rt::Kind::tree, .at = {5, 5, 80, 150}},
        {.id = LIST, .kind = rt::Kind::list, .at = {90, 5, 205, 150}},
        {.id = CLOSE, .kind = rt::Kind::button, .at = {250, 180, 40, 14}, .text = K(u"닫 기")},
        {.id = BANNER_CLICK, .kind = rt::Kind::button, .at = {140, 60, 40, 20}, .flags = rt::flag::transparent},
        {.id = GROUP_LEFT, .kind = rt::Kind::group_box, .at = {5, 160, 100, 35}},
        {.id = SEARCH, .kind = rt::Kind::entry, .at = {10, 180, 60, 12}},
    };
    return d;
}

// The control's rectangle in client pixels.
RECT rect_of(rt::Window& w, int id) {
    RECT r;
    GetWindowRect(w.handle(id), &r);
    MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(UiResizer, ControlsFollowTheResizedWindow) {
    rt::Window w(resizable_window());
    w.open();
    rt::Resizer resizer;
    resizer.init(w, spread, true, false);
    resizer.set_strategy(TREE, left | top, keep_width | follow_bottom);
    resizer.set_strategy(BANNER_CLICK, centre_x | centre_y, keep_width | keep_height);
    resizer.set_strategy(GROUP_LEFT, left | bottom, keep_width | keep_height);

    const rt::DialogUnits& u = w.units();
    const SIZE before = w.client_size();
    ASSERT_EQ(before.cx, u.x(300));
    const RECT tree0 = rect_of(w, TREE), list0 = rect_of(w, LIST), close0 = rect_of(w, CLOSE);
    const RECT click0 = rect_of(w, BANNER_CLICK), group0 = rect_of(w, GROUP_LEFT), search0 = rect_of(w, SEARCH);

    w.set_position(rt::unchanged, rt::unchanged, 300 + 100, 200 + 50);
    rt::Event e = next_event(w, false);
    while (e.kind != rt::EventKind::sized)
        e = next_event(w, false);
    resizer.resize();
    const SIZE after = w.client_size();
    const int dx = after.cx - before.cx, dy = after.cy - before.cy;
    ASSERT_GT(dx, 0);
    ASSERT_GT(dy, 0);

    // The tree keeps its width and grows down.
    EXPECT_TRUE(same(rect_of(w, TREE), {tree0.left, tree0.top, tree0.right, tree0.bottom + dy}));
    // Lists (default) keep their left and top edges and stretch with the window.
    EXPECT_TRUE(same(rect_of(w, LIST), {list0.left, list0.top, list0.right + dx, list0.bottom + dy}));
    // Buttons (default) keep their size and the distance to the nearest edges: here right and bottom.
    EXPECT_TRUE(same(rect_of(w, CLOSE), {close0.left + dx, close0.top + dy, close0.right + dx, close0.bottom + dy}));
    // A control kept at its distance from the centre.
    EXPECT_TRUE(same(rect_of(w, BANNER_CLICK),
                     {click0.left + dx / 2, click0.top + dy / 2, click0.right + dx / 2, click0.bottom + dy / 2}));
    // The group box by its own rule: left and bottom, fixed; the entry in it goes along (nearest: left, bottom).
    EXPECT_TRUE(same(rect_of(w, GROUP_LEFT), {group0.left, group0.top + dy, group0.right, group0.bottom + dy}));
    EXPECT_TRUE(same(rect_of(w, SEARCH), {search0.left, search0.top + dy, search0.right, search0.bottom + dy}));

    // The design size is the smallest the user may give the window; there is no largest.
    MINMAXINFO mm{};
    mm.ptMaxTrackSize = {12345, 12345};
    SendMessageW(w.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
    RECT outer{0, 0, u.x(300), u.y(200)};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(w.hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(w.hwnd(), GWL_EXSTYLE)));
    EXPECT_EQ(mm.ptMinTrackSize.x, outer.right - outer.left);
    EXPECT_EQ(mm.ptMinTrackSize.y, outer.bottom - outer.top);
    EXPECT_EQ(mm.ptMaxTrackSize.x, 12345);

    // Back to the design size: everything where the description put it.
    w.set_position(rt::unchanged, rt::unchanged, 300, 200);
    resizer.resize();
    EXPECT_TRUE(same(rect_of(w, LIST), list0));
    EXPECT_TRUE(same(rect_of(w, CLOSE), close0));
}

TEST(UiResizer, ScaleStrategyScalesEverything) {
    rt::Window w(resizable_window());
    w.open();
    rt::Resizer resizer;
    resizer.init(w, scale, false, false);
    const SIZE before = w.client_size();
    w.set_position(rt::unchanged, rt::unchanged, 600, 400);
    resizer.resize();
    const SIZE after = w.client_size();
    const RECT close = rect_of(w, CLOSE);
    const rt::DialogUnits& u = w.units();
    EXPECT_EQ(close.left, MulDiv(u.x(250), after.cx, before.cx));
    EXPECT_EQ(close.right - close.left, MulDiv(u.x(40), after.cx, before.cx));
    // With the maximum flag the design size is also the largest.
    resizer.init(w, scale, false, true);
    MINMAXINFO mm{};
    SendMessageW(w.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
    RECT outer{0, 0, u.x(300), u.y(200)};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(w.hwnd(), GWL_STYLE)), FALSE, 0);
    EXPECT_EQ(mm.ptMaxTrackSize.x, outer.right - outer.left);
}

} // namespace
