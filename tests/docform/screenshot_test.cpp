// The document form in its three modes and the link entry form, each held open for its screenshot test
// (VELQUIN_HOLD_MS) and checked here as it stands.
#include "support.h"

#include <cstdlib>

namespace {

using namespace docform_test;

// Korean text as RTF escapes of its code page 949 bytes.
std::string rtf_text(std::u16string_view text) {
    std::string out;
    for (unsigned char c : K(text)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, c < 0x80 ? "%c" : "\\'%02x", c);
        out += hex;
    }
    return out;
}

// A Korean body in several fonts, sizes, colours and paragraph styles.
std::string styled_body() {
    return "{\\rtf1\\ansi\\ansicpg949\\deff0{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}{\\f1\\fnil\\fcharset129 "
           "Dotum;}}{\\colortbl ;\\red38\\green119\\blue201;\\red208\\green51\\blue51;\\red46\\green158\\blue72;}"
           "\\pard\\qc\\f1\\fs32\\b\\cf1 " + rtf_text(u"주간 회의록") + "\\b0\\cf0\\par"
           "\\pard\\f0\\fs20 " + rtf_text(u"일시: 12월 9일 오후 2시, 장소: 3층 회의실") + "\\par"
           "\\pard{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360{\\pntxta.}}\\fi-360\\li360 " +
           rtf_text(u"지난주 실적 ") + "\\cf2\\b " + rtf_text(u"검토") + "\\b0\\cf0\\par"
           "{\\pntext\\f0 2.\\tab}" + rtf_text(u"다음 분기 ") + "\\i " + rtf_text(u"계획 수립") + "\\i0\\par"
           "{\\pntext\\f0 3.\\tab}\\ul " + rtf_text(u"문서 관리 규칙") + "\\ulnone  " + rtf_text(u"정리") + "\\par"
           "\\pard\\highlight3 " + rtf_text(u"다음 회의는 금요일입니다.") + "\\highlight0\\par}";
}

void hold() {
    if (const char* ms = std::getenv("VELQUIN_HOLD_MS")) uitest::pump(static_cast<DWORD>(std::atoi(ms)));
}

// A library with two categories and a document with two links and a styled body.
void library(Library& lib) {
    lib.category(1, 1, u"회의 자료");
    lib.category(2, 2, u"보고서");
    add_document({.node = 1,
                  .subj = K(u"주간 회의록"),
                  .index = "M-001",
                  .links = {K(u"회의록 첨부.doc"), "minutes.txt"},
                  .note = styled_body()});
    lib.close();
}

TEST(Screenshot, InsertForm) {
    WorkFolder work(L"shot-insert");
    startup_test::write_office_ids();
    Library lib;
    library(lib);
    uitest::ScriptDriver d;
    run_program(d, {choose_tree(4), press(MAIN, static_cast<int>(Ctl::INSERT)),
                    {INSERT_FORM,
                     [](rt::Window& w) {
                         EXPECT_EQ(w.selection(F::CATEGORY), 2);
                         EXPECT_FALSE(w.visible(F::LIST1));
                         EXPECT_EQ(u8(w.text(F::OFFICE)), "문서삽입");
                         hold();
                         w.post(rt::EventKind::accepted, F::CANCEL);
                     }}});
}

TEST(Screenshot, ChangeForm) {
    WorkFolder work(L"shot-change");
    startup_test::write_office_ids();
    Library lib;
    library(lib);
    uitest::ScriptDriver d;
    run_program(d, {choose_tree(4), open_row(1),
                    {CHANGE_FORM,
                     [](rt::Window& w) {
                         EXPECT_TRUE(w.visible(F::LIST1));
                         wchar_t body[256] = {};
                         GetWindowTextW(w.handle(F::RTEXT), body, 256);
                         EXPECT_EQ(u8(std::wstring(body).substr(0, 6)), "주간 회의록");
                         hold();
                         w.post(rt::EventKind::accepted, F::CANCEL);
                     }}});
}

TEST(Screenshot, DeleteForm) {
    WorkFolder work(L"shot-delete");
    startup_test::write_office_ids();
    Library lib;
    library(lib);
    uitest::ScriptDriver d;
    run_program(d, {choose_tree(4), press(MAIN, static_cast<int>(Ctl::DELETE)),
                    {u"삭제하면 [휴지통]으로 이동합니다..",
                     [](rt::Window& w) {
                         EXPECT_FALSE(w.enabled(F::OFC_SUBJ));
                         hold();
                         w.post(rt::EventKind::accepted, F::CANCEL);
                     }}});
}

TEST(Screenshot, LinkForm) {
    WorkFolder work(L"shot-link");
    startup_test::write_office_ids();
    Library lib;
    library(lib);
    uitest::ScriptDriver d;
    run_program(d, {choose_tree(4), open_row(1), on_link(CHANGE_FORM, 1, F::CHANGE),
                    {CHANGE_LINK,
                     [](rt::Window& w) {
                         EXPECT_EQ(u8(w.text(L::G8_AFILE)), "회의록 첨부.doc");
                         hold();
                         w.post(rt::EventKind::accepted, L::CANCEL);
                     }},
                    press(CHANGE_FORM, static_cast<int>(F::CANCEL))});
}

} // namespace
