// Controls beyond the basic ones: check boxes, option groups with their radios, drop lists and rich text; where a
// button's icon goes; and the background of a sheet's page for the labels on it.
#ifdef _WIN32

#include "runtime/droplist.h"
#include "runtime/gauges.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <commctrl.h>
#include <richedit.h>
#include <vssym32.h>

#include <memory>
#include <vector>

namespace rt {

bool Window::kind_style(const ControlDesc& d, const wchar_t*& cls, DWORD& style, DWORD& ex, bool& with_text) {
    // A check box or radio with an icon and no text is a toggle button showing the icon.
    const DWORD push_like = !d.icon.empty() && d.text.empty() ? BS_PUSHLIKE : 0;
    switch (d.kind) {
    case Kind::check:
        cls = L"BUTTON";
        style |= BS_AUTOCHECKBOX | BS_NOTIFY | WS_TABSTOP | push_like;
        return true;
    case Kind::radio:
        cls = L"BUTTON";
        style |= BS_RADIOBUTTON | BS_NOTIFY | WS_TABSTOP | push_like;
        return true;
    case Kind::option:
        if (d.text.empty()) return false; // no frame: no window of its own
        cls = L"BUTTON";
        style |= BS_GROUPBOX;
        ex = WS_EX_TRANSPARENT;
        return true;
    case Kind::drop_list:
        cls = WC_COMBOBOXEXW;
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        with_text = false;
        return true;
    case Kind::rich_text: {
        static const HMODULE rich = LoadLibraryW(L"msftedit.dll");
        if (!rich) report_failure("LoadLibraryW", "msftedit.dll");
        cls = MSFTEDIT_CLASS;
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL | ES_SAVESEL | WS_VSCROLL | WS_TABSTOP;
        ex = WS_EX_CLIENTEDGE;
        with_text = false;
        return true;
    }
    case Kind::page:
    case Kind::spin:
    case Kind::progress:
        cls = extra_control_class(d.kind, style, ex);
        with_text = d.kind == Kind::spin;
        return true;
    default:
        return false;
    }
}

void Window::kind_created(int index) {
    Control& c = controls_[static_cast<size_t>(index)];
    const ControlDesc& d = c.desc;
    if ((d.kind == Kind::check || d.kind == Kind::radio) && (d.at.w <= 0 || d.at.h <= 0)) {
        // Placed without a size: as wide as its text beside the box, one line high.
        ScreenDC dc;
        Selected sel(dc.get(), font_.get());
        const std::wstring w = wide(d.text);
        SIZE s{};
        GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &s);
        const int width = d.at.w > 0 ? units_.x(d.at.w) : s.cx + GetSystemMetrics(SM_CXMENUCHECK) + units_.x(4);
        const int height = d.at.h > 0 ? units_.y(d.at.h) : units_.y(10);
        SetWindowPos(c.hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (d.kind == Kind::drop_list) {
        // Made as high as it drops down (create_control), the frame is brought back to its closed list's height.
        SetWindowPos(c.hwnd, nullptr, 0, 0, units_.x(d.at.w), units_.y(d.at.h),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        auto list = std::make_unique<DropList>(c.hwnd, units_);
        list->set_entries(DropList::parse(d.text));
        c.handler = std::move(list);
    } else if (d.kind == Kind::rich_text) {
        SendMessageW(c.hwnd, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
    } else if (d.kind == Kind::spin) {
        add_spin_arrows(c.hwnd);
    } else if (d.kind == Kind::group_box && sheet_under(index) >= 0) {
        // Above its sheet and any group boxes laid there before it, below every other control, so that the
        // controls inside its frame lie above it.
        HWND below = controls_[static_cast<size_t>(sheet_under(index))].hwnd;
        for (HWND h = GetWindow(below, GW_HWNDPREV); h && h != c.hwnd; h = GetWindow(h, GW_HWNDPREV)) {
            const int other = control_of(h);
            if (other < 0 || controls_[static_cast<size_t>(other)].desc.kind != Kind::group_box) break;
            below = h;
        }
        const HWND above = GetWindow(below, GW_HWNDPREV);
        SetWindowPos(c.hwnd, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        subclass(c.hwnd, &page_frame_proc, this);
    }
}

bool Window::kind_command(int index, int code) {
    const Control& c = controls_[static_cast<size_t>(index)];
    switch (c.desc.kind) {
    case Kind::check:
        if (code == BN_CLICKED) queue({EventKind::accepted, c.desc.id});
        if (code == BN_SETFOCUS) queue({EventKind::selected, c.desc.id});
        return true;
    case Kind::radio: {
        // A chosen radio gives its option group its value: the group is accepted.
        const int group = index_of(c.desc.parent);
        if (code == BN_CLICKED) {
            if (group >= 0 && controls_[static_cast<size_t>(group)].desc.kind == Kind::option) {
                set_value(c.desc.parent, c.desc.value);
                queue({EventKind::accepted, c.desc.parent});
            } else {
                SendMessageW(c.hwnd, BM_SETCHECK, BST_CHECKED, 0);
                queue({EventKind::accepted, c.desc.id});
            }
        }
        if (code == BN_SETFOCUS) queue({EventKind::selected, c.desc.id});
        return true;
    }
    case Kind::drop_list:
        if (code == CBN_SELCHANGE) queue({EventKind::accepted, c.desc.id});
        if (code == CBN_SETFOCUS) queue({EventKind::selected, c.desc.id});
        return true;
    case Kind::rich_text:
        if (code == EN_SETFOCUS) queue({EventKind::selected, c.desc.id});
        return true;
    default:
        return false;
    }
}

namespace {

// The size of an icon's picture.
SIZE icon_size(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(colour ? colour.get() : mask.get(), sizeof bm, &bm);
    // An icon without colours has its mask twice as high: the AND mask above the XOR mask.
    return {bm.bmWidth, colour ? bm.bmHeight : bm.bmHeight / 2};
}

// A pale grey copy of an icon, for the button's disabled state (its transparency kept).
UniqueIcon greyed(HICON icon, SIZE px) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    if (!colour) return {};
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), px.cx, -px.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> bits(static_cast<size_t>(px.cx) * static_cast<size_t>(px.cy));
    const ScreenDC dc;
    if (GetDIBits(dc.get(), colour.get(), 0, static_cast<UINT>(px.cy), bits.data(), &bi, DIB_RGB_COLORS) != px.cy)
        return {};
    for (DWORD& p : bits) {
        const DWORD lum = (GetRValue(p) * 30 + GetGValue(p) * 59 + GetBValue(p) * 11) / 100;
        const DWORD pale = 128 + lum / 2;
        p = (p & 0xFF000000) | (pale << 16) | (pale << 8) | pale;
    }
    const UniqueBitmap grey(CreateCompatibleBitmap(dc.get(), px.cx, px.cy));
    if (!grey || !SetDIBits(dc.get(), grey.get(), 0, static_cast<UINT>(px.cy), bits.data(), &bi, DIB_RGB_COLORS))
        return {};
    info.hbmColor = grey.get();
    return UniqueIcon(CreateIconIndirect(&info));
}

// The pictures of a button that draws its icon above its text: one for each of its states (normal, hot, pressed,
// disabled, default, stylus hot), all the icon but the disabled one, which is greyed.
ImageList button_images(HICON icon, SIZE px) {
    ImageList list(ImageList_Create(px.cx, px.cy, ILC_COLOR32 | ILC_MASK, 6, 0));
    const UniqueIcon grey = greyed(icon, px);
    for (int state = 1; list.h && state <= 6; ++state)
        if (ImageList_AddIcon(list.h, state == PBS_DISABLED && grey ? grey.get() : icon) < 0) list = ImageList();
    return list;
}

// Whether a button's icon and one-line text fit only one above the other: too wide side by side within the
// button's frame, not too tall stacked.
bool icon_goes_above(HWND button, SIZE icon, const std::wstring& text) {
    RECT client{};
    GetClientRect(button, &client);
    RECT t{};
    {
        const ClientDC dc(button);
        Selected font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
        DrawTextW(dc.get(), text.c_str(), -1, &t, DT_CALCRECT | DT_SINGLELINE);
    }
    // The frame and the space kept inside it, at each side, and a little between picture and text.
    const int frame = 2 * (GetSystemMetrics(SM_CXEDGE) + 1), gap = 2;
    const bool beside = icon.cx + gap + t.right + frame <= client.right;
    const bool above = icon.cy + gap + t.bottom + frame <= client.bottom && t.right + frame <= client.right;
    return !beside && above;
}

} // namespace

// Shows a pressable control's icon: alone on a button without a text, beside the text, or, on a push button too
// narrow for both side by side but tall enough, above the text and centred as on a toolbar.
void Window::lay_icon(Control& c) {
    const std::wstring text = wide(c.desc.text);
    LONG_PTR style = GetWindowLongPtrW(c.hwnd, GWL_STYLE);
    style = text.empty() && c.icon ? (style | BS_ICON) : (style & ~static_cast<LONG_PTR>(BS_ICON));
    SetWindowLongPtrW(c.hwnd, GWL_STYLE, style);
    const ImageList old = std::move(c.icon_above); // let go once the button no longer holds it
    const SIZE px = c.icon ? icon_size(c.icon.get()) : SIZE{0, 0};
    if (c.desc.kind == Kind::button && !text.empty() && px.cx > 0 && icon_goes_above(c.hwnd, px, text))
        c.icon_above = button_images(c.icon.get(), px);
    // The button draws an image list in place of its image while it holds one.
    if (c.icon_above.h || old.h) {
        BUTTON_IMAGELIST list{};
        list.himl = c.icon_above.h;
        list.margin = {0, 2, 0, 0};
        list.uAlign = BUTTON_IMAGELIST_ALIGN_TOP;
        SendMessageW(c.hwnd, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
    }
    const HICON beside = c.icon_above.h ? nullptr : c.icon.get();
    SendMessageW(c.hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(beside));
    InvalidateRect(c.hwnd, nullptr, TRUE);
}

bool Window::checked(Id control) const {
    const HWND h = handle(control);
    return h && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Window::set_checked(Id control, bool on) {
    if (const HWND h = handle(control)) SendMessageW(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string Window::value(Id option) const {
    for (const Control& c : controls_)
        if (c.desc.kind == Kind::radio && c.desc.parent == option.value && c.hwnd &&
            SendMessageW(c.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED)
            return c.desc.value;
    return {};
}

void Window::set_value(Id option, std::string_view value) {
    for (const Control& c : controls_)
        if (c.desc.kind == Kind::radio && c.desc.parent == option.value && c.hwnd)
            SendMessageW(c.hwnd, BM_SETCHECK, c.desc.value == value ? BST_CHECKED : BST_UNCHECKED, 0);
}

// A group box on a sheet's page is not transparent (the sheet would paint over its frame): it fills itself with the
// page, then draws its frame; what it asks the window for under the frame is the page too (WM_ERASEBKGND).
LRESULT CALLBACK Window::page_frame_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return guarded(&page_frame_messages, h, msg, wp, lp);
}

LRESULT CALLBACK Window::page_frame_messages(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    const auto next = reinterpret_cast<WNDPROC>(GetClassLongPtrW(h, GCLP_WNDPROC));
    if (msg != WM_PAINT) return CallWindowProcW(next, h, msg, wp, lp);
    Window* self = subclass_data<Window>(h);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r{};
    GetClientRect(h, &r);
    const HBRUSH page = self->sheet_brush(h, dc);
    FillRect(dc, &r, page ? page : GetSysColorBrush(COLOR_BTNFACE));
    self->frame_painting_ = h;
    CallWindowProcW(next, h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    self->frame_painting_ = nullptr;
    EndPaint(h, &ps);
    return 0;
}

// Labels, group boxes and buttons on a sheet's page take the page's own background (which a themed sheet draws
// unlike the window's): a brush of the page as drawn, aligned with the control.
HBRUSH Window::sheet_brush(HWND control, HDC dc) {
    const int i = control_of(control);
    if (i < 0) return nullptr;
    const Kind kind = controls_[static_cast<size_t>(i)].desc.kind;
    if (kind != Kind::prompt && kind != Kind::group_box && kind != Kind::button) return nullptr;
    const int sheet = sheet_under(i);
    if (sheet < 0) return nullptr;
    HWND sh = controls_[static_cast<size_t>(sheet)].hwnd;
    RECT sr{};
    GetClientRect(sh, &sr);
    if (sr.right <= 0 || sr.bottom <= 0) return nullptr;
    // A control of the page that stands outside the sheet lies on the window's own background.
    RECT on_screen{}, sheet_screen{}, both{};
    GetWindowRect(control, &on_screen);
    GetWindowRect(sh, &sheet_screen);
    if (!IntersectRect(&both, &on_screen, &sheet_screen) || !EqualRect(&both, &on_screen)) return nullptr;
    if (!sheet_brush_ || sheet_brush_of_ != sh || sheet_brush_size_.cx != sr.right ||
        sheet_brush_size_.cy != sr.bottom) {
        const ClientDC sdc(sh);
        const UniqueDC mem(CreateCompatibleDC(sdc.get()));
        const UniqueBitmap bmp(CreateCompatibleBitmap(sdc.get(), sr.right, sr.bottom));
        {
            Selected into(mem.get(), bmp.get());
            FillRect(mem.get(), &sr, GetSysColorBrush(COLOR_BTNFACE));
            SendMessageW(sh, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.get()), PRF_CLIENT | PRF_ERASEBKGND);
        }
        sheet_brush_.reset(CreatePatternBrush(bmp.get()));
        sheet_brush_of_ = sh;
        sheet_brush_size_ = {sr.right, sr.bottom};
    }
    RECT cr{};
    GetWindowRect(control, &cr);
    POINT origin{cr.left, cr.top};
    ScreenToClient(sh, &origin);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
    return sheet_brush_.get();
}

} // namespace rt

#endif
