// What the main window's actions reach after the tree or the library changed under the list: nothing of another
// library, no restore of a live document, no new category in the trash, and after a removal the row that took
// its place.
#include "support.h"

#include "organizer/updateclass.h"

#include <utility>

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;
using Rows = std::vector<std::string>;

// One of the main window's procedures replaced for the duration of a test.
template <class F> struct StandIn {
    StandIn(F& slot, F stand_in) : slot(slot), real(std::exchange(slot, std::move(stand_in))) {}
    ~StandIn() { slot = std::move(real); }
    F& slot;
    F real;
};

// The document form's part in these tests: a delete moves the document to the trash; it counts its calls.
std::function<void()> trashing_form(int& calls) {
    return [&calls] {
        ++calls;
        if (ACTION == 3) {
            OFC.SORT = OFC.NODE;
            OFC.NODE = TRASH;
            EXPECT_EQ(OFFICE.put().code(), 0);
        }
        ACTION = 0;
    };
}

// Every button that acts on the list's selection, with the list left empty: none reaches a form or a record.
void press_row_buttons(const View& v) {
    for (Ctl c : {Ctl::CHANGE, Ctl::DELETE, Ctl::PRINT})
        v.w.post(rt::EventKind::accepted, c);
    v.w.post(rt::EventKind::alert_key, 0, rt::key::ctrl | rt::key::f8);
}

TEST(Stale, OpeningOrCreatingALibraryLeavesNoRowOfTheOldOne) {
    WorkFolder work(L"stale-open");
    startup_test::write_office_ids();
    const std::string other = work.cp949() + "\\other.VL1";
    {
        Library lib;
        lib.category(1, 1, u"가");
        lib.document({.node = 1, .subj = "in A"}); // position 3: in the other library the notice's is 2
        lib.document({.node = 1, .date = 79000, .subj = "old in A"});
        lib.close();
        OINI.DB = other;
        ASSERT_EQ(OFFICE.create().code(), 0);
    }
    int form_calls = 0;
    StandIn form(main_procedures().UPDATEOFFICE, trashing_form(form_calls));
    std::vector<std::size_t> printed;
    StandIn print(main_procedures().LISTPRINT,
                  std::function<ListProcedure>([&](const std::string&, rt::Queue<LISTFORMAT>&, rt::Queue<Q2TYPE>& q2) {
                      printed.push_back(q2.records());
                  }));
    StandIn newdb(main_procedures().NEWDB, std::function<void()>([&] {
                      GLO.DBPATH = work.cp949() + "\\made";
                      ACTION = 0;
                  }));
    const std::string choose_first = " 상단의 리스트를 먼저 선택하세요 ";
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.choose(4); },
                     [&](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"in A", "old in A"}));
                         d.file_answers = {other};
                         v.w.post(rt::EventKind::accepted, Ctl::OPEN);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.rows(), 0u);
                         EXPECT_LE(v.selected_row(), 0);
                         d.message_answers = {1};
                         press_row_buttons(v);
                     },
                     [](const View& v) { v.choose(2); }, // the notice of the other library
                     [](const View& v) {
                         EXPECT_EQ(v.column(2), Rows{"공지사항"});
                         v.w.post(rt::EventKind::accepted, Ctl::NEWDB);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.rows(), 0u);
                         EXPECT_EQ(v.w.title(), "Velquin - " + work.cp949() + "\\made.VL1");
                         d.message_answers = {1};
                         press_row_buttons(v);
                     },
                 });
    EXPECT_EQ(form_calls, 0);
    EXPECT_EQ(printed, (std::vector<std::size_t>{0, 0}));
    EXPECT_TRUE(d.stops.empty()) << d.stops.front();
    ASSERT_EQ(d.messages.size(), 2u);
    for (const rt::MessageRequest& m : d.messages)
        EXPECT_EQ(u8(m.text), choose_first);
}

// The tree rebuilt under a list: a new category under a trashed one, a category restored, a category renamed.
// The menus follow the row the tree shows, a new category is live, and a restore reaches only a trashed document.
TEST(Stale, TheTreesRowDecidesAndRestoreTakesOnlyTrashedDocuments) {
    WorkFolder work(L"stale-tree");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 0, u"나", true);
    const std::int32_t live = lib.document({.node = 1, .date = 80003, .subj = "live"});
    lib.document({.node = 2, .date = 80002, .subj = "in 2", .sort = 10002});
    const std::int32_t trashed = lib.document({.node = TRASH, .date = 80001, .subj = "trashed", .sort = 1});
    lib.close();
    const auto name = [](std::u16string_view text) {
        return [text](rt::Window& w) {
            w.set_text(classform::Ctl::OFC_SUBJ, K(text));
            w.post(rt::EventKind::accepted, classform::Ctl::OK);
        };
    };
    const std::string add_menu = "문서 추가", restore_menu = "문서 복원";
    uitest::ScriptDriver d;
    run_steps(d,
              {
                  [](const View& v) { v.choose(6); }, // the trashed 나
                  [](const View& v) {
                      EXPECT_EQ(v.column(2), Rows{"in 2"});
                      v.w.post(rt::EventKind::accepted, Ctl::TREEINSERT);
                  },
                  [&](const View& v) {
                      // Live, at the place of a fixed row's choice, and chosen.
                      EXPECT_EQ(v.tree_rows(),
                                (Rows{" 오피스문서 관리", "편집일순", "목차순", "가", "새분류", "휴지통", "나"}));
                      EXPECT_EQ(v.selected_tree_row(), 5);
                      d.popup_answers = {1};
                      d.message_answers = {1};
                      v.right_click_tree(7); // restore 나
                  },
                  [&](const View& v) {
                      EXPECT_EQ(u8(d.messages.back().text), "복원 되었습니다.");
                      EXPECT_EQ(v.selected_tree_row(), 2);
                      EXPECT_EQ(v.column(2), (Rows{"live", "in 2"})); // the view the tree chose
                      v.right_click_row(2);
                  },
                  [&](const View& v) {
                      EXPECT_EQ(u8(d.popups.back().at(0)), add_menu);
                      v.choose(4); // 가
                  },
                  [](const View& v) {
                      EXPECT_EQ(v.column(2), Rows{"live"});
                      v.w.post(rt::EventKind::accepted, Ctl::TREECHANGE);
                  },
                  [&](const View& v) {
                      EXPECT_EQ(v.tree_rows().at(3), "가2");
                      EXPECT_EQ(v.selected_tree_row(), 4);
                      v.right_click_row(1);
                  },
                  [&](const View& v) {
                      EXPECT_EQ(u8(d.popups.back().at(0)), add_menu);
                      v.choose(7); // the trash
                  },
                  [&](const View& v) {
                      EXPECT_EQ(v.column(2), Rows{"trashed"});
                      // Another copy of the program restores it meanwhile: the row still shows it.
                      lib.get(trashed);
                      OFC.NODE = 1;
                      OFC.SORT = 0;
                      ASSERT_EQ(OFFICE.put().code(), 0);
                      d.popup_answers = {1};
                      d.message_answers = {1};
                      v.right_click_row(1);
                  },
                  [&](const View& v) {
                      EXPECT_EQ(u8(d.popups.back().at(0)), restore_menu);
                      EXPECT_EQ(u8(d.messages.back().text), "휴지통에 있는 문서가 아닙니다. 휴지통의 문서만 복원할 수 "
                                                            "있습니다.");
                      EXPECT_EQ(v.rows(), 1u);
                  },
              },
              {name(u"새분류"), name(u"가2")});
    EXPECT_TRUE(d.stops.empty());
    lib.reopen();
    lib.get(trashed);
    EXPECT_EQ(OFC.NODE, 1) << "it kept the category it has";
    lib.get(live);
    EXPECT_EQ(OFC.NODE, 1);
    OFFICE.clear();
    OFC.TREE = 3;
    ASSERT_TRUE(OFFICE.get(OFC_RECORD::TREE_KEY));
    EXPECT_EQ(OFC.SORT, 1);
    EXPECT_EQ(OFC.LEVEL, 1);
}

TEST(Stale, AfterADeleteTheRowThatTookItsPlaceIsSelected) {
    WorkFolder work(L"stale-delete");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    for (int i = 0; i < 3; ++i)
        lib.document({.node = 1, .date = 80003 - i, .subj = std::string(1, static_cast<char>('a' + i))});
    lib.close();
    int form_calls = 0;
    StandIn form(main_procedures().UPDATEOFFICE, trashing_form(form_calls));
    const auto delete_row = [](int row) {
        return [row](const View& v) {
            v.list().select(v.w, static_cast<int>(Ctl::LIST2), row);
            v.w.post(rt::EventKind::accepted, Ctl::DELETE);
        };
    };
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.choose(4); },
                     delete_row(1),
                     [&](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"b", "c"}));
                         EXPECT_EQ(v.selected_row(), 1);
                         delete_row(2)(v);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.column(2), Rows{"b"});
                         EXPECT_EQ(v.selected_row(), 1); // the last row
                         v.w.post(rt::EventKind::accepted, Ctl::DELETE);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.rows(), 0u);
                         EXPECT_EQ(form_calls, 3);
                         v.w.post(rt::EventKind::accepted, Ctl::CHANGE);
                         v.w.post(rt::EventKind::accepted, Ctl::DELETE);
                     },
                 });
    EXPECT_EQ(form_calls, 3);
    EXPECT_TRUE(d.stops.empty());
}

} // namespace
