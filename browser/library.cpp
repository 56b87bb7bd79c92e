// The library's globals, its entry point and its exports. Every export runs on the caller's thread and lets no
// exception out.
#include "browser/Brovana.h"
#include "browser/app.h"
#include "browser/pagetext.h"

#include <windows.h>

#include <string>

#if defined(__GLIBCXX__)
// The static C++ library keeps a buffer for exceptions thrown when memory runs out (about 19 KB) and never
// releases it by itself; this releases it.
namespace __gnu_cxx {
void __freeres();
}
#endif

// In this order (see app.h).
std::wstring FindProgramText;
CBrovanaApp theApp;

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
#if defined(__GLIBCXX__)
    // Unloaded by FreeLibrary (not at process exit): give back the C++ library's exception buffer, so that a
    // load and unload leaves no memory behind. Nothing in the library throws after this point.
    if (reason == DLL_PROCESS_DETACH && !reserved) __gnu_cxx::__freeres();
#else
    (void)reserved;
#endif
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    try {
        theApp.attach(module);
        return theApp.InitInstance();
    } catch (...) {
        return FALSE;
    }
}

extern "C" {

std::int32_t __stdcall GetHtmlLength(const char* url, void*) {
    try {
        return brovana::fetchPage(theApp, url);
    } catch (...) {
        return -1;
    }
}

const char* __stdcall GetHtmlSource() {
    return brovana::pageSource(theApp);
}

void __stdcall ClearHtmlSource() {
    try {
        brovana::clearPage(theApp);
    } catch (...) {
    }
}
}
