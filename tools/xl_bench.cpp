// Benchmark of the spreadsheet writer: list-like rows (a date, a Korean title, a category, a type, a size, a link
// mark, a file name, an index) written as .xlsx and .xls, beside the bare cost of making the same values and, when
// built with it, the peer writer in its constant-memory mode. One mode per process, so that the peak memory
// printed is that mode's own.
//   xl_bench bare|xlsx|xls|peer <rows> <file>
// prints: mode rows seconds peak-KB
#include "runtime/text.h"
#include "xl/xl.h"

#ifdef VELQUIN_BENCH_PEER
#include <xlsxwriter.h>
#endif

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The values of row r, in the encoding the writer takes (CP949 for ours, UTF-8 for the peer).
struct Row {
    double date, size;
    std::string title, category, type, link, file, index;
};

struct Maker {
    std::string title, category;
    explicit Maker(bool utf8) {
        title = utf8 ? "제목 " : rt::to_cp949(u"제목 ");
        category = utf8 ? "분류" : rt::to_cp949(u"분류");
    }
    void make(int r, Row& row) const {
        const std::string n = std::to_string(r);
        row.date = 46000 + r % 1000;
        row.size = r * 3.0;
        row.title = title + n + " minutes of the weekly meeting";
        row.category = category + std::to_string(r % 20);
        row.type = r % 3 ? "DOC" : "XLS";
        row.link = r % 2 ? "O" : "";
        row.file = "attachment-" + n + ".txt";
        row.index = "A-" + n;
    }
};

const char* const HEADERS[] = {"date", "title", "category", "type", "size", "link", "file", "index"};
const double WIDTHS[] = {15, 25, 9, 3, 7, 3, 12, 5};

long ours(bool xml, int rows, const char* path) {
    BookHandle book = xml ? xlCreateXMLBookCA() : xlCreateBookCA();
    SheetHandle s = xlBookAddSheetA(book, rt::to_cp949(u"편집일순").c_str(), nullptr);
    xlBookSetDefaultFontA(book, rt::to_cp949(u"돋움").c_str(), 11);
    FormatHandle date = xlBookAddFormatA(book, nullptr), header = xlBookAddFormatA(book, nullptr);
    xlFormatSetNumFormatA(date, 14);
    xlFormatSetBorderTopA(header, 1);
    xlFormatSetBorderBottomA(header, 1);
    for (int c = 0; c < 8; ++c) {
        xlSheetWriteStrA(s, 0, c, HEADERS[c], header);
        xlSheetSetColA(s, c, c, WIDTHS[c], nullptr, 0);
    }
    const Maker maker(false);
    Row row;
    long refused = 0;
    for (int r = 1; r <= rows; ++r) {
        maker.make(r, row);
        int ok = xlSheetWriteNumA(s, r, 0, row.date, date);
        ok &= xlSheetWriteStrA(s, r, 1, row.title.c_str(), nullptr);
        ok &= xlSheetWriteStrA(s, r, 2, row.category.c_str(), nullptr);
        ok &= xlSheetWriteStrA(s, r, 3, row.type.c_str(), nullptr);
        ok &= xlSheetWriteNumA(s, r, 4, row.size, nullptr);
        if (!row.link.empty()) ok &= xlSheetWriteStrA(s, r, 5, row.link.c_str(), nullptr);
        ok &= xlSheetWriteStrA(s, r, 6, row.file.c_str(), nullptr);
        ok &= xlSheetWriteStrA(s, r, 7, row.index.c_str(), nullptr);
        refused += !ok;
    }
    xlSheetSetRowA(s, 0, 15, header, 0);
    if (!xlBookSaveA(book, path)) std::fprintf(stderr, "save failed\n");
    xlBookReleaseA(book);
    return refused;
}

#ifdef VELQUIN_BENCH_PEER
long peer(int rows, const char* path) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path, &options);
    lxw_worksheet* s = workbook_add_worksheet(book, "편집일순");
    lxw_format* date = workbook_add_format(book);
    lxw_format* header = workbook_add_format(book);
    format_set_num_format_index(date, 14);
    format_set_top(header, LXW_BORDER_THIN);
    format_set_bottom(header, LXW_BORDER_THIN);
    worksheet_set_row(s, 0, 15, header); // rows are flushed as they go: the header row's height comes first
    for (int c = 0; c < 8; ++c) {
        worksheet_write_string(s, 0, static_cast<lxw_col_t>(c), HEADERS[c], header);
        worksheet_set_column(s, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), WIDTHS[c], nullptr);
    }
    const Maker maker(true);
    Row row;
    for (int r = 1; r <= rows; ++r) {
        maker.make(r, row);
        worksheet_write_number(s, r, 0, row.date, date);
        worksheet_write_string(s, r, 1, row.title.c_str(), nullptr);
        worksheet_write_string(s, r, 2, row.category.c_str(), nullptr);
        worksheet_write_string(s, r, 3, row.type.c_str(), nullptr);
        worksheet_write_number(s, r, 4, row.size, nullptr);
        if (!row.link.empty()) worksheet_write_string(s, r, 5, row.link.c_str(), nullptr);
        worksheet_write_string(s, r, 6, row.file.c_str(), nullptr);
        worksheet_write_string(s, r, 7, row.index.c_str(), nullptr);
    }
    if (workbook_close(book) != LXW_NO_ERROR) std::fprintf(stderr, "save failed\n");
    return 0;
}
#endif

// The values alone: what every mode pays before writing anything.
long bare(int rows) {
    const Maker maker(false);
    Row row;
    std::size_t bytes = 0;
    for (int r = 1; r <= rows; ++r) {
        maker.make(r, row);
        bytes += row.title.size() + row.file.size();
    }
    return bytes == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: xl_bench bare|xlsx|xls|peer <rows> <file>\n");
        return 2;
    }
    const std::string mode = argv[1];
    const int rows = std::atoi(argv[2]);
    const auto start = std::chrono::steady_clock::now();
    long refused = 0;
    if (mode == "bare")
        refused = bare(rows);
    else if (mode == "xlsx" || mode == "xls")
        refused = ours(mode == "xlsx", rows, argv[3]);
#ifdef VELQUIN_BENCH_PEER
    else if (mode == "peer")
        refused = peer(rows, argv[3]);
#endif
    else
        return 3; // not built with this mode
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-5s %7d rows %7.3f s %8ld KB peak", mode.c_str(), rows, seconds, usage.ru_maxrss);
    if (refused) std::printf("  (%ld rows refused: past the last row of the sheet)", refused);
    std::printf("\n");
    return 0;
}
