// Opening another library from the main window: the tree built again from it, the banner shown, the window
// back at its saved place; a cancelled dialog changes nothing.
#include "support.h"

#include "organizer/standard.h"

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;
using Rows = std::vector<std::string>;

TEST(Library, AnotherLibraryRebuildsTheTreeAndShowsTheBanner) {
    WorkFolder work(L"open-other");
    startup_test::write_office_ids();
    // In a folder with a dot: the link root is the library's path without the extension of its file name.
    CreateDirectoryW(work.file(L"kim.js").c_str(), nullptr);
    const std::string other = work.cp949() + "\\kim.js\\other.VL1";
    {
        Library lib;
        lib.category(1, 1, u"가");
        lib.document({.node = 1, .subj = "in A"});
        lib.close();
        OINI.DB = other;
        EXPECT_EQ(OFFICE.create().code(), 0);
        EXPECT_EQ(OFFICE.open().code(), 0);
        OFFICE.clear();
        EXPECT_EQ(OFFICE.add().code(), 0);
        OFC.TREE = 1;
        OFC.SORT = 1;
        OFC.LEVEL = 1;
        OFC.SUBJ = u"다른 분류";
        EXPECT_EQ(OFFICE.add().code(), 0);
        OFFICE.close();
    }
    uitest::ScriptDriver d;
    rt::Rect saved;
    std::string title;
    run_steps(d, {
                     [](const View& v) { v.choose(4); },
                     [&](const View& v) {
                         EXPECT_EQ(v.column(2), Rows{"in A"});
                         INISAVEWINDOW(v.w, MAIN_SECTION, SETTINGS_FILE);
                         saved = v.w.position();
                         title = v.w.title();
                         v.w.set_position(saved.x + 30, saved.y + 20);
                         d.file_answers = {""}; // cancelled
                         v.w.post(rt::EventKind::accepted, Ctl::OPEN);
                     },
                     [&](const View& v) {
                         EXPECT_EQ(v.selected_tree_row(), 4);
                         EXPECT_EQ(v.column(2), Rows{"in A"});
                         EXPECT_EQ(v.w.title(), title);
                         d.file_answers = {other};
                         v.w.post(rt::EventKind::accepted, Ctl::OPEN);
                     },
                     [&](const View& v) {
                         ASSERT_EQ(d.file_dialogs.size(), 2u);
                         EXPECT_EQ(d.file_dialogs[0], "File Open");
                         EXPECT_EQ(d.file_starts[0], GLO.HOMEPATH.clip() + "\\*.VL1");
                         EXPECT_EQ(v.tree_rows(),
                                   (Rows{" 오피스문서 관리", "편집일순", "목차순", "다른 분류", "휴지통"}));
                         EXPECT_EQ(v.selected_tree_row(), 1);
                         EXPECT_TRUE(v.w.visible(Ctl::GROUP1));
                         EXPECT_FALSE(v.w.visible(Ctl::LIST2));
                         EXPECT_EQ(v.w.title(), "Velquin - " + other);
                         EXPECT_EQ(v.w.position(), saved);
                         EXPECT_EQ(GLO.DBPATH.clip(), work.cp949() + "\\kim.js\\other");
                         v.choose(2);
                     },
                     [](const View& v) {
                         // A library of two records gets no notice: only its category record and the blank one.
                         EXPECT_EQ(v.rows(), 0u);
                     },
                 });
    EXPECT_EQ(rt::get_ini("Velquin", "DefaultDB", "", ".\\Velquin.INI"), other);
}

} // namespace
