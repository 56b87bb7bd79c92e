// The rich-text editor's body: RTF in and out, files, the paste and open limit and the right-click menu.
#ifdef _WIN32

#include "runtime/rtfcontrol.h"

#include "runtime/prompt.h"
#include "runtime/rtfcopy.h"
#include "runtime/text.h"

#include <richedit.h>

#include <algorithm>

namespace rt {

namespace {

struct Reader {
    std::string_view rest;
};

DWORD CALLBACK read_chunk(DWORD_PTR cookie, LPBYTE buf, LONG want, LONG* got) {
    auto* r = reinterpret_cast<Reader*>(cookie);
    const size_t n = std::min(r->rest.size(), static_cast<size_t>(want));
    std::copy_n(r->rest.data(), n, buf);
    r->rest.remove_prefix(n);
    *got = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK write_chunk(DWORD_PTR cookie, LPBYTE buf, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buf), static_cast<size_t>(size));
    *done = size;
    return 0;
}

bool is_rtf(std::string_view s) {
    return s.substr(0, 5) == "{\\rtf";
}

// Streams bytes into the editor: RTF as it is (with its formats shared), anything else as CP949 text.
void stream_in(HWND edit, std::string_view body, WPARAM how = 0) {
    std::string bytes;
    Reader r{body};
    WPARAM format = SF_RTF;
    if (is_rtf(body)) {
        bytes = with_shared_formats(body);
        r.rest = bytes;
    } else {
        const std::u16string w = from_cp949(body);
        bytes.assign(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(char16_t));
        r.rest = bytes;
        format = SF_TEXT | SF_UNICODE;
    }
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&r), 0, read_chunk};
    SendMessageW(edit, EM_STREAMIN, format | how, reinterpret_cast<LPARAM>(&es));
}

// A whole file's bytes; refused beyond a size far over any body's, which could only be refused after loading.
bool read_file(const std::string& path, std::string& out) {
    UniqueHandle h(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) {
        h.release();
        report_failure("CreateFileW", path);
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size) || size.QuadPart > static_cast<LONGLONG>(8 * rtf_body_limit)) return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return out.empty() ||
           (ReadFile(h.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr) && got == out.size());
}

bool write_file(const std::string& path, std::string_view bytes) {
    UniqueHandle h(CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) {
        h.release();
        report_failure("CreateFileW", path);
        return false;
    }
    DWORD written = 0;
    return (bytes.empty() || WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) &&
           written == bytes.size();
}

void too_big(const char16_t* what) {
    message(to_cp949(std::u16string(u"본문은 2,000,000 바이트를 넘을 수 없어 ") + what + u" 수 없습니다."), {},
            Icon::exclamation);
}

} // namespace

std::string RTFCONTROLCLASS::rtf() const {
    std::string out;
    if (!edit_) return out;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, write_chunk};
    SendMessageW(edit_, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    while (!out.empty() && out.back() == '\0') // some versions stream the text's terminator too
        out.pop_back();
    return out;
}

bool RTFCONTROLCLASS::within_limit() {
    return rtf().size() < rtf_body_limit; // room for the closing NUL of the body's buffer
}

bool RTFCONTROLCLASS::set_rtf(std::string_view body) {
    if (!edit_) return false;
    stream_in(edit_, body);
    SendMessageW(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
    UPDATECONTROLS();
    return true;
}

bool RTFCONTROLCLASS::open_file(const std::string& path) {
    std::string bytes;
    if (!read_file(path, bytes)) {
        message(to_cp949(u"파일을 열 수 없습니다.|") + path, {}, Icon::exclamation);
        return false;
    }
    // Loaded first and measured as the body it makes: RTF may come out longer or shorter than it went in.
    const std::string before = rtf();
    stream_in(edit_, bytes);
    if (!within_limit()) {
        stream_in(edit_, before);
        too_big(u"불러올");
        return false;
    }
    SendMessageW(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
    TOUCH();
    file_name_ = path;
    REFRESHFILENAME();
    UPDATECONTROLS();
    return true;
}

bool RTFCONTROLCLASS::save_file(const std::string& path) {
    const std::string body = rtf();
    if (!write_file(path, body)) {
        message(to_cp949(u"파일을 저장할 수 없습니다.|") + path, {}, Icon::exclamation);
        return false;
    }
    file_name_ = path;
    REFRESHFILENAME();
    return true;
}

void RTFCONTROLCLASS::paste() {
    if (!edit_ || !SendMessageW(edit_, EM_CANPASTE, 0, 0)) return;
    // The paste is made, measured and undone when the body grew too big.
    SendMessageW(edit_, WM_PASTE, 0, 0);
    if (!within_limit()) {
        SendMessageW(edit_, EM_UNDO, 0, 0);
        too_big(u"붙여넣을");
    }
    CHECKUNDOREDO();
}

void RTFCONTROLCLASS::context_menu() {
    if (!edit_) return;
    static const char16_t* const standard[] = {u"실행 취소", u"다시 실행", u"잘라내기", u"복사",
                                               u"붙여넣기",  u"삭제",      u"모두 선택"};
    std::string items;
    for (const char16_t* s : standard)
        items += (items.empty() ? "" : "|") + CONTEXTMENUTRANSLATE(to_cp949(s));
    const std::string extra = CONTEXTMENUTEXT();
    if (!extra.empty()) items += "|" + extra;
    const int n = popup(items);
    switch (n) {
    case 0:
        return;
    case 1:
        SendMessageW(edit_, EM_UNDO, 0, 0);
        break;
    case 2:
        SendMessageW(edit_, EM_REDO, 0, 0);
        break;
    case 3:
        SendMessageW(edit_, WM_CUT, 0, 0);
        break;
    case 4:
        SendMessageW(edit_, WM_COPY, 0, 0);
        break;
    case 5:
        paste();
        break;
    case 6:
        SendMessageW(edit_, WM_CLEAR, 0, 0);
        break;
    case 7:
        SendMessageW(edit_, EM_SETSEL, 0, -1);
        break;
    default:
        CONTEXTMENUCHOICE(n - 7);
        break;
    }
    CHECKUNDOREDO();
    CHECKPASTEBUTTON();
}

} // namespace rt

#endif
