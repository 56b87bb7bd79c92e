// The status bar: the common controls' status window with one part.
#include "runtime/statusbar.h"

#ifdef _WIN32

#include "runtime/text.h"
#include "runtime/win32.h"

#include <commctrl.h>

namespace rt {

StatusBar::StatusBar(Window& window) {
    bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window.hwnd(), nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (!bar_) report_failure("CreateWindowExW", "status bar");
    else SendMessageW(bar_, WM_SETFONT, reinterpret_cast<WPARAM>(window.font()), TRUE);
}

StatusBar::~StatusBar() {
    if (bar_ && IsWindow(bar_)) DestroyWindow(bar_);
}

void StatusBar::set_text(std::string_view cp949) {
    if (bar_) SendMessageW(bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(cp949).c_str()));
}

std::string StatusBar::text() const {
    if (!bar_) return {};
    const auto n = LOWORD(SendMessageW(bar_, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring w(n + 1u, L'\0');
    SendMessageW(bar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(w.data()));
    w.resize(n);
    return narrow(w);
}

void StatusBar::resize() {
    if (bar_) SendMessageW(bar_, WM_SIZE, 0, 0);
}

} // namespace rt

#endif
