// The document list: what each view lists and in which order, the search, the row texts, and the rows added,
// changed and removed in place after a form saved a document.
#include "support.h"

#include "runtime/clock.h"

#include <utility>

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;
using Rows = std::vector<std::string>;

// Stand-ins for the document form, for the duration of a test.
struct FormStandIn {
    explicit FormStandIn(std::function<void()> form)
        : real(std::exchange(main_procedures().UPDATEOFFICE, std::move(form))) {}
    ~FormStandIn() { main_procedures().UPDATEOFFICE = std::move(real); }
    std::function<void()> real;
};

TEST(List, EachViewListsItsDocumentsInItsOrder) {
    WorkFolder work(L"list-views");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 0, u"나", true);
    lib.document({.node = 1, .date = 80000, .subj = "old in 1", .index = "b-2"});
    lib.document({.node = 1, .date = 80005, .subj = "new in 1", .index = "ABCDEFGHIJ"});
    lib.document({.node = 0, .date = 80003, .subj = "no category", .index = "a-1", .size = 1234567, .ext = "DOC"});
    lib.document({.node = 2, .date = 80001, .subj = "in trashed 2", .sort = 10002, .size = 999, .ext = "XLS"});
    lib.document({.node = TRASH, .date = 80009, .subj = "trashed", .index = "c", .sort = 1, .size = 1000});
    lib.document({.node = 1, .date = 79000, .subj = "size", .size = 999999, .ext = "ppt"});
    lib.close();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     [](const View& v) {
                         // Newest first; the trash left out, a trashed category's document kept.
                         EXPECT_EQ(v.column(2), (Rows{"new in 1", "no category", "in trashed 2", "old in 1", "size"}));
                         EXPECT_EQ(v.column(4), (Rows{"가", "", "나", "가", "가"}));
                         EXPECT_EQ(v.column(6), (Rows{"", "1 M", "999 b", "", "1000 K"}));
                         EXPECT_EQ(v.list().cell_icon(2, 5), 1);
                         EXPECT_EQ(v.list().cell_icon(3, 5), 2);
                         EXPECT_EQ(v.list().cell_icon(5, 5), 0); // "ppt" is not upper case
                         EXPECT_EQ(v.selected_row(), 1);
                         v.choose(3);
                     },
                     [](const View& v) {
                         EXPECT_EQ(u8(v.list().header(1)), "목차");
                         EXPECT_EQ(v.column(1), (Rows{"a-1", "ABCDEFGH", "b-2"}));
                         v.choose(4); // category 가
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"new in 1", "old in 1", "size"}));
                         v.choose(5); // the trash
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.column(2), Rows{"trashed"});
                         EXPECT_EQ(v.column(6), Rows{"1 K"});
                         v.choose(1); // the root: the banner again
                     },
                     [](const View& v) {
                         EXPECT_TRUE(v.w.visible(Ctl::GROUP1));
                         EXPECT_FALSE(v.w.visible(Ctl::LIST2));
                     },
                 });
}

TEST(List, SearchKeepsExactMatchesInTitleIndexAndFirstLinkFile) {
    WorkFolder work(L"list-search");
    startup_test::write_office_ids();
    Library lib;
    lib.document({.date = 80010, .subj = "Annual report"});
    lib.document({.date = 80009, .subj = "other", .index = "XY-1234"});
    lib.document({.date = 80008, .subj = "linked", .afile1 = "minutes.txt"});
    lib.document({.date = 80007, .subj = "second link", .afile2 = "second.txt"});
    lib.document({.date = 80006, .subj = K(u"가나")});
    lib.document({.date = 80005, .subj = "REPORT upper"});
    lib.close();
    uitest::ScriptDriver d;
    const auto expect_search = [](std::u16string_view text, Rows titles) {
        return std::vector<Step>{
            [text](const View& v) { v.search(text); },
            [titles, text](const View& v) {
                EXPECT_EQ(v.column(2), titles) << u8(K(text));
                EXPECT_TRUE(v.w.visible(Ctl::BACK));
            },
        };
    };
    std::vector<Step> steps{[](const View& v) { v.choose(2); }};
    for (auto [text, titles] : std::vector<std::pair<std::u16string_view, Rows>>{
             {u"nual rep", {"Annual report"}},
             {u"123", {"other"}},
             {u"nutes", {"linked"}},
             {u"second.txt", {}},
             {u"report", {"Annual report"}},
             {u" report", {"Annual report"}},
             {u" other", {}},
             {u"〕", {}}, // its bytes stand across the two characters of "가나"
             {u"나", {"가나"}},
         })
        for (Step& s : expect_search(text, titles))
            steps.push_back(std::move(s));
    steps.push_back([](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::BACK); });
    steps.push_back([](const View& v) {
        EXPECT_EQ(v.rows(), 6u); // with the blank search every document again
        EXPECT_FALSE(v.w.visible(Ctl::BACK));
        EXPECT_EQ(u8(v.w.text(Ctl::LOC_SEARCH)), "");
    });
    run_steps(d, std::move(steps));
}

TEST(List, SavedDocumentsAreAddedAndRemovedInPlace) {
    WorkFolder work(L"list-inplace");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 2, u"나");
    lib.document({.node = 1, .date = 80000, .subj = "first"});
    lib.document({.node = 1, .date = 79000, .subj = "second"});
    lib.close();
    int calls = 0;
    FormStandIn form([&] {
        ++calls;
        if (ACTION == 1) {
            // A new document, saved in the other category.
            EXPECT_EQ(GND.NODE, calls == 1 ? 1 : 0);
            OFFICE.clear();
            OFC.NODE = 2;
            OFC.DATE = static_cast<std::int32_t>(rt::today());
            OFC.SUBJ = "new " + std::to_string(calls);
            EXPECT_EQ(OFFICE.add().code(), 0);
        } else if (ACTION == 3) {
            // To the trash.
            OFC.SORT = OFC.NODE;
            OFC.NODE = TRASH;
            EXPECT_EQ(OFFICE.put().code(), 0);
        }
        ACTION = 0;
    });
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.choose(4); }, // category 가
                     [](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::INSERT); },
                     [](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"new 1", "first", "second"}));
                         EXPECT_EQ(v.selected_row(), 1);
                         v.w.post(rt::EventKind::accepted, Ctl::DELETE);
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"first", "second"}));
                         EXPECT_EQ(v.selected_row(), 1); // the row that took its place
                         v.choose(1);                    // the root: a new document switches to the date view
                     },
                     [](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::INSERT); },
                     [](const View& v) {
                         EXPECT_EQ(v.selected_tree_row(), 2);
                         EXPECT_TRUE(v.w.visible(Ctl::LIST2));
                         EXPECT_EQ(v.column(2).at(0), "new 3");
                     },
                 });
    EXPECT_EQ(calls, 3);
}

TEST(List, WebButtonsStartTheBrowserWithOneQuotedAddress) {
    WorkFolder work(L"list-web");
    startup_test::write_office_ids();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::BUTTON21); },
                 });
    EXPECT_EQ(d.started, (std::vector<std::string>{"\"c:\\program Files\\Internet Explorer\\iexplore.exe\" "
                                                   "\"http://search.portal.example/search?where=nexearch&sm=top_hty"
                                                   "&fbm=0&ie=utf8&query=Velquin\""}));
}

} // namespace
