#include "browser/foreground.h"

namespace brovana {

void ForegroundSwitch(HWND h) {
    HWND front = GetForegroundWindow();
    if (front == h) return;
    DWORD frontThread = GetWindowThreadProcessId(front, nullptr);
    DWORD ownThread = GetWindowThreadProcessId(h, nullptr);
    AttachThreadInput(frontThread, ownThread, TRUE);
    SetForegroundWindow(h);
    BringWindowToTop(h);
    AttachThreadInput(frontThread, ownThread, FALSE);
    UpdateWindow(h);
}

} // namespace brovana
