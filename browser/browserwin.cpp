// The exports that open, steer and close the browser window. Each works on the current sink and does nothing,
// or answers 0, while there is none. Retired sinks are destroyed on the way in, outside their handlers.
#include "browser/Brovana.h"
#include "browser/ansi.h"
#include "browser/app.h"
#include "browser/pagetext.h"
#include "browser/sink.h"

#include <windows.h>

namespace {

// The current sink, held for the export that asks, after the retired ones are gone; empty when there is none.
SinkHold current() {
    CIEComCtrlSink::sweepRetired();
    return SinkHold(theApp.sink);
}

// The window of a sink, or null when the browser window does not exist.
HWND windowOf(const SinkHold& sink) {
    return sink && sink->hasWindow() ? sink->window : nullptr;
}

VARIANT_BOOL asVariantBool(BYTE flag) {
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

// The bar flag := (on == 1), shown through the browser at once.
template <class Put> void showBar(BYTE CIEComCtrlSink::*flag, std::uint32_t on, Put put) {
    SinkHold sink = current();
    if (!sink || !sink->browser) return;
    sink.get()->*flag = static_cast<BYTE>(on) == 1;
    put(sink->browser, sink.get()->*flag);
}

// Browser application calls (home, forward, back, stop).
template <class Call> void withBrowserApp(Call call) {
    SinkHold sink = current();
    if (sink && sink->browserApp) call(sink->browserApp);
}

} // namespace

extern "C" {

BYTE __stdcall ViewIEWindow(const char* url, std::uint32_t resizable) {
    try {
        if (current()) return FALSE;
        auto* created = new CIEComCtrlSink;
        theApp.sink = created;
        SinkHold sink(created);
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
    SinkHold sink = current();
    if (!sink) return;
    if (sink->browser) sink->browser->Quit();
    // The quit event may already have retired the sink while Quit ran.
    if (theApp.sink == sink.get()) {
        theApp.sink = nullptr;
        sink->retire();
    }
}

void __stdcall GoUrl(const char* url) {
    try {
        SinkHold sink = current();
        if (!sink) return;
        sink->URL = brovana::fromAnsi(url);
        if (sink->browser) sink->Navigate(sink->URL);
    } catch (...) {
    }
}

void __stdcall SetIEWinSize(std::uint32_t width, std::uint32_t height) {
    SinkHold sink = current();
    HWND window = windowOf(sink);
    if (!window) return;
    int w = static_cast<short>(width), h = static_cast<short>(height);
    RECT desktop{};
    GetClientRect(GetDesktopWindow(), &desktop);
    MoveWindow(window, desktop.right - w, 0, w, h, TRUE);
}

BYTE __stdcall GetIEWinSize(short* left, short* top, short* width, short* height) {
    SinkHold sink = current();
    HWND window = windowOf(sink);
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
    withBrowserApp([](IWebBrowserApp* app) { app->GoHome(); });
}

void __stdcall GoIEForward() {
    withBrowserApp([](IWebBrowserApp* app) { app->GoForward(); });
}

void __stdcall GoIEBack() {
    withBrowserApp([](IWebBrowserApp* app) { app->GoBack(); });
}

void __stdcall GoIEStop() {
    withBrowserApp([](IWebBrowserApp* app) { app->Stop(); });
}

BYTE __stdcall GetIEForward() {
    SinkHold sink = current();
    return sink ? sink->canGoForward : 0;
}

BYTE __stdcall GetIEBack() {
    SinkHold sink = current();
    return sink && sink->canGoBack == 1 ? 1 : 0;
}

void __stdcall ShowIEAddressBar(std::uint32_t on) {
    showBar(&CIEComCtrlSink::addressBar, on,
            [](IWebBrowser2* b, BYTE shown) { b->put_AddressBar(asVariantBool(shown)); });
}

void __stdcall ShowIEMenuBar(std::uint32_t on) {
    showBar(&CIEComCtrlSink::menuBar, on, [](IWebBrowser2* b, BYTE shown) { b->put_MenuBar(asVariantBool(shown)); });
}

void __stdcall ShowIEToolBar(std::uint32_t on) {
    showBar(&CIEComCtrlSink::toolBar, on, [](IWebBrowser2* b, BYTE shown) { b->put_ToolBar(shown ? 1 : 0); });
}

void __stdcall ShowIEStatusBar(std::uint32_t on) {
    showBar(&CIEComCtrlSink::statusBar, on,
            [](IWebBrowser2* b, BYTE shown) { b->put_StatusBar(asVariantBool(shown)); });
}

BYTE __stdcall IsIEWindow() {
    return windowOf(current()) ? 1 : 0;
}

void __stdcall ShowNewWindow(std::uint32_t refuse) {
    if (SinkHold sink = current()) sink->cancelNewWindows = static_cast<BYTE>(refuse) == 1 ? 1 : 0;
}

void __stdcall SetIETopWindow(std::uint32_t on) {
    SinkHold sink = current();
    if (!windowOf(sink) || !sink->browser) return;
    SHANDLE_PTR handle = 0;
    if (FAILED(sink->browser->get_HWND(&handle))) return;
    HWND after = static_cast<BYTE>(on) == 1 ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(reinterpret_cast<HWND>(handle), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// A failed read answers the value of the last successful one.
BYTE __stdcall GetIEBusy() {
    SinkHold sink = current();
    if (!sink || !sink->browser) return 0;
    VARIANT_BOOL value = sink->busy;
    if (SUCCEEDED(sink->browser->get_Busy(&value))) sink->busy = value;
    return sink->busy == VARIANT_TRUE ? 1 : 0;
}

BYTE __stdcall GetIEComplete() {
    SinkHold sink = current();
    return sink && sink->browser && sink->documentComplete == 1 ? 1 : 0;
}

BYTE __stdcall GetIEWinTitle(char* buffer) {
    SinkHold sink = current();
    HWND window = windowOf(sink);
    if (!window || !buffer) return FALSE;
    SHANDLE_PTR handle = 0;
    if (sink->browser && SUCCEEDED(sink->browser->get_HWND(&handle)) && handle) window = reinterpret_cast<HWND>(handle);
    return brovana::windowTitleAnsi(window, buffer);
}
}
