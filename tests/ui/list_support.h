// Mouse actions on lists and tree lists for the UI tests: real mouse messages posted to the list, its header or
// the tree at the place of a column or row. They are posted, not sent, so that the window's own loop
// (accept()) takes them like the user's input: read the events they cause with next_event() afterwards.
#pragma once

#include "support.h"

#include "runtime/window.h"

#include <commctrl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace uitest {

inline HWND list_header(rt::Window& w, rt::Id control) {
    return reinterpret_cast<HWND>(SendMessageW(w.handle(control), LVM_GETHEADER, 0, 0));
}

inline bool is_tree(HWND h) {
    return class_of(h) == WC_TREEVIEWW;
}

// The middle of column `column`'s header item (from 1), in the header's client coordinates.
inline POINT header_point(rt::Window& w, rt::Id control, int column) {
    RECT r{};
    // Header item i is column i: item 0 is the list's hidden placeholder.
    SendMessageW(list_header(w, control), HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Row n of a tree (from 1) in the order of its rows: depth first, as the rows are shown.
inline HTREEITEM tree_item(HWND tree, int n) {
    auto next = [tree](HTREEITEM at, UINT how) {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(at)));
    };
    HTREEITEM item = next(nullptr, TVGN_ROOT);
    for (int i = 1; item && i < n; ++i) {
        if (HTREEITEM child = next(item, TVGN_CHILD)) {
            item = child;
            continue;
        }
        HTREEITEM up = item;
        item = nullptr;
        while (up && !item) {
            item = next(up, TVGN_NEXT);
            if (!item) up = next(up, TVGN_PARENT);
        }
    }
    return item;
}

// The middle of row n (from 1) in column `column` of a list, or of a tree row's text, in the control's client
// coordinates.
inline POINT row_point(rt::Window& w, rt::Id control, int row, int column = 1) {
    HWND h = w.handle(control);
    RECT r{};
    if (is_tree(h)) {
        const HTREEITEM item = tree_item(h, row); // TVM_GETITEMRECT takes the item in the rectangle's place
        std::memcpy(&r, &item, sizeof item);
        SendMessageW(h, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    r.left = LVIR_BOUNDS;
    SendMessageW(h, LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&r));
    POINT p = header_point(w, control, column);
    MapWindowPoints(list_header(w, control), h, &p, 1);
    return {p.x, (r.top + r.bottom) / 2};
}

inline void post_mouse(HWND h, UINT msg, WPARAM keys, POINT p) {
    PostMessageW(h, msg, keys, MAKELPARAM(p.x, p.y));
}

// A left click on column `column`'s header.
inline void click_header(rt::Window& w, rt::Id control, int column) {
    HWND header = list_header(w, control);
    const POINT p = header_point(w, control, column);
    post_mouse(header, WM_MOUSEMOVE, 0, p);
    post_mouse(header, WM_LBUTTONDOWN, MK_LBUTTON, p);
    post_mouse(header, WM_LBUTTONUP, 0, p);
}

// The left button pressed on column `from`'s header, moved in steps and released over column `to`'s header.
inline void drag_header(rt::Window& w, rt::Id control, int from, int to) {
    HWND header = list_header(w, control);
    const POINT a = header_point(w, control, from), b = header_point(w, control, to);
    post_mouse(header, WM_MOUSEMOVE, 0, a);
    post_mouse(header, WM_LBUTTONDOWN, MK_LBUTTON, a);
    for (int i = 1; i <= 4; ++i)
        post_mouse(header, WM_MOUSEMOVE, MK_LBUTTON, {a.x + (b.x - a.x) * i / 4, a.y + (b.y - a.y) * i / 4});
    post_mouse(header, WM_LBUTTONUP, 0, b);
}

// The left button pressed on column `from`'s header and released over row `row` of column `to` (the header
// holds the mouse while its button is down, so the release comes to it, in its coordinates).
inline void drag_header_to_cell(rt::Window& w, rt::Id control, int from, int row, int to) {
    HWND header = list_header(w, control);
    const POINT a = header_point(w, control, from);
    POINT b = row_point(w, control, row, to);
    MapWindowPoints(w.handle(control), header, &b, 1);
    post_mouse(header, WM_LBUTTONDOWN, MK_LBUTTON, a);
    post_mouse(header, WM_MOUSEMOVE, MK_LBUTTON, {(a.x + b.x) / 2, (a.y + b.y) / 2});
    post_mouse(header, WM_MOUSEMOVE, MK_LBUTTON, b);
    post_mouse(header, WM_LBUTTONUP, 0, b);
}

// A drag of the divider at the right edge of column `column`'s header by dx pixels, as a user resizes it.
inline void drag_divider(rt::Window& w, rt::Id control, int column, int dx) {
    HWND header = list_header(w, control);
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
    const POINT a{r.right - 1, (r.top + r.bottom) / 2};
    post_mouse(header, WM_MOUSEMOVE, 0, a);
    post_mouse(header, WM_LBUTTONDOWN, MK_LBUTTON, a);
    for (int i = 1; i <= 4; ++i)
        post_mouse(header, WM_MOUSEMOVE, MK_LBUTTON, {a.x + dx * i / 4, a.y});
    post_mouse(header, WM_LBUTTONUP, 0, {a.x + dx, a.y});
}

inline void click_row(rt::Window& w, rt::Id control, int row, int column = 1) {
    HWND h = w.handle(control);
    const POINT p = row_point(w, control, row, column);
    post_mouse(h, WM_MOUSEMOVE, 0, p);
    post_mouse(h, WM_LBUTTONDOWN, MK_LBUTTON, p);
    post_mouse(h, WM_LBUTTONUP, 0, p);
}

inline void right_click_row(rt::Window& w, rt::Id control, int row, int column = 1) {
    HWND h = w.handle(control);
    const POINT p = row_point(w, control, row, column);
    post_mouse(h, WM_MOUSEMOVE, 0, p);
    post_mouse(h, WM_RBUTTONDOWN, MK_RBUTTON, p);
    post_mouse(h, WM_RBUTTONUP, 0, p);
}

// Down, up, double click, up: what the system sends for a double click.
inline void double_click_row(rt::Window& w, rt::Id control, int row, int column = 1) {
    HWND h = w.handle(control);
    const POINT p = row_point(w, control, row, column);
    post_mouse(h, WM_MOUSEMOVE, 0, p);
    post_mouse(h, WM_LBUTTONDOWN, MK_LBUTTON, p);
    post_mouse(h, WM_LBUTTONUP, 0, p);
    post_mouse(h, WM_LBUTTONDBLCLK, MK_LBUTTON, p);
    post_mouse(h, WM_LBUTTONUP, 0, p);
}

// The events that come until the window has nothing more to do (the posted mouse messages taken, through the
// window's own loop), without the focus and size events; so a test can tell that an event did not come. Any
// driver installed stays in charge of the prompts.
class UntilIdle : public rt::Driver {
public:
    static constexpr int sentinel = 0x7FFF;
    explicit UntilIdle(rt::Driver* outer) : outer_(outer) {}
    int message(const rt::MessageRequest& r) override { return outer_ ? outer_->message(r) : 0; }
    int popup(const std::vector<std::string>& items) override { return outer_ ? outer_->popup(items) : 0; }
    bool stop(std::string_view text) override { return outer_ && outer_->stop(text); }
    void halt(std::string_view text) override {
        if (outer_) outer_->halt(text);
    }
    void beep() override {
        if (outer_) outer_->beep();
    }
    bool file_open(std::string_view title, std::string& path, std::string_view filter) override {
        return outer_ && outer_->file_open(title, path, filter);
    }
    void idle(rt::Window& w) override {
        if (!posted_) {
            posted_ = true;
            w.post(rt::EventKind::accepted, sentinel);
        } else if (GetTickCount() - start_ > 5000) {
            throw std::runtime_error("the window did not come back to its events");
        }
    }

private:
    rt::Driver* outer_;
    bool posted_ = false;
    DWORD start_ = GetTickCount();
};

inline std::vector<rt::Event> events_until_idle(rt::Window& w) {
    rt::Driver* outer = rt::installed_driver();
    UntilIdle driver(outer);
    rt::install_driver(&driver);
    struct Restore {
        rt::Driver* outer;
        ~Restore() { rt::install_driver(outer); }
    } restore{outer};
    std::vector<rt::Event> out;
    for (;;) {
        const rt::Event e = w.accept();
        if (!e || e.control == UntilIdle::sentinel) break;
        if (e.kind != rt::EventKind::selected && e.kind != rt::EventKind::gain_focus && e.kind != rt::EventKind::sized)
            out.push_back(e);
    }
    return out;
}

// The events as text for failure messages: "alert_key 3, drop 3".
inline std::string describe(const std::vector<rt::Event>& events) {
    std::string s;
    for (const rt::Event& e : events) {
        if (!s.empty()) s += ", ";
        s += std::string(kind_name(e.kind)) + " " + std::to_string(e.control);
    }
    return s.empty() ? "no events" : s;
}

} // namespace uitest
