// The browser sink: the one browser window that the library drives, and the receiver of its events. It holds the
// running browser's automation interfaces and its top-level window, and implements IDispatch for the browser's
// event interface by hand (dispatch ids to handlers). The application object owns the current sink.
#pragma once

#include <windows.h>

#include <exdisp.h>

#include <string>

class CBrovanaApp;

class CIEComCtrlSink final : public IDispatch {
public:
    // Starts COM on this thread as a single-threaded apartment; every field zero or empty.
    CIEComCtrlSink();
    // Disconnects from the browser's events and releases it; the browser itself stays open. Balances COM.
    ~CIEComCtrlSink();
    CIEComCtrlSink(const CIEComCtrlSink&) = delete;
    CIEComCtrlSink& operator=(const CIEComCtrlSink&) = delete;

    // Starts the browser as a local server, sets its bars, shows its window, navigates to URL and connects to
    // its events. FALSE when the browser cannot be created or its window handle cannot be read.
    BOOL StartBrowser();
    // TRUE when the browser took the navigation with S_OK.
    BOOL Navigate(const std::wstring& url);

    // The browser window exists: the sink holds a window handle.
    bool hasWindow() const { return window != nullptr; }

    // The sink stops being current: it disconnects from the events (if still connected) and is destroyed once no
    // handler of its own is running, at the next call into the library or at unload. Never used again.
    void retire();
    // Destroys the retired sinks whose handlers have all returned.
    static void sweepRetired();

    // IDispatch for DWebBrowserEvents2.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* badArgument) override;

    // The fields, in their order.
    std::wstring URL;
    BYTE addressBar = 0, menuBar = 0, statusBar = 0, toolBar = 0;
    BYTE canGoForward = 0, canGoBack = 0;
    BYTE documentComplete = 0;
    VARIANT_BOOL resizable = VARIANT_FALSE;
    VARIANT_BOOL busy = VARIANT_FALSE;
    LONG cancelNewWindows = 0;
    CBrovanaApp* owner = nullptr;
    IWebBrowser2* browser = nullptr;
    IWebBrowserApp* browserApp = nullptr;
    HWND window = nullptr; // borrowed: never destroyed by the library
    DWORD adviseCookie = 0;
    LONG navigations = 0, downloads = 0;
    std::wstring lastHeaders, lastPostData;

private:
    // The event handlers.
    void OnCommandStateChange(long command, VARIANT_BOOL enable);
    void OnBeforeNavigate2(IDispatch* disp, VARIANT* url, VARIANT* headers, VARIANT* postData);
    void OnDocumentComplete(IDispatch* disp);
    void OnDownloadBegin();
    void OnDownloadEnd();
    void OnQuit();
    void OnNewWindow2(VARIANT_BOOL* cancel);

    // The event concerns the top-level document, not a frame.
    bool isTopLevel(IDispatch* disp) const;
    void disconnect();

    HRESULT comStarted_;
    LONG refs_ = 0;       // COM's references, for its bookkeeping; the library decides the sink's life
    int handlers_ = 0;    // handlers running now (they may nest while the browser is called back)
    bool retired_ = false;
    CIEComCtrlSink* nextRetired_ = nullptr;
};
