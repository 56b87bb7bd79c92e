// Shared pieces of the printing tests: what a page image holds, a driver that also sees the windows the list
// printing opens and the events they return, the file printer of the test prefix, and the page folders left over.
#pragma once

#include "organizer/listprint.h"
#include "organizer/reportpreview.h"
#include "runtime/clock.h"
#include "runtime/gauges.h"
#include "runtime/imagefield.h"
#include "runtime/prompt.h"
#include "tests/mainwindow/support.h"
#include "tests/ui/fileprinter.h"

#include <map>

namespace listprint_test {

using namespace mainwindow_test;

// A text drawn on a page: its place and clip edge in thousandths of an inch, and the text (UTF-8).
struct Drawn {
    int x = 0, y = 0, right = 0;
    std::string text;
};
struct PageSeen {
    int width = 0, height = 0; // thousandths of an inch
    std::vector<Drawn> texts;
    int lines = 0; // straight lines drawn
    // The texts drawn at height y, left to right.
    std::vector<Drawn> at(int y) const {
        std::vector<Drawn> out;
        for (const Drawn& d : texts)
            if (d.y == y) out.push_back(d);
        std::sort(out.begin(), out.end(), [](const Drawn& a, const Drawn& b) { return a.x < b.x; });
        return out;
    }
    std::vector<std::string> words(int y) const {
        std::vector<std::string> out;
        for (const Drawn& d : at(y))
            out.push_back(d.text);
        return out;
    }
};

inline int CALLBACK collect(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM lp) {
    auto* page = reinterpret_cast<PageSeen*>(lp);
    if (r->iType == EMR_EXTTEXTOUTW) {
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(r);
        const auto* s = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) + t->emrtext.offString);
        page->texts.push_back({t->emrtext.ptlReference.x, t->emrtext.ptlReference.y, t->emrtext.rcl.right,
                               u8(std::wstring_view(s, t->emrtext.nChars))});
    } else if (r->iType == EMR_LINETO || r->iType == EMR_POLYLINE16 || r->iType == EMR_POLYLINE) {
        ++page->lines;
    }
    return 1;
}

inline PageSeen read_page(const std::string& cp949) {
    PageSeen page;
    HENHMETAFILE emf = GetEnhMetaFileW(rt::wide(cp949).c_str());
    EXPECT_NE(emf, nullptr) << "no page image " << u8(cp949);
    if (!emf) return page;
    ENHMETAHEADER h{};
    GetEnhMetaFileHeader(emf, sizeof h, &h);
    page.width = MulDiv(h.rclFrame.right - h.rclFrame.left, 100, 254);
    page.height = MulDiv(h.rclFrame.bottom - h.rclFrame.top, 100, 254);
    EnumEnhMetaFile(nullptr, emf, collect, &page, nullptr);
    DeleteEnhMetaFile(emf);
    return page;
}

// The page-image queue's names, as the preview's first field shows one.
inline PageSeen shown_page(rt::Window& preview) {
    return read_page(preview.text(PreviewCtl::IMAGEFIELD1));
}

// A driver that sees every window that waits (the main window's steps run as run_steps gives them; the other
// windows go to on_other) and every event a window returns.
struct PrintDriver : uitest::ScriptDriver {
    std::vector<std::string> titles; // each window that waited, once, in order (UTF-8)
    std::function<void(rt::Window&)> on_other;
    std::map<std::string, int> timers; // timer events returned, by window title
    std::function<void(rt::Window&, const rt::Event&)> on_event;

    void idle(rt::Window& w) override {
        const std::string t = u8(w.title());
        if (std::find(titles.begin(), titles.end(), t) == titles.end()) titles.push_back(t);
        if (t.rfind("Velquin - ", 0) == 0 || !on_other) return ScriptDriver::idle(w);
        if (++idle_calls > idle_limit) throw std::runtime_error("a window waited with nothing to do: " + t);
        on_other(w);
    }
    void event(rt::Window& w, const rt::Event& e) override {
        if (e.kind == rt::EventKind::timer) ++timers[u8(w.title())];
        if (on_event) on_event(w, e);
    }
    bool saw(std::u16string_view title) const {
        return std::find(titles.begin(), titles.end(), u8(K(title))) != titles.end();
    }
};

inline const std::string PREVIEW_TITLE = u8(K(u"보고서 미리보기"));
inline const std::string PROGRESS_TITLE = u8(K(u"인쇄 중..."));
inline const std::string JUMP_TITLE = u8(K(u"페이지 이동"));

using uitest::FilePrinter;
using uitest::remove_test_printer;

// Folders of page images that this process left in the temporary folder.
inline int page_folders_left() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t pattern[MAX_PATH + 32];
    wsprintfW(pattern, L"%sVQ%lX_*", temp, static_cast<unsigned long>(GetCurrentProcessId()));
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do
        ++n;
    while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

// Places and texts of the list report, in thousandths of an inch on the page.
constexpr int HEADINGS_Y = 452 + 1229; // the column headings in the page header
constexpr int FIRST_ROW_Y = 1885 + 42; // the values of the first row
constexpr int ROW_HEIGHT = 208;

} // namespace listprint_test
