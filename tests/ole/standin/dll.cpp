// The in-process stand-in server: the four office document classes, self-registering for regsvr32.
#include "document.h"

namespace {
HINSTANCE self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    *out = nullptr;
    for (const standin::DocumentClass& cls : standin::inproc_classes) {
        if (clsid != cls.clsid) continue;
        IClassFactory* factory = standin::new_factory(cls);
        const HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return standin::live_objects == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    for (const standin::DocumentClass& cls : standin::inproc_classes) {
        const HRESULT hr = standin::register_class(cls, path, false);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    for (const standin::DocumentClass& cls : standin::inproc_classes)
        standin::unregister_class(cls);
    return S_OK;
}
