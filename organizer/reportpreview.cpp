// The print preview: one page fitted or at full size, or two pages side by side; paging, the page jump, print.
#ifdef _WIN32

#include "organizer/reportpreview.h"

#include "organizer/globals.h"
#include "organizer/texts.h"
#include "runtime/gauges.h"
#include "runtime/imagefield.h"
#include "runtime/picture.h"

#include <algorithm>
#include <string>

namespace velquin {

namespace {

constexpr int UPARROW_CURSOR = 32516;

} // namespace

rt::WindowDesc PREVIEW::description() {
    using rt::control;
    using rt::Kind;
    rt::WindowDesc w;
    w.title = k(u"보고서 미리보기");
    w.font = "MS Sans Serif";
    w.font_size = 8;
    w.at = {rt::unchanged, rt::unchanged, 460, 330};
    w.resizable = true;
    auto& c = w.controls;
    c.push_back(control(PreviewCtl::PRINTREPORT, Kind::button, {5, 2, 14, 14}, "", "PVPrint.ico"));
    c.back().tip = k(u"인쇄");
    c.push_back(control(PreviewCtl::EXITREPORT, Kind::button, {22, 2, 14, 14}, "", "BRClose.ico"));
    c.back().tip = k(u"닫기");
    c.push_back(control(PreviewCtl::ZOOM, Kind::button, {39, 2, 14, 14}, "", "PVZoom.ico"));
    c.back().tip = k(u"확대/축소");
    c.push_back(control(PreviewCtl::JUMP, Kind::button, {54, 2, 24, 14}, k(u"이동")));
    c.push_back(control(PreviewCtl::LOC_PAGEINFO, Kind::prompt, {80, 4, 41, 10}));
    c.push_back(control(PreviewCtl::NEXTPAGE, Kind::button, {164, 2, 40, 14}, k(u"다음"), "PVNext.ico"));
    c.push_back(control(PreviewCtl::PREVIOUSPAGE, Kind::button, {123, 2, 40, 14}, k(u"이전"), "PVPrev.ico"));
    c.push_back(control(PreviewCtl::MULTIPAGE, Kind::button, {205, 2, 51, 14}, k(u"2페이지"), "PVMulti.ico"));
    c.push_back(control(PreviewCtl::IMAGEBOX1, Kind::page, {1, 1 + TOOLBAR, 10, 10}));
    c.push_back(control(PreviewCtl::IMAGEBOX2, Kind::page, {1, 1 + TOOLBAR, 10, 10}, "", "", rt::flag::hidden));
    c.push_back(control(PreviewCtl::IMAGEFIELD1, Kind::page, {1, 1 + TOOLBAR, 10, 10}));
    c.push_back(control(PreviewCtl::IMAGEFIELD2, Kind::page, {1, 1 + TOOLBAR, 10, 10}, "", "", rt::flag::hidden));
    return w;
}

// The page area starts under the button row.
void PREVIEW::place(PreviewCtl control, int x, int y, int w, int h) {
    window_->set_position(control, x, y + TOOLBAR, w, h);
}

void PREVIEW::show_page(PreviewCtl field, std::int32_t page) {
    Q.get(static_cast<std::size_t>(std::max(0, page)));
    window_->set_text(field, Q.PAGEIMAGE.clip());
}

void PREVIEW::run() {
    CURRENTPAGE = 1;
    TOGGLE = 0;
    MULTI = 0;
    RETURNVALUE = 0;
    window_ = std::make_unique<rt::Window>(description());
    window_->open();
    Q.get(1);
    SETUPSCREEN();
    CHANGEDISPLAY();
    window_->set_text(PreviewCtl::LOC_PAGEINFO, std::to_string(CURRENTPAGE) + "/" + std::to_string(IMAGECOUNT));
    window_->display();
    events();
    window_->close();
    window_.reset();
    GLOBALRESPONSE = RETURNVALUE == 1 ? 1 : 2;
}

void PREVIEW::events() {
    rt::Window& w = *window_;
    using E = rt::EventKind;
    for (rt::Event e = w.accept(); e; e = w.accept()) {
        bool indicator = true;
        switch (e.kind) {
        case E::alert_key:
            if (e.key == VK_NEXT || e.key == rt::key::enter) {
                w.post(E::accepted, PreviewCtl::NEXTPAGE);
            } else if (e.key == VK_PRIOR) {
                w.post(E::accepted, PreviewCtl::PREVIOUSPAGE);
            } else if (e.key == rt::key::mouse_left && (e.control == static_cast<int>(PreviewCtl::IMAGEFIELD1) ||
                                                        e.control == static_cast<int>(PreviewCtl::IMAGEFIELD2))) {
                if (e.control == static_cast<int>(PreviewCtl::IMAGEFIELD2))
                    show_page(PreviewCtl::IMAGEFIELD1, CURRENTPAGE + 1);
                CHANGEDISPLAY();
            }
            break;
        case E::sized:
            CALCWINSIZE();
            if (MULTI == 1) {
                MULTI = 0;
                w.post(E::accepted, PreviewCtl::MULTIPAGE);
            } else {
                TOGGLE = 1 - TOGGLE;
                CHANGEDISPLAY();
            }
            break;
        case E::accepted:
            switch (static_cast<PreviewCtl>(e.control)) {
            case PreviewCtl::PRINTREPORT:
                // A print that failed was explained; the pages stay in view to be printed again.
                if (print_ && !print_()) break;
                RETURNVALUE = 1;
                w.post(E::close_window);
                break;
            case PreviewCtl::EXITREPORT:
                return;
            case PreviewCtl::ZOOM:
                CHANGEDISPLAY();
                break;
            case PreviewCtl::JUMP:
                CURRENTPAGE = PREVIEW_JUMPTOPAGE(CURRENTPAGE, IMAGECOUNT);
                CURRENTPAGE -= MULTI == 1 ? 2 : 1;
                w.post(E::accepted, PreviewCtl::NEXTPAGE);
                break;
            case PreviewCtl::NEXTPAGE:
                CURRENTPAGE = std::min(CURRENTPAGE + (MULTI == 1 ? 2 : 1), IMAGECOUNT);
                show_page(PreviewCtl::IMAGEFIELD1, CURRENTPAGE);
                if (CURRENTPAGE + 1 > IMAGECOUNT) {
                    w.hide(PreviewCtl::IMAGEFIELD2);
                    w.hide(PreviewCtl::IMAGEBOX2);
                } else {
                    show_page(PreviewCtl::IMAGEFIELD2, CURRENTPAGE + 1);
                }
                break;
            case PreviewCtl::PREVIOUSPAGE:
                if (MULTI == 1) {
                    w.show(PreviewCtl::IMAGEFIELD2);
                    w.show(PreviewCtl::IMAGEBOX2);
                }
                CURRENTPAGE = std::max(CURRENTPAGE - (MULTI == 1 ? 2 : 1), 1);
                show_page(PreviewCtl::IMAGEFIELD1, CURRENTPAGE);
                show_page(PreviewCtl::IMAGEFIELD2, CURRENTPAGE + 1); // past the last page it keeps this one
                break;
            case PreviewCtl::MULTIPAGE:
                if (MULTI == 0) {
                    rt::set_image_scrollbars(w, PreviewCtl::IMAGEFIELD1, false, false);
                    show_page(PreviewCtl::IMAGEFIELD1, CURRENTPAGE);
                    place(PreviewCtl::IMAGEBOX1, 1, 1, MULTIWIDTH, MULTIHEIGHT);
                    place(PreviewCtl::IMAGEFIELD1, 1, 1, MULTIWIDTH, MULTIHEIGHT);
                    if (CURRENTPAGE + 1 <= IMAGECOUNT) {
                        w.show(PreviewCtl::IMAGEFIELD2);
                        w.show(PreviewCtl::IMAGEBOX2);
                        show_page(PreviewCtl::IMAGEFIELD2, CURRENTPAGE + 1);
                        place(PreviewCtl::IMAGEBOX2, MULTIWIDTH + 10, 1, MULTIWIDTH, MULTIHEIGHT);
                        place(PreviewCtl::IMAGEFIELD2, MULTIWIDTH + 10, 1, MULTIWIDTH, MULTIHEIGHT);
                        MULTI = 1;
                    } else {
                        indicator = false;
                    }
                } else {
                    w.hide(PreviewCtl::IMAGEFIELD2);
                    w.hide(PreviewCtl::IMAGEBOX2);
                    TOGGLE = 1 - TOGGLE;
                    CHANGEDISPLAY();
                    MULTI = 0;
                }
                break;
            default:
                break;
            }
            break;
        default:
            break;
        }
        if (indicator)
            w.set_text(PreviewCtl::LOC_PAGEINFO, std::to_string(CURRENTPAGE) + "/" + std::to_string(IMAGECOUNT));
    }
}

void PREVIEW::SETUPSCREEN() {
    rt::Window& w = *window_;
    IMAGECOUNT = static_cast<std::int32_t>(Q.records());
    w.set_text(PreviewCtl::IMAGEFIELD1, Q.PAGEIMAGE.clip());
    const SIZE natural = rt::image_size(w, PreviewCtl::IMAGEFIELD1);
    IMAGEWIDTH = natural.cx;
    IMAGEHEIGHT = natural.cy;
    // A page that does not load has no size: it is taken as square rather than dividing by nothing.
    IMAGEASPECTRATIO = IMAGEWIDTH > 0 && IMAGEHEIGHT > 0 ? static_cast<double>(IMAGEHEIGHT) / IMAGEWIDTH : 1.0;
    CALCWINSIZE();
    for (PreviewCtl f : {PreviewCtl::IMAGEFIELD1, PreviewCtl::IMAGEFIELD2}) {
        rt::set_image_background(w, f, RGB(255, 255, 255));
        w.alert(f, rt::key::mouse_left);
        rt::set_image_cursor(w, f, UPARROW_CURSOR);
    }
    w.alert(VK_PRIOR);
    w.alert(VK_NEXT);
    w.alert(rt::key::enter);
}

void PREVIEW::CALCWINSIZE() {
    const rt::Rect r = window_->position();
    const std::int32_t W = r.w, H = r.h;
    THUMBNAILHEIGHT = H - 20;
    THUMBNAILWIDTH = static_cast<std::int32_t>(THUMBNAILHEIGHT / IMAGEASPECTRATIO);
    if (THUMBNAILWIDTH > W) {
        THUMBNAILWIDTH = W;
        THUMBNAILHEIGHT = static_cast<std::int32_t>(W * IMAGEASPECTRATIO);
    }
    MULTIWIDTH = W > 2 * THUMBNAILWIDTH + 20 ? THUMBNAILWIDTH : W / 2 - 10;
    MULTIHEIGHT = static_cast<std::int32_t>(MULTIWIDTH * IMAGEASPECTRATIO);
}

void PREVIEW::CHANGEDISPLAY() {
    rt::Window& w = *window_;
    if (MULTI == 1) {
        w.hide(PreviewCtl::IMAGEFIELD2);
        w.hide(PreviewCtl::IMAGEBOX2);
        MULTI = 0;
    }
    if (TOGGLE == 0) {
        place(PreviewCtl::IMAGEBOX1, 1, 1, THUMBNAILWIDTH, THUMBNAILHEIGHT);
        place(PreviewCtl::IMAGEFIELD1, 1, 1, THUMBNAILWIDTH, THUMBNAILHEIGHT);
        rt::set_image_scrollbars(w, PreviewCtl::IMAGEFIELD1, false, false);
        TOGGLE = 1;
    } else {
        const rt::Rect r = w.position();
        const bool across = IMAGEWIDTH >= r.w, down = IMAGEHEIGHT >= r.h - 20;
        SHOWWIDTH = across ? r.w : IMAGEWIDTH;
        SHOWHEIGHT = down ? r.h - 20 : IMAGEHEIGHT;
        rt::set_image_scrollbars(w, PreviewCtl::IMAGEFIELD1, across, down);
        place(PreviewCtl::IMAGEBOX1, 1, 1, SHOWWIDTH, SHOWHEIGHT);
        place(PreviewCtl::IMAGEFIELD1, 1, 1, SHOWWIDTH, SHOWHEIGHT);
        TOGGLE = 0;
    }
}

void REPORTPREVIEW(rt::PageImageQueue& pages, PreviewPrint print) {
    PREVIEW(pages, std::move(print)).run();
}

// --- the page jump ----------------------------------------------------------------------------------------------

rt::WindowDesc PREVIEW::jump_description() {
    using rt::control;
    using rt::Kind;
    rt::WindowDesc w;
    w.title = k(u"페이지 이동");
    w.font = k(u"굴림");
    w.font_size = 9;
    w.at = {rt::unchanged, rt::unchanged, 189, 34};
    auto& c = w.controls;
    c.push_back(control(JumpCtl::JUMPPROMPT, Kind::prompt, {7, 12, 48, 10}, k(u"이동할 페이지:")));
    c.push_back(control(JumpCtl::JUMPPAGE, Kind::spin, {56, 9, 59, 15}));
    c.push_back(control(JumpCtl::OKBUTTON, Kind::button, {121, 9, 28, 15}, k(u"확 인")));
    c.push_back(control(JumpCtl::CANCELBUTTON, Kind::button, {150, 9, 28, 15}, k(u"취 소")));
    return w;
}

std::int32_t PREVIEW_JUMPTOPAGE(std::int32_t INPUT_CURRENTPAGE, std::int32_t INPUT_TOTALPAGES) {
    std::int32_t JUMPPAGE = INPUT_CURRENTPAGE;
    std::int32_t RETURNPAGE = INPUT_CURRENTPAGE;
    rt::Window w(PREVIEW::jump_description());
    rt::set_spin_range(w, JumpCtl::JUMPPAGE, 1, INPUT_TOTALPAGES);
    w.set_text(JumpCtl::JUMPPAGE, std::to_string(JUMPPAGE)); // "n5": a whole number of up to five digits
    w.open();
    w.focus(JumpCtl::JUMPPAGE);
    for (rt::Event e = w.accept(); e; e = w.accept()) {
        if (e.is(rt::EventKind::accepted, JumpCtl::OKBUTTON)) {
            // The page typed is held to the spin box's range, as its arrows are.
            JUMPPAGE = static_cast<std::int32_t>(rt::number(w.text(JumpCtl::JUMPPAGE)));
            RETURNPAGE = std::clamp(JUMPPAGE, 1, std::max(1, INPUT_TOTALPAGES));
            break;
        }
        if (e.is(rt::EventKind::accepted, JumpCtl::CANCELBUTTON)) break;
    }
    w.close();
    return RETURNPAGE;
}

} // namespace velquin

#endif
