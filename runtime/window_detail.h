// What the window code and its event loop share; not for use outside runtime/window*.cpp.
#pragma once
#ifdef _WIN32

#include "runtime/window.h"

#include <windows.h>

#include <vector>

namespace rt::window_detail {

inline constexpr int first_control_id = 1000; // Win32 ids of the controls: this plus their place, clear of IDOK
inline constexpr UINT_PTR timer_id = 1;

// This thread's modal stack of open windows, innermost last.
std::vector<Window*>& open_windows();
// The shift, control and alt keys held now.
KeyCode modifiers();

} // namespace rt::window_detail

#endif
