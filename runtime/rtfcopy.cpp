// A hidden rich-text control holding a copy of some RTF, and the selection's RTF out and in.
#ifdef _WIN32

#include "runtime/rtfcopy.h"

#include "runtime/text.h"
#include "runtime/win32.h"

#include <richedit.h>

#include <algorithm>

namespace rt {

namespace {

DWORD CALLBACK read_chunk(DWORD_PTR cookie, LPBYTE buf, LONG want, LONG* got) {
    auto* rest = reinterpret_cast<std::string_view*>(cookie);
    const size_t n = std::min(rest->size(), static_cast<size_t>(want));
    std::copy_n(rest->data(), n, buf);
    rest->remove_prefix(n);
    *got = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK write_chunk(DWORD_PTR cookie, LPBYTE buf, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buf), static_cast<size_t>(size));
    *done = size;
    return 0;
}

void stream_in(HWND edit, std::string_view rtf, WPARAM how) {
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, read_chunk};
    SendMessageW(edit, EM_STREAMIN, SF_RTF | how, reinterpret_cast<LPARAM>(&es));
}

} // namespace

std::string selection_rtf(HWND edit) {
    std::string out;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, write_chunk};
    SendMessageW(edit, EM_STREAMOUT, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&es));
    while (!out.empty() && out.back() == '\0')
        out.pop_back();
    return out;
}

void replace_selection_rtf(HWND edit, std::string_view rtf) {
    stream_in(edit, rtf, SFF_SELECTION);
}

RichTextCopy::RichTextCopy(HWND like, std::string_view rtf) {
    wchar_t cls[64] = L"";
    GetClassNameW(like, cls, 64);
    edit_ = CreateWindowExW(0, cls, nullptr, WS_POPUP | ES_MULTILINE, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!edit_) {
        report_failure("CreateWindowExW", narrow(cls));
        return;
    }
    SendMessageW(edit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    SendMessageW(edit_, EM_SETUNDOLIMIT, 0, 0); // nothing done to the copy is ever undone
    stream_in(edit_, rtf, 0);
}

RichTextCopy::~RichTextCopy() {
    if (edit_) DestroyWindow(edit_);
}

long RichTextCopy::length() const {
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return edit_ ? static_cast<long>(SendMessageW(edit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0)) : 0;
}

std::string RichTextCopy::rtf() const {
    if (!edit_) return {};
    CHARRANGE all{0, length()};
    SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    return selection_rtf(edit_);
}

} // namespace rt

#endif
