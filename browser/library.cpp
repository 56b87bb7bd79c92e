// The library's globals, its entry point and its exports. Every export runs on the caller's thread and lets no
// exception out.
#include "browser/Brovana.h"
#include "browser/app.h"
#include "browser/pagetext.h"

#include <windows.h>

#include <string>

// In this order (see app.h).
std::wstring FindProgramText;
CBrovanaApp theApp;

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    // The process is ending (not a FreeLibrary): the browser is another process, and calls into it or COM's
    // clean-up under the loader lock could hold the exit up. theApp's destruction, which runs after this, then
    // leaves the browser objects alone.
    if (reason == DLL_PROCESS_DETACH && reserved) theApp.forgetBrowser();
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
