// Lists over queues as virtual report views.
#ifdef _WIN32

#include "runtime/listbox.h"

#include "runtime/imagelist.h"
#include "runtime/text.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace rt {

namespace {

// While it lives, a control counts as hidden though it stays on screen, so that what changes in it draws nothing
// at once (Wine's list draws its scroll bars anew at every change of its row count or columns, a few hundred
// server round trips each); afterwards the control, frame and scroll bars included, is drawn once. Drawing is
// switched off as the default window procedure does it: the list's own switch makes it lay itself out again.
class DrawLater {
public:
    explicit DrawLater(HWND h) : h_(h), shown_(h && IsWindowVisible(h)) {
        if (shown_) DefWindowProcW(h_, WM_SETREDRAW, FALSE, 0);
    }
    ~DrawLater() {
        if (!shown_) return;
        DefWindowProcW(h_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(h_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    DrawLater(const DrawLater&) = delete;
    DrawLater& operator=(const DrawLater&) = delete;

private:
    HWND h_;
    bool shown_;
};

bool far_apart(POINT a, POINT b) {
    return std::abs(a.x - b.x) >= GetSystemMetrics(SM_CXDRAG) || std::abs(a.y - b.y) >= GetSystemMetrics(SM_CYDRAG);
}

} // namespace

struct ListBox::Impl {
    RowSource src;
    std::vector<ListColumn> cols;
    Window* win = nullptr;
    int control = 0;
    HWND list = nullptr, header = nullptr;
    ImageList icons, spacer; // the rows' icons; an image list one pixel wide that sets the line height
    int line_px = 0;
    int space_px = 4; // a blank's width in the list's font, for indents
    int press_col = 0, release_col = 0;
    bool press_header = false;
    bool tracking = false; // the left button went down on a column and is not released yet
    bool moved = false;    // ... and the pointer moved the drag distance since
    POINT press_at{};      // screen
    int quiet = 0;         // the program is selecting: no events
    std::wstring text;     // the last cell text handed to the control

    WNDPROC list_next = nullptr, header_next = nullptr; // the controls' own procedures, behind ours

    // One procedure in front of both the list and its header; it tells them apart by the handle.
    static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK messages(HWND, UINT, WPARAM, LPARAM);

    std::size_t rows() const { return src.rows ? src.rows() : 0; }
    const void* row(std::size_t n) const { return n >= 1 && n <= rows() && src.row ? src.row(n) : nullptr; }
    const ListColumn* col(int i) const {
        return i >= 1 && i <= static_cast<int>(cols.size()) ? &cols[static_cast<size_t>(i - 1)] : nullptr;
    }
    ListColumn* col(int i) {
        return i >= 1 && i <= static_cast<int>(cols.size()) ? &cols[static_cast<size_t>(i - 1)] : nullptr;
    }
    std::string cell(std::size_t n, int i) const {
        const ListColumn* c = col(i);
        const void* r = row(n);
        if (!c || !r) return {};
        return cell_text(src.fields, src.field_count, r, c->field, c->picture);
    }
    int icon(std::size_t n, int i) const {
        const ListColumn* c = col(i);
        const void* r = row(n);
        if (!c || !r || !c->icon_field) return 0;
        return static_cast<int>(cell_number(src.fields, src.field_count, r, c->icon_field));
    }

    // The column under a point of the header's client area (from 1; 0 none); `on_item` tells whether it fell
    // on the item itself rather than a divider.
    int header_column(POINT hp, bool* on_item = nullptr) const {
        if (!header) return 0;
        HDHITTESTINFO hi{};
        hi.pt = hp;
        SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hi));
        if (on_item) *on_item = (hi.flags & HHT_ONHEADER) != 0 && !(hi.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN));
        if (hi.iItem < 0 || !(hi.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN))) return 0;
        return hi.iItem >= 1 && hi.iItem <= static_cast<int>(cols.size()) ? hi.iItem : 0;
    }
    // The column under a point of the screen: over the header, or over the rows' part of the list by its x.
    int column_at(POINT screen) const {
        if (!list || !header) return 0;
        RECT hr{};
        GetWindowRect(header, &hr);
        POINT hp = screen;
        ScreenToClient(header, &hp);
        if (PtInRect(&hr, screen)) return header_column(hp);
        POINT lp = screen;
        ScreenToClient(list, &lp);
        RECT lr{};
        GetClientRect(list, &lr);
        if (!PtInRect(&lr, lp)) return 0;
        hp.y = (hr.bottom - hr.top) / 2;
        return header_column(hp);
    }

    void press(POINT screen, bool on_header, bool left_down) {
        bool on_item = true;
        if (on_header) {
            POINT hp = screen;
            ScreenToClient(header, &hp);
            press_col = header_column(hp, &on_item);
        } else {
            press_col = column_at(screen);
        }
        press_header = on_header;
        // A press on a divider starts a resize, never a drop.
        tracking = left_down && press_col > 0 && on_item;
        moved = false;
        press_at = screen;
    }
    void motion(POINT screen, WPARAM keys) {
        if (!tracking) return;
        if (!(keys & MK_LBUTTON)) {
            tracking = false;
            return;
        }
        if (far_apart(press_at, screen)) moved = true;
    }
    void release(POINT screen) {
        release_col = column_at(screen);
        if (tracking && far_apart(press_at, screen)) moved = true;
        const bool drop = tracking && moved && press_col > 0 && release_col > 0 && release_col != press_col;
        // A press on a header item (not a divider) released over the same column is a click on that header.
        const bool header_click = tracking && press_header && release_col == press_col;
        tracking = false;
        moved = false;
        if (drop && win) win->post(EventKind::drop, control);
        if (header_click && win && win->alerted(control, key::mouse_left))
            win->post(EventKind::alert_key, control, key::mouse_left);
    }

    void apply_images() {
        if (!list) return;
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons.h));
        spacer = ImageList();
        if (line_px > 0) {
            spacer = ImageList(ImageList_Create(1, line_px, ILC_COLOR32, 1, 1));
            if (spacer.h) {
                const ScreenDC dc;
                const UniqueBitmap bmp(CreateCompatibleBitmap(dc.get(), 1, line_px));
                ImageList_Add(spacer.h, bmp.get(), nullptr);
            }
        }
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(spacer.h));
        InvalidateRect(list, nullptr, TRUE);
    }

    void build_columns() {
        if (!list) return;
        DrawLater later(list);
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        const DialogUnits& u = win->units();
        // The first column of a report view is always drawn left-aligned: control column 0 is an empty
        // placeholder of no width that cannot be resized, and our column i is control column i.
        int have = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        if (have <= 0) {
            LVCOLUMNW dummy{};
            dummy.mask = LVCF_WIDTH | LVCF_SUBITEM;
            SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&dummy));
            have = 1;
        }
        // Columns that stand already are set in place, the others added or removed: each column added or removed
        // lays the whole list out again.
        bool lines = false;
        for (size_t i = 0; i < cols.size(); ++i) {
            const ListColumn& c = cols[i];
            std::wstring head = wide(c.header);
            LVCOLUMNW lc{};
            lc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
            lc.fmt = c.align == 'C' ? LVCFMT_CENTER : c.align == 'R' ? LVCFMT_RIGHT : LVCFMT_LEFT;
            lc.cx = u.x(c.width);
            lc.pszText = head.data();
            lc.iSubItem = static_cast<int>(i + 1);
            const bool stands = static_cast<int>(i + 1) < have;
            SendMessageW(list, stands ? LVM_SETCOLUMNW : LVM_INSERTCOLUMNW, i + 1, reinterpret_cast<LPARAM>(&lc));
            lines = lines || c.right_line || c.under_line;
        }
        for (int extra = have - 1; extra > static_cast<int>(cols.size()); --extra)
            SendMessageW(list, LVM_DELETECOLUMN, static_cast<WPARAM>(extra), 0);
        const DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_DOUBLEBUFFER | LVS_EX_GRIDLINES;
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex,
                     LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_DOUBLEBUFFER |
                         (lines ? LVS_EX_GRIDLINES : 0));
        // A blank's width, for the indents.
        {
            const ClientDC dc(list);
            Selected font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
            SIZE s{};
            if (GetTextExtentPoint32W(dc.get(), L" ", 1, &s) && s.cx > 0) space_px = s.cx;
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        if (static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) != rows())
            SendMessageW(list, LVM_SETITEMCOUNT, rows(), LVSICF_NOSCROLL);
    }

    // The text a cell shows, with the column's indent as leading (or, right-aligned, trailing) blanks.
    const std::wstring& shown(std::size_t n, int i) {
        text = wide(cell(n, i));
        const ListColumn* c = col(i);
        if (c && c->indent > 0 && c->align != 'C' && win) {
            const size_t blanks = static_cast<size_t>(std::max(1, win->units().x(c->indent) / space_px));
            if (c->align == 'R')
                text.append(blanks, L' ');
            else
                text.insert(0, blanks, L' ');
        }
        return text;
    }

    void select(int n) {
        if (!list) return;
        ++quiet;
        // The one selected row is deselected by itself: Wine's list would walk every row to deselect them all.
        const int old = selection();
        if (old > 0 && old != n) {
            LVITEMW none{};
            none.stateMask = LVIS_SELECTED;
            SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(old - 1), reinterpret_cast<LPARAM>(&none));
        }
        if (n >= 1 && static_cast<std::size_t>(n) <= rows()) {
            LVITEMW it{};
            it.stateMask = it.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(n - 1), reinterpret_cast<LPARAM>(&it));
            SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(n - 1), FALSE);
        }
        --quiet;
    }
    int selection() const {
        if (!list) return 0;
        const LRESULT i = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        return i < 0 ? 0 : static_cast<int>(i) + 1;
    }

    void unhook() {
        unsubclass(header, &proc, header_next);
        unsubclass(list, &proc, list_next);
        header = list = nullptr;
    }
};

LRESULT CALLBACK ListBox::Impl::proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return guarded(&messages, h, msg, wp, lp);
}

LRESULT CALLBACK ListBox::Impl::messages(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = subclass_data<Impl>(h);
    const bool on_header = h == self->header;
    const WNDPROC next = on_header ? self->header_next : self->list_next;
    const auto screen = [h, lp] {
        POINT pt = point_of(lp);
        ClientToScreen(h, &pt);
        return pt;
    };
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        self->press(screen(), on_header, msg == WM_LBUTTONDOWN);
        if (on_header) break;
        const LRESULT r = CallWindowProcW(next, h, msg, wp, lp);
        // Where the control tracks the button itself, the release was taken from the queue: a click.
        if (self->tracking && !self->moved) self->release_col = self->press_col;
        return r;
    }
    case WM_RBUTTONDOWN:
        // The list itself chooses the row under a right click: no drag starts.
        self->press(screen(), on_header, false);
        break;
    case WM_MOUSEMOVE:
        self->motion(screen(), wp);
        break;
    case WM_LBUTTONUP:
        self->release(screen());
        if (!on_header && GetCapture() == h) ReleaseCapture();
        break;
    case WM_NOTIFY: {
        const auto* nm = reinterpret_cast<const NMHDR*>(lp);
        if (on_header || nm->hwndFrom != self->header) break;
        switch (nm->code) {
        case HDN_BEGINTRACKW:
        case HDN_BEGINTRACKA:
        case HDN_DIVIDERDBLCLICKW:
        case HDN_DIVIDERDBLCLICKA: {
            // Only the resizable columns follow a drag (or double click) of their divider.
            const ListColumn* c = self->col(reinterpret_cast<const NMHEADERW*>(lp)->iItem);
            if (!c || !c->resizable) return TRUE;
            break;
        }
        case HDN_BEGINDRAG:
        case HDN_ENDDRAG:
            return TRUE; // the program moves fields between columns itself: the header never reorders them
        }
        break;
    }
    case WM_NCDESTROY:
        unsubclass(h, &proc, next);
        (on_header ? self->header : self->list) = nullptr;
        break;
    }
    return CallWindowProcW(next, h, msg, wp, lp);
}

ListBox::ListBox(RowSource source) : impl_(std::make_unique<Impl>()) {
    impl_->src = std::move(source);
}

ListBox::~ListBox() {
    impl_->unhook();
}

ListBox& ListBox::attach(Window& w, Id control, RowSource source) {
    auto box = std::make_unique<ListBox>(std::move(source));
    ListBox& self = *box;
    Impl& m = *self.impl_;
    m.win = &w;
    m.control = control.value;
    m.list = w.handle(control);
    if (m.list) {
        m.header = reinterpret_cast<HWND>(SendMessageW(m.list, LVM_GETHEADER, 0, 0));
        m.list_next = subclass(m.list, &Impl::proc, &m);
        m.header_next = subclass(m.header, &Impl::proc, &m);
        SendMessageW(m.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        SendMessageW(m.list, LVM_SETITEMCOUNT, m.rows(), 0);
    }
    w.attach(control, std::move(box));
    return self;
}

void ListBox::set_format(std::string_view format) {
    std::vector<ListColumn> cols = parse_list_format(format);
    // The list shows this layout already, as set: nothing to change (each change lays the list out again).
    const bool same = impl_->list && !cols.empty() && list_format(cols) == this->format();
    impl_->cols = std::move(cols);
    if (!same) impl_->build_columns();
}

std::string ListBox::format() const {
    std::vector<ListColumn> now = impl_->cols;
    for (int i = 1; i <= static_cast<int>(now.size()); ++i)
        now[static_cast<size_t>(i - 1)].width = width(i);
    return list_format(now);
}

void ListBox::refresh() {
    Impl& m = *impl_;
    if (!m.list) return;
    const int sel = m.selection();
    const std::size_t n = m.rows();
    ++m.quiet;
    // Fewer rows: Wine's list walks its item ranges row by row when the count shrinks, but empties at once.
    const auto shown = static_cast<std::size_t>(SendMessageW(m.list, LVM_GETITEMCOUNT, 0, 0));
    DrawLater later(m.list);
    if (n < shown) SendMessageW(m.list, LVM_SETITEMCOUNT, 0, LVSICF_NOSCROLL);
    SendMessageW(m.list, LVM_SETITEMCOUNT, n, LVSICF_NOSCROLL);
    if (sel > 0 && static_cast<std::size_t>(sel) > n)
        m.select(0);
    else if (n < shown && sel > 0)
        m.select(sel); // emptied on the way: the same row number again
    --m.quiet;
    InvalidateRect(m.list, nullptr, TRUE);
}

void ListBox::set_line_height(int dialog_units) {
    Impl& m = *impl_;
    m.line_px = m.win ? m.win->units().y(dialog_units) : 0;
    m.apply_images();
}

void ListBox::set_icons(const std::vector<std::string>& names) {
    Impl& m = *impl_;
    m.icons = icon_list(names);
    m.apply_images();
}

bool ListBox::has_column(int i) const {
    return impl_->col(i) != nullptr;
}

int ListBox::column_count() const {
    return static_cast<int>(impl_->cols.size());
}

std::string ListBox::header(int i) const {
    const ListColumn* c = impl_->col(i);
    return c ? c->header : std::string();
}

void ListBox::set_header(int i, std::string_view cp949) {
    ListColumn* c = impl_->col(i);
    if (!c) return;
    std::wstring w = wide(cp949);
    c->header = std::string(cp949);
    if (!impl_->list) return;
    LVCOLUMNW lc{};
    lc.mask = LVCF_TEXT;
    lc.pszText = w.data();
    SendMessageW(impl_->list, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&lc));
}

int ListBox::width(int i) const {
    const ListColumn* c = impl_->col(i);
    if (!c) return 0;
    if (!impl_->list || !impl_->win) return c->width;
    const int px = static_cast<int>(SendMessageW(impl_->list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    const DialogUnits& u = impl_->win->units();
    return px == u.x(c->width) ? c->width : u.du_x(px); // unchanged: the width as set, without rounding
}

void ListBox::set_width(int i, int dialog_units) {
    ListColumn* c = impl_->col(i);
    if (!c) return;
    c->width = dialog_units;
    if (impl_->list && impl_->win)
        SendMessageW(impl_->list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), impl_->win->units().x(dialog_units));
}

int ListBox::field(int i) const {
    const ListColumn* c = impl_->col(i);
    return c ? c->field : 0;
}

// The column's icon, colour and level fields stay: they belong to the column, not to the field it shows.
void ListBox::set_field(int i, int field) {
    ListColumn* c = impl_->col(i);
    if (!c) return;
    c->field = field;
    if (impl_->list) InvalidateRect(impl_->list, nullptr, TRUE);
}

std::string ListBox::picture(int i) const {
    const ListColumn* c = impl_->col(i);
    return c ? c->picture : std::string();
}

void ListBox::set_picture(int i, std::string_view picture) {
    ListColumn* c = impl_->col(i);
    if (!c) return;
    c->picture = std::string(picture);
    if (impl_->list) InvalidateRect(impl_->list, nullptr, TRUE);
}

int ListBox::press_column() const {
    return impl_->press_col;
}
bool ListBox::press_on_header() const {
    return impl_->press_header;
}
int ListBox::release_column() const {
    return impl_->release_col;
}

std::string ListBox::cell(std::size_t n, int i) const {
    return impl_->cell(n, i);
}

int ListBox::cell_icon(std::size_t n, int i) const {
    return impl_->icon(n, i);
}

bool ListBox::notify(Window&, int, NMHDR& nm, LRESULT& result) {
    Impl& m = *impl_;
    switch (nm.code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& it = reinterpret_cast<NMLVDISPINFOW&>(nm).item;
        const std::size_t n = static_cast<std::size_t>(it.iItem) + 1;
        const int col = it.iSubItem; // 0: the placeholder, which shows nothing
        if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0)
            lstrcpynW(it.pszText, m.shown(n, col).c_str(), it.cchTextMax);
        if (it.mask & LVIF_IMAGE) {
            const int icon = m.icon(n, col);
            it.iImage = icon > 0 ? icon - 1 : -1; // -1, not I_IMAGENONE, which keeps an icon's room in Wine
        }
        if (it.mask & LVIF_INDENT) it.iIndent = 0;
        result = 0;
        return true;
    }
    case LVN_ODFINDITEMW:
        result = -1; // no type-ahead search over the rows
        return true;
    case LVN_COLUMNCLICK:
        result = 0; // the program sorts and sets the headers; a click on one changes nothing by itself
        return true;
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG:
        // The control saw the drag start (and took the moves itself): the release must still come to us.
        if (m.tracking) {
            m.moved = true;
            SetCapture(m.list);
        }
        result = 0;
        return true;
    case LVN_ITEMCHANGED:
        if (m.quiet) {
            result = 0;
            return true;
        }
        return false; // the window reports a new selection by the user
    }
    return false;
}

void ListBox::select(Window&, int, int row) {
    impl_->select(row);
}

int ListBox::selection(Window&, int) {
    return impl_->selection();
}

} // namespace rt

#endif
