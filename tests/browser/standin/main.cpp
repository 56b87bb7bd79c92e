// The browser stand-in, a local server over the browser's class. "/RegServer" puts it in place of the system's
// browser (keeping the replaced entry) and "/UnregServer" puts that entry back; started by COM it serves browsers
// until the last one is released and its window closed.
#include "standin.h"

#include <cwchar>

namespace standin {

Shared* shared = nullptr;

namespace {

const CLSID kBrowserClass = {0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr wchar_t kServerKey[] = L"CLSID\\{0002DF01-0000-0000-C000-000000000046}\\LocalServer32";
constexpr wchar_t kSavedValue[] = L"ReplacedByStandIn";

LONG held = 0;
DWORD classCookie = 0;

// Puts the stand-in's path in place of the server entry, keeping the replaced one once.
int registerServer() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring server = std::wstring(L"\"") + path + L"\"";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)) return 1;
    wchar_t old[1024] = {};
    DWORD size = sizeof old;
    if (RegQueryValueExW(key, kSavedValue, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS &&
        RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS)
        RegSetValueExW(key, kSavedValue, 0, REG_SZ, reinterpret_cast<BYTE*>(old), size);
    LONG rc = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                             static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc != ERROR_SUCCESS;
}

int unregisterServer() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, KEY_ALL_ACCESS, &key)) return 0;
    wchar_t old[1024] = {};
    DWORD size = sizeof old;
    if (RegQueryValueExW(key, kSavedValue, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS) {
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<BYTE*>(old), size);
        RegDeleteValueW(key, kSavedValue);
    }
    RegCloseKey(key);
    return 0;
}

// The class factory, a static object.
HRESULT STDMETHODCALLTYPE factoryQuery(IClassFactory* p, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // Not IMarshal: the factory is marshalled by the system.
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *out = p;
    return S_OK;
}
ULONG STDMETHODCALLTYPE factoryAddRef(IClassFactory*) {
    return 2;
}
ULONG STDMETHODCALLTYPE factoryRelease(IClassFactory*) {
    return 1;
}
HRESULT STDMETHODCALLTYPE createInstance(IClassFactory*, IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Browser* b = newBrowser();
    if (!b) return E_OUTOFMEMORY;
    IWebBrowser2* web = &b->web;
    HRESULT hr = IWebBrowser2_QueryInterface(web, iid, out);
    IWebBrowser2_Release(web);
    return hr;
}
HRESULT STDMETHODCALLTYPE lockServer(IClassFactory*, BOOL lock) {
    if (lock)
        holdProcess();
    else
        releaseProcess();
    return S_OK;
}

IClassFactoryVtbl factoryTable = {factoryQuery, factoryAddRef, factoryRelease, createInstance, lockServer};
IClassFactory factory = {&factoryTable};

} // namespace

void wakeClient() {
    if (shared && shared->clientThread) PostThreadMessageW(static_cast<DWORD>(shared->clientThread), WM_NULL, 0, 0);
}

void holdProcess() {
    ++held;
}

// The last browser is gone: no new one is served by this process, which ends.
void releaseProcess() {
    if (--held > 0) return;
    if (classCookie) CoRevokeClassObject(classCookie);
    classCookie = 0;
    PostQuitMessage(0);
}

void unreached() {
    OutputDebugStringW(L"browser stand-in: a method it does not serve was called\n");
    ExitProcess(3);
}

} // namespace standin

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command, int) {
    using namespace standin;
    if (wcsstr(command, L"UnregServer")) return unregisterServer();
    if (wcsstr(command, L"RegServer")) return registerServer();
    HANDLE mapping = nullptr;
    shared = openShared(&mapping);
    if (!shared) return 1;
    if (FAILED(CoInitialize(nullptr))) return 1;
    HRESULT hr = CoRegisterClassObject(kBrowserClass, reinterpret_cast<IUnknown*>(&factory), CLSCTX_LOCAL_SERVER,
                                       REGCLS_MULTIPLEUSE, &classCookie);
    if (SUCCEEDED(hr)) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (classCookie) CoRevokeClassObject(classCookie);
    CoUninitialize();
    UnmapViewOfFile(shared);
    CloseHandle(mapping);
    return FAILED(hr);
}
