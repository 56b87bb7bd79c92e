// The editor's test form: every toolbar control bound to an editor over a rich-text control, in the order and
// kinds of the document form's toolbar, and helpers that act as the user would and run the form's events.
#pragma once

#include "../ui/support.h"

#include "organizer/finddialogs.h"
#include "runtime/droplist.h"
#include "runtime/prompt.h"
#include "runtime/rtfcontrol.h"

#include <richedit.h>

#include <memory>
#include <string>

namespace edtest {

using uitest::K;

enum class Ctl {
    OPEN = 1,
    SAVE,
    PRINT,
    FIND,
    FINDANDREPLACE,
    CUT,
    COPY,
    PASTE,
    UNDO,
    REDO,
    ALIGNMENT,
    LEFT,
    CENTER,
    RIGHT,
    JUST,
    BULLETS,
    BULLETSTYLE,
    FONTNAME,
    FONTSIZE,
    BOLD,
    ITALIC,
    UNDERLINE,
    FONTCOLOR,
    FONTBKCOLOR,
    RTEXT,
    MARK = 99,
};

inline rt::WindowDesc form_window(std::u16string_view title = u"편집기 시험") {
    using rt::Kind;
    rt::WindowDesc d;
    d.title = K(title);
    d.at = {rt::unchanged, rt::unchanged, 420, 250};
    auto c = [](Ctl id, Kind kind, rt::Rect at, std::u16string_view text = {}, Ctl parent = Ctl{},
                std::string value = {}) {
        rt::ControlDesc x = rt::control(id, kind, at, K(text), {}, 0, parent);
        x.value = std::move(value);
        return x;
    };
    const char16_t* buttons[] = {u"열기", u"저장", u"인쇄", u"찾기", u"바꾸기",
                                 u"잘라", u"복사", u"붙이", u"이전", u"다음"};
    for (int i = 0; i < 10; ++i)
        d.controls.push_back(c(static_cast<Ctl>(i + 1), Kind::button, {4 + 24 * i, 2, 23, 14}, buttons[i]));
    d.controls.push_back(c(Ctl::ALIGNMENT, Kind::option, {246, 2, 90, 14}));
    d.controls.push_back(c(Ctl::LEFT, Kind::radio, {246, 2, 22, 14}, u"왼", Ctl::ALIGNMENT, "1"));
    d.controls.push_back(c(Ctl::CENTER, Kind::radio, {268, 2, 22, 14}, u"가운", Ctl::ALIGNMENT, "3"));
    d.controls.push_back(c(Ctl::RIGHT, Kind::radio, {290, 2, 22, 14}, u"오른", Ctl::ALIGNMENT, "2"));
    d.controls.push_back(c(Ctl::JUST, Kind::radio, {312, 2, 22, 14}, u"양쪽", Ctl::ALIGNMENT, "4"));
    d.controls.push_back(c(Ctl::BULLETS, Kind::check, {338, 2, 22, 14}, u"블릿"));
    d.controls.push_back(c(Ctl::BULLETSTYLE, Kind::drop_list, {362, 2, 54, 14},
                           u"블릿|#1|숫자|#2|영문소문자|#3|영문대문자|#4|로마자|#5|로마대문자|#6"));
    d.controls.push_back(c(Ctl::FONTNAME, Kind::drop_list, {4, 19, 110, 14}));
    d.controls.push_back(
        c(Ctl::FONTSIZE, Kind::drop_list, {116, 19, 30, 14}, u"8|9|10|11|12|14|16|18|20|22|24|26|28|36|48|72"));
    d.controls.push_back(c(Ctl::BOLD, Kind::check, {148, 19, 16, 14}, u"B"));
    d.controls.push_back(c(Ctl::ITALIC, Kind::check, {166, 19, 16, 14}, u"I"));
    d.controls.push_back(c(Ctl::UNDERLINE, Kind::check, {184, 19, 16, 14}, u"U"));
    d.controls.push_back(c(Ctl::FONTCOLOR, Kind::drop_list, {204, 19, 70, 14}));
    d.controls.push_back(c(Ctl::FONTBKCOLOR, Kind::drop_list, {276, 19, 70, 14}));
    d.controls.push_back(c(Ctl::RTEXT, Kind::rich_text, {4, 36, 412, 210}));
    return d;
}

// The form's editor, as the document form derives its own.
class Editor : public rt::RTFCONTROLCLASS {
public:
    std::string extra_menu; // what CONTEXTMENUTEXT adds
    int extra_chosen = 0;
    std::string CONTEXTMENUTEXT() override { return extra_menu; }
    void CONTEXTMENUCHOICE(int n) override { extra_chosen = n; }
};

// The test form, open, with the toolbar bound in the order of the item kinds.
struct Form {
    rt::Window w;
    Editor ed;

    explicit Form(std::u16string_view title = u"편집기 시험") : w(form_window(title)) {
        velquin::register_find_dialogs();
        w.open();
        using namespace rt::rtf_item;
        const std::pair<int, Ctl> items[] = {
            {button_open, Ctl::OPEN},
            {button_save, Ctl::SAVE},
            {button_print, Ctl::PRINT},
            {button_find, Ctl::FIND},
            {button_find_and_replace, Ctl::FINDANDREPLACE},
            {button_cut, Ctl::CUT},
            {button_copy, Ctl::COPY},
            {button_paste, Ctl::PASTE},
            {button_undo, Ctl::UNDO},
            {button_redo, Ctl::REDO},
            {alignment, Ctl::ALIGNMENT},
            {alignment_just, Ctl::JUST},
            {bullets, Ctl::BULLETS},
            {bullet_style, Ctl::BULLETSTYLE},
            {font_name, Ctl::FONTNAME},
            {font_size, Ctl::FONTSIZE},
            {bold, Ctl::BOLD},
            {italic, Ctl::ITALIC},
            {underline, Ctl::UNDERLINE},
            {font_color, Ctl::FONTCOLOR},
            {font_bkcolor, Ctl::FONTBKCOLOR},
        };
        for (auto [kind, control] : items)
            ed.ADDITEM(kind, control);
        ed.INIT(w, Ctl::RTEXT);
    }
    ~Form() { ed.KILL(); }

    HWND edit() const { return w.handle(Ctl::RTEXT); }
    rt::DropList& list(Ctl c) { return *rt::DropList::of(w, c); }

    // Runs the events waiting now through the editor, as the form's loop does; false when it ended.
    void run() {
        w.post(rt::EventKind::drop, Ctl::MARK);
        uitest::Watchdog watchdog;
        const bool mine = rt::installed_driver() == nullptr;
        if (mine) rt::install_driver(&watchdog);
        while (const rt::Event e = w.accept()) {
            if (e.is(rt::EventKind::drop, Ctl::MARK)) break;
            ed.TAKEEVENT(e);
        }
        if (mine) rt::install_driver(nullptr);
    }
    // The user clicks a button, check box or radio.
    void click(Ctl c) {
        SendMessageW(w.handle(c), BM_CLICK, 0, 0);
        run();
    }
    // The user picks row n of a drop list.
    void pick(Ctl c, int row) {
        list(c).choose(row);
        SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w.handle(c)), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(w.handle(c)));
        run();
    }
    void set_body(std::wstring_view text) {
        SetWindowTextW(edit(), std::wstring(text).c_str());
        SendMessageW(edit(), EM_EMPTYUNDOBUFFER, 0, 0);
    }
    void select(long from, long to) {
        CHARRANGE r{from, to};
        SendMessageW(edit(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    }
    std::wstring body() const { return uitest::text_of(edit()); }
};

} // namespace edtest
