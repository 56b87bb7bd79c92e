// The print preview through the driver: paging one and two pages at a time, the jump, the keys, a click on a
// page, the two-page sizes at two window widths, and the answers.
#include "support.h"

namespace {

using namespace listprint_test;
using rt::EventKind;

// Pages that show their own number, made by the report engine: one detail band fills a page.
class Pages {
public:
    explicit Pages(int count) {
        rt::ReportLayout l;
        l.body = {0, 1000, 8000, 9000};
        l.controls = {
            {.id = 1, .kind = rt::ReportKind::detail, .height = 9000},
            {.id = 2, .kind = rt::ReportKind::page_number, .x = 500, .y = 500, .picture = "P#P", .font_size = 72},
        };
        report_ = std::make_unique<rt::Report>(std::move(l));
        EXPECT_TRUE(report_->open(queue));
        for (int i = 0; i < count; ++i)
            report_->print(1);
        report_->end_page();
    }
    // The page a field shows, 0 when none of the queue's.
    int page_of(const rt::Window& w, PreviewCtl field) {
        const std::string name = w.text(field);
        for (std::size_t n = 1; n <= queue.records(); ++n)
            if (rt::clip(queue.row(n).PAGEIMAGE.view()) == name) return static_cast<int>(n);
        return 0;
    }
    rt::PageImageQueue queue;

private:
    std::unique_ptr<rt::Report> report_;
};

using Step = std::function<void(rt::Window&)>;

// Runs the preview; each time it waits the next step runs; the jump window is answered with `jump_to`.
int run_preview(Pages& pages, std::vector<Step> steps, int jump_to = 0) {
    PrintDriver d;
    std::size_t next = 0;
    d.on_other = [&](rt::Window& w) {
        const std::string t = u8(w.title());
        if (t == JUMP_TITLE) {
            w.set_text(JumpCtl::JUMPPAGE, std::to_string(jump_to));
            w.post(EventKind::accepted, JumpCtl::OKBUTTON);
        } else if (t == PREVIEW_TITLE && next < steps.size()) {
            steps[next++](w);
        }
    };
    uitest::DriverScope scope(d);
    GLOBALRESPONSE = 0;
    REPORTPREVIEW(pages.queue);
    EXPECT_EQ(next, steps.size()) << "the preview closed before its steps ran";
    EXPECT_TRUE(d.messages.empty());
    return GLOBALRESPONSE;
}

// What the preview shows: the indicator, the left page and the right page (0 when its field is hidden).
std::string view(Pages& p, const rt::Window& w) {
    const int right = w.visible(PreviewCtl::IMAGEFIELD2) ? p.page_of(w, PreviewCtl::IMAGEFIELD2) : 0;
    return w.text(PreviewCtl::LOC_PAGEINFO) + " " + std::to_string(p.page_of(w, PreviewCtl::IMAGEFIELD1)) + "+" +
           std::to_string(right);
}

// A key pressed on the control that has the focus.
void press_key(UINT vk) {
    PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageW(GetFocus(), WM_KEYUP, vk, 0xC0000001);
}

TEST(Preview, OnePageStaysOnePage) {
    Pages p(1);
    const int answer = run_preview(p, {
                                          [&](rt::Window& w) {
                                              EXPECT_EQ(view(p, w), "1/1 1+0");
                                              w.post(EventKind::accepted, PreviewCtl::NEXTPAGE);
                                          },
                                          [&](rt::Window& w) {
                                              EXPECT_EQ(view(p, w), "1/1 1+0");
                                              w.post(EventKind::accepted, PreviewCtl::PREVIOUSPAGE);
                                          },
                                          [&](rt::Window& w) {
                                              EXPECT_EQ(view(p, w), "1/1 1+0");
                                              EXPECT_EQ(p.page_of(w, PreviewCtl::IMAGEFIELD2),
                                                        1); // past the last page: this one, still hidden
                                              w.set_text(PreviewCtl::LOC_PAGEINFO, "x");
                                              w.post(EventKind::accepted, PreviewCtl::MULTIPAGE);
                                          },
                                          [&](rt::Window& w) {
                                              // Only shrunk to the two-page size; the indicator is not refreshed for
                                              // this event.
                                              EXPECT_EQ(w.text(PreviewCtl::LOC_PAGEINFO), "x");
                                              EXPECT_FALSE(w.visible(PreviewCtl::IMAGEFIELD2));
                                              const rt::Rect r = w.position();
                                              const SIZE natural = rt::image_size(w, PreviewCtl::IMAGEFIELD1);
                                              const double ratio = static_cast<double>(natural.cy) / natural.cx;
                                              const int thumb = static_cast<int>((r.h - 20) / ratio);
                                              const int multi = r.w > 2 * thumb + 20 ? thumb : r.w / 2 - 10;
                                              EXPECT_NEAR(w.position(PreviewCtl::IMAGEFIELD1).w, multi, 1);
                                              w.post(EventKind::accepted, PreviewCtl::PRINTREPORT);
                                          },
                                      });
    EXPECT_EQ(answer, 1);
}

TEST(Preview, FivePagesTwoAtATime) {
    Pages p(5);
    const int answer = run_preview(
        p,
        {
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "1/5 1+0");
                press_key(VK_NEXT);
            },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "2/5 2+0");
                press_key(VK_RETURN); // on the focused button too: Enter pages on, it does not press the button
            },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "3/5 3+0");
                press_key(VK_PRIOR);
            },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "2/5 2+0");
                w.post(EventKind::accepted, PreviewCtl::PREVIOUSPAGE);
            },
            [&](rt::Window& w) { w.post(EventKind::accepted, PreviewCtl::MULTIPAGE); },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "1/5 1+2");
                const rt::Rect a = w.position(PreviewCtl::IMAGEFIELD1), b = w.position(PreviewCtl::IMAGEFIELD2);
                EXPECT_NEAR(b.x, a.x + a.w + 9, 1); // placed at the page width + 10, the first at 1
                EXPECT_EQ(a.y, b.y);
                w.post(EventKind::accepted, PreviewCtl::JUMP); // answered 4
            },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "4/5 4+5");
                w.post(EventKind::accepted, PreviewCtl::NEXTPAGE);
            },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "5/5 5+0");
                w.post(EventKind::accepted, PreviewCtl::NEXTPAGE);
            },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "5/5 5+0");
                w.post(EventKind::accepted, PreviewCtl::PREVIOUSPAGE);
            },
            [&](rt::Window& w) {
                EXPECT_EQ(view(p, w), "3/5 3+4");
                w.post(EventKind::alert_key, PreviewCtl::IMAGEFIELD2, rt::key::mouse_left);
            },
            [&](rt::Window& w) {
                // The right-hand page alone, at full size (the zoom switched), under the left page's number.
                EXPECT_EQ(view(p, w), "3/5 4+0");
                const SIZE natural = rt::image_size(w, PreviewCtl::IMAGEFIELD1);
                const rt::Rect r = w.position(), f = w.position(PreviewCtl::IMAGEFIELD1);
                EXPECT_NEAR(f.w, std::min<int>(natural.cx, r.w), 1);
                EXPECT_NEAR(f.h, std::min<int>(natural.cy, r.h - 20), 1);
                EXPECT_TRUE(GetWindowLongPtrW(w.handle(PreviewCtl::IMAGEFIELD1), GWL_STYLE) & WS_VSCROLL);
                w.post(EventKind::accepted, PreviewCtl::ZOOM);
            },
            [&](rt::Window& w) {
                EXPECT_FALSE(GetWindowLongPtrW(w.handle(PreviewCtl::IMAGEFIELD1), GWL_STYLE) & WS_VSCROLL);
                EXPECT_EQ(w.position(PreviewCtl::IMAGEFIELD1).h, w.position().h - 20);
                w.post(EventKind::accepted, PreviewCtl::EXITREPORT);
            },
        },
        4);
    EXPECT_EQ(answer, 2);
}

// Two-page sizes follow the window: wide enough, each page keeps the fitted width; narrower, half the window.
TEST(Preview, TwoPagesAtTwoWidthsAndClose) {
    Pages p(3);
    const auto sizes = [](const rt::Window& w) {
        const SIZE natural = rt::image_size(w, PreviewCtl::IMAGEFIELD1);
        const double ratio = static_cast<double>(natural.cy) / natural.cx;
        const rt::Rect r = w.position();
        return std::pair<int, int>{static_cast<int>((r.h - 20) / ratio), r.w};
    };
    const int answer =
        run_preview(p, {
                           [&](rt::Window& w) { w.set_position(rt::unchanged, rt::unchanged, 600, 300); },
                           [&](rt::Window& w) { w.post(EventKind::accepted, PreviewCtl::MULTIPAGE); },
                           [&](rt::Window& w) {
                               const auto [thumb, width] = sizes(w);
                               ASSERT_GT(width, 2 * thumb + 20);
                               EXPECT_NEAR(w.position(PreviewCtl::IMAGEFIELD1).w, thumb, 1);
                               EXPECT_NEAR(w.position(PreviewCtl::IMAGEFIELD2).w, thumb, 1);
                               w.set_position(rt::unchanged, rt::unchanged, 300, 300);
                           },
                           [&](rt::Window& w) {
                               const auto [thumb, width] = sizes(w);
                               ASSERT_LE(width, 2 * thumb + 20);
                               EXPECT_EQ(view(p, w), "1/3 1+2"); // still two pages, rebuilt at the new size
                               EXPECT_NEAR(w.position(PreviewCtl::IMAGEFIELD1).w, width / 2 - 10, 1);
                               EXPECT_NEAR(w.position(PreviewCtl::IMAGEFIELD2).x, width / 2 - 10 + 11, 1);
                               w.post(EventKind::close_window);
                           },
                       });
    EXPECT_EQ(answer, 2);
}

} // namespace
