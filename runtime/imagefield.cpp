// Page-image fields: an enhanced metafile drawn stretched into the field, or at its natural size with scrolling.
#ifdef _WIN32

#include "runtime/imagefield.h"

#include "runtime/text.h"
#include "runtime/win32.h"

#include <windowsx.h>

#include <algorithm>
#include <new>

namespace rt {

namespace {

const wchar_t field_class[] = L"VelquinPageImage";

// What a field holds, owned by its window (GWLP_USERDATA) from WM_NCCREATE to WM_NCDESTROY.
struct Field {
    UniqueMetafile emf;
    SIZE natural{0, 0}; // pixels at the screen's resolution
    COLORREF background = RGB(255, 255, 255);
    int cursor = 0;                    // 0: the arrow
    bool across = false, down = false; // scroll bars on: natural size that way
};

Field* field_of(HWND h) {
    return reinterpret_cast<Field*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

// The scroll ranges follow the image and the field's size.
void update_scroll(HWND h, const Field& f) {
    RECT r;
    GetClientRect(h, &r);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    if (f.across) {
        si.nMax = std::max(0L, f.natural.cx - 1);
        si.nPage = static_cast<UINT>(r.right);
        SetScrollInfo(h, SB_HORZ, &si, TRUE);
    }
    if (f.down) {
        si.nMax = std::max(0L, f.natural.cy - 1);
        si.nPage = static_cast<UINT>(r.bottom);
        SetScrollInfo(h, SB_VERT, &si, TRUE);
    }
}

void scroll(HWND h, int bar, int code, int line) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(h, bar, &si);
    int pos = si.nPos;
    switch (code) {
    case SB_LINEUP:
        pos -= line;
        break;
    case SB_LINEDOWN:
        pos += line;
        break;
    case SB_PAGEUP:
        pos -= static_cast<int>(si.nPage);
        break;
    case SB_PAGEDOWN:
        pos += static_cast<int>(si.nPage);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = si.nMin;
        break;
    case SB_BOTTOM:
        pos = si.nMax;
        break;
    default:
        return;
    }
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(h, bar, &si, TRUE);
    InvalidateRect(h, nullptr, FALSE);
}

void paint(HWND h, const Field& f) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    // Drawn off screen first, so that paging does not flicker.
    UniqueDC memory(CreateCompatibleDC(dc));
    const HDC mem = memory.get();
    UniqueBitmap bmp(CreateCompatibleBitmap(dc, std::max(1L, r.right), std::max(1L, r.bottom)));
    Selected drawn_on(mem, bmp.get());
    FillRect(mem, &r, UniqueBrush(CreateSolidBrush(f.background)).get());
    if (f.emf) {
        RECT to = r;
        if (f.across) {
            to.left = -GetScrollPos(h, SB_HORZ);
            to.right = to.left + f.natural.cx;
        }
        if (f.down) {
            to.top = -GetScrollPos(h, SB_VERT);
            to.bottom = to.top + f.natural.cy;
        }
        SetStretchBltMode(mem, HALFTONE);
        PlayEnhMetaFile(mem, f.emf.get(), &to);
    }
    BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
    EndPaint(h, &ps);
}

// Loads the metafile named by the new text (CP949 through the wide text of the window); none when it fails.
void load(HWND h, Field& f, const wchar_t* name) {
    f.emf.reset(name && *name ? GetEnhMetaFileW(name) : nullptr);
    f.natural = {0, 0};
    if (f.emf) {
        ENHMETAHEADER hdr{};
        GetEnhMetaFileHeader(f.emf.get(), sizeof hdr, &hdr);
        ScreenDC screen;
        // The frame is in hundredths of a millimetre.
        f.natural.cx = MulDiv(hdr.rclFrame.right - hdr.rclFrame.left, GetDeviceCaps(screen.get(), LOGPIXELSX), 2540);
        f.natural.cy = MulDiv(hdr.rclFrame.bottom - hdr.rclFrame.top, GetDeviceCaps(screen.get(), LOGPIXELSY), 2540);
    } else if (name && *name) {
        report_failure("GetEnhMetaFileW", narrow(name));
    }
    update_scroll(h, f);
    InvalidateRect(h, nullptr, FALSE);
}

LRESULT CALLBACK field_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Field* f = field_of(h);
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new (std::nothrow) Field));
        break;
    case WM_NCDESTROY:
        delete f;
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        break;
    case WM_SETTEXT:
        if (f) load(h, *f, reinterpret_cast<const wchar_t*>(lp));
        break; // the window keeps the text too
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (!f) break;
        paint(h, *f);
        return 0;
    case WM_SIZE:
        if (f) update_scroll(h, *f);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_HSCROLL:
        scroll(h, SB_HORZ, LOWORD(wp), 20);
        return 0;
    case WM_VSCROLL:
        scroll(h, SB_VERT, LOWORD(wp), 20);
        return 0;
    case WM_MOUSEWHEEL:
        if (f && f->down) scroll(h, SB_VERT, GET_WHEEL_DELTA_WPARAM(wp) > 0 ? SB_LINEUP : SB_LINEDOWN, 60);
        return 0;
    case WM_SETCURSOR:
        if (f && f->cursor && LOWORD(lp) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(f->cursor)));
            return TRUE;
        }
        break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

} // namespace

const wchar_t* page_image_class() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = field_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = field_class;
        if (!RegisterClassExW(&wc)) report_failure("RegisterClassExW", "VelquinPageImage");
        registered = true;
    }
    return field_class;
}

void set_image_scrollbars(Window& w, Id control, bool horizontal, bool vertical) {
    HWND h = w.handle(control);
    Field* f = h ? field_of(h) : nullptr;
    if (!f) return;
    f->across = horizontal;
    f->down = vertical;
    SetScrollPos(h, SB_HORZ, 0, FALSE);
    SetScrollPos(h, SB_VERT, 0, FALSE);
    ShowScrollBar(h, SB_HORZ, horizontal);
    ShowScrollBar(h, SB_VERT, vertical);
    update_scroll(h, *f);
    InvalidateRect(h, nullptr, FALSE);
}

SIZE image_size(const Window& w, Id control) {
    HWND h = w.handle(control);
    const Field* f = h ? field_of(h) : nullptr;
    if (!f) return {0, 0};
    return {w.units().du_x(f->natural.cx), w.units().du_y(f->natural.cy)};
}

void set_image_background(Window& w, Id control, COLORREF colour) {
    HWND h = w.handle(control);
    if (Field* f = h ? field_of(h) : nullptr) {
        f->background = colour;
        InvalidateRect(h, nullptr, FALSE);
    }
}

void set_image_cursor(Window& w, Id control, int cursor) {
    HWND h = w.handle(control);
    if (Field* f = h ? field_of(h) : nullptr) f->cursor = cursor;
}

} // namespace rt

#endif
