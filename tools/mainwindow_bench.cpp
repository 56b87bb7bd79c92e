// Benchmark of the main window's document list on a large library (not a test).
//   mainwindow_bench <library.VL1>
// Runs the main window in this process on the library (made by keyfile_bench) and times each step until the list
// is filled: the first fill of "편집일순", the same view again, "목차순" after it, "편집일순" again after that full
// view, a search that narrows it, and clearing the search; the steps after the first fill three rounds over, as
// medians. Beside each, in the same run, the bare driver scan of the same rows (every record of the view's key
// read into the record buffer, with the search test where a search applies), timed before and after the window.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

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

double seconds_since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

enum class Scan { date, index, date_search };
constexpr const char* SEARCH = "7";

// Reads every record of the view's key as the list's fill does, without the list; the rows it would keep.
double bare_scan(Scan scan, std::size_t& rows) {
    const auto t = Clock::now();
    rows = 0;
    const auto key = scan == Scan::index ? OFC_RECORD::INDEX_KEY : OFC_RECORD::DATE_KEY;
    for (rt::Status st = OFFICE.set(key) ? OFFICE.next() : rt::Status(rt::error_code()); st; st = OFFICE.next()) {
        if (OFC.NODE >= TRASH) continue;
        if (scan == Scan::date_search && !contains_text(OFC.SUBJ.view(), SEARCH) &&
            !contains_text(OFC.INDEX.view(), SEARCH) && !contains_text(OFC.AFILE[0].view(), SEARCH))
            continue;
        ++rows;
    }
    return seconds_since(t);
}

// One timed step: what the user does, and the bare scan it is compared with; its times over the rounds.
struct Step {
    const char* name;
    Scan scan;
    std::vector<double> seconds{};
    std::size_t rows = 0;
};

std::vector<Step> steps = {
    {"first fill of 편집일순", Scan::date}, {"편집일순 again", Scan::date},      {"목차순 after it", Scan::index},
    {"편집일순 after 목차순", Scan::date},  {"search \"7\"", Scan::date_search}, {"clear the search", Scan::date},
};
constexpr int rounds = 3; // the steps after the first fill, done this many times over

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Does the next step whenever the window waits, timing each from its start to the next wait; then closes it.
class BenchDriver : public rt::Driver {
public:
    int message(const rt::MessageRequest&) override { return 1; }
    int popup(const std::vector<std::string>&) override { return 0; }
    bool stop(std::string_view) override { return false; }
    void halt(std::string_view text) override { std::fprintf(stderr, "halt: %s\n", std::string(text).c_str()); }
    void idle(rt::Window& w) override {
        if (running_) {
            Step& done = steps[running_ - 1];
            done.seconds.push_back(seconds_since(started_));
            done.rows = static_cast<std::size_t>(ListView_GetItemCount(w.handle(Ctl::LIST2)));
        }
        // Step 1 once, then steps 2 to 6 round after round.
        const std::size_t k = next_++;
        running_ = k == 0 ? 1 : k <= rounds * (steps.size() - 1) ? 2 + (k - 1) % (steps.size() - 1) : 0;
        started_ = Clock::now();
        auto choose = [&](int row) {
            w.handler(Ctl::TREE)->select(w, static_cast<int>(Ctl::TREE), row);
            w.post(rt::EventKind::accepted, Ctl::TREE);
        };
        switch (running_) {
        case 0:
            w.post(rt::EventKind::close_window);
            break;
        case 1:
        case 2:
        case 4:
            choose(2);
            break;
        case 3:
            choose(3);
            break;
        case 5:
            w.set_text(Ctl::LOC_SEARCH, SEARCH);
            w.post(rt::EventKind::accepted, Ctl::LOC_SEARCH);
            break;
        case 6:
            w.post(rt::EventKind::accepted, Ctl::BACK);
            break;
        default:
            break;
        }
    }

private:
    std::size_t next_ = 0, running_ = 0;
    Clock::time_point started_;
};

// Trashes and restores the one category of its library from the main window, round after round, timing each from
// the command to the next wait.
class CategoryDriver : public rt::Driver {
public:
    std::vector<double> trash, restore;

    int message(const rt::MessageRequest&) override { return 1; }
    int popup(const std::vector<std::string>&) override { return 1; } // "분류 복원"
    bool stop(std::string_view text) override {
        std::fprintf(stderr, "stop: %s\n", std::string(text).c_str());
        return false;
    }
    void halt(std::string_view text) override { std::fprintf(stderr, "halt: %s\n", std::string(text).c_str()); }
    void idle(rt::Window& w) override {
        if (step_ > 0) (step_ % 2 ? trash : restore).push_back(seconds_since(started_));
        started_ = Clock::now();
        if (step_ == 2 * rounds) {
            w.post(rt::EventKind::close_window);
            ++step_;
            return;
        }
        if (step_ > 2 * rounds) return;
        auto& tree = *w.handler(Ctl::TREE);
        if (step_++ % 2 == 0) {
            // Rows: root, 편집일순, 목차순, the category, 휴지통.
            tree.select(w, static_cast<int>(Ctl::TREE), 4);
            w.post(rt::EventKind::accepted, Ctl::TREEDELETE);
        } else {
            // Rows: root, 편집일순, 목차순, 휴지통, the category in it.
            tree.select(w, static_cast<int>(Ctl::TREE), 5);
            w.post(rt::EventKind::alert_key, Ctl::TREE, rt::key::mouse_right);
        }
    }

private:
    int step_ = 0;
    Clock::time_point started_;
};

// Trashing and restoring a category of 3,334 documents: from the main window, and beside it the same writes made
// straight through the organizer's category routines, in a library of that one category made here.
void time_category_writes() {
    constexpr int documents = 3334;
    const std::string library = "category-bench.VL1";
    DeleteFileW(L"category-bench.VL1");
    main_module_start();
    OINI.DB = library;
    auto fail = [](const char* what) {
        std::fprintf(stderr, "%s: %s %s\n", what, rt::error_text().c_str(), rt::driver_error_text().c_str());
        std::exit(1);
    };
    if (!OFFICE.create() || !OFFICE.open()) fail("create");
    {
        rt::Transaction t(OFFICE);
        OFFICE.clear();
        if (!OFFICE.add()) fail("add"); // the blank placeholder
        OFC.TREE = 1;
        OFC.SORT = 1;
        OFC.LEVEL = 1;
        OFC.SUBJ = "category";
        if (!OFFICE.add()) fail("add");
        const std::string body(2000, 'x');
        for (int i = 0; i < documents; ++i) {
            OFFICE.clear();
            OFC.NODE = 1;
            OFC.DATE = 75000 + i % 3000;
            OFC.TIME = 1 + i;
            OFC.SUBJ = "document " + std::to_string(i);
            OFFICE.set_blob(OFC_RECORD::NOTE, body);
            if (!OFFICE.add()) fail("add");
        }
        if (!t.commit()) fail("commit");
    }
    std::vector<double> trash_bare, restore_bare;
    for (int r = 0; r < rounds; ++r) {
        auto t = Clock::now();
        if (trash_category(1) != CategoryFailure::none) fail("trash");
        trash_bare.push_back(seconds_since(t));
        t = Clock::now();
        if (restore_category(1) != CategoryFailure::none) fail("restore");
        restore_bare.push_back(seconds_since(t));
    }
    OFFICE.close();

    rt::put_ini("Velquin", "DefaultDB", library, ".\\Velquin.INI");
    CategoryDriver driver;
    rt::install_driver(&driver);
    _main();
    rt::install_driver(nullptr);
    ENDUNIQUE();
    main_module_end();
    std::printf("trash a category of %d documents: median %.3f s of %zu from the window, %.3f s of the writes alone\n",
                documents, median(driver.trash), driver.trash.size(), median(trash_bare));
    std::printf("restore it: median %.3f s of %zu from the window, %.3f s of the writes alone\n",
                median(driver.restore), driver.restore.size(), median(restore_bare));
}

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

    main_module_start();
    // The bare scans, before and after the window, each done `rounds` times; a first pass only fills the page
    // cache, as the window's start does.
    constexpr int scans = 3;
    std::vector<double> bare[scans];
    std::size_t bare_rows[scans] = {};
    double cold[scans] = {}; // the first pass over a connection just opened, whose page cache is empty
    auto time_scans = [&](bool first) {
        OINI.DB = library;
        if (!OFFICE.open()) {
            std::fprintf(stderr, "open %s: %s\n", library.c_str(), rt::error_text().c_str());
            std::exit(1);
        }
        for (int s = 0; s < scans; ++s) {
            if (first) cold[s] = bare_scan(static_cast<Scan>(s), bare_rows[s]);
            for (int r = 0; r < rounds; ++r)
                bare[s].push_back(bare_scan(static_cast<Scan>(s), bare_rows[s]));
        }
        OFFICE.close();
    };
    time_scans(true);

    BenchDriver driver;
    rt::install_driver(&driver);
    _main();
    rt::install_driver(nullptr);
    ENDUNIQUE();

    time_scans(false);
    main_module_end();

    const char* scan_names[scans] = {"date key", "index key", "date key, search"};
    for (int s = 0; s < scans; ++s)
        std::printf("bare scan, %-17s %6zu rows: median %.3f s of %zu; %.3f s with the connection's page cache "
                    "empty\n",
                    scan_names[s], bare_rows[s], median(bare[s]), bare[s].size(), cold[s]);
    for (const Step& st : steps) {
        const double b = median(bare[static_cast<int>(st.scan)]), t = median(st.seconds);
        std::printf("%s: %zu rows, median %.3f s of %zu, ratio %.2f to its bare scan\n", st.name, st.rows, t,
                    st.seconds.size(), b > 0 ? t / b : 0.0);
    }
    time_category_writes();
    return 0;
}
