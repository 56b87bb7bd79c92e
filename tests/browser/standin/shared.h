// What the browser stand-in and the tests share: the memory block in which the stand-in records what its page
// area received and answers steering commands, the steering commands themselves, and its window classes.
#pragma once

#include <windows.h>

namespace standin {

// The stand-in's top-level window, its page area and the four bar strips (child ids).
constexpr wchar_t kFrameClass[] = L"BrovanaStandInBrowser";
constexpr wchar_t kPopupClass[] = L"BrovanaStandInPopup";
constexpr int kPageId = 100;
constexpr int kAddressBarId = 101, kMenuBarId = 102, kToolBarId = 103, kStatusBarId = 104;

// Regions of the page area (client points of the page area): a text field shows the I-beam, a link the hand.
constexpr RECT kTextField = {20, 20, 220, 50};
constexpr RECT kLink = {20, 80, 140, 100};
// The page's height in pixels, which its body answers as scrollHeight.
constexpr LONG kPageHeight = 5000;
// Where a new window opened by a link would go.
constexpr wchar_t kPopupUrl[] = L"http://popup.invalid/window";
// Where GoHome navigates.
constexpr wchar_t kHomeUrl[] = L"http://home.invalid/";

// One message that the page area received.
struct InputRecord {
    UINT message;
    UINT wParam;
    LONG lParam;
    LONG x, y;  // client point of the page area for mouse messages
    DWORD time; // the message's time stamp
};

// Steering: posted to the top-level window as kSteer with the command in the low byte of wParam and its argument
// above, and a sequence number in lParam; the stand-in writes the number to acked and its answer to answer when it
// is done, and wakes the client thread.
constexpr UINT kSteer = WM_APP + 40;
enum Command : UINT {
    kSync = 0,         // nothing: what was posted to the stand-in before has been carried out
    kFrameNavigation,  // BeforeNavigate2 and DocumentComplete of a frame
    kFinishNavigation, // the held navigation completes
    kCommandState,     // CommandStateChange(arg & 0xFF, arg >> 8)
    kNewWindow,        // NewWindow2; answer 1 when it was cancelled, else 0 and a popup window opens
    kDocument,         // arg 0 drops the page's document, 1 gives it back
};

constexpr wchar_t kSharedName[] = L"BrovanaStandInShared";
constexpr DWORD kMaxRecords = 16384;

struct Shared {
    volatile LONG clientThread; // woken with WM_NULL whenever something below changes
    volatile LONG hold;         // 1: a navigation stops after its start until kFinishNavigation
    volatile LONG acked;
    volatile LONG answer;
    volatile LONG bodyScrollTop, rootScrollTop;
    volatile LONG popups;      // popup windows opened for new windows
    volatile LONG connections; // event sinks advised and not yet unadvised
    // The cursor handles the page area shows over its text field and link (the caller's system cursors; 0 for the
    // stand-in's own).
    volatile LONG ibeamCursor, handCursor, arrowCursor;
    volatile LONG quitInCall; // 1: the next call of a browser method quits the browser before it answers
    volatile LONG count;      // records written
    InputRecord records[kMaxRecords];
};

// The block, created by whichever side comes first; null when it cannot be mapped.
inline Shared* openShared(HANDLE* mapping) {
    *mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), kSharedName);
    if (!*mapping) return nullptr;
    return static_cast<Shared*>(MapViewOfFile(*mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
}

} // namespace standin
