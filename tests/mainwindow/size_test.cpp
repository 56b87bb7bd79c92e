// The main window at other sizes: a maximized start and the size after it, and the smallest size.
#include "support.h"

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;

RECT design_rect(rt::Window& w, std::size_t i) {
    const rt::Rect& a = w.description().controls[i].at;
    const rt::DialogUnits& u = w.units();
    return {u.x(a.x), u.y(a.y), u.x(a.x) + u.x(a.w), u.y(a.y) + u.y(a.h)};
}

bool encloses(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Nothing shown covers what it did not cover in the design, and what lay inside another control still does.
void expect_laid_out_as_designed(rt::Window& w) {
    const std::size_t n = w.description().controls.size();
    std::vector<RECT> now(n);
    std::vector<bool> shown(n);
    for (std::size_t i = 0; i < n; ++i) {
        HWND h = w.handle_at(static_cast<int>(i));
        shown[i] = h && IsWindowVisible(h);
        if (!shown[i]) continue;
        GetWindowRect(h, &now[i]);
        MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&now[i]), 2);
    }
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            if (!shown[i] || !shown[j]) continue;
            const RECT a0 = design_rect(w, i), b0 = design_rect(w, j);
            RECT cut;
            if (!IntersectRect(&cut, &a0, &b0)) {
                EXPECT_FALSE(IntersectRect(&cut, &now[i], &now[j])) << "control " << i + 1 << " covers " << j + 1;
            } else if (encloses(a0, b0)) {
                EXPECT_TRUE(encloses(now[i], now[j])) << "control " << j + 1 << " left " << i + 1;
            }
        }
}

void documents(Library& lib) {
    lib.category(1, 1, u"가");
    lib.document({.node = 1, .date = 80000, .subj = "first", .index = "I1", .size = 48213, .ext = "DOC"});
    lib.document({.node = 0, .date = 79000, .subj = "second", .index = "I2"});
}

// Every column is there and as wide as its view's layout makes it at this width of the list.
void expect_columns(const View& v, int count, int title_width) {
    const int wider = v.w.position(Ctl::LIST2).w - 368;
    ASSERT_EQ(v.list().column_count(), count);
    EXPECT_EQ(u8(v.list().header(2)), "제목");
    EXPECT_NEAR(v.list().width(2), title_width + wider, 1);
    for (int i = 1; i <= count; ++i)
        EXPECT_GT(ListView_GetColumnWidth(v.w.handle(Ctl::LIST2), i), 0) << "column " << i;
}

TEST(Size, AfterAMaximizedStartEverySizeShowsTheListWithItsColumns) {
    WorkFolder work(L"size-maximized");
    startup_test::write_office_ids();
    rt::put_ini("MainWindow", "Maximize", "Yes", ".\\Velquin.INI");
    rt::put_ini("MainWindow", "Minimize", "No", ".\\Velquin.INI");
    Library lib;
    documents(lib);
    lib.close();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) {
                         ASSERT_TRUE(v.w.maximized());
                         expect_laid_out_as_designed(v.w); // the banner
                         v.choose(2);
                     },
                     [](const View& v) {
                         expect_columns(v, 8, 210);
                         EXPECT_EQ(v.rows(), 2u);
                         expect_laid_out_as_designed(v.w);
                         v.w.restore();
                     },
                     [](const View& v) {
                         ASSERT_FALSE(v.w.maximized());
                         // Its normal size was not kept: the design size.
                         EXPECT_EQ(v.w.position().w, 500);
                         expect_columns(v, 8, 210);
                         EXPECT_EQ(v.rows(), 2u);
                         expect_laid_out_as_designed(v.w);
                         v.choose(3);
                     },
                     [](const View& v) {
                         expect_columns(v, 7, 232);
                         EXPECT_EQ(v.rows(), 2u);
                         v.choose(4);
                     },
                     [](const View& v) {
                         expect_columns(v, 8, 210);
                         EXPECT_EQ(v.column(2), (std::vector<std::string>{"first"}));
                     },
                 });
}

TEST(Size, TheDesignSizeIsTheSmallest) {
    WorkFolder work(L"size-smallest");
    startup_test::write_office_ids();
    // A size saved smaller than the design is not taken either.
    rt::put_ini("MainWindow", "Maximize", "No", ".\\Velquin.INI");
    rt::put_ini("MainWindow", "Width", "300", ".\\Velquin.INI");
    rt::put_ini("MainWindow", "Height", "200", ".\\Velquin.INI");
    Library lib;
    documents(lib);
    lib.close();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) {
                         const SIZE design{v.w.units().x(500), v.w.units().y(379)};
                         SIZE now = v.w.client_size();
                         EXPECT_GE(now.cx, design.cx);
                         EXPECT_GE(now.cy, design.cy);
                         // As a window manager would size its frame.
                         SetWindowPos(v.w.hwnd(), nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
                         now = v.w.client_size();
                         EXPECT_GE(now.cx, design.cx);
                         EXPECT_GE(now.cy, design.cy);
                         // Larger is fine.
                         v.w.set_position(rt::unchanged, rt::unchanged, 640, 480);
                         EXPECT_EQ(v.w.position().w, 640);
                         v.choose(2);
                     },
                     [](const View& v) {
                         expect_columns(v, 8, 210);
                         expect_laid_out_as_designed(v.w);
                     },
                 });
}

} // namespace
