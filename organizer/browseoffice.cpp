#ifdef _WIN32

#include "organizer/browseoffice.h"

#include "organizer/office.h"
#include "organizer/standard.h"
#include "organizer/startup.h"
#include "organizer/versioncheck.h"
#include "runtime/clock.h"
#include "runtime/ini.h"
#include "runtime/prompt.h"
#include "runtime/text.h"

#include <string>

namespace velquin {

namespace {

std::string k(std::u16string_view text) { return rt::to_cp949(text); }

// Controls of the main window lie on its tab page unless they name another holder.
rt::ControlDesc control(Ctl id, rt::Kind kind, rt::Rect at, std::string text = {}, std::string icon = {},
                        unsigned flags = 0, Ctl parent = Ctl::TAB1) {
    return rt::control(id, kind, at, std::move(text), std::move(icon), flags, parent);
}

// The body of the notice document that a new library gets.
std::string notice_text() {
    return k(u"벨퀸의 본문은 RTF 문서 포맷을 사용합니다.\r\n"
             u" 이 RTF 포맷은 그림저장이 아주 비효율적이어서 실제 그림 보다 몇배의 용량을 차지합니다.\r\n"
             u" 가급적 그림은 오피스문서나 파일링크로 넣으시고, 본문은 되도록 글자 위주로 사용하시는 것을 추천합니다.");
}

} // namespace

rt::WindowDesc BROWSEOFFICE::description() {
    using rt::Kind;
    rt::WindowDesc w;
    w.title = "Velquin";
    w.font = "Gulim";
    w.font_size = 9;
    w.at = {rt::unchanged, rt::unchanged, 500, 379};
    w.icon = "Velquin.ico";
    w.resizable = true;
    auto& c = w.controls;
    c.push_back(control(Ctl::HELP, Kind::button, {4, 5, 46, 15}, k(u"도움말"), {}, 0, Ctl{}));
    c.push_back(control(Ctl::SHEET1, Kind::sheet, {1, 23, 497, 315}, {}, {}, 0, Ctl{}));
    c.push_back(control(Ctl::TAB1, Kind::tab, {}, "Tab1", {}, 0, Ctl::SHEET1));
    c.push_back(control(Ctl::TREE, Kind::tree, {5, 28, 117, 272}));
    c.push_back(control(Ctl::OPEN, Kind::button, {4, 311, 20, 20}, {}, "OpenDB.ico"));
    c.push_back(control(Ctl::NEWDB, Kind::button, {26, 311, 20, 20}, {}, "NewDB.ico"));
    c.push_back(control(Ctl::TREEINSERT, Kind::button, {67, 313, 15, 15}, {}, "TreeInsert.ico"));
    c.push_back(control(Ctl::TREECHANGE, Kind::button, {85, 313, 15, 15}, {}, "TreeChange.ico"));
    c.push_back(control(Ctl::TREEDELETE, Kind::button, {103, 313, 15, 15}, {}, "TreeDelete.ico"));
    c.push_back(control(Ctl::INSERT, Kind::button, {127, 5, 55, 15}, "Insert", "BRInsert.ico"));
    c.back().key = rt::key::f2;
    c.push_back(control(Ctl::GROUP3, Kind::group_box, {376, 3, 124, 18}));
    c.push_back(control(Ctl::SEARCH, Kind::prompt, {387, 8, 24, 13}, "Search"));
    c.push_back(control(Ctl::LOC_SEARCH, Kind::entry, {409, 5, 69, 13}));
    c.back().tip = k(u"내용을 검색하세요");
    c.push_back(control(Ctl::BACK, Kind::button, {479, 5, 14, 13}, {}, "UNDO.ICO", rt::flag::hidden));
    c.back().tip = k(u"검색결과 초기화");
    c.push_back(control(Ctl::PRINT, Kind::button, {185, 5, 55, 15}, k(u"목록인쇄")));
    c.push_back(control(Ctl::EXCEL, Kind::button, {250, 6, 36, 15}, k(u"엑셀저장"), {}, rt::flag::hidden));
    c.push_back(control(Ctl::LIST2, Kind::list, {126, 27, 368, 303}));
    c.push_back(control(Ctl::GROUP2, Kind::group_box, {3, 343, 240, 32}));
    c.push_back(control(Ctl::SETTING, Kind::button, {10, 352, 40, 16}, "Setting", "setting.ico"));
    c.push_back(control(Ctl::IMAGE3, Kind::image, {140, 347, 90, 27}));
    c.back().picture = "TozmarIE.gif";
    c.push_back(control(Ctl::TOZMAR, Kind::button, {140, 347, 90, 27}, {}, {}, rt::flag::transparent));
    c.push_back(control(Ctl::IMAGE1, Kind::image, {53, 348, 77, 24}));
    c.back().picture = "bn_CAFE.JPG";
    c.push_back(control(Ctl::CAFEIE, Kind::button, {53, 348, 77, 24}, {}, {}, rt::flag::transparent));
    c.push_back(control(Ctl::RTFTEST, Kind::button, {303, 351, 43, 15}, "RTF [^F8]", {}, rt::flag::hidden));
    c.push_back(control(Ctl::GROUP1, Kind::group, {127, 27, 368, 305}));
    c.push_back(control(Ctl::PANEL1, Kind::panel, {127, 27, 367, 304}, {}, {}, 0, Ctl::GROUP1));
    c.push_back(control(Ctl::IMAGE4, Kind::image, {127, 27, 367, 295}, {}, {}, 0, Ctl::GROUP1));
    c.back().picture = "TOZMAR_PR2.jpg";
    c.push_back(control(Ctl::BUTTON18, Kind::button, {146, 168, 83, 123}, {}, {}, rt::flag::transparent, Ctl::GROUP1));
    c.push_back(control(Ctl::BUTTON19, Kind::button, {243, 170, 83, 123}, {}, {}, rt::flag::transparent, Ctl::GROUP1));
    c.push_back(control(Ctl::BUTTON20, Kind::button, {341, 170, 83, 123}, {}, {}, rt::flag::transparent, Ctl::GROUP1));
    c.push_back(control(Ctl::BUTTON21, Kind::button, {139, 49, 341, 36}, {}, {}, rt::flag::transparent, Ctl::GROUP1));
    c.push_back(control(Ctl::BUTTON22, Kind::button, {144, 104, 170, 17}, {}, {}, rt::flag::transparent, Ctl::GROUP1));
    c.push_back(control(Ctl::CHANGE, Kind::button, {359, 352, 45, 14}, "Change", "BRChange.ICO"));
    c.push_back(control(Ctl::DELETE, Kind::button, {405, 352, 40, 14}, "Delete", "BRDELETE.ICO"));
    c.push_back(control(Ctl::CLOSE, Kind::button, {451, 352, 40, 14}, "Close", "BRClose.ico"));
    return w;
}

void BROWSEOFFICE::run() {
    // The colours every tree row keeps.
    TREE.COLORNFG = 0;
    TREE.COLORNBG = 0xFFF4CF;
    TREE.COLORSFG = 0xFFFFFF;
    TREE.COLORSBG = 0xC97726;

    window_ = std::make_unique<rt::Window>(description());
    if (!VERSIONCHECK()) return;
    if (!PREPAREDB()) return;
    window_->open();
    SETUPSCREEN();
    events();
    closing();
}

bool BROWSEOFFICE::PREPAREDB() {
    if (BEGINUNIQUE("Velquin.exe") == 0) {
        // Another copy runs: it keeps the library and the settings file to itself.
        rt::message(k(u"이미 실행중입니다."));
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return false;
    }
    GLO.HOMEPATH = current_folder_short();
    OINI.DB = rt::get_ini("Velquin", "DefaultDB", default_library(GLO.HOMEPATH.view()), SETTINGS_FILE);
    CHECKOPEN(OFFICE, 1);
    GLO.DBPATH = library_root(OINI.DB.view());
    return true;
}

void BROWSEOFFICE::SETUPSCREEN() {
    rt::Window& w = *window_;
    // 1. Settings.
    OINI.FONT = rt::get_ini("Velquin", "Font", k(u"맑은 고딕"), SETTINGS_FILE);
    OINI.FONTSIZE = static_cast<std::uint8_t>(rt::get_ini_number("Velquin", "FontSize", 11, SETTINGS_FILE));
    OINI.DOCID = rt::get_ini("Velquin", "Word ID", "", SETTINGS_FILE);
    OINI.XLSID = rt::get_ini("Velquin", "Excel ID", "", SETTINGS_FILE);
    OINI.PPTID = rt::get_ini("Velquin", "PowerPoint ID", "", SETTINGS_FILE);
    // 2. Missing Office identifiers: told, and the built-in ones used for this run only.
    if (OINI.DOCID.blank() || OINI.XLSID.blank() || OINI.PPTID.blank()) {
        rt::beep();
        rt::message(k(u"[설정]에서 여러분 PC에 설치된 오피스버전에 맞는 OLE를 선택하고 사용하세요. OLE 버전이 틀리면 "
                      u"제대로 작동하지 않습니다."));
        if (OINI.DOCID.blank()) OINI.DOCID = "Word.Document.8";
        if (OINI.XLSID.blank()) OINI.XLSID = "Excel.Sheet.8";
        if (OINI.PPTID.blank()) OINI.PPTID = "PowerPoint.Show.8";
    }
    // 4. Title.
    w.set_title("Velquin - " + OINI.DB.clip());
    // 5. Texts and tips.
    w.set_text(Ctl::SETTING, k(u"설 정"));
    w.set_text(Ctl::SEARCH, k(u"검색:"));
    w.set_text(Ctl::INSERT, k(u"문서추가"));
    w.set_text(Ctl::CHANGE, k(u"수 정"));
    w.set_text(Ctl::DELETE, k(u"삭 제"));
    w.set_text(Ctl::CLOSE, k(u"닫 기"));
    w.set_tip(Ctl::INSERT, k(u"새 문서를 추가합니다. [F2]"));
    w.set_tip(Ctl::OPEN, k(u"DB 파일을 오픈합니다"));
    w.set_tip(Ctl::NEWDB, k(u"새로운 DB를 생성합니다"));
    w.set_tip(Ctl::TREEINSERT, k(u"분류 추가"));
    w.set_tip(Ctl::TREECHANGE, k(u"분류명 수정"));
    w.set_tip(Ctl::TREEDELETE, k(u"분류 삭제"));
    // 6. Resizer: the design size is the smallest; six controls with their own rules.
    namespace rs = rt::resize;
    WINRESIZE.init(w, rs::spread, true, false);
    WINRESIZE.set_strategy(Ctl::TREE, rs::left | rs::top, rs::keep_width | rs::follow_bottom);
    WINRESIZE.set_strategy(Ctl::GROUP2, rs::left | rs::bottom, rs::keep_width | rs::keep_height);
    WINRESIZE.set_strategy(Ctl::GROUP3, rs::right | rs::top, rs::keep_width | rs::keep_height);
    for (Ctl b : {Ctl::BUTTON18, Ctl::BUTTON19, Ctl::BUTTON20, Ctl::BUTTON21, Ctl::BUTTON22})
        WINRESIZE.set_strategy(b, rs::centre_x | rs::centre_y, rs::keep_width | rs::keep_height);
    // 7. Place from the settings file.
    INIRESTOREWINDOW(w, MAIN_SECTION, SETTINGS_FILE);
    WINRESIZE.resize();
    // 8.
    INITWIDTH = w.position(Ctl::LIST2).w;
    // 9, 10. A new library gets a blank placeholder record and the notice document.
    if (OFFICE.records() == 0) {
        OFFICE.clear();
        OFFICE.add();
    }
    if (OFFICE.records() == 1) {
        OFFICE.clear();
        OFC.DATE = rt::today();
        OFC.CDATE = rt::today();
        OFC.TIME = rt::clock();
        OFC.SUBJ = k(u"공지사항");
        OFFICE.set_blob(OFC_RECORD::NOTE, notice_text());
        OFFICE.add();
    }
    // 11. The root row chosen: the banner shows, the list hides.
    TREE.TREENO = -30003;
    w.hide(Ctl::LIST2);
    w.show(Ctl::GROUP1);
}

void BROWSEOFFICE::events() {
    rt::Window& w = *window_;
    w.alert(rt::key::esc);
    w.alert(rt::key::ctrl | rt::key::f8);
    w.alert(Ctl::LIST2, rt::key::mouse_left);
    w.alert(Ctl::LIST2, rt::key::mouse_left2);
    w.alert(Ctl::LIST2, rt::key::mouse_right);
    w.alert(Ctl::TREE, rt::key::mouse_right);
    w.alert(Ctl::LOC_SEARCH, rt::key::enter);

    while (rt::Event e = w.accept()) {
        switch (e.kind) {
        case rt::EventKind::sized:
            WINRESIZE.resize();
            WIDTHDFF = w.position(Ctl::LIST2).w - INITWIDTH;
            break;
        case rt::EventKind::alert_key:
            if (e.key == rt::key::esc) {
                if (rt::message(k(u"프로그램을 종료할까요?"), k(u"확인"), rt::Icon::information, k(u"넵|아니"), 2,
                                rt::Modal::system) == 1) {
                    closing_settings();
                    w.close();
                }
            }
            break;
        case rt::EventKind::close_window:
            // The window still stands here; the next accept() closes it.
            closing_settings();
            break;
        case rt::EventKind::accepted:
            if (e.control == static_cast<int>(Ctl::CLOSE)) w.post(rt::EventKind::close_window);
            break;
        default:
            break;
        }
    }
}

// The library in use is the one opened at the next start; the window's place is kept while it still stands.
void BROWSEOFFICE::closing_settings() {
    rt::put_ini("Velquin", "DefaultDB", OINI.DB.clip(), SETTINGS_FILE);
    INISAVEWINDOW(*window_, MAIN_SECTION, SETTINGS_FILE);
}

void BROWSEOFFICE::closing() {
    GNODE.free();
    TREE.free();
    Q2.free();
    OFFICE.close();
    window_.reset();
}

void _main() {
    LCURRENTFDSETTING = full_window_drag();
    if (LCURRENTFDSETTING == 1) set_full_window_drag(0);
    // A fatal stop ends the process from inside; the desktop gets its setting back there too.
    rt::set_halt_hook([] {
        if (LCURRENTFDSETTING == 1) set_full_window_drag(1);
    });
    BROWSEOFFICE().run();
    rt::set_halt_hook({});
    if (LCURRENTFDSETTING == 1) set_full_window_drag(1);
}

} // namespace velquin

#endif
