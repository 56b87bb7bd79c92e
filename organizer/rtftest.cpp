#ifdef _WIN32

#include "organizer/rtftest.h"

#include "organizer/globals.h"
#include "organizer/office.h"
#include "organizer/rtfclean.h"
#include "organizer/texts.h"
#include "runtime/clock.h"
#include "runtime/prompt.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <memory>
#include <string>

namespace velquin {

namespace {

using rtfform::Ctl;

// The text up to its first NUL, cut to the box's size at a character boundary.
std::string source_text(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    return std::string(text.substr(0, rt::cut_point(text, RTEXT_SIZE)));
}

rt::WindowDesc description() {
    rt::WindowDesc w;
    w.title = "RTF Source Test";
    w.font = "Gulim";
    w.at = {rt::unchanged, rt::unchanged, 420, 300};
    w.controls = {
        rt::control(Ctl::SUBJ_PROMPT, rt::Kind::prompt, {8, 10, 26, 10}, k(u"제목 :")),
        rt::control(Ctl::OFC_SUBJ, rt::Kind::entry, {36, 8, 376, 13}),
        rt::control(Ctl::RTEXT, rt::Kind::text, {8, 28, 404, 240}),
        rt::control(Ctl::OK, rt::Kind::button, {300, 276, 52, 16}, "Save"),
        rt::control(Ctl::CANCEL, rt::Kind::button, {360, 276, 52, 16}, "Cancel"),
    };
    w.controls[2].tip = k(u"편집창에서 입력한 내용이 RTF 소스에는 어떤 형식으로 들어가나 테스트하기 위한 창임.");
    return w;
}

class RTFWINDOW {
public:
    void run();

private:
    void PUT_OFFICE();

    std::string RTEXT;
    std::unique_ptr<rt::Window> window_;
};

void RTFWINDOW::run() {
    window_ = std::make_unique<rt::Window>(description());
    rt::Window& w = *window_;
    w.set_limit(Ctl::RTEXT, RTEXT_SIZE);
    w.open();
    RTEXT = source_text(OFFICE.blob(OFC_RECORD::NOTE));
    w.set_text(Ctl::RTEXT, RTEXT);
    w.set_text(Ctl::OFC_SUBJ, OFC.SUBJ.clip());
    while (const rt::Event e = w.accept()) {
        if (e.kind != rt::EventKind::accepted) continue;
        if (e.control == static_cast<int>(Ctl::OK)) {
            PUT_OFFICE();
            ACTION = 0;
            w.close();
        } else if (e.control == static_cast<int>(Ctl::CANCEL)) {
            ACTION = 0;
            w.close();
        }
    }
}

void RTFWINDOW::PUT_OFFICE() {
    rt::Window& w = *window_;
    const OFC_RECORD as_read = OFC;
    OFC.SUBJ = w.text(Ctl::OFC_SUBJ);
    RTEXT = source_text(w.text(Ctl::RTEXT));
    const std::size_t len0 = rt::clip(RTEXT).size();
    OFC.DATE = rt::today();
    OFC.TIME = rt::clock();
    clean_rtf(RTEXT);
    const std::size_t len1 = rt::clip(RTEXT).size();
    const std::string question =
        k(u"원본= ") + std::to_string(len0) + k(u" 정리후= ") + std::to_string(len1) + k(u" 저장할까요? ");
    if (rt::message(question, k(u"확인"), rt::Icon::information, k(u"저장|아니"), 2, rt::Modal::system) != 1) {
        // Nothing is stored: the buffer, which the main window shows, goes back to what is stored.
        OFC = as_read;
        return;
    }
    const std::string stored_note = OFFICE.blob(OFC_RECORD::NOTE);
    OFFICE.set_blob(OFC_RECORD::NOTE, RTEXT);
    if (!OFFICE.put()) {
        rt::stop(rt::error_text());
        // Not stored: the buffer goes back to what is stored, so that the main window shows no unsaved change.
        OFC = as_read;
        OFFICE.set_blob(OFC_RECORD::NOTE, stored_note);
    }
}

} // namespace

void RTF_TEST() {
    RTFWINDOW().run();
}

} // namespace velquin

#endif
