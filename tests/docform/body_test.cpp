// The body: typed in the editor and stored as RTF; a body of 2,000,000 bytes stored, one of 2,000,001 refused with
// its size, the form staying open.
#include "support.h"

#include "runtime/rtfcontrol.h"

namespace {

using namespace docform_test;

// What the editor writes for RTF of `lines` lines of 999 letters and a last line of `tail` letters, each time in a
// fresh editor.
std::string editor_out(std::size_t lines, std::size_t tail) {
    rt::WindowDesc d;
    d.at = {0, 0, 300, 200};
    d.controls = {rt::control(1, rt::Kind::rich_text, {0, 0, 300, 200})};
    rt::Window w(std::move(d));
    w.open();
    rt::RTFCONTROLCLASS editor;
    editor.INIT(w, 1);
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (std::size_t i = 0; i < lines; ++i) rtf += std::string(999, 'a') + "\\par\n";
    editor.set_rtf(rtf + std::string(tail, 'b') + "}");
    std::string out = editor.rtf();
    editor.KILL();
    return out;
}

// RTF as the editor writes it, of exactly n bytes (the editor reads its own RTF back unchanged): the size of a
// line and of the rest measured on small bodies, then the body of n bytes made and checked.
std::string editor_rtf(std::size_t n) {
    const std::size_t base = editor_out(1, 10).size(), per_line = editor_out(2, 10).size() - base;
    const std::size_t lines = (n - base) / per_line;
    std::size_t tail = 10 + (n - base) % per_line;
    std::string out = editor_out(1 + lines, tail);
    if (out.size() != n) out = editor_out(1 + lines, tail + n - out.size());
    EXPECT_EQ(out.size(), n);
    return out;
}

TEST(Body, TypedStoredAndLimitedToTwoMillionBytes) {
    WorkFolder work(L"body");
    startup_test::write_office_ids();
    const std::string fits = editor_rtf(2'000'000), over = editor_rtf(2'000'001);
    Library lib;
    add_document({.subj = "fits", .note = fits});
    add_document({.subj = "over", .note = over});
    lib.close();
    uitest::ScriptDriver d;
    d.message_answers = {1};
    auto open_titled = [](std::string title) {
        return Act{MAIN, [title](rt::Window& w) {
                       const Rows titles = View{w}.column(2);
                       const auto at = std::find(titles.begin(), titles.end(), title);
                       ASSERT_NE(at, titles.end()) << title;
                       View{w}.list().select(w, static_cast<int>(Ctl::LIST2), static_cast<int>(at - titles.begin()) + 1);
                       w.post(rt::EventKind::alert_key, Ctl::LIST2, rt::key::mouse_left2);
                   }};
    };
    run_program(d, {
                       choose_tree(2),
                       press(MAIN, static_cast<int>(Ctl::INSERT)),
                       {INSERT_FORM,
                        [](rt::Window& w) {
                            w.set_text(F::OFC_SUBJ, "typed");
                            SetWindowTextW(w.handle(F::RTEXT), L"한글 본문");
                            w.post(rt::EventKind::accepted, F::OK);
                        }},
                       open_titled("fits"),
                       press(CHANGE_FORM, static_cast<int>(F::OK)),
                       open_titled("over"),
                       press(CHANGE_FORM, static_cast<int>(F::OK)),
                       {CHANGE_FORM, [](rt::Window& w) { w.post(rt::EventKind::accepted, F::CANCEL); }},
                   });
    EXPECT_EQ(texts(d.messages), "[ 편집창 내용이 너무 많습니다. 편집창은 최대 2,000,000 까지만 사용할 수 있습니다.| 현재 "
                                 "용량은  2,000,001 입니다.| 내용이 많으면 오피스 첨부문서를 사용하시기 바랍니다.]");
    lib.reopen();
    ASSERT_TRUE(OFFICE.get_at(find_document("typed")));
    const std::string typed = OFFICE.blob(OFC_RECORD::NOTE);
    EXPECT_EQ(typed.rfind("{\\rtf", 0), 0u) << typed;
    EXPECT_NE(typed.find("\\'c7\\'d1\\'b1\\'db"), std::string::npos) << typed; // 한글 in code page 949
    ASSERT_TRUE(OFFICE.get_at(find_document("fits")));
    EXPECT_EQ(OFFICE.blob(OFC_RECORD::NOTE).size(), 2'000'000u);
    EXPECT_GT(OFC.DATE, 80000); // stored again
    ASSERT_TRUE(OFFICE.get_at(find_document("over")));
    EXPECT_EQ(OFC.DATE, 80000); // not stored
}

} // namespace
