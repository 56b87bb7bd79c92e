// LISTPRINT: the document list printed as a report. The rows go into page images in batches of 200 per timer
// event of the progress window, then the preview shows them and prints them when asked.
#ifdef _WIN32

#include "organizer/listprint.h"

#include "organizer/doclist.h"
#include "organizer/reportpreview.h"
#include "organizer/texts.h"
#include "runtime/clock.h"
#include "runtime/gauges.h"
#include "runtime/listformat.h"
#include "runtime/picture.h"
#include "runtime/prompt.h"

#include <algorithm>
#include <cmath>

namespace velquin {

namespace {

int plus(Rpt first, int n) {
    return static_cast<int>(first) + n;
}

const std::string& edit_date() {
    static const std::string s = k(u"편집일");
    return s;
}
const std::string& delete_date() {
    static const std::string s = k(u"삭제일");
    return s;
}

} // namespace

rt::ReportLayout LISTPRINT_PROC::layout() {
    using K = rt::ReportKind;
    rt::ReportLayout l;
    l.font = k(u"굴림체");
    l.font_size = 9;
    l.body = {0, 1885, 8260, 9365};
    auto add = [&](int id, K kind, int x, int y, int w = 0, int h = 0) -> rt::ReportControl& {
        rt::ReportControl c;
        c.id = id;
        c.kind = kind;
        c.x = x;
        c.y = y;
        c.width = w;
        c.height = h;
        l.controls.push_back(std::move(c));
        return l.controls.back();
    };
    auto id = [](Rpt r) { return static_cast<int>(r); };
    // Ten hidden text fields, one for each column the list may have, bound to a line of the print buffer.
    auto columns = [&](Rpt first, int y, std::array<rt::Fixed<30>, 10>& line) {
        for (int n = 0; n < 10; ++n) {
            rt::ReportControl& c = add(plus(first, n), K::text, 542, y);
            c.picture = "s20";
            c.hidden = true;
            c.value = rt::bind(line[static_cast<std::size_t>(n)]);
        }
    };
    add(id(Rpt::HEADER), K::header, 0, 452, 8250, 1438);
    rt::ReportControl& title = add(id(Rpt::LOC_TITLE), K::text, 885, 396);
    title.picture = "s20";
    title.font_size = 16;
    title.bold = true;
    title.value = rt::bind(LOC.TITLE);
    // An image without a picture, an empty text and a period never set: they print nothing.
    add(id(Rpt::IMAGE1), K::text, 396, 396);
    add(id(Rpt::STRING1), K::text, 5281, 396);
    add(id(Rpt::PERIOD), K::text, 6042, 396);
    add(id(Rpt::REPORTDATEPROMPT), K::text, 4635, 948).text = k(u"출력일자 :");
    rt::ReportControl& date = add(id(Rpt::REPORTDATESTAMP), K::text, 5281, 948);
    date.picture = "D10-";
    date.value = rt::bind(REPORTDATESTAMP);
    add(id(Rpt::REPORTPAGENUMBER), K::page_number, 7104, 948).picture = k(u"p<<# 쪽p");
    rt::ReportControl& time = add(id(Rpt::REPORTTIMESTAMP), K::text, 6042, 948);
    time.picture = "T3";
    time.value = rt::bind(REPORTTIMESTAMP);
    add(id(Rpt::LINE2), K::line, 396, 729, 7427);
    add(id(Rpt::TITLEBOX), K::box, 396, 1125, 7427, 313);
    columns(Rpt::PRT_TITLE_1, 1229, PRT->TITLE);
    add(id(Rpt::DETAIL), K::detail, 0, 0, 0, 208);
    add(id(Rpt::CINQLINE), K::line, 396, 208, 7427);
    columns(Rpt::PRT_VALUE_1, 42, PRT->VALUE);
    add(id(Rpt::DETAIL1), K::totals, 0, 0, 0, 417);
    add(id(Rpt::BOX3), K::box, 396, 10, 7427, 238);
    columns(Rpt::PRT_TOTAL_1, 42, PRT->TOTAL);
    add(id(Rpt::FOOTER), K::footer, 0, 0, 0, 104);
    return l;
}

rt::WindowDesc LISTPRINT_PROC::progress_description() {
    using rt::control;
    using rt::Kind;
    rt::WindowDesc w;
    w.title = k(u"인쇄 중...");
    w.font = k(u"굴림체");
    w.font_size = 10;
    w.at = {rt::unchanged, rt::unchanged, 154, 60};
    auto& c = w.controls;
    c.push_back(control(PrgCtl::PRG_THERMOMETER, Kind::progress, {9, 15, 137, 11}));
    c.push_back(control(PrgCtl::PRG_USERSTRING, Kind::prompt, {7, 3, 141, 10}));
    c.push_back(control(PrgCtl::PRG_PCTTEXT, Kind::prompt, {7, 30, 141, 10}));
    c.push_back(control(PrgCtl::PRG_CANCEL, Kind::button, {53, 40, 48, 14}, k(u"취소")));
    return w;
}

template <class Visit> void LISTPRINT_PROC::walk_columns(Visit visit) {
    COLUMNCOUNTER = 0;
    for (std::size_t row = 1; COLUMNCOUNTER < 10; ++row) {
        FQ.get(row);
        if (rt::error_code() != 0) break;
        if (FQ.WIDTH < 10) continue;
        ++COLUMNCOUNTER;
        visit(COLUMNCOUNTER);
    }
}

void LISTPRINT_PROC::run(const std::string& title) {
    TITLE_ARG = title;
    PRT = std::make_unique<PRT_RECORD>();
    WMFQUE.free();
    PRG = {};
    ROWCOUNTER = COLUMNCOUNTER = WIDTHSUM = PREVX = PREVWIDTH = 0;
    report_ = std::make_unique<rt::Report>(layout());
    if (Q2.records() == 0) {
        rt::message(k(u"인쇄할 내역이 없습니다"));
        PRT.reset();
        return;
    }
    if (!report_->open(WMFQUE)) {
        rt::message(k(u"인쇄할 페이지를 놓을 임시 폴더를 만들 수 없습니다.|") + report_->error(), k(u"인쇄"),
                    rt::Icon::exclamation);
        PRT.reset();
        return;
    }
    SETUPREPORT();
    if (!PROGRESSWINDOW()) return;
    report_->end_page();
    if (report_->write_failed()) {
        // A page that could not be written would show as blank and print as nothing.
        rt::message(k(u"인쇄할 페이지를 임시 폴더에 쓰지 못했습니다."), k(u"인쇄"), rt::Icon::exclamation);
        ENDOUT();
        return;
    }
    // The pages are printed from the open preview, so that a print that fails leaves them in view.
    REPORTPREVIEW(WMFQUE, [this] {
        const rt::PrintResult result = report_->send(LOC.TITLE.clip());
        rt::print_failure_message(result);
        return result == rt::PrintResult::printed;
    });
    ENDOUT();
}

void LISTPRINT_PROC::SETUPREPORT() {
    LOC.TITLE = TITLE_ARG;
    REPORTDATESTAMP = static_cast<std::int32_t>(rt::today());
    REPORTTIMESTAMP = static_cast<std::int32_t>(rt::clock());
    rt::Report& r = *report_;
    WIDTHSUM = 0;
    walk_columns([&](std::int32_t) { WIDTHSUM += FQ.WIDTH; });
    if (WIDTHSUM > 400) LANDSCAPE();
    walk_columns([&](std::int32_t n) {
        const std::string name = FQ.NAME.clip();
        PRT->TITLE[static_cast<std::size_t>(n - 1)] = name;
        for (Rpt first : {Rpt::PRT_TITLE_1, Rpt::PRT_VALUE_1, Rpt::PRT_TOTAL_1}) {
            const int c = plus(first, n - 1);
            if (n > 1) r.set_x(c, PREVX + PREVWIDTH + 50);
            const double width = name == edit_date()
                                     ? 520.0
                                     : static_cast<double>(r.width(Rpt::TITLEBOX) - 800) * FQ.WIDTH / WIDTHSUM - 50;
            r.set_width(c, static_cast<int>(std::trunc(width)));
            if (first != Rpt::PRT_TOTAL_1) r.set_hidden(c, false);
        }
        PREVX = r.x(plus(Rpt::PRT_TOTAL_1, n - 1));
        PREVWIDTH = r.width(plus(Rpt::PRT_TOTAL_1, n - 1));
    });
    ROWCOUNTER = 1;
    PRG.RECORDSPERCYCLE = 200;
}

void LISTPRINT_PROC::LANDSCAPE() {
    rt::Report& r = *report_;
    r.set_page_size(11688, 6000);
    r.set_landscape(true);
    for (Rpt c : {Rpt::LINE2, Rpt::TITLEBOX, Rpt::BOX3})
        r.set_width(c, r.width(c) + 11688 - 8260);
    for (int c = static_cast<int>(Rpt::STRING1); c <= static_cast<int>(Rpt::REPORTTIMESTAMP); ++c)
        r.set_x(c, r.x(c) + 3468);
}

void LISTPRINT_PROC::PRINTQUE() {
    const std::size_t rows = Q2.records();
    for (std::int32_t i = 0; i < PRG.RECORDSPERCYCLE; ++i) {
        static_cast<Q2TYPE&>(Q2) = Q2TYPE{};
        Q2.get(static_cast<std::size_t>(ROWCOUNTER));
        if (rt::error_code() != 0) break;
        const Q2TYPE row = Q2; // the FQ walk below leaves the data layer's error state, not Q2's buffer
        walk_columns([&](std::int32_t n) {
            std::string value = rt::cell_text(Q2TYPE_FIELDS, std::size(Q2TYPE_FIELDS), &row, FQ.NO, "");
            value.erase(0, value.find_first_not_of(' ') == std::string::npos ? value.size()
                                                                             : value.find_first_not_of(' '));
            const std::string name = FQ.NAME.clip();
            if (name == edit_date() || name == delete_date())
                value = rt::format(rt::number(value), "D9");
            else
                value = printed_number(value);
            PRT->VALUE[static_cast<std::size_t>(n - 1)] = value;
        });
        ++ROWCOUNTER;
        report_->print(Rpt::DETAIL);
        if (static_cast<std::size_t>(ROWCOUNTER) > rows) break;
    }
}

bool LISTPRINT_PROC::PROGRESSWINDOW() {
    progress_ = std::make_unique<rt::Window>(progress_description());
    rt::Window& w = *progress_;
    w.set_font(PrgCtl::PRG_CANCEL, k(u"굴림체"), 10, FW_BOLD);
    w.open();
    w.set_timer(1);
    const std::size_t rows = Q2.records();
    for (rt::Event e = w.accept(); e; e = w.accept()) {
        if (e.kind == rt::EventKind::timer) {
            PRG.PERCENT = std::min<std::int32_t>(
                100, static_cast<std::int32_t>(static_cast<double>(ROWCOUNTER) / static_cast<double>(rows) * 100));
            if (PRG.PERCENT != PRG.THERMOMETER) {
                PRG.THERMOMETER = PRG.PERCENT;
                rt::set_progress(w, PrgCtl::PRG_THERMOMETER, PRG.THERMOMETER);
                w.set_text(PrgCtl::PRG_PCTTEXT, rt::format(PRG.PERCENT, "N3") + k(u"% 진행중"));
                w.display();
            }
            PRINTQUE();
            if (static_cast<std::size_t>(ROWCOUNTER) > rows) break;
        } else if (e.is(rt::EventKind::accepted, PrgCtl::PRG_CANCEL) || e.kind == rt::EventKind::close_window) {
            // The close box and Alt+F4 are Cancel too: the rows printed so far are not the list.
            ENDOUT();
            return false;
        }
    }
    if (static_cast<std::size_t>(ROWCOUNTER) <= rows) { // the loop ended some other way before the last row
        ENDOUT();
        return false;
    }
    progress_->close();
    progress_.reset();
    return true;
}

void LISTPRINT_PROC::ENDOUT() {
    if (progress_) {
        progress_->close();
        progress_.reset();
    }
    rt::print_failure_message(report_ ? report_->close(LOC.TITLE.clip()) : rt::PrintResult::discarded);
    WMFQUE.free();
    report_.reset();
    PRT.reset();
}

void LISTPRINT(const std::string& title, rt::Queue<LISTFORMAT>& FQ, rt::Queue<Q2TYPE>& Q2) {
    LISTPRINT_PROC(FQ, Q2).run(title);
}

} // namespace velquin

#endif
