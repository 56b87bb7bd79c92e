// The main window with a category tree and a filled list, sorted by its title column: photographed by the
// screenshot test (which holds the window open with VELQUIN_HOLD_MS), and checked here as it stands.
#include "support.h"

#include <cstdlib>

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;

TEST(Screenshot, MainWindowWithTreeAndList) {
    WorkFolder work(L"screenshot");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"회의 자료");
    lib.category(2, 2, u"보고서");
    lib.category(3, 3, u"개인 문서");
    lib.category(4, 0, u"지난 계획", true);
    lib.document({.node = 1, .date = 82000, .time = 900, .subj = K(u"주간 회의록"), .index = "M-001",
                  .afile1 = "minutes.txt", .size = 48213, .ext = "DOC"});
    lib.document({.node = 2, .date = 81990, .time = 100, .subj = K(u"분기 실적 보고"), .index = "R-2026",
                  .size = 1234567, .ext = "XLS"});
    lib.document({.node = 2, .date = 81980, .time = 100, .subj = K(u"발표 자료"), .size = 999, .ext = "PPT"});
    lib.document({.node = 3, .date = 81970, .time = 100, .subj = K(u"가계부 정리")});
    lib.document({.node = 1, .date = 81960, .time = 100, .subj = K(u"안건 목록"), .index = "M-002", .ext = "DOC"});
    lib.close();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     [](const View& v) { uitest::click_header(v.w, Ctl::LIST2, 2); },
                     [](const View& v) {
                         EXPECT_EQ(v.rows(), 5u);
                         EXPECT_EQ(u8(v.list().header(2)), "제목△");
                         EXPECT_EQ(u8(v.list().cell(1, 2)), "가계부 정리");
                         EXPECT_EQ(v.list().cell_icon(1, 5), 0); // no embedded document
                         EXPECT_EQ(v.list().cell_icon(2, 5), 3); // "발표 자료", a presentation
                         if (const char* hold = std::getenv("VELQUIN_HOLD_MS")) uitest::pump(std::atoi(hold));
                     },
                 });
}

// The main window at its design size, maximized at the start, and back in its normal size after that: each
// photographed by its own screenshot test, and checked here as it stands.
void sized_window(const wchar_t* folder, bool maximized, bool restore) {
    WorkFolder work(folder);
    startup_test::write_office_ids();
    if (maximized) {
        rt::put_ini("MainWindow", "Maximize", "Yes", ".\\Velquin.INI");
        rt::put_ini("MainWindow", "Minimize", "No", ".\\Velquin.INI");
    }
    Library lib;
    lib.category(1, 1, u"회의 자료");
    lib.category(2, 2, u"보고서");
    for (int i = 0; i < 40; ++i)
        lib.document({.node = static_cast<std::int16_t>(1 + i % 2), .date = 82000 - i, .time = 900,
                      .subj = K(i % 2 ? u"주간 회의록 " : u"분기 실적 보고 ") + std::to_string(i + 1),
                      .index = "M-" + std::to_string(100 + i), .size = 1000 * i, .ext = i % 3 ? "DOC" : "XLS"});
    lib.close();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [&](const View& v) {
                         EXPECT_EQ(v.w.maximized(), maximized);
                         v.choose(2);
                         if (restore) v.w.restore();
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.w.maximized(), maximized && !restore);
                         EXPECT_EQ(v.list().column_count(), 8);
                         EXPECT_EQ(v.rows(), 40u);
                         // The screenshot waits for this title: the window stands as checked.
                         v.w.set_title("Velquin - myOFFICE.VL1");
                         if (const char* hold = std::getenv("VELQUIN_HOLD_MS")) uitest::pump(std::atoi(hold));
                     },
                 });
}

TEST(Screenshot, DesignSize) { sized_window(L"screenshot-design", false, false); }
TEST(Screenshot, Maximized) { sized_window(L"screenshot-maximized", true, false); }
TEST(Screenshot, RestoredAfterAMaximizedStart) { sized_window(L"screenshot-restored", true, true); }

} // namespace
