// The exported functions of Brovana.dll for its callers: __stdcall, undecorated names, fixed ordinals (see
// Brovana.def). Texts cross as NUL-terminated bytes in the ANSI code page; a returned text points into storage
// the library owns. Link with the import library (CMake target Brovana).
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// Fetches the page at url and keeps its text; the text's length in bytes, or -1 on an internet error (the kept
// text then stays as it was). reserved is not used.
std::int32_t __stdcall GetHtmlLength(const char* url, void* reserved);

// The kept text, or null while no fetch has succeeded (or the last one brought an empty page). Valid until the
// next successful GetHtmlLength, ClearHtmlSource or the library's unload.
const char* __stdcall GetHtmlSource();

// Replaces the kept text with one blank; the length stays.
void __stdcall ClearHtmlSource();
}

// Other programs' windows and controls. A handle that is not a window answers 0 (FALSE) without any other call.
// BYTE arguments travel in 32-bit slots; only their low byte is read.
extern "C" {

// The first top-level window (Z order, hidden ones included) whose title contains part (case counts); 0 when
// none. An empty part finds the first window.
HWND __stdcall FindProgram(const char* part);

// A direct child of parent by kind: 1 a button titled name, 2 the edit field of an extended combo box, 3 the
// first edit, 4 the first child of the class name, 5 the first "CtrlNotifySink"; 0 for other kinds or no match.
HWND __stdcall FindControl(HWND parent, std::uint32_t kind, const char* name);

// Sets the control's text (at most its first 1,023 characters); a disabled control is shown first.
BYTE __stdcall CtrlEditString(HWND control, const char* text);

// BM_CLICK and WM_CLOSE, sent and waited for; their results. A disabled window is shown first.
LRESULT __stdcall ButtonClick(HWND button);
LRESULT __stdcall WindowClose(HWND window);

// Topmost when on is 1, else not topmost.
BYTE __stdcall SetTopWindow(HWND window, std::uint32_t on);
// Activates the window and brings it to the foreground.
BYTE __stdcall SetActWindow(HWND window);
// Shows the window.
BYTE __stdcall SetHideWindow(HWND window);
BYTE __stdcall SetWindowSize(HWND window, int x, int y, int width, int height);
BYTE __stdcall IsFindWindow(HWND window);
// The desktop's client rectangle, each value cut to 16 bits; a null pointer is skipped.
void __stdcall GetDesktopSize(short* left, short* top, short* right, short* bottom);

// System queries and the Korean text check.
// 1 2000, 2 XP, 3 XP x64/2003, 4 Vista, 5 7, 6 8, 7 8.1, 0 other 5.x, 8 other 6.x, 9 other, 255 unreadable.
BYTE __stdcall WinVersion();
// The installed browser's version text, empty when not found; valid until the next call.
const char* __stdcall IEVersion();
BOOL __stdcall IsUserAdmin();
DWORD __stdcall GetTickCounts();
// The byte at position of a code page 949 text: 0 single, 1 first of a pair, 2 second of a pair, -1 none.
int __stdcall Check_HangeulCode(const char* text, int position);

// Hands the twelve values to the registered mail component: 0 not created, 1 accepted, 2 anything else.
BYTE __stdcall MevMailSend(const char* text1, int number2, int number3, const char* text4, const char* text5,
                           const char* text6, const char* text7, const char* text8, const char* text9,
                           const char* text10, int number11, int number12);
}

// The browser window. Every function works on the one browser the library drives and does nothing, or answers 0,
// while there is none. BYTE and 16-bit arguments travel in 32-bit slots; only their low bits are read.
extern "C" {

// Opens a browser on url, resizable when resizable is 1, all bars hidden; FALSE when one is already open.
BYTE __stdcall ViewIEWindow(const char* url, std::uint32_t resizable);
// Asks the browser to quit and forgets it.
void __stdcall CloseIEWindow();
void __stdcall GoUrl(const char* url);
// Places the window at the right edge of the desktop, at the top, with this size (16-bit values).
void __stdcall SetIEWinSize(std::uint32_t width, std::uint32_t height);
BYTE __stdcall GetIEWinSize(short* left, short* top, short* width, short* height);
void __stdcall GoIEHome();
void __stdcall GoIEForward();
void __stdcall GoIEBack();
void __stdcall GoIEStop();
BYTE __stdcall GetIEForward();
BYTE __stdcall GetIEBack();
void __stdcall ShowIEAddressBar(std::uint32_t on);
void __stdcall ShowIEMenuBar(std::uint32_t on);
void __stdcall ShowIEToolBar(std::uint32_t on);
void __stdcall ShowIEStatusBar(std::uint32_t on);
BYTE __stdcall IsIEWindow();
// 1 makes the browser refuse every new window; any other value lets it open them.
void __stdcall ShowNewWindow(std::uint32_t refuse);
void __stdcall SetIETopWindow(std::uint32_t on);
BYTE __stdcall GetIEBusy();
// 1 from the end of a top-level page's loading until the next top-level navigation.
BYTE __stdcall GetIEComplete();
// The window's title in the ANSI code page into buffer (256 bytes).
BYTE __stdcall GetIEWinTitle(char* buffer);

// Simulated input into the browser window, at client points of it.
BYTE __stdcall GetIEMousePos(int* clientX, int* clientY, int* screenX, int* screenY);
void __stdcall IEMouseClick(int x, int y);
BYTE __stdcall IEInputString(const char* text);
BYTE __stdcall IEInputString2(const char* text);
// 1 Enter, 2 Tab, 3 Esc, 4 Backspace, 5 End.
BYTE __stdcall IEInputChar(std::uint32_t code);
BYTE __stdcall IEMouseInputString(int x, int y, const char* text);
BYTE __stdcall IEMouseInputString2(int x, int y, const char* text);
BYTE __stdcall IEMouseInputNumber(int x, int y, const char* text);
void __stdcall IEMouseMove(int x, int y);
void __stdcall IEMouseMove2(int x, int y);
void __stdcall IEMouseClick2(int x, int y);
void __stdcall IEClickInterval(int x, int y, std::uint32_t milliseconds);
void __stdcall IEClickMiddleBtn(int x1, int y1, int x2, int y2, std::uint32_t milliseconds);
void __stdcall IEMouseDrag(int x1, int y1, int x2, int y2);
void __stdcall IEPageScroll(int unused, int x, int y);
// 1 top, 2 bottom, 3 a fifth of the window down, 4 up, 5 a window down, 6 up, 7 amount from the top, 8 -amount.
BYTE __stdcall IEScrollPage(std::uint32_t mode, int amount);
void __stdcall IESetForegroundWin();
// 1 arrow, 2 I-beam, 3 hand, 4 hourglass, 5 arrow with hourglass, 0 any other.
BYTE __stdcall IEGetCursorType();
int __stdcall ShowMouseCursor(std::uint32_t show);
BOOL __stdcall MouseMove(int x, int y);
void __stdcall MouseClick(int x, int y);
}
