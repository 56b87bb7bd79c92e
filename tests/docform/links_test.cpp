// The link list in the form and the link entry form: the ten-link limit, a link chosen or not, the name and path
// limits, the read-only delete, and opening a linked file through the shell, or saying that it is gone.
#include "support.h"

namespace {

using namespace docform_test;

TEST(Links, LimitsOfTheListAndOfTheEntryForm) {
    WorkFolder work(L"links");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    std::vector<std::string> ten;
    for (int i = 1; i <= 10; ++i) ten.push_back("l" + std::to_string(i) + ".txt");
    add_document({.node = 1, .subj = "ten", .links = ten});
    lib.close();
    // Only the second link's file lies in the category folder.
    CreateDirectoryW(work.file(L"myOFFICE").c_str(), nullptr);
    CreateDirectoryW(work.file(L"myOFFICE\\가").c_str(), nullptr);
    startup_test::write_file(work.file(L"myOFFICE\\가\\l2.txt"), "2");
    const std::string name64 = std::string(60, 'n') + ".txt", name65 = std::string(61, 'n') + ".txt";
    const std::string long_path = "C:\\" + std::string(120, 'p') + "\\x.txt"; // 129 bytes
    uitest::ScriptDriver d;
    d.message_answers = {1, 1, 1, 1, 1, 1};
    d.file_answers = {"", "C:\\d\\" + name65, long_path, "C:\\d\\" + name64};
    std::string launched;
    run_program(d, {
                       choose_tree(4),
                       open_row(1),
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            expect_laid_out(w);
                            w.set_position(rt::unchanged, rt::unchanged, 520, 420);
                        }},
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            EXPECT_EQ(w.position().h, 420);
                            expect_laid_out(w);
                            w.set_position(rt::unchanged, rt::unchanged, 300, 200); // below the smallest size
                        }},
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            EXPECT_EQ(w.position().h, 329);
                            expect_laid_out(w);
                            w.select(F::LIST1, 2);
                            w.post(rt::EventKind::alert_key, F::LIST1, rt::key::mouse_left2);
                        }},
                       {CHANGE_FORM,
                        [&](rt::Window& w) {
                            launched = d.started.empty() ? "" : d.started.back();
                            w.select(F::LIST1, 3); // gone from the folder
                            w.post(rt::EventKind::accepted, F::LINKOPEN);
                        }},
                       {CHANGE_FORM,
                        [&](rt::Window& w) {
                            EXPECT_EQ(d.started.size(), 1u);
                            w.post(rt::EventKind::accepted, F::INSERT); // an eleventh
                        }},
                       {CHANGE_FORM,
                        [](rt::Window& w) {
                            w.select(F::LIST1, 0);
                            w.post(rt::EventKind::accepted, F::CHANGE); // none chosen
                        }},
                       on_link(CHANGE_FORM, 10, F::DELETE),
                       {DELETE_LINK,
                        [&](rt::Window& w) {
                            EXPECT_EQ(w.text(L::G8_AFILE), "l10.txt");
                            EXPECT_FALSE(w.enabled(L::G8_AFILE));
                            EXPECT_FALSE(w.enabled(L::G8_AREMARK));
                            EXPECT_FALSE(w.enabled(L::BUTTON));
                            w.post(rt::EventKind::accepted, L::OK);
                        }},
                       press(CHANGE_FORM, static_cast<int>(F::INSERT)), // the dialog opens at once: cancelled
                       {ADD_LINK,
                        [&](rt::Window& w) {
                            EXPECT_EQ(d.file_dialogs.size(), 1u);
                            w.post(rt::EventKind::accepted, L::OK); // no name
                        }},
                       press(ADD_LINK, static_cast<int>(L::BUTTON)), // a name of 65 bytes
                       {ADD_LINK,
                        [&](rt::Window& w) {
                            EXPECT_EQ(w.text(L::G8_AFILE), "");
                            w.post(rt::EventKind::accepted, L::BUTTON); // a path of 129 bytes
                        }},
                       {ADD_LINK,
                        [&](rt::Window& w) {
                            EXPECT_EQ(w.text(L::G8_AFILE), "");
                            w.post(rt::EventKind::accepted, L::BUTTON); // a name of 64 bytes
                        }},
                       link_ok(ADD_LINK, "r"),
                       {CHANGE_FORM,
                        [&](rt::Window& w) {
                            EXPECT_EQ(G8.AFILE.clip(), name64);
                            EXPECT_EQ(G8.APATH.clip(), "C:\\d\\" + name64);
                            EXPECT_EQ(View{w}.w.selection(F::LIST1), 10);
                            w.post(rt::EventKind::accepted, F::CANCEL);
                        }},
                   });
    const std::string folder = rt::narrow(rt::wide(GLO.DBPATH.clip())) + "\\" + K(u"가");
    EXPECT_EQ(texts(d.messages),
              "[링크파일을 찾을 수 없습니다: " + u8(folder) +
                  "\\l3.txt]"
                  "[링크 첨부파일은 최대 10개까지 지정할 수 있습니다.][ 좌측의 링크파일중 하나를 먼저 선택하세요 ]"
                  "[파일을 선택하세요][파일명이 너무 깁니다. 파일명은 64자(Byte)까지만 인식합니다.]"
                  "[파일 경로가 너무 깁니다. 경로는 128자(Byte)까지만 인식합니다.]");
    EXPECT_EQ(u8(d.file_dialogs.at(0)), "파일선택");
    // The shell's explorer with the file in the category folder as its one argument.
    const std::string file = folder + "\\l2.txt";
    EXPECT_NE(launched.find("explorer.exe\" \"" + file + "\""), std::string::npos) << u8(launched);
    lib.reopen();
    EXPECT_EQ(links_of(find_document("ten")).size(), 10u); // cancelled: nothing stored
}

} // namespace
