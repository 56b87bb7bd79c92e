// The document form UPDATEOFFICE: its description, set-up, layout, event loop, link operations, embedded-document
// menus and the save.
#ifdef _WIN32

#include "organizer/updateoffice.h"

#include "organizer/doclist.h"
#include "organizer/filelink.h"
#include "organizer/names.h"
#include "organizer/office.h"
#include "runtime/droplist.h"
#include "runtime/files.h"
#include "runtime/listbox.h"
#include "runtime/ole.h"
#include "runtime/picture.h"
#include "runtime/prompt.h"

#include <richedit.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace velquin {

const rt::Field Q1_FIELDS[3] = {
    {"AFILE", rt::FieldType::Text, offsetof(Q1_ROW, AFILE), 64},
    {"AREMARK", rt::FieldType::Text, offsetof(Q1_ROW, AREMARK), 60},
    {"APATH", rt::FieldType::Text, offsetof(Q1_ROW, APATH), 128},
};

namespace {

using Ctl = UPDATEOFFICE::Ctl;

std::string k(std::u16string_view text) {
    return rt::to_cp949(text);
}

rt::ControlDesc control(Ctl id, rt::Kind kind, rt::Rect at, std::string text = {}, std::string icon = {},
                        Ctl parent = Ctl{}) {
    return rt::control(id, kind, at, std::move(text), std::move(icon), 0, parent);
}

// A day as yy-mm-dd.
std::string short_date(std::int32_t day) {
    return rt::format(day, "D9-");
}

// A clock value as hh:mm with AM or PM.
std::string short_time(std::int32_t time) {
    std::string t = rt::format(time, "T3");
    if (t.size() > 1 && t[1] == ':') t.insert(0, "0");
    return t;
}

} // namespace

UPDATEOFFICE::UPDATEOFFICE() = default;
UPDATEOFFICE::~UPDATEOFFICE() = default;

rt::WindowDesc UPDATEOFFICE::description() {
    using rt::Kind;
    rt::WindowDesc w;
    w.title = "Update";
    w.font = "Gulim";
    w.font_size = 9;
    w.at = {rt::unchanged, rt::unchanged, 420, 329};
    w.icon = "office.ico";
    w.resizable = true;
    w.status_bar = true;
    auto& c = w.controls;
    c.push_back(control(Ctl::GROUP1, Kind::group, {3, 0, 242, 36}));
    const char* tools[] = {"Open.ico", "Save.ico", "Print.ico", "RFind.ico", "RReplace.ico",
                           "cut.ico",  "Copy.ico", "Paste.ico", "undo.ico",  "redo.ico"};
    for (int i = 0; i < 10; ++i)
        c.push_back(control(static_cast<Ctl>(static_cast<int>(Ctl::RTFTOOLOPEN) + i), Kind::button,
                            {5 + 17 * i, 3, 16, 14}, {}, tools[i], Ctl::GROUP1));
    c.push_back(control(Ctl::RTFTOOLALIGNMENT, Kind::option, {175, 2, 68, 16}, {}, {}, Ctl::GROUP1));
    const char* aligns[] = {"JUSTLFT.ICO", "JUSTCTR.ICO", "JUSTRT.ICO", "JUSTJUST.ICO"};
    const char* values[] = {"1", "3", "2", "4"};
    for (int i = 0; i < 4; ++i) {
        c.push_back(control(static_cast<Ctl>(static_cast<int>(Ctl::RTFTOOLALIGNMENTLEFT) + i), Kind::radio,
                            {176 + 17 * i, 3, 16, 14}, {}, aligns[i], Ctl::RTFTOOLALIGNMENT));
        c.back().value = values[i];
    }
    c.push_back(control(Ctl::RTFTOOLBULLETS, Kind::check, {5, 19, 16, 14}, {}, "BULLETS.ICO", Ctl::GROUP1));
    c.push_back(control(Ctl::RTFTOOLBULLETSTYLE, Kind::drop_list, {22, 19, 40, 14},
                        k(u"블릿|#1|숫자|#2|영문소문자|#3|영문대문자|#4|로마자|#5|로마대문자|#6"), {}, Ctl::GROUP1));
    c.push_back(control(Ctl::OLE, Kind::ole, {63, 21, 15, 10}, {}, {}, Ctl::GROUP1));
    c.push_back(control(Ctl::RTFTOOLFONTNAME, Kind::drop_list, {79, 19, 62, 14}, {}, {}, Ctl::GROUP1));
    c.push_back(control(Ctl::RTFTOOLFONTSIZE, Kind::drop_list, {142, 19, 24, 14},
                        "8|9|10|11|12|14|16|18|20|22|24|26|28|36|48|72", {}, Ctl::GROUP1));
    const char* styles[] = {"bold.ico", "italic.ico", "undrline.ico"};
    for (int i = 0; i < 3; ++i)
        c.push_back(control(static_cast<Ctl>(static_cast<int>(Ctl::RTFTOOLBOLD) + i), Kind::check,
                            {167 + 13 * i, 19, 12, 14}, {}, styles[i], Ctl::GROUP1));
    const char* colours = "Black|#1|Maroon|#2|Green|#3|Olive|#4|Navy|#5|Purple|#6|Teal|#7|Gray|#8|Silver|#9|Red|#10|"
                          "Lime|#11|Yellow|#12|Blue|#13|Fuchia|#14|Aqua|#15|White|#16|Automatic|#0";
    c.push_back(control(Ctl::RTFTOOLFONTCOLOR, Kind::drop_list, {206, 19, 18, 14}, colours, {}, Ctl::GROUP1));
    c.push_back(control(Ctl::RTFTOOLFONTBKCOLOR, Kind::drop_list, {225, 19, 18, 14}, colours, {}, Ctl::GROUP1));
    c.push_back(control(Ctl::GROUP2, Kind::group, {245, 0, 169, 34}));
    c.push_back(control(Ctl::OFFICE, Kind::button, {247, 0, 41, 38}, {}, "Office.ico", Ctl::GROUP2));
    c.push_back(control(Ctl::AFILE, Kind::button, {289, 0, 41, 38}, {}, "File.ico", Ctl::GROUP2));
    c.push_back(control(Ctl::OK, Kind::button, {331, 0, 41, 38}, "Save", "BigSave.ico", Ctl::GROUP2));
    c.push_back(control(Ctl::CANCEL, Kind::button, {373, 0, 41, 38}, "Cancel", {}, Ctl::GROUP2));
    c.push_back(control(Ctl::SUBJ0, Kind::prompt, {7, 45, 20, 10}, "Subject:"));
    c.push_back(control(Ctl::OFC_SUBJ, Kind::entry, {28, 41, 286, 16}));
    c.push_back(control(Ctl::OFC_INDEX, Kind::entry, {316, 41, 30, 16}));
    c.push_back(control(Ctl::CATEGORY, Kind::drop_list, {347, 41, 63, 16}));
    c.push_back(control(Ctl::RTEXT, Kind::rich_text, {4, 65, 411, 256}));
    c.push_back(control(Ctl::LIST1, Kind::list, {5, 245, 331, 77}));
    c.push_back(control(Ctl::LINKOPEN, Kind::button, {348, 246, 57, 15}, "Open"));
    c.push_back(control(Ctl::INSERT, Kind::button, {348, 265, 57, 15}, "Insert"));
    c.push_back(control(Ctl::CHANGE, Kind::button, {348, 285, 57, 15}, "Change"));
    c.push_back(control(Ctl::DELETE, Kind::button, {348, 305, 57, 15}, "Delete"));
    c[static_cast<int>(Ctl::OFFICE) - 1].tip = k(u"오피스 문서를  작성하여 저장할 수 있습니다.");
    c[static_cast<int>(Ctl::AFILE) - 1].tip = k(u"첨부파일을 링크할 수 있습니다.(최대 10개)");
    c[static_cast<int>(Ctl::OK) - 1].tip = k(u"작성한 문서를 저장합니다.");
    c[static_cast<int>(Ctl::OFC_INDEX) - 1].tip = k(u"목차를 입력하세요");
    c[static_cast<int>(Ctl::CATEGORY) - 1].tip = k(u"홈화면에서 분류 등록 후 이용하세요 ");
    return w;
}

void UPDATEOFFICE::run() {
    Q1.free();
    DELQ.free();
    TARGETPATH.clear();
    SOURCEPATH.clear();
    RTEXT.clear();
    object_.clear();
    ATTACHED = 0;
    PRENODE = 0;
    window_ = std::make_unique<rt::Window>(description());
    rt::Window& w = *window_;
    list_ = &rt::ListBox::attach(w, Ctl::LIST1, rt::rows_of(Q1, Q1_FIELDS, std::size(Q1_FIELDS)));
    list_->set_format(k(u"127L(2)|M~링크파일~@S64@20L(2)|M~설 명~@S60@"));
    editor_ = std::make_unique<RTFCONTROL1>();
    ole_ = &rt::OleContainer::of(w, Ctl::OLE);
    w.open();
    SETUPSCREEN();
    events();
    deactivate_object();
    editor_->KILL();
    ole_ = nullptr;
    window_.reset();
    editor_.reset();
    Q1.free();
    DELQ.free();
    RTEXT.clear();
    RTEXT.shrink_to_fit();
    object_.clear();
    object_.shrink_to_fit();
}

void UPDATEOFFICE::SETUPSCREEN() {
    rt::Window& w = *window_;
    // 1. Texts.
    w.set_text(Ctl::OFFICE, k(u"삽입문서"));
    w.set_text(Ctl::AFILE, k(u"파일링크"));
    w.set_text(Ctl::SUBJ0, k(u"제목:"));
    w.set_text(Ctl::OK, k(u"저 장"));
    w.set_text(Ctl::CANCEL, k(u"취 소"));
    w.set_text(Ctl::LINKOPEN, k(u"링크파일 열기"));
    w.set_text(Ctl::INSERT, k(u"링크파일 추가"));
    w.set_text(Ctl::CHANGE, k(u"링크파일 수정"));
    w.set_text(Ctl::DELETE, k(u"링크파일 삭제"));
    // 2. The editor and its toolbar.
    RTF_CONTROL();
    // 3. Layout.
    namespace rs = rt::resize;
    WINRESIZE.init(w, rs::spread, true, false);
    WINRESIZE.set_strategy(Ctl::GROUP1, rs::left | rs::top, rs::keep_width | rs::keep_height);
    WINRESIZE.set_strategy(Ctl::GROUP2, rs::right | rs::top, rs::keep_width | rs::keep_height);
    WINRESIZE.set_strategy(Ctl::OFC_SUBJ, rs::left | rs::top, rs::follow_right | rs::keep_height);
    WINRESIZE.set_strategy(Ctl::OFC_INDEX, rs::right | rs::top, rs::keep_width | rs::keep_height);
    WINRESIZE.set_strategy(Ctl::CATEGORY, rs::right | rs::top, rs::keep_width | rs::keep_height);
    WINRESIZE.set_strategy(Ctl::RTEXT, rs::left | rs::top, rs::follow_right | rs::follow_bottom);
    WINRESIZE.set_strategy(Ctl::LIST1, rs::left | rs::bottom, rs::follow_right | rs::keep_height);
    // 4, 5.
    const rt::Rect size = w.position();
    INIWIDTH = size.w;
    INIHEIGHT = size.h;
    w.post(rt::EventKind::sized);
    // 6. The category list shows GNODE's rows.
    rt::DropList& category = *rt::DropList::of(w, Ctl::CATEGORY);
    category.set_line_height(13);
    list_->set_line_height(13);
    std::vector<rt::DropEntry> categories;
    for (std::size_t n = 1; n <= GNODE.records(); ++n)
        categories.push_back({GNODE.row(n).NODENAME.clip(), {}});
    category.set_entries(std::move(categories));
    // 7. By mode.
    switch (ACTION) {
    case 1:
        w.set_title(k(u"새문서 추가"));
        OFFICE.clear(); // the large fields too
        if (G8.GNODE.NODE != 0) {
            OFC.NODE = G8.GNODE.NODE;
            w.select(Ctl::CATEGORY, static_cast<int>(GNODE.pointer()));
        }
        OFC.EXT.clear();
        body_to_screen();
        default_font();
        w.focus(Ctl::OFC_SUBJ);
        break;
    case 2:
        w.set_title(k(u"문서 수정"));
        w.set_status_colour(0x808080); // the dates in grey
        w.set_status(k(u"편집일: ") + short_date(OFC.DATE) + " " + short_time(OFC.TIME) + k(u" 최초작성일: ") +
                     short_date(OFC.CDATE));
        if (!OFC.EXT.blank()) load_object(OFFICE.blob(OFC_RECORD::OBJECT));
        PRENODE = OFC.NODE;
        if (OFC.NODE != 0) select_category(OFC.NODE);
        RTEXT = OFFICE.blob(OFC_RECORD::NOTE);
        // Shown after the layout of the size event posted above: the editor lays its body out again at every
        // change of its size, which for a large body takes as long as the load.
        body_pending_ = true;
        w.focus(Ctl::RTEXT);
        break;
    case 3:
        w.set_title(OFC.NODE == TRASH ? k(u"여기서 삭제하면 영구히 삭제됩니다.")
                                      : k(u"삭제하면 [휴지통]으로 이동합니다.."));
        w.set_text(Ctl::OK, k(u"확 인"));
        w.disable(Ctl::GROUP1, Ctl::DELETE);
        w.enable(Ctl::GROUP2, Ctl::CANCEL);
        w.disable(Ctl::OFFICE, Ctl::AFILE);
        break;
    default:
        break;
    }
    w.set_text(Ctl::OFC_SUBJ, OFC.SUBJ.clip());
    w.set_text(Ctl::OFC_INDEX, OFC.INDEX.clip());
    // 8. The link list, from slot 1 up to the first blank slot.
    for (std::size_t i = 0; i < 10 && !OFC.AFILE[i].blank(); ++i) {
        Q1.AFILE = OFC.AFILE[i];
        Q1.AREMARK = OFC.AREMARK[i];
        Q1.APATH.clear();
        Q1.add();
    }
    if (Q1.records() > 0) ATTACHED = 1;
    list_->refresh();
    // 9.
    w.display();
}

void UPDATEOFFICE::select_category(std::int16_t node) {
    GND.NODE = node;
    GNODE.get_by(&GNODE_ROW::NODE);
    const int row = rt::error_code() == 0 ? static_cast<int>(GNODE.pointer()) : 0;
    window_->select(Ctl::CATEGORY, row);
}

void UPDATEOFFICE::RTF_CONTROL() {
    rt::Window& w = *window_;
    using namespace rt::rtf_item;
    const struct {
        int kind;
        Ctl control;
        const char16_t* tip;
    } items[] = {
        {button_open, Ctl::RTFTOOLOPEN, u"불러오기"},
        {button_save, Ctl::RTFTOOLSAVE, u"다른이름으로 저장"},
        {button_print, Ctl::RTFTOOLPRINT, u"인쇄"},
        {button_find, Ctl::RTFTOOLFIND, u"찾기"},
        {button_find_and_replace, Ctl::RTFTOOLFINDANDREPLACE, u"바꾸기"},
        {button_cut, Ctl::RTFTOOLCUT, u"잘라내기"},
        {button_copy, Ctl::RTFTOOLCOPY, u"복사"},
        {button_paste, Ctl::RTFTOOLPASTE, u"붙이기"},
        {button_undo, Ctl::RTFTOOLUNDO, u"이전으로"},
        {button_redo, Ctl::RTFTOOLREDO, u"다음으로"},
        {alignment, Ctl::RTFTOOLALIGNMENT, nullptr},
        {alignment_just, Ctl::RTFTOOLALIGNMENTJUST, nullptr},
        {bullets, Ctl::RTFTOOLBULLETS, u"블릿기호"},
        {bullet_style, Ctl::RTFTOOLBULLETSTYLE, u"블릿스타일"},
        {font_name, Ctl::RTFTOOLFONTNAME, u"글꼴"},
        {font_size, Ctl::RTFTOOLFONTSIZE, u"글자크기"},
        {bold, Ctl::RTFTOOLBOLD, nullptr},
        {italic, Ctl::RTFTOOLITALIC, nullptr},
        {underline, Ctl::RTFTOOLUNDERLINE, nullptr},
        {font_color, Ctl::RTFTOOLFONTCOLOR, u"글자색"},
        {font_bkcolor, Ctl::RTFTOOLFONTBKCOLOR, u"글자바탕색"},
    };
    for (const auto& item : items)
        editor_->ADDITEM(item.kind, item.control);
    editor_->INIT(w, Ctl::RTEXT);
    for (const auto& item : items)
        if (item.tip) w.set_tip(item.control, k(item.tip));
}

// The editor's right-click menu carries its own entries only.
std::string RTFCONTROL1::CONTEXTMENUTEXT() {
    std::string text = RTFCONTROLCLASS::CONTEXTMENUTEXT();
    text.clear();
    return text;
}

void UPDATEOFFICE::CALC_FIELDS() {
    rt::Window& w = *window_;
    const std::string ext = OFC.EXT.clip();
    if (ext == "DOC") {
        w.set_icon(Ctl::OFFICE, "WORD.ICO");
        w.set_text(Ctl::OFFICE, k(u"워 드"));
    } else if (ext == "XLS") {
        w.set_icon(Ctl::OFFICE, "EXCEL.ICO");
        w.set_text(Ctl::OFFICE, k(u"엑 셀"));
    } else if (ext == "PPT") {
        w.set_icon(Ctl::OFFICE, "PPT.ico");
        w.set_text(Ctl::OFFICE, k(u"파포인트"));
    } else {
        w.set_icon(Ctl::OFFICE, "Office.ico");
        w.set_text(Ctl::OFFICE, k(u"문서삽입"));
    }
    const rt::Rect body = w.position(Ctl::RTEXT);
    if (ATTACHED == 0) {
        w.hide(Ctl::LIST1, Ctl::DELETE);
        w.set_position(Ctl::RTEXT, body.x, body.y, body.w, HEIGHT - 75);
    } else {
        w.show(Ctl::LIST1, Ctl::DELETE);
        w.set_position(Ctl::RTEXT, body.x, body.y, body.w, HEIGHT - 154);
    }
}

void UPDATEOFFICE::events() {
    rt::Window& w = *window_;
    w.alert(Ctl::OFC_SUBJ, rt::key::enter);
    w.alert(Ctl::LIST1, rt::key::mouse_left2);
    while (rt::Event e = w.accept()) {
        switch (e.kind) {
        case rt::EventKind::close_window:
            deactivate_object();
            break;
        case rt::EventKind::sized:
            on_sized();
            if (body_pending_) {
                body_pending_ = false;
                body_to_screen();
            }
            break;
        case rt::EventKind::alert_key:
            if (e.is(rt::EventKind::alert_key, Ctl::OFC_SUBJ) && e.key == rt::key::enter) w.focus(Ctl::RTEXT);
            if (e.is(rt::EventKind::alert_key, Ctl::LIST1) && e.key == rt::key::mouse_left2) RUN_AFILE();
            break;
        case rt::EventKind::accepted:
            switch (static_cast<Ctl>(e.control)) {
            case Ctl::CATEGORY:
                CATEGORY_ACCEPTED();
                break;
            case Ctl::OFFICE:
                OFFICE_ACCEPTED();
                CALC_FIELDS();
                break;
            case Ctl::AFILE:
                ATTACHED = static_cast<std::uint8_t>(1 - ATTACHED);
                CALC_FIELDS();
                break;
            case Ctl::LINKOPEN:
                RUN_AFILE();
                break;
            case Ctl::INSERT:
                LINK_INSERT();
                break;
            case Ctl::CHANGE:
                LINK_CHANGE();
                break;
            case Ctl::DELETE:
                LINK_DELETE();
                break;
            case Ctl::OK:
                SAVE();
                break;
            case Ctl::CANCEL:
                close_form();
                break;
            default:
                editor_->TAKEEVENT(e);
                break;
            }
            break;
        default:
            break;
        }
    }
}

void UPDATEOFFICE::on_sized() {
    WINRESIZE.resize();
    const rt::Rect size = window_->position();
    WIDTH = size.w;
    HEIGHT = size.h;
    CALC_FIELDS();
}

void UPDATEOFFICE::CATEGORY_ACCEPTED() {
    const int row = window_->selection(Ctl::CATEGORY);
    GNODE.get(static_cast<std::size_t>(row < 0 ? 0 : row));
    if (rt::error_code() == 0) OFC.NODE = GND.NODE;
}

void UPDATEOFFICE::OFFICE_ACCEPTED() {
    if (OFC.EXT.blank()) {
        const int item = rt::popup(k(u"WORD 문서|Excel 문서|PowerPoint 문서"));
        if (item < 1 || item > 3) return;
        const char* ext[] = {"DOC", "XLS", "PPT"};
        const rt::Fixed<50>* id[] = {&OINI.DOCID, &OINI.XLSID, &OINI.PPTID};
        OFC.EXT = ext[item - 1];
        create_object(id[item - 1]->clip());
        return;
    }
    switch (rt::popup(k(u"삽입문서 수정|삽입문서 삭제"))) {
    case 1: {
        const std::string ext = OFC.EXT.clip();
        open_object(ext == "DOC"   ? OINI.DOCID.clip()
                    : ext == "XLS" ? OINI.XLSID.clip()
                    : ext == "PPT" ? OINI.PPTID.clip()
                                   : std::string());
        break;
    }
    case 2:
        OFC.EXT.clear();
        break;
    default:
        break;
    }
}

bool UPDATEOFFICE::get_link_row() {
    const int row = list_->selection(*window_, static_cast<int>(Ctl::LIST1));
    if (row > 0) Q1.get(static_cast<std::size_t>(row));
    if (row <= 0 || rt::error_code() != 0) {
        rt::message(k(u" 좌측의 링크파일중 하나를 먼저 선택하세요 "));
        return false;
    }
    return true;
}

void UPDATEOFFICE::LINK_INSERT() {
    if (Q1.records() >= 10) {
        rt::message(k(u"링크 첨부파일은 최대 10개까지 지정할 수 있습니다."));
        return;
    }
    SAVED_ACTION = ACTION;
    ACTION = 1;
    G8.AFILE.clear();
    G8.AREMARK.clear();
    G8.APATH.clear();
    FILELINK().run();
    if (ACTION == 0) {
        Q1.AFILE = G8.AFILE;
        Q1.AREMARK = G8.AREMARK;
        Q1.APATH = G8.APATH;
        Q1.add();
        list_->refresh();
        list_->select(*window_, static_cast<int>(Ctl::LIST1), static_cast<int>(Q1.pointer()));
    }
    ACTION = SAVED_ACTION;
}

void UPDATEOFFICE::LINK_CHANGE() {
    if (!get_link_row()) return;
    SAVED_ACTION = ACTION;
    ACTION = 2;
    G8.AFILE = Q1.AFILE;
    G8.AREMARK = Q1.AREMARK;
    G8.APATH = Q1.APATH;
    FILELINK().run();
    if (ACTION == 0 && (SAVED_ACTION != 2 || !Q1.APATH.blank() || change_stored_link())) {
        Q1.AFILE = G8.AFILE;
        Q1.AREMARK = G8.AREMARK;
        Q1.APATH = G8.APATH;
        Q1.put();
        list_->refresh();
    }
    ACTION = SAVED_ACTION;
}

// A stored link of a changed document edited in the link form (G8 holds the edit): its file is renamed at the
// save when only the name changed, and removed when another file took its place. False when the edit is refused.
bool UPDATEOFFICE::change_stored_link() {
    const std::string file = stored_name(Q1.AFILE.view()), row = Q1.AFILE.clip(), name = G8.AFILE.clip();
    const std::optional<std::string> folder = document_folder(PRENODE, OFC.SORT);
    const bool found = folder && !bad_path_name(file);
    // The link's own file chosen again: the link stays a link to the file in the folder.
    if (!G8.APATH.blank() && found && rt::same_file(G8.APATH.clip(), rt::join_path(*folder, file))) G8.APATH.clear();
    if (G8.APATH.blank()) {
        if (name == row) return true;
        if (found && !rename_allowed(*folder, file, name)) return false;
        std::erase_if(renamed_, [&](const auto& r) { return r.second == row; });
        if (name != file) renamed_.emplace_back(file, name);
        return true;
    }
    // Another file: the one in the folder goes at the save, unless the new one takes its name.
    std::erase_if(renamed_, [&](const auto& r) { return r.second == row; });
    if (file != name) {
        DELQ.DFILE = file;
        DELQ.add();
    }
    return true;
}

void UPDATEOFFICE::LINK_DELETE() {
    if (!get_link_row()) return;
    SAVED_ACTION = ACTION;
    ACTION = 3;
    G8.AFILE = Q1.AFILE;
    G8.AREMARK = Q1.AREMARK;
    FILELINK().run();
    if (ACTION == 0) {
        if (SAVED_ACTION == 2 && Q1.APATH.blank()) {
            const std::string row = Q1.AFILE.clip();
            DELQ.DFILE = stored_name(row);
            DELQ.add();
            std::erase_if(renamed_, [&](const auto& r) { return r.second == row; });
        }
        Q1.del();
        list_->refresh();
    }
    ACTION = SAVED_ACTION;
}

void UPDATEOFFICE::SAVE() {
    rt::Window& w = *window_;
    OFC.SUBJ = w.text(Ctl::OFC_SUBJ);
    OFC.INDEX = w.text(Ctl::OFC_INDEX);
    screen_to_body();
    switch (ACTION) {
    case 1:
        ADD_OFFICE();
        break;
    case 2:
        PUT_OFFICE();
        break;
    case 3:
        DELETE_OFFICE();
        break;
    default:
        break;
    }
    if (ACTION == 0) close_form();
}

void UPDATEOFFICE::close_form() {
    deactivate_object();
    window_->post(rt::EventKind::close_window);
}

// The body into the editor. One the editor refuses (longer than a body may be) stays as it was stored, and the
// save refuses it in turn, so that it is never stored cut or empty.
void UPDATEOFFICE::body_to_screen() {
    body_shown_ = editor_->set_rtf(RTEXT);
}

void UPDATEOFFICE::screen_to_body() {
    if (body_shown_) RTEXT = editor_->rtf();
}

// A new body's font: the settings' font and size, normal weight, Hangul character set.
void UPDATEOFFICE::default_font() {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_WEIGHT | CFM_BOLD;
    cf.yHeight = OINI.FONTSIZE * 20;
    cf.bCharSet = HANGEUL_CHARSET;
    cf.wWeight = FW_NORMAL;
    lstrcpynW(cf.szFaceName, rt::wide(OINI.FONT.clip()).c_str(), LF_FACESIZE);
    SendMessageW(window_->handle(Ctl::RTEXT), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(window_->handle(Ctl::RTEXT), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    const int sizes[] = {9, 10, 11, 12, 14};
    const auto at = std::find(std::begin(sizes), std::end(sizes), OINI.FONTSIZE);
    window_->select(Ctl::RTFTOOLFONTSIZE, at == std::end(sizes) ? 0 : static_cast<int>(at - sizes) + 2);
}

// The embedded document's image as the container holds it now. A stored one that could not be loaded (its program
// is missing here) is kept as it was rather than emptied.
std::string UPDATEOFFICE::object_bytes() {
    return ole_->empty() ? object_ : ole_->save();
}

void UPDATEOFFICE::load_object(std::string_view bytes) {
    object_ = bytes;
    ole_->load(bytes);
}

void UPDATEOFFICE::create_object(std::string_view progid) {
    object_.clear();
    if (!ole_->create(progid)) {
        // No document of the chosen type, and not the one the container held before under the new type either.
        ole_->clear();
        OFC.EXT.clear();
        rt::message(k(u"삽입문서를 만들 수 없습니다. OLE ID: ") + std::string(progid) +
                    k(u"|[설정]에서 PC에 설치된 오피스의 OLE를 선택하세요."));
        return;
    }
    ole_->do_verb(rt::verb::open);
    // The page width of a word-processing document; other programs refuse the property.
    ole_->set_property("Application.ActiveDocument.PageSetup.PageWidth", "600");
}

void UPDATEOFFICE::open_object(std::string_view progid) {
    ole_->open(progid);
    ole_->do_verb(rt::verb::open);
}

void UPDATEOFFICE::deactivate_object() {
    if (ole_) ole_->deactivate();
}

} // namespace velquin

#endif
