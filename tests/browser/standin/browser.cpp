// The browser object: the automation interface with its properties and navigation, the connection point that
// sends the browser events to advised sinks, and the steering the tests use to make the page do what a user or a
// web page would (frames, new windows, command states).
#include "standin.h"

#include <exdispid.h>

namespace standin {
namespace {

Browser* fromWeb(IWebBrowser2* p) {
    return CONTAINING_RECORD(p, Browser, web);
}
Browser* fromContainer(IConnectionPointContainer* p) {
    return CONTAINING_RECORD(p, Browser, container);
}
Browser* fromPoint(IConnectionPoint* p) {
    return CONTAINING_RECORD(p, Browser, point);
}
Browser* fromFrame(IDispatch* p) {
    return CONTAINING_RECORD(p, Browser, frame);
}

// The browser goes when nothing references it and its window is closed.
void maybeDelete(Browser* b) {
    if (b->refs > 0 || b->window) return;
    for (auto& [cookie, sink] : b->sinks) {
        IDispatch_Release(sink);
        InterlockedDecrement(&shared->connections);
    }
    delete b;
}

ULONG addRef(Browser* b) {
    return static_cast<ULONG>(++b->refs);
}

ULONG release(Browser* b) {
    LONG left = --b->refs;
    if (left == 0) {
        maybeDelete(b);
        releaseProcess();
    }
    return static_cast<ULONG>(left);
}

HRESULT query(Browser* b, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IWebBrowser) ||
        IsEqualIID(iid, IID_IWebBrowserApp) || IsEqualIID(iid, IID_IWebBrowser2))
        *out = &b->web;
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *out = &b->container;
    else
        return E_NOINTERFACE;
    addRef(b);
    return S_OK;
}

// The navigation asked for by a method call starts once the call has returned, as a page load does.
void request(Browser* b, std::wstring url, Browser::Move move) {
    b->requestedUrl = std::move(url);
    b->requested = move;
    if (b->window) PostMessageW(b->window, kNavigate, 0, 0);
}

std::wstring bstrText(const VARIANT* v) {
    if (v && V_VT(v) == VT_BSTR && V_BSTR(v)) return V_BSTR(v);
    if (v && V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v)) return bstrText(V_VARIANTREF(v));
    return {};
}

// A user closing the browser while the caller waits for a method's answer: the quit event reaches the caller
// inside its call, then the method answers as a browser without a window.
Browser* quitIfAsked(Browser* b) {
    if (InterlockedExchange(&shared->quitInCall, 0) && b->window) b->quit();
    return b;
}

// IWebBrowser2.
#define B(p) fromWeb(p)
#define QB(p) quitIfAsked(fromWeb(p))
HRESULT STDMETHODCALLTYPE webQuery(IWebBrowser2* p, REFIID iid, void** out) {
    return query(B(p), iid, out);
}
ULONG STDMETHODCALLTYPE webAddRef(IWebBrowser2* p) {
    return addRef(B(p));
}
ULONG STDMETHODCALLTYPE webRelease(IWebBrowser2* p) {
    return release(B(p));
}
HRESULT STDMETHODCALLTYPE typeInfoCount(IWebBrowser2*, UINT* count) {
    if (count) *count = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE goBack(IWebBrowser2* p) {
    Browser* b = B(p);
    if (b->at == 0 || b->history.empty()) return E_FAIL;
    request(b, b->history[b->at - 1], Browser::Move::Back);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE goForward(IWebBrowser2* p) {
    Browser* b = B(p);
    if (b->at + 1 >= b->history.size()) return E_FAIL;
    request(b, b->history[b->at + 1], Browser::Move::Forward);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE goHome(IWebBrowser2* p) {
    request(B(p), kHomeUrl, Browser::Move::New);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE navigate(IWebBrowser2* p, BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    request(B(p), url ? url : L"", Browser::Move::New);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE navigate2(IWebBrowser2* p, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    request(QB(p), bstrText(url), Browser::Move::New);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE stop(IWebBrowser2* p) {
    Browser* b = QB(p);
    if (b->pending == Browser::Move::None) return S_OK;
    b->pending = Browser::Move::None;
    b->fire(DISPID_DOWNLOADCOMPLETE, {});
    return S_OK;
}
HRESULT STDMETHODCALLTYPE document(IWebBrowser2* p, IDispatch** out) {
    if (!out) return E_POINTER;
    Browser* b = QB(p);
    *out = nullptr;
    if (!b->hasDocument || !b->window) return S_OK;
    *out = reinterpret_cast<IDispatch*>(&b->document.document2);
    IDispatch_AddRef(*out);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE height(IWebBrowser2* p, LONG* out) {
    RECT r{};
    if (!out || !B(p)->window || !GetWindowRect(B(p)->window, &r)) return E_FAIL;
    *out = r.bottom - r.top;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE busy(IWebBrowser2* p, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    quitIfAsked(B(p));
    bool loading = B(p)->pending != Browser::Move::None || B(p)->requested != Browser::Move::None;
    *out = loading ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE quitMethod(IWebBrowser2* p) {
    if (B(p)->window) PostMessageW(B(p)->window, WM_CLOSE, 0, 0);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE hwnd(IWebBrowser2* p, SHANDLE_PTR* out) {
    if (!out) return E_POINTER;
    quitIfAsked(B(p));
    *out = reinterpret_cast<SHANDLE_PTR>(B(p)->window);
    return B(p)->window ? S_OK : E_FAIL;
}
HRESULT STDMETHODCALLTYPE locationUrl(IWebBrowser2* p, BSTR* out) {
    if (!out) return E_POINTER;
    Browser* b = B(p);
    *out = SysAllocString(b->history.empty() ? L"" : b->history[b->at].c_str());
    return S_OK;
}
HRESULT STDMETHODCALLTYPE visible(IWebBrowser2* p, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = B(p)->window && IsWindowVisible(B(p)->window) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE putVisible(IWebBrowser2* p, VARIANT_BOOL on) {
    if (B(p)->window) ShowWindow(B(p)->window, on ? SW_SHOWNORMAL : SW_HIDE);
    return S_OK;
}

// The bars and the frame: each property shows at once in the window.
#define BOOL_PROPERTY(name, field, apply)                                                                              \
    HRESULT STDMETHODCALLTYPE get##name(IWebBrowser2* p, VARIANT_BOOL* out) {                                          \
        if (!out) return E_POINTER;                                                                                    \
        *out = B(p)->field;                                                                                            \
        return S_OK;                                                                                                   \
    }                                                                                                                  \
    HRESULT STDMETHODCALLTYPE put##name(IWebBrowser2* p, VARIANT_BOOL on) {                                            \
        quitIfAsked(B(p));                                                                                             \
        B(p)->field = on ? VARIANT_TRUE : VARIANT_FALSE;                                                               \
        apply(*B(p));                                                                                                  \
        return S_OK;                                                                                                   \
    }
BOOL_PROPERTY(AddressBar, addressBar, showBars)
BOOL_PROPERTY(MenuBar, menuBar, showBars)
BOOL_PROPERTY(StatusBar, statusBar, showBars)
BOOL_PROPERTY(Resizable, resizable, setResizable)
#undef BOOL_PROPERTY
HRESULT STDMETHODCALLTYPE getToolBar(IWebBrowser2* p, int* out) {
    if (!out) return E_POINTER;
    *out = B(p)->toolBar;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE putToolBar(IWebBrowser2* p, int on) {
    B(p)->toolBar = on ? 1 : 0;
    showBars(*B(p));
    return S_OK;
}
#undef QB
#undef B

// The connection point and its container.
HRESULT STDMETHODCALLTYPE containerQuery(IConnectionPointContainer* p, REFIID iid, void** out) {
    return query(fromContainer(p), iid, out);
}
ULONG STDMETHODCALLTYPE containerAddRef(IConnectionPointContainer* p) {
    return addRef(fromContainer(p));
}
ULONG STDMETHODCALLTYPE containerRelease(IConnectionPointContainer* p) {
    return release(fromContainer(p));
}
HRESULT STDMETHODCALLTYPE findPoint(IConnectionPointContainer* p, REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, DIID_DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
    *out = &fromContainer(p)->point;
    addRef(fromContainer(p));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE pointQuery(IConnectionPoint* p, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *out = p;
    addRef(fromPoint(p));
    return S_OK;
}
ULONG STDMETHODCALLTYPE pointAddRef(IConnectionPoint* p) {
    return addRef(fromPoint(p));
}
ULONG STDMETHODCALLTYPE pointRelease(IConnectionPoint* p) {
    return release(fromPoint(p));
}
HRESULT STDMETHODCALLTYPE pointInterface(IConnectionPoint*, IID* out) {
    if (!out) return E_POINTER;
    *out = DIID_DWebBrowserEvents2;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE pointContainer(IConnectionPoint* p, IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = &fromPoint(p)->container;
    addRef(fromPoint(p));
    return S_OK;
}
HRESULT STDMETHODCALLTYPE advise(IConnectionPoint* p, IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    IDispatch* events = nullptr;
    if (FAILED(IUnknown_QueryInterface(sink, IID_IDispatch, reinterpret_cast<void**>(&events))))
        return CONNECT_E_CANNOTCONNECT;
    Browser* b = fromPoint(p);
    *cookie = b->nextCookie++;
    b->sinks.emplace_back(*cookie, events);
    InterlockedIncrement(&shared->connections);
    return S_OK;
}
HRESULT STDMETHODCALLTYPE unadvise(IConnectionPoint* p, DWORD cookie) {
    auto& sinks = fromPoint(p)->sinks;
    for (auto it = sinks.begin(); it != sinks.end(); ++it) {
        if (it->first != cookie) continue;
        IDispatch* sink = it->second;
        sinks.erase(it);
        IDispatch_Release(sink);
        InterlockedDecrement(&shared->connections);
        wakeClient();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

// The frame: an object of its own identity, counted with the browser.
HRESULT STDMETHODCALLTYPE frameQuery(IDispatch* p, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
    *out = p;
    addRef(fromFrame(p));
    return S_OK;
}
ULONG STDMETHODCALLTYPE frameAddRef(IDispatch* p) {
    return addRef(fromFrame(p));
}
ULONG STDMETHODCALLTYPE frameRelease(IDispatch* p) {
    return release(fromFrame(p));
}

IWebBrowser2Vtbl webTable;
IConnectionPointContainerVtbl containerTable;
IConnectionPointVtbl pointTable;
IDispatchVtbl frameTable;

void makeTables() {
    fillWithTraps(webTable);
    webTable.QueryInterface = webQuery;
    webTable.AddRef = webAddRef;
    webTable.Release = webRelease;
    webTable.GetTypeInfoCount = typeInfoCount;
    webTable.GoBack = goBack;
    webTable.GoForward = goForward;
    webTable.GoHome = goHome;
    webTable.Navigate = navigate;
    webTable.Navigate2 = navigate2;
    webTable.Stop = stop;
    webTable.get_Document = document;
    webTable.get_Height = height;
    webTable.get_Busy = busy;
    webTable.Quit = quitMethod;
    webTable.get_HWND = hwnd;
    webTable.get_LocationURL = locationUrl;
    webTable.get_Visible = visible;
    webTable.put_Visible = putVisible;
    webTable.get_AddressBar = getAddressBar;
    webTable.put_AddressBar = putAddressBar;
    webTable.get_MenuBar = getMenuBar;
    webTable.put_MenuBar = putMenuBar;
    webTable.get_StatusBar = getStatusBar;
    webTable.put_StatusBar = putStatusBar;
    webTable.get_ToolBar = getToolBar;
    webTable.put_ToolBar = putToolBar;
    webTable.get_Resizable = getResizable;
    webTable.put_Resizable = putResizable;

    fillWithTraps(containerTable);
    containerTable.QueryInterface = containerQuery;
    containerTable.AddRef = containerAddRef;
    containerTable.Release = containerRelease;
    containerTable.FindConnectionPoint = findPoint;

    fillWithTraps(pointTable);
    pointTable.QueryInterface = pointQuery;
    pointTable.AddRef = pointAddRef;
    pointTable.Release = pointRelease;
    pointTable.GetConnectionInterface = pointInterface;
    pointTable.GetConnectionPointContainer = pointContainer;
    pointTable.Advise = advise;
    pointTable.Unadvise = unadvise;

    fillWithTraps(frameTable);
    frameTable.QueryInterface = frameQuery;
    frameTable.AddRef = frameAddRef;
    frameTable.Release = frameRelease;
}

VARIANT byRef(VARIANT* target) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&v) = target;
    return v;
}

VARIANT dispatch(IDispatch* d) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = d;
    return v;
}

VARIANT text(const std::wstring& s) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return v;
}

// BeforeNavigate2 for the page (top) or its frame; true when a sink cancelled it.
bool beforeNavigate(Browser& b, IDispatch* target, const std::wstring& url) {
    VARIANT address = text(url), flags, frameName = text(L""), post, headers = text(L"");
    VariantInit(&flags);
    V_VT(&flags) = VT_I4;
    V_I4(&flags) = 0;
    VariantInit(&post);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT cancelArg;
    VariantInit(&cancelArg);
    V_VT(&cancelArg) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&cancelArg) = &cancel;
    b.fire(DISPID_BEFORENAVIGATE2, {dispatch(target), byRef(&address), byRef(&flags), byRef(&frameName), byRef(&post),
                                    byRef(&headers), cancelArg});
    VariantClear(&address);
    VariantClear(&frameName);
    VariantClear(&headers);
    return cancel == VARIANT_TRUE;
}

void documentComplete(Browser& b, IDispatch* target, const std::wstring& url) {
    VARIANT address = text(url);
    b.fire(DISPID_DOCUMENTCOMPLETE, {dispatch(target), byRef(&address)});
    VariantClear(&address);
}

VARIANT commandState(LONG command) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = command;
    return v;
}

VARIANT boolean(bool on) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = on ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

} // namespace

void Browser::fire(DISPID id, std::vector<VARIANT> args) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    // A sink may unadvise while it is called: call a counted copy of the list.
    auto calling = sinks;
    for (auto& [cookie, sink] : calling)
        IDispatch_AddRef(sink);
    for (auto& [cookie, sink] : calling)
        IDispatch_Invoke(sink, id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    for (auto& [cookie, sink] : calling)
        IDispatch_Release(sink);
}

void Browser::beginNavigation(const std::wstring& url, Move move) {
    if (beforeNavigate(*this, reinterpret_cast<IDispatch*>(&web), url)) {
        pending = Move::None;
        return;
    }
    pendingUrl = url;
    pending = move;
    fire(DISPID_DOWNLOADBEGIN, {});
    if (!shared->hold) finishNavigation();
}

void Browser::finishNavigation() {
    if (pending == Move::None) return;
    if (pending == Move::New) {
        if (!history.empty()) history.resize(at + 1);
        history.push_back(pendingUrl);
        at = history.size() - 1;
    } else if (pending == Move::Back) {
        --at;
    } else {
        ++at;
    }
    pending = Move::None;
    std::wstring url = history[at];
    if (window) SetWindowTextW(window, (L"\xB300\xC5ED \xBE0C\xB77C\xC6B0\xC800 - " + url).c_str());
    fire(DISPID_DOWNLOADCOMPLETE, {});
    fire(DISPID_COMMANDSTATECHANGE, {commandState(CSC_NAVIGATEFORWARD), boolean(at + 1 < history.size())});
    fire(DISPID_COMMANDSTATECHANGE, {commandState(CSC_NAVIGATEBACK), boolean(at > 0)});
    documentComplete(*this, reinterpret_cast<IDispatch*>(&web), url);
}

LONG Browser::steer(UINT command, UINT argument) {
    switch (command) {
    case kSync:
        return 0;
    case kFrameNavigation:
        beforeNavigate(*this, &frame, L"http://frame.invalid/inner");
        documentComplete(*this, &frame, L"http://frame.invalid/inner");
        return 0;
    case kFinishNavigation:
        finishNavigation();
        return 0;
    case kCommandState:
        fire(DISPID_COMMANDSTATECHANGE,
             {commandState(static_cast<LONG>(argument & 0xFF)), boolean((argument >> 8) != 0)});
        return 0;
    case kNewWindow: {
        IDispatch* opened = nullptr;
        VARIANT openedArg, cancelArg;
        VariantInit(&openedArg);
        V_VT(&openedArg) = VT_DISPATCH | VT_BYREF;
        V_DISPATCHREF(&openedArg) = &opened;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VariantInit(&cancelArg);
        V_VT(&cancelArg) = VT_BOOL | VT_BYREF;
        V_BOOLREF(&cancelArg) = &cancel;
        fire(DISPID_NEWWINDOW2, {openedArg, cancelArg});
        if (opened) IDispatch_Release(opened);
        if (cancel == VARIANT_TRUE) return 1;
        openPopup();
        return 0;
    }
    case kDocument:
        hasDocument = argument != 0;
        return 0;
    default:
        return -1;
    }
}

void Browser::quit() {
    fire(DISPID_ONQUIT, {});
    DestroyWindow(window); // may delete this browser
    wakeClient();          // the client may wait for the window to be gone, which it is only now
}

// Called by the window procedure when the window is gone.
void windowGone(Browser& b) {
    b.window = nullptr;
    b.page = nullptr;
    maybeDelete(&b);
    releaseProcess();
}

void startRequested(Browser& b) {
    Browser::Move move = b.requested;
    b.requested = Browser::Move::None;
    if (move != Browser::Move::None) b.beginNavigation(b.requestedUrl, move);
}

Browser* newBrowser() {
    static bool made = false;
    if (!made) makeTables();
    made = true;
    auto* b = new Browser;
    b->web.lpVtbl = &webTable;
    b->container.lpVtbl = &containerTable;
    b->point.lpVtbl = &pointTable;
    b->frame.lpVtbl = &frameTable;
    holdProcess();
    if (!createWindows(*b)) {
        release(b);
        return nullptr;
    }
    holdProcess();
    initDocument(b->document, reinterpret_cast<IUnknown*>(&b->web), b->page);
    SetWindowTextW(b->window, L"about:blank");
    return b;
}

} // namespace standin
