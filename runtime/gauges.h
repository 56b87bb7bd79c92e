// Controls beyond the basic ones: page-image fields (runtime/imagefield.h), spin boxes and progress bars. The
// window creates them by kind; their own operations are here.
#pragma once

#ifdef _WIN32

#include "runtime/window.h"

namespace rt {

// The window class, style and extended style of a page image, spin box or progress bar.
const wchar_t* extra_control_class(Kind kind, DWORD& style, DWORD& ex);
// Gives a spin box's entry its up and down arrows.
void add_spin_arrows(HWND entry);

// The range of a spin box's arrows.
void set_spin_range(Window& w, Id control, int low, int high);
// A progress bar's position, 0 to 100.
void set_progress(Window& w, Id control, int percent);
int progress(const Window& w, Id control);

} // namespace rt

#endif
