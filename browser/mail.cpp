// The export that hands a mail message to the outside mail component.
#include "browser/Brovana.h"
#include "browser/ansi.h"

#include <windows.h>

#include <oleauto.h>

// The component's dual interface: IDispatch's operations, then its one own operation that the library calls.
// Declared outside an unnamed namespace: the compiler would otherwise take this file for the only place that can
// implement it, find no implementation and drop the call.
struct IMailComponent : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Send(BSTR text1, LONG number2, LONG number3, BSTR text4, BSTR text5, BSTR text6,
                                           BSTR text7, BSTR text8, BSTR text9, BSTR text10, LONG number11,
                                           LONG number12, BYTE* answer) = 0;
};

namespace {

const CLSID CLSID_MailComponent = {0x6CDEEEA6, 0xF41F, 0x40C4, {0xA4, 0xC8, 0x30, 0xD8, 0x65, 0xAC, 0xAB, 0x6D}};
const IID IID_IMailComponent = {0xF47EE0A1, 0xD666, 0x4860, {0xB3, 0xE5, 0x1B, 0x37, 0xB0, 0x79, 0xC5, 0x2E}};

// An automation string of an ANSI text, freed when it goes; a null text is the empty string.
class Bstr {
public:
    explicit Bstr(const char* text) {
        std::wstring wide = brovana::fromAnsi(text);
        value_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        if (!value_) throw std::bad_alloc();
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return value_; }

private:
    BSTR value_;
};

// COM started on this thread for the life of the object, and ended only when this start succeeded.
struct ComThread {
    HRESULT started = CoInitialize(nullptr);
    ~ComThread() {
        if (SUCCEEDED(started)) CoUninitialize();
    }
};

// Hands the values to the component: 0 when it cannot be created, 1 when it accepted the message (answered 1), 2
// otherwise, a failed call included. The component is released after the call.
BYTE CallMailComponent(const char* text1, int number2, int number3, const char* text4, const char* text5,
                       const char* text6, const char* text7, const char* text8, const char* text9, const char* text10,
                       int number11, int number12) {
    ComThread com;
    IMailComponent* mail = nullptr;
    if (FAILED(CoCreateInstance(CLSID_MailComponent, nullptr, CLSCTX_INPROC_SERVER, IID_IMailComponent,
                                reinterpret_cast<void**>(&mail))) ||
        !mail)
        return 0;
    BYTE answer = 0;
    HRESULT hr = E_FAIL;
    try {
        Bstr t1(text1), t4(text4), t5(text5), t6(text6), t7(text7), t8(text8), t9(text9), t10(text10);
        hr = mail->Send(t1, number2, number3, t4, t5, t6, t7, t8, t9, t10, number11, number12, &answer);
    } catch (...) {
    }
    mail->Release();
    return SUCCEEDED(hr) && answer == 1 ? 1 : 2;
}

} // namespace

extern "C" {

BYTE __stdcall MevMailSend(const char* text1, int number2, int number3, const char* text4, const char* text5,
                           const char* text6, const char* text7, const char* text8, const char* text9,
                           const char* text10, int number11, int number12) {
    try {
        return CallMailComponent(text1, number2, number3, text4, text5, text6, text7, text8, text9, text10, number11,
                                 number12);
    } catch (...) {
        return 0;
    }
}
}
