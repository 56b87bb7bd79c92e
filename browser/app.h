// The library's application object: the process-wide state that the exported functions share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CIEComCtrlSink;

// One per process (theApp), alive from the library's load to its unload. Not synchronised: the caller uses the
// library from one thread. There is no class framework behind it; the module handle and the application name are
// the only parts of one that the library needs.
class CBrovanaApp {
public:
    CBrovanaApp();
    ~CBrovanaApp();
    CBrovanaApp(const CBrovanaApp&) = delete;
    CBrovanaApp& operator=(const CBrovanaApp&) = delete;

    // Records the module the object belongs to; its file name without extension becomes the application name.
    void attach(HINSTANCE module);

    // Start-up once the library is loaded, run once; TRUE lets the load succeed.
    BOOL InitInstance();

    // Lets go of the current and the retired browser objects without touching them, for an ending process.
    void forgetBrowser();

    HINSTANCE instance = nullptr; // the library's module, set by attach()
    std::wstring appName;         // the module's file name without extension ("Brovana"), set by attach()

    CIEComCtrlSink* sink = nullptr;      // the browser the library drives, owned; null when there is none
    HCURSOR arrowCursor = nullptr;       // the system cursors, kept to classify the cursor currently shown
    HCURSOR ibeamCursor = nullptr;       //
    HCURSOR handCursor = nullptr;        //
    HCURSOR appStartingCursor = nullptr; //
    HCURSOR waitCursor = nullptr;        //
    std::string HtmlText;                // the last page fetched, in the calling thread's ANSI code page
    std::int32_t HtmlLength = 0;         // HtmlText's length in bytes after the last successful fetch; 0 until one
};

// The library's two globals, defined with the exports: constructed in this order at load, destroyed in reverse.
extern std::wstring FindProgramText; // the search text of the window search, empty at load
extern CBrovanaApp theApp;
