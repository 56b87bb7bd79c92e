// The browser's windows: the top-level frame with its bar strips and the page area, which records every mouse and
// keyboard message it receives and shows the I-beam over its text field and the hand over its link; and the popup
// windows that allowed new windows open.
#include "standin.h"

#include <windowsx.h>

namespace standin {
namespace {

constexpr int kBarHeight = 20;

Browser* browserOf(HWND window) {
    return reinterpret_cast<Browser*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void record(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    LONG n = shared->count;
    if (n < static_cast<LONG>(kMaxRecords)) {
        InputRecord& r = shared->records[n];
        r.message = message;
        r.wParam = static_cast<UINT>(wparam);
        r.lParam = static_cast<LONG>(lparam);
        r.x = r.y = 0;
        if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
            POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) ScreenToClient(window, &p);
            r.x = p.x;
            r.y = p.y;
        }
        r.time = static_cast<DWORD>(GetMessageTime());
        InterlockedExchange(&shared->count, n + 1);
    }
    wakeClient();
}

HCURSOR cursorFor(HWND page) {
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(page, &p);
    // The caller's own handles of the system cursors when it gave them: a cursor handle names one process's
    // cursor under some systems, and the caller compares the shown cursor with its own.
    auto pick = [](volatile LONG& given, LPCWSTR id) {
        return given ? reinterpret_cast<HCURSOR>(static_cast<LONG_PTR>(given)) : LoadCursorW(nullptr, id);
    };
    if (PtInRect(&kTextField, p)) return pick(shared->ibeamCursor, IDC_IBEAM);
    if (PtInRect(&kLink, p)) return pick(shared->handCursor, IDC_HAND);
    return pick(shared->arrowCursor, IDC_ARROW);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYFIRST && message <= WM_KEYLAST)) {
        record(window, message, wparam, lparam);
        if (message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN) SetFocus(window);
        // The page takes Alt for itself, so that no menu mode starts.
        return 0;
    }
    switch (message) {
    case WM_SETFOCUS:
        wakeClient(); // the client may wait for the page to hold the focus
        break;
    case WM_SETCURSOR:
        if (LOWORD(lparam) != HTCLIENT) break;
        SetCursor(cursorFor(window));
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT field = kTextField;
        DrawEdge(dc, &field, EDGE_SUNKEN, BF_RECT);
        RECT link = kLink;
        SetTextColor(dc, RGB(0, 0, 238));
        DrawTextW(dc, L"link", -1, &link, DT_LEFT | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Browser* b = browserOf(window);
    if (!b) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
    case WM_SIZE:
        b->layout();
        return 0;
    case WM_SETFOCUS:
        if (b->page) SetFocus(b->page);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && b->page) SetFocus(b->page);
        wakeClient(); // the client may wait for the window to come to the front
        return 0;
    case WM_CLOSE:
        b->quit();
        return 0;
    case WM_DESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        windowGone(*b);
        return 0;
    case kNavigate:
        startRequested(*b);
        return 0;
    case kSteer:
        shared->answer = b->steer(static_cast<UINT>(wparam & 0xFF), static_cast<UINT>(wparam >> 8));
        InterlockedExchange(&shared->acked, static_cast<LONG>(lparam));
        wakeClient();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        InterlockedDecrement(&shared->popups);
        wakeClient();
        releaseProcess();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void registerClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = nullptr; // the page area chooses its cursor
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = L"BrovanaStandInPage";
    RegisterClassW(&wc);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = kFrameClass;
    RegisterClassW(&wc);
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = kPopupClass;
    RegisterClassW(&wc);
}

HWND bar(const Browser& b, int id) {
    return GetDlgItem(b.window, id);
}

} // namespace

void Browser::layout() {
    if (!window) return;
    RECT client{};
    GetClientRect(window, &client);
    int top = 0, bottom = client.bottom;
    const std::pair<int, bool> tops[] = {{kMenuBarId, menuBar != VARIANT_FALSE},
                                         {kToolBarId, toolBar != 0},
                                         {kAddressBarId, addressBar != VARIANT_FALSE}};
    for (auto [id, shown] : tops) {
        ShowWindow(bar(*this, id), shown ? SW_SHOW : SW_HIDE);
        if (!shown) continue;
        MoveWindow(bar(*this, id), 0, top, client.right, kBarHeight, TRUE);
        top += kBarHeight;
    }
    ShowWindow(bar(*this, kStatusBarId), statusBar ? SW_SHOW : SW_HIDE);
    if (statusBar) {
        bottom -= kBarHeight;
        MoveWindow(bar(*this, kStatusBarId), 0, bottom, client.right, kBarHeight, TRUE);
    }
    if (page) MoveWindow(page, 0, top, client.right, bottom > top ? bottom - top : 0, TRUE);
}

bool createWindows(Browser& b) {
    registerClasses();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    b.window = CreateWindowExW(0, kFrameClass, L"", WS_OVERLAPPEDWINDOW, 100, 100, 640, 480, nullptr, nullptr, instance,
                               nullptr);
    if (!b.window) return false;
    const std::pair<int, const wchar_t*> bars[] = {
        {kMenuBarId, L"menu"}, {kToolBarId, L"tools"}, {kAddressBarId, L"address"}, {kStatusBarId, L"status"}};
    for (auto [id, text] : bars)
        CreateWindowExW(0, L"STATIC", text, WS_CHILD | SS_SUNKEN, 0, 0, 0, 0, b.window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    b.page = CreateWindowExW(0, L"BrovanaStandInPage", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, b.window,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageId)), instance, nullptr);
    SetWindowLongPtrW(b.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&b));
    b.layout();
    return true;
}

void setResizable(Browser& b) {
    if (!b.window) return;
    LONG style = GetWindowLongW(b.window, GWL_STYLE);
    const LONG sizing = WS_THICKFRAME | WS_MAXIMIZEBOX;
    style = b.resizable ? style | sizing : style & ~sizing;
    SetWindowLongW(b.window, GWL_STYLE, style);
    SetWindowPos(b.window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void showBars(Browser& b) {
    b.layout();
}

void openPopup() {
    registerClasses();
    HWND popup = CreateWindowExW(0, kPopupClass, kPopupUrl, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200, 300, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!popup) return;
    holdProcess();
    InterlockedIncrement(&shared->popups);
    wakeClient();
}

} // namespace standin
