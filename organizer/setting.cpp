#ifdef _WIN32

#include "organizer/setting.h"

#include "organizer/browseoffice.h"
#include "organizer/findole.h"
#include "organizer/globals.h"
#include "organizer/texts.h"
#include "runtime/droplist.h"
#include "runtime/ini.h"
#include "runtime/prompt.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <memory>
#include <string>
#include <utility>

namespace velquin {

namespace {

using settingform::Ctl;

rt::ControlDesc on_tab(Ctl id, rt::Kind kind, rt::Rect at, std::string text = {}) {
    return rt::control(id, kind, at, std::move(text), {}, 0, Ctl::TAB1);
}

rt::WindowDesc description() {
    using rt::Kind;
    rt::WindowDesc w;
    w.title = k(u"설정");
    w.font = "Gulim";
    w.at = {rt::unchanged, rt::unchanged, 305, 273};
    w.controls = {
        rt::control(Ctl::SHEET1, Kind::sheet, {4, 4, 297, 236}, {}, {}, rt::flag::tabs),
        rt::control(Ctl::TAB1, Kind::tab, {}, k(u"기본설정"), {}, 0, Ctl::SHEET1),
        on_tab(Ctl::FONT_PROMPT, Kind::prompt, {16, 30, 42, 10}, k(u"기본글꼴 :")),
        on_tab(Ctl::OINI_FONT, Kind::entry, {60, 28, 120, 13}),
        on_tab(Ctl::SIZE_PROMPT, Kind::prompt, {196, 30, 24, 10}, k(u"크기 :")),
        on_tab(Ctl::OINI_FONTSIZE, Kind::drop_list, {222, 28, 36, 13}, "9|10|11|12|14"),
        on_tab(Ctl::DOC_PROMPT, Kind::prompt, {24, 72, 28, 10}, "DOC :"),
        on_tab(Ctl::OINI_DOCID, Kind::entry, {54, 70, 200, 13}),
        on_tab(Ctl::XLS_PROMPT, Kind::prompt, {24, 94, 28, 10}, "XLS :"),
        on_tab(Ctl::OINI_XLSID, Kind::entry, {54, 92, 200, 13}),
        on_tab(Ctl::PPT_PROMPT, Kind::prompt, {24, 116, 28, 10}, "PPT :"),
        on_tab(Ctl::OINI_PPTID, Kind::entry, {54, 114, 200, 13}),
        on_tab(Ctl::GROUP1, Kind::group_box, {14, 54, 276, 82}, k(u"오피스 OLE ID ")),
        on_tab(Ctl::BTNDOC, Kind::button, {258, 70, 20, 13}, "..."),
        on_tab(Ctl::BTNXLS, Kind::button, {258, 92, 20, 13}, "..."),
        on_tab(Ctl::BTNPPT, Kind::button, {258, 114, 20, 13}, "..."),
        rt::control(Ctl::OK, Kind::button, {180, 248, 56, 18}, "OK", "WAOk.ico"),
        rt::control(Ctl::CANCEL, Kind::button, {242, 248, 56, 18}, "Cancel", "WACancel.ico"),
        rt::control(Ctl::VERSION, Kind::prompt, {8, 252, 80, 10}, k(u"베타버전 1.0")),
    };
    return w;
}

// Reads the five settings that the window shows, with the window's defaults.
void GETINIFILE() {
    OINI.FONT = rt::get_ini("Velquin", "Font", k(u"맑은 고딕"), SETTINGS_FILE);
    OINI.FONTSIZE = static_cast<std::uint8_t>(rt::get_ini_number("Velquin", "FontSize", 11, SETTINGS_FILE));
    OINI.DOCID = rt::get_ini("Velquin", "Word ID", "Word.Document.8", SETTINGS_FILE);
    OINI.XLSID = rt::get_ini("Velquin", "Excel ID", "Excel.Sheet.8", SETTINGS_FILE);
    OINI.PPTID = rt::get_ini("Velquin", "PowerPoint ID", "PowerPoint.Slide.8", SETTINGS_FILE);
}

// The entries show the globals, and what they show goes back into them.
void show(rt::Window& w) {
    w.set_text(Ctl::OINI_FONT, OINI.FONT.clip());
    // A size that is none of the choices shows no choice.
    if (rt::DropList* sizes = rt::DropList::of(w, Ctl::OINI_FONTSIZE))
        sizes->choose(sizes->find(std::to_string(OINI.FONTSIZE)));
    w.set_text(Ctl::OINI_DOCID, OINI.DOCID.clip());
    w.set_text(Ctl::OINI_XLSID, OINI.XLSID.clip());
    w.set_text(Ctl::OINI_PPTID, OINI.PPTID.clip());
}

void take(rt::Window& w, int control) {
    switch (static_cast<Ctl>(control)) {
    case Ctl::OINI_FONT:
        OINI.FONT = w.text(Ctl::OINI_FONT);
        break;
    case Ctl::OINI_FONTSIZE: {
        // Only a chosen size: a size that is none of the choices stays as it was read.
        const rt::DropList* sizes = rt::DropList::of(w, Ctl::OINI_FONTSIZE);
        const int row = sizes ? sizes->chosen() : 0;
        if (row > 0)
            OINI.FONTSIZE = static_cast<std::uint8_t>(std::stoi(sizes->entries()[static_cast<size_t>(row - 1)].value));
        break;
    }
    case Ctl::OINI_DOCID:
        OINI.DOCID = w.text(Ctl::OINI_DOCID);
        break;
    case Ctl::OINI_XLSID:
        OINI.XLSID = w.text(Ctl::OINI_XLSID);
        break;
    case Ctl::OINI_PPTID:
        OINI.PPTID = w.text(Ctl::OINI_PPTID);
        break;
    default:
        break;
    }
}

// The six keys in their order; the first write that fails ends it.
rt::FileResult write_settings() {
    const std::pair<const char*, std::string> keys[] = {
        {"DefaultDB", OINI.DB.clip()},  {"Font", OINI.FONT.clip()},      {"FontSize", std::to_string(OINI.FONTSIZE)},
        {"Word ID", OINI.DOCID.clip()}, {"Excel ID", OINI.XLSID.clip()}, {"PowerPoint ID", OINI.PPTID.clip()},
    };
    for (const auto& [key, value] : keys)
        if (rt::FileResult written = rt::put_ini("Velquin", key, value, SETTINGS_FILE); !written) return written;
    return {};
}

} // namespace

void SETTING() {
    using settingform::Ctl;
    const OINI_DATA before = OINI; // what Cancel gives back
    rt::Fixed<50> DOCUMENTID;
    rt::Window w(description());
    w.set_limit(Ctl::OINI_FONT, OINI.FONT.size());
    for (Ctl id : {Ctl::OINI_DOCID, Ctl::OINI_XLSID, Ctl::OINI_PPTID})
        w.set_limit(id, DOCUMENTID.size());
    GETINIFILE();
    show(w);
    w.open();
    bool saved = false;
    while (const rt::Event e = w.accept()) {
        if (e.kind != rt::EventKind::accepted) continue;
        switch (static_cast<Ctl>(e.control)) {
        case Ctl::BTNDOC:
        case Ctl::BTNXLS:
        case Ctl::BTNPPT: {
            ACTION = 4;
            FINDOLE(DOCUMENTID);
            if (ACTION != 0) break;
            const Ctl entry = e.control == static_cast<int>(Ctl::BTNDOC)   ? Ctl::OINI_DOCID
                              : e.control == static_cast<int>(Ctl::BTNXLS) ? Ctl::OINI_XLSID
                                                                           : Ctl::OINI_PPTID;
            w.set_text(entry, DOCUMENTID.clip());
            take(w, static_cast<int>(entry));
            break;
        }
        case Ctl::OK:
            for (Ctl entry : {Ctl::OINI_FONT, Ctl::OINI_DOCID, Ctl::OINI_XLSID, Ctl::OINI_PPTID})
                take(w, static_cast<int>(entry));
            if (const rt::FileResult written = write_settings(); !written) {
                // Not saved: the window stays open, for another try or Cancel.
                rt::message(k(u"설정을 저장할 수 없습니다. 설정 파일: Velquin.INI 에러: ") + written.text());
                break;
            }
            saved = true;
            w.close();
            break;
        case Ctl::CANCEL:
            w.close();
            break;
        default:
            take(w, e.control);
            break;
        }
    }
    if (!saved) OINI = before;
}

} // namespace velquin

#endif
