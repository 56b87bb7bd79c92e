// Writes the sample workbooks that the outside readers check (check_books.py): one small book with every kind
// of cell and format in both formats, and a full-size sheet in each. Exits non-zero when a call answers other
// than expected.
//   xl_sample <folder>
#include "runtime/text.h"
#include "xl/xl.h"

#include <cstdio>
#include <string>

namespace {

int failures = 0;

void expect(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "failed: %s\n", what);
        ++failures;
    }
}

std::string k(std::u16string_view s) {
    return rt::to_cp949(s);
}

struct Formats {
    FormatHandle date, header;
};

BookHandle begin(bool xml, Formats& f, SheetHandle& sheet) {
    BookHandle book = xml ? xlCreateXMLBookCA() : xlCreateBookCA();
    sheet = xlBookAddSheetA(book, k(u"편집일순").c_str(), nullptr);
    xlBookSetDefaultFontA(book, k(u"돋움").c_str(), 11);
    f.date = xlBookAddFormatA(book, nullptr);
    xlBookAddFormatA(book, nullptr); // an unused one between, as the export makes them
    f.header = xlBookAddFormatA(book, nullptr);
    xlFormatSetNumFormatA(f.date, 14);
    xlFormatSetBorderTopA(f.header, 1);
    xlFormatSetBorderBottomA(f.header, 1);
    return book;
}

// The small book: headers, widths, every kind of cell; the header row's height and format set last.
void small(const std::string& path, bool xml) {
    Formats f;
    SheetHandle s;
    BookHandle book = begin(xml, f, s);
    const std::u16string headers[] = {u"편집일", u"제목", u"분류", u"크기"};
    const double widths[] = {15, 25, 9.75, 8};
    for (int c = 0; c < 4; ++c) {
        expect(xlSheetWriteStrA(s, 0, c, k(headers[c]).c_str(), f.header), "header");
        expect(xlSheetSetColA(s, c, c, widths[c], nullptr, 0), "width");
    }
    std::u16string long_text;
    for (int i = 0; i < 9000; ++i)
        long_text += static_cast<char16_t>(u'가' + i % 50);
    expect(xlSheetWriteNumA(s, 1, 0, 46364, f.date), "date");
    expect(xlSheetWriteStrA(s, 1, 1, k(u"가나다 report 2026").c_str(), nullptr), "text");
    expect(xlSheetWriteStrA(s, 1, 2, k(u"분류").c_str(), nullptr), "text");
    expect(xlSheetWriteNumA(s, 1, 3, 12, nullptr), "number");
    expect(xlSheetWriteStrA(s, 2, 1, "a&b <c> \"d\" _x0041_", nullptr), "markup");
    expect(xlSheetWriteStrA(s, 2, 2, "  lead and trail  ", nullptr), "blanks");
    expect(xlSheetWriteNumA(s, 2, 3, -3.5, nullptr), "fraction");
    expect(xlSheetWriteNumA(s, 3, 0, 46000, f.date), "date");
    expect(xlSheetWriteStrA(s, 3, 1, k(long_text).c_str(), nullptr), "long text");
    expect(xlSheetWriteStrA(s, 3, 2, k(u"분류").c_str(), nullptr), "repeated text");
    expect(xlSheetWriteNumA(s, 3, 3, 1234567890123.0, nullptr), "large number");
    expect(xlSheetWriteNumA(s, 4, 3, 0.1, nullptr), "out of order");
    expect(xlSheetWriteStrA(s, 4, 1, "first", nullptr), "out of order");
    expect(xlSheetWriteStrA(s, 4, 1, "second", nullptr), "written over");
    expect(xlSheetWriteNumA(s, 4, 0, 1e-5, nullptr), "small number");
    expect(!xlSheetWriteNumA(s, 3, 0, 1, nullptr), "a row already written is refused");
    expect(xlSheetSetRowA(s, 0, 15, f.header, 0), "row");
    // A second sheet whose name the formats do not allow as it is, with rows far apart: a row of its own height
    // alone in the second block of 32 rows, a cell in the fourth, none in the first and third.
    const SheetHandle second = xlBookAddSheetA(book, "a[b]:c/d*e?f\\g 12345678901234567890", nullptr);
    expect(second != nullptr, "second sheet");
    expect(xlSheetWriteStrA(second, 100, 2, "far", nullptr), "far cell");
    expect(xlSheetSetRowA(second, 40, 20, nullptr, 0), "far row");
    expect(xlBookSaveA(book, path.c_str()), "save");
    xlBookReleaseA(book);
}

// A full sheet of list-like rows; the row after the last one the format holds is refused.
void big(const std::string& path, bool xml, int rows) {
    Formats f;
    SheetHandle s;
    BookHandle book = begin(xml, f, s);
    for (int c = 0; c < 8; ++c)
        expect(xlSheetWriteStrA(s, 0, c, ("H" + std::to_string(c)).c_str(), f.header), "h");
    const std::string title = k(u"제목 "), category = k(u"분류");
    bool ok = true;
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        ok &= xlSheetWriteNumA(s, r, 0, 46000 + r % 1000, f.date) != 0;
        ok &= xlSheetWriteStrA(s, r, 1, (title + n).c_str(), nullptr) != 0;
        ok &= xlSheetWriteStrA(s, r, 2, (category + std::to_string(r % 20)).c_str(), nullptr) != 0;
        ok &= xlSheetWriteStrA(s, r, 3, "DOC", nullptr) != 0;
        ok &= xlSheetWriteNumA(s, r, 4, r * 3.0, nullptr) != 0;
        ok &= xlSheetWriteStrA(s, r, 5, r % 2 ? "O" : "-", nullptr) != 0;
        ok &= xlSheetWriteStrA(s, r, 6, ("file" + n + ".txt").c_str(), nullptr) != 0;
        ok &= xlSheetWriteStrA(s, r, 7, ("A-" + n).c_str(), nullptr) != 0;
    }
    expect(ok, "big rows");
    expect(!xlSheetWriteStrA(s, xml ? 1048576 : 65536, 0, "x", nullptr), "the row after the last is refused");
    expect(!xlSheetWriteStrA(s, rows, xml ? 16384 : 256, "x", nullptr), "the column after the last is refused");
    expect(xlBookSaveA(book, path.c_str()), "save big");
    xlBookReleaseA(book);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = std::string(argv[1]) + "/";
    small(dir + "small.xls", false);
    small(dir + "small.xlsx", true);
    big(dir + "big.xls", false, 65535);
    big(dir + "big.xlsx", true, 100000);
    return failures == 0 ? 0 : 1;
}
