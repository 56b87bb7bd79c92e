// The document form never touches a file outside a document's own: link names that may not be file names, files
// that two documents link, a store whose record cannot be written, and stored links renamed in the form.
#include "support.h"

#include <sqlite3.h>

namespace {

using namespace docform_test;
using startup_test::exists;
using startup_test::read_file;
using startup_test::write_file;

std::wstring make_folders(WorkFolder& work, std::initializer_list<const wchar_t*> categories) {
    const std::wstring root = work.file(L"myOFFICE\\");
    CreateDirectoryW(root.c_str(), nullptr);
    for (const wchar_t* c : categories) CreateDirectoryW((root + c).c_str(), nullptr);
    return root;
}

// A library from elsewhere whose link slots name files beside the library: removing the link, moving the
// document, deleting it for good and opening the link leave them all, each time saying which link it was; the
// link form refuses such names when they are typed.
TEST(Safety, LinkNamesThatAreNoFileNamesReachNoFile) {
    WorkFolder work(L"safety-names");
    startup_test::write_office_ids();
    Library lib;
    for (std::int16_t n = 1; n <= 4; ++n) lib.category(n, n, u"cat" + std::u16string(1, static_cast<char16_t>(u'0' + n)));
    add_document({.node = 1, .subj = "rm", .links = {"..\\..\\vA.txt", "ok.txt"}});
    add_document({.node = 2, .subj = "mv", .links = {"..\\..\\vB.txt"}});
    add_document({.node = 4, .subj = "open", .links = {"..\\..\\vD.txt"}});
    add_document({.node = TRASH, .sort = 1, .subj = "gone", .links = {"..\\..\\vC.txt"}});
    lib.close();
    const std::wstring root = make_folders(work, {L"cat1", L"cat2", L"cat3", L"cat4"});
    write_file(root + L"cat1\\ok.txt", "ok");
    for (const wchar_t* f : {L"vA.txt", L"vB.txt", L"vC.txt", L"vD.txt"}) write_file(work.file(f), "outside");
    uitest::ScriptDriver d;
    d.file_answers = {""};
    d.message_answers = {1, 1, 1, 1, 1, 1};
    run_program(d, {
                       choose_tree(4),
                       open_row(1),
                       press(CHANGE_FORM, static_cast<int>(F::INSERT)),
                       link_ok(ADD_LINK, "typed", "..\\..\\x.txt"),
                       {ADD_LINK,
                        [](rt::Window& w) {
                            EXPECT_EQ(GetFocus(), w.handle(L::G8_AFILE));
                            w.set_text(L::G8_AFILE, "nul.txt");
                            w.post(rt::EventKind::accepted, L::OK);
                        }},
                       press(ADD_LINK, static_cast<int>(L::CANCEL)),
                       on_link(CHANGE_FORM, 1, F::DELETE),
                       link_ok(DELETE_LINK, ""),
                       press(CHANGE_FORM, static_cast<int>(F::OK)),
                       choose_tree(5),
                       open_row(1),
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            w.select(F::CATEGORY, 4); // cat3
                            w.post(rt::EventKind::accepted, F::CATEGORY);
                            w.post(rt::EventKind::accepted, F::OK);
                        }},
                       choose_tree(7),
                       open_row(1),
                       on_link(CHANGE_FORM, 1, F::LINKOPEN),
                       press(CHANGE_FORM, static_cast<int>(F::CANCEL)),
                       choose_tree(8),
                       {MAIN,
                        [](rt::Window& w) {
                            View{w}.list().select(w, static_cast<int>(Ctl::LIST2), 1);
                            w.post(rt::EventKind::accepted, Ctl::DELETE);
                        }},
                       press(u"여기서 삭제하면 영구히 삭제됩니다.", static_cast<int>(F::OK)),
                       {MAIN, [](rt::Window& w) { EXPECT_EQ(View{w}.rows(), 0u); }},
                   });
    const std::string refused = "[링크파일명으로 쓸 수 없는 이름입니다. 마침표나 공백으로 끝나는 이름, \\ / : * ? \" < > \x1F"
                                " 가 들어간 이름, CON PRN AUX NUL COM1~COM9 LPT1~LPT9 같은 장치 이름은 쓸 수 없습니다.]";
    auto left = [](const char* name) {
        return "[[..\\..\\" + std::string(name) + "] 링크는 파일명으로 쓸 수 없는 이름이라 이 링크의 파일은 그대로 둡니다.]";
    };
    EXPECT_EQ(texts(d.messages), refused + refused + left("vA.txt") + left("vB.txt") +
                                     "[[..\\..\\vD.txt] 링크는 파일명으로 쓸 수 없는 이름이라 열 수 없습니다.]" +
                                     left("vC.txt"));
    EXPECT_TRUE(d.started.empty());
    for (const wchar_t* f : {L"vA.txt", L"vB.txt", L"vC.txt", L"vD.txt"}) EXPECT_EQ(read_file(work.file(f)), "outside");
    EXPECT_EQ(read_file(root + L"cat1\\ok.txt"), "ok");
    lib.reopen();
    EXPECT_EQ(links_of(find_document("rm")), Rows{"ok.txt/remark ok.txt"});
    EXPECT_EQ(links_of(find_document("mv")), Rows{"..\\..\\vB.txt/remark ..\\..\\vB.txt"});
    EXPECT_EQ(OFC.NODE, 3);
    EXPECT_EQ(find_document("gone"), 0);
}

// Files that two documents link in one folder (one of them in the trash): a removed link, a move to another
// category, an overwrite and a delete for good leave each file for the other document.
TEST(Safety, AFileThatAnotherDocumentLinksStaysForIt) {
    WorkFolder work(L"safety-shared");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"shared");
    lib.category(2, 2, u"other");
    add_document({.node = 1, .subj = "one", .links = {"s.txt", "T.TXT", "u.txt"}});
    add_document({.node = 1, .subj = "two", .links = {"s.txt"}});
    add_document({.node = 1, .subj = "five", .links = {"t.txt"}});
    add_document({.node = TRASH, .sort = 1, .subj = "three", .links = {"t.txt"}});
    lib.close();
    const std::wstring root = make_folders(work, {L"shared", L"other"});
    for (const wchar_t* f : {L"s.txt", L"t.txt", L"u.txt"}) write_file(root + L"shared\\" + f, "old");
    CreateDirectoryW(work.file(L"src").c_str(), nullptr);
    write_file(work.file(L"src\\t.txt"), "new");
    uitest::ScriptDriver d;
    d.file_answers = {work.cp949() + "\\src\\t.txt"};
    d.message_answers = {1, 1};
    run_program(d, {
                       choose_tree(4),
                       open_row(1), // one: s.txt dropped, then moved to "other"
                       on_link(CHANGE_FORM, 1, F::DELETE),
                       link_ok(DELETE_LINK, ""),
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            w.select(F::CATEGORY, 3);
                            w.post(rt::EventKind::accepted, F::CATEGORY);
                            w.post(rt::EventKind::accepted, F::OK);
                        }},
                       {MAIN, [](rt::Window& w) { EXPECT_EQ(View{w}.column(2), (Rows{"two", "five"})); }},
                       open_row(2), // five: a new t.txt over the one the trashed document links
                       press(CHANGE_FORM, static_cast<int>(F::INSERT)),
                       link_ok(ADD_LINK, "new t"),
                       press(CHANGE_FORM, static_cast<int>(F::OK)),
                       choose_tree(6), // three, for good
                       {MAIN,
                        [](rt::Window& w) {
                            View{w}.list().select(w, static_cast<int>(Ctl::LIST2), 1);
                            w.post(rt::EventKind::accepted, Ctl::DELETE);
                        }},
                       press(u"여기서 삭제하면 영구히 삭제됩니다.", static_cast<int>(F::OK)),
                   });
    EXPECT_EQ(texts(d.messages), "[동일한 이름의 파일이 이미 있습니다. 어떻해?]"
                                 "[t.txt 파일은 다른 문서도 링크하고 있어 덮어쓸 수 없습니다. 링크를 건너 뜁니다.]");
    EXPECT_EQ(read_file(root + L"shared\\s.txt"), "old"); // two's
    EXPECT_EQ(read_file(root + L"shared\\t.txt"), "old"); // five's, and three's until it went
    EXPECT_EQ(read_file(root + L"other\\T.TXT"), "old");  // one's copy
    EXPECT_EQ(read_file(root + L"other\\u.txt"), "old");  // one's alone: moved
    EXPECT_FALSE(exists(root + L"shared\\u.txt"));
    lib.reopen();
    EXPECT_EQ(links_of(find_document("one")), (Rows{"T.TXT/remark T.TXT", "u.txt/remark u.txt"}));
    EXPECT_EQ(links_of(find_document("five")), Rows{"t.txt/remark t.txt"});
    EXPECT_EQ(find_document("three"), 0);
}

// A store whose record cannot be written (another program holds the library's lock) changes no file: the
// dropped link's file and the file an overwrite would replace keep what they had, and the copies made for it
// are gone again.
TEST(Safety, AFailedWriteLeavesEveryFile) {
    WorkFolder work(L"safety-write");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"cat1");
    lib.category(2, 2, u"cat2");
    const std::int32_t x = add_document({.node = 1, .subj = "x", .links = {"a.txt", "b.txt"}});
    lib.close();
    const std::wstring root = make_folders(work, {L"cat1", L"cat2"});
    write_file(root + L"cat1\\a.txt", "a");
    write_file(root + L"cat1\\b.txt", "old b");
    write_file(root + L"cat2\\b.txt", "cat2 b"); // where the new b.txt would replace it
    CreateDirectoryW(work.file(L"src").c_str(), nullptr);
    write_file(work.file(L"src\\b.txt"), "new b");
    write_file(work.file(L"src\\n.txt"), "n");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open("myOFFICE.VL1", &other), SQLITE_OK);
    uitest::ScriptDriver d;
    d.file_answers = {work.cp949() + "\\src\\n.txt", work.cp949() + "\\src\\b.txt"};
    d.message_answers = {1};
    std::vector<Act> steps{choose_tree(4), open_row(1), on_link(CHANGE_FORM, 1, F::DELETE), link_ok(DELETE_LINK, "")};
    for (int i = 0; i < 2; ++i)
        for (Act& s : add_link(CHANGE_FORM, "r")) steps.push_back(std::move(s));
    steps.push_back({CHANGE_FORM, [&](rt::Window& w) {
                         w.select(F::CATEGORY, 3);
                         w.post(rt::EventKind::accepted, F::CATEGORY);
                         ASSERT_EQ(OFFICE.send("Recover=0"), "0");
                         ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
                         w.post(rt::EventKind::accepted, F::OK);
                     }});
    steps.push_back({CHANGE_FORM, [&](rt::Window& w) {
                         EXPECT_EQ(d.stops, Rows{"File Is Already Locked"});
                         sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
                         w.post(rt::EventKind::accepted, F::CANCEL);
                     }});
    run_program(d, std::move(steps));
    sqlite3_close(other);
    EXPECT_EQ(texts(d.messages), "[동일한 이름의 파일이 이미 있습니다. 어떻해?]");
    EXPECT_EQ(read_file(root + L"cat1\\a.txt"), "a");
    EXPECT_EQ(read_file(root + L"cat1\\b.txt"), "old b");
    EXPECT_EQ(read_file(root + L"cat2\\b.txt"), "cat2 b");
    for (const wchar_t* f : {L"cat1\\n.txt", L"cat2\\n.txt", L"cat2\\b.txt.1.tmp"})
        EXPECT_FALSE(exists(root + f)) << rt::narrow(f);
    lib.reopen();
    EXPECT_EQ(links_of(x), (Rows{"a.txt/remark a.txt", "b.txt/remark b.txt"}));
    EXPECT_EQ(OFC.NODE, 1);
}

// A stored link given another name renames its file, unless a file of that name is there; choosing the link's
// own file again keeps the link.
TEST(Safety, RenamedLinksRenameTheirFiles) {
    WorkFolder work(L"safety-rename");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"cat1");
    const std::int32_t r = add_document({.node = 1, .subj = "r", .links = {"a.txt", "b.txt", "c.txt"}});
    lib.close();
    const std::wstring root = make_folders(work, {L"cat1"});
    for (const wchar_t* f : {L"a.txt", L"b.txt", L"c.txt", L"taken.txt"}) write_file(root + L"cat1\\" + f, rt::narrow(f));
    uitest::ScriptDriver d;
    d.file_answers = {rt::narrow(root) + "cat1\\c.txt"};
    d.message_answers = {1};
    run_program(d, {
                       choose_tree(4),
                       open_row(1),
                       on_link(CHANGE_FORM, 1, F::CHANGE),
                       link_ok(CHANGE_LINK, "ra", "a2.txt"),
                       on_link(CHANGE_FORM, 2, F::CHANGE),
                       link_ok(CHANGE_LINK, "rb", "taken.txt"),
                       on_link(CHANGE_FORM, 3, F::CHANGE),
                       press(CHANGE_LINK, static_cast<int>(L::BUTTON)),
                       link_ok(CHANGE_LINK, "rc"),
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            EXPECT_EQ(View{w}.w.text(F::OFC_SUBJ), "r");
                            w.post(rt::EventKind::accepted, F::OK);
                        }},
                   });
    EXPECT_EQ(texts(d.messages), "[[taken.txt] 파일이 이미 있어서 [b.txt] 의 이름을 바꿀 수 없습니다.]");
    EXPECT_FALSE(exists(root + L"cat1\\a.txt"));
    EXPECT_EQ(read_file(root + L"cat1\\a2.txt"), "a.txt");
    EXPECT_EQ(read_file(root + L"cat1\\b.txt"), "b.txt");
    EXPECT_EQ(read_file(root + L"cat1\\c.txt"), "c.txt");
    EXPECT_EQ(read_file(root + L"cat1\\taken.txt"), "taken.txt");
    lib.reopen();
    EXPECT_EQ(links_of(r), (Rows{"a2.txt/ra", "b.txt/remark b.txt", "c.txt/rc"}));
}

} // namespace
