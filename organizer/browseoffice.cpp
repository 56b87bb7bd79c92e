#ifdef _WIN32

#include "organizer/browseoffice.h"

#include "organizer/doclist.h"
#include "organizer/listprint.h"
#include "organizer/newdb.h"
#include "organizer/office.h"
#include "organizer/rtftest.h"
#include "organizer/setting.h"
#include "organizer/standard.h"
#include "organizer/startup.h"
#include "organizer/texts.h"
#include "organizer/updateclass.h"
#include "organizer/updateoffice.h"
#include "organizer/versioncheck.h"
#include "runtime/clock.h"
#include "runtime/files.h"
#include "runtime/ini.h"
#include "runtime/launch.h"
#include "runtime/listbox.h"
#include "runtime/prompt.h"
#include "runtime/text.h"
#include "runtime/treebox.h"

#include <string>

namespace velquin {

namespace {

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

// The pages of the web buttons.
constexpr const char* HELP_PAGE = "http://cafe.velquin.example/board/help";
constexpr const char* COMMUNITY_PAGE = "http://cafe.velquin.example/";
constexpr const char* HOME_PAGE = "http://www.velquin.example/";
constexpr const char* PROGRAM_PAGE = "http://software.portal.example/software/summary?softwareId=";
constexpr const char* SEARCH_PAGE = "http://search.portal.example/search?where=nexearch&sm=top_hty&fbm=0&ie=utf8"
                                    "&query=";
constexpr const char* PRODUCT_NAME = "Velquin";

// UTF-8 bytes of a text with every byte but the unreserved ones written as %XX.
std::string percent_encoded(std::string_view utf8) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

MainProcedures& main_procedures() {
    static MainProcedures procedures = [] {
        MainProcedures p;
        p.UPDATEOFFICE = [] { UPDATEOFFICE().run(); };
        p.LISTPRINT = LISTPRINT;
        p.UPDATECLASS = UPDATECLASS;
        p.NEWDB = NEWDB;
        p.SETTING = SETTING;
        p.RTF_TEST = RTF_TEST;
        return p;
    }();
    return procedures;
}

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
    c.back().picture = "HomeIE.gif";
    c.push_back(control(Ctl::HOMEPAGE, Kind::button, {140, 347, 90, 27}, {}, {}, rt::flag::transparent));
    c.push_back(control(Ctl::IMAGE1, Kind::image, {53, 348, 77, 24}));
    c.back().picture = "bn_CAFE.JPG";
    c.push_back(control(Ctl::CAFEIE, Kind::button, {53, 348, 77, 24}, {}, {}, rt::flag::transparent));
    c.push_back(control(Ctl::RTFTEST, Kind::button, {303, 351, 43, 15}, "RTF [^F8]", {}, rt::flag::hidden));
    c.push_back(control(Ctl::GROUP1, Kind::group, {127, 27, 368, 305}));
    c.push_back(control(Ctl::PANEL1, Kind::panel, {127, 27, 367, 304}, {}, {}, 0, Ctl::GROUP1));
    c.push_back(control(Ctl::IMAGE4, Kind::image, {127, 27, 367, 295}, {}, {}, 0, Ctl::GROUP1));
    c.back().picture = "BANNER_PR2.jpg";
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
    list_ = &rt::ListBox::attach(*window_, Ctl::LIST2, rt::rows_of(Q2, Q2TYPE_FIELDS, std::size(Q2TYPE_FIELDS)));
    tree_ =
        &rt::TreeBox::attach(*window_, Ctl::TREE, rt::rows_of(TREE, TREE_FIELDS, std::size(TREE_FIELDS)), TREE_FORMAT);
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
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        return false;
    }
    GLO.HOMEPATH = current_folder_short();
    // A library that cannot be reached would stop every start: the default library opens instead, and the user
    // may open the other one again once it is back.
    const std::string stored = rt::get_ini("Velquin", "DefaultDB", "", SETTINGS_FILE);
    const StartLibrary start = start_library(stored, GLO.HOMEPATH.view(), OINI.DB.size(), rt::folder_exists);
    switch (start.why) {
    case StartLibrary::Why::none:
        break;
    case StartLibrary::Why::too_long:
        rt::message(k(u"설정의 DB 파일 경로가 100바이트보다 길어 열 수 없습니다: ") + rt::clip(stored) +
                    k(u"|기본 DB ") + start.path + k(u" 로 시작합니다."));
        break;
    case StartLibrary::Why::folder_missing:
        rt::message(k(u"DB 파일의 폴더를 찾을 수 없습니다: ") + rt::clip(stored) + k(u"|기본 DB ") + start.path +
                    k(u" 로 시작합니다. 폴더가 다시 생기면 DB 파일 열기로 열 수 있습니다."));
        break;
    }
    // The start folder itself so deep that not even the default library's path fits: any name opened would be
    // another file.
    if (start.path.size() > OINI.DB.size())
        rt::halt(k(u"시작 폴더의 경로가 너무 깁니다. 경로가 짧은 폴더에서 프로그램을 시작하세요: ") + start.path);
    OINI.DB = start.path;
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
    // 3. The list's rows and the icons of the document types.
    list_->set_line_height(14);
    list_->set_icons({"~Word16.ico", "~Excel16.ico", "~Ppt16.ico"});
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
    // The banner's picture stays under its click areas, so that each still lies on what it opens.
    WINRESIZE.set_strategy(Ctl::IMAGE4, rs::centre_x | rs::centre_y, rs::keep_width | rs::keep_height);
    // 7. Place from the settings file.
    INIRESTOREWINDOW(w, MAIN_SECTION, SETTINGS_FILE);
    WINRESIZE.resize();
    // 8.
    // The list's width at the design size, which the column layouts are made for: at any other size the title
    // column takes the difference. (Measured after a maximized start, it would make every later size narrower
    // than the layouts, and the title column's width negative.)
    const rt::Rect design = w.description().controls[static_cast<std::size_t>(w.index_of(Ctl::LIST2))].at;
    INITWIDTH = w.units().du_x(w.units().x(design.w));
    // 9, 10. A new library gets a blank placeholder record and the notice document.
    if (OFFICE.records() == 0) {
        OFFICE.clear();
        if (!OFFICE.add()) rt::stop(rt::error_text());
    }
    if (OFFICE.records() == 1) {
        OFFICE.clear();
        OFC.DATE = rt::today();
        OFC.CDATE = rt::today();
        OFC.TIME = rt::clock();
        OFC.SUBJ = k(u"공지사항");
        OFFICE.set_blob(OFC_RECORD::NOTE, notice_text());
        if (!OFFICE.add()) rt::stop(rt::error_text());
    }
    // 11. The tree, its root row chosen: the banner shows, the list hides.
    SET_TREE();
    select_tree_row(1);
    TREE.TREENO = ROOT_ROW;
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
            on_sized();
            break;
        case rt::EventKind::drop:
            if (e.control == static_cast<int>(Ctl::LIST2)) column_swap();
            break;
        case rt::EventKind::selected:
            // Focusing the search entry blanks the text; the list stays as it is.
            if (e.control == static_cast<int>(Ctl::LOC_SEARCH)) {
                LOC.SEARCH.clear();
                w.set_text(Ctl::LOC_SEARCH, "");
            }
            break;
        case rt::EventKind::alert_key:
            on_alert(e);
            break;
        case rt::EventKind::close_window:
            // The window still stands here; the next accept() closes it.
            closing_settings();
            break;
        case rt::EventKind::accepted:
            on_accepted(e.control);
            break;
        default:
            break;
        }
    }
}

void BROWSEOFFICE::on_sized() {
    rt::Window& w = *window_;
    WINRESIZE.resize();
    WIDTHDFF = w.position(Ctl::LIST2).w - INITWIDTH;
    // The view's own layout again: sort marks and swapped columns go, the rows keep their order.
    FORMATLIST();
}

void BROWSEOFFICE::on_alert(const rt::Event& e) {
    rt::Window& w = *window_;
    if (e.key == rt::key::esc) {
        if (rt::message(k(u"프로그램을 종료할까요?"), k(u"확인"), rt::Icon::information, k(u"넵|아니"), 2,
                        rt::Modal::system) == 1) {
            closing_settings();
            w.close();
        }
        return;
    }
    if (e.key == (rt::key::ctrl | rt::key::f8)) {
        w.post(rt::EventKind::accepted, Ctl::RTFTEST);
        return;
    }
    const auto on = [&](Ctl c, rt::KeyCode key) { return e.control == static_cast<int>(c) && e.key == key; };
    if (on(Ctl::LIST2, rt::key::mouse_left2)) {
        w.post(rt::EventKind::accepted, Ctl::CHANGE);
    } else if (on(Ctl::LIST2, rt::key::mouse_right)) {
        if (TREE.TSORT >= TRASH) {
            switch (rt::popup(k(u"문서 복원|문서 삭제"))) {
            case 1:
                RESTORE_RECORD();
                break;
            case 2:
                w.post(rt::EventKind::accepted, Ctl::DELETE);
                break;
            default:
                break;
            }
        } else {
            const int item = rt::popup(k(u"문서 추가|문서 수정|문서 삭제"));
            if (item >= 1 && item <= 3)
                w.post(rt::EventKind::accepted, item == 1 ? Ctl::INSERT : item == 2 ? Ctl::CHANGE : Ctl::DELETE);
        }
    } else if (on(Ctl::TREE, rt::key::mouse_right)) {
        TREEUPDATE();
    } else if (on(Ctl::LIST2, rt::key::mouse_left) && list_->press_on_header()) {
        header_sort();
    } else if (on(Ctl::LOC_SEARCH, rt::key::enter)) {
        w.post(rt::EventKind::accepted, Ctl::LOC_SEARCH);
    }
}

void BROWSEOFFICE::on_accepted(int control) {
    rt::Window& w = *window_;
    MainProcedures& p = main_procedures();
    switch (static_cast<Ctl>(control)) {
    case Ctl::TREE:
        TREE_ACCEPTED();
        break;
    case Ctl::LOC_SEARCH:
        LOC.SEARCH = w.text(Ctl::LOC_SEARCH);
        FILLQUE2();
        if (!LOC.SEARCH.blank()) w.show(Ctl::BACK);
        break;
    case Ctl::BACK:
        LOC.SEARCH.clear();
        w.set_text(Ctl::LOC_SEARCH, "");
        FILLQUE2();
        w.hide(Ctl::BACK);
        break;
    case Ctl::INSERT:
        INSERT_ACCEPTED();
        break;
    case Ctl::CHANGE:
        CHANGE_ACCEPTED();
        break;
    case Ctl::DELETE:
        DELETE_ACCEPTED();
        break;
    case Ctl::RTFTEST:
        RTFTEST_ACCEPTED();
        break;
    case Ctl::OPEN:
        OPEN_ACCEPTED();
        break;
    case Ctl::NEWDB:
        NEWDB_ACCEPTED();
        break;
    case Ctl::TREEINSERT:
        TREEINSERT_ACCEPTED();
        break;
    case Ctl::TREECHANGE:
        TREECHANGE_ACCEPTED();
        break;
    case Ctl::TREEDELETE:
        TRASH_CATEGORY();
        break;
    case Ctl::SETTING:
        if (p.SETTING) p.SETTING();
        break;
    case Ctl::PRINT:
    case Ctl::EXCEL: {
        auto& procedure = static_cast<Ctl>(control) == Ctl::PRINT ? p.LISTPRINT : p.LISTEXCEL;
        if (!procedure) break;
        MAKE_FQ();
        procedure(TREE.NODENAME.clip(), FQ, Q2);
        break;
    }
    case Ctl::CLOSE:
        w.post(rt::EventKind::close_window);
        break;
    case Ctl::HELP:
    case Ctl::CAFEIE:
    case Ctl::HOMEPAGE:
    case Ctl::BUTTON18:
    case Ctl::BUTTON19:
    case Ctl::BUTTON20:
    case Ctl::BUTTON21:
    case Ctl::BUTTON22:
        open_page(control);
        break;
    default:
        break;
    }
}

void BROWSEOFFICE::TREE_ACCEPTED() {
    rt::Window& w = *window_;
    // The entry shows the cleared search text at once; nothing else on the window needs drawing again.
    LOC.SEARCH.clear();
    w.set_text(Ctl::LOC_SEARCH, "");
    w.hide(Ctl::BACK);
    if (tree_->selection(w, static_cast<int>(Ctl::TREE)) == 1) {
        w.hide(Ctl::LIST2);
        w.show(Ctl::GROUP1);
        return;
    }
    w.hide(Ctl::GROUP1);
    w.show(Ctl::LIST2);
    get_tree_selection();
    FORMATLIST();
    FILLQUE2();
}

void BROWSEOFFICE::INSERT_ACCEPTED() {
    MainProcedures& p = main_procedures();
    if (!p.UPDATEOFFICE) return;
    ACTION = 1;
    FIND_GNODE();
    p.UPDATEOFFICE();
    if (ACTION != 0) return;
    ASSIGNTOQUE();
    // The one row goes to its place in the shown list, whatever category the form gave the document.
    if (TREE.TREENO == DATE_VIEW || TREE.TREENO >= 1) {
        add_row_by_date();
    } else if (TREE.TREENO == INDEX_VIEW && !OFC.INDEX.blank()) {
        Q2.add(rt::order(rt::asc(&Q2TYPE::INDEX), rt::desc(&Q2TYPE::DATE)));
        list_->refresh();
        select_list_row(Q2.pointer());
    } else {
        select_tree_row(2);
        window_->post(rt::EventKind::accepted, Ctl::TREE);
    }
}

void BROWSEOFFICE::CHANGE_ACCEPTED() {
    MainProcedures& p = main_procedures();
    if (!p.UPDATEOFFICE || !has_selected_row()) return;
    ACTION = 2;
    FIND_GNODE();
    if (!GETRECORD()) return;
    p.UPDATEOFFICE();
    if (ACTION != 0) return;
    ASSIGNTOQUE();
    if (TREE.TREENO == DATE_VIEW) {
        // The changed document moves to the top, where its new edit date puts it.
        Q2.del();
        add_row_by_date();
    } else {
        window_->post(rt::EventKind::accepted, Ctl::TREE);
    }
}

void BROWSEOFFICE::DELETE_ACCEPTED() {
    MainProcedures& p = main_procedures();
    if (!p.UPDATEOFFICE || !has_selected_row()) return;
    ACTION = 3;
    if (!GETRECORD()) return;
    p.UPDATEOFFICE();
    if (ACTION != 0) return;
    remove_list_row();
}

void BROWSEOFFICE::RTFTEST_ACCEPTED() {
    MainProcedures& p = main_procedures();
    if (!p.RTF_TEST) return;
    ACTION = 2;
    const int row = list_->selection(*window_, static_cast<int>(Ctl::LIST2));
    if (row <= 0) {
        rt::message(k(u" 상단의 리스트를 먼저 선택하세요 "));
        return;
    }
    if (!GETRECORD()) return;
    p.RTF_TEST();
    if (ACTION != 0) return;
    ASSIGNTOQUE();
    Q2.put();
    list_->refresh();
    select_list_row(static_cast<std::size_t>(row));
}

void BROWSEOFFICE::OPEN_ACCEPTED() {
    SELECTDB = GLO.HOMEPATH.clip() + "\\*.VL1";
    std::string chosen = SELECTDB.clip();
    if (rt::file_open("File Open", chosen, k(u"벨퀸 파일|.*.VL1"))) {
        if (chosen.size() > OINI.DB.size()) {
            // OINI:DB would cut the path, and the library opened or created would be another file.
            rt::message(k(u"파일 경로가 너무 깁니다. 경로가 100바이트 이하인 파일을 선택하세요."));
        } else {
            SELECTDB = chosen;
            OINI.DB = SELECTDB;
            open_library();
        }
    }
    SetCurrentDirectoryW(rt::wide(GLO.HOMEPATH.clip()).c_str());
}

void BROWSEOFFICE::NEWDB_ACCEPTED() {
    MainProcedures& p = main_procedures();
    if (!p.NEWDB) return;
    ACTION = 1;
    p.NEWDB();
    if (ACTION == 0) {
        OINI.DB = GLO.DBPATH.clip() + ".VL1";
        open_library();
    }
    ACTION = 0;
}

void BROWSEOFFICE::open_library() {
    // The rows are the old library's: their positions would name other records in the new one.
    Q2.free();
    list_->refresh();
    OFFICE.close();
    window_->set_title("Velquin - " + OINI.DB.clip());
    CHECKOPEN(OFFICE, 1);
    GLO.DBPATH = library_root(OINI.DB.view());
    SETUPSCREEN();
}

void BROWSEOFFICE::TREEINSERT_ACCEPTED() {
    MainProcedures& p = main_procedures();
    if (!p.UPDATECLASS) return;
    ACTION = 1;
    get_tree_selection();
    GND.NODE = TREE.TREENO;
    GNODE.get_by(&GNODE_ROW::NODE);
    // A fixed row, the trash or a category in it: a new category is never placed in the trash.
    if (rt::error_code() != 0 || GND.SORT >= TRASH) GND.SORT = 1;
    p.UPDATECLASS(GND.SORT);
    if (ACTION != 0) return;
    const std::int32_t pos = OFFICE.position(); // the new category
    SET_TREE();
    select_tree_pointer(pos);
}

void BROWSEOFFICE::TREECHANGE_ACCEPTED() {
    MainProcedures& p = main_procedures();
    if (!p.UPDATECLASS) return;
    ACTION = 2;
    // The form saves the record in the buffer: without the category's own record it must not run.
    if (!get_changeable_category()) return;
    p.UPDATECLASS(0);
    if (ACTION == 0) SET_TREE();
}

void BROWSEOFFICE::open_page(int control) {
    std::string page;
    switch (static_cast<Ctl>(control)) {
    case Ctl::HELP:
        page = HELP_PAGE;
        break;
    case Ctl::CAFEIE:
        page = COMMUNITY_PAGE;
        break;
    case Ctl::HOMEPAGE:
    case Ctl::BUTTON22:
        page = HOME_PAGE;
        break;
    case Ctl::BUTTON18:
        page = std::string(PROGRAM_PAGE) + "100014";
        break;
    case Ctl::BUTTON19:
        page = std::string(PROGRAM_PAGE) + "100015";
        break;
    case Ctl::BUTTON20:
        page = std::string(PROGRAM_PAGE) + "100016";
        break;
    case Ctl::BUTTON21:
        page = std::string(SEARCH_PAGE) + percent_encoded(PRODUCT_NAME);
        break;
    default:
        return;
    }
    rt::start_program(WEB_BROWSER, page);
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
