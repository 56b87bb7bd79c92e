// Embedded Office documents in the form: one of each type made, typed into and stored; reopened with its content;
// removed, which empties the stored object at the save.
#include "support.h"

#include "document.h"

namespace {

using namespace docform_test;

HWND document_window(const wchar_t* progid) { return FindWindowW(standin::window_class, progid); }

std::wstring shown_text(HWND document) {
    wchar_t text[256] = {};
    SendMessageW(FindWindowExW(document, nullptr, L"EDIT", nullptr), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

// Double-clicks the list row with this title.
Act open_titled(std::string title) {
    return {MAIN, [title](rt::Window& w) {
                const Rows titles = View{w}.column(2);
                const auto at = std::find(titles.begin(), titles.end(), title);
                ASSERT_NE(at, titles.end()) << title;
                View{w}.list().select(w, static_cast<int>(Ctl::LIST2), static_cast<int>(at - titles.begin()) + 1);
                w.post(rt::EventKind::alert_key, Ctl::LIST2, rt::key::mouse_left2);
            }};
}

TEST(Embedded, EachTypeIsMadeStoredReopenedAndRemoved) {
    WorkFolder work(L"embedded");
    startup_test::write_office_ids();
    Library lib;
    lib.close();
    const struct {
        const wchar_t* progid;
        const char16_t* button;
        const char* ext;
    } types[] = {{L"Word.Document.8", u"워 드", "DOC"},
                 {L"Excel.Sheet.8", u"엑 셀", "XLS"},
                 {L"PowerPoint.Show.8", u"파포인트", "PPT"}};
    uitest::ScriptDriver d;
    std::vector<Act> steps{choose_tree(2)};
    for (int i = 0; i < 3; ++i) {
        const auto& t = types[i];
        const std::string title = "doc " + std::to_string(i + 1);
        d.popup_answers.push_back(i + 1);
        steps.push_back(press(MAIN, static_cast<int>(Ctl::INSERT)));
        steps.push_back({INSERT_FORM, [title](rt::Window& w) {
                             EXPECT_EQ(u8(w.text(F::OFFICE)), "문서삽입");
                             w.set_text(F::OFC_SUBJ, title);
                             w.post(rt::EventKind::accepted, F::OFFICE);
                         }});
        steps.push_back({INSERT_FORM, [t, i](rt::Window& w) {
                             EXPECT_EQ(u8(w.text(F::OFFICE)), u8(K(t.button)));
                             HWND doc = document_window(t.progid);
                             ASSERT_TRUE(doc && IsWindowVisible(doc));
                             for (wchar_t c : L"내용 " + std::to_wstring(i + 1))
                                 SendMessageW(FindWindowExW(doc, nullptr, L"EDIT", nullptr), WM_CHAR, c, 1);
                             w.post(rt::EventKind::accepted, F::OK);
                         }});
        // Reopened: the object comes back with its content.
        d.popup_answers.push_back(1);
        steps.push_back(open_titled(title));
        steps.push_back({CHANGE_FORM, [t](rt::Window& w) {
                             EXPECT_EQ(u8(w.text(F::OFFICE)), u8(K(t.button)));
                             EXPECT_EQ(document_window(t.progid), nullptr);
                             w.post(rt::EventKind::accepted, F::OFFICE);
                         }});
        steps.push_back({CHANGE_FORM, [t, i](rt::Window& w) {
                             HWND doc = document_window(t.progid);
                             ASSERT_TRUE(doc && IsWindowVisible(doc));
                             EXPECT_EQ(shown_text(doc), L"내용 " + std::to_wstring(i + 1));
                             w.post(rt::EventKind::accepted, F::CANCEL);
                         }});
        steps.push_back({MAIN, [t](rt::Window&) { EXPECT_EQ(document_window(t.progid), nullptr); }});
    }
    // The first one removed: gone from the record at the save.
    d.popup_answers.push_back(2);
    steps.push_back(open_titled("doc 1"));
    steps.push_back(press(CHANGE_FORM, static_cast<int>(F::OFFICE)));
    steps.push_back({CHANGE_FORM, [](rt::Window& w) {
                         EXPECT_EQ(u8(w.text(F::OFFICE)), "문서삽입");
                         w.post(rt::EventKind::accepted, F::OK);
                     }});
    steps.push_back({MAIN, [](rt::Window&) {}});
    run_program(d, std::move(steps));
    EXPECT_EQ(texts(d.messages), "");
    EXPECT_EQ(d.popups.size(), 7u);
    lib.reopen();
    ASSERT_TRUE(OFFICE.get_at(find_document("doc 1")));
    EXPECT_TRUE(OFC.EXT.blank());
    EXPECT_EQ(OFC.SIZE, 0);
    EXPECT_EQ(OFFICE.blob(OFC_RECORD::OBJECT), "");
    for (int i = 1; i < 3; ++i) {
        ASSERT_TRUE(OFFICE.get_at(find_document("doc " + std::to_string(i + 1))));
        EXPECT_EQ(OFC.EXT.clip(), types[i].ext);
        EXPECT_GT(OFC.SIZE, 0);
        EXPECT_EQ(static_cast<std::size_t>(OFC.SIZE), OFFICE.blob(OFC_RECORD::OBJECT).size());
    }
}

// A new embedded document that cannot be made after the old one was removed: the user is told, and the old
// object is not stored under the new type.
TEST(Embedded, AFailedCreationStoresNoObject) {
    WorkFolder work(L"embedded-fail");
    startup_test::write_office_ids();
    rt::put_ini("Velquin", "Excel ID", "Velquin.NoSuchServer.1", ".\\Velquin.INI");
    Library lib;
    lib.close();
    uitest::ScriptDriver d;
    d.popup_answers = {1, 2, 2}; // Word; then "삽입문서 삭제"; then Excel
    run_program(d, {choose_tree(2),
                    press(MAIN, static_cast<int>(Ctl::INSERT)),
                    {INSERT_FORM,
                     [](rt::Window& w) {
                         w.set_text(F::OFC_SUBJ, "doc");
                         w.post(rt::EventKind::accepted, F::OFFICE);
                     }},
                    press(INSERT_FORM, static_cast<int>(F::OK)),
                    open_titled("doc"),
                    press(CHANGE_FORM, static_cast<int>(F::OFFICE)),
                    {CHANGE_FORM,
                     [&](rt::Window& w) {
                         d.message_answers = {1};
                         w.post(rt::EventKind::accepted, F::OFFICE);
                     }},
                    {CHANGE_FORM,
                     [](rt::Window& w) {
                         EXPECT_EQ(u8(w.text(F::OFFICE)), "문서삽입");
                         w.post(rt::EventKind::accepted, F::OK);
                     }},
                    {MAIN, [](rt::Window&) {}}});
    EXPECT_EQ(texts(d.messages), "[삽입문서를 만들 수 없습니다. OLE ID: Velquin.NoSuchServer.1|[설정]에서 PC에 설치된 오피스의 "
                                 "OLE를 선택하세요.]");
    lib.reopen();
    ASSERT_TRUE(OFFICE.get_at(find_document("doc")));
    EXPECT_TRUE(OFC.EXT.blank()) << OFC.EXT.clip();
    EXPECT_EQ(OFC.SIZE, 0);
    EXPECT_EQ(OFFICE.blob(OFC_RECORD::OBJECT).size(), 0u);
}

} // namespace
