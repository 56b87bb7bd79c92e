// The local stand-in server (an .exe, as the office programs are): one document class. "/RegServer" and
// "/UnregServer" write and remove its registry entries; started by COM with "-Embedding", it serves documents until
// the last one is released.
#include "document.h"

#include <cwchar>

namespace {
DWORD main_thread = 0;

// Posted to the main thread: the release may come from any thread that COM uses.
void quit() {
    PostThreadMessageW(main_thread, WM_QUIT, 0, 0);
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command, int) {
    main_thread = GetCurrentThreadId();
    const bool reg = wcsstr(command, L"RegServer") && !wcsstr(command, L"Unreg");
    if (wcsstr(command, L"UnregServer")) return FAILED(standin::unregister_class(standin::local_class));
    if (reg) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        return FAILED(standin::register_class(standin::local_class, path, true));
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    standin::on_last_release = quit;
    IClassFactory* factory = standin::new_factory(standin::local_class);
    // One client per process: the system forgets the class object once it is handed out, so a server that was
    // ended (a test kills one) leaves no registration behind that would fail the next client, and a server on its
    // way out after its last release is never given a new client.
    DWORD cookie = 0;
    HRESULT hr =
        CoRegisterClassObject(standin::local_class.clsid, factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie);
    if (SUCCEEDED(hr)) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        CoRevokeClassObject(cookie);
    }
    factory->Release();
    OleUninitialize();
    return FAILED(hr);
}
