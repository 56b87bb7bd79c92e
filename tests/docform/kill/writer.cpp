// Stores the documents of a library again and again through the document form until it is killed: each save
// gives one document a new version (title, body and embedded object) and is logged as "position version" once the
// form reports it stored. Arguments: the library, the log, the first version number.
#include "document.h"
#include "kill.h"

#include "organizer/globals.h"
#include "organizer/office.h"
#include "organizer/startup.h"
#include "organizer/updateoffice.h"
#include "runtime/driver.h"
#include "runtime/files.h"

#include <windows.h>

#include <richedit.h>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace velquin;
using F = UPDATEOFFICE::Ctl;

DWORD CALLBACK read_chunk(DWORD_PTR cookie, LPBYTE buf, LONG want, LONG* got) {
    auto* rest = reinterpret_cast<std::string_view*>(cookie);
    const std::size_t n = std::min(rest->size(), static_cast<std::size_t>(want));
    std::copy_n(rest->data(), n, buf);
    rest->remove_prefix(n);
    *got = static_cast<LONG>(n);
    return 0;
}

// Streams RTF into the body's control, as the editor's open does.
void stream_in(HWND edit, const std::string& rtf) {
    std::string_view rest = rtf;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rest), 0, read_chunk};
    SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
}

// Fills the form, then opens the object, fills it and saves.
class Writer : public rt::Driver {
public:
    long pos = 0, version = 0;
    int step = 0;
    HANDLE saving = nullptr;

    int message(const rt::MessageRequest& r) override {
        std::fprintf(stderr, "unexpected message: %s\n", r.text.c_str());
        return 1;
    }
    int popup(const std::vector<std::string>&) override { return 1; } // a new word document, or edit the one held
    bool stop(std::string_view text) override {
        std::fprintf(stderr, "stop: %.*s\n", static_cast<int>(text.size()), text.data());
        std::exit(3);
    }
    void halt(std::string_view) override { std::exit(4); }
    void idle(rt::Window& w) override {
        if (&w != rt::Window::top()) return;
        if (step == 0) {
            w.set_text(F::OFC_SUBJ, kill_test::title_of(pos, version));
            stream_in(w.handle(F::RTEXT), kill_test::body_of(pos, version));
            w.post(rt::EventKind::accepted, F::OFFICE);
            step = 1;
        } else if (step == 1) {
            HWND doc = FindWindowW(standin::window_class, L"Word.Document.8");
            HWND edit = FindWindowExW(doc, nullptr, L"EDIT", nullptr);
            if (!edit) return;
            std::wstring text;
            const std::wstring m = rt::wide(kill_test::marker(pos, version));
            while (text.size() + m.size() <= kill_test::OBJECT_CHARS) text += m;
            SetWindowTextW(edit, text.c_str());
            SetEvent(saving);
            w.post(rt::EventKind::accepted, F::OK);
            step = 2;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    main_module_start();
    wchar_t here[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, here);
    GLO.HOMEPATH = rt::narrow(here);
    OINI.DB = argv[1];
    GLO.DBPATH = library_root(OINI.DB.view());
    OINI.DOCID = "Word.Document.8";
    GND = GNODE_ROW{};
    GNODE.add();
    if (!OFFICE.open()) return 5;
    std::vector<std::int32_t> docs;
    if (!OFFICE.set(OFC_RECORD::DATE_KEY)) return 5;
    while (OFFICE.next()) docs.push_back(OFFICE.position());
    if (docs.empty()) return 7;
    FILE* log = std::fopen(argv[2], "ab");
    Writer writer;
    writer.saving = CreateEventW(nullptr, FALSE, FALSE, kill_test::saving_event(GetCurrentProcessId()).c_str());
    rt::install_driver(&writer);
    for (long version = std::atol(argv[3]);; ++version) {
        const std::int32_t pos = docs[static_cast<std::size_t>(version) % docs.size()];
        if (!OFFICE.get_at(pos)) return 5;
        writer.pos = pos;
        writer.version = version;
        writer.step = 0;
        ACTION = 2;
        UPDATEOFFICE().run();
        if (ACTION != 0) return 6;
        std::fprintf(log, "%ld %ld\n", static_cast<long>(pos), version);
        std::fflush(log);
    }
}
