// Bringing a window of any thread or process to the foreground.
#pragma once

#include <windows.h>

namespace brovana {

// Brings h to the foreground: the foreground window's thread lends its input state to h's thread for the
// switch, since Windows lets only the thread that owns the foreground change it. Does nothing when h is already
// in front.
void ForegroundSwitch(HWND h);

} // namespace brovana
