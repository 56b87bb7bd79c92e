// Windows from descriptions and their controls. The event loop is in window_loop.cpp.
#ifdef _WIN32

#include "runtime/window.h"

#include "runtime/driver.h"
#include "runtime/image.h"
#include "runtime/perthread.h"
#include "runtime/text.h"
#include "runtime/window_detail.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace rt {

using window_detail::first_control_id;
using window_detail::timer_id;

namespace {

const wchar_t window_class[] = L"VelquinWindow";
const wchar_t image_class[] = L"VelquinImage";
const wchar_t click_class[] = L"VelquinClickArea";

// An image control: its picture (GWLP_USERDATA) scaled to the client area.
LRESULT CALLBACK image_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        const auto* pic = reinterpret_cast<const Picture*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        if (pic) pic->draw(dc, r);
        EndPaint(h, &ps);
        return 0;
    }
    }
    return DefWindowProcW(h, msg, wp, lp);
}

// A transparent button: draws nothing, so the picture under it shows; a click inside it presses it.
LRESULT CALLBACK click_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetCapture(h);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == h) {
            ReleaseCapture();
            RECT r;
            GetClientRect(h, &r);
            const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (PtInRect(&r, pt))
                SendMessageW(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED),
                             reinterpret_cast<LPARAM>(h));
        }
        return 0;
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void register_classes(WNDPROC window_proc) {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                             ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE self = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = self;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = window_class;
    if (!RegisterClassExW(&wc)) report_failure("RegisterClassExW", "VelquinWindow");
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = image_proc;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = image_class;
    if (!RegisterClassExW(&wc)) report_failure("RegisterClassExW", "VelquinImage");
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = click_proc;
    wc.lpszClassName = click_class;
    if (!RegisterClassExW(&wc)) report_failure("RegisterClassExW", "VelquinClickArea");
    done = true;
}

// A font of the face and size; Hangul charset, so that a missing face falls back to one that draws Hangul.
UniqueFont make_font(std::string_view face, int points, int weight) {
    ScreenDC dc;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
    lf.lfWeight = weight;
    lf.lfCharSet = HANGUL_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    const std::wstring w = wide(face);
    lstrcpynW(lf.lfFaceName, w.c_str(), LF_FACESIZE);
    UniqueFont font(CreateFontIndirectW(&lf));
    if (!font) report_failure("CreateFontIndirectW", face);
    return font;
}

std::wstring window_text(HWND h) {
    std::wstring s(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), static_cast<int>(s.size()))));
    return s;
}

} // namespace

namespace window_detail {

std::vector<Window*>& open_windows() {
    // A reference per thread: a thread_local object with a destructor is unsafe under mingw (see perthread.h).
    thread_local std::vector<Window*>& windows = per_thread<std::vector<Window*>>();
    return windows;
}

KeyCode modifiers() {
    KeyCode m = 0;
    if (GetKeyState(VK_SHIFT) < 0) m |= key::shift;
    if (GetKeyState(VK_CONTROL) < 0) m |= key::ctrl;
    if (GetKeyState(VK_MENU) < 0) m |= key::alt;
    return m;
}

} // namespace window_detail

Window::Control::Control() = default;
Window::Control::~Control() = default;
Window::Control::Control(Control&&) noexcept = default;

DialogUnits DialogUnits::of(HFONT font) {
    ScreenDC dc;
    Selected sel(dc.get(), font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    SIZE s{};
    GetTextExtentPoint32W(dc.get(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
    DialogUnits u;
    u.cx = std::max(1L, (s.cx / 26 + 1) / 2);
    u.cy = std::max(1L, tm.tmHeight);
    return u;
}

Window::Window(WindowDesc desc) : desc_(std::move(desc)) {
    register_classes(&Window::thunk);
    font_ = make_font(desc_.font, desc_.font_size, FW_NORMAL);
    units_ = DialogUnits::of(font_.get());
    owner_ = desc_.owner ? desc_.owner : top() ? top()->hwnd_ : nullptr;

    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (desc_.resizable) style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    RECT r{0, 0, units_.x(desc_.at.w), units_.y(desc_.at.h)};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    const int ww = r.right - r.left, wh = r.bottom - r.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = desc_.at.x == unchanged ? work.left + (work.right - work.left - ww) / 2 : units_.x(desc_.at.x);
    const int y = desc_.at.y == unchanged ? work.top + (work.bottom - work.top - wh) / 2 : units_.y(desc_.at.y);

    CreateWindowExW(0, window_class, wide(desc_.title).c_str(), style, x, y, ww, wh, owner_, nullptr,
                    GetModuleHandleW(nullptr), this);
    if (!hwnd_) {
        report_failure("CreateWindowExW", desc_.title);
        throw std::runtime_error("the window could not be created");
    }
    if (!desc_.icon.empty()) {
        icon_big_ = load_icon(desc_.icon, GetSystemMetrics(SM_CXICON));
        icon_small_ = load_icon(desc_.icon, GetSystemMetrics(SM_CXSMICON));
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_big_.get()));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_small_.get()));
    }

    controls_.reserve(desc_.controls.size());
    for (const ControlDesc& d : desc_.controls) {
        Control c;
        c.desc = d;
        c.shown = !(d.flags & flag::hidden);
        c.active = !(d.flags & flag::disabled);
        controls_.push_back(std::move(c));
    }
    for (int i = 0; i < static_cast<int>(controls_.size()); ++i)
        create_control(i);
    if (desc_.status_bar) create_status_bar();
    // The pages of each sheet, in their order.
    for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
        const Control& c = controls_[static_cast<size_t>(i)];
        const int sheet = index_of(c.desc.parent);
        if (c.desc.kind != Kind::tab || sheet < 0 || !controls_[static_cast<size_t>(sheet)].hwnd) continue;
        // A sheet of one page is a frame around it: no tab shows its caption, unless it asks for its tab.
        if (pages_of(sheet) == 1 && !(controls_[static_cast<size_t>(sheet)].desc.flags & flag::tabs)) continue;
        std::wstring text = wide(c.desc.text);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(controls_[static_cast<size_t>(sheet)].hwnd, TCM_INSERTITEMW, static_cast<WPARAM>(tab_index(i)),
                     reinterpret_cast<LPARAM>(&item));
    }
    apply_states();
}

Window::~Window() {
    try {
        close();
    } catch (...) {
    }
}

Window* Window::top() noexcept {
    return window_detail::open_windows().empty() ? nullptr : window_detail::open_windows().back();
}

void Window::create_control(int index) {
    Control& c = controls_[static_cast<size_t>(index)];
    const ControlDesc& d = c.desc;
    const wchar_t* cls = nullptr;
    // Later controls lie above earlier ones (a sheet under its page's controls, a picture under its click areas):
    // every control is clipped by the ones above it, except pictures and click areas, which must not cut holes
    // into each other.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS, ex = 0;
    bool with_text = true;
    switch (d.kind) {
    case Kind::button:
        if (d.flags & flag::transparent) {
            cls = click_class;
            style &= ~WS_CLIPSIBLINGS;
            ex = WS_EX_TRANSPARENT;
            with_text = false;
        } else {
            cls = L"BUTTON";
            style |= BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP;
        }
        break;
    case Kind::prompt:
        cls = L"STATIC";
        style |= SS_LEFT | SS_NOPREFIX;
        break;
    case Kind::entry:
        cls = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        ex = WS_EX_CLIENTEDGE;
        break;
    case Kind::text:
        cls = L"EDIT";
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
        ex = WS_EX_CLIENTEDGE;
        break;
    case Kind::group:
    case Kind::tab:
        return; // no window of their own
    case Kind::group_box:
        cls = L"BUTTON";
        style |= BS_GROUPBOX;
        // The window clips its children, so nothing would paint inside the frame: a transparent group box lets
        // the window's background show through it. A sheet does not clip transparent controls out of itself and
        // would paint over the frame: a group box on a sheet paints the page inside itself (kind_created).
        if (sheet_under(index) < 0) ex = WS_EX_TRANSPARENT;
        break;
    case Kind::panel:
    case Kind::ole:
        cls = L"STATIC";
        style |= SS_NOPREFIX;
        with_text = false;
        break;
    case Kind::image:
        cls = image_class;
        style &= ~WS_CLIPSIBLINGS;
        with_text = false;
        break;
    case Kind::sheet:
        cls = WC_TABCONTROLW;
        style |= WS_TABSTOP;
        with_text = false;
        break;
    case Kind::list:
        cls = WC_LISTVIEWW;
        // Virtual: the rows come from the attached handler on demand, so that any number shows at once.
        style |= LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP;
        ex = WS_EX_CLIENTEDGE;
        with_text = false;
        break;
    case Kind::tree:
        cls = WC_TREEVIEWW;
        style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP;
        ex = WS_EX_CLIENTEDGE;
        with_text = false;
        break;
    case Kind::check:
    case Kind::option:
    case Kind::radio:
    case Kind::drop_list:
    case Kind::rich_text:
    case Kind::page:
    case Kind::spin:
    case Kind::progress:
        if (!kind_style(d, cls, style, ex, with_text)) return;
        break;
    }
    // A drop list is made as high as it is dropped: its inner combo box keeps the height it was made with when
    // its frame is resized (a list one pixel high), and resizing both afterwards costs as much as making it.
    const int height = d.kind == Kind::drop_list ? units_.y(d.at.h) + units_.y(120) : units_.y(d.at.h);
    c.hwnd = CreateWindowExW(ex, cls, with_text ? wide(d.text).c_str() : L"", style, units_.x(d.at.x), units_.y(d.at.y),
                             units_.x(d.at.w), height, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(first_control_id + index)),
                             GetModuleHandleW(nullptr), nullptr);
    if (!c.hwnd) {
        report_failure("CreateWindowExW", d.text);
        return;
    }
    SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SetWindowPos(c.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (d.kind == Kind::image && !d.picture.empty()) {
        c.picture = std::make_unique<Picture>();
        if (c.picture->load(d.picture))
            SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c.picture.get()));
    }
    kind_created(index);
    if (!d.icon.empty()) set_icon(d.id, d.icon);
    if (!d.tip.empty()) set_tip(d.id, d.tip);
}

// --- the window itself ------------------------------------------------------------------------------------------

void Window::set_title(std::string_view cp949) {
    const std::wstring w = wide(cp949);
    desc_.title = std::string(cp949);
    if (hwnd_) SetWindowTextW(hwnd_, w.c_str());
}

std::string Window::title() const {
    return hwnd_ ? narrow(window_text(hwnd_)) : desc_.title;
}

Rect Window::position() const {
    RECT w{};
    GetWindowRect(hwnd_, &w);
    const SIZE c = client_size();
    return {units_.du_x(w.left), units_.du_y(w.top), units_.du_x(c.cx), units_.du_y(c.cy)};
}

void Window::set_position(int x, int y, int w, int h) {
    RECT now{}, client{};
    GetWindowRect(hwnd_, &now);
    GetClientRect(hwnd_, &client);
    const int px = x == unchanged ? now.left : units_.x(x);
    const int py = y == unchanged ? now.top : units_.y(y);
    RECT r{0, 0, w == unchanged ? client.right : units_.x(w),
           h == unchanged ? client.bottom : units_.y(h) + status_height()};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, px, py, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Window::maximized() const {
    return hwnd_ && IsZoomed(hwnd_);
}
bool Window::minimized() const {
    return hwnd_ && IsIconic(hwnd_);
}
void Window::maximize() {
    ShowWindow(hwnd_, SW_MAXIMIZE);
}
void Window::restore() {
    ShowWindow(hwnd_, SW_RESTORE);
}

void Window::set_timer(int hundredths) {
    if (hundredths <= 0)
        KillTimer(hwnd_, timer_id);
    else
        SetTimer(hwnd_, timer_id, static_cast<UINT>(hundredths) * 10, nullptr);
}

void Window::display() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // A loop kept busy by its own timer never waits for messages, and a waiting thread is when some platforms put
    // what was drawn on screen: a wait of no time does that now.
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
}

void Window::set_size_limits(SIZE min, SIZE max) {
    min_ = min;
    max_ = max;
}

SIZE Window::client_size() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return {r.right, std::max(0L, r.bottom - status_height())};
}

void Window::alert(KeyCode k) {
    alerts_.push_back({-1, k});
}

void Window::alert(Id control, KeyCode k) {
    const int i = index_of(control);
    if (i >= 0) alerts_.push_back({i, k});
}

// --- controls ---------------------------------------------------------------------------------------------------

int Window::index_of(Id control) const noexcept {
    if (control.value == 0) return -1;
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].desc.id == control.value) return static_cast<int>(i);
    return -1;
}

Window::Control* Window::find(Id control) {
    const int i = index_of(control);
    return i < 0 ? nullptr : &controls_[static_cast<size_t>(i)];
}

const Window::Control* Window::find(Id control) const {
    const int i = index_of(control);
    return i < 0 ? nullptr : &controls_[static_cast<size_t>(i)];
}

int Window::control_of(HWND h) const {
    while (h && GetParent(h) != hwnd_)
        h = GetParent(h);
    if (!h) return -1;
    const int i = GetDlgCtrlID(h) - first_control_id;
    return i >= 0 && i < static_cast<int>(controls_.size()) ? i : -1;
}

int Window::tab_index(int index) const {
    const int sheet = controls_[static_cast<size_t>(index)].desc.parent;
    int n = 0;
    for (int i = 0; i < index; ++i)
        if (controls_[static_cast<size_t>(i)].desc.kind == Kind::tab &&
            controls_[static_cast<size_t>(i)].desc.parent == sheet)
            ++n;
    return n;
}

int Window::pages_of(int sheet) const {
    const int id = controls_[static_cast<size_t>(sheet)].desc.id;
    int n = 0;
    for (const Control& c : controls_)
        if (c.desc.kind == Kind::tab && c.desc.parent == id) ++n;
    return n;
}

int Window::sheet_under(int index) const {
    for (int depth = 0; index >= 0 && depth < 64; ++depth) {
        const Control& c = controls_[static_cast<size_t>(index)];
        const int parent = index_of(c.desc.parent);
        if (c.desc.kind == Kind::tab && parent >= 0 && controls_[static_cast<size_t>(parent)].desc.kind == Kind::sheet)
            return controls_[static_cast<size_t>(parent)].hwnd ? parent : -1;
        index = parent;
    }
    return -1;
}

bool Window::effective_shown(int index) const {
    for (int depth = 0; index >= 0 && depth < 64; ++depth) {
        const Control& c = controls_[static_cast<size_t>(index)];
        if (!c.shown) return false;
        const int parent = index_of(c.desc.parent);
        if (parent >= 0 && controls_[static_cast<size_t>(parent)].desc.kind == Kind::tab) {
            const int sheet = index_of(controls_[static_cast<size_t>(parent)].desc.parent);
            if (sheet >= 0 && controls_[static_cast<size_t>(sheet)].hwnd && pages_of(sheet) > 1 &&
                SendMessageW(controls_[static_cast<size_t>(sheet)].hwnd, TCM_GETCURSEL, 0, 0) != tab_index(parent))
                return false;
        }
        index = parent;
    }
    return true;
}

bool Window::effective_active(int index) const {
    for (int depth = 0; index >= 0 && depth < 64; ++depth) {
        const Control& c = controls_[static_cast<size_t>(index)];
        if (!c.active) return false;
        index = index_of(c.desc.parent);
    }
    return true;
}

void Window::apply_states() {
    std::vector<std::pair<HWND, bool>> shown;
    for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
        HWND h = controls_[static_cast<size_t>(i)].hwnd;
        if (!h) continue;
        const bool show = effective_shown(i);
        if (show != ((GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0)) shown.emplace_back(h, show);
        const bool on = effective_active(i);
        if (on != (IsWindowEnabled(h) != FALSE)) EnableWindow(h, on);
    }
    // Several controls shown or hidden at once (a group) draw nothing one by one, each would have what lies under
    // it drawn again: their places are drawn once afterwards. The control with the focus is shown or hidden the
    // usual way, which moves the focus off a hidden one.
    if (shown.size() < 2 || !IsWindowVisible(hwnd_)) {
        for (const auto& [h, show] : shown)
            ShowWindow(h, show ? SW_SHOWNA : SW_HIDE);
        return;
    }
    const HWND focus = GetFocus();
    RECT places{};
    for (const auto& [h, show] : shown) {
        if (focus && (h == focus || IsChild(h, focus))) {
            ShowWindow(h, show ? SW_SHOWNA : SW_HIDE);
            continue;
        }
        RECT r{};
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        UnionRect(&places, &places, &r);
        SetWindowPos(h, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                         (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    RedrawWindow(hwnd_, &places, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Window::range(Id first, Id last, void (*op)(Control&)) {
    int a = index_of(first), b = index_of(last);
    if (a < 0 || b < 0) return;
    if (a > b) std::swap(a, b);
    for (int i = a; i <= b; ++i)
        op(controls_[static_cast<size_t>(i)]);
    apply_states();
}

void Window::hide(Id first, Id last) {
    range(first, last, [](Control& c) { c.shown = false; });
}
void Window::show(Id first, Id last) {
    range(first, last, [](Control& c) { c.shown = true; });
}
void Window::enable(Id first, Id last) {
    range(first, last, [](Control& c) { c.active = true; });
}
void Window::disable(Id first, Id last) {
    range(first, last, [](Control& c) { c.active = false; });
}

bool Window::visible(Id control) const {
    const int i = index_of(control);
    return i >= 0 && effective_shown(i);
}

bool Window::enabled(Id control) const {
    const int i = index_of(control);
    return i >= 0 && effective_active(i);
}

HWND Window::handle(Id control) const {
    const Control* c = find(control);
    return c ? c->hwnd : nullptr;
}

void Window::set_text(Id control, std::string_view cp949) {
    const int i = index_of(control);
    if (i < 0) return;
    Control& c = controls_[static_cast<size_t>(i)];
    std::wstring w = wide(cp949);
    c.desc.text = std::string(cp949); // cp949 may be the old text itself: converted first
    if (c.hwnd && c.desc.kind != Kind::image && c.desc.kind != Kind::list && c.desc.kind != Kind::tree) {
        SetWindowTextW(c.hwnd, w.c_str());
        // Where the icon goes depends on the text: alone without one, beside or above it.
        if (c.icon) lay_icon(c);
    } else if (c.desc.kind == Kind::tab) {
        if (HWND sheet = handle(c.desc.parent)) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = w.data();
            SendMessageW(sheet, TCM_SETITEMW, static_cast<WPARAM>(tab_index(i)), reinterpret_cast<LPARAM>(&item));
        }
    }
}

std::string Window::text(Id control) const {
    const Control* c = find(control);
    if (!c) return {};
    if (c->hwnd && (typed(c->desc.kind) || c->desc.kind == Kind::prompt || c->desc.kind == Kind::button ||
                    c->desc.kind == Kind::group_box))
        return narrow(window_text(c->hwnd));
    return c->desc.text;
}

void Window::set_icon(Id control, std::string_view name) {
    Control* c = find(control);
    if (!c) return;
    const std::string icon_name(name); // name may be the old desc.icon itself
    c->desc.icon = icon_name;
    const bool pressable = c->desc.kind == Kind::button || c->desc.kind == Kind::check || c->desc.kind == Kind::radio;
    if (!c->hwnd || !pressable || (c->desc.flags & flag::transparent)) return;
    RECT r{};
    GetClientRect(c->hwnd, &r);
    // The old icon is let go once the control shows the new one.
    const UniqueIcon old =
        std::exchange(c->icon, icon_name.empty() ? UniqueIcon() : load_icon(icon_name, r.bottom >= 40 ? 32 : 16));
    lay_icon(*c);
}

HWND Window::tooltip() {
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        if (!tooltip_) {
            report_failure("CreateWindowExW", "tooltips");
            return nullptr;
        }
        SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    return tooltip_;
}

void Window::set_tip(Id control, std::string_view cp949) {
    Control* c = find(control);
    if (!c) return;
    std::wstring w = wide(cp949);
    c->desc.tip = std::string(cp949); // cp949 may be the old tip itself: converted first
    if (!c->hwnd || !tooltip()) return;
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(c->hwnd);
    ti.lpszText = w.data();
    if (c->tip_added) {
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        c->tip_added = SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
    }
}

std::string Window::tip(Id control) const {
    const Control* c = find(control);
    return c ? c->desc.tip : std::string();
}

void Window::set_font(Id control, std::string_view face, int points, int weight) {
    Control* c = find(control);
    if (!c || !c->hwnd) return;
    UniqueFont f = make_font(face, points, weight);
    SendMessageW(c->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f ? f.get() : font_.get()), TRUE);
    c->font = std::move(f);
}

Rect Window::position(Id control) const {
    const Control* c = find(control);
    if (!c) return {};
    if (!c->hwnd) return c->desc.at;
    RECT r{};
    GetWindowRect(c->hwnd, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return {units_.du_x(r.left), units_.du_y(r.top), units_.du_x(r.right - r.left), units_.du_y(r.bottom - r.top)};
}

void Window::set_position(Id control, int x, int y, int w, int h) {
    Control* c = find(control);
    if (!c) return;
    const Rect now = position(control);
    const Rect to{x == unchanged ? now.x : x, y == unchanged ? now.y : y, w == unchanged ? now.w : w,
                  h == unchanged ? now.h : h};
    if (!c->hwnd) {
        c->desc.at = to;
        return;
    }
    // Parts left unchanged keep their pixels, so that rounding to dialog units does not move them.
    RECT r{};
    GetWindowRect(c->hwnd, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const int px = x == unchanged ? r.left : units_.x(x);
    const int py = y == unchanged ? r.top : units_.y(y);
    const int pw = w == unchanged ? r.right - r.left : units_.x(w);
    const int ph = h == unchanged ? r.bottom - r.top : units_.y(h);
    SetWindowPos(c->hwnd, nullptr, px, py, pw, ph, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::set_limit(Id control, std::size_t characters) {
    if (HWND h = handle(control)) SendMessageW(h, EM_SETLIMITTEXT, characters, 0);
}

void Window::focus(Id control) {
    if (HWND h = handle(control)) SetFocus(h);
}

void Window::type(Id control, std::string_view cp949) {
    Control* c = find(control);
    if (!c || !typed(c->desc.kind)) return;
    set_text(control, cp949);
    queue({EventKind::accepted, c->desc.id});
}

void Window::select(Id control, int row) {
    Control* c = find(control);
    if (!c) return;
    if (c->handler) {
        c->handler->select(*this, c->desc.id, row);
    } else if (c->desc.kind == Kind::sheet && c->hwnd) {
        SendMessageW(c->hwnd, TCM_SETCURSEL, static_cast<WPARAM>(row - 1), 0);
        apply_states();
    }
}

int Window::selection(Id control) {
    Control* c = find(control);
    if (!c) return 0;
    if (c->handler) return c->handler->selection(*this, c->desc.id);
    if (c->desc.kind == Kind::sheet && c->hwnd) return static_cast<int>(SendMessageW(c->hwnd, TCM_GETCURSEL, 0, 0)) + 1;
    return 0;
}

void Window::attach(Id control, std::unique_ptr<ControlHandler> h) {
    if (Control* c = find(control)) c->handler = std::move(h);
}

ControlHandler* Window::handler(Id control) const {
    const Control* c = find(control);
    return c ? c->handler.get() : nullptr;
}

bool Window::focusable(int index) const {
    const Control& c = controls_[static_cast<size_t>(index)];
    return c.hwnd && (GetWindowLongPtrW(c.hwnd, GWL_STYLE) & WS_TABSTOP) && effective_shown(index) &&
           effective_active(index);
}

// Tab order is the order of the description.
void Window::move_focus(int step) {
    const int n = static_cast<int>(controls_.size());
    if (n == 0) return;
    int i = control_of(GetFocus());
    if (i < 0) i = step > 0 ? -1 : n;
    for (int k = 0; k < n; ++k) {
        i = ((i + step) % n + n) % n;
        if (focusable(i)) {
            SetFocus(controls_[static_cast<size_t>(i)].hwnd);
            return;
        }
    }
}

} // namespace rt

#endif
