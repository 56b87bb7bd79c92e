// The report path for failed system calls and the start of COM on the thread.
#ifdef _WIN32

#include "runtime/win32.h"

#include "runtime/perthread.h"

#include "runtime/text.h"

#include <objbase.h>

#include <exception>
#include <string>
#include <utility>

namespace rt {

void report_failure(const char* function, std::string_view argument, DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring line = L"velquin: ";
    for (const char* p = function; *p; ++p)
        line += static_cast<wchar_t>(*p);
    line += L"(" + wide(argument) + L") failed: " + std::to_wstring(code) + L" ";
    if (text) {
        line += text;
        LocalFree(text);
    }
    line += L"\n";
    OutputDebugStringW(line.c_str());
}

namespace {
// Raised inside a window procedure, not yet thrown again. A reference per thread: a thread_local object with a
// destructor is unsafe under mingw (see perthread.h).
std::exception_ptr& held() {
    thread_local std::exception_ptr& exception = per_thread<std::exception_ptr>();
    return exception;
}
} // namespace

void hold_exception() noexcept {
    if (!held()) held() = std::current_exception();
}

void rethrow_held() {
    if (held()) std::rethrow_exception(std::exchange(held(), nullptr));
}

LRESULT guarded(WNDPROC proc, HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
        return proc(h, msg, wp, lp);
    } catch (...) {
        hold_exception();
        return 0;
    }
}

WNDPROC subclass(HWND h, WNDPROC proc, void* data) {
    if (!h) return nullptr;
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
    auto next = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    if (!next) report_failure("SetWindowLongPtrW", "GWLP_WNDPROC");
    return next;
}

void unsubclass(HWND h, WNDPROC proc, WNDPROC next) {
    if (!h || !next || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC)) != proc) return;
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
}

void ensure_com() {
    thread_local bool started = false;
    if (started) return;
    // S_FALSE (already started) and RPC_E_CHANGED_MODE (started by someone else in another mode) both leave COM
    // usable on this thread; the apartment stays until the thread ends.
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) report_failure("CoInitializeEx", "", static_cast<DWORD>(hr));
    started = true;
}

} // namespace rt

#endif
