// The window resizer.
#ifdef _WIN32

#include "runtime/resizer.h"

#include <algorithm>

namespace rt {

namespace {

// One axis: start and length in the design (a0, l0) for a window extent e0, now e.
void place_axis(int a0, int l0, int e0, int e, unsigned pos, bool keep_length, bool follow, int& a, int& l) {
    if (pos & 0x10) pos = a0 <= e0 - (a0 + l0) ? 0x04 : 0x02; // the nearer edge
    const int d = e - e0;
    if (pos & 0x02)
        a = a0 + d;
    else if (pos & 0x08)
        a = a0 + d / 2;
    else if (pos & (0x01 | 0x04))
        a = a0;
    else
        a = e0 > 0 ? MulDiv(a0, e, e0) : a0;
    if (keep_length)
        l = l0;
    else if (follow)
        l = e - (e0 - (a0 + l0)) - a;
    else
        l = e0 > 0 ? MulDiv(l0, e, e0) : l0;
    if (l < 0) l = 0;
}

} // namespace

RECT place(const RECT& design, int w0, int h0, int w, int h, unsigned position, unsigned size) {
    int x = 0, y = 0, cw = 0, ch = 0;
    place_axis(design.left, design.right - design.left, w0, w, position & 0xFF, size & resize::keep_width,
               size & resize::follow_right, x, cw);
    place_axis(design.top, design.bottom - design.top, h0, h, (position >> 8) & 0xFF, size & resize::keep_height,
               size & resize::follow_bottom, y, ch);
    return {x, y, x + cw, y + ch};
}

void Resizer::default_strategy(Kind kind, unsigned& position, unsigned& size) {
    switch (kind) {
    case Kind::list:
    case Kind::tree:
    case Kind::group_box:
    case Kind::panel:
    case Kind::image:
    case Kind::sheet:
        // Left and top edges stay; the control stretches with the window.
        position = resize::left | resize::top;
        size = resize::follow_right | resize::follow_bottom;
        break;
    default:
        // Buttons, entries and prompts keep their size and their distance to the nearest edges, so that they stay
        // with the frames around them.
        position = resize::nearest_x | resize::nearest_y;
        size = resize::keep_width | resize::keep_height;
        break;
    }
}

void Resizer::init(Window& window, int app_strategy, bool min_size, bool max_size) {
    window_ = &window;
    strategy_ = app_strategy;
    rules_.assign(window.description().controls.size(), Rule{});
    const WindowDesc& d = window.description();
    const SIZE design{window.units().x(d.at.w), window.units().y(d.at.h)};
    window.set_size_limits(min_size ? design : SIZE{0, 0}, max_size ? design : SIZE{0, 0});
}

void Resizer::set_strategy(Id control, unsigned position, unsigned size) {
    if (!window_) return;
    const int i = window_->index_of(control);
    if (i >= 0 && i < static_cast<int>(rules_.size())) rules_[static_cast<size_t>(i)] = {true, position, size};
}

void Resizer::resize() {
    if (!window_ || !window_->hwnd() || window_->minimized()) return;
    const WindowDesc& d = window_->description();
    const DialogUnits& u = window_->units();
    const int w0 = u.x(d.at.w), h0 = u.y(d.at.h);
    const SIZE now = window_->client_size();
    const size_t n = std::min(rules_.size(), d.controls.size());
    HDWP batch = BeginDeferWindowPos(static_cast<int>(n));
    for (size_t i = 0; i < n; ++i) {
        HWND h = window_->handle_at(static_cast<int>(i));
        if (!h) continue;
        const ControlDesc& c = d.controls[i];
        unsigned pos = 0, size = 0;
        if (rules_[i].own) {
            pos = rules_[i].position;
            size = rules_[i].size;
        } else if (strategy_ == resize::spread) {
            default_strategy(c.kind, pos, size);
        }
        const RECT design{u.x(c.at.x), u.y(c.at.y), u.x(c.at.x) + u.x(c.at.w), u.y(c.at.y) + u.y(c.at.h)};
        const RECT r = place(design, w0, h0, now.cx, now.cy, pos, size);
        if (batch)
            batch = DeferWindowPos(batch, h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        else
            SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch) EndDeferWindowPos(batch);
    InvalidateRect(window_->hwnd(), nullptr, TRUE);
}

} // namespace rt

#endif
