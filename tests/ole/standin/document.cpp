// The stand-in document object: IOleObject, IPersistStorage and IDispatch on one object, its window and its class
// factory, and the registry entries that make it an insertable OLE server.
#include "document.h"

#include <oleauto.h>

#include <string>

namespace standin {

LONG live_objects = 0;
void (*on_last_release)() = nullptr;

void object_released() {
    if (InterlockedDecrement(&live_objects) == 0 && on_last_release) on_last_release();
}

namespace {

HINSTANCE module() {
    HMODULE m = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&module), &m);
    return m;
}

class Document;

// The nodes of the automation path: Application, its active document, the page set-up.
enum class Node { document, application, active_document, page_setup };

// One automation object of a document; it keeps the document alive.
class Dispatch final : public IDispatch {
public:
    Dispatch(Document* doc, Node node);
    ~Dispatch();
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    Document* doc_;
    Node node_;
    LONG refs_ = 1;
};

constexpr DISPID id_application = 1, id_active_document = 2, id_page_setup = 3, id_page_width = 4;

class Document final : public IOleObject, public IPersistStorage, public IDataObject, public IDispatch {
public:
    explicit Document(const DocumentClass& cls) : cls_(cls) {
        InterlockedIncrement(&live_objects);
        CreateOleAdviseHolder(&advise_);
        CreateDataAdviseHolder(&data_advise_);
    }
    ~Document() {
        if (window_) DestroyWindow(window_);
        if (advise_) advise_->Release();
        if (data_advise_) data_advise_->Release();
        if (site_) site_->Release();
        if (storage_) storage_->Release();
        object_released();
    }

    const DocumentClass& cls() const { return cls_; }
    bool set_page_width(const VARIANT& value) {
        VARIANT width;
        VariantInit(&width);
        if (FAILED(VariantChangeType(&width, const_cast<VARIANT*>(&value), 0, VT_R4))) return false;
        page_width_ = width.fltVal;
        has_page_width_ = true;
        dirty_ = true;
        return true;
    }
    float page_width() const { return page_width_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleObject)
            *out = static_cast<IOleObject*>(this);
        else if (iid == IID_IPersistStorage || iid == IID_IPersist)
            *out = static_cast<IPersistStorage*>(this);
        else if (iid == IID_IDataObject)
            *out = static_cast<IDataObject*>(this);
        else if (iid == IID_IDispatch)
            *out = static_cast<IDispatch*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (site) site->AddRef();
        if (site_) site_->Release();
        site_ = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** out) override {
        *out = site_;
        if (site_) site_->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD option) override {
        AddRef();
        take_text();
        if (option != OLECLOSE_NOSAVE && dirty_ && site_) site_->SaveObject();
        if (window_) {
            DestroyWindow(window_);
            window_ = nullptr;
            if (site_) site_->OnShowWindow(FALSE);
        }
        if (advise_) advise_->SendOnClose();
        Release();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_OPEN:
            if (!show()) return E_OUTOFMEMORY;
            if (site_) {
                site_->ShowObject();
                site_->OnShowWindow(TRUE);
            }
            return S_OK;
        case OLEIVERB_HIDE:
            if (window_) ShowWindow(window_, SW_HIDE);
            if (site_) site_->OnShowWindow(FALSE);
            return S_OK;
        default:
            return OLEOBJ_S_INVALIDVERB;
        }
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override { return OleRegEnumVerbs(cls_.clsid, out); }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* id) override {
        *id = cls_.clsid;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override { return OleRegGetUserType(cls_.clsid, form, type); }
    STDMETHODIMP SetExtent(DWORD, SIZEL* size) override {
        extent_ = *size;
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD, SIZEL* size) override {
        *size = extent_;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override { return advise_->Advise(sink, cookie); }
    STDMETHODIMP Unadvise(DWORD cookie) override { return advise_->Unadvise(cookie); }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override { return advise_->EnumAdvise(out); }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status = 0;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IPersistStorage
    STDMETHODIMP GetClassID(CLSID* id) override {
        *id = cls_.clsid;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override {
        take_text();
        return dirty_ ? S_OK : S_FALSE;
    }
    STDMETHODIMP InitNew(IStorage* storage) override {
        hold(storage);
        text_.clear();
        dirty_ = false;
        return S_OK;
    }
    STDMETHODIMP Load(IStorage* storage) override {
        std::string bytes;
        HRESULT hr = read(storage, contents_stream, bytes);
        if (FAILED(hr)) return hr;
        text_.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        has_page_width_ = SUCCEEDED(read(storage, page_width_stream, bytes)) && bytes.size() == sizeof(float);
        if (has_page_width_) memcpy(&page_width_, bytes.data(), sizeof(float));
        hold(storage);
        dirty_ = false;
        return S_OK;
    }
    STDMETHODIMP Save(IStorage* storage, BOOL) override {
        take_text();
        HRESULT hr = write(storage, contents_stream, text_.data(), text_.size() * sizeof(wchar_t));
        if (SUCCEEDED(hr) && has_page_width_) hr = write(storage, page_width_stream, &page_width_, sizeof(float));
        return hr;
    }
    STDMETHODIMP SaveCompleted(IStorage* storage) override {
        if (storage) hold(storage);
        dirty_ = false;
        return S_OK;
    }
    STDMETHODIMP HandsOffStorage() override {
        if (storage_) storage_->Release();
        storage_ = nullptr;
        return S_OK;
    }

    // IDataObject: the default handler asks for it when the server runs; the document offers no renderings.
    STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        return OleRegEnumFormatEtc(cls_.clsid, direction, out);
    }
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* cookie) override {
        return data_advise_->Advise(this, format, flags, sink, cookie);
    }
    STDMETHODIMP DUnadvise(DWORD cookie) override { return data_advise_->Unadvise(cookie); }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override { return data_advise_->EnumAdvise(out); }

    // IDispatch: the document itself answers Application.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        Dispatch node(this, Node::document);
        return node.GetIDsOfNames(iid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* info, UINT* arg) override {
        Dispatch node(this, Node::document);
        return node.Invoke(id, iid, lcid, flags, params, result, info, arg);
    }

private:
    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Document*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg == WM_NCCREATE) {
            self = static_cast<Document*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else if (msg == WM_SIZE && self) {
            if (HWND edit = GetWindow(h, GW_CHILD)) MoveWindow(edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        } else if (msg == WM_CLOSE && self) {
            // The user closes the document: it is saved into its container, as a server does.
            self->Close(OLECLOSE_SAVEIFDIRTY);
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }

    bool show() {
        if (!window_) {
            WNDCLASSEXW wc{sizeof wc};
            wc.lpfnWndProc = proc;
            wc.hInstance = module();
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = window_class;
            RegisterClassExW(&wc); // fails harmlessly when already registered
            window_ = CreateWindowExW(0, window_class, cls_.progid, WS_OVERLAPPEDWINDOW, 40, 40, 360, 240, nullptr,
                                      nullptr, module(), this);
            if (!window_) return false;
            RECT r{};
            GetClientRect(window_, &r);
            HWND edit = CreateWindowExW(0, L"EDIT", text_.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN,
                                        0, 0, r.right, r.bottom, window_, nullptr, module(), nullptr);
            if (!edit) return false;
            shown_text_ = text_;
        }
        ShowWindow(window_, SW_SHOW);
        SetForegroundWindow(window_);
        return true;
    }

    // The window's text becomes the document's.
    void take_text() {
        HWND edit = window_ ? GetWindow(window_, GW_CHILD) : nullptr;
        if (!edit) return;
        std::wstring now(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        now.resize(static_cast<size_t>(GetWindowTextW(edit, now.data(), static_cast<int>(now.size()))));
        if (now != shown_text_) {
            text_ = shown_text_ = now;
            dirty_ = true;
        }
    }

    void hold(IStorage* storage) {
        storage->AddRef();
        if (storage_) storage_->Release();
        storage_ = storage;
    }

    static HRESULT read(IStorage* storage, const wchar_t* name, std::string& bytes) {
        IStream* s = nullptr;
        HRESULT hr = storage->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s);
        if (FAILED(hr)) return hr;
        STATSTG st{};
        hr = s->Stat(&st, STATFLAG_NONAME);
        ULONG got = 0;
        if (SUCCEEDED(hr)) {
            bytes.assign(static_cast<size_t>(st.cbSize.QuadPart), '\0');
            hr = s->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
        }
        s->Release();
        return FAILED(hr) ? hr : got == bytes.size() ? S_OK : STG_E_READFAULT;
    }

    static HRESULT write(IStorage* storage, const wchar_t* name, const void* data, size_t size) {
        IStream* s = nullptr;
        HRESULT hr = storage->CreateStream(name, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &s);
        if (FAILED(hr)) return hr;
        ULONG put = 0;
        hr = s->Write(data, static_cast<ULONG>(size), &put);
        s->Release();
        return FAILED(hr) ? hr : put == size ? S_OK : STG_E_WRITEFAULT;
    }

    const DocumentClass& cls_;
    LONG refs_ = 1;
    IOleClientSite* site_ = nullptr;
    IStorage* storage_ = nullptr;
    IOleAdviseHolder* advise_ = nullptr;
    IDataAdviseHolder* data_advise_ = nullptr;
    HWND window_ = nullptr;
    std::wstring text_, shown_text_;
    float page_width_ = 0;
    bool has_page_width_ = false;
    bool dirty_ = false;
    SIZEL extent_{5000, 3000};
};

Dispatch::Dispatch(Document* doc, Node node) : doc_(doc), node_(node) {
    doc_->AddRef();
}

Dispatch::~Dispatch() {
    doc_->Release();
}

STDMETHODIMP Dispatch::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// The names each node knows: every application has Application; only a word-processing document has an active
// document with a page set-up (a sheet's application has ActiveWorkbook, a presentation's ActivePresentation).
STDMETHODIMP Dispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (count != 1) return DISP_E_UNKNOWNNAME;
    const bool word = doc_->cls().automation == Automation::word;
    const wchar_t* name = names[0];
    if ((node_ == Node::document || node_ == Node::application) && !lstrcmpiW(name, L"Application"))
        ids[0] = id_application;
    else if (node_ == Node::application && word && !lstrcmpiW(name, L"ActiveDocument"))
        ids[0] = id_active_document;
    else if (node_ == Node::active_document && !lstrcmpiW(name, L"PageSetup"))
        ids[0] = id_page_setup;
    else if (node_ == Node::page_setup && !lstrcmpiW(name, L"PageWidth"))
        ids[0] = id_page_width;
    return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
}

STDMETHODIMP Dispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                              UINT*) {
    if (id == id_page_width && node_ == Node::page_setup) {
        if (flags & DISPATCH_PROPERTYPUT) {
            if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            return doc_->set_page_width(params->rgvarg[0]) ? S_OK : DISP_E_TYPEMISMATCH;
        }
        if (!result) return E_INVALIDARG;
        VariantInit(result);
        result->vt = VT_R4;
        result->fltVal = doc_->page_width();
        return S_OK;
    }
    Node next;
    if (id == id_application)
        next = Node::application;
    else if (id == id_active_document)
        next = Node::active_document;
    else if (id == id_page_setup)
        next = Node::page_setup;
    else
        return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = new Dispatch(doc_, next);
    return S_OK;
}

class Factory final : public IClassFactory {
public:
    explicit Factory(const DocumentClass& cls) : cls_(cls) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* doc = new Document(cls_);
        const HRESULT hr = doc->QueryInterface(iid, out);
        doc->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&live_objects);
        else
            object_released();
        return S_OK;
    }

private:
    const DocumentClass& cls_;
    LONG refs_ = 1;
};

HRESULT set_value(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY k = nullptr;
    LSTATUS rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
    }
    return HRESULT_FROM_WIN32(rc);
}

std::wstring clsid_text(const CLSID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

} // namespace

IClassFactory* new_factory(const DocumentClass& cls) {
    return new Factory(cls);
}

HRESULT register_class(const DocumentClass& cls, const wchar_t* server, bool local) {
    const std::wstring id = clsid_text(cls.clsid), key = L"CLSID\\" + id;
    const std::wstring progid = cls.progid;
    HRESULT hr = S_OK;
    auto put = [&hr](const std::wstring& k, const wchar_t* name, const std::wstring& value) {
        if (SUCCEEDED(hr)) hr = set_value(k, name, value);
    };
    put(progid, nullptr, cls.name);
    put(progid + L"\\CLSID", nullptr, id);
    put(progid + L"\\Insertable", nullptr, L"");
    put(key, nullptr, cls.name);
    put(key + L"\\ProgID", nullptr, progid);
    put(key + L"\\Insertable", nullptr, L"");
    put(key + L"\\Verb\\0", nullptr, L"&Edit,0,2");
    put(key + L"\\MiscStatus", nullptr, L"0");
    if (local) {
        // As the office programs are registered: a local server behind the default handler.
        put(key + L"\\LocalServer32", nullptr, std::wstring(L"\"") + server + L"\"");
        put(key + L"\\InprocHandler32", nullptr, L"ole32.dll");
    } else {
        put(key + L"\\InprocServer32", nullptr, server);
        put(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    }
    return hr;
}

HRESULT unregister_class(const DocumentClass& cls) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, cls.progid);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid_text(cls.clsid)).c_str());
    return S_OK;
}

} // namespace standin
