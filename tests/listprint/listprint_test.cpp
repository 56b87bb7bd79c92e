// List printing from the main window's print button and with columns of its own: the empty list, the batches
// of the progress window, the column layout in portrait and landscape, the values' pictures, cancel, and the
// messages when printing cannot go on.
#include "support.h"

#include <cmath>

namespace {

using namespace listprint_test;
using rt::EventKind;
using startup_test::WorkFolder;
using Words = std::vector<std::string>;

// Documents of the edit-date view, newest first: the n-th has date 80000 + count - n.
void add_documents(Library& lib, int count, std::int16_t node = 0) {
    for (int i = 0; i < count; ++i)
        lib.document({.node = node,
                      .date = 80000 + i,
                      .time = 100,
                      .subj = "doc " + std::to_string(i),
                      .index = std::to_string(i),
                      .sort = 1});
}

// Prints the list of tree row `row` from the main window; `preview` runs each time the preview waits.
void print_view(PrintDriver& d, int row, std::function<void(rt::Window&)> preview) {
    d.on_other = [&](rt::Window& w) {
        if (u8(w.title()) == PREVIEW_TITLE) preview(w);
    };
    run_steps(d, {
                     [=](const View& v) { v.choose(row); },
                     [](const View& v) { v.w.post(EventKind::accepted, Ctl::PRINT); },
                 });
}

int share(int box, int width, int sum) {
    return static_cast<int>(std::trunc(static_cast<double>(box - 800) * width / sum - 50));
}

TEST(ListPrint, EmptyListOnlySaysSo) {
    WorkFolder work(L"print-empty");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.close();
    PrintDriver d;
    d.message_answers = {rt::button::ok};
    print_view(d, 4, [](rt::Window&) {});
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(u8(d.messages[0].text), "인쇄할 내역이 없습니다");
    EXPECT_EQ(d.messages[0].buttons, rt::button::ok);
    EXPECT_FALSE(d.saw(u"인쇄 중..."));
    EXPECT_FALSE(d.saw(u"보고서 미리보기"));
}

// The edit-date view's columns (widths 35, 100, 20, 39, 15, 29, 15, 50: sum 303) on a portrait page, 45 rows
// a page, 450 rows in three timer events of 200, 200 and 50.
TEST(ListPrint, EditDateViewInBatches) {
    WorkFolder work(L"print-dates");
    startup_test::write_office_ids();
    Library lib;
    add_documents(lib, 450);
    lib.close();
    PrintDriver d;
    bool seen = false;
    print_view(d, 2, [&](rt::Window& w) {
        if (seen) return;
        seen = true;
        EXPECT_EQ(w.text(PreviewCtl::LOC_PAGEINFO), "1/10");
        const PageSeen p = shown_page(w);
        EXPECT_EQ(p.width, 8260);
        EXPECT_EQ(p.height, 11690);
        const auto head = p.at(HEADINGS_Y);
        ASSERT_EQ(head.size(), 8u);
        EXPECT_EQ(head[0].text, "편집일");
        EXPECT_EQ(head[0].x, 542);
        EXPECT_EQ(head[0].right, 542 + 520);
        EXPECT_EQ(head[1].text, "제목");
        EXPECT_EQ(head[1].x, 1112);
        EXPECT_EQ(head[1].right, 1112 + share(7427, 100, 303));
        EXPECT_EQ(head[2].x, head[1].right + 50);
        // The fixed date width is not taken out of the sum: the last column ends short of the box.
        EXPECT_LT(head[7].right, 396 + 7427);
        const Words first = p.words(FIRST_ROW_Y);
        ASSERT_GE(first.size(), 3u);
        EXPECT_EQ(first[0], u8(rt::format(80449, "D9")));
        EXPECT_EQ(first[1], "doc 449");
        EXPECT_EQ(first[2], u8(rt::format(449, "N-7B"))); // an index that is wholly a number
        EXPECT_EQ(p.words(FIRST_ROW_Y + 44 * ROW_HEIGHT)[1], "doc 405");
        EXPECT_TRUE(p.words(FIRST_ROW_Y + 45 * ROW_HEIGHT).empty());
        EXPECT_EQ(p.words(452 + 948)[0], "출력일자 :");
        EXPECT_EQ(p.words(452 + 948)[1], u8(rt::format(rt::today(), "D10-")));
        EXPECT_EQ(p.words(452 + 948).back(), "  1 쪽");
        w.post(EventKind::accepted, PreviewCtl::EXITREPORT);
    });
    EXPECT_TRUE(seen);
    EXPECT_EQ(d.timers[PROGRESS_TITLE], 3);
    EXPECT_TRUE(d.messages.empty()); // nothing was sent to a printer (there is none)
    EXPECT_EQ(page_folders_left(), 0);
}

// The trash view: the deletion date printed as a date but with its proportional width; a number re-formatted,
// a size text and a long title left as they are (cut to 20 bytes).
TEST(ListPrint, TrashViewDatesAndValues) {
    WorkFolder work(L"print-trash");
    startup_test::write_office_ids();
    Library lib;
    lib.category(1, 1, u"가");
    lib.document({.node = TRASH,
                  .date = 81000,
                  .subj = K(u"아주 긴 제목은 스무 바이트에서 잘린다"),
                  .index = "12345",
                  .sort = 1,
                  .size = 12000,
                  .ext = "DOC"});
    lib.close();
    PrintDriver d;
    bool seen = false;
    print_view(d, 5, [&](rt::Window& w) {
        seen = true;
        const PageSeen p = shown_page(w);
        const auto head = p.at(HEADINGS_Y);
        ASSERT_FALSE(head.empty());
        EXPECT_EQ(head[0].text, "삭제일");
        EXPECT_EQ(head[0].right, 542 + share(7427, 35, 303));
        const Words row = p.words(FIRST_ROW_Y);
        EXPECT_EQ(row[0], u8(rt::format(81000, "D9")));
        EXPECT_EQ(row[1], "아주 긴 제목은 스무"); // "s20": 20 bytes
        EXPECT_EQ(row[2], u8(rt::format(12345, "N-7B")));
        EXPECT_NE(std::find(row.begin(), row.end(), "12 K"), row.end());
        w.post(EventKind::close_window);
    });
    EXPECT_TRUE(seen);
    EXPECT_EQ(page_folders_left(), 0);
}

// Cancel, the close box and Alt+F4 on the progress window all end the call: the rows printed so far are never
// previewed or printed as if they were the list.
TEST(ListPrint, CancelOrClosingTheProgressWindowEndsWithoutPreviewOrPrint) {
    WorkFolder work(L"print-cancel");
    startup_test::write_office_ids();
    Library lib;
    add_documents(lib, 450);
    lib.close();
    const struct {
        const char* name;
        std::function<void(rt::Window&)> stop;
    } cases[] = {
        {"cancel", [](rt::Window& w) { w.post(EventKind::accepted, PrgCtl::PRG_CANCEL); }},
        {"close box", [](rt::Window& w) { PostMessageW(w.hwnd(), WM_CLOSE, 0, 0); }},
        {"Alt+F4", [](rt::Window& w) { PostMessageW(w.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PrintDriver d;
        d.on_event = [&](rt::Window& w, const rt::Event& e) {
            if (e.kind == EventKind::timer && u8(w.title()) == PROGRESS_TITLE && d.timers[PROGRESS_TITLE] == 1)
                c.stop(w);
        };
        print_view(d, 2, [](rt::Window& w) { w.post(EventKind::accepted, PreviewCtl::PRINTREPORT); });
        EXPECT_TRUE(d.saw(u"인쇄 중..."));
        EXPECT_FALSE(d.saw(u"보고서 미리보기"));
        EXPECT_LE(d.timers[PROGRESS_TITLE], 2);
        EXPECT_TRUE(d.messages.empty());
        EXPECT_EQ(page_folders_left(), 0);
    }
}

// A value goes through "N-7B" only where the picture shows it unchanged; others print as their text.
TEST(ListPrint, NumbersPrintThroughThePictureOnlyWhereItKeepsThem) {
    const struct {
        const char* value;
        const char* printed; // the text drawn; "" draws nothing
    } cases[] = {
        {"12345", "  12345"}, {"3.5", "3.5"},     {"12345678", "12345678"},       {"0", "0"},
        {"007", "007"},       {"-12", "    -12"}, {"02-123-4567", "02-123-4567"},
    };
    rt::Queue<LISTFORMAT> FQ;
    FQ.NO = 2;
    FQ.NAME = "c";
    FQ.WIDTH = 50;
    FQ.add();
    rt::Queue<Q2TYPE> Q2;
    for (const auto& c : cases) {
        static_cast<Q2TYPE&>(Q2) = Q2TYPE{};
        Q2.SUBJ = c.value;
        Q2.add();
    }
    PrintDriver d;
    bool seen = false;
    d.on_other = [&](rt::Window& w) {
        if (u8(w.title()) != PREVIEW_TITLE) return;
        seen = true;
        const PageSeen p = shown_page(w);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const Words row = p.words(FIRST_ROW_Y + static_cast<int>(i) * ROW_HEIGHT);
            EXPECT_EQ(row, Words{cases[i].printed}) << '"' << cases[i].value << '"';
        }
        w.post(EventKind::accepted, PreviewCtl::EXITREPORT);
    };
    uitest::DriverScope scope(d);
    LISTPRINT("t", FQ, Q2);
    EXPECT_TRUE(seen);
    EXPECT_EQ(page_folders_left(), 0);
}

// Columns of our own: the width sum decides the page; narrow columns and an eleventh are left out.
TEST(ListPrint, ColumnLayouts) {
    struct Case {
        const char* name;
        std::vector<std::int32_t> widths;
        bool landscape;
        int printed;
    };
    const Case cases[] = {
        {"sum 400", {200, 200}, false, 2},
        {"sum 401", {200, 201}, true, 2},
        {"narrow and eleventh", {9, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20}, false, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt::Queue<LISTFORMAT> FQ;
        int sum = 0, counted = 0;
        for (std::size_t i = 0; i < c.widths.size(); ++i) {
            static_cast<LISTFORMAT&>(FQ) = LISTFORMAT{};
            FQ.NO = 2;
            FQ.NAME = "c" + std::to_string(i + 1);
            FQ.WIDTH = c.widths[i];
            FQ.add();
            if (c.widths[i] >= 10 && counted < 10) sum += c.widths[i], ++counted;
        }
        rt::Queue<Q2TYPE> Q2;
        Q2.SUBJ = "x";
        Q2.add();
        PrintDriver d;
        bool seen = false;
        d.on_other = [&](rt::Window& w) {
            if (u8(w.title()) != PREVIEW_TITLE) return;
            seen = true;
            const PageSeen p = shown_page(w);
            EXPECT_EQ(p.width, c.landscape ? 11688 : 8260);
            EXPECT_EQ(p.height, c.landscape ? 6000 : 11690);
            EXPECT_EQ(p.words(452 + 396)[0], "가나다라마바사아자차"); // the title's first 20 bytes
            EXPECT_EQ(p.at(452 + 948)[0].x, c.landscape ? 4635 + 3468 : 4635);
            const int box = c.landscape ? 7427 + 3428 : 7427;
            const auto head = p.at(HEADINGS_Y);
            ASSERT_EQ(static_cast<int>(head.size()), c.printed);
            const int first = c.widths[0] < 10 ? 1 : 0;
            EXPECT_EQ(head[0].text, "c" + std::to_string(first + 1));
            EXPECT_EQ(head[0].right - head[0].x, share(box, c.widths[first], sum));
            EXPECT_EQ(head.back().text, "c" + std::to_string(first + c.printed));
            EXPECT_EQ(static_cast<int>(p.at(FIRST_ROW_Y).size()), c.printed);
            w.post(EventKind::accepted, PreviewCtl::EXITREPORT);
        };
        uitest::DriverScope scope(d);
        LISTPRINT(K(u"가나다라마바사아자차카타"), FQ, Q2);
        EXPECT_TRUE(seen);
        EXPECT_EQ(FQ.records(), c.widths.size());
        EXPECT_EQ(Q2.records(), 1u);
    }
    EXPECT_EQ(page_folders_left(), 0);
}

// Print pressed with no printer installed: a clear message while the preview stays open, so that the pages can
// still be read or printed once a printer is there; the pages go away when it closes.
TEST(ListPrint, PrintWithoutPrinterSaysSoAndKeepsThePreview) {
    remove_test_printer();
    rt::Queue<LISTFORMAT> FQ;
    FQ.NO = 2;
    FQ.NAME = "c";
    FQ.WIDTH = 50;
    FQ.add();
    rt::Queue<Q2TYPE> Q2;
    Q2.SUBJ = "x";
    Q2.add();
    PrintDriver d;
    d.message_answers = {rt::button::ok};
    int waits = 0;
    std::size_t messages_while_open = 0;
    d.on_other = [&](rt::Window& w) {
        if (u8(w.title()) != PREVIEW_TITLE) return;
        if (++waits == 1) {
            w.post(EventKind::accepted, PreviewCtl::PRINTREPORT);
        } else {
            messages_while_open = d.messages.size();
            w.post(EventKind::accepted, PreviewCtl::EXITREPORT);
        }
    };
    uitest::DriverScope scope(d);
    LISTPRINT("t", FQ, Q2);
    EXPECT_EQ(waits, 2) << "the preview closed after the failed print";
    EXPECT_EQ(messages_while_open, 1u);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(u8(d.messages[0].text),
              "설치된 프린터가 없어 인쇄하지 못했습니다.|프린터를 설치한 뒤 다시 인쇄하십시오.");
    EXPECT_EQ(GLOBALRESPONSE, 2);
    EXPECT_EQ(page_folders_left(), 0);
}

} // namespace
