// The window resizer.
#ifdef _WIN32

#include "runtime/resizer.h"

#include <algorithm>
#include <vector>

namespace rt {

namespace {

// One axis: start and length in the design (a0, l0) for a window extent e0, now e. `pos` is the axis's byte of
// the position strategy, in the bits of the x byte.
void place_axis(int a0, int l0, int e0, int e, unsigned pos, bool keep_length, bool follow, int& a, int& l) {
    using namespace resize;
    if (pos & nearest_x) pos = a0 <= e0 - (a0 + l0) ? left : right;
    const int d = e - e0;
    if (pos & right)
        a = a0 + d;
    else if (pos & centre_x)
        a = a0 + d / 2;
    else if (pos & (keep_x | left))
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

bool fixed_size(unsigned size) {
    return (size & (resize::keep_width | resize::keep_height)) == (resize::keep_width | resize::keep_height);
}

bool encloses(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

} // namespace

RECT place(const RECT& design, int w0, int h0, int w, int h, unsigned position, unsigned size) {
    int x = 0, y = 0, cw = 0, ch = 0;
    place_axis(design.left, design.right - design.left, w0, w, position & resize::axis_bits, size & resize::keep_width,
               size & resize::follow_right, x, cw);
    place_axis(design.top, design.bottom - design.top, h0, h, (position >> resize::y_shift) & resize::axis_bits,
               size & resize::keep_height, size & resize::follow_bottom, y, ch);
    return {x, y, x + cw, y + ch};
}

void Resizer::default_strategy(Kind kind, unsigned& position, unsigned& size) {
    switch (kind) {
    case Kind::list:
    case Kind::tree:
    case Kind::group:
    case Kind::group_box:
    case Kind::panel:
    case Kind::image:
    case Kind::sheet:
        // Left and top edges stay; the control stretches with the window.
        position = resize::left | resize::top;
        size = resize::follow_right | resize::follow_bottom;
        break;
    case Kind::entry:
    case Kind::prompt:
        // Place and width scale with the window; the height stays, as the text's does.
        position = 0;
        size = resize::keep_height;
        break;
    default:
        // Buttons (and the other small controls) keep their size and their distance to the nearest edges.
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

Resizer::Rule Resizer::rule_of(std::size_t index) const {
    if (rules_[index].own) return rules_[index];
    Rule r;
    if (strategy_ == resize::spread) default_strategy(window_->description().controls[index].kind, r.position, r.size);
    return r;
}

int Resizer::holder_of(std::size_t index) const {
    const std::vector<ControlDesc>& cs = window_->description().controls;
    const ControlDesc& c = cs[index];
    const int parent = window_->index_of(c.parent);
    if (parent >= 0 && (cs[static_cast<size_t>(parent)].kind == Kind::group ||
                        cs[static_cast<size_t>(parent)].kind == Kind::group_box))
        return parent;
    // A group box draws a frame around controls that lie on the same page or window as it does.
    int holder = -1;
    for (std::size_t i = 0; i < index; ++i) {
        const ControlDesc& g = cs[i];
        if (g.kind == Kind::group_box && g.parent == c.parent && encloses(g.at, c.at) &&
            (holder < 0 || encloses(cs[static_cast<size_t>(holder)].at, g.at)))
            holder = static_cast<int>(i);
    }
    return holder;
}

void Resizer::resize() {
    if (!window_ || !window_->hwnd() || window_->minimized()) return;
    const WindowDesc& d = window_->description();
    const DialogUnits& u = window_->units();
    const int w0 = u.x(d.at.w), h0 = u.y(d.at.h);
    const SIZE now = window_->client_size();
    const size_t n = std::min(rules_.size(), d.controls.size());
    // Every control's place, groups without a window of their own included; a holder comes before what it holds.
    std::vector<RECT> design(n), placed(n);
    for (size_t i = 0; i < n; ++i) {
        const Rect& a = d.controls[i].at;
        design[i] = {u.x(a.x), u.y(a.y), u.x(a.x) + u.x(a.w), u.y(a.y) + u.y(a.h)};
        const Rule r = rule_of(i);
        const int holder = r.own ? -1 : holder_of(i);
        if (holder >= 0 && static_cast<size_t>(holder) < i && fixed_size(rule_of(static_cast<size_t>(holder)).size)) {
            const auto g = static_cast<size_t>(holder);
            placed[i] = design[i];
            OffsetRect(&placed[i], placed[g].left - design[g].left, placed[g].top - design[g].top);
        } else {
            placed[i] = place(design[i], w0, h0, now.cx, now.cy, r.position, r.size);
        }
    }
    // Each control draws itself anew where it goes: what stood at its old place may have been drawn over by a
    // picture (pictures do not clip their neighbours), and copied along it would stay.
    HDWP batch = BeginDeferWindowPos(static_cast<int>(n));
    bool moved = false;
    for (size_t i = 0; i < n; ++i) {
        HWND h = window_->handle_at(static_cast<int>(i));
        if (!h) continue;
        const RECT& r = placed[i];
        // One already in its place is left alone: each move costs a round of messages through the control and
        // its parts.
        RECT at{};
        GetWindowRect(h, &at);
        MapWindowPoints(nullptr, window_->hwnd(), reinterpret_cast<POINT*>(&at), 2);
        // A drop list's frame takes the height of its closed list, whatever height it is given.
        if (d.controls[i].kind == Kind::drop_list) at.bottom = r.bottom;
        if (EqualRect(&at, &r)) continue;
        moved = true;
        if (batch)
            batch = DeferWindowPos(batch, h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
        else
            SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (batch) EndDeferWindowPos(batch);
    // The whole window, every control in it too: a control that did not move may have been drawn over.
    if (moved) RedrawWindow(window_->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace rt

#endif
