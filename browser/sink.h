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
    // Starts COM on this thread as a single-threaded apartment (or joins the one there); every field zero or empty.
    CIEComCtrlSink();
    // Disconnects from the browser's events and releases it; the browser itself stays open. Never ends the
    // thread's apartment: it gives back only a reference to an apartment that was there before.
    ~CIEComCtrlSink();
    CIEComCtrlSink(const CIEComCtrlSink&) = delete;
    CIEComCtrlSink& operator=(const CIEComCtrlSink&) = delete;

    // Starts the browser as a local server, sets its bars, shows its window, connects to its events and navigates
    // to URL. FALSE when the browser cannot be created or its window handle cannot be read.
    BOOL StartBrowser();
    // TRUE when the browser took the navigation with S_OK.
    BOOL Navigate(const std::wstring& url);

    // The browser window exists: the sink holds a window handle.
    bool hasWindow() const { return window != nullptr; }

    // The sink stops being current: it disconnects from the events (if still connected) and is destroyed once no
    // handler of its own is running and no export holds it, at the next call into the library or at unload. Never
    // used again.
    void retire();
    // Destroys the retired sinks whose handlers have all returned and that no export holds.
    static void sweepRetired();
    // Forgets the retired sinks without destroying them (the process is ending).
    static void forgetRetired();

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

    friend class SinkHold;

    HRESULT comStarted_;
    LONG refs_ = 0;    // COM's references, for its bookkeeping; the library decides the sink's life
    int handlers_ = 0; // handlers running now (they may nest while the browser is called back)
    int holds_ = 0;    // exports running now that work on this sink
    bool retired_ = false;
    CIEComCtrlSink* nextRetired_ = nullptr;
};

// A sink that an export works on, kept from destruction for as long as the hold lives. Events arrive while the
// export waits on a call into the browser; a quit event then makes the sink stop being current, but the export
// goes on with the object it started with, its fields and its browser interfaces intact.
class SinkHold {
public:
    explicit SinkHold(CIEComCtrlSink* sink) : sink_(sink) {
        if (sink_) ++sink_->holds_;
    }
    ~SinkHold() {
        if (!sink_) return;
        --sink_->holds_;
        if (sink_->retired_) CIEComCtrlSink::sweepRetired();
    }
    SinkHold(const SinkHold&) = delete;
    SinkHold& operator=(const SinkHold&) = delete;

    CIEComCtrlSink* get() const { return sink_; }
    CIEComCtrlSink* operator->() const { return sink_; }
    explicit operator bool() const { return sink_ != nullptr; }

private:
    CIEComCtrlSink* sink_;
};
