// The report engine. A report is built from a layout in thousandths of an inch: bands (page header, detail,
// totals, page footer) each followed by its controls (texts bound to variables, fixed texts, the page number,
// lines and boxes). Printing a band draws it with the values its controls read at that moment; pages start with
// their header and end with their footer as the body fills. Each finished page is an enhanced metafile in a
// folder of the report's own, and its file name goes into the page-image queue. Closing the report sends the
// pages to the default printer when it was marked to flush them, and removes the files in every case.
#pragma once

#ifdef _WIN32

#include "runtime/picture.h"
#include "runtime/queue.h"
#include "runtime/text.h"
#include "runtime/window.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace rt {

// A row of a page-image queue: the file name of one page.
struct PageImage {
    Fixed<64> PAGEIMAGE;
};
using PageImageQueue = Queue<PageImage>;

enum class ReportKind {
    header,      // band: at its place at the top of every page
    detail,      // band: printed in the body, one after another
    totals,      // band: likewise
    footer,      // band: under the body of every page
    text,        // its value (or fixed text) through its picture
    page_number, // the page's number through its picture
    line,        // a horizontal line of its width
    box,         // a rectangle
};

// A band or a control of a layout. Controls belong to the band before them; their places are relative to it.
struct ReportControl {
    int id = 0; // the program's number, unique in the layout
    ReportKind kind = ReportKind::text;
    int x = 0, y = 0, width = 0, height = 0; // thousandths of an inch; text width 0: as wide as the text
    std::string text{};                      // fixed text (CP949), when there is no value
    std::string picture{};
    std::string font{}; // empty: the report's font
    int font_size = 0;  // points; 0: the report's
    bool bold = false;
    bool hidden = false;
    // The display text of the bound variable through the picture, read when the band prints.
    std::function<std::string(std::string_view picture)> value{};
};

// A variable bound to a text control: its value through the control's picture, read at print time.
template <std::size_t N> auto bind(const Fixed<N>& field) {
    return [&field](std::string_view picture) { return rt::format(field, picture); };
}
template <class T>
requires std::is_arithmetic_v<T>
auto bind(const T& number) {
    return [&number](std::string_view picture) { return rt::format(number, picture); };
}

struct ReportLayout {
    int page_width = 8260, page_height = 11690; // thousandths of an inch
    bool landscape = false;
    Rect body{0, 1885, 8260, 9365}; // where the detail and totals bands go
    std::string font = "GulimChe";
    int font_size = 9;
    std::vector<ReportControl> controls{}; // bands and controls in layout order
};

// What closing a report did with its pages.
enum class PrintResult {
    discarded,  // not marked to flush: nothing printed
    printed,    // every page went to the default printer
    no_printer, // no default printer is installed
    failed,     // the printer refused the job or a page
};

// Tells the user, under the caption "인쇄", why nothing was printed: no printer is installed, or the printer refused
// the job. Nothing for the other results.
void print_failure_message(PrintResult result);

class Report {
public:
    explicit Report(ReportLayout layout);
    ~Report(); // an open report is closed unflushed
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Opens the report with its page images going to `pages`. False when no folder for the page images could be
    // made whose file names fit the queue's 64 bytes (error() tells why).
    bool open(PageImageQueue& pages);
    bool is_open() const noexcept { return pages_ != nullptr; }
    const std::string& error() const noexcept { return error_; }

    // Properties of bands and controls (thousandths of an inch).
    int x(Id control) const;
    int width(Id control) const;
    bool hidden(Id control) const;
    void set_x(Id control, int x);
    void set_width(Id control, int width);
    void set_hidden(Id control, bool hidden);
    // Properties of the page.
    int page_width() const noexcept { return layout_.page_width; }
    int page_height() const noexcept { return layout_.page_height; }
    bool landscape() const noexcept { return layout_.landscape; }
    void set_page_size(int width, int height);
    void set_landscape(bool on);

    // Prints a detail or totals band with the current values; starts a new page first when it does not fit.
    void print(Id band);
    // Finishes the page being printed, so that it is in the queue; nothing when no page is open.
    void end_page();
    // Whether closing sends the pages to the printer.
    void set_flush(bool on) noexcept { flush_ = on; }
    // Sends the pages finished so far to the default printer (as document `title`, CP949) and keeps the report
    // open, so that a failed print can be tried again; discarded when there is no page.
    PrintResult send(std::string_view title = {});
    // Closes the report: prints the finished pages when marked to flush (as with send()), then removes the page
    // files and their folder. The queue keeps its rows.
    PrintResult close(std::string_view title = {});

    // Pages finished so far, and whether writing one failed.
    long pages() const noexcept { return static_cast<long>(files_.size()); }
    bool write_failed() const noexcept { return write_failed_; }

private:
    ReportControl* find(Id control);
    const ReportControl* find(Id control) const;
    void start_page();
    void draw_band(std::size_t band, int origin_x, int origin_y);
    void draw(const ReportControl& c, int x, int y);
    HFONT font(const ReportControl& c);
    // Advances of the characters of `text` in the font, from a cache: handed to the recording, it spares the
    // platform measuring every text again.
    const std::vector<INT>& advances(HFONT f, std::wstring_view text);
    int body_bottom() const;
    std::size_t band_index(ReportKind kind) const;
    PrintResult print_pages(std::string_view title);
    void remove_files();

    ReportLayout layout_;
    PageImageQueue* pages_ = nullptr;
    std::string folder_;             // CP949, without a trailing backslash
    std::vector<std::string> files_; // every page file written, CP949
    std::map<std::tuple<std::string, int, bool>, UniqueFont> fonts_;
    std::map<HFONT, std::vector<int>> widths_; // per font, by UTF-16 unit; -1 not yet measured
    std::vector<INT> advances_;
    UniqueDC reference_; // the screen, for every page; also measures the characters
    std::string error_;
    HDC dc_ = nullptr; // the page being recorded
    HFONT selected_ = nullptr;
    long page_ = 0;  // number of the page being recorded (or last recorded)
    int cursor_ = 0; // where the next body band goes on the page
    bool flush_ = false;
    bool write_failed_ = false;
};

} // namespace rt

#endif
