// The rich-text editor: binding of the toolbar, its functions and the toolbar following the selection.
#ifdef _WIN32

#include "runtime/rtfcontrol.h"

#include "runtime/droplist.h"
#include "runtime/prompt.h"
#include "runtime/text.h"

#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace rt {

namespace {

// The colours of the colour lists, in their order; "Automatic" last.
struct NamedColour {
    const char* name;
    COLORREF colour;
};
constexpr NamedColour colours[] = {
    {"Black", RGB(0, 0, 0)},       {"Maroon", RGB(128, 0, 0)},   {"Green", RGB(0, 128, 0)},
    {"Olive", RGB(128, 128, 0)},   {"Navy", RGB(0, 0, 128)},     {"Purple", RGB(128, 0, 128)},
    {"Teal", RGB(0, 128, 128)},    {"Gray", RGB(128, 128, 128)}, {"Silver", RGB(192, 192, 192)},
    {"Red", RGB(255, 0, 0)},       {"Lime", RGB(0, 255, 0)},     {"Yellow", RGB(255, 255, 0)},
    {"Blue", RGB(0, 0, 255)},      {"Fuchia", RGB(255, 0, 255)}, {"Aqua", RGB(0, 255, 255)},
    {"White", RGB(255, 255, 255)},
};
constexpr int automatic_row = 17;

const char* const default_sizes = "8|9|10|11|12|14|16|18|20|22|24|26|28|36|48|72";

// An image list of 16 x 16 pictures, each drawn by draw(dc, i, rect).
template <class Draw> HIMAGELIST make_images(int count, Draw draw) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24, count, 0);
    ScreenDC screen;
    UniqueDC dc(CreateCompatibleDC(screen.get()));
    UniqueBitmap bmp(CreateCompatibleBitmap(screen.get(), 16 * count, 16));
    {
        Selected drawn_on(dc.get(), bmp.get());
        for (int i = 0; i < count; ++i) {
            RECT r{16 * i, 0, 16 * i + 16, 16};
            FillRect(dc.get(), &r, GetSysColorBrush(COLOR_WINDOW));
            draw(dc.get(), i, r);
        }
    }
    ImageList_Add(list, bmp.get(), nullptr);
    return list;
}

void fill(HDC dc, RECT r, COLORREF c) {
    UniqueBrush b(CreateSolidBrush(c));
    FillRect(dc, &r, b.get());
}

// A colour square with a dark frame; Automatic is a white square crossed by a line.
HIMAGELIST colour_images() {
    return make_images(automatic_row, [](HDC dc, int i, RECT r) {
        InflateRect(&r, -2, -2);
        fill(dc, r, RGB(64, 64, 64));
        InflateRect(&r, -1, -1);
        fill(dc, r, i < automatic_row - 1 ? colours[i].colour : RGB(255, 255, 255));
        if (i == automatic_row - 1) {
            MoveToEx(dc, r.left, r.bottom - 1, nullptr);
            LineTo(dc, r.right, r.top - 1);
        }
    });
}

// A font's picture: a blue "T" for outline fonts, a grey "a" for the others.
HIMAGELIST font_images() {
    return make_images(2, [](HDC dc, int i, RECT r) {
        LOGFONTW lf{};
        lf.lfHeight = -13;
        lf.lfWeight = FW_BOLD;
        lstrcpyW(lf.lfFaceName, L"Times New Roman");
        UniqueFont f(CreateFontIndirectW(&lf));
        Selected in_use(dc, f.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, i == 0 ? RGB(0, 64, 192) : RGB(96, 96, 96));
        DrawTextW(dc, i == 0 ? L"T" : L"a", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    });
}

struct FontFound {
    std::wstring face;
    BYTE charset;
    bool outline;
};

int CALLBACK font_proc(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lp) {
    auto* found = reinterpret_cast<std::vector<FontFound>*>(lp);
    if (lf->lfFaceName[0] == L'@') return 1; // vertical variants
    for (FontFound& f : *found)
        if (f.face == lf->lfFaceName) {
            if (lf->lfCharSet == HANGUL_CHARSET) f.charset = HANGUL_CHARSET;
            return 1;
        }
    found->push_back({lf->lfFaceName, lf->lfCharSet, (type & TRUETYPE_FONTTYPE) != 0});
    return 1;
}

CHARFORMAT2W char_format(HWND edit) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

PARAFORMAT2 para_format(HWND edit) {
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    SendMessageW(edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf;
}

} // namespace

// The editor's hook on its rich-text control: notifications of the control come here first.
class RTFCONTROLCLASS::Hook : public ControlHandler {
public:
    explicit Hook(RTFCONTROLCLASS& ed) : ed_(ed) {}
    bool notify(Window&, int, NMHDR& nm, LRESULT& result) override {
        if (nm.code == EN_SELCHANGE) {
            ed_.UPDATECONTROLS();
            return true;
        }
        if (nm.code == EN_MSGFILTER) {
            const auto& f = reinterpret_cast<const MSGFILTER&>(nm);
            const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
            if (f.msg == WM_KEYDOWN && ((ctrl && f.wParam == 'V') || (shift && f.wParam == VK_INSERT))) {
                ed_.paste(); // the limit applies to a paste from the keyboard too
                result = 1;
                return true;
            }
            if (f.msg == WM_RBUTTONUP) {
                ed_.context_menu();
                result = 1;
                return true;
            }
        }
        return false;
    }
    bool command(Window&, int, int code) override {
        if (code == EN_CHANGE) ed_.CHANGECALLBACK();
        if (code == EN_SETFOCUS) ed_.CHECKPASTEBUTTON();
        return false;
    }

private:
    RTFCONTROLCLASS& ed_;
};

RTFCONTROLCLASS::RTFCONTROLCLASS() = default;

RTFCONTROLCLASS::~RTFCONTROLCLASS() {
    try {
        KILL();
    } catch (...) {
    }
}

long& RTFCONTROLCLASS::field(int kind) noexcept {
    static constexpr long RTFCONTROLCLASS::*fields[rtf_item::count + 1] = {
        &RTFCONTROLCLASS::CTLRTF,
        &RTFCONTROLCLASS::CTLSHOWFILENAME,
        &RTFCONTROLCLASS::CTLSHOWLINENO,
        &RTFCONTROLCLASS::CTLSHOWPOSINLINE,
        &RTFCONTROLCLASS::CTLSHOWDIRTY,
        &RTFCONTROLCLASS::CTLBUTTONNEW,
        &RTFCONTROLCLASS::CTLBUTTONOPEN,
        &RTFCONTROLCLASS::CTLBUTTONSAVE,
        &RTFCONTROLCLASS::CTLBUTTONPRINT,
        &RTFCONTROLCLASS::CTLBUTTONFIND,
        &RTFCONTROLCLASS::CTLBUTTONFINDANDREPLACE,
        &RTFCONTROLCLASS::CTLBUTTONCUT,
        &RTFCONTROLCLASS::CTLBUTTONCOPY,
        &RTFCONTROLCLASS::CTLBUTTONPASTE,
        &RTFCONTROLCLASS::CTLBUTTONUNDO,
        &RTFCONTROLCLASS::CTLBUTTONREDO,
        &RTFCONTROLCLASS::CTLBUTTONTABS,
        &RTFCONTROLCLASS::CTLBUTTONPARA,
        &RTFCONTROLCLASS::CTLALIGNMENT,
        &RTFCONTROLCLASS::CTLALIGNMENTJUST,
        &RTFCONTROLCLASS::CTLBULLETS,
        &RTFCONTROLCLASS::CTLBULLETSTYLE,
        &RTFCONTROLCLASS::CTLFONTNAME,
        &RTFCONTROLCLASS::CTLFONTSIZE,
        &RTFCONTROLCLASS::CTLFONTSCRIPT,
        &RTFCONTROLCLASS::CTLBOLD,
        &RTFCONTROLCLASS::CTLITALIC,
        &RTFCONTROLCLASS::CTLUNDERLINE,
        &RTFCONTROLCLASS::CTLFONTCOLOR,
        &RTFCONTROLCLASS::CTLFONTBKCOLOR,
    };
    return this->*fields[kind >= 0 && kind <= rtf_item::count ? kind : 0];
}

void RTFCONTROLCLASS::ADDITEM(int kind, Id control) {
    if (kind >= 1 && kind <= rtf_item::count) field(kind) = control.value;
}

void RTFCONTROLCLASS::INIT(Window& w, Id control, std::string_view file) {
    KILL();
    window_ = &w;
    CTLRTF = control.value;
    edit_ = w.handle(control);
    if (!edit_) return;
    SendMessageW(edit_, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(rtf_body_limit));
    // Justified paragraphs need the advanced typography.
    SendMessageW(edit_, EM_SETTYPOGRAPHYOPTIONS, TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY);
    SendMessageW(edit_, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_KEYEVENTS | ENM_MOUSEEVENTS);
    w.attach(control, std::make_unique<Hook>(*this));
    if (!file.empty()) open_file(std::string(file));
    BINDCONTROLS();
}

void RTFCONTROLCLASS::KILL() {
    close_dialog();
    // A window already destroyed took its controls and handlers with it.
    if (window_ && edit_ && IsWindow(edit_) && !window_->closed() && dynamic_cast<Hook*>(window_->handler(CTLRTF)))
        window_->attach(CTLRTF, nullptr);
    window_ = nullptr;
    edit_ = nullptr;
}

void RTFCONTROLCLASS::CHANGECALLBACK() {
    CHECKUNDOREDO();
    if (CTLSHOWDIRTY && window_) window_->set_text(CTLSHOWDIRTY, CHANGED() ? "*" : "");
}

void RTFCONTROLCLASS::EVENTCALLBACK(const Event&) {}

bool RTFCONTROLCLASS::TAKEEVENT(const Event& e) {
    EVENTCALLBACK(e);
    if (!edit_ || e.kind != EventKind::accepted || e.control == 0) return false;
    return TAKEACCEPTED(e.control);
}

bool RTFCONTROLCLASS::TAKEACCEPTED(int control) {
    for (int kind = rtf_item::button_new; kind <= rtf_item::count; ++kind)
        if (field(kind) == control) return TAKEACTION(kind);
    return false;
}

bool RTFCONTROLCLASS::TAKEACTION(int kind) {
    if (!edit_ || !window_) return false;
    using namespace rtf_item;
    switch (kind) {
    case button_new:
        set_rtf({});
        file_name_.clear();
        REFRESHFILENAME();
        break;
    case button_open: {
        std::string path = "*.rtf";
        if (file_open(to_cp949(u"불러오기"), path,
                      to_cp949(u"RTF 문서 (*.rtf)|*.rtf|텍스트 문서 (*.txt)|*.txt|모든 파일 (*.*)|*.*")))
            open_file(path);
        break;
    }
    case button_save: {
        std::string path = file_name_.empty() ? std::string("*.rtf") : file_name_;
        if (file_save(to_cp949(u"다른이름으로 저장"), path, to_cp949(u"RTF 문서 (*.rtf)|*.rtf"))) save_file(path);
        break;
    }
    case button_print:
        PRINTDOCUMENT();
        break;
    case button_find:
        FINDDLG();
        break;
    case button_find_and_replace:
        FINDANDREPLACEDLG();
        break;
    case button_cut:
        SendMessageW(edit_, WM_CUT, 0, 0);
        break;
    case button_copy:
        SendMessageW(edit_, WM_COPY, 0, 0);
        break;
    case button_paste:
        paste();
        break;
    case button_undo:
        SendMessageW(edit_, EM_UNDO, 0, 0);
        break;
    case button_redo:
        SendMessageW(edit_, EM_REDO, 0, 0);
        break;
    case button_tabs:
        TABDLG();
        break;
    case button_para:
        INDENTDLG();
        break;
    case alignment:
    case alignment_just:
    case bullets:
    case bullet_style:
        apply_para(kind);
        break;
    case font_name:
        apply_char(CFM_FACE | CFM_CHARSET, 0, kind);
        break;
    case font_size:
        apply_char(CFM_SIZE, 0, kind);
        break;
    case bold:
        apply_char(CFM_BOLD, window_->checked(CTLBOLD) ? CFE_BOLD : 0, kind);
        break;
    case italic:
        apply_char(CFM_ITALIC, window_->checked(CTLITALIC) ? CFE_ITALIC : 0, kind);
        break;
    case underline:
        apply_char(CFM_UNDERLINE, window_->checked(CTLUNDERLINE) ? CFE_UNDERLINE : 0, kind);
        break;
    case font_color:
    case font_bkcolor:
        apply_char(kind == font_color ? CFM_COLOR : CFM_BACKCOLOR, 0, kind);
        break;
    default:
        return false;
    }
    CHECKUNDOREDO();
    CHECKPASTEBUTTON();
    if (kind >= alignment) SETFOCUS(); // back to typing in the format just chosen
    return true;
}

void RTFCONTROLCLASS::apply_char(DWORD mask, DWORD effects, int kind) {
    if (!ALLOWFORMATCHANGE()) return;
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = mask;
    cf.dwEffects = effects;
    DropList* list = DropList::of(*window_, field(kind));
    const int row = list ? list->chosen() : 0;
    if (kind == rtf_item::font_name) {
        if (!row) return;
        const DropEntry& e = list->entries()[static_cast<size_t>(row - 1)];
        lstrcpynW(cf.szFaceName, wide(e.text).c_str(), LF_FACESIZE);
        cf.bCharSet = static_cast<BYTE>(std::atoi(e.value.c_str()));
    } else if (kind == rtf_item::font_size) {
        const int points = row ? std::atoi(list->entries()[static_cast<size_t>(row - 1)].text.c_str()) : 0;
        if (points <= 0) return;
        cf.yHeight = points * 20;
    } else if (kind == rtf_item::font_color || kind == rtf_item::font_bkcolor) {
        if (!row) return;
        const bool text = kind == rtf_item::font_color;
        if (row >= automatic_row) {
            cf.dwEffects = text ? CFE_AUTOCOLOR : CFE_AUTOBACKCOLOR;
        } else if (text) {
            cf.crTextColor = colours[row - 1].colour;
        } else {
            cf.crBackColor = colours[row - 1].colour;
        }
    }
    SendMessageW(edit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

void RTFCONTROLCLASS::apply_para(int kind) {
    if (!ALLOWFORMATCHANGE()) return;
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    using namespace rtf_item;
    if (kind == alignment || kind == alignment_just) {
        pf.dwMask = PFM_ALIGNMENT;
        const int value = kind == alignment_just ? PFA_JUSTIFY : std::atoi(window_->value(CTLALIGNMENT).c_str());
        if (value < PFA_LEFT || value > PFA_JUSTIFY) return;
        pf.wAlignment = static_cast<WORD>(value);
    } else {
        // Bullets on take the style chosen in the style list (a plain bullet when none is); a style chosen turns
        // them on.
        DropList* styles = DropList::of(*window_, CTLBULLETSTYLE);
        int style = styles ? styles->chosen() : 0;
        if (style < 1 || style > 6) style = PFN_BULLET;
        const bool on = kind == bullet_style || !CTLBULLETS || window_->checked(CTLBULLETS);
        if (kind == bullet_style && CTLBULLETS) window_->set_checked(CTLBULLETS, true);
        pf.dwMask = PFM_NUMBERING | PFM_NUMBERINGSTYLE | PFM_NUMBERINGSTART | PFM_NUMBERINGTAB;
        pf.wNumbering = on ? static_cast<WORD>(style) : 0;
        pf.wNumberingStyle = style == PFN_BULLET ? PFNS_PAREN : PFNS_PERIOD;
        pf.wNumberingStart = 1;
        pf.wNumberingTab = on ? 360 : 0;
    }
    SendMessageW(edit_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

void RTFCONTROLCLASS::CHECKUNDOREDO() {
    if (!edit_ || !window_) return;
    const bool undo = SendMessageW(edit_, EM_CANUNDO, 0, 0) != 0, redo = SendMessageW(edit_, EM_CANREDO, 0, 0) != 0;
    if (CTLBUTTONUNDO) undo ? window_->enable(CTLBUTTONUNDO) : window_->disable(CTLBUTTONUNDO);
    if (CTLBUTTONREDO) redo ? window_->enable(CTLBUTTONREDO) : window_->disable(CTLBUTTONREDO);
}

void RTFCONTROLCLASS::CHECKPASTEBUTTON() {
    if (!edit_ || !window_ || !CTLBUTTONPASTE) return;
    if (SendMessageW(edit_, EM_CANPASTE, 0, 0))
        window_->enable(CTLBUTTONPASTE);
    else
        window_->disable(CTLBUTTONPASTE);
}

void RTFCONTROLCLASS::LOADFONTS() {
    DropList* list = window_ ? DropList::of(*window_, CTLFONTNAME) : nullptr;
    if (!list) return;
    std::vector<FontFound> found;
    ScreenDC dc;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc.get(), &lf, font_proc, reinterpret_cast<LPARAM>(&found), 0);
    std::sort(found.begin(), found.end(), [](const FontFound& a, const FontFound& b) { return a.face < b.face; });
    std::vector<DropEntry> entries;
    for (const FontFound& f : found)
        entries.push_back({narrow(f.face), std::to_string(f.charset), f.outline ? 0 : 1});
    list->set_images(font_images());
    list->set_entries(std::move(entries));
}

void RTFCONTROLCLASS::fill_lists() {
    LOADFONTS();
    for (long control : {CTLFONTCOLOR, CTLFONTBKCOLOR})
        if (DropList* list = DropList::of(*window_, control)) {
            std::vector<DropEntry> entries;
            for (int i = 0; i < automatic_row - 1; ++i)
                entries.push_back({colours[i].name, std::to_string(i + 1), i});
            entries.push_back({"Automatic", "0", automatic_row - 1});
            list->set_images(colour_images());
            list->set_entries(std::move(entries));
        }
    if (DropList* list = DropList::of(*window_, CTLFONTSIZE); list && list->entries().empty())
        list->set_entries(DropList::parse(default_sizes));
}

void RTFCONTROLCLASS::BINDCONTROLS() {
    if (!window_) return;
    fill_lists();
    REFRESHFILENAME();
    UPDATECONTROLS();
    CHECKUNDOREDO();
    CHECKPASTEBUTTON();
}

void RTFCONTROLCLASS::UPDATECONTROLS() {
    if (!edit_ || !window_) return;
    const CHARFORMAT2W cf = char_format(edit_);
    auto show_check = [&](long control, DWORD mask, DWORD effect) {
        if (control) window_->set_checked(control, (cf.dwMask & mask) && (cf.dwEffects & effect));
    };
    show_check(CTLBOLD, CFM_BOLD, CFE_BOLD);
    show_check(CTLITALIC, CFM_ITALIC, CFE_ITALIC);
    show_check(CTLUNDERLINE, CFM_UNDERLINE, CFE_UNDERLINE);
    if (DropList* list = DropList::of(*window_, CTLFONTNAME))
        list->choose(cf.dwMask & CFM_FACE ? list->find(narrow(cf.szFaceName)) : 0);
    if (DropList* list = DropList::of(*window_, CTLFONTSIZE))
        list->choose(cf.dwMask & CFM_SIZE ? list->find(std::to_string((cf.yHeight + 10) / 20)) : 0);
    auto show_colour = [&](long control, DWORD mask, DWORD automatic, COLORREF c) {
        DropList* list = DropList::of(*window_, control);
        if (!list) return;
        int row = 0;
        if (cf.dwMask & mask) {
            if (cf.dwEffects & automatic) row = automatic_row;
            for (int i = 0; !row && i < automatic_row - 1; ++i)
                if (colours[i].colour == c) row = i + 1;
        }
        list->choose(row);
    };
    show_colour(CTLFONTCOLOR, CFM_COLOR, CFE_AUTOCOLOR, cf.crTextColor);
    show_colour(CTLFONTBKCOLOR, CFM_BACKCOLOR, CFE_AUTOBACKCOLOR, cf.crBackColor);

    const PARAFORMAT2 pf = para_format(edit_);
    if (CTLALIGNMENT)
        window_->set_value(CTLALIGNMENT, pf.dwMask & PFM_ALIGNMENT ? std::to_string(pf.wAlignment) : std::string());
    const bool numbered = (pf.dwMask & PFM_NUMBERING) && pf.wNumbering != 0;
    if (CTLBULLETS) window_->set_checked(CTLBULLETS, numbered);
    if (DropList* list = DropList::of(*window_, CTLBULLETSTYLE))
        list->choose(numbered && pf.wNumbering <= 6 ? pf.wNumbering : 0);
    REFRESHLINEPOS();
    CHECKUNDOREDO();
    CHECKPASTEBUTTON();
}

void RTFCONTROLCLASS::REFRESHFILENAME() {
    if (window_ && CTLSHOWFILENAME) window_->set_text(CTLSHOWFILENAME, file_name_);
}

void RTFCONTROLCLASS::REFRESHLINEPOS() {
    if (!window_ || !edit_ || (!CTLSHOWLINENO && !CTLSHOWPOSINLINE)) return;
    CHARRANGE sel{};
    SendMessageW(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const LRESULT line = SendMessageW(edit_, EM_EXLINEFROMCHAR, 0, sel.cpMax);
    const LRESULT start = SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    if (CTLSHOWLINENO) window_->set_text(CTLSHOWLINENO, std::to_string(line + 1));
    if (CTLSHOWPOSINLINE) window_->set_text(CTLSHOWPOSINLINE, std::to_string(sel.cpMax - start + 1));
}

void RTFCONTROLCLASS::SHOWCTLGROUP(bool show) {
    if (!window_) return;
    for (int kind = rtf_item::button_new; kind <= rtf_item::count; ++kind)
        if (field(kind)) show ? window_->show(field(kind)) : window_->hide(field(kind));
}

void RTFCONTROLCLASS::SHOWINFOGROUP(bool show) {
    if (!window_) return;
    for (int kind = rtf_item::show_file_name; kind <= rtf_item::show_dirty; ++kind)
        if (field(kind)) show ? window_->show(field(kind)) : window_->hide(field(kind));
}

std::string RTFCONTROLCLASS::SELECTEDTEXT() {
    if (!edit_) return {};
    CHARRANGE sel{};
    SendMessageW(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    if (sel.cpMax <= sel.cpMin) return {};
    std::wstring w(static_cast<size_t>(sel.cpMax - sel.cpMin) + 1, L'\0');
    const LRESULT n = SendMessageW(edit_, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(w.data()));
    w.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return narrow(w);
}

void RTFCONTROLCLASS::SETFOCUS() {
    if (edit_) SetFocus(edit_);
}

bool RTFCONTROLCLASS::CHANGED() {
    return edit_ && SendMessageW(edit_, EM_GETMODIFY, 0, 0) != 0;
}

void RTFCONTROLCLASS::TOUCH() {
    if (edit_) SendMessageW(edit_, EM_SETMODIFY, TRUE, 0);
    CHANGECALLBACK();
}

HWND RTFCONTROLCLASS::window() const noexcept {
    return edit_ ? GetAncestor(edit_, GA_ROOT) : nullptr;
}

} // namespace rt

#endif
