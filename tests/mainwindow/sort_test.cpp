// Header sort, the column swap and what printing is handed, and a resize that gives the view its layout back.
#include "support.h"

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;
using Rows = std::vector<std::string>;

void documents(Library& lib) {
    lib.category(1, 1, u"가");
    lib.category(2, 2, u"나");
    // Dates whose display texts sort otherwise than their numbers: 1899 shows as "99/..", 2000 as "00/..".
    lib.document({.node = 1, .date = 73000, .time = 5, .subj = "b middle", .index = "I2"});
    lib.document({.node = 2, .date = 36000, .time = 5, .subj = "c oldest", .index = "I1"});
    lib.document({.node = 1, .date = 80000, .time = 5, .subj = "a newest", .index = "I3"});
}

TEST(Sort, HeaderClicksCycleAscendingDescendingAndNewestFirst) {
    WorkFolder work(L"sort-cycle");
    startup_test::write_office_ids();
    Library lib;
    documents(lib);
    lib.close();
    uitest::ScriptDriver d;
    const auto click = [](int column) {
        return [column](const View& v) { uitest::click_header(v.w, Ctl::LIST2, column); };
    };
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     click(2),
                     [](const View& v) {
                         EXPECT_EQ(u8(v.list().header(2)), "제목△");
                         EXPECT_EQ(v.column(2), (Rows{"a newest", "b middle", "c oldest"}));
                         uitest::click_header(v.w, Ctl::LIST2, 2);
                     },
                     [](const View& v) {
                         EXPECT_EQ(u8(v.list().header(2)), "제목▽");
                         EXPECT_EQ(v.column(2), (Rows{"c oldest", "b middle", "a newest"}));
                         uitest::click_header(v.w, Ctl::LIST2, 1); // another header takes the mark
                     },
                     [](const View& v) {
                         EXPECT_EQ(u8(v.list().header(2)), "제목");
                         EXPECT_EQ(u8(v.list().header(1)), "편집일△");
                         // The dates as numbers: the oldest first, though its text "99/..." sorts last.
                         EXPECT_EQ(v.column(2), (Rows{"c oldest", "b middle", "a newest"}));
                         uitest::click_header(v.w, Ctl::LIST2, 1);
                     },
                     click(1),
                     [](const View& v) {
                         EXPECT_EQ(u8(v.list().header(1)), "편집일");
                         EXPECT_EQ(v.column(2), (Rows{"a newest", "b middle", "c oldest"}));
                     },
                 });
}

TEST(Sort, TheSizeColumnSortsByTheSizeItShows) {
    WorkFolder work(L"sort-size");
    startup_test::write_office_ids();
    Library lib;
    for (const std::int32_t size : {522000, 53000, 0, 1234567, 999, 533000})
        lib.document({.date = 80000 + size % 97, .subj = std::to_string(size), .size = size});
    lib.close();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     [](const View& v) { uitest::click_header(v.w, Ctl::LIST2, 6); },
                     [](const View& v) {
                         EXPECT_EQ(u8(v.list().header(6)), "삽입문서△");
                         EXPECT_EQ(v.column(6), (Rows{"", "999 b", "53 K", "522 K", "533 K", "1 M"}));
                         uitest::click_header(v.w, Ctl::LIST2, 6);
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.column(6), (Rows{"1 M", "533 K", "522 K", "53 K", "999 b", ""}));
                     },
                 });
}

TEST(Sort, ColumnSwapIsWhatPrintingGetsUntilAResize) {
    WorkFolder work(L"sort-swap");
    startup_test::write_office_ids();
    Library lib;
    documents(lib);
    lib.close();
    std::vector<LISTFORMAT> printed;
    const auto listprint = main_procedures().LISTPRINT;
    main_procedures().LISTPRINT = [&](const std::string& title, rt::Queue<LISTFORMAT>& fq, rt::Queue<Q2TYPE>& q2) {
        EXPECT_EQ(u8(title), "편집일순");
        EXPECT_EQ(q2.records(), 3u);
        printed.clear();
        for (std::size_t n = 1; n <= fq.records(); ++n)
            printed.push_back(fq.row(n));
    };
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     [](const View& v) { uitest::drag_header(v.w, Ctl::LIST2, 2, 4); }, // title onto category
                     [](const View& v) {
                         EXPECT_EQ(u8(v.list().header(2)), "제목");
                         EXPECT_EQ(v.column(2), (Rows{"가", "가", "나"}));
                         EXPECT_EQ(v.column(4), (Rows{"a newest", "b middle", "c oldest"}));
                         v.list().set_width(2, 150);
                         v.w.post(rt::EventKind::accepted, Ctl::PRINT);
                     },
                     [&](const View& v) {
                         ASSERT_EQ(printed.size(), 8u);
                         EXPECT_EQ(printed[1].NO, 3);
                         EXPECT_EQ(printed[1].FORMAT.clip(), "@S30");
                         EXPECT_EQ(u8(printed[1].NAME.clip()), "제목");
                         EXPECT_EQ(printed[1].WIDTH, 100); // widened past 100: handed on as 100
                         EXPECT_EQ(printed[3].NO, 2);
                         EXPECT_EQ(printed[3].FORMAT.clip(), "@S80");
                         EXPECT_EQ(printed[0].NO, 7);
                         EXPECT_EQ(printed[0].FORMAT.clip(), "@D9-");
                         const rt::Rect at = v.w.position();
                         v.w.set_position(at.x, at.y, at.w + 40, at.h);
                     },
                     [](const View& v) {
                         // The view's layout again, the title column wider by what the list grew.
                         EXPECT_EQ(v.column(2), (Rows{"a newest", "b middle", "c oldest"}));
                         EXPECT_EQ(v.list().field(4), 3);
                         EXPECT_GT(v.list().width(2), 210);
                     },
                 });
    main_procedures().LISTPRINT = listprint;
    EXPECT_FALSE(printed.empty());
}

} // namespace
