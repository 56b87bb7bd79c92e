// Benchmark of list printing (not a test): 100,000 rows of the edit-date view printed into page images through
// the progress window, then the preview's first page and paging forward; beside them, in the same run, the
// report engine printing the same rows with no window, and the process's peak memory.
//   listprint_bench [rows]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "organizer/doclist.h"
#include "organizer/globals.h"
#include "organizer/listprint.h"
#include "organizer/reportpreview.h"
#include "runtime/driver.h"
#include "runtime/listformat.h"
#include "runtime/text.h"

using namespace velquin;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

double peak_mb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return static_cast<double>(pmc.PeakPagefileUsage) / (1024.0 * 1024.0);
}

// Times the steps of the printing as the windows reach them.
class Timer : public rt::Driver {
public:
    Clock::time_point start = Clock::now(), printed{}, step_start{};
    double first_page = 0;
    std::vector<double> steps;
    int timers = 0;
    long pages = 0;
    int idles = 0;
    static constexpr int PAGINGS = 20;

    int message(const rt::MessageRequest&) override { return 1; }
    int popup(const std::vector<std::string>&) override { return 0; }
    bool stop(std::string_view) override { return false; }
    void halt(std::string_view) override {}
    void event(rt::Window& w, const rt::Event& e) override {
        // The last timer event starts the last batch: printing ends there, and the preview's wait begins.
        if (e.kind == rt::EventKind::timer && w.title() == rt::to_cp949(u"인쇄 중...")) {
            ++timers;
            printed = Clock::now();
        }
    }
    void idle(rt::Window& w) override {
        if (w.title() != rt::to_cp949(u"보고서 미리보기")) return;
        UpdateWindow(w.hwnd()); // what the step changed is on screen before it counts as done
        ++idles;
        if (idles == 1) {
            first_page = seconds_since(printed);
            pages = std::atol(
                w.text(PreviewCtl::LOC_PAGEINFO).substr(w.text(PreviewCtl::LOC_PAGEINFO).find('/') + 1).c_str());
        } else {
            steps.push_back(seconds_since(step_start));
        }
        if (static_cast<int>(steps.size()) < PAGINGS) {
            step_start = Clock::now();
            w.post(rt::EventKind::accepted, PreviewCtl::NEXTPAGE);
        } else {
            w.post(rt::EventKind::accepted, PreviewCtl::EXITREPORT);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 100000;
    rt::Queue<LISTFORMAT> FQ;
    for (const rt::ListColumn& c : rt::parse_list_format(list_layout(DATE_VIEW, 0))) {
        static_cast<LISTFORMAT&>(FQ) = LISTFORMAT{};
        FQ.NO = static_cast<std::uint8_t>(c.field);
        FQ.NAME = c.header;
        FQ.WIDTH = std::min(c.width, 100);
        FQ.add();
    }
    rt::Queue<Q2TYPE> Q2;
    const std::string subject = rt::to_cp949(u"분기 실적 보고서 ");
    const std::string category = rt::to_cp949(u"회의 자료");
    for (long i = 0; i < rows; ++i) {
        static_cast<Q2TYPE&>(Q2) = Q2TYPE{};
        Q2.SUBJ = subject + std::to_string(i + 1);
        Q2.INDEX = "M-" + std::to_string(i % 100000);
        Q2.CATEGORY = category;
        Q2.EXT = "DOC";
        Q2.SIZE = size_text(static_cast<std::int32_t>(i % 5000) * 1000);
        Q2.DATE = 82000 - static_cast<std::int32_t>(i / 50);
        Q2.TIME = 100 + static_cast<std::int32_t>(i % 8000) * 1000;
        Q2.add();
    }

    // The engine alone: the same rows into page images, with no window and no progress.
    double bare = 0;
    long bare_pages = 0;
    {
        rt::Fixed<30> value;
        rt::ReportLayout l;
        l.controls = {{.id = 1, .kind = rt::ReportKind::detail, .height = 208}};
        for (int n = 0; n < 8; ++n)
            l.controls.push_back({.id = 2 + n,
                                  .kind = rt::ReportKind::text,
                                  .x = 542 + 900 * n,
                                  .y = 42,
                                  .width = 850,
                                  .picture = "s20",
                                  .value = rt::bind(value)});
        l.controls.push_back({.id = 20, .kind = rt::ReportKind::line, .x = 396, .y = 208, .width = 7427});
        rt::PageImageQueue pages;
        rt::Report r(l);
        const auto t = Clock::now();
        r.open(pages);
        for (long i = 1; i <= rows; ++i) {
            Q2.get(static_cast<std::size_t>(i));
            value = Q2.SUBJ;
            r.print(1);
        }
        r.end_page();
        bare = seconds_since(t);
        bare_pages = static_cast<long>(pages.records());
        r.close();
    }

    Timer timer;
    rt::install_driver(&timer);
    const double before = peak_mb();
    timer.start = Clock::now();
    LISTPRINT(rt::to_cp949(u"편집일순"), FQ, Q2);
    rt::install_driver(nullptr);
    const double printing = std::chrono::duration<double>(timer.printed - timer.start).count();
    std::sort(timer.steps.begin(), timer.steps.end());
    const double median = timer.steps.empty() ? 0 : timer.steps[timer.steps.size() / 2];
    const double worst = timer.steps.empty() ? 0 : timer.steps.back();

    std::printf("rows printed into page images:   %ld\n", rows);
    std::printf("pages:                           %ld (timer events %d)\n", timer.pages, timer.timers);
    std::printf("printing through the window:     %.2f s = %.0f rows/s\n", printing, rows / printing);
    std::printf("  bare engine, same rows:        %.2f s = %.0f rows/s (%ld pages)\n", bare, rows / bare, bare_pages);
    std::printf("preview, first page shown:       %.3f s\n", timer.first_page);
    std::printf("preview, page forward:           median %.3f s, worst %.3f s over %zu steps\n", median, worst,
                timer.steps.size());
    std::printf("peak memory (commit):            %.1f MB with the rows in memory, %.1f MB after printing\n", before,
                peak_mb());
    return 0;
}
