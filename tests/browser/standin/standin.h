// The browser stand-in's objects: the browser with its connection point for the browser events, its top-level
// window with the bar strips and the page area, and the page's document with its body and root element. COM is
// written against the interfaces' C method tables, so that every method sits at the slot the type library
// gives; slots the tests never reach end the process, which the caller sees as a failed call.
#pragma once

#define CINTERFACE
#define COBJMACROS
#include <windows.h>

#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>

#include "shared.h"

#include <string>
#include <utility>
#include <vector>

namespace standin {

extern Shared* shared;
// Wakes the client thread that waits for what the stand-in writes into the shared block.
void wakeClient();

// The process lives while a browser object is referenced or a window of its is open.
void holdProcess();
void releaseProcess();

// Fills every slot of a method table with the trap for unreached methods; the caller then sets the real ones.
void unreached();
template <class Table> void fillWithTraps(Table& table) {
    auto** slots = reinterpret_cast<void**>(&table);
    for (std::size_t i = 0; i < sizeof(Table) / sizeof(void*); ++i)
        slots[i] = reinterpret_cast<void*>(&unreached);
}

struct Element {
    IHTMLElement element;
    IHTMLElement2 element2;
    IUnknown* owner; // counts the references
    LONG scrollTop = 0;
    volatile LONG* mirror; // where the position shows to the tests
    HWND page;             // the viewport: the largest position leaves one page area height of the page in view
};

struct Document {
    IHTMLDocument2 document2;
    IHTMLDocument3 document3;
    IUnknown* owner;
    Element body, root;
};
// A document whose references count on owner; it lives as long as owner does.
void initDocument(Document& document, IUnknown* owner, HWND page);

struct Browser {
    IWebBrowser2 web;
    IConnectionPointContainer container;
    IConnectionPoint point;
    IDispatch frame; // the object the events of the page's frame name
    LONG refs = 1;

    HWND window = nullptr, page = nullptr;
    VARIANT_BOOL addressBar = VARIANT_TRUE, menuBar = VARIANT_TRUE, statusBar = VARIANT_TRUE, resizable = VARIANT_TRUE;
    int toolBar = 1;
    bool hasDocument = true;
    Document document;

    // History of visited addresses, at the current one; a navigation under way waits in pending.
    std::vector<std::wstring> history;
    std::size_t at = 0;
    // A navigation asked for waits in requested until its start is posted; a started one that has not completed
    // waits in pending.
    enum class Move { None, New, Back, Forward } requested = Move::None, pending = Move::None;
    std::wstring requestedUrl, pendingUrl;

    std::vector<std::pair<DWORD, IDispatch*>> sinks; // advised event sinks by cookie
    DWORD nextCookie = 1;

    // The events, sent to every advised sink.
    void fire(DISPID id, std::vector<VARIANT> args); // args in their documented order
    void beginNavigation(const std::wstring& url, Move move);
    void finishNavigation();
    LONG steer(UINT command, UINT argument); // the command's answer
    void quit();                             // the window closes: OnQuit, then the window goes
    void layout();                           // bars and page area after a change of the bars or the size
};

// Posted to the top-level window: start the navigation that a method call asked for.
constexpr UINT kNavigate = WM_APP + 41;

Browser* newBrowser();
// The window procedure's part: a posted navigation starts; the window is gone.
void startRequested(Browser& browser);
void windowGone(Browser& browser);
// The top-level window of a browser, its bars and page area; defined with the window procedures.
bool createWindows(Browser& browser);
void setResizable(Browser& browser);
void showBars(Browser& browser);
// A popup window opened for an allowed new window.
void openPopup();

} // namespace standin
