// The exports that act on the browser window as a user would: pointer moves, clicks, holds, drags, page
// scrolling and typed text, injected into the system's input stream. Positions are client points of the browser
// window. Without the browser window they do nothing and answer 0.
#include "browser/Brovana.h"
#include "browser/absolute.h"
#include "browser/app.h"
#include "browser/foreground.h"
#include "browser/sink.h"

#include <windows.h>

#include <mshtml.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

// The current sink, held for the export that asks; empty when there is none.
SinkHold currentSink() {
    CIEComCtrlSink::sweepRetired();
    return SinkHold(theApp.sink);
}

// The browser window of a sink, read from the browser at every call; null without it.
HWND windowOf(const SinkHold& sink) {
    if (!sink || !sink->hasWindow()) return nullptr;
    SHANDLE_PTR handle = 0;
    if (sink->browser && SUCCEEDED(sink->browser->get_HWND(&handle)) && handle) return reinterpret_cast<HWND>(handle);
    return sink->window;
}

// The current browser window; null without it.
HWND browserWindow() {
    return windowOf(currentSink());
}

POINT toScreen(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

// A screen point in the 0..65535 coordinates of absolute mouse events, by the current display mode.
POINT absolute(POINT screen) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    brovana::AbsolutePoint a = brovana::absoluteCoordinates(screen.x, screen.y, mode.dmPelsWidth, mode.dmPelsHeight);
    return {a.dx, a.dy};
}

void mouseEvent(DWORD flags, POINT at = {0, 0}) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = at.x;
    in.mi.dy = at.y;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

// One event with the move and absolute flags at the client point.
void mouseAt(HWND window, int x, int y, DWORD buttons) {
    mouseEvent(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons, absolute(toScreen(window, x, y)));
}

void pause(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}

void keyEvent(WORD vk, WORD scan, DWORD flags, DWORD time) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = scan;
    in.ki.dwFlags = flags;
    in.ki.time = time;
    SendInput(1, &in, sizeof in);
}

// One key pressed and released in a single call.
void keyPress(WORD vk, DWORD time) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[0].ki.time = in[1].ki.time = time;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}

// The code typed on the numeric keypad while Alt is held.
void typeAltCode(unsigned code) {
    BYTE altScan = static_cast<BYTE>(MapVirtualKeyW(VK_MENU, MAPVK_VK_TO_VSC));
    keybd_event(VK_MENU, altScan, 0, 0);
    for (char digit : std::to_string(code)) {
        WORD vk = static_cast<WORD>(VK_NUMPAD0 + (digit - '0'));
        WORD scan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        if (scan == 0)
            scan = static_cast<WORD>(MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, GetKeyboardLayout(GetCurrentThreadId())));
        keyEvent(vk, scan, 0, 0);
        keyEvent(vk, scan, KEYEVENTF_KEYUP, 0);
    }
    keybd_event(VK_MENU, altScan, KEYEVENTF_KEYUP, 0);
}

// A byte pressed as the key of that virtual-key code, with a drawn time stamp of 10 to 24.
void typeDirect(BYTE b) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    int r;
    do
        r = std::rand() % 25;
    while (r < 10);
    keyPress(b, static_cast<DWORD>(r));
}

// Calls type(code, pair) for each character of the text: a lead byte 0xAC..0xD7 and the byte after it (the
// terminator when the lead byte is last) are one character b * 256 + t; any other byte is one on its own.
template <class Type> void forEachCharacter(const char* text, Type type) {
    if (!text) return;
    std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length; ++i) {
        unsigned b = static_cast<unsigned char>(text[i]);
        if (b >= 0xAC && b <= 0xD7) {
            unsigned t = static_cast<unsigned char>(text[i + 1]);
            if (i + 1 < length) ++i;
            type(b * 256 + t, true);
        } else {
            type(b, false);
        }
    }
}

// Each character as one Alt code. With direct keys, single bytes are pressed as keys instead.
void TypeAltCodes(const char* text, bool directKeys) {
    forEachCharacter(text, [directKeys](unsigned code, bool pair) {
        if (pair || !directKeys)
            typeAltCode(code);
        else
            typeDirect(static_cast<BYTE>(code));
    });
}

// Each character as one Alt code, with a short pause after each.
void TypeAltCodesKeybd(const char* text) {
    forEachCharacter(text, [](unsigned code, bool) {
        typeAltCode(code);
        pause(5);
    });
}

// Single bytes pressed as keys, in the browser window brought to the front.
void TypeTextDirect(HWND window, const char* text) {
    brovana::ForegroundSwitch(window);
    pause(30);
    TypeAltCodes(text, true);
}

void MoveCursorTo(HWND window, int x, int y) {
    POINT p = toScreen(window, x, y);
    SetCursorPos(p.x, p.y);
}

void SendMouseMove(HWND window, int x, int y) {
    mouseAt(window, x, y, 0);
}

// A click of the left button where the pointer was put, as a user's click.
void ClickByCursor(HWND window, int x, int y) {
    MoveCursorTo(window, x, y);
    pause(10);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void SendMouseClick(HWND window, int x, int y) {
    brovana::ForegroundSwitch(window);
    pause(30);
    mouseAt(window, x, y, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
}

// Holds the left button for the given time (a negative time holds for none), then releases it where it went
// down.
void ClickAndHold(HWND window, int x, int y, short milliseconds) {
    brovana::ForegroundSwitch(window);
    pause(30);
    mouseAt(window, x, y, MOUSEEVENTF_LEFTDOWN);
    pause(milliseconds);
    mouseEvent(MOUSEEVENTF_LEFTUP);
}

// Presses the middle button at the first point, moves to the second, holds there and releases.
void MiddleDragHold(HWND window, int x1, int y1, int x2, int y2, short milliseconds) {
    brovana::ForegroundSwitch(window);
    pause(30);
    mouseAt(window, x1, y1, MOUSEEVENTF_MIDDLEDOWN);
    SendMouseMove(window, x2, y2);
    pause(milliseconds);
    mouseEvent(MOUSEEVENTF_MIDDLEUP);
}

void SendMouseDrag(HWND window, int x1, int y1, int x2, int y2) {
    brovana::ForegroundSwitch(window);
    pause(30);
    mouseAt(window, x1, y1, MOUSEEVENTF_LEFTDOWN);
    mouseAt(window, x2, y2, MOUSEEVENTF_LEFTUP);
}

void ClickAtPoint(HWND window, int x, int y) {
    brovana::ForegroundSwitch(window);
    pause(30);
    mouseAt(window, x, y, MOUSEEVENTF_LEFTDOWN);
    mouseEvent(MOUSEEVENTF_LEFTUP);
}

void BringToForeground(HWND window) {
    BringWindowToTop(window);
    SetActiveWindow(window);
    ShowWindow(window, SW_SHOWNORMAL);
    brovana::ForegroundSwitch(window);
    pause(50);
}

// The pointer on the screen, and in the browser window's client coordinates (zeros without the window).
BYTE GetMousePosition(int* clientX, int* clientY, int* screenX, int* screenY) {
    POINT p{};
    GetCursorPos(&p);
    if (screenX) *screenX = p.x;
    if (screenY) *screenY = p.y;
    HWND window = browserWindow();
    if (window) ScreenToClient(window, &p);
    if (clientX) *clientX = window ? p.x : 0;
    if (clientY) *clientY = window ? p.y : 0;
    return 1;
}

// The shape of the pointer shown: 1 arrow, 2 I-beam, 3 hand, 4 hourglass, 5 arrow with hourglass, 0 any other.
BYTE GetCursorKind() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info)) return 0;
    const HCURSOR kinds[] = {theApp.arrowCursor, theApp.ibeamCursor, theApp.handCursor, theApp.waitCursor,
                             theApp.appStartingCursor};
    for (BYTE i = 0; i < 5; ++i)
        if (info.hCursor == kinds[i]) return i + 1;
    return 0;
}

enum class Typer { AltCodes, AltCodesKeybd, Direct };

BYTE ClickAndType(int x, int y, const char* text, Typer typer) {
    HWND window = browserWindow();
    if (!window) return FALSE;
    brovana::ForegroundSwitch(window);
    pause(30);
    SendMouseClick(window, x, y);
    pause(20);
    window = browserWindow();
    if (!window) return TRUE;
    switch (typer) {
    case Typer::AltCodes:
        TypeAltCodes(text, false);
        break;
    case Typer::AltCodesKeybd:
        TypeAltCodesKeybd(text);
        break;
    case Typer::Direct:
        TypeTextDirect(window, text);
        break;
    }
    return TRUE;
}

// Enter, Tab, Esc, Backspace or End by the codes 1 to 5, pressed in the browser window brought to the front;
// FALSE for any other code.
BYTE PressSpecialKey(HWND window, BYTE code) {
    brovana::ForegroundSwitch(window);
    static const WORD keys[] = {VK_RETURN, VK_TAB, VK_ESCAPE, VK_BACK, VK_END};
    if (code < 1 || code > 5) return FALSE;
    keyPress(keys[code - 1], 0);
    return TRUE;
}

// An interface of a COM object, released when it goes.
template <class I> struct Com {
    I* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    I** out() { return &p; }
    I* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

template <class I> bool query(IUnknown* from, Com<I>& to) {
    return from && SUCCEEDED(from->QueryInterface(__uuidof(I), reinterpret_cast<void**>(to.out()))) && to;
}

// Sets the page's scroll position on its body and its root element. FALSE when the page has no document, body
// or root element.
BYTE ScrollDocument(const SinkHold& sink, HWND window, int mode, int amount) {
    SetForegroundWindow(window);
    IWebBrowser2* browser = sink->browser;
    if (!browser) return FALSE;
    Com<IDispatch> document;
    Com<IHTMLDocument2> html;
    Com<IHTMLElement> body;
    Com<IHTMLElement2> body2;
    Com<IHTMLDocument3> html3;
    Com<IHTMLElement> root;
    Com<IHTMLElement2> root2;
    if (FAILED(browser->get_Document(document.out())) || !document || !query(document.p, html) ||
        FAILED(html->get_body(body.out())) || !query(body.p, body2) || !query(document.p, html3) ||
        FAILED(html3->get_documentElement(root.out())) || !query(root.p, root2))
        return FALSE;
    long height = 0;
    browser->get_Height(&height);
    long pageHeight = 20000;
    body2->get_scrollHeight(&pageHeight);
    long position;
    switch (mode) {
    case 1:
        position = -pageHeight;
        break;
    case 2:
        position = pageHeight;
        break;
    case 3:
        position = height / 5;
        break;
    case 4:
        position = height / -5;
        break;
    case 5:
        position = height;
        break;
    case 6:
        position = -height;
        break;
    case 7:
        position = amount;
        break;
    case 8:
        position = -amount;
        break;
    default:
        return TRUE; // the page stays where it is
    }
    body2->put_scrollTop(position);
    root2->put_scrollTop(position);
    return TRUE;
}

} // namespace

extern "C" {

BYTE __stdcall GetIEMousePos(int* clientX, int* clientY, int* screenX, int* screenY) {
    return GetMousePosition(clientX, clientY, screenX, screenY);
}

void __stdcall IEMouseClick(int x, int y) {
    if (HWND window = browserWindow()) ClickByCursor(window, x, y);
}

BYTE __stdcall IEInputString(const char* text) {
    if (!browserWindow()) return FALSE;
    TypeAltCodes(text, false);
    return TRUE;
}

BYTE __stdcall IEInputString2(const char* text) {
    return IEInputString(text);
}

BYTE __stdcall IEInputChar(std::uint32_t code) {
    HWND window = browserWindow();
    return window ? PressSpecialKey(window, static_cast<BYTE>(code)) : FALSE;
}

BYTE __stdcall IEMouseInputString(int x, int y, const char* text) {
    return ClickAndType(x, y, text, Typer::AltCodes);
}

BYTE __stdcall IEMouseInputString2(int x, int y, const char* text) {
    return ClickAndType(x, y, text, Typer::AltCodesKeybd);
}

BYTE __stdcall IEMouseInputNumber(int x, int y, const char* text) {
    return ClickAndType(x, y, text, Typer::Direct);
}

void __stdcall IEMouseMove(int x, int y) {
    if (HWND window = browserWindow()) MoveCursorTo(window, x, y);
}

void __stdcall IEMouseMove2(int x, int y) {
    if (HWND window = browserWindow()) SendMouseMove(window, x, y);
}

void __stdcall IEMouseClick2(int x, int y) {
    if (HWND window = browserWindow()) SendMouseClick(window, x, y);
}

void __stdcall IEClickInterval(int x, int y, std::uint32_t milliseconds) {
    if (HWND window = browserWindow()) ClickAndHold(window, x, y, static_cast<short>(milliseconds));
}

void __stdcall IEClickMiddleBtn(int x1, int y1, int x2, int y2, std::uint32_t milliseconds) {
    if (HWND window = browserWindow()) MiddleDragHold(window, x1, y1, x2, y2, static_cast<short>(milliseconds));
}

void __stdcall IEMouseDrag(int x1, int y1, int x2, int y2) {
    if (HWND window = browserWindow()) SendMouseDrag(window, x1, y1, x2, y2);
}

// The first argument is accepted and not used.
void __stdcall IEPageScroll(int, int x, int y) {
    if (HWND window = browserWindow()) ClickAtPoint(window, x, y);
}

BYTE __stdcall IEScrollPage(std::uint32_t mode, int amount) {
    SinkHold sink = currentSink();
    HWND window = windowOf(sink);
    if (!window) return FALSE;
    try {
        return ScrollDocument(sink, window, static_cast<BYTE>(mode), amount);
    } catch (...) {
        return FALSE;
    }
}

void __stdcall IESetForegroundWin() {
    if (HWND window = browserWindow()) BringToForeground(window);
}

BYTE __stdcall IEGetCursorType() {
    return GetCursorKind();
}

int __stdcall ShowMouseCursor(std::uint32_t show) {
    return ShowCursor(static_cast<BYTE>(show) == 1 ? TRUE : FALSE);
}

BOOL __stdcall MouseMove(int x, int y) {
    return SetCursorPos(x, y);
}

void __stdcall MouseClick(int x, int y) {
    SetCursorPos(x, y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}
}
