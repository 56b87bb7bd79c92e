// The OLE container: the object lives in a compound file over memory, which is its storage image; the client site
// saves into it when the object's server asks.
#ifdef _WIN32

#include "runtime/ole.h"

#include "runtime/text.h"
#include "runtime/win32.h"

#include <oleauto.h>

#include <stdexcept>
#include <utility>


namespace rt {

namespace {

// OLE (not only COM) on this thread: embedding, running objects and their windows need it.
void ensure_ole() {
    thread_local bool started = false;
    if (started) return;
    ensure_com();
    const HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) report_failure("OleInitialize", "", static_cast<DWORD>(hr));
    started = true;
}

// Transacted: the bytes keep the image as last committed until a save has fully succeeded.
constexpr DWORD storage_mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED;

// A new, empty compound file over memory.
HRESULT new_storage(ComPtr<ILockBytes>& bytes, ComPtr<IStorage>& storage) {
    HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    if (SUCCEEDED(hr)) hr = StgCreateDocfileOnILockBytes(bytes.Get(), storage_mode | STGM_CREATE, 0, &storage);
    return hr;
}

// The compound file held in `image`, opened for reading and writing over a copy of it in memory.
HRESULT open_storage(std::string_view image, ComPtr<ILockBytes>& bytes, ComPtr<IStorage>& storage) {
    HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    if (FAILED(hr)) return hr;
    ULONG written = 0;
    hr = bytes->WriteAt(ULARGE_INTEGER{}, image.data(), static_cast<ULONG>(image.size()), &written);
    if (FAILED(hr)) return hr;
    if (written != image.size()) return STG_E_MEDIUMFULL;
    hr = StgIsStorageILockBytes(bytes.Get());
    if (hr != S_OK) return FAILED(hr) ? hr : STG_E_FILEALREADYEXISTS;
    return StgOpenStorageOnILockBytes(bytes.Get(), nullptr, storage_mode, nullptr, 0, &storage);
}

std::wstring root_title(HWND site) {
    HWND root = site ? GetAncestor(site, GA_ROOT) : nullptr;
    if (!root) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(root)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(root, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string guid_text(const GUID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return narrow(text);
}

// One step along an automation path: the named property of `from`, read (put == nullptr) or assigned.
HRESULT invoke(IDispatch* from, const std::wstring& name, VARIANT* put, VARIANT& result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    HRESULT hr = from->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    if (put) {
        params.rgvarg = put;
        params.cArgs = 1;
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info{};
    const WORD flags = put ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    hr = from->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : &result, &info, nullptr);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

} // namespace

// The object's client site: it tells the server where the object lives and saves the object when the server asks.
class OleSite final : public IOleClientSite {
public:
    explicit OleSite(OleContainer* owner) : owner_(owner) {}
    void orphan() noexcept { owner_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *out = static_cast<IOleClientSite*>(this);
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
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

private:
    OleContainer* owner_;
    LONG refs_ = 1;
};

OleContainer::OleContainer(HWND site) : site_window_(site), site_(new OleSite(this)) {
    ensure_ole();
}

OleContainer::~OleContainer() {
    clear();
    site_->orphan();
    site_->Release();
}

OleContainer& OleContainer::of(Window& window, Id control) {
    if (!window.has(control)) throw std::invalid_argument("no OLE control " + std::to_string(control.value));
    if (auto* held = dynamic_cast<OleContainer*>(window.handler(control))) return *held;
    auto made = std::make_unique<OleContainer>(window.handle(control));
    OleContainer& ref = *made;
    window.attach(control, std::move(made));
    return ref;
}

bool OleContainer::fail(const char* what, std::string_view argument, HRESULT hr) {
    error_ = FAILED(hr) ? hr : E_FAIL;
    report_failure(what, argument, static_cast<DWORD>(error_));
    return false;
}

void OleContainer::attach(ComPtr<IOleObject> object) {
    // The previous object goes only now that its successor exists.
    clear();
    object_ = std::move(object);
    OleSetContainedObject(object_.Get(), TRUE);
    const std::wstring app = root_title(site_window_);
    object_->SetHostNames(app.c_str(), app.c_str());
    error_ = S_OK;
}

bool OleContainer::create(std::string_view progid) {
    CLSID id{};
    HRESULT hr = CLSIDFromProgID(wide(progid).c_str(), &id);
    if (FAILED(hr)) return fail("CLSIDFromProgID", progid, hr);
    ComPtr<ILockBytes> bytes;
    ComPtr<IStorage> storage;
    hr = new_storage(bytes, storage);
    if (FAILED(hr)) return fail("StgCreateDocfileOnILockBytes", progid, hr);
    ComPtr<IOleObject> object;
    hr = OleCreate(id, IID_IOleObject, OLERENDER_NONE, nullptr, site_, storage.Get(),
                   reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr)) return fail("OleCreate", progid, hr);
    attach(std::move(object));
    bytes_ = std::move(bytes);
    storage_ = std::move(storage);
    saved_ = false;
    return true;
}

bool OleContainer::open(std::string_view progid) {
    if (!object_ && kept_.empty()) return create(progid);
    HRESULT hr = object_ ? S_OK : load_object(std::string(kept_)); // a copy: loading clears kept_
    if (FAILED(hr)) return fail("OleLoad", progid, hr);
    hr = OleRun(object_.Get());
    if (FAILED(hr)) return fail("OleRun", progid, hr);
    error_ = S_OK;
    return true;
}

bool OleContainer::do_verb(long verb) {
    if (!object_) return fail("DoVerb", "", E_UNEXPECTED);
    RECT area{};
    if (site_window_) GetClientRect(site_window_, &area);
    const HRESULT hr = object_->DoVerb(verb, nullptr, site_, 0, site_window_, &area);
    if (FAILED(hr)) return fail("DoVerb", std::to_string(verb), hr);
    error_ = S_OK;
    return true;
}

bool OleContainer::set_property(std::string_view dotted_path, std::string_view value) {
    if (!object_) return fail("set_property", dotted_path, E_UNEXPECTED);
    ComPtr<IDispatch> at;
    HRESULT hr = object_.As(&at);
    if (FAILED(hr)) {
        // A handler answers for its server's interfaces only while the server runs.
        if (SUCCEEDED(OleRun(object_.Get()))) hr = object_.As(&at);
        if (FAILED(hr)) return fail("IDispatch", dotted_path, hr);
    }
    const std::wstring path = wide(dotted_path);
    size_t start = 0;
    for (;;) {
        const size_t dot = path.find(L'.', start);
        const std::wstring name = path.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
        if (name.empty()) return fail("set_property", dotted_path, DISP_E_UNKNOWNNAME);
        VARIANT result;
        VariantInit(&result);
        if (dot == std::wstring::npos) {
            VARIANT text;
            VariantInit(&text);
            text.vt = VT_BSTR;
            text.bstrVal = SysAllocStringLen(nullptr, 0);
            const std::wstring w = wide(value);
            SysReAllocStringLen(&text.bstrVal, w.c_str(), static_cast<UINT>(w.size()));
            hr = invoke(at.Get(), name, &text, result);
            VariantClear(&text);
            if (FAILED(hr)) return fail("set_property", dotted_path, hr);
            error_ = S_OK;
            return true;
        }
        hr = invoke(at.Get(), name, nullptr, result);
        if (SUCCEEDED(hr) && (result.vt != VT_DISPATCH || !result.pdispVal)) hr = DISP_E_TYPEMISMATCH;
        if (FAILED(hr)) {
            VariantClear(&result);
            return fail("set_property", dotted_path, hr);
        }
        at.Attach(result.pdispVal); // takes over the reference that the result held
        start = dot + 1;
    }
}

bool OleContainer::save_in_place() {
    ComPtr<IPersistStorage> persist;
    HRESULT hr = object_.As(&persist);
    if (SUCCEEDED(hr)) hr = OleSave(persist.Get(), storage_.Get(), TRUE);
    if (persist) persist->SaveCompleted(nullptr);
    if (SUCCEEDED(hr)) hr = storage_->Commit(STGC_DEFAULT);
    if (FAILED(hr)) {
        storage_->Revert();
        return fail("OleSave", class_id(), hr);
    }
    saved_ = true;
    error_ = S_OK;
    return true;
}

std::string OleContainer::save() {
    if (!object_) {
        error_ = kept_.empty() ? E_UNEXPECTED : S_OK;
        return kept_;
    }
    if (!save_in_place() && !saved_) return {};
    STATSTG stat{};
    HRESULT hr = bytes_->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) {
        fail("ILockBytes::Stat", class_id(), hr);
        return {};
    }
    std::string image(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    hr = bytes_->ReadAt(ULARGE_INTEGER{}, image.data(), static_cast<ULONG>(image.size()), &read);
    if (FAILED(hr) || read != image.size()) {
        fail("ILockBytes::ReadAt", class_id(), FAILED(hr) ? hr : STG_E_READFAULT);
        return {};
    }
    return image;
}

bool OleContainer::load(std::string_view image) {
    clear();
    if (image.empty()) return fail("OleLoad", "", STG_E_FILENOTFOUND);
    const HRESULT hr = load_object(image);
    if (FAILED(hr)) {
        kept_.assign(image);
        return fail("OleLoad", "", hr);
    }
    return true;
}

HRESULT OleContainer::load_object(std::string_view image) {
    ComPtr<ILockBytes> bytes;
    ComPtr<IStorage> storage;
    HRESULT hr = open_storage(image, bytes, storage);
    if (FAILED(hr)) return hr;
    ComPtr<IOleObject> object;
    hr = OleLoad(storage.Get(), IID_IOleObject, site_, reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr)) return hr;
    attach(std::move(object));
    bytes_ = std::move(bytes);
    storage_ = std::move(storage);
    saved_ = true;
    return S_OK;
}

void OleContainer::deactivate() {
    if (!object_) return;
    // The server saves a changed object through the site before its windows close.
    const HRESULT hr = object_->Close(OLECLOSE_SAVEIFDIRTY);
    if (FAILED(hr)) report_failure("IOleObject::Close", class_id(), static_cast<DWORD>(hr));
}

void OleContainer::clear() {
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        object_.Reset();
    }
    storage_.Reset();
    bytes_.Reset();
    kept_.clear();
}

std::string OleContainer::class_id() const {
    CLSID id{};
    if (!object_ || FAILED(object_->GetUserClassID(&id))) return {};
    return guid_text(id);
}

STDMETHODIMP OleSite::SaveObject() {
    if (!owner_ || !owner_->object_) return E_UNEXPECTED;
    return owner_->save_in_place() ? S_OK : owner_->error_;
}

} // namespace rt

#endif
