// The pages reach the printer: a file printer in the test prefix takes the PostScript (tests/listprint/printed.sh
// renders it with Ghostscript and counts the rows drawn on each page).
#include "support.h"

#include <cstdlib>

namespace {

using namespace listprint_test;
using startup_test::WorkFolder;

TEST(Printed, PagesReachThePrinter) {
    WorkFolder work(L"print-out");
    startup_test::write_office_ids();
    wchar_t out[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"VELQUIN_PRINT_OUT", out, MAX_PATH)) lstrcpyW(out, work.file(L"printed.ps").c_str());
    DeleteFileW(out);
    Library lib;
    for (int i = 0; i < 100; ++i)
        lib.document(
            {.date = 80000 + i, .subj = K(u"인쇄된 문서 ") + std::to_string(i), .index = "A-" + std::to_string(i)});
    lib.close();
    FilePrinter printer(out);
    PrintDriver d;
    d.on_other = [](rt::Window& w) {
        if (u8(w.title()) == PREVIEW_TITLE) w.post(rt::EventKind::accepted, PreviewCtl::PRINTREPORT);
    };
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     [](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::PRINT); },
                 });
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(page_folders_left(), 0);
    const std::string ps = startup_test::read_file(out);
    std::size_t pages = 0;
    for (std::size_t at = ps.find("%%Page:"); at != std::string::npos; at = ps.find("%%Page:", at + 1))
        ++pages;
    EXPECT_EQ(pages, 3u) << "45 rows a page"; // 45 + 45 + 10
}

} // namespace
