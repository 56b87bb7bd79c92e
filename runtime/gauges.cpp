// Spin boxes and progress bars.
#ifdef _WIN32

#include "runtime/gauges.h"

#include "runtime/imagefield.h"

#include <commctrl.h>

namespace rt {

const wchar_t* extra_control_class(Kind kind, DWORD& style, DWORD& ex) {
    switch (kind) {
    case Kind::page:
        return page_image_class();
    case Kind::spin:
        style |= ES_AUTOHSCROLL | ES_NUMBER | WS_TABSTOP;
        ex = WS_EX_CLIENTEDGE;
        return L"EDIT";
    case Kind::progress:
        return PROGRESS_CLASSW;
    default:
        return L"STATIC";
    }
}

namespace {
const wchar_t arrows_prop[] = L"VelquinSpinArrows";

HWND arrows_of(const Window& w, Id control) {
    HWND entry = w.handle(control);
    return entry ? static_cast<HWND>(GetPropW(entry, arrows_prop)) : nullptr;
}
} // namespace

void add_spin_arrows(HWND entry) {
    // The arrows carry the entry's id, so that a click on them counts as one on the spin box.
    HWND arrows = CreateWindowExW(
        0, UPDOWN_CLASSW, L"",
        WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0,
        GetParent(entry), reinterpret_cast<HMENU>(GetDlgCtrlID(entry)), GetModuleHandleW(nullptr), nullptr);
    if (!arrows) {
        report_failure("CreateWindowExW", "up-down");
        return;
    }
    SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(entry), 0);
    SendMessageW(arrows, UDM_SETRANGE32, 0, 99999);
    SetPropW(entry, arrows_prop, arrows);
}

void set_spin_range(Window& w, Id control, int low, int high) {
    if (HWND arrows = arrows_of(w, control)) SendMessageW(arrows, UDM_SETRANGE32, low, high);
}

void set_progress(Window& w, Id control, int percent) {
    if (HWND h = w.handle(control)) SendMessageW(h, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

int progress(const Window& w, Id control) {
    HWND h = w.handle(control);
    return h ? static_cast<int>(SendMessageW(h, PBM_GETPOS, 0, 0)) : 0;
}

} // namespace rt

#endif
