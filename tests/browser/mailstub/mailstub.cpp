// A stand-in for the outside mail component: an in-process COM server with the component's class id and
// interface, whose one operation records the twelve values it is given and answers what the test chose. The
// test loads this DLL itself to choose the answer and read the record; COM loads the same module.
#include <windows.h>

#include <oleauto.h>

#include <atomic>
#include <new>
#include <string>

struct IMailComponent : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Send(BSTR, LONG, LONG, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, LONG, LONG,
                                           BYTE*) = 0;
};

namespace {

const CLSID CLSID_MailComponent = {0x6CDEEEA6, 0xF41F, 0x40C4, {0xA4, 0xC8, 0x30, 0xD8, 0x65, 0xAC, 0xAB, 0x6D}};
const IID IID_IMailComponent = {0xF47EE0A1, 0xD666, 0x4860, {0xB3, 0xE5, 0x1B, 0x37, 0xB0, 0x79, 0xC5, 0x2E}};


BYTE chosenAnswer = 1;
HRESULT chosenResult = S_OK;
std::wstring received; // the values of the last call, each followed by '\n'
std::atomic<long> objects{0};
std::atomic<long> calls{0};

void add(BSTR text) {
    // A BSTR's length is its own; an embedded NUL would show here.
    received.append(text ? text : L"", text ? SysStringLen(text) : 0);
    received += L'\n';
}
void add(LONG number) {
    received += std::to_wstring(number);
    received += L'\n';
}

class Mail final : public IMailComponent {
public:
    Mail() { ++objects; }
    ~Mail() { --objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IMailComponent) {
            *out = static_cast<IMailComponent*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Send(BSTR t1, LONG n2, LONG n3, BSTR t4, BSTR t5, BSTR t6, BSTR t7, BSTR t8, BSTR t9,
                                   BSTR t10, LONG n11, LONG n12, BYTE* answer) override {
        ++calls;
        received.clear();
        add(t1), add(n2), add(n3), add(t4), add(t5), add(t6), add(t7), add(t8), add(t9), add(t10), add(n11),
            add(n12);
        received += *answer == 0 ? L"answer byte was 0\n" : L"answer byte was not 0\n";
        *answer = chosenAnswer;
        return chosenResult;
    }

private:
    std::atomic<ULONG> refs_{1};
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        Mail* mail = new (std::nothrow) Mail;
        if (!mail) return E_OUTOFMEMORY;
        HRESULT hr = mail->QueryInterface(iid, out);
        mail->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};
Factory factory;

} // namespace

extern "C" {

HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (clsid != CLSID_MailComponent) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

HRESULT __stdcall DllCanUnloadNow() {
    return objects == 0 ? S_OK : S_FALSE;
}

// The answer byte and the result of the next calls.
void __stdcall MailStubAnswer(BYTE answer, HRESULT result) {
    chosenAnswer = answer;
    chosenResult = result;
}

// The values of the last call, one a line; how many calls came; how many component objects are alive.
const wchar_t* __stdcall MailStubReceived(long* callCount, long* liveObjects) {
    *callCount = calls;
    *liveObjects = objects;
    return received.c_str();
}
}
