// The workbook behind the C functions: formats, sheets whose rows spill to temporary files, the shared string
// table, and the two file formats that write them.
#pragma once

#include "xl/spill.h"
#include "xl/xl.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xl {

// A cell format. Its number in the file is fixed when it is made; its settings are read when the book is saved,
// so a format may still change after cells use it.
struct Format {
    int number = 0;     // from 1 in the order made; 0 stands for "no format"
    int num_format = 0; // built-in number format
    int border_top = 0, border_bottom = 0;
};

// A cell of the row being written.
struct Cell {
    int col = 0;
    int format = 0;    // Format::number, 0 none
    bool text = false; // text: the string's number in the shared table; else the number
    std::uint32_t string = 0;
    double number = 0;
};

struct RowInfo {
    double height = 0; // points; 0 default
    int format = 0;
    bool hidden = false;
};

struct ColInfo {
    double width = -1; // characters; below 0 default
    int format = 0;
    bool hidden = false;
    bool operator==(const ColInfo&) const = default;
};

// The shared string table: each new text is appended to a temporary file in the book's encoding; a fixed-size
// cache finds texts already there, so repeated texts (categories, marks) are stored once while memory stays
// bounded. A text missed by the cache is stored again, which readers accept.
class SharedStrings {
public:
    explicit SharedStrings(bool xml) : xml_(xml) {}
    // The number of the text (CP949), adding it when the cache does not know it. False when the spill fails.
    bool intern(std::string_view cp949, std::uint32_t& number);
    std::uint32_t unique() const { return unique_; }
    // The stored texts: BIFF8 SST and CONTINUE records (the first record body starts with 8 bytes for the two
    // counts, left 0 here), or the <si> elements of sharedStrings.xml.
    Spill& spill() { return spill_; }
    // Ends the last BIFF record; call before reading the spill.
    bool finish();
    // Where every eighth BIFF text (numbers 0, 8, 16, ...) starts: its offset in the spill, and its offset in the
    // SST or CONTINUE record that holds it, the record's header counted. The EXTSST record points at them.
    struct Mark {
        std::uint64_t at = 0;
        std::uint16_t in_record = 0;
    };
    static constexpr std::uint32_t MARK_EVERY = 8;
    const std::vector<Mark>& marks() const { return marks_; }

private:
    bool add_biff(std::u16string_view text);
    bool add_xml(std::u16string_view text);
    bool close_record();

    struct Slot {
        std::string text;
        std::uint32_t number = 0;
        bool used = false;
    };
    static constexpr std::size_t SLOTS = 8192;     // cache entries
    static constexpr std::size_t CACHED_MAX = 256; // longer texts are not cached
    bool xml_;
    std::vector<Slot> cache_ = std::vector<Slot>(SLOTS);
    std::uint32_t unique_ = 0;
    Spill spill_;
    std::string record_; // the BIFF record being filled
    bool first_record_ = true;
    std::vector<Mark> marks_;
};

class Book;

class Sheet {
public:
    Sheet(Book& book, std::string name) : book_(book), name_(std::move(name)) {}
    bool write(int row, Cell cell);
    bool set_col(int first, int last, const ColInfo& info);
    bool set_row(int row, const RowInfo& info);

    const std::string& name() const { return name_; } // CP949, as the format allows it
    // The used range; empty() when no cell was written.
    bool empty() const { return last_row_ < 0; }
    int first_row() const { return first_row_; }
    int last_row() const { return last_row_; }
    int first_col() const { return first_col_; }
    int last_col() const { return last_col_; }
    // Text cells written so far, the row in memory included.
    std::uint64_t text_cells() const;
    // True when a cell may go there: inside the sheet and not before the row in memory.
    bool accepts(int row, int col) const;
    Book& book() { return book_; }
    const std::map<int, ColInfo>& cols() const { return cols_; }
    const std::map<int, RowInfo>& rows() const { return rows_; }

    // Calls visit(row, encoded cells) for every written row in order, with the row still in memory last.
    // Rows whose encoding fails to read back end the walk with false.
    template <class Visit> bool for_each_row(Visit visit);

private:
    bool flush();

    Book& book_;
    std::string name_;
    Spill spill_; // per row: row (4 bytes), length (4 bytes), the encoded cells
    int row_ = -1;
    std::vector<Cell> cells_;
    std::string encoded_;
    int first_row_ = 0, last_row_ = -1, first_col_ = 0, last_col_ = 0;
    std::uint64_t text_cells_ = 0;
    std::map<int, ColInfo> cols_;
    std::map<int, RowInfo> rows_;
};

class Book {
public:
    explicit Book(bool xml) : xml_(xml), strings_(xml) {}
    bool xml() const { return xml_; }
    int max_rows() const { return xml_ ? 1048576 : 65536; }
    int max_cols() const { return xml_ ? 16384 : 256; }

    Sheet* add_sheet(std::string_view name);
    Format* add_format(const Format* copy);
    Format* format(int number) {
        return number >= 1 && number <= static_cast<int>(formats_.size()) ? formats_[number - 1].get() : nullptr;
    }
    void set_default_font(std::string_view name, int size) {
        font_name_ = name;
        font_size_ = size;
    }
    const std::string& font_name() const { return font_name_; }
    int font_size() const { return font_size_; }
    const std::vector<std::unique_ptr<Sheet>>& sheets() const { return sheets_; }
    const std::vector<std::unique_ptr<Format>>& formats() const { return formats_; }
    SharedStrings& strings() { return strings_; }

    // Writes the book to the path (CP949); false when the file could not be written.
    bool save(std::string_view path);

    // The encoding of one row's cells; sorts them by column first.
    void encode_row(int row, std::vector<Cell>& cells, std::string& out) const;

private:
    bool xml_;
    SharedStrings strings_;
    std::string font_name_ = "Arial";
    int font_size_ = 10;
    std::vector<std::unique_ptr<Sheet>> sheets_;
    std::vector<std::unique_ptr<Format>> formats_;
};

// The two file formats (biff.cpp, ooxml.cpp): the cells of a row, and the whole book to an open output.
void biff_encode_row(int row, const std::vector<Cell>& cells, std::string& out);
bool biff_save(Book& book, Output& out);
void xml_encode_row(int row, const std::vector<Cell>& cells, std::string& out);
bool xml_save(Book& book, Output& out);

// CP949 to UTF-16 (text.cpp); bytes that are not CP949 become U+FFFD.
std::u16string from_cp949(std::string_view cp949);
// UTF-16 to UTF-8, a lone surrogate as U+FFFD.
void append_utf8(std::string& out, std::u16string_view text);
// UTF-16 as XML character data in UTF-8: markup characters as references, control characters that XML cannot
// hold (and a literal "_xHHHH_") in the _xHHHH_ form that spreadsheet readers decode.
void append_xml_text(std::string& out, std::u16string_view text);

template <class Visit> bool Sheet::for_each_row(Visit visit) {
    if (!spill_.rewind()) return false;
    std::string bytes;
    for (;;) {
        std::uint32_t head[2];
        const std::size_t got = spill_.read(head, sizeof head);
        if (got == 0) break;
        if (got != sizeof head) return false;
        bytes.resize(head[1]);
        if (spill_.read(bytes.data(), bytes.size()) != bytes.size()) return false;
        if (!visit(static_cast<int>(head[0]), std::string_view(bytes))) return false;
    }
    if (row_ < 0) return true;
    std::vector<Cell> cells = cells_;
    std::string now;
    book_.encode_row(row_, cells, now);
    return visit(row_, std::string_view(now));
}

} // namespace xl
