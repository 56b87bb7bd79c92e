// The find dialog and the find-and-replace dialog of the editor.
#include "organizer/finddialogs.h"

#include "organizer/texts.h"
#include "runtime/prompt.h"
#include "runtime/rtfcontrol.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <memory>
#include <string>

namespace velquin {

namespace {

enum class Ctl {
    STEXT = 1,
    RTEXT,
    WHOLEWORD,
    DOWN,
    TOTOP,
    TOEND,
    MATCHCASE,
    FIND,
    REPLACE,
    REPLACEALL,
    CANCEL,
    PROMPT1,
    PROMPT2
};

constexpr size_t text_bytes = 255; // CSTRING(256)

rt::ControlDesc ctl(Ctl id, rt::Kind kind, rt::Rect at, std::u16string_view text = {}, Ctl parent = Ctl{},
                    std::string value = {}) {
    rt::ControlDesc d = rt::control(id, kind, at, k(text), {}, 0, parent);
    d.value = std::move(value);
    return d;
}

rt::WindowDesc find_window() {
    rt::WindowDesc d;
    d.title = k(u"검색");
    d.font = "Gulim";
    d.font_size = 9;
    d.at = {rt::unchanged, rt::unchanged, 261, 72};
    d.controls = {
        ctl(Ctl::PROMPT1, rt::Kind::prompt, {3, 10, 41, 10}, u"찾는 문자열:"),
        ctl(Ctl::STEXT, rt::Kind::entry, {46, 7, 135, 16}),
        ctl(Ctl::WHOLEWORD, rt::Kind::check, {3, 35, 90, 10}, u"정확히 일치하는 단어"),
        ctl(Ctl::DOWN, rt::Kind::option, {104, 35, 76, 24}, u"방향"),
        ctl(Ctl::TOTOP, rt::Kind::radio, {108, 45, 0, 0}, u"위로", Ctl::DOWN, "0"),
        ctl(Ctl::TOEND, rt::Kind::radio, {139, 45, 0, 0}, u"아래로", Ctl::DOWN, "1"),
        ctl(Ctl::MATCHCASE, rt::Kind::check, {3, 50, 92, 10}, u"영문 대소문자 구분"),
        ctl(Ctl::FIND, rt::Kind::button, {195, 7, 48, 16}, u"다음찾기"),
        ctl(Ctl::CANCEL, rt::Kind::button, {195, 28, 48, 14}, u"닫   기"),
    };
    return d;
}

rt::WindowDesc replace_window() {
    rt::WindowDesc d;
    d.title = k(u"찾아 바꾸기");
    d.font = "Gulim";
    d.font_size = 9;
    d.at = {rt::unchanged, rt::unchanged, 263, 89};
    d.controls = {
        ctl(Ctl::PROMPT1, rt::Kind::prompt, {2, 11, 45, 10}, u"찾을 내용:"),
        ctl(Ctl::STEXT, rt::Kind::entry, {52, 7, 131, 15}),
        ctl(Ctl::PROMPT2, rt::Kind::prompt, {2, 31, 45, 10}, u"바꿀 내용:"),
        ctl(Ctl::RTEXT, rt::Kind::entry, {52, 28, 131, 15}),
        ctl(Ctl::WHOLEWORD, rt::Kind::check, {3, 50, 0, 0}, u"정확히 일치하는 단어"),
        ctl(Ctl::DOWN, rt::Kind::option, {111, 51, 71, 23}, u"방향"),
        ctl(Ctl::TOTOP, rt::Kind::radio, {115, 61, 0, 0}, u"위로", Ctl::DOWN, "0"),
        ctl(Ctl::TOEND, rt::Kind::radio, {143, 61, 0, 0}, u"아래로", Ctl::DOWN, "1"),
        ctl(Ctl::MATCHCASE, rt::Kind::check, {3, 65, 0, 0}, u"영문 대소문자 구분"),
        ctl(Ctl::FIND, rt::Kind::button, {197, 5, 48, 17}, u"다음 찾기"),
        ctl(Ctl::REPLACE, rt::Kind::button, {197, 23, 48, 17}, u"바꾸기"),
        ctl(Ctl::REPLACEALL, rt::Kind::button, {197, 41, 48, 17}, u"모두 바꾸기"),
        ctl(Ctl::CANCEL, rt::Kind::button, {197, 59, 48, 17}, u"닫 기"),
    };
    return d;
}

// A text as a 256-byte buffer holds it.
std::string cut(std::string_view s) {
    return std::string(s.substr(0, rt::cut_point(s, text_bytes)));
}

// One open dialog: its window, the editor it works on and its state.
class FindDialog {
public:
    FindDialog(bool replacing, std::string_view editor, std::string_view text)
        : replacing_(replacing), editor_(rt::RTFCONTROLCLASS::from_reference(editor)) {
        rt::WindowDesc d = replacing ? replace_window() : find_window();
        if (editor_) d.owner = editor_->window();
        w_ = std::make_unique<rt::Window>(std::move(d));
        std::string search = cut(rt::clip(text));
        if (search.empty() && editor_) search = cut(editor_->SELECTEDTEXT());
        if (search.empty() && editor_) search = cut(editor_->last_search());
        w_->set_text(Ctl::STEXT, search);
        if (replacing_ && editor_) w_->set_text(Ctl::RTEXT, cut(editor_->last_replace()));
        w_->set_value(Ctl::DOWN, "1");
    }

    void run() {
        w_->open();
        while (const rt::Event e = w_->accept()) {
            if (e.kind != rt::EventKind::accepted) continue;
            switch (static_cast<Ctl>(e.control)) {
            case Ctl::FIND:
                find_next();
                break;
            case Ctl::REPLACE:
                replace_next();
                break;
            case Ctl::REPLACEALL:
                replace_all();
                break;
            case Ctl::CANCEL:
                w_->post(rt::EventKind::close_window);
                break;
            default:
                break;
            }
        }
        // However the dialog ended, the editor is told once whether anything was found.
        if (editor_)
            if (const HWND owner = editor_->window())
                PostThreadMessageW(GetWindowThreadProcessId(owner, nullptr),
                                   WM_APP + (found_ ? rt::rtf_found : rt::rtf_not_found), 0, 0);
        w_->close();
    }

private:
    std::string search() const { return cut(w_->text(Ctl::STEXT)); }

    long compute_options(long extra) {
        options_ = extra;
        if (w_->value(Ctl::DOWN) == "0") options_ += rt::rtf_find::up;
        if (w_->checked(Ctl::MATCHCASE)) options_ += rt::rtf_find::match_case;
        if (w_->checked(Ctl::WHOLEWORD)) options_ += rt::rtf_find::whole_word;
        return options_;
    }

    void not_found(const std::string& text) {
        rt::beep(rt::Icon::exclamation);
        rt::message("\"" + text + "\"" + k(u" 문자가 더이상 없습니다."), k(u"검색"), rt::Icon::exclamation,
                    rt::button::ok);
    }

    // Finds the next match from the selection; false after the message when there is none.
    bool find_next() {
        const std::string text = search();
        position_ = editor_ ? editor_->find(text, compute_options(0), -1) : -1;
        if (position_ == -1) {
            not_found(text);
            return false;
        }
        found_ = true;
        w_->display();
        return true;
    }

    // With a match found and not yet used it is replaced; otherwise the next one is found and replaced at once.
    // One occurrence only, whatever the options held before: the editor lets replace_one win over a replace-all's
    // bit.
    void replace_next() {
        if (!found_) found_ = find_next();
        if (found_ && position_ != -1 && editor_) {
            editor_->replace(search(), cut(w_->text(Ctl::RTEXT)), options_ | rt::rtf_find::replace_one, position_);
            w_->display();
        }
        found_ = false;
    }

    void replace_all() {
        const std::string text = search();
        const long options = compute_options(rt::rtf_find::replace_all);
        if (!editor_ || editor_->replace(text, cut(w_->text(Ctl::RTEXT)), options, -1) == -1) {
            not_found(text);
            return;
        }
        // The text changed everywhere: no earlier match stands at its place any more.
        position_ = -1;
        found_ = true;
        w_->display();
    }

    bool replacing_;
    rt::RTFCONTROLCLASS* editor_;
    std::unique_ptr<rt::Window> w_;
    bool found_ = false;
    long position_ = -1;
    long options_ = 0;
};

} // namespace

void RTFFINDDLG(std::string_view editor, std::string_view text) {
    FindDialog(false, editor, text).run();
}

void RTFFINDANDRELACEDLG(std::string_view editor, std::string_view text) {
    FindDialog(true, editor, text).run();
}

void register_find_dialogs() {
    rt::RTFCONTROLCLASS::set_find_dialogs(RTFFINDDLG, RTFFINDANDRELACEDLG);
}

} // namespace velquin
