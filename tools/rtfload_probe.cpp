// Probe (not a test, not shipped): how fast a rich-text control takes a large Korean RTF body, loaded in different
// ways, at several body sizes. Each way loads into a fresh control in a window of its own; the time is from the
// first message of the load until the window has painted.
//   rtfload_probe [way ...]      (tools/probe-rtfload runs it under Wine)
#include <windows.h>

#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::string cp949(const wchar_t* s) {
    const int n = WideCharToMultiByte(949, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(949, 0, s, -1, out.data(), n, nullptr, nullptr);
    out.pop_back();
    return out;
}

const wchar_t* const line_text = L"문서 관리 본문의 한 줄입니다. ";

// A Korean line as RTF text: CP949 bytes as \'xx pairs, or UTF-16 units as \uN? escapes.
std::string rtf_line(bool unicode) {
    std::string out;
    char hex[16];
    if (unicode) {
        for (const wchar_t* p = line_text; *p; ++p) {
            if (*p < 0x80) {
                out += static_cast<char>(*p);
            } else {
                std::snprintf(hex, sizeof hex, "\\u%d?", static_cast<int>(static_cast<short>(*p)));
                out += hex;
            }
        }
        return out;
    }
    for (unsigned char c : cp949(line_text)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            out += hex;
        }
    }
    return out;
}

// RTF of about `size` bytes: lines in two fonts and sizes (or switching only the font, only the size, or neither).
enum class Switch { both, font, size, none };
std::string korean_rtf(size_t size, bool unicode, Switch sw = Switch::both) {
    std::string body = "{\\rtf1\\ansi\\ansicpg949\\deff0{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}"
                       "{\\f1\\fnil\\fcharset129 Dotum;}}\\viewkind4\\uc1\\pard\\lang1042\\f0\\fs20 ";
    const std::string line = rtf_line(unicode);
    for (int n = 0; body.size() + line.size() * 2 + 32 < size; ++n)
        body += (sw == Switch::both   ? (n % 2 ? "\\f1\\fs24 " : "\\f0\\fs20 ")
                 : sw == Switch::font ? (n % 2 ? "\\f1 " : "\\f0 ")
                 : sw == Switch::size ? (n % 2 ? "\\fs24 " : "\\fs20 ")
                                      : "") +
                line + line + "\\par\n";
    return body + "\\par}";
}

// The same text, plain, as UTF-16 bytes.
std::string plain_text(size_t size) {
    std::wstring w;
    const std::wstring line = std::wstring(line_text) + line_text + L"\r\n";
    // About as many characters as the RTF of that size holds.
    const size_t lines = size / (rtf_line(false).size() * 2 + 16);
    for (size_t i = 0; i < lines; ++i)
        w += line;
    return std::string(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
}

// The body with a font of a 31-character name switched to before each font switch (an experiment: the reader
// leaves the bytes after a short face name as they were).
std::string with_long_font(const std::string& rtf) {
    const size_t table = rtf.find("{\\fonttbl");
    if (table == std::string::npos) return rtf;
    std::string out = rtf.substr(0, table + 9) + "{\\f99\\fnil ABCDEFGHIJKLMNOPQRSTUVWXYZABCDE;}";
    const size_t body = rtf.find("}}", table);
    out += rtf.substr(table + 9, body - table - 9);
    for (size_t i = body; i < rtf.size(); ++i) {
        if (rtf[i] == '\\' && i + 2 < rtf.size() && rtf[i + 1] == 'f' && std::isdigit(static_cast<unsigned char>(rtf[i + 2])))
            out += "\\f99";
        out += rtf[i];
    }
    return out;
}

struct Reader {
    const std::string* bytes;
    size_t at;
    LONG chunk; // the most bytes given a call; 0 for as many as asked
};

DWORD CALLBACK read_chunk(DWORD_PTR cookie, LPBYTE buf, LONG want, LONG* got) {
    auto* r = reinterpret_cast<Reader*>(cookie);
    if (r->chunk > 0 && want > r->chunk) want = r->chunk;
    const size_t n = std::min(r->bytes->size() - r->at, static_cast<size_t>(want));
    std::memcpy(buf, r->bytes->data() + r->at, n);
    r->at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK write_chunk(DWORD_PTR cookie, LPBYTE buf, LONG size, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buf), static_cast<size_t>(size));
    *done = size;
    return 0;
}

void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

LRESULT CALLBACK frame_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(h, msg, wp, lp);
}

struct Ctl {
    HWND frame = nullptr, edit = nullptr;
    Ctl(bool shown, bool limit, DWORD events) {
        frame = CreateWindowExW(0, L"ProbeFrame", L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        edit = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                               WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL |
                                   ES_SAVESEL | WS_VSCROLL | WS_TABSTOP,
                               8, 8, 820, 600, frame, reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
        if (limit) SendMessageW(edit, EM_EXLIMITTEXT, 0, 2'000'000);
        SendMessageW(edit, EM_SETTYPOGRAPHYOPTIONS, TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY);
        SendMessageW(edit, EM_SETEVENTMASK, 0, events);
        if (shown) show();
    }
    void show() {
        ShowWindow(frame, SW_SHOW);
        UpdateWindow(frame);
        pump();
    }
    ~Ctl() {
        DestroyWindow(frame);
        pump();
    }
    void stream(const std::string& bytes, WPARAM format, LONG chunk = 0) {
        Reader r{&bytes, 0, chunk};
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&r), 0, read_chunk};
        SendMessageW(edit, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
    }
    std::string rtf() const {
        std::string out;
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&out), 0, write_chunk};
        SendMessageW(edit, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
        return out;
    }
    long length() const { return static_cast<long>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)); }
};

constexpr DWORD form_events = ENM_CHANGE | ENM_SELCHANGE | ENM_KEYEVENTS | ENM_MOUSEEVENTS;

struct Body {
    std::string xx, u, plain, editor, font_only, size_only, no_switch;
};

struct Way {
    const char* name;
    std::function<void(const Body&, double& load, long& chars)> run;
};

// Times a load in a shown window with the text limit set, from the load until the window has painted.
template <class Load> void timed(bool shown, DWORD events, Load load, double& t, long& chars) {
    Ctl c(shown, true, events);
    const auto start = Clock::now();
    load(c);
    if (!shown) c.show();
    UpdateWindow(c.frame);
    pump();
    t = seconds_since(start);
    chars = c.length();
}

std::vector<Way> ways() {
    std::vector<Way> w;
    w.push_back({"streamin-rtf", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.xx, SF_RTF); }, t, n);
                 }});
    w.push_back({"streamin-rtf-512", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.xx, SF_RTF, 512); }, t, n);
                 }});
    w.push_back({"redraw-off", [](const Body& b, double& t, long& n) {
                     timed(true, form_events,
                           [&](Ctl& c) {
                               SendMessageW(c.edit, WM_SETREDRAW, FALSE, 0);
                               c.stream(b.xx, SF_RTF);
                               SendMessageW(c.edit, WM_SETREDRAW, TRUE, 0);
                               InvalidateRect(c.edit, nullptr, TRUE);
                           },
                           t, n);
                 }});
    w.push_back({"undo-off", [](const Body& b, double& t, long& n) {
                     timed(true, form_events,
                           [&](Ctl& c) {
                               SendMessageW(c.edit, EM_SETTEXTMODE, TM_RICHTEXT | TM_SINGLELEVELUNDO, 0);
                               SendMessageW(c.edit, EM_SETUNDOLIMIT, 0, 0);
                               c.stream(b.xx, SF_RTF);
                           },
                           t, n);
                 }});
    w.push_back({"events-off", [](const Body& b, double& t, long& n) {
                     timed(true, 0, [&](Ctl& c) { c.stream(b.xx, SF_RTF); }, t, n);
                 }});
    w.push_back({"settextex", [](const Body& b, double& t, long& n) {
                     timed(true, form_events,
                           [&](Ctl& c) {
                               SETTEXTEX st{ST_DEFAULT, CP_ACP};
                               SendMessageW(c.edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st),
                                            reinterpret_cast<LPARAM>(b.xx.c_str()));
                           },
                           t, n);
                 }});
    w.push_back({"hidden-then-shown", [](const Body& b, double& t, long& n) {
                     timed(false, form_events, [&](Ctl& c) { c.stream(b.xx, SF_RTF); }, t, n);
                 }});
    w.push_back({"u-escapes", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.u, SF_RTF); }, t, n);
                 }});
    w.push_back({"editor-rtf", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.editor, SF_RTF); }, t, n);
                 }});
    w.push_back({"font-switch-only", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.font_only, SF_RTF); }, t, n);
                 }});
    w.push_back({"size-switch-only", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.size_only, SF_RTF); }, t, n);
                 }});
    w.push_back({"no-switch", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.no_switch, SF_RTF); }, t, n);
                 }});
    w.push_back({"plain-unicode", [](const Body& b, double& t, long& n) {
                     timed(true, form_events, [&](Ctl& c) { c.stream(b.plain, SF_TEXT | SF_UNICODE); }, t, n);
                 }});
    w.push_back({"no-wrap", [](const Body& b, double& t, long& n) {
                     timed(true, form_events,
                           [&](Ctl& c) {
                               SendMessageW(c.edit, EM_SETTARGETDEVICE, 0, 1);
                               c.stream(b.xx, SF_RTF);
                           },
                           t, n);
                 }});
    // Replacing a body already shown: the load into a control that holds the same body.
    w.push_back({"replace-direct", [](const Body& b, double& t, long& n) {
                     Ctl c(true, true, form_events);
                     c.stream(b.editor, SF_RTF);
                     const auto start = Clock::now();
                     c.stream(b.editor, SF_RTF);
                     UpdateWindow(c.frame);
                     t = seconds_since(start);
                     n = c.length();
                 }});
    w.push_back({"replace-long-font", [](const Body& b, double& t, long& n) {
                     const std::string changed = with_long_font(b.editor);
                     Ctl c(true, true, form_events);
                     c.stream(changed, SF_RTF);
                     const auto start = Clock::now();
                     c.stream(changed, SF_RTF);
                     UpdateWindow(c.frame);
                     t = seconds_since(start);
                     n = c.length();
                 }});
    w.push_back({"replace-settext", [](const Body& b, double& t, long& n) {
                     Ctl c(true, true, form_events);
                     c.stream(b.editor, SF_RTF);
                     const auto start = Clock::now();
                     SendMessageW(c.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
                     c.stream(b.editor, SF_RTF);
                     UpdateWindow(c.frame);
                     t = seconds_since(start);
                     n = c.length();
                 }});
    w.push_back({"replace-noundo", [](const Body& b, double& t, long& n) {
                     Ctl c(true, true, form_events);
                     c.stream(b.editor, SF_RTF);
                     const auto start = Clock::now();
                     SendMessageW(c.edit, EM_SETUNDOLIMIT, 0, 0);
                     c.stream(b.editor, SF_RTF);
                     SendMessageW(c.edit, EM_SETUNDOLIMIT, 100, 0);
                     UpdateWindow(c.frame);
                     t = seconds_since(start);
                     n = c.length();
                 }});
    w.push_back({"replace-tail-first", [](const Body& b, double& t, long& n) {
                     // The old text cleared from its end, a paragraph at a time, then the load.
                     Ctl c(true, true, form_events);
                     c.stream(b.editor, SF_RTF);
                     const auto start = Clock::now();
                     SendMessageW(c.edit, WM_SETREDRAW, FALSE, 0);
                     SendMessageW(c.edit, EM_SETUNDOLIMIT, 0, 0);
                     SendMessageW(c.edit, EM_SETEVENTMASK, 0, 0);
                     for (LRESULT lines = SendMessageW(c.edit, EM_GETLINECOUNT, 0, 0); lines > 1;) {
                         const LRESULT from = SendMessageW(c.edit, EM_LINEINDEX, static_cast<WPARAM>(lines / 2), 0);
                         SendMessageW(c.edit, EM_SETSEL, static_cast<WPARAM>(from), -1);
                         SendMessageW(c.edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
                         const LRESULT now = SendMessageW(c.edit, EM_GETLINECOUNT, 0, 0);
                         if (now >= lines) break;
                         lines = now;
                     }
                     c.stream(b.editor, SF_RTF);
                     SendMessageW(c.edit, EM_SETEVENTMASK, 0, form_events);
                     SendMessageW(c.edit, EM_SETUNDOLIMIT, 100, 0);
                     SendMessageW(c.edit, WM_SETREDRAW, TRUE, 0);
                     InvalidateRect(c.edit, nullptr, TRUE);
                     UpdateWindow(c.frame);
                     t = seconds_since(start);
                     n = c.length();
                 }});
    w.push_back({"replace-new-control", [](const Body& b, double& t, long& n) {
                     Ctl c(true, true, form_events);
                     c.stream(b.editor, SF_RTF);
                     const auto start = Clock::now();
                     DestroyWindow(c.edit);
                     Ctl d(true, true, form_events);
                     d.stream(b.editor, SF_RTF);
                     UpdateWindow(d.frame);
                     t = seconds_since(start);
                     n = d.length();
                 }});
    w.push_back({"long-font-first", [](const Body& b, double& t, long& n) {
                     const std::string changed = with_long_font(b.editor);
                     std::string out, plain;
                     timed(true, form_events,
                           [&](Ctl& c) {
                               c.stream(changed, SF_RTF);
                           },
                           t, n);
                     {
                         Ctl c(true, true, form_events);
                         c.stream(changed, SF_RTF);
                         out = c.rtf();
                     }
                     {
                         Ctl c(true, true, form_events);
                         c.stream(b.editor, SF_RTF);
                         plain = c.rtf();
                     }
                     if (out != plain) n = -n;
                 }});
    w.push_back({"stream-only", [](const Body& b, double& t, long& n) {
                     // The message alone, without the paint after it.
                     Ctl c(true, true, form_events);
                     const auto start = Clock::now();
                     c.stream(b.xx, SF_RTF);
                     t = seconds_since(start);
                     n = c.length();
                 }});
    return w;
}

} // namespace

int main(int argc, char** argv) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = frame_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProbeFrame";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    LoadLibraryW(L"msftedit.dll");
    const size_t sizes[] = {250'000, 500'000, 1'000'000, 2'000'000};
    std::vector<Body> bodies;
    for (size_t s : sizes) {
        Body b{korean_rtf(s, false), korean_rtf(s, true), plain_text(s), {}, korean_rtf(s, false, Switch::font),
               korean_rtf(s, false, Switch::size), korean_rtf(s, false, Switch::none)};
        Ctl c(false, true, 0);
        c.stream(b.xx, SF_RTF);
        b.editor = c.rtf();
        bodies.push_back(std::move(b));
    }
    std::printf("%-20s", "way \\ RTF bytes");
    for (size_t s : sizes)
        std::printf("%12zu", s);
    std::printf("   (seconds; characters loaded at the largest)\n");
    for (const Way& w : ways()) {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || std::strcmp(argv[i], w.name) == 0;
        if (!wanted) continue;
        std::printf("%-20s", w.name);
        long chars = 0;
        for (const Body& b : bodies) {
            double t = 0;
            w.run(b, t, chars);
            std::printf("%12.3f", t);
            std::fflush(stdout);
        }
        std::printf("   %ld\n", chars);
    }
    std::printf("editor-rtf bytes:");
    for (const Body& b : bodies)
        std::printf(" %zu", b.editor.size());
    std::printf("\n");
    return 0;
}
