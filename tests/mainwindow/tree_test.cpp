// The category tree: the rows of a new library, moving categories, trashing, restoring and deleting them for
// good with their folders, and restoring trashed documents.
#include "support.h"

#include "runtime/clock.h"
#include "runtime/picture.h"

#include <sqlite3.h>

namespace {

using namespace mainwindow_test;
using startup_test::exists;
using startup_test::WorkFolder;
using Rows = std::vector<std::string>;

const std::string ROOT = " 오피스문서 관리", DATES = "편집일순", INDEX = "목차순", TRASH_ROW = "휴지통";

TEST(Tree, NewLibraryShowsTheFixedRowsAndTheNotice) {
    WorkFolder work(L"tree-new");
    startup_test::write_office_ids();
    uitest::ScriptDriver d;
    run_steps(d, {
                     [](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, TRASH_ROW}));
                         EXPECT_EQ(v.selected_tree_row(), 1);
                         EXPECT_TRUE(v.w.visible(Ctl::GROUP1));
                         EXPECT_FALSE(v.w.visible(Ctl::LIST2));
                         EXPECT_EQ(GNODE.records(), 1u);
                         v.choose(2);
                     },
                     [](const View& v) {
                         EXPECT_TRUE(v.w.visible(Ctl::LIST2));
                         EXPECT_FALSE(v.w.visible(Ctl::GROUP1));
                         EXPECT_EQ(v.column(2), Rows{"공지사항"});
                         EXPECT_EQ(v.column(1), Rows{u8(rt::format(static_cast<double>(rt::today()), "@D9-"))});
                         EXPECT_EQ(u8(v.list().header(1)), "편집일");
                     },
                 });
}

TEST(Tree, CategoriesMoveOnlyWhenTheirPlacesMeet) {
    WorkFolder work(L"tree-move");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 3, u"나");
    const std::int32_t da = lib.category(3, 4, u"다");
    lib.document({});
    lib.close();
    uitest::ScriptDriver d;
    d.popup_answers = {4, 4, 4, 5};
    run_steps(d, {
                     [](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", "나", "다", TRASH_ROW}));
                         v.right_click_tree(6); // "다" up: 4 -> 3, the place of "나": no change to be seen
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", "나", "다", TRASH_ROW}));
                         EXPECT_EQ(v.selected_tree_row(), 6);
                         v.right_click_tree(6); // 3 -> 2: before "나"
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", "다", "나", TRASH_ROW}));
                         EXPECT_EQ(v.selected_tree_row(), 5);
                         d.message_answers = {1};
                         v.right_click_tree(7); // the trash cannot move
                     },
                     [&](const View& v) {
                         ASSERT_EQ(d.messages.size(), 1u);
                         EXPECT_EQ(u8(d.messages[0].text), " 수정할 수 없는 노드입니다.");
                         v.right_click_tree(5); // "다" down again: 2 -> 3, level with "나", which has the lower number
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", "나", "다", TRASH_ROW}));
                     },
                 });
    ASSERT_EQ(d.popups.size(), 4u);
    EXPECT_EQ(u8(d.popups[0][3]), "↑위로 이동");
    lib.reopen();
    lib.get(da);
    EXPECT_EQ(OFC.SORT, 3);
}

TEST(Tree, ATrashedCategoryComesBackAtThePlaceOfItsNumber) {
    WorkFolder work(L"tree-trash");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 5, u"가");
    const std::int32_t na = lib.category(2, 7, u"나"); // after "가" until it goes to the trash
    const std::int32_t doc = lib.document({.node = 2, .date = 80001, .subj = "in 2"});
    lib.document({.node = 1, .subj = "in 1"});
    lib.close();
    uitest::ScriptDriver d;
    d.message_answers = {1, 1, 1};
    d.popup_answers = {1};
    run_steps(d, {
                     [](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", "나", TRASH_ROW}));
                         v.choose(5);
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"in 2"}));
                         v.w.post(rt::EventKind::accepted, Ctl::TREEDELETE);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(u8(d.messages.at(0).text), "선택한 문서분류를 삭제하시겠습니까?");
                         EXPECT_EQ(u8(d.messages.at(0).caption), "문서분류 삭제");
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW, "나"}));
                         EXPECT_EQ(v.tree().level(6), v.tree().level(5) + 1);
                         EXPECT_EQ(v.selected_tree_row(), 2);
                         // The list shows the view the tree chose, not the trashed category.
                         EXPECT_EQ(v.column(2), (Rows{"in 2", "in 1"}));
                         // Trashing it again is refused.
                         v.tree().select(v.w, static_cast<int>(Ctl::TREE), 6);
                         v.w.post(rt::EventKind::accepted, Ctl::TREEDELETE);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(u8(d.messages.at(1).text), " 휴지통 내의 분류는 해당분류를 선택하고 마우스 "
                                                                "우클릭으로 복원 또는 완전삭제할 수 있습니다.");
                         v.right_click_tree(6);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(u8(d.popups.at(0).at(0)), "분류 복원");
                         EXPECT_EQ(u8(d.messages.at(2).text), "복원 되었습니다.");
                         // Back at the place of its number, 2: before "가" (5), not where it stood.
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "나", "가", TRASH_ROW}));
                         EXPECT_EQ(v.selected_tree_row(), 2);
                     },
                 });
    lib.reopen();
    lib.get(na);
    EXPECT_EQ(OFC.SORT, 2);
    EXPECT_EQ(OFC.LEVEL, 1);
    lib.get(doc);
    EXPECT_EQ(OFC.SORT, 0);
    EXPECT_EQ(OFC.NODE, 2);
}

TEST(Tree, DeletingForGoodRemovesOnlyTheCategorysOwnFiles) {
    WorkFolder work(L"kim.js"); // a dot in the library's folder
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    const std::int32_t na = lib.category(2, 0, u"나", true);
    const std::int32_t up = lib.category(3, 0, u"..", true);
    const std::int32_t gone = lib.category(4, 0, u"없는폴더", true);
    const std::int32_t dotted = lib.category(5, 0, u"가.", true); // Windows would take it for "가"
    const std::int32_t device = lib.category(6, 0, u"CON", true);
    const std::int32_t d1 = lib.document({.node = 2, .subj = "d1", .afile1 = "a.txt", .sort = 10002});
    const std::int32_t d2 = lib.document({.node = 2, .subj = "d2", .sort = 10002});
    // Trashed by itself while its category was live: its file in the category's folder stays for it.
    const std::int32_t alone = lib.document({.node = TRASH, .subj = "alone", .afile1 = "kept.txt", .sort = 2});
    const std::int32_t d3 = lib.document({.node = 3, .subj = "d3", .sort = 10003});
    lib.close();
    // The link root is the library's path without its extension.
    const std::wstring root = work.file(L"myOFFICE");
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring folder = root + L"\\" + rt::wide(K(u"나"));
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\empty").c_str(), nullptr);
    const std::wstring live = root + L"\\" + rt::wide(K(u"가"));
    CreateDirectoryW(live.c_str(), nullptr);
    startup_test::write_file(live + L"\\b.txt", "b");
    startup_test::write_file(folder + L"\\a.txt", "a");
    startup_test::write_file(folder + L"\\Kept.TXT", "k");
    startup_test::write_file(root + L"\\keep.txt", "k");
    startup_test::write_file(work.file(L"keep-too.txt"), "k");

    uitest::ScriptDriver d;
    d.message_answers = {1, 1, 1, 1, 1, 1, 1, 1};
    d.popup_answers = {2, 2, 2, 2, 2};
    run_steps(d, {
                     [](const View& v) {
                         EXPECT_EQ(v.tree_rows(),
                                   (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW, "나", "..", "없는폴더", "가.", "CON"}));
                         v.choose(6);
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"d1", "d2"}));
                         v.right_click_tree(6);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(u8(d.messages.at(0).text), "분류와 포함된 문서를 완전히 삭제합니다. 복구할 수 "
                                                                "없습니다. ");
                         EXPECT_EQ(v.tree_rows(),
                                   (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW, "..", "없는폴더", "가.", "CON"}));
                         // The deleted documents are gone from the list too: it shows the edit-date view.
                         EXPECT_EQ(v.selected_tree_row(), 2);
                         EXPECT_EQ(v.column(2), (Rows{"d3"}));
                         v.right_click_tree(6);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW, "없는폴더", "가.", "CON"}));
                         v.right_click_tree(6);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW, "가.", "CON"}));
                         v.right_click_tree(6);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW, "CON"}));
                         v.right_click_tree(6);
                     },
                     [&](const View& v) { EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW})); },
                 });
    // Names that may not be folders' have no folder: the user is told that nothing was removed for them.
    std::string told;
    for (const auto& m : d.messages) told += "[" + u8(m.text) + "]";
    const std::string ask = "[분류와 포함된 문서를 완전히 삭제합니다. 복구할 수 없습니다. ]";
    const std::string left = "] 분류명은 폴더명으로 쓸 수 없는 이름이라 링크파일 폴더는 그대로 둡니다.]";
    EXPECT_EQ(told, ask + ask + "[[.." + left + ask + ask + "[[가." + left + ask + "[[CON" + left);
    EXPECT_FALSE(exists(folder + L"\\a.txt"));
    EXPECT_FALSE(exists(folder + L"\\empty"));
    EXPECT_EQ(startup_test::read_file(folder + L"\\Kept.TXT"), "k");
    EXPECT_TRUE(exists(live + L"\\b.txt"));
    EXPECT_TRUE(exists(root + L"\\keep.txt"));
    EXPECT_TRUE(exists(work.file(L"keep-too.txt")));
    lib.reopen();
    for (std::int32_t pos : {na, up, gone, dotted, device, d1, d2, d3}) {
        EXPECT_EQ(OFFICE.get_at(pos).code(), rt::ERR_RECORD_NOT_FOUND) << pos;
    }
    lib.get(alone); // trashed by itself earlier: not the category's any more
    EXPECT_EQ(OFC.SUBJ.clip(), "alone");
}

// Another program holds the library's write lock: every category write is reported through the stop prompt, none
// is claimed as done, and nothing of it reaches the file. A list whose scan stops on a lock says so.
TEST(Tree, ACategoryWriteThatFailsIsReportedAndLeavesNothing) {
    WorkFolder work(L"tree-locked");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 0, u"나", true);
    lib.document({.node = 1, .subj = "d1"});
    lib.document({.node = 2, .subj = "d2", .afile1 = "f.txt", .sort = 10002});
    lib.close();
    const std::wstring file = work.file(L"myOFFICE\\") + rt::wide(K(u"나")) + L"\\f.txt";
    CreateDirectoryW(work.file(L"myOFFICE").c_str(), nullptr);
    CreateDirectoryW(work.file(L"myOFFICE\\" + rt::wide(K(u"나"))).c_str(), nullptr);
    startup_test::write_file(file, "f");
    std::string before;
    auto contents = [&] {
        std::string out;
        rt::Status st = OFFICE.set(OFC_RECORD::TREE_KEY);
        for (st = st ? OFFICE.next() : st; st; st = OFFICE.next())
            out += std::to_string(OFC.TREE) + "/" + std::to_string(OFC.SORT) + "/" + std::to_string(OFC.LEVEL) + " ";
        st = OFFICE.set(OFC_RECORD::NODE_KEY);
        for (st = st ? OFFICE.next() : st; st; st = OFFICE.next())
            out += OFC.SUBJ.clip() + "/" + std::to_string(OFC.NODE) + "/" + std::to_string(OFC.SORT) + " ";
        EXPECT_TRUE(st.end()) << rt::error_text();
        return out;
    };
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("myOFFICE.VL1", &other), SQLITE_OK);
    const std::string locked = "File Is Already Locked";
    uitest::ScriptDriver d;
    d.message_answers = {1, 1};
    d.popup_answers = {1, 2, 4};
    run_steps(d, {
                     [&](const View& v) {
                         before = contents();
                         ASSERT_EQ(OFFICE.send("Recover=0"), "0");
                         ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
                         v.tree().select(v.w, static_cast<int>(Ctl::TREE), 4);
                         v.w.post(rt::EventKind::accepted, Ctl::TREEDELETE);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(d.stops, (Rows{locked}));
                         v.right_click_tree(6); // restore
                     },
                     [&](const View& v) {
                         EXPECT_EQ(d.stops, (Rows{locked, locked}));
                         v.right_click_tree(6); // delete for good
                     },
                     [&](const View& v) {
                         EXPECT_EQ(d.stops, (Rows{locked, locked, locked}));
                         v.right_click_tree(4); // up
                     },
                     [&](const View& v) {
                         EXPECT_EQ(d.stops, (Rows{locked, locked, locked, locked}));
                         EXPECT_EQ(d.messages.size(), 2u) << "no success claimed";
                         EXPECT_EQ(v.tree_rows(), (Rows{ROOT, DATES, INDEX, "가", TRASH_ROW, "나"}));
                         EXPECT_EQ(contents(), before);
                         // Now nobody may read either: the list's scan stops at once.
                         sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
                         ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
                         v.choose(2);
                     },
                     [&](const View&) {
                         EXPECT_EQ(d.stops.size(), 5u);
                         EXPECT_EQ(d.stops.back(), locked);
                         sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
                     },
                 });
    sqlite3_close(other);
    EXPECT_TRUE(exists(file)) << "the failed delete for good left the category's files";
    lib.reopen();
    EXPECT_EQ(contents(), before);
}

TEST(Tree, TrashedDocumentsGoBackToTheirCategoryUnlessItIsTrashedToo) {
    WorkFolder work(L"tree-restore");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 0, u"나", true);
    const std::int32_t from1 = lib.document({.node = TRASH, .date = 80002, .subj = "from 1", .sort = 1});
    const std::int32_t from_none = lib.document({.node = TRASH, .date = 80001, .subj = "from none", .sort = 0});
    lib.document({.node = 2, .subj = "in trashed 2", .sort = 10002});
    lib.close();
    uitest::ScriptDriver d;
    d.popup_answers = {1, 1, 1};
    run_steps(d, {
                     [](const View& v) { v.choose(5); }, // the trash
                     [&](const View& v) {
                         EXPECT_EQ(u8(v.list().header(1)), "삭제일");
                         EXPECT_EQ(v.column(2), (Rows{"from 1", "from none"}));
                         EXPECT_EQ(v.column(4), (Rows{"가", ""})); // the category each came from
                         d.message_answers = {1};
                         v.right_click_row(1);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(u8(d.popups.at(0).at(0)), "문서 복원");
                         EXPECT_EQ(u8(d.messages.at(0).text), "복원 되었습니다.");
                         EXPECT_EQ(v.column(2), (Rows{"from none"}));
                         d.message_answers = {1};
                         v.right_click_row(1);
                     },
                     [](const View& v) {
                         EXPECT_EQ(v.rows(), 0u);
                         v.choose(6); // the trashed category
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.column(2), (Rows{"in trashed 2"}));
                         d.message_answers = {1};
                         v.right_click_row(1);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(u8(d.messages.at(2).text), "삭제된 분류의 문서는 복원할 수 없습니다.  분류폴더를 "
                                                                "먼저 복원해야 합니다.");
                         EXPECT_EQ(d.beeps, 1);
                         EXPECT_EQ(v.rows(), 1u);
                     },
                 });
    lib.reopen();
    lib.get(from1);
    EXPECT_EQ(OFC.NODE, 1);
    EXPECT_EQ(OFC.SORT, 0);
    EXPECT_EQ(OFC.DATE, rt::today());
    lib.get(from_none);
    EXPECT_EQ(OFC.NODE, 0);
}

} // namespace
