#include "browser/sink.h"

#include "browser/app.h"

#include <exdispid.h>
#include <ocidl.h>

#include <cstring>

namespace {

const IID DIID_BrowserEvents = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};

// Sinks that stopped being current and wait until no handler of theirs runs, linked through nextRetired_. A plain
// pointer, so that it needs no construction or destruction of its own at load and unload.
CIEComCtrlSink* retiredHead = nullptr;

// The variant an argument stands for, through one reference; null when there is none.
const VARIANT* target(const VARIANT* v) {
    if (!v) return nullptr;
    if (V_VT(v) == (VT_VARIANT | VT_BYREF)) return V_VARIANTREF(v);
    return v;
}

// The text of a string argument, given directly, by reference or inside a referred variant.
std::wstring textOf(const VARIANT* v) {
    v = target(v);
    if (!v) return {};
    if (V_VT(v) == VT_BSTR && V_BSTR(v)) return std::wstring(V_BSTR(v), SysStringLen(V_BSTR(v)));
    if (V_VT(v) == (VT_BSTR | VT_BYREF) && V_BSTRREF(v) && *V_BSTRREF(v))
        return std::wstring(*V_BSTRREF(v), SysStringLen(*V_BSTRREF(v)));
    return {};
}

// Post data: the bytes of a one-dimensional byte array, read as ANSI text up to their first NUL.
std::wstring postDataOf(const VARIANT* arg) {
    if (!arg || V_VT(arg) != (VT_VARIANT | VT_BYREF) || !V_VARIANTREF(arg)) return {};
    const VARIANT* v = V_VARIANTREF(arg);
    if (V_VT(v) == VT_EMPTY || V_VT(v) != (VT_ARRAY | VT_UI1) || !V_ARRAY(v)) return {};
    SAFEARRAY* array = V_ARRAY(v);
    LONG low = 0, high = -1;
    if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &low)) ||
        FAILED(SafeArrayGetUBound(array, 1, &high)) || high < low)
        return {};
    std::string bytes(static_cast<std::size_t>(high - low + 1), '\0');
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return {};
    std::memcpy(bytes.data(), data, bytes.size());
    SafeArrayUnaccessData(array);
    bytes.resize(std::strlen(bytes.c_str()));
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return wide;
}

IDispatch* dispatchOf(const VARIANT* v) {
    if (!v) return nullptr;
    if (V_VT(v) == VT_DISPATCH) return V_DISPATCH(v);
    if (V_VT(v) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(v)) return *V_DISPATCHREF(v);
    return nullptr;
}

long longOf(const VARIANT* v) {
    VARIANT copy;
    VariantInit(&copy);
    if (!v || FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(v), 0, VT_I4))) return 0;
    return V_I4(&copy);
}

// The connection point of the browser's events.
IConnectionPoint* eventPoint(IUnknown* browser) {
    IConnectionPointContainer* container = nullptr;
    if (!browser ||
        FAILED(browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))))
        return nullptr;
    IConnectionPoint* point = nullptr;
    container->FindConnectionPoint(DIID_BrowserEvents, &point);
    container->Release();
    return point;
}

VARIANT_BOOL variantBool(BYTE flag) {
    return flag ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

CIEComCtrlSink::CIEComCtrlSink() : comStarted_(CoInitialize(nullptr)) {}

CIEComCtrlSink::~CIEComCtrlSink() {
    disconnect();
    window = nullptr;
    if (browserApp) browserApp->Release();
    browserApp = nullptr;
    if (browser) browser->Release();
    browser = nullptr;
    // No proxy in the browser may reach this object any more.
    CoDisconnectObject(static_cast<IDispatch*>(this), 0);
    // Only a reference to an apartment the caller had already is given back. An apartment that the library started
    // on a thread of a caller without one stays, so that calls from a browser still on their way find it; it ends
    // with the thread, and later sinks on that thread find it there.
    if (comStarted_ == S_FALSE) CoUninitialize();
}

BOOL CIEComCtrlSink::StartBrowser() {
    const CLSID CLSID_Browser = {0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    if (FAILED(CoCreateInstance(CLSID_Browser, nullptr, CLSCTX_LOCAL_SERVER, IID_IWebBrowser2,
                                reinterpret_cast<void**>(&browser))) ||
        !browser) {
        browser = nullptr;
        return FALSE;
    }
    browser->QueryInterface(IID_IWebBrowserApp, reinterpret_cast<void**>(&browserApp));
    if (browserApp) {
        browserApp->put_StatusBar(variantBool(statusBar));
        browserApp->put_ToolBar(toolBar ? 1 : 0);
        browserApp->put_MenuBar(variantBool(menuBar));
    }
    browser->put_AddressBar(variantBool(addressBar));
    browser->put_Resizable(resizable);
    SHANDLE_PTR handle = 0;
    if (FAILED(browser->get_HWND(&handle)) || !handle) return FALSE;
    window = reinterpret_cast<HWND>(handle);
    EnableScrollBar(window, SB_BOTH, ESB_DISABLE_BOTH);
    ShowWindow(window, SW_SHOWNORMAL);
    // Listening before the first navigation, so that none of its events, its completion above all, goes unheard.
    if (IConnectionPoint* point = eventPoint(browser)) {
        point->Advise(static_cast<IDispatch*>(this), &adviseCookie);
        point->Release();
    }
    Navigate(URL);
    return TRUE;
}

BOOL CIEComCtrlSink::Navigate(const std::wstring& url) {
    ++navigations;
    ++downloads;
    if (!browser) return FALSE;
    VARIANT address, flags, frame, post, headers;
    VariantInit(&address);
    V_VT(&address) = VT_BSTR;
    V_BSTR(&address) = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VariantInit(&flags);
    V_VT(&flags) = VT_I4;
    V_I4(&flags) = 0;
    VariantInit(&frame);
    V_VT(&frame) = VT_BSTR;
    V_BSTR(&frame) = nullptr;
    VariantInit(&post);
    VariantInit(&headers);
    V_VT(&headers) = VT_BSTR;
    V_BSTR(&headers) = nullptr;
    HRESULT hr = browser->Navigate2(&address, &flags, &frame, &post, &headers);
    VariantClear(&address);
    return hr == S_OK;
}

void CIEComCtrlSink::disconnect() {
    if (!adviseCookie) return;
    if (IConnectionPoint* point = eventPoint(browser)) {
        point->Unadvise(adviseCookie);
        point->Release();
    }
    adviseCookie = 0;
}

void CIEComCtrlSink::retire() {
    if (retired_) return;
    retired_ = true;
    disconnect();
    nextRetired_ = retiredHead;
    retiredHead = this;
}

void CIEComCtrlSink::sweepRetired() {
    for (CIEComCtrlSink** link = &retiredHead; *link;) {
        CIEComCtrlSink* sink = *link;
        if (sink->handlers_ == 0 && sink->holds_ == 0) {
            *link = sink->nextRetired_;
            delete sink;
        } else {
            link = &sink->nextRetired_;
        }
    }
}

void CIEComCtrlSink::forgetRetired() {
    retiredHead = nullptr;
}

bool CIEComCtrlSink::isTopLevel(IDispatch* disp) const {
    if (!browser || !disp) return false;
    IDispatch* own = nullptr;
    if (FAILED(browser->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&own))) || !own) return false;
    bool same = own == disp;
    own->Release();
    return same;
}

void CIEComCtrlSink::OnCommandStateChange(long command, VARIANT_BOOL enable) {
    BYTE on = enable ? 1 : 0;
    if (command == CSC_NAVIGATEFORWARD) canGoForward = on;
    if (command == CSC_NAVIGATEBACK) canGoBack = on;
}

void CIEComCtrlSink::OnBeforeNavigate2(IDispatch* disp, VARIANT* url, VARIANT* headers, VARIANT* postData) {
    ++navigations;
    if (!isTopLevel(disp)) return;
    lastHeaders = textOf(headers);
    URL = textOf(url);
    lastPostData = postDataOf(postData);
    documentComplete = 0;
}

void CIEComCtrlSink::OnDocumentComplete(IDispatch* disp) {
    --navigations;
    if (isTopLevel(disp)) documentComplete = 1;
}

void CIEComCtrlSink::OnDownloadBegin() {
    ++downloads;
}

void CIEComCtrlSink::OnDownloadEnd() {
    --downloads;
}

// The browser quit (the user closed it, or the caller asked it to): the library forgets this sink.
void CIEComCtrlSink::OnQuit() {
    if (owner && owner->sink == this) owner->sink = nullptr;
    retire();
}

void CIEComCtrlSink::OnNewWindow2(VARIANT_BOOL* cancel) {
    if (cancel) *cancel = cancelNewWindows == 1 ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT CIEComCtrlSink::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_BrowserEvents) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CIEComCtrlSink::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG CIEComCtrlSink::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&refs_));
}

HRESULT CIEComCtrlSink::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

HRESULT CIEComCtrlSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CIEComCtrlSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

// The arguments come last to first in rgvarg; each handler reads them in their documented order.
HRESULT CIEComCtrlSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    UINT count = params ? params->cArgs : 0;
    auto arg = [&](UINT index) -> VARIANT* { return index < count ? &params->rgvarg[count - 1 - index] : nullptr; };
    ++handlers_;
    try {
        switch (id) {
        case DISPID_COMMANDSTATECHANGE:
            if (count >= 2) OnCommandStateChange(longOf(arg(0)), longOf(arg(1)) ? VARIANT_TRUE : VARIANT_FALSE);
            break;
        case DISPID_BEFORENAVIGATE2:
            if (count >= 7) OnBeforeNavigate2(dispatchOf(arg(0)), arg(1), arg(5), arg(4));
            break;
        case DISPID_DOCUMENTCOMPLETE:
            if (count >= 2) OnDocumentComplete(dispatchOf(arg(0)));
            break;
        case DISPID_DOWNLOADBEGIN:
            OnDownloadBegin();
            break;
        case DISPID_DOWNLOADCOMPLETE:
            OnDownloadEnd();
            break;
        case DISPID_ONQUIT:
            OnQuit();
            break;
        case DISPID_NEWWINDOW2:
            if (count >= 2 && V_VT(arg(1)) == (VT_BOOL | VT_BYREF)) OnNewWindow2(V_BOOLREF(arg(1)));
            break;
        default:
            break;
        }
    } catch (...) {
    }
    --handlers_;
    return S_OK;
}
