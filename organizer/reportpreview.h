// The print preview REPORTPREVIEW and its page-jump dialog PREVIEW:JUMPTOPAGE.
#pragma once

#ifdef _WIN32

#include "runtime/report.h"
#include "runtime/window.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace velquin {

// The preview window's controls, numbered in the order of its description.
enum class PreviewCtl : int {
    PRINTREPORT = 1,
    EXITREPORT,
    ZOOM,
    JUMP,
    LOC_PAGEINFO,
    NEXTPAGE,
    PREVIOUSPAGE,
    MULTIPAGE,
    IMAGEBOX1,
    IMAGEBOX2,
    IMAGEFIELD1,
    IMAGEFIELD2,
};
// The page-jump window's controls.
enum class JumpCtl : int { JUMPPROMPT = 1, JUMPPAGE, OKBUTTON, CANCELBUTTON };

// Prints the pages from the open preview: true when they went to the printer; false after telling the user why
// not, and the preview stays open.
using PreviewPrint = std::function<bool()>;

// Shows the pages of the queue (row n is page n; at least one row) and leaves the answer in GLOBALRESPONSE:
// 1 when the user pressed print (and `print`, when given, printed them), 2 otherwise. The queue is only read.
void REPORTPREVIEW(rt::PageImageQueue& pages, PreviewPrint print = {});

// Asks for a page from 1 to INPUT_TOTALPAGES; the page chosen with OK, or INPUT_CURRENTPAGE when cancelled.
std::int32_t PREVIEW_JUMPTOPAGE(std::int32_t INPUT_CURRENTPAGE, std::int32_t INPUT_TOTALPAGES);

class PREVIEW {
public:
    PREVIEW(rt::PageImageQueue& pages, PreviewPrint print) : Q(pages), print_(std::move(print)) {}
    void run();

    static rt::WindowDesc description();
    static rt::WindowDesc jump_description();
    // Height of the button row above the page area (dialog units).
    static constexpr int TOOLBAR = 18;

private:
    void SETUPSCREEN();
    void CALCWINSIZE();
    void CHANGEDISPLAY();
    void events();
    void show_page(PreviewCtl field, std::int32_t page);
    void place(PreviewCtl control, int x, int y, int w, int h);

    rt::PageImageQueue& Q;
    PreviewPrint print_;
    std::unique_ptr<rt::Window> window_;
    std::int32_t CURRENTPAGE = 1;
    std::int32_t IMAGECOUNT = 0;
    std::int32_t IMAGEWIDTH = 0, IMAGEHEIGHT = 0;
    double IMAGEASPECTRATIO = 0;
    std::int32_t THUMBNAILWIDTH = 0, THUMBNAILHEIGHT = 0;
    std::int32_t MULTIWIDTH = 0, MULTIHEIGHT = 0;
    std::int32_t SHOWWIDTH = 0, SHOWHEIGHT = 0;
    std::uint8_t RETURNVALUE = 0;
    std::int32_t MULTI = 0;
    std::int32_t TOGGLE = 0;
};

} // namespace velquin

#endif
