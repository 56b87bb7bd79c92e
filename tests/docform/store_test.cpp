// Storing documents from the form: new ones with their linked files copied into the category folder or the link
// root, changed ones with their files renamed, removed and moved, the overwrite question and the trash.
#include "support.h"

namespace {

using namespace docform_test;
using startup_test::exists;
using startup_test::read_file;
using startup_test::write_file;

TEST(Store, NewDocumentsCopyTheirLinkedFilesIntoTheCategoryFolderOrTheLinkRoot) {
    WorkFolder work(L"store-insert");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"보고서");
    add_document({.subj = "old"});
    lib.close();
    CreateDirectoryW(work.file(L"src").c_str(), nullptr);
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) write_file(work.file(L"src\\") + name, rt::narrow(name));
    const std::string src = work.cp949() + "\\src\\";
    uitest::ScriptDriver d;
    d.file_answers = {src + "c.txt", src + "a.txt", src + "b.txt"};
    std::vector<Act> steps{
        // No category: the link root is made on the first copy.
        choose_tree(2),
        press(MAIN, static_cast<int>(Ctl::INSERT)),
        {INSERT_FORM,
         [&](rt::Window& w) {
             EXPECT_FALSE(w.visible(F::LIST1));
             EXPECT_EQ(w.selection(F::CATEGORY), 0);
             w.set_text(F::OFC_SUBJ, "in root");
             w.post(rt::EventKind::accepted, F::AFILE);
         }},
    };
    for (Act& s : add_link(INSERT_FORM, "rc")) steps.push_back(std::move(s));
    steps.push_back({INSERT_FORM, [&](rt::Window& w) {
                         EXPECT_TRUE(w.visible(F::LIST1));
                         EXPECT_FALSE(exists(work.file(L"myOFFICE")));
                         w.post(rt::EventKind::accepted, F::OK);
                     }});
    // In a category: its folder is made.
    steps.push_back({MAIN, [](rt::Window& w) {
                         EXPECT_EQ(u8(View{w}.list().cell(1, 2)), "in root");
                         View{w}.choose(4);
                     }});
    steps.push_back(press(MAIN, static_cast<int>(Ctl::INSERT)));
    steps.push_back({INSERT_FORM, [](rt::Window& w) {
                         EXPECT_EQ(w.selection(F::CATEGORY), 2); // after "분류없음"
                         w.set_text(F::OFC_SUBJ, K(u"분류 문서"));
                         w.set_text(F::OFC_INDEX, "I-7");
                         w.post(rt::EventKind::accepted, F::AFILE);
                     }});
    for (Act& s : add_link(INSERT_FORM, "ra")) steps.push_back(std::move(s));
    for (Act& s : add_link(INSERT_FORM, "rb")) steps.push_back(std::move(s));
    steps.push_back(press(INSERT_FORM, static_cast<int>(F::OK)));
    steps.push_back({MAIN, [](rt::Window& w) {
                         EXPECT_EQ(View{w}.column(2), Rows{u8(K(u"분류 문서"))});
                     }});
    run_program(d, std::move(steps));
    EXPECT_EQ(texts(d.messages), "");

    EXPECT_EQ(read_file(work.file(L"myOFFICE\\c.txt")), "c.txt");
    EXPECT_EQ(read_file(work.file(L"myOFFICE\\보고서\\a.txt")), "a.txt");
    EXPECT_EQ(read_file(work.file(L"myOFFICE\\보고서\\b.txt")), "b.txt");
    EXPECT_TRUE(exists(work.file(L"src\\a.txt"))); // copied, not moved
    lib.reopen();
    const std::int32_t root_doc = find_document("in root"), category_doc = find_document(K(u"분류 문서"));
    EXPECT_EQ(links_of(root_doc), Rows{"c.txt/rc"});
    EXPECT_EQ(OFC.NODE, 0);
    EXPECT_EQ(links_of(category_doc), (Rows{"a.txt/ra", "b.txt/rb"}));
    EXPECT_EQ(OFC.NODE, 1);
    EXPECT_EQ(OFC.INDEX.clip(), "I-7");
    EXPECT_EQ(OFC.CDATE, OFC.DATE);
    EXPECT_GT(OFC.DATE, 80000);
}

} // namespace

namespace {

TEST(Store, AChangedDocumentRenamesRemovesAndMovesItsStoredFiles) {
    WorkFolder work(L"store-change");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 2, u"나");
    add_document({.node = 0, .subj = "newer"});
    OFFICE.clear();
    add_document({.node = 1, .subj = "x", .index = "I", .links = {"a.txt", "b.txt", "c.txt"}});
    EXPECT_EQ(OFFICE.get_at(OFFICE.position()).code(), 0);
    OFC.DATE = 79990; // older than "newer": the second row of the edit-date view
    (void)OFFICE.put();
    lib.close();
    const std::wstring from = work.file(L"myOFFICE\\가\\"), to = work.file(L"myOFFICE\\나\\");
    CreateDirectoryW(work.file(L"myOFFICE").c_str(), nullptr);
    CreateDirectoryW(from.c_str(), nullptr);
    CreateDirectoryW(work.file(L"src").c_str(), nullptr);
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) write_file(from + name, rt::narrow(name));
    write_file(work.file(L"src\\a2.txt"), "a2");
    write_file(work.file(L"src\\d.txt"), "another d");
    const std::string src = work.cp949() + "\\src\\";
    uitest::ScriptDriver d;
    d.file_answers = {src + "a2.txt", src + "d.txt"};
    d.message_answers = {};
    run_program(d, {
                       choose_tree(2),
                       open_row(2),
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            // With links the panel shows and the body is 154 units shorter than the window.
                            EXPECT_TRUE(w.visible(F::LIST1));
                            EXPECT_EQ(w.position(F::RTEXT).h, w.position().h - 154);
                            EXPECT_EQ(w.selection(F::CATEGORY), 2);
                            EXPECT_EQ(u8(w.status()), "편집일: 19-12-30 12:00AM 최초작성일: 17-04-14");
                            w.set_text(F::OFC_SUBJ, "x2");
                            w.set_text(F::OFC_INDEX, "N1");
                            w.select(F::CATEGORY, 3);
                            w.post(rt::EventKind::accepted, F::CATEGORY);
                            w.select(F::LIST1, 1);
                            w.post(rt::EventKind::accepted, F::CHANGE);
                        }},
                       press(CHANGE_LINK, static_cast<int>(L::BUTTON)), // another file for a.txt
                       link_ok(CHANGE_LINK, "ra2"),
                       on_link(CHANGE_FORM, 2, F::DELETE), // b.txt
                       link_ok(DELETE_LINK, "unchanged"),
                       on_link(CHANGE_FORM, 2, F::CHANGE), // c.txt: only its remark
                       link_ok(CHANGE_LINK, "rc2"),
                       press(CHANGE_FORM, static_cast<int>(F::INSERT)), // d.txt added and deleted again
                       link_ok(ADD_LINK, "rd"),
                       on_link(CHANGE_FORM, 3, F::DELETE),
                       link_ok(DELETE_LINK, ""),
                       press(CHANGE_FORM, static_cast<int>(F::OK)),
                       {MAIN,
                        [](rt::Window& w) {
                            // The changed row moves to the top of the edit-date view.
                            EXPECT_EQ(View{w}.column(2), (Rows{"x2", "newer"}));
                            EXPECT_EQ(View{w}.column(4), (Rows{"나", ""}));
                            EXPECT_EQ(View{w}.selected_row(), 1);
                        }},
                   });
    EXPECT_EQ(texts(d.messages), "");
    EXPECT_FALSE(exists(from + L"a.txt"));
    EXPECT_FALSE(exists(from + L"b.txt"));
    EXPECT_FALSE(exists(from + L"c.txt"));
    EXPECT_EQ(read_file(from + L"d.txt"), "d.txt"); // another link's file of the name added and dropped
    EXPECT_EQ(read_file(to + L"a2.txt"), "a2");
    EXPECT_EQ(read_file(to + L"c.txt"), "c.txt");
    lib.reopen();
    EXPECT_EQ(links_of(find_document("x2")), (Rows{"a2.txt/ra2", "c.txt/rc2"}));
    EXPECT_EQ(OFC.NODE, 2);
    EXPECT_EQ(OFC.INDEX.clip(), "N1");
    EXPECT_EQ(OFC.CDATE, 79000);
}

TEST(Store, ACategoryFolderThatCannotBeMadeKeepsTheDocumentInItsCategory) {
    WorkFolder work(L"store-nofolder");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 2, u"막힘");
    add_document({.node = 1, .subj = "x", .links = {"a.txt"}});
    lib.close();
    CreateDirectoryW(work.file(L"myOFFICE").c_str(), nullptr);
    CreateDirectoryW(work.file(L"myOFFICE\\가").c_str(), nullptr);
    write_file(work.file(L"myOFFICE\\가\\a.txt"), "a");
    write_file(work.file(L"myOFFICE\\막힘"), "a file where the folder would be");
    uitest::ScriptDriver d;
    d.message_answers = {1, 1, 1};
    run_program(d, {
                       choose_tree(4),
                       open_row(1),
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            w.set_text(F::OFC_SUBJ, "x2");
                            w.select(F::CATEGORY, 3);
                            w.post(rt::EventKind::accepted, F::CATEGORY);
                            w.post(rt::EventKind::accepted, F::OK);
                        }},
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            // Still open, back on its former category; an eleventh link is refused.
                            EXPECT_EQ(w.selection(F::CATEGORY), 2);
                            w.post(rt::EventKind::accepted, F::CANCEL);
                        }},
                   });
    EXPECT_EQ(texts(d.messages), "[폴더: [막힘] 를 만들 수 없습니다. 문서분류 변경을 취소하고 저장합니다]");
    EXPECT_EQ(read_file(work.file(L"myOFFICE\\가\\a.txt")), "a");
    lib.reopen();
    EXPECT_EQ(links_of(find_document("x2")), Rows{"a.txt/remark a.txt"});
    EXPECT_EQ(OFC.NODE, 1);
}

TEST(Store, TheOverwriteQuestionAndTheSameFile) {
    WorkFolder work(L"store-overwrite");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.close();
    const std::wstring folder = work.file(L"myOFFICE\\가\\");
    CreateDirectoryW(work.file(L"myOFFICE").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW(work.file(L"src").c_str(), nullptr);
    for (const wchar_t* name : {L"e1.txt", L"e2.txt", L"e3.txt", L"e4.txt"}) {
        write_file(folder + name, "old");
        write_file(work.file(L"src\\") + name, "new");
    }
    const std::string src = work.cp949() + "\\src\\";
    uitest::ScriptDriver d;
    // The very file in the folder, chosen by its long name while the link root is spelt short.
    d.file_answers = {src + "e1.txt", src + "e2.txt", src + "e3.txt", rt::narrow(folder) + "e4.txt"};
    d.message_answers = {1, 2, 3, 1};
    std::vector<Act> steps{choose_tree(4), press(MAIN, static_cast<int>(Ctl::INSERT))};
    for (int i = 0; i < 4; ++i)
        for (Act& s : add_link(INSERT_FORM, "r" + std::to_string(i + 1))) steps.push_back(std::move(s));
    steps.push_back({INSERT_FORM, [](rt::Window& w) {
                         w.set_text(F::OFC_SUBJ, "o");
                         w.post(rt::EventKind::accepted, F::OK);
                     }});
    steps.push_back({MAIN, [](rt::Window&) {}});
    run_program(d, std::move(steps));
    ASSERT_EQ(d.messages.size(), 4u) << texts(d.messages);
    EXPECT_EQ(u8(d.messages[0].text), "동일한 이름의 파일이 이미 있습니다. 어떻해?");
    EXPECT_EQ(u8(d.messages[0].caption), "확인");
    EXPECT_EQ(d.messages[0].icon, rt::Icon::exclamation);
    EXPECT_EQ(d.messages[0].labels, (std::vector<std::string>{K(u"덮어씀"), K(u"그냥두고 링크만"), K(u"취소")}));
    EXPECT_EQ(d.messages[0].default_button, 1);
    EXPECT_TRUE(d.messages[0].selectable) << "its text can be copied";
    EXPECT_FALSE(d.messages[3].selectable);
    EXPECT_EQ(u8(d.messages[3].text), "동일폴더의 파일임.. 이 경우는 건너뛰자.. 확인 테스트 해볼것 ");
    EXPECT_EQ(read_file(folder + L"e1.txt"), "new");
    EXPECT_EQ(read_file(folder + L"e2.txt"), "old");
    EXPECT_EQ(read_file(folder + L"e3.txt"), "old");
    EXPECT_EQ(read_file(folder + L"e4.txt"), "old");
    lib.reopen();
    // The entries left out leave no gap.
    EXPECT_EQ(links_of(find_document("o")), (Rows{"e1.txt/r1", "e2.txt/r2"}));
}

TEST(Store, TrashKeepsTheFilesAndDeletingForGoodRemovesThem) {
    WorkFolder work(L"store-trash");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.category(2, 2, u"나");
    const std::int32_t t = add_document({.node = 1, .subj = "t", .links = {"t.txt"}, .note = "body t", .object = "obj"});
    add_document({.node = TRASH, .sort = 1, .subj = "moved back", .links = {"m.txt"}});
    add_document({.node = TRASH, .sort = 7, .subj = "orphan", .links = {"g.txt"}});
    lib.close();
    const std::wstring root = work.file(L"myOFFICE\\");
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"가").c_str(), nullptr);
    for (const wchar_t* name : {L"가\\t.txt", L"가\\m.txt", L"g.txt", L"가\\g.txt"}) write_file(root + name, "f");
    uitest::ScriptDriver d;
    d.message_answers = {1};
    run_program(d, {
                       choose_tree(4),
                       open_row(1),
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            // Edits of every kind, then cancelled: nothing of them is kept.
                            w.set_text(F::OFC_SUBJ, "changed");
                            w.select(F::CATEGORY, 3);
                            w.post(rt::EventKind::accepted, F::CATEGORY);
                            w.select(F::LIST1, 1);
                            w.post(rt::EventKind::accepted, F::DELETE);
                        }},
                       link_ok(DELETE_LINK, ""),
                       press(CHANGE_FORM, static_cast<int>(F::CANCEL)),
                       {MAIN,
                        [&](rt::Window& w) {
                            EXPECT_EQ(OFFICE.get_at(t).code(), 0);
                            EXPECT_EQ(OFC.SUBJ.clip(), "t");
                            EXPECT_EQ(OFC.NODE, 1);
                            EXPECT_EQ(OFC.AFILE[0].clip(), "t.txt");
                            EXPECT_EQ(OFFICE.blob(OFC_RECORD::NOTE), "body t");
                            EXPECT_EQ(OFFICE.blob(OFC_RECORD::OBJECT), "obj");
                            EXPECT_TRUE(exists(root + L"가\\t.txt"));
                            w.post(rt::EventKind::accepted, Ctl::DELETE);
                        }},
                       {u"삭제하면 [휴지통]으로 이동합니다..",
                        [](rt::Window& w) {
                            for (F c : {F::RTFTOOLOPEN, F::OFFICE, F::AFILE, F::OFC_SUBJ, F::CATEGORY, F::LIST1})
                                EXPECT_FALSE(w.enabled(c)) << static_cast<int>(c);
                            EXPECT_TRUE(w.enabled(F::OK));
                            EXPECT_TRUE(w.enabled(F::CANCEL));
                            EXPECT_EQ(u8(w.text(F::OK)), "확 인");
                            w.post(rt::EventKind::accepted, F::OK);
                        }},
                       choose_tree(6), // the trash: t, moved back, orphan
                       open_row(2),    // "moved back" given a category
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            w.select(F::CATEGORY, 3);
                            w.post(rt::EventKind::accepted, F::CATEGORY);
                            w.post(rt::EventKind::accepted, F::OK);
                        }},
                       {MAIN, [](rt::Window& w) { View{w}.choose(6); }},
                       {MAIN, [](rt::Window& w) { w.post(rt::EventKind::accepted, Ctl::DELETE); }}, // t for good
                       {u"여기서 삭제하면 영구히 삭제됩니다.", [](rt::Window& w) { w.post(rt::EventKind::accepted, F::OK); }},
                       {MAIN,
                        [](rt::Window& w) {
                            View{w}.list().select(w, static_cast<int>(Ctl::LIST2), 1);
                            w.post(rt::EventKind::accepted, Ctl::DELETE); // orphan for good
                        }},
                       {u"여기서 삭제하면 영구히 삭제됩니다.", [](rt::Window& w) { w.post(rt::EventKind::accepted, F::OK); }},
                       {MAIN, [](rt::Window& w) { EXPECT_EQ(View{w}.rows(), 0u); }},
                   });
    EXPECT_EQ(texts(d.messages), "[휴지통으로 이동했습니다.]");
    EXPECT_FALSE(exists(root + L"가\\t.txt"));
    EXPECT_FALSE(exists(root + L"가\\m.txt"));
    EXPECT_TRUE(exists(root + L"나\\m.txt"));
    EXPECT_TRUE(exists(root + L"g.txt"));
    EXPECT_TRUE(exists(root + L"가\\g.txt"));
    lib.reopen();
    EXPECT_EQ(find_document("t"), 0);
    EXPECT_EQ(find_document("orphan"), 0);
    EXPECT_EQ(links_of(find_document("moved back")), Rows{"m.txt/remark m.txt"});
    EXPECT_EQ(OFC.NODE, 2);
}

} // namespace
