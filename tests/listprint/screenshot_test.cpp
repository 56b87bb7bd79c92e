// The progress window and the preview of a Korean list, held open for the screenshot tests (VELQUIN_HOLD_MS;
// VELQUIN_PREVIEW_VIEW chooses the preview's view: fit, full or two).
#include "support.h"

#include <cstdlib>

namespace {

using namespace listprint_test;
using startup_test::WorkFolder;

void korean_library(Library& lib, int count) {
    lib.category(1, 1, u"회의 자료");
    lib.category(2, 2, u"보고서");
    const std::u16string subjects[] = {u"주간 회의록", u"분기 실적 보고", u"발표 자료", u"예산 계획안", u"출장 보고서"};
    for (int i = 0; i < count; ++i)
        lib.document({.node = static_cast<std::int16_t>(1 + i % 2),
                      .date = 81000 + i,
                      .time = 100 + i * 3000,
                      .subj = K(subjects[i % 5]) + " " + std::to_string(i + 1),
                      .index = "M-" + std::to_string(100 + i),
                      .size = 1000 * (i % 7) * (i % 3),
                      .ext = i % 3 ? "DOC" : ""});
}

// Keeps the windows on screen for the screenshot: the thread waits for messages and handles them.
void hold() {
    const char* ms = std::getenv("VELQUIN_HOLD_MS");
    if (!ms) return;
    const DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(ms));
    while (static_cast<long>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

TEST(Screenshot, Progress) {
    WorkFolder work(L"print-shot-progress");
    startup_test::write_office_ids();
    Library lib;
    korean_library(lib, 450);
    lib.close();
    PrintDriver d;
    bool held = false;
    // After its second timer event the window waits with its timer stopped, is photographed, and goes on.
    d.on_event = [&](rt::Window& w, const rt::Event& e) {
        if (e.kind == rt::EventKind::timer && u8(w.title()) == PROGRESS_TITLE && d.timers[PROGRESS_TITLE] == 2)
            w.set_timer(0);
    };
    d.on_other = [&](rt::Window& w) {
        const std::string t = u8(w.title());
        if (t == PROGRESS_TITLE && !held && d.timers[PROGRESS_TITLE] == 2) {
            held = true;
            EXPECT_EQ(u8(w.text(PrgCtl::PRG_PCTTEXT)), " 44% 진행중");
            EXPECT_EQ(rt::progress(w, PrgCtl::PRG_THERMOMETER), 44);
            hold();
            w.set_timer(1);
        } else if (t == PREVIEW_TITLE) {
            w.post(rt::EventKind::accepted, PreviewCtl::EXITREPORT);
        }
    };
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     [](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::PRINT); },
                 });
    EXPECT_TRUE(held);
}

TEST(Screenshot, Preview) {
    WorkFolder work(L"print-shot-preview");
    startup_test::write_office_ids();
    Library lib;
    korean_library(lib, 100);
    lib.close();
    const char* chosen = std::getenv("VELQUIN_PREVIEW_VIEW");
    const std::string view = chosen ? chosen : "fit";
    PrintDriver d;
    int step = 0;
    d.on_other = [&](rt::Window& w) {
        if (u8(w.title()) != PREVIEW_TITLE) return;
        switch (step++) {
        case 0:
            w.maximize();
            break;
        case 1:
            if (view == "full") w.post(rt::EventKind::accepted, PreviewCtl::ZOOM);
            if (view == "two") w.post(rt::EventKind::accepted, PreviewCtl::MULTIPAGE);
            break;
        case 2:
            EXPECT_EQ(w.visible(PreviewCtl::IMAGEFIELD2), view == "two");
            hold();
            w.post(rt::EventKind::accepted, PreviewCtl::EXITREPORT);
            break;
        }
    };
    run_steps(d, {
                     [](const View& v) { v.choose(2); },
                     [](const View& v) { v.w.post(rt::EventKind::accepted, Ctl::PRINT); },
                 });
    EXPECT_EQ(step, 3);
}

} // namespace
