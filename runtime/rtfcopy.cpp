// A hidden rich-text control holding a copy of some RTF, and the selection's RTF out and in.
#ifdef _WIN32

#include "runtime/rtfcopy.h"

#include "runtime/text.h"
#include "runtime/win32.h"

#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>
#include <vector>

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

void stream_in(HWND edit, std::string_view rtf, WPARAM how) {
    const std::string shared = with_shared_formats(rtf);
    rtf = shared;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, read_chunk};
    SendMessageW(edit, EM_STREAMIN, SF_RTF | how, reinterpret_cast<LPARAM>(&es));
}

} // namespace

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
        // A switch before the table (some writers put one in the header) stays as it is: the copy has passed it.
        if (at < table_end || std::find(defined.begin(), defined.end(), n) == defined.end()) continue;
        copy_to(at);
        out += filler;
    }
    copy_to(rtf.size());
    return out;
}

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
