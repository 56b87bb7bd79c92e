// The event loop of windows: the window procedure, the event queue, accept() and the driver's turn.
#ifdef _WIN32

#include "runtime/window.h"

#include "runtime/driver.h"
#include "runtime/image.h"
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

// --- the event loop ---------------------------------------------------------------------------------------------

LRESULT CALLBACK Window::thunk(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = h;
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    LRESULT result = 0;
    try {
        result = self->proc(msg, wp, lp);
    } catch (...) {
        hold_exception();
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT Window::proc(UINT msg, WPARAM wp, LPARAM lp) {
    const int count = static_cast<int>(controls_.size());
    switch (msg) {
    case WM_COMMAND: {
        const int i = LOWORD(wp) - first_control_id;
        if (lp == 0 || i < 0 || i >= count) break;
        Control& c = controls_[static_cast<size_t>(i)];
        const int code = HIWORD(wp);
        if (c.handler && c.handler->command(*this, c.desc.id, code)) return 0;
        if (kind_command(i, code)) return 0;
        if (c.desc.kind == Kind::button) {
            if (code == BN_CLICKED)
                queue({EventKind::accepted, c.desc.id});
            else if (code == BN_SETFOCUS)
                queue({EventKind::selected, c.desc.id});
        } else if (typed(c.desc.kind)) {
            if (code == EN_SETFOCUS) {
                queue({EventKind::selected, c.desc.id});
            } else if (code == EN_KILLFOCUS && SendMessageW(c.hwnd, EM_GETMODIFY, 0, 0)) {
                SendMessageW(c.hwnd, EM_SETMODIFY, FALSE, 0);
                queue({EventKind::accepted, c.desc.id});
            }
        }
        return 0;
    }
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lp);
        const int i = static_cast<int>(nm->idFrom) - first_control_id;
        if (i < 0 || i >= count || controls_[static_cast<size_t>(i)].hwnd != nm->hwndFrom) break;
        Control& c = controls_[static_cast<size_t>(i)];
        LRESULT result = 0;
        if (c.handler && c.handler->notify(*this, c.desc.id, *nm, result)) return result;
        if (nm->code == NM_SETFOCUS) {
            queue({EventKind::selected, c.desc.id});
        } else if (c.desc.kind == Kind::sheet && nm->code == TCN_SELCHANGE) {
            apply_states();
            queue({EventKind::new_selection, c.desc.id});
        } else if (c.desc.kind == Kind::list && nm->code == LVN_ITEMCHANGED) {
            const auto* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
            if ((lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED))
                queue({EventKind::new_selection, c.desc.id});
        } else if (c.desc.kind == Kind::tree && nm->code == TVN_SELCHANGEDW) {
            queue({EventKind::new_selection, c.desc.id});
        }
        return 0;
    }
    case WM_SIZE:
        if (status_bar_) SendMessageW(status_bar_, WM_SIZE, 0, 0); // the bar lays itself along the bottom
        if (opened_ && wp != SIZE_MINIMIZED) queue({EventKind::sized});
        return 0;
    case WM_DRAWITEM:
        if (draw_status(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
        break;
    case WM_GETMINMAXINFO: {
        auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
        const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
        auto outer = [&](SIZE s) {
            RECT r{0, 0, s.cx, s.cy};
            AdjustWindowRectEx(&r, style, FALSE, ex);
            return POINT{r.right - r.left, r.bottom - r.top};
        };
        // The limits are the controls' area's; the status bar lies below it.
        const int bar = status_height();
        if (min_.cx > 0 && min_.cy > 0) mm->ptMinTrackSize = outer({min_.cx, min_.cy + bar});
        if (max_.cx > 0 && max_.cy > 0) mm->ptMaxTrackSize = outer({max_.cx, max_.cy + bar});
        return 0;
    }
    case WM_WINDOWPOSCHANGING: {
        // The limits hold for every size the window is given in its normal state, not only for the user's
        // dragging of its frame (a window manager may resize it, a program may set a size).
        auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
        if ((pos->flags & SWP_NOSIZE) || IsZoomed(hwnd_) || IsIconic(hwnd_)) break;
        MINMAXINFO mm{};
        mm.ptMaxTrackSize = {INT_MAX, INT_MAX};
        proc(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
        pos->cx = std::clamp(pos->cx, static_cast<int>(mm.ptMinTrackSize.x), static_cast<int>(mm.ptMaxTrackSize.x));
        pos->cy = std::clamp(pos->cy, static_cast<int>(mm.ptMinTrackSize.y), static_cast<int>(mm.ptMaxTrackSize.y));
        break;
    }
    case WM_ERASEBKGND:
        // Under the frame of a group box on a sheet lies the page, not the window.
        if (frame_painting_) {
            const auto dc = reinterpret_cast<HDC>(wp);
            RECT r{};
            GetClientRect(hwnd_, &r);
            if (HBRUSH b = sheet_brush(frame_painting_, dc)) {
                FillRect(dc, &r, b);
                return 1;
            }
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (HBRUSH b = sheet_brush(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp)))
            return reinterpret_cast<LRESULT>(b);
        break;
    case WM_CLOSE:
        queue({EventKind::close_window});
        return 0;
    case WM_TIMER:
        if (wp == timer_id) queue({EventKind::timer});
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(hwnd_, f)) saved_focus_ = f;
            return 0;
        }
        if (opened_) queue({EventKind::gain_focus});
        if (saved_focus_ && IsWindow(saved_focus_) && IsWindowVisible(saved_focus_) && IsWindowEnabled(saved_focus_))
            SetFocus(saved_focus_);
        else
            move_focus(1);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd_, timer_id);
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void Window::queue(Event e) {
    if (ended_) return;
    // Size changes and timer ticks that pile up while the program is busy count once.
    if (e.kind == EventKind::sized || e.kind == EventKind::timer || e.kind == EventKind::gain_focus)
        for (const Event& q : events_)
            if (q.kind == e.kind) return;
    events_.push_back(e);
}

void Window::post(EventKind kind, Id control, KeyCode k) {
    if (!ended_) events_.push_back({kind, control.value, k});
}

void Window::open() {
    if (opened_ || !hwnd_) return;
    if (owner_ && !desc_.owner) EnableWindow(owner_, FALSE);
    window_detail::open_windows().push_back(this);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    opened_ = true; // from here on: the size of the window opening is no size change
    if (!GetFocus() || !IsChild(hwnd_, GetFocus())) move_focus(1);
}

Event Window::accept() {
    if (ending_) end_loop();
    for (;;) {
        rethrow_held();
        if (ended_ || !hwnd_) return {};
        if (!events_.empty()) {
            const Event e = events_.front();
            events_.pop_front();
            if (e.kind == EventKind::close_window) ending_ = true;
            if (Driver* d = installed_driver()) d->event(*this, e);
            return e;
        }
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // for the loops further out
                end_loop();
                return {};
            }
            process(msg);
            continue;
        }
        if (Driver* d = installed_driver()) {
            d->idle(*this);
            if (events_.empty()) MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        WaitMessage();
    }
}

void Window::process(MSG& msg) {
    const bool mine = msg.hwnd && hwnd_ && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd));
    const int index = mine ? control_of(msg.hwnd) : -1;
    bool done = false;
    if (mine && msg.message == WM_KEYDOWN) {
        const auto code =
            static_cast<UINT>(SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
        if (msg.wParam == VK_TAB && !(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) {
            move_focus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
            done = true;
        } else if (msg.wParam == VK_RETURN && (code & DLGC_BUTTON) && !alerted(0, VK_RETURN)) {
            SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
            done = true;
        } else if ((msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) && index >= 0 &&
                   typed(controls_[static_cast<size_t>(index)].desc.kind) &&
                   controls_[static_cast<size_t>(index)].desc.kind != Kind::text) {
            done = true; // a one-line entry has nothing to do with them (and would beep)
        }
    }
    if (!done) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (mine) after_input(msg, index);
}

// Keys that press a control, then alerts: both after the key's or click's ordinary effect.
void Window::after_input(const MSG& msg, int index) {
    KeyCode k = 0;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        k = static_cast<KeyCode>(msg.wParam & 0xFFFF) | window_detail::modifiers();
        break;
    case WM_LBUTTONDOWN:
        k = key::mouse_left;
        break;
    case WM_LBUTTONDBLCLK:
        k = key::mouse_left2;
        break;
    case WM_RBUTTONDOWN:
        k = key::mouse_right;
        break;
    default:
        return;
    }
    if (ended_) return;
    // A press on a list's header is not yet a click: it may become a drag. The list alerts it on the release.
    if (k == key::mouse_left && index >= 0 && controls_[static_cast<size_t>(index)].desc.kind == Kind::list &&
        msg.hwnd != controls_[static_cast<size_t>(index)].hwnd)
        return;
    if (!(k & key::mouse))
        for (int i = 0; i < static_cast<int>(controls_.size()); ++i)
            if (controls_[static_cast<size_t>(i)].desc.key == k && effective_shown(i) && effective_active(i)) {
                queue({EventKind::accepted, controls_[static_cast<size_t>(i)].desc.id});
                return;
            }
    for (const Alert& a : alerts_)
        if (a.key == k && (a.index < 0 || a.index == index)) {
            queue({EventKind::alert_key, index >= 0 ? controls_[static_cast<size_t>(index)].desc.id : 0, k});
            return;
        }
}

bool Window::alerted(Id control, KeyCode key) const {
    const int index = index_of(control);
    for (const Alert& a : alerts_)
        if (a.key == key && (a.index < 0 || a.index == index)) return true;
    return false;
}

void Window::end_loop() {
    if (ended_) return;
    ended_ = true;
    ending_ = false;
    events_.clear();
    if (hwnd_) KillTimer(hwnd_, timer_id);
    auto& open = window_detail::open_windows();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (owner_ && !desc_.owner) EnableWindow(owner_, TRUE);
    if (opened_ && hwnd_) {
        const bool active = GetActiveWindow() == hwnd_;
        ShowWindow(hwnd_, SW_HIDE);
        if (active && owner_) SetActiveWindow(owner_);
    }
}

void Window::close() {
    end_loop();
    if (hwnd_) DestroyWindow(hwnd_);
}

} // namespace rt

#endif
