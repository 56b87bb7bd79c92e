// Benchmark of the main window's document list on a large library (not a test).
//   mainwindow_bench <library.VL1>
// Runs the main window in this process on the library (made by keyfile_bench) and times: choosing "편집일순" until
// the list is filled, and entering a search text until the list is filled again; beside them, in the same run,
// the bare driver scan of the same rows (every record of the date key read into the record buffer).
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "organizer/browseoffice.h"
#include "organizer/doclist.h"
#include "organizer/globals.h"
#include "organizer/office.h"
#include "organizer/startup.h"
#include "runtime/driver.h"
#include "runtime/ini.h"
#include "runtime/listbox.h"
#include "runtime/text.h"

using namespace velquin;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Reads every record of the date key as the list's fill does, without the list.
double bare_scan(std::size_t& rows) {
    const auto t = Clock::now();
    rows = 0;
    for (rt::Status st = OFFICE.set(OFC_RECORD::DATE_KEY) ? OFFICE.next() : rt::Status(rt::error_code()); st;
         st = OFFICE.next())
        if (OFC.NODE < TRASH) ++rows;
    return seconds_since(t);
}

// Steps the window through the two timings whenever it waits, then closes it.
class BenchDriver : public rt::Driver {
public:
    int step = 0;
    Clock::time_point started;
    double fill = 0, search = 0;
    std::size_t filled_rows = 0, searched_rows = 0;

    int message(const rt::MessageRequest&) override { return 1; }
    int popup(const std::vector<std::string>&) override { return 0; }
    bool stop(std::string_view) override { return false; }
    void halt(std::string_view text) override { std::fprintf(stderr, "halt: %s\n", std::string(text).c_str()); }
    void idle(rt::Window& w) override {
        auto rows = [&] { return static_cast<std::size_t>(ListView_GetItemCount(w.handle(Ctl::LIST2))); };
        switch (step++) {
        case 0: // choose the edit-date view
            started = Clock::now();
            w.handler(Ctl::TREE)->select(w, static_cast<int>(Ctl::TREE), 2);
            w.post(rt::EventKind::accepted, Ctl::TREE);
            break;
        case 1:
            fill = seconds_since(started);
            filled_rows = rows();
            started = Clock::now();
            w.set_text(Ctl::LOC_SEARCH, "7");
            w.post(rt::EventKind::accepted, Ctl::LOC_SEARCH);
            break;
        case 2:
            search = seconds_since(started);
            searched_rows = rows();
            w.post(rt::EventKind::close_window);
            break;
        default: break;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: mainwindow_bench <library.VL1>\n");
        return 2;
    }
    const std::string library = argv[1];
    // A working folder of its own: the settings name the library and the Office identifiers.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring folder = std::wstring(tmp) + L"velquin-mainwindow-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());
    DeleteFileW(L"Velquin.INI");
    rt::put_ini("Velquin", "DefaultDB", library, ".\\Velquin.INI");
    rt::put_ini("Velquin", "Word ID", "Word.Document.8", ".\\Velquin.INI");
    rt::put_ini("Velquin", "Excel ID", "Excel.Sheet.8", ".\\Velquin.INI");
    rt::put_ini("Velquin", "PowerPoint ID", "PowerPoint.Show.8", ".\\Velquin.INI");
    SetEnvironmentVariableW(L"VELQUIN_VERSION_URL", L"http://127.0.0.1:9/");

    main_module_start();
    OINI.DB = library;
    if (!OFFICE.open()) {
        std::fprintf(stderr, "open %s: %s\n", library.c_str(), rt::error_text().c_str());
        return 1;
    }
    std::size_t rows = 0;
    bare_scan(rows); // the first read fills the page cache, as the window's start does
    const double bare_before = bare_scan(rows);
    {
        const auto t = Clock::now();
        std::size_t kept = 0;
        for (rt::Status st = OFFICE.set(OFC_RECORD::DATE_KEY) ? OFFICE.next() : rt::Status(rt::error_code()); st;
             st = OFFICE.next())
            if (OFC.NODE < TRASH && (contains_text(OFC.SUBJ.view(), "7") || contains_text(OFC.INDEX.view(), "7") ||
                                     contains_text(OFC.AFILE[0].view(), "7")))
                ++kept;
        std::printf("scan with the search   %zu rows in %.3f s\n", kept, seconds_since(t));
    }
    OFFICE.close();

    BenchDriver driver;
    rt::install_driver(&driver);
    _main();
    rt::install_driver(nullptr);
    ENDUNIQUE();

    OINI.DB = library;
    if (!OFFICE.open()) return 1;
    std::size_t rows_after = 0;
    const double bare_after = bare_scan(rows_after);
    OFFICE.close();
    main_module_end();

    const double bare = (bare_before + bare_after) / 2;
    std::printf("bare driver scan      %zu rows in %.3f s (before %.3f, after %.3f)\n", rows, bare, bare_before,
                bare_after);
    std::printf("choose edit-date view %zu rows in %.3f s, ratio %.2f\n", driver.filled_rows, driver.fill,
                driver.fill / bare);
    std::printf("search \"7\"             %zu rows in %.3f s, ratio %.2f\n", driver.searched_rows, driver.search,
                driver.search / bare);
    return 0;
}
