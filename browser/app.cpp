#include "browser/app.h"

#include "browser/sink.h"

CBrovanaApp::CBrovanaApp() {
    HtmlText.clear();
    arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    ibeamCursor = LoadCursorW(nullptr, IDC_IBEAM);
    handCursor = LoadCursorW(nullptr, IDC_HAND);
    waitCursor = LoadCursorW(nullptr, IDC_WAIT);
    appStartingCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
}

// The sink goes first, so that it disconnects from its browser while everything else still stands.
CBrovanaApp::~CBrovanaApp() {
    if (sink) {
        delete sink;
        sink = nullptr;
    }
    CIEComCtrlSink::sweepRetired();
    // The handles are the system's shared cursors: the system keeps them alive, DestroyCursor only lets them go.
    DestroyCursor(arrowCursor);
    DestroyCursor(ibeamCursor);
    DestroyCursor(handCursor);
    DestroyCursor(waitCursor);
    DestroyCursor(appStartingCursor);
    std::string().swap(HtmlText);
}

void CBrovanaApp::attach(HINSTANCE module) {
    instance = module;
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name(path, n < MAX_PATH ? n : 0);
    std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    appName = name;
}

// Nothing to start: without a class framework there is no base start-up to run and no ambient activation context
// to turn off.
BOOL CBrovanaApp::InitInstance() {
    return TRUE;
}

void CBrovanaApp::forgetBrowser() {
    sink = nullptr;
    CIEComCtrlSink::forgetRetired();
}
