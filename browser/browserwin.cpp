// The exports that open, steer and close the browser window. Each works on the current sink and does nothing,
// or answers 0, while there is none. Retired sinks are destroyed on the way in, outside their handlers.
#include "browser/Brovana.h"
#include "browser/ansi.h"
#include "browser/app.h"
#include "browser/pagetext.h"
#include "browser/sink.h"

#include <windows.h>

namespace {

// The current sink, after the retired ones are gone; null when there is none.
CIEComCtrlSink* current() {
    CIEComCtrlSink::sweepRetired();
    return theApp.sink;
}

// The current sink when it holds the browser interface.
IWebBrowser2* browser() {
    CIEComCtrlSink* sink = current();
    return sink ? sink->browser : nullptr;
}

IWebBrowserApp* browserApp() {
    CIEComCtrlSink* sink = current();
    return sink ? sink->browserApp : nullptr;
}

// The window of the current sink, or null when the browser window does not exist.
HWND browserWindow() {
    CIEComCtrlSink* sink = current();
    return sink && sink->hasWindow() ? sink->window : nullptr;
}

VARIANT_BOOL asVariantBool(BYTE flag) {
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

extern "C" {

BYTE __stdcall ViewIEWindow(const char* url, std::uint32_t resizable) {
    try {
        if (current()) return FALSE;
        auto* sink = new CIEComCtrlSink;
        theApp.sink = sink;
        sink->resizable = static_cast<BYTE>(resizable) == 1 ? VARIANT_TRUE : VARIANT_FALSE;
        sink->URL = brovana::fromAnsi(url);
        sink->owner = &theApp;
        sink->StartBrowser();
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

void __stdcall CloseIEWindow() {
    CIEComCtrlSink* sink = current();
    if (!sink) return;
    if (sink->browser) sink->browser->Quit();
    // The quit event may already have retired the sink while Quit ran.
    if (theApp.sink == sink) {
        theApp.sink = nullptr;
        sink->retire();
    }
    CIEComCtrlSink::sweepRetired();
}

void __stdcall GoUrl(const char* url) {
    try {
        CIEComCtrlSink* sink = current();
        if (!sink) return;
        sink->URL = brovana::fromAnsi(url);
        if (sink->browser) sink->Navigate(sink->URL);
    } catch (...) {
    }
}

void __stdcall SetIEWinSize(std::uint32_t width, std::uint32_t height) {
    HWND window = browserWindow();
    if (!window) return;
    int w = static_cast<short>(width), h = static_cast<short>(height);
    RECT desktop{};
    GetClientRect(GetDesktopWindow(), &desktop);
    MoveWindow(window, desktop.right - w, 0, w, h, TRUE);
}

BYTE __stdcall GetIEWinSize(short* left, short* top, short* width, short* height) {
    HWND window = browserWindow();
    if (!window) return FALSE;
    RECT r{};
    GetWindowRect(window, &r);
    if (left) *left = static_cast<short>(r.left);
    if (top) *top = static_cast<short>(r.top);
    if (width) *width = static_cast<short>(r.right - r.left);
    if (height) *height = static_cast<short>(r.bottom - r.top);
    return TRUE;
}

void __stdcall GoIEHome() {
    if (IWebBrowserApp* app = browserApp()) app->GoHome();
}

void __stdcall GoIEForward() {
    if (IWebBrowserApp* app = browserApp()) app->GoForward();
}

void __stdcall GoIEBack() {
    if (IWebBrowserApp* app = browserApp()) app->GoBack();
}

void __stdcall GoIEStop() {
    if (IWebBrowserApp* app = browserApp()) app->Stop();
}

BYTE __stdcall GetIEForward() {
    CIEComCtrlSink* sink = current();
    return sink ? sink->canGoForward : 0;
}

BYTE __stdcall GetIEBack() {
    CIEComCtrlSink* sink = current();
    return sink && sink->canGoBack == 1 ? 1 : 0;
}

void __stdcall ShowIEAddressBar(std::uint32_t on) {
    IWebBrowser2* b = browser();
    if (!b) return;
    theApp.sink->addressBar = static_cast<BYTE>(on) == 1;
    b->put_AddressBar(asVariantBool(theApp.sink->addressBar));
}

void __stdcall ShowIEMenuBar(std::uint32_t on) {
    IWebBrowser2* b = browser();
    if (!b) return;
    theApp.sink->menuBar = static_cast<BYTE>(on) == 1;
    b->put_MenuBar(asVariantBool(theApp.sink->menuBar));
}

void __stdcall ShowIEToolBar(std::uint32_t on) {
    IWebBrowser2* b = browser();
    if (!b) return;
    theApp.sink->toolBar = static_cast<BYTE>(on) == 1;
    b->put_ToolBar(theApp.sink->toolBar ? 1 : 0);
}

void __stdcall ShowIEStatusBar(std::uint32_t on) {
    IWebBrowser2* b = browser();
    if (!b) return;
    theApp.sink->statusBar = static_cast<BYTE>(on) == 1;
    b->put_StatusBar(asVariantBool(theApp.sink->statusBar));
}

BYTE __stdcall IsIEWindow() {
    return browserWindow() ? 1 : 0;
}

void __stdcall ShowNewWindow(std::uint32_t refuse) {
    if (CIEComCtrlSink* sink = current()) sink->cancelNewWindows = static_cast<BYTE>(refuse) == 1 ? 1 : 0;
}

void __stdcall SetIETopWindow(std::uint32_t on) {
    if (!browserWindow()) return;
    SHANDLE_PTR handle = 0;
    if (!theApp.sink->browser || FAILED(theApp.sink->browser->get_HWND(&handle))) return;
    HWND after = static_cast<BYTE>(on) == 1 ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(reinterpret_cast<HWND>(handle), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// A failed read answers the value of the last successful one.
BYTE __stdcall GetIEBusy() {
    IWebBrowser2* b = browser();
    if (!b) return 0;
    VARIANT_BOOL value = theApp.sink->busy;
    if (SUCCEEDED(b->get_Busy(&value))) theApp.sink->busy = value;
    return theApp.sink->busy == VARIANT_TRUE ? 1 : 0;
}

BYTE __stdcall GetIEComplete() {
    return browser() && theApp.sink->documentComplete == 1 ? 1 : 0;
}

BYTE __stdcall GetIEWinTitle(char* buffer) {
    HWND window = browserWindow();
    if (!window || !buffer) return FALSE;
    SHANDLE_PTR handle = 0;
    if (theApp.sink->browser && SUCCEEDED(theApp.sink->browser->get_HWND(&handle)) && handle)
        window = reinterpret_cast<HWND>(handle);
    return brovana::windowTitleAnsi(window, buffer);
}
}
