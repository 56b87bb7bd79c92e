// The rich-text editor's find and replace, and the find dialogs it runs on threads of their own.
#ifdef _WIN32

#include "runtime/rtfcontrol.h"

#include "runtime/rtfcopy.h"
#include "runtime/text.h"

#include <commdlg.h>
#include <process.h>
#include <richedit.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace rt {

namespace {

std::atomic<FindDialogProc> find_dialog{nullptr}, replace_dialog{nullptr};

struct DialogStart {
    FindDialogProc proc;
    std::string editor;
};

unsigned __stdcall dialog_thread(void* arg) {
    const std::unique_ptr<DialogStart> start(static_cast<DialogStart*>(arg));
    try {
        start->proc(start->editor, {});
    } catch (...) {
        // Nothing leaves the thread; the editor stops waiting when the thread ends.
    }
    return 0;
}

BOOL CALLBACK close_window(HWND h, LPARAM) {
    if (IsWindowVisible(h)) PostMessageW(h, WM_CLOSE, 0, 0);
    return TRUE;
}

// Rich edit's flags for the options.
WPARAM search_flags(long options) {
    WPARAM flags = options & rtf_find::up ? 0 : FR_DOWN;
    if (options & rtf_find::match_case) flags |= FR_MATCHCASE;
    if (options & rtf_find::whole_word) flags |= FR_WHOLEWORD;
    return flags;
}

// The first match of the text in [from, to) (to -1: the end; from > to searches towards the start); -1 when none.
long search(HWND edit, const std::wstring& text, WPARAM flags, long from, long to, CHARRANGE* found) {
    FINDTEXTEXW ft{};
    ft.chrg = {from, to};
    ft.lpstrText = text.c_str();
    const auto at = static_cast<long>(SendMessageW(edit, EM_FINDTEXTEXW, flags, reinterpret_cast<LPARAM>(&ft)));
    if (at >= 0 && found) *found = ft.chrgText;
    return at;
}

} // namespace

void RTFCONTROLCLASS::set_find_dialogs(FindDialogProc find, FindDialogProc replace) noexcept {
    find_dialog = find;
    replace_dialog = replace;
}

RTFCONTROLCLASS* RTFCONTROLCLASS::from_reference(std::string_view reference) noexcept {
    const std::string s(reference);
    char* end = nullptr;
    const unsigned long long n = std::strtoull(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0') return nullptr;
    return reinterpret_cast<RTFCONTROLCLASS*>(static_cast<std::uintptr_t>(n));
}

std::string RTFCONTROLCLASS::last_search() const {
    std::lock_guard lock(texts_);
    return last_search_;
}

std::string RTFCONTROLCLASS::last_replace() const {
    std::lock_guard lock(texts_);
    return last_replace_;
}

long RTFCONTROLCLASS::find(std::string_view text, long options, long start) {
    if (!edit_ || text.empty()) return -1;
    if (!(options & rtf_find::replace_one)) {
        std::lock_guard lock(texts_);
        last_search_ = std::string(text);
    }
    const bool up = options & rtf_find::up;
    if (start < 0) {
        // From the current selection on: past it going down, before it going up, so that a match already
        // selected is not found again.
        CHARRANGE sel{};
        SendMessageW(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        start = up ? sel.cpMin : sel.cpMax;
    }
    CHARRANGE found{};
    if (search(edit_, wide(text), search_flags(options), start, up ? 0 : -1, &found) < 0) return -1;
    SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&found));
    SendMessageW(edit_, EM_SCROLLCARET, 0, 0);
    return found.cpMin;
}

long RTFCONTROLCLASS::replace(std::string_view text, std::string_view replacement, long options, long position) {
    if (!edit_ || text.empty()) return -1;
    {
        std::lock_guard lock(texts_);
        last_search_ = std::string(text);
        last_replace_ = std::string(replacement);
    }
    const std::wstring what = wide(text), with = wide(replacement);
    const WPARAM flags = search_flags(options & ~rtf_find::up) | FR_DOWN;
    CHARRANGE found{};
    // Replacing the one occurrence wins over replacing every occurrence when a caller passes both.
    if ((options & rtf_find::replace_all) && !(options & rtf_find::replace_one)) {
        // Every occurrence from the start of the text, as one step of the undo history: the stretch from the first
        // occurrence to the end of the last is replaced in a hidden copy and put back in one piece, formats kept.
        CHARRANGE span{-1, -1};
        for (long from = 0; search(edit_, what, flags, from, -1, &found) >= 0; from = found.cpMax) {
            if (span.cpMin < 0) span.cpMin = found.cpMin;
            span.cpMax = found.cpMax;
        }
        if (span.cpMin < 0) return -1;
        SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&span));
        RichTextCopy copy(edit_, selection_rtf(edit_));
        // Each search goes on after the text put in.
        for (long from = 0; search(copy.handle(), what, flags, from, -1, &found) >= 0;
             from = found.cpMin + static_cast<long>(with.size())) {
            SendMessageW(copy.handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&found));
            SendMessageW(copy.handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(with.c_str()));
        }
        SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&span));
        replace_selection_rtf(edit_, copy.rtf());
        return span.cpMin;
    }
    // One occurrence: only when the text at the position still is a match.
    if (position < 0 ||
        search(edit_, what, flags, position, position + static_cast<long>(what.size()), &found) != position)
        return -1;
    SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&found));
    SendMessageW(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(with.c_str()));
    return position;
}

bool RTFCONTROLCLASS::FINDDLG() {
    return run_dialog(find_dialog);
}

bool RTFCONTROLCLASS::FINDANDREPLACEDLG() {
    return run_dialog(replace_dialog);
}

bool RTFCONTROLCLASS::run_dialog(FindDialogProc proc) {
    if (!proc || !edit_ || dialog_) return false;
    auto* start = new DialogStart{proc, std::to_string(reinterpret_cast<std::uintptr_t>(this))};
    unsigned id = 0;
    const auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, dialog_thread, start, 0, &id));
    if (!thread) {
        delete start;
        report_failure("_beginthreadex", "find dialog");
        return false;
    }
    dialog_ = thread;
    dialog_id_ = id;
    HANDLE ends = thread;
    // Waits in a message loop of its own, so that the windows of this thread stay responsive and the dialog's
    // calls into the editor are served, until the result has come and the dialog's thread has ended.
    bool answered = false, found = false;
    for (;;) {
        MSG msg;
        bool quit = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!msg.hwnd && (msg.message == WM_APP + rtf_found || msg.message == WM_APP + rtf_not_found)) {
                answered = true;
                found = msg.message == WM_APP + rtf_found;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (quit) {
            close_dialog();
            break;
        }
        if (WaitForSingleObject(ends, 0) == WAIT_OBJECT_0) {
            if (answered || !PeekMessageW(&msg, nullptr, WM_APP + rtf_not_found, WM_APP + rtf_found, PM_NOREMOVE))
                break;
            continue;
        }
        MsgWaitForMultipleObjectsEx(1, &ends, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    CloseHandle(ends);
    dialog_ = nullptr;
    dialog_id_ = 0;
    rethrow_held();
    UPDATECONTROLS();
    CHECKUNDOREDO();
    return found;
}

void RTFCONTROLCLASS::close_dialog() {
    if (!dialog_) return;
    // Asks the dialog's windows to close, then serves this thread's messages until its thread has ended: the
    // editor must outlive every call the dialog makes into it. The waiting dialog call closes the handle.
    EnumThreadWindows(dialog_id_, close_window, 0);
    HANDLE thread = dialog_;
    while (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

} // namespace rt

#endif
