// Tree lists built from the rows' levels.
#ifdef _WIN32

#include "runtime/treebox.h"

#include "runtime/imagelist.h"
#include "runtime/listformat.h"
#include "runtime/text.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace rt {

struct TreeBox::Impl {
    RowSource src;
    ListColumn col;
    Window* win = nullptr;
    int control = 0;
    HWND tree = nullptr;
    ImageList icons;
    std::vector<HTREEITEM> items; // row n is items[n-1]
    std::vector<int> levels;
    int quiet = 0;
    bool changed_since_press = false;
    POINT press_at{}; // client

    WNDPROC tree_next = nullptr; // the control's own procedure, behind ours

    static LRESULT CALLBACK tree_proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK tree_messages(HWND, UINT, WPARAM, LPARAM);

    std::size_t rows() const { return src.rows ? src.rows() : 0; }
    const void* row(std::size_t n) const { return n >= 1 && n <= rows() && src.row ? src.row(n) : nullptr; }
    long number(std::size_t n, int field) const {
        const void* r = row(n);
        return r && field > 0 ? cell_number(src.fields, src.field_count, r, field) : 0;
    }
    std::string text(std::size_t n) const {
        const void* r = row(n);
        return r ? cell_text(src.fields, src.field_count, r, col.field, col.picture) : std::string();
    }
    // The row's colour k (text, background, selected text, selected background), or -1 for none.
    long colour(std::size_t n, int k) const {
        if (col.colour_field) {
            const long v = number(n, col.colour_field + k);
            if (v >= 0) return v;
        }
        const auto& d = col.default_colour[k];
        return d && *d >= 0 ? *d : -1;
    }
    int row_of(HTREEITEM item) const {
        if (!tree || !item) return 0;
        TVITEMW it{};
        it.mask = TVIF_PARAM;
        it.hItem = item;
        if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) return 0;
        return static_cast<int>(it.lParam);
    }
    HTREEITEM caret() const {
        return tree ? reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) : nullptr;
    }
    void chosen() {
        if (win) win->post(EventKind::accepted, control);
    }

    void build() {
        items.clear();
        levels.clear();
        if (!tree) return;
        ++quiet;
        SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
        SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        const std::size_t n = rows();
        items.reserve(n);
        levels.reserve(n);
        std::vector<size_t> parents; // the last row (index into items) at each depth
        std::vector<bool> has_children;
        has_children.reserve(n);
        for (std::size_t r = 1; r <= n; ++r) {
            // A level deeper than one below the previous row's hangs under the previous row.
            int depth = col.level_field ? static_cast<int>(number(r, col.level_field)) : 0;
            depth = std::clamp(depth, 0, static_cast<int>(parents.size()));
            std::wstring w = wide(text(r));
            TVINSERTSTRUCTW ins{};
            ins.hParent = depth == 0 ? TVI_ROOT : items[parents[static_cast<size_t>(depth - 1)]];
            ins.hInsertAfter = TVI_LAST;
            ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
            ins.item.pszText = w.data();
            ins.item.lParam = static_cast<LPARAM>(r);
            const long icon = col.icon_field ? number(r, col.icon_field) : 0;
            ins.item.iImage = ins.item.iSelectedImage = icon > 0 ? static_cast<int>(icon - 1) : I_IMAGENONE;
            auto item =
                reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
            if (depth > 0) has_children[parents[static_cast<size_t>(depth - 1)]] = true;
            parents.resize(static_cast<size_t>(depth));
            parents.push_back(items.size());
            items.push_back(item);
            levels.push_back(depth);
            has_children.push_back(false);
        }
        for (size_t k = 0; k < items.size(); ++k)
            if (has_children[k]) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(items[k]));
        // The tree's own background: the format's, else the first row's.
        const long bk = n ? colour(1, 1) : (col.default_colour[1] ? *col.default_colour[1] : -1);
        SendMessageW(tree, TVM_SETBKCOLOR, 0, bk);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
        SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree, nullptr, TRUE);
        --quiet;
    }
};

LRESULT CALLBACK TreeBox::Impl::tree_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return guarded(&tree_messages, h, msg, wp, lp);
}

LRESULT CALLBACK TreeBox::Impl::tree_messages(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = subclass_data<Impl>(h);
    const WNDPROC next = self->tree_next;
    switch (msg) {
    case WM_LBUTTONDOWN:
        self->changed_since_press = false;
        self->press_at = point_of(lp);
        break;
    case WM_RBUTTONDOWN: {
        // TreeView does not choose the row under a right click: we do, before the click's own handling.
        TVHITTESTINFO hi{};
        hi.pt = point_of(lp);
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hi)));
        if (item && (hi.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT)) && item != self->caret())
            SendMessageW(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        break;
    }
    case WM_NCDESTROY:
        unsubclass(h, &tree_proc, next);
        self->tree = nullptr;
        break;
    }
    return CallWindowProcW(next, h, msg, wp, lp);
}

TreeBox::TreeBox(RowSource source, std::string_view format) : impl_(std::make_unique<Impl>()) {
    impl_->src = std::move(source);
    const std::vector<ListColumn> cols = parse_list_format(format);
    if (!cols.empty()) impl_->col = cols.front();
    if (impl_->col.field == 0) impl_->col.field = 1;
}

TreeBox::~TreeBox() {
    unsubclass(impl_->tree, &Impl::tree_proc, impl_->tree_next);
}

TreeBox& TreeBox::attach(Window& w, Id control, RowSource source, std::string_view format) {
    auto box = std::make_unique<TreeBox>(std::move(source), format);
    TreeBox& self = *box;
    Impl& m = *self.impl_;
    m.win = &w;
    m.control = control.value;
    m.tree = w.handle(control);
    if (m.tree) {
        m.tree_next = subclass(m.tree, &Impl::tree_proc, &m);
        // Line heights as set, odd ones too.
        SetWindowLongPtrW(m.tree, GWL_STYLE, GetWindowLongPtrW(m.tree, GWL_STYLE) | TVS_NONEVENHEIGHT);
    }
    w.attach(control, std::move(box));
    m.build();
    return self;
}

void TreeBox::refresh() {
    impl_->build();
}

void TreeBox::set_line_height(int dialog_units) {
    if (impl_->tree && impl_->win)
        SendMessageW(impl_->tree, TVM_SETITEMHEIGHT, static_cast<WPARAM>(impl_->win->units().y(dialog_units)), 0);
}

void TreeBox::set_icons(const std::vector<std::string>& names) {
    impl_->icons = icon_list(names);
    if (impl_->tree) {
        SendMessageW(impl_->tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(impl_->icons.h));
        InvalidateRect(impl_->tree, nullptr, TRUE);
    }
}

std::string TreeBox::text(std::size_t n) const {
    return impl_->text(n);
}

int TreeBox::level(std::size_t n) const {
    return n >= 1 && n <= impl_->levels.size() ? impl_->levels[n - 1] : 0;
}

bool TreeBox::notify(Window&, int, NMHDR& nm, LRESULT& result) {
    Impl& m = *impl_;
    switch (nm.code) {
    case TVN_SELCHANGEDW: {
        result = 0;
        if (m.quiet) return true;
        m.changed_since_press = true;
        if (reinterpret_cast<NMTREEVIEWW&>(nm).itemNew.hItem) m.chosen();
        return true;
    }
    case NM_CLICK: {
        // A click on the row already chosen chooses it again.
        if (!m.changed_since_press && m.tree) {
            TVHITTESTINFO hi{};
            hi.pt = m.press_at;
            auto item =
                reinterpret_cast<HTREEITEM>(SendMessageW(m.tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hi)));
            if (item && item == m.caret() && (hi.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT))) m.chosen();
        }
        m.changed_since_press = true;
        result = 0;
        return true;
    }
    case NM_CUSTOMDRAW: {
        auto& cd = reinterpret_cast<NMTVCUSTOMDRAW&>(nm);
        if (cd.nmcd.dwDrawStage == CDDS_PREPAINT) {
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        }
        if (cd.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            const auto n = static_cast<std::size_t>(cd.nmcd.lItemlParam);
            const bool selected = (cd.nmcd.uItemState & CDIS_SELECTED) != 0;
            const long fg = m.colour(n, selected ? 2 : 0), bg = m.colour(n, selected ? 3 : 1);
            if (fg >= 0) cd.clrText = static_cast<COLORREF>(fg);
            if (bg >= 0) cd.clrTextBk = static_cast<COLORREF>(bg);
            result = CDRF_NEWFONT;
            return true;
        }
        result = CDRF_DODEFAULT;
        return true;
    }
    }
    return false;
}

void TreeBox::select(Window&, int, int row) {
    Impl& m = *impl_;
    if (!m.tree) return;
    HTREEITEM item =
        row >= 1 && static_cast<std::size_t>(row) <= m.items.size() ? m.items[static_cast<size_t>(row - 1)] : nullptr;
    if (item == m.caret()) return;
    // The program's own choice: the program acts on it itself, so no accepted event follows.
    ++m.quiet;
    SendMessageW(m.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (item) SendMessageW(m.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    --m.quiet;
}

int TreeBox::selection(Window&, int) {
    return impl_->row_of(impl_->caret());
}

} // namespace rt

#endif
