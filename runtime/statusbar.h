// A status bar along the bottom of a window: one part of text, sized with the window.
#pragma once

#ifdef _WIN32

#include "runtime/window.h"

#include <string>
#include <string_view>

namespace rt {

class StatusBar {
public:
    // Adds the bar to an open window; it lies over the bottom strip of the client area.
    explicit StatusBar(Window& window);
    ~StatusBar();
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;

    void set_text(std::string_view cp949);
    std::string text() const;
    // Takes the window's width and bottom again after its size changed.
    void resize();
    HWND hwnd() const noexcept { return bar_; }

private:
    HWND bar_ = nullptr;
};

} // namespace rt

#endif
