// Benchmark of the document form (not a test): a document with a body of nearly 2,000,000 bytes of Korean RTF and an
// embedded object of about 1 MB, opened in the form until it waits for the user, and saved until the form has
// closed; beside them, in the same run, the bare driver read and write of the same record and large fields.
//   docform_bench       (the stand-in document servers must be registered: tools/bench-docform does it)
#include <windows.h>

#include <ole2.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "organizer/globals.h"
#include "organizer/office.h"
#include "organizer/startup.h"
#include "organizer/updateoffice.h"
#include "runtime/driver.h"
#include "runtime/rtfcontrol.h"
#include "runtime/text.h"
#include "document.h"

using namespace velquin;
using Clock = std::chrono::steady_clock;
using F = UPDATEOFFICE::Ctl;

namespace {

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// RTF of exactly `size` bytes: Korean lines in two fonts and sizes, cut to length inside the last line.
std::string korean_rtf(std::size_t size) {
    const std::string head = "{\\rtf1\\ansi\\ansicpg949\\deff0{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}"
                             "{\\f1\\fnil\\fcharset129 Dotum;}}\\viewkind4\\uc1\\pard\\lang1042\\f0\\fs20 ";
    const std::string hangul = rt::to_cp949(u"문서 관리 본문의 한 줄입니다. ");
    std::string line;
    for (unsigned char c : hangul) {
        if (c < 0x80) {
            line += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\'%02x", c);
            line += hex;
        }
    }
    std::string body = head;
    for (int n = 0; body.size() + line.size() * 2 + 32 < size; ++n)
        body += (n % 2 ? "\\f1\\fs24 " : "\\f0\\fs20 ") + line + line + "\\par\n";
    while (body.size() + 5 < size) body += 'x';
    return body + "\\par}";
}

// The storage image of an embedded word-processing object of the stand-in server holding 1 MB of text, made
// directly (typing that much into the server's window would take minutes).
std::string large_object() {
    ILockBytes* bytes = nullptr;
    IStorage* stg = nullptr;
    IStream* stream = nullptr;
    std::string image;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes))) return image;
    if (SUCCEEDED(StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &stg))) {
        WriteClassStg(stg, standin::inproc_classes[0].clsid);
        if (SUCCEEDED(stg->CreateStream(standin::contents_stream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0,
                                        0, &stream))) {
            const std::wstring text(512 * 1024, L'가');
            stream->Write(text.data(), static_cast<ULONG>(text.size() * sizeof(wchar_t)), nullptr);
            stream->Release();
        }
        stg->Commit(STGC_DEFAULT);
        stg->Release();
        STATSTG st{};
        bytes->Stat(&st, STATFLAG_NONAME);
        image.resize(static_cast<std::size_t>(st.cbSize.QuadPart));
        ULONG got = 0;
        bytes->ReadAt(ULARGE_INTEGER{}, image.data(), static_cast<ULONG>(image.size()), &got);
    }
    bytes->Release();
    return image;
}

// A body as the editor writes it, of at most 2,000,000 bytes and close to it (the editor's RTF of a text is not
// the RTF it was given).
std::string editor_body() {
    rt::WindowDesc d;
    d.at = {0, 0, 400, 300};
    d.controls = {rt::control(1, rt::Kind::rich_text, {0, 0, 400, 300})};
    rt::Window w(std::move(d));
    w.open();
    rt::RTFCONTROLCLASS editor;
    editor.INIT(w, 1);
    std::size_t asked = 2'000'000;
    std::string out;
    for (int i = 0; i < 4; ++i) {
        editor.set_rtf(korean_rtf(asked));
        out = editor.rtf();
        if (out.size() <= 2'000'000 && out.size() > 1'990'000) break;
        asked = static_cast<std::size_t>(static_cast<double>(asked) * 1'995'000 / static_cast<double>(out.size()));
    }
    editor.KILL();
    return out;
}

class BenchDriver : public rt::Driver {
public:
    Clock::time_point started;
    double opened = 0;
    int message(const rt::MessageRequest& r) override {
        std::fprintf(stderr, "message: %s\n", r.text.c_str());
        return 1;
    }
    int popup(const std::vector<std::string>&) override { return 0; }
    bool stop(std::string_view) override { return false; }
    void halt(std::string_view) override {}
    void idle(rt::Window& w) override {
        if (opened != 0) return;
        opened = seconds_since(started);
        started = Clock::now();
        w.post(rt::EventKind::accepted, F::OK);
    }
};

// The floor of a body's load: its text alone, as plain UTF-16 text, streamed into a fresh rich-text control of the
// kind the form uses, in a shown window, until the window has painted. The text is what the control shows of the
// RTF body.
struct Chunks {
    std::string_view rest;
};

DWORD CALLBACK next_chunk(DWORD_PTR cookie, LPBYTE buf, LONG want, LONG* got) {
    auto* c = reinterpret_cast<Chunks*>(cookie);
    const std::size_t n = std::min(c->rest.size(), static_cast<std::size_t>(want));
    std::copy_n(c->rest.data(), n, buf);
    c->rest.remove_prefix(n);
    *got = static_cast<LONG>(n);
    return 0;
}

void pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

HWND rich_edit(HWND& frame, bool shown) {
    static const bool registered = [] {
        LoadLibraryW(L"msftedit.dll");
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BenchFloorFrame";
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    frame = CreateWindowExW(0, L"BenchFloorFrame", L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL, 8,
                                8, 820, 600, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit, EM_EXLIMITTEXT, 0, 2'000'000);
    if (shown) {
        ShowWindow(frame, SW_SHOW);
        UpdateWindow(frame);
        pump();
    }
    return edit;
}

void stream(HWND edit, std::string_view bytes, WPARAM format) {
    Chunks c{bytes};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&c), 0, next_chunk};
    SendMessageW(edit, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
}

// The body's text as UTF-16 bytes, as the control reads it from the RTF.
std::string plain_text(const std::string& rtf) {
    HWND frame = nullptr;
    HWND edit = rich_edit(frame, false);
    stream(edit, rtf, SF_RTF);
    std::wstring text(static_cast<std::size_t>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    DestroyWindow(frame);
    pump();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

double plain_load(const std::string& text) {
    HWND frame = nullptr;
    HWND edit = rich_edit(frame, true);
    const auto t = Clock::now();
    stream(edit, text, SF_TEXT | SF_UNICODE);
    UpdateWindow(frame);
    pump();
    const double s = seconds_since(t);
    DestroyWindow(frame);
    pump();
    return s;
}

double median3(double a, double b, double c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

} // namespace

int main() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring folder = std::wstring(tmp) + L"velquin-docform-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());
    DeleteFileW(L"bench.VL1");
    main_module_start();
    GLO.HOMEPATH = rt::narrow(folder);
    OINI.DB = rt::narrow(folder) + "\\bench.VL1";
    GLO.DBPATH = library_root(OINI.DB.view());
    OINI.DOCID = "Word.Document.8";
    OINI.FONT = "Gulim";
    OINI.FONTSIZE = 10;
    GNODE.add(); // "분류없음"
    if (!OFFICE.create() || !OFFICE.open()) {
        std::fprintf(stderr, "library: %s\n", rt::error_text().c_str());
        return 1;
    }
    const std::string body = editor_body(), object = large_object();
    if (object.empty()) std::fprintf(stderr, "no embedded object made\n");
    OFFICE.clear();
    OFC.SUBJ = "bench";
    OFC.DATE = 80000;
    OFC.EXT = object.empty() ? "" : "DOC";
    OFC.SIZE = static_cast<std::int32_t>(object.size());
    OFFICE.set_blob(OFC_RECORD::NOTE, body);
    OFFICE.set_blob(OFC_RECORD::OBJECT, object);
    if (!OFFICE.add()) return 1;
    const std::int32_t pos = OFFICE.position();

    // The bare cost: the record and its large fields read, then written back.
    auto t = Clock::now();
    if (!OFFICE.get_at(pos)) return 1;
    const std::size_t read = OFFICE.blob(OFC_RECORD::NOTE).size() + OFFICE.blob(OFC_RECORD::OBJECT).size();
    const double bare_read = seconds_since(t);
    t = Clock::now();
    OFFICE.set_blob(OFC_RECORD::NOTE, std::string(OFFICE.blob(OFC_RECORD::NOTE)));
    OFFICE.set_blob(OFC_RECORD::OBJECT, std::string(OFFICE.blob(OFC_RECORD::OBJECT)));
    if (!OFFICE.put()) return 1;
    const double bare_write = seconds_since(t);

    BenchDriver driver;
    rt::install_driver(&driver);
    double opened[3] = {}, saved[3] = {}, floor[3] = {};
    const std::string plain = plain_text(body);
    for (int run = 0; run < 3; ++run) {
        floor[run] = plain_load(plain);
        if (!OFFICE.get_at(pos)) return 1;
        ACTION = 2;
        driver.opened = 0;
        driver.started = Clock::now();
        UPDATEOFFICE().run();
        saved[run] = seconds_since(driver.started);
        opened[run] = driver.opened;
        if (ACTION != 0) std::fprintf(stderr, "not saved\n");
    }
    rt::install_driver(nullptr);
    if (!OFFICE.get_at(pos)) return 1;
    std::printf("body %zu bytes, object %zu bytes (stored body %zu bytes)\n", body.size(), object.size(),
                OFFICE.blob(OFC_RECORD::NOTE).size());
    std::printf("bare read of record and large fields   %.3f s (%zu bytes)\n", bare_read, read);
    std::printf("bare write of record and large fields  %.3f s\n", bare_write);
    std::printf("form opened until it waits             %.3f s first, %.3f s second, %.3f s third\n", opened[0],
                opened[1], opened[2]);
    std::printf("plain-text load of its text (floor)    %.3f s first, %.3f s second, %.3f s third (%zu characters)\n",
                floor[0], floor[1], floor[2], plain.size() / sizeof(wchar_t));
    const double f = median3(floor[0], floor[1], floor[2]), o = median3(opened[0], opened[1], opened[2]);
    std::printf("form opened, median %.3f s against the floor's median %.3f s: %.2f times\n", o, f, f > 0 ? o / f : 0.0);
    std::printf("form saved until it closed             %.3f s first, %.3f s second, %.3f s third\n", saved[0],
                saved[1], saved[2]);
    OFFICE.close();
    main_module_end();
    return 0;
}
