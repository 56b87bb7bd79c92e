// The status bar of a window described with one: the common controls' status window with one part, along the
// bottom of the window below the controls' area. Its text is drawn by the window, in the colour it was given.
#ifdef _WIN32

#include "runtime/text.h"
#include "runtime/win32.h"
#include "runtime/window.h"

#include <commctrl.h>

namespace rt {

// Made after the controls, so that it lies above them; the window grows by the bar's height, so that the client
// area of the description stays whole above it.
void Window::create_status_bar() {
    status_bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!status_bar_) {
        report_failure("CreateWindowExW", "status bar");
        return;
    }
    SendMessageW(status_bar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageW(status_bar_, WM_SIZE, 0, 0);
    SendMessageW(status_bar_, SB_SETTEXTW, SBT_OWNERDRAW, 0);
    const int bar = status_height();
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int top = desc_.at.y == unchanged ? r.top - bar / 2 : r.top;
    SetWindowPos(hwnd_, nullptr, r.left, top, r.right - r.left, r.bottom - r.top + bar, SWP_NOZORDER | SWP_NOACTIVATE);
}

int Window::status_height() const {
    if (!status_bar_ || !(GetWindowLongPtrW(status_bar_, GWL_STYLE) & WS_VISIBLE)) return 0;
    RECT r{};
    GetWindowRect(status_bar_, &r);
    return r.bottom - r.top;
}

void Window::set_status(std::string_view cp949) {
    status_text_ = wide(cp949);
    if (status_bar_) InvalidateRect(status_bar_, nullptr, TRUE);
}

std::string Window::status() const {
    return narrow(status_text_);
}

void Window::set_status_colour(COLORREF colour) {
    status_colour_ = colour;
    if (status_bar_) InvalidateRect(status_bar_, nullptr, TRUE);
}

// The bar's one part is drawn by its owner: the text in its colour, cut with an ellipsis where it is too long.
bool Window::draw_status(const DRAWITEMSTRUCT& item) {
    if (!status_bar_ || item.hwndItem != status_bar_) return false;
    RECT r = item.rcItem;
    r.left += GetSystemMetrics(SM_CXEDGE);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, status_colour_ == CLR_INVALID ? GetSysColor(COLOR_BTNTEXT) : status_colour_);
    Selected font(item.hDC, font_.get());
    DrawTextW(item.hDC, status_text_.c_str(), static_cast<int>(status_text_.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    return true;
}

} // namespace rt

#endif
