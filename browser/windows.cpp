// The exports that find and work windows and controls of other programs. Each takes its handle from the caller
// and tests it with IsWindow before anything else; none needs the browser.
#include "browser/Brovana.h"
#include "browser/ansi.h"
#include "browser/app.h"
#include "browser/foreground.h"

#include <windows.h>

#include <string_view>

namespace {

// Set by the enumeration callback when a title matches; FindProgram clears it first.
HWND foundWindow = nullptr;

BOOL CALLBACK FindWindowByTitleProc(HWND window, LPARAM) {
    wchar_t title[1024] = {};
    int n = GetWindowTextW(window, title, 1023);
    title[n > 0 ? n : 0] = L'\0';
    if (std::wstring_view(title).find(FindProgramText) == std::wstring_view::npos) return TRUE;
    foundWindow = window;
    return FALSE;
}

// The control of the kind under parent, a direct child of the class (and, for buttons, the text); null when
// parent is not a window or nothing matches. For the edit field of an extended combo box the searches are chained.
HWND FindChildControl(HWND parent, BYTE kind, const char* name) {
    if (!IsWindow(parent)) return nullptr;
    std::wstring wide = brovana::fromAnsi(name);
    switch (kind) {
    case 1:
        return wide.empty() ? nullptr : FindWindowExW(parent, nullptr, L"Button", wide.c_str());
    case 2: {
        HWND combo = FindWindowExW(parent, nullptr, L"ComboBoxEx32", nullptr);
        HWND inner = combo ? FindWindowExW(combo, nullptr, L"ComboBox", nullptr) : nullptr;
        return inner ? FindWindowExW(inner, nullptr, L"Edit", nullptr) : nullptr;
    }
    case 3:
        return FindWindowExW(parent, nullptr, L"Edit", nullptr);
    case 4:
        return FindWindowExW(parent, nullptr, wide.c_str(), nullptr);
    case 5:
        return FindWindowExW(parent, nullptr, L"CtrlNotifySink", nullptr);
    default:
        return nullptr;
    }
}

// The text goes through a buffer of 1,024 UTF-16 units. A longer text is cut to its first 1,023 units, never in
// the middle of a double-byte character (one code page 949 character is one unit) and always terminated.
BYTE SetControlText(HWND control, const char* text) {
    if (!IsWindow(control)) return FALSE;
    if (!IsWindowEnabled(control)) ShowWindow(control, SW_SHOW);
    wchar_t buffer[1024] = {};
    try {
        std::wstring wide = brovana::fromAnsi(text);
        std::size_t keep = wide.size() < 1023 ? wide.size() : 1023;
        if (keep == 1023 && IS_HIGH_SURROGATE(wide[keep - 1])) --keep;
        wide.copy(buffer, keep);
    } catch (...) {
        return FALSE;
    }
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(buffer));
    return TRUE;
}

// Raises, activates and shows the window, then brings it to the foreground from whichever thread holds it.
BYTE ActivateWindow(HWND window) {
    if (!IsWindow(window)) return FALSE;
    SetForegroundWindow(window);
    SetActiveWindow(window);
    ShowWindow(window, SW_SHOW);
    brovana::ForegroundSwitch(window);
    return TRUE;
}

// A disabled window is shown first; it stays disabled, and the message goes to it all the same.
LRESULT SendToWindow(HWND window, UINT message) {
    if (!IsWindow(window)) return 0;
    if (!IsWindowEnabled(window)) ShowWindow(window, SW_SHOW);
    return SendMessageW(window, message, 0, 0);
}

} // namespace

extern "C" {

HWND __stdcall FindProgram(const char* part) {
    try {
        foundWindow = nullptr;
        FindProgramText = brovana::fromAnsi(part);
        EnumWindows(FindWindowByTitleProc, 0);
        return foundWindow;
    } catch (...) {
        return nullptr;
    }
}

HWND __stdcall FindControl(HWND parent, std::uint32_t kind, const char* name) {
    try {
        return FindChildControl(parent, static_cast<BYTE>(kind), name);
    } catch (...) {
        return nullptr;
    }
}

BYTE __stdcall CtrlEditString(HWND control, const char* text) {
    return SetControlText(control, text);
}

LRESULT __stdcall ButtonClick(HWND button) {
    return SendToWindow(button, BM_CLICK);
}

LRESULT __stdcall WindowClose(HWND window) {
    return SendToWindow(window, WM_CLOSE);
}

BYTE __stdcall SetTopWindow(HWND window, std::uint32_t on) {
    if (!IsWindow(window)) return FALSE;
    HWND after = static_cast<BYTE>(on) == 1 ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return TRUE;
}

BYTE __stdcall SetActWindow(HWND window) {
    return ActivateWindow(window);
}

BYTE __stdcall SetHideWindow(HWND window) {
    if (!IsWindow(window)) return FALSE;
    ShowWindow(window, SW_SHOW);
    return TRUE;
}

BYTE __stdcall SetWindowSize(HWND window, int x, int y, int width, int height) {
    if (!IsWindow(window)) return FALSE;
    MoveWindow(window, x, y, width, height, TRUE);
    return TRUE;
}

BYTE __stdcall IsFindWindow(HWND window) {
    return IsWindow(window) ? 1 : 0;
}

void __stdcall GetDesktopSize(short* left, short* top, short* right, short* bottom) {
    RECT r{};
    GetClientRect(GetDesktopWindow(), &r);
    if (left) *left = static_cast<short>(r.left);
    if (top) *top = static_cast<short>(r.top);
    if (right) *right = static_cast<short>(r.right);
    if (bottom) *bottom = static_cast<short>(r.bottom);
}
}
