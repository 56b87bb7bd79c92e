// Small Win32 helpers shared by the window, prompt and INI modules: owning handle types and the one path on
// which a failed system call is reported.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <string_view>
#include <utility>

namespace rt {

// Owns one handle of type H and releases it with Close. Move-only; get() lends the handle.
template <class H, void (*Close)(H)> class Unique {
public:
    Unique() noexcept = default;
    explicit Unique(H h) noexcept : h_(h) {}
    ~Unique() { reset(); }
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, H{}));
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != H{}; }
    H release() noexcept { return std::exchange(h_, H{}); }
    void reset(H h = H{}) noexcept {
        if (h_ != H{}) Close(h_);
        h_ = h;
    }

private:
    H h_{};
};

namespace detail {
inline void close_font(HFONT h) {
    DeleteObject(h);
}
inline void close_brush(HBRUSH h) {
    DeleteObject(h);
}
inline void close_bitmap(HBITMAP h) {
    DeleteObject(h);
}
inline void close_dc(HDC h) {
    DeleteDC(h);
}
inline void close_icon(HICON h) {
    DestroyIcon(h);
}
inline void close_menu(HMENU h) {
    DestroyMenu(h);
}
inline void close_window(HWND h) {
    DestroyWindow(h);
}
inline void close_handle(HANDLE h) {
    CloseHandle(h);
}
inline void close_hook(HHOOK h) {
    UnhookWindowsHookEx(h);
}
inline void close_metafile(HENHMETAFILE h) {
    DeleteEnhMetaFile(h);
}
} // namespace detail

using UniqueFont = Unique<HFONT, detail::close_font>;
using UniqueBrush = Unique<HBRUSH, detail::close_brush>;
using UniqueBitmap = Unique<HBITMAP, detail::close_bitmap>;
using UniqueDC = Unique<HDC, detail::close_dc>; // a DC that was created (CreateCompatibleDC, CreateDC), not borrowed
using UniqueIcon = Unique<HICON, detail::close_icon>;
using UniqueMenu = Unique<HMENU, detail::close_menu>;
using UniqueWindow = Unique<HWND, detail::close_window>;
using UniqueHandle = Unique<HANDLE, detail::close_handle>;
using UniqueHook = Unique<HHOOK, detail::close_hook>;
using UniqueMetafile = Unique<HENHMETAFILE, detail::close_metafile>;

// A window's client-area DC (the screen's for no window), released at the end of the scope.
class ClientDC {
public:
    explicit ClientDC(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~ClientDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The screen's DC, released at the end of the scope.
class ScreenDC : public ClientDC {
public:
    ScreenDC() noexcept : ClientDC(nullptr) {}
};

// An object selected into a DC for the scope, put back at its end.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Reports a failed system call: the function, its argument (CP949) and the error code with its text, to the
// debugger output. Used for failures that the caller goes on from.
void report_failure(const char* function, std::string_view argument, DWORD code = GetLastError());

// An exception raised inside a window or dialog procedure must not cross it: the procedure holds it here and the
// message loop that dispatched the message throws it again once DispatchMessage has returned. The first one
// held wins until it is thrown.
void hold_exception() noexcept;
void rethrow_held();
// Runs a subclass procedure so that nothing it throws crosses it: the exception is held as above and the message
// answered 0.
LRESULT guarded(WNDPROC proc, HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept;

// Puts `proc` in front of the window procedure of control `h`, with `data` for it in the control's GWLP_USERDATA
// (which the system's controls leave to the program); answers the procedure it now stands in front of, which
// `proc` passes messages on to with CallWindowProcW. The system's own subclassing keeps its data in a window
// property, which costs Wine a server round trip for every message the control gets.
WNDPROC subclass(HWND h, WNDPROC proc, void* data);
// Takes `proc` out again when it still stands in front; `next` is what subclass() answered.
void unsubclass(HWND h, WNDPROC proc, WNDPROC next);
template <class T> T* subclass_data(HWND h) {
    return reinterpret_cast<T*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

// Makes sure COM is started on this thread (an apartment of its own); pictures and OLE need it.
void ensure_com();

} // namespace rt

#endif
