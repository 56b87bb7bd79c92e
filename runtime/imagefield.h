// Page-image fields: a control that shows the enhanced metafile named by its text (Window::set_text), stretched
// to the field, or at its natural size under scroll bars when they are on. The background is white until set.
#pragma once

#ifdef _WIN32

#include "runtime/window.h"

namespace rt {

// The window class of page-image fields (registered on first use).
const wchar_t* page_image_class();

// Scroll bars: with one on, the image keeps its natural size across (horizontal) or down (vertical) and scrolls.
void set_image_scrollbars(Window& w, Id control, bool horizontal, bool vertical);
// The natural size of the image shown, in dialog units of the window; 0 × 0 when none.
SIZE image_size(const Window& w, Id control);
void set_image_background(Window& w, Id control, COLORREF colour);
// The platform's cursor of that number (32516: the arrow pointing up and to the right) over the field.
void set_image_cursor(Window& w, Id control, int cursor);

} // namespace rt

#endif
