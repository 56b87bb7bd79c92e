// The report engine: pages as they fill, what each page image holds, the queue's names, closing with and without
// a printer, and the files removed in every case.
#include "support.h"

namespace {

using namespace listprint_test;
using rt::ReportKind;

// A header with the page number, a body of 1000 (four bands of 250) and a footer text; the detail band shows
// the row number and a clipped text, and a hidden control.
rt::ReportLayout small_layout(const std::int32_t& row, const rt::Fixed<30>& text) {
    rt::ReportLayout l;
    l.body = {0, 1000, 8000, 1000};
    l.controls = {
        {.id = 1, .kind = ReportKind::header, .x = 0, .y = 100, .width = 8000, .height = 500},
        {.id = 2, .kind = ReportKind::page_number, .x = 7000, .y = 10, .picture = K(u"p<<# 쪽p")},
        {.id = 3, .kind = ReportKind::detail, .height = 250},
        {.id = 4, .kind = ReportKind::text, .x = 100, .y = 20, .picture = "N4", .value = rt::bind(row)},
        {.id = 5, .kind = ReportKind::text, .x = 600, .y = 20, .width = 900, .picture = "s5", .value = rt::bind(text)},
        {.id = 6, .kind = ReportKind::text, .x = 2000, .y = 20, .text = "hidden", .hidden = true},
        {.id = 7, .kind = ReportKind::line, .x = 100, .y = 240, .width = 7000},
        {.id = 8, .kind = ReportKind::footer, .height = 300},
        {.id = 9, .kind = ReportKind::text, .x = 100, .y = 0, .text = "end"},
    };
    return l;
}

TEST(Report, PagesFillAndFilesGoAway) {
    std::int32_t row = 0;
    rt::Fixed<30> text;
    rt::PageImageQueue pages;
    {
        rt::Report r(small_layout(row, text));
        ASSERT_TRUE(r.open(pages)) << r.error();
        text = K(u"가나다라마");
        for (row = 1; row <= 9; ++row)
            r.print(3);
        r.end_page();
        ASSERT_EQ(pages.records(), 3u); // 4 + 4 + 1 bands
        for (std::size_t n = 1; n <= 3; ++n) {
            pages.get(n);
            const std::string name = pages.PAGEIMAGE.clip();
            EXPECT_LE(name.size(), 64u);
            const PageSeen p = read_page(name);
            EXPECT_EQ(p.width, 8000 + 260);
            EXPECT_EQ(p.height, 11690);
            // Header with the page number at the header band's place, the footer under the body.
            EXPECT_EQ(p.words(110), std::vector<std::string>{"  " + std::to_string(n) + " 쪽"});
            EXPECT_EQ(p.words(2000), std::vector<std::string>{"end"});
            const int rows = n < 3 ? 4 : 1;
            EXPECT_EQ(p.lines, rows);
            for (int i = 0; i < rows; ++i) {
                const auto drawn = p.at(1000 + 250 * i + 20);
                ASSERT_EQ(drawn.size(), 2u) << "page " << n << " row " << i; // the hidden text is not drawn
                EXPECT_EQ(drawn[0].text, "   " + std::to_string((n - 1) * 4 + static_cast<std::size_t>(i) + 1));
                EXPECT_EQ(drawn[1].text, "가나"); // "s5" cuts before the third character
                EXPECT_EQ(drawn[1].x, 600);
                EXPECT_EQ(drawn[1].right, 1500); // clipped to the control's width
            }
        }
        // Changed properties take effect from the next band on.
        r.set_hidden(6, false);
        r.set_x(4, 300);
        EXPECT_EQ(r.x(4), 300);
        r.print(3);
        r.end_page();
        ASSERT_EQ(pages.records(), 4u);
        pages.get(4);
        const auto drawn = read_page(pages.PAGEIMAGE.clip()).at(1020);
        ASSERT_EQ(drawn.size(), 3u);
        EXPECT_EQ(drawn[0].x, 300);
        EXPECT_EQ(drawn[2].text, "hidden");
        EXPECT_EQ(r.close(), rt::PrintResult::discarded);
        EXPECT_EQ(r.pages(), 0);
    }
    EXPECT_EQ(pages.records(), 4u); // the queue is the caller's to empty
    for (std::size_t n = 1; n <= 4; ++n) {
        pages.get(n);
        EXPECT_FALSE(startup_test::exists(rt::wide(pages.PAGEIMAGE.clip()))) << "page " << n << " left behind";
    }
    EXPECT_EQ(page_folders_left(), 0);
}

// A shorter page (landscape) ends the body before its own bottom; closing flushed without a printer says so and
// still removes the pages.
TEST(Report, LandscapePageAndNoPrinter) {
    remove_test_printer();
    wchar_t name[256];
    DWORD n = 256;
    ASSERT_FALSE(GetDefaultPrinterW(name, &n)) << "the test prefix has a default printer";
    std::int32_t row = 0;
    rt::Fixed<30> text;
    rt::PageImageQueue pages;
    rt::Report r(small_layout(row, text));
    ASSERT_TRUE(r.open(pages));
    r.set_page_size(11688, 1800); // the body (1000 ... 2000) now ends at 1800 - 300
    r.set_landscape(true);
    for (row = 1; row <= 5; ++row)
        r.print(3);
    r.set_flush(true);
    EXPECT_EQ(r.close(), rt::PrintResult::no_printer);
    ASSERT_EQ(pages.records(), 3u); // two bands a page
    pages.get(1);
    EXPECT_FALSE(startup_test::exists(rt::wide(pages.PAGEIMAGE.clip())));
    EXPECT_EQ(page_folders_left(), 0);
}

} // namespace
