// The rich-text editor's body: RTF in and out, files, the paste and open limit and the right-click menu.
#ifdef _WIN32

#include "runtime/rtfcontrol.h"

#include "runtime/prompt.h"
#include "runtime/text.h"

#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>
#include <vector>

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

// Calls word(at, name, param, depth) for each control word of RTF outside binary data, at the byte where it starts,
// with the depth of groups it lies in; param is absent when the word has none. False when the RTF holds binary
// data, which cannot be read as tokens.
template <class Word> bool scan_words(std::string_view s, Word word) {
    int depth = 0;
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '{' || c == '}') {
            depth += c == '{' ? 1 : -1;
            ++i;
            continue;
        }
        if (c != '\\') {
            ++i;
            continue;
        }
        const size_t at = i++;
        auto letter = [&](size_t k) { return k < s.size() && std::isalpha(static_cast<unsigned char>(s[k])); };
        if (!letter(i)) {
            i += i < s.size() && s[i] == '\'' ? 3 : 1; // a control symbol, or a byte as two hex digits
            continue;
        }
        const size_t name = i;
        while (letter(i))
            ++i;
        const std::string_view w = s.substr(name, i - name);
        std::optional<long> param;
        const size_t digits = i < s.size() && s[i] == '-' ? i + 1 : i;
        if (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits]))) {
            long v = 0;
            for (i = digits; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i)
                v = std::min(v * 10 + (s[i] - '0'), 1'000'000'000L);
            param = digits > name + w.size() ? -v : v;
        }
        if (w == "bin") return false;
        word(at, w, param, depth);
    }
    return true;
}

// Wine's reader sets a font switch's face name in a format it does not clear, so the bytes after the name are what
// was on the stack; formats are told apart whole, so every switch makes a format that matches none before it, and
// as each switch searches them all, a body's load grows with the square of its font switches (2 MB of lines in
// alternating fonts: 1.5 s, against 0.6 s without the switches). A switch just before each one to a font whose name
// fills the face name whole leaves the same bytes every time, and the formats are shared again. No text lies
// between the two switches, so none is in that font, and the editor does not write it out.
std::string with_shared_formats(std::string_view rtf) {
    static constexpr std::string_view filler_face = "VelquinSharedFormatFillerFace00"; // 31 characters and the NUL
    size_t table_end = std::string_view::npos; // where the filler font goes: after the table's own word
    bool table_braced = false;
    long highest = 0;
    std::vector<long> defined;
    std::vector<std::pair<size_t, long>> switches; // font switches outside the font table and the style sheet
    std::string_view inside;                       // "fonttbl" or "stylesheet" while in that group
    int inside_depth = 0;
    const bool readable = scan_words(rtf, [&](size_t at, std::string_view w, std::optional<long> n, int depth) {
        if (!inside.empty() && depth < inside_depth) inside = {};
        if (w == "fonttbl" || w == "stylesheet") {
            inside = w;
            inside_depth = depth;
            if (w == "fonttbl" && table_end == std::string_view::npos) {
                table_end = at + 1 + w.size();
                if (table_end < rtf.size() && rtf[table_end] == ' ') ++table_end;
                table_braced = table_end < rtf.size() && rtf[table_end] == '{';
            }
            return;
        }
        if (w != "f" || !n) return;
        highest = std::max(highest, *n);
        if (inside == "fonttbl")
            defined.push_back(*n);
        else if (inside.empty())
            switches.emplace_back(at, *n);
    });
    if (!readable || !table_braced || defined.empty()) return std::string(rtf);
    const std::string filler = "\\f" + std::to_string(highest + 1);
    std::string out;
    out.reserve(rtf.size() + switches.size() * (filler.size() + 1) + 64);
    size_t from = 0;
    auto copy_to = [&](size_t at) {
        out.append(rtf.substr(from, at - from));
        from = at;
    };
    copy_to(table_end);
    out += "{" + filler + "\\fnil\\fcharset0 " + std::string(filler_face) + ";}";
    for (const auto& [at, n] : switches) {
        if (std::find(defined.begin(), defined.end(), n) == defined.end()) continue;
        copy_to(at);
        out += filler;
    }
    copy_to(rtf.size());
    return out;
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
