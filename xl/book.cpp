// The workbook, its sheets and string table, and the C functions over them.
#include "xl/book.h"
#include "xl/bytes.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace xl {

namespace {

constexpr std::size_t BIFF_RECORD_MAX = 8224; // the largest body of a BIFF8 record
constexpr std::size_t TEXT_MAX = 32767;       // the most characters a cell holds

std::uint64_t hash(std::string_view s) {
    std::uint64_t h = 1469598103934665603ULL;
    for (const char c : s)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return h;
}

// Sorts the row's cells by column; of cells written twice the last one stays.
void normalize(std::vector<Cell>& cells) {
    std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) { return a.col < b.col; });
    std::size_t out = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (out > 0 && cells[out - 1].col == cells[i].col)
            cells[out - 1] = cells[i];
        else
            cells[out++] = cells[i];
    }
    cells.resize(out);
}

std::size_t text_count(const std::vector<Cell>& cells) {
    return static_cast<std::size_t>(std::count_if(cells.begin(), cells.end(), [](const Cell& c) { return c.text; }));
}

// A sheet name as both formats take it: at most 31 characters, none of : \ / ? * [ ]; blank ones get a number.
std::string sheet_name(std::string_view cp949, std::size_t number) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < cp949.size() && chars < 31; ++chars) {
        const auto c = static_cast<unsigned char>(cp949[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < cp949.size()) {
            out.append(cp949.substr(i, 2));
            i += 2;
            continue;
        }
        out += std::string_view(":\\/?*[]").find(static_cast<char>(c)) != std::string_view::npos || c < 0x20
                   ? '_'
                   : static_cast<char>(c);
        ++i;
    }
    if (out.find_first_not_of(' ') == std::string::npos) out = "Sheet" + std::to_string(number);
    return out;
}

} // namespace

bool SharedStrings::intern(std::string_view cp949, std::uint32_t& number) {
    Slot& slot = cache_[hash(cp949) % SLOTS];
    if (slot.used && slot.text == cp949) {
        number = slot.number;
        return true;
    }
    std::u16string text = from_cp949(cp949);
    if (text.size() > TEXT_MAX) {
        std::size_t n = TEXT_MAX;
        if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n; // never half a surrogate pair
        text.resize(n);
    }
    if (!(xml_ ? add_xml(text) : add_biff(text))) return false;
    number = unique_++;
    if (cp949.size() <= CACHED_MAX) {
        slot.text.assign(cp949);
        slot.number = number;
        slot.used = true;
    }
    return true;
}

bool SharedStrings::add_xml(std::u16string_view text) {
    std::string si = "<si><t";
    const bool edge_blank = !text.empty() && (text.front() == u' ' || text.back() == u' ' || text.front() == u'\t' ||
                                              text.back() == u'\t' || text.front() == u'\n' || text.back() == u'\n');
    si += edge_blank ? " xml:space=\"preserve\">" : ">";
    append_xml_text(si, text);
    si += "</t></si>";
    return spill_.write(si);
}

bool SharedStrings::add_biff(std::u16string_view text) {
    const bool wide = std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0xFF; });
    const std::size_t char_size = wide ? 2 : 1;
    if (first_record_ && record_.empty()) record_.assign(8, '\0'); // the counts, set at the save
    // The length and flags never stand apart from the first character.
    if (record_.size() + 3 + char_size > BIFF_RECORD_MAX && !close_record()) return false;
    if (unique_ % MARK_EVERY == 0)
        marks_.push_back({spill_.size() + 4 + record_.size(), static_cast<std::uint16_t>(4 + record_.size())});
    put16(record_, static_cast<unsigned>(text.size()));
    record_ += static_cast<char>(wide ? 1 : 0);
    std::size_t at = 0;
    for (;;) {
        const std::size_t room = (BIFF_RECORD_MAX - record_.size()) / char_size;
        const std::size_t n = std::min(room, text.size() - at);
        for (std::size_t i = at; i < at + n; ++i) {
            record_ += static_cast<char>(text[i] & 0xFF);
            if (wide) record_ += static_cast<char>(text[i] >> 8);
        }
        at += n;
        if (at == text.size()) return true;
        // The rest goes on in a CONTINUE record that starts with the flags again.
        if (!close_record()) return false;
        record_ += static_cast<char>(wide ? 1 : 0);
    }
}

bool SharedStrings::finish() {
    if (xml_ || (!first_record_ && record_.empty())) return !spill_.failed();
    if (first_record_ && record_.empty()) record_.assign(8, '\0');
    return close_record();
}

// Writes the record being filled: SST first, CONTINUE after it.
bool SharedStrings::close_record() {
    std::string head;
    put16(head, first_record_ ? 0x00FC : 0x003C);
    put16(head, static_cast<unsigned>(record_.size()));
    first_record_ = false;
    const bool ok = spill_.write(head) && spill_.write(record_);
    record_.clear();
    return ok;
}

bool Sheet::accepts(int row, int col) const {
    return row >= 0 && col >= 0 && row < book_.max_rows() && col < book_.max_cols() && row >= row_;
}

bool Sheet::write(int row, Cell cell) {
    if (!accepts(row, cell.col)) return false;
    if (!cell.text && !std::isfinite(cell.number)) return false;
    if (row > row_) {
        if (row_ >= 0 && !flush()) return false;
        row_ = row;
    }
    if (last_row_ < 0) {
        first_row_ = last_row_ = row;
        first_col_ = last_col_ = cell.col;
    } else {
        last_row_ = row;
        first_col_ = std::min(first_col_, cell.col);
        last_col_ = std::max(last_col_, cell.col);
    }
    cells_.push_back(cell);
    if (cells_.size() > 4096) normalize(cells_); // one cell written over and over stays one cell
    return true;
}

bool Sheet::flush() {
    normalize(cells_);
    text_cells_ += text_count(cells_);
    encoded_.clear();
    book_.encode_row(row_, cells_, encoded_);
    const std::uint32_t head[2] = {static_cast<std::uint32_t>(row_), static_cast<std::uint32_t>(encoded_.size())};
    cells_.clear();
    return spill_.write(head, sizeof head) && spill_.write(encoded_);
}

std::uint64_t Sheet::text_cells() const {
    std::vector<Cell> now = cells_;
    normalize(now);
    return text_cells_ + text_count(now);
}

bool Sheet::set_col(int first, int last, const ColInfo& info) {
    if (first < 0 || last < first || last >= book_.max_cols()) return false;
    for (int c = first; c <= last; ++c)
        cols_[c] = info;
    return true;
}

bool Sheet::set_row(int row, const RowInfo& info) {
    if (row < 0 || row >= book_.max_rows()) return false;
    rows_[row] = info;
    return true;
}

Sheet* Book::add_sheet(std::string_view name) {
    const std::string n = sheet_name(name, sheets_.size() + 1);
    for (const auto& s : sheets_)
        if (s->name() == n) return nullptr; // two sheets of one name make a broken file
    sheets_.push_back(std::make_unique<Sheet>(*this, n));
    return sheets_.back().get();
}

Format* Book::add_format(const Format* copy) {
    auto f = std::make_unique<Format>(copy ? *copy : Format{});
    f->number = static_cast<int>(formats_.size()) + 1;
    formats_.push_back(std::move(f));
    return formats_.back().get();
}

void Book::encode_row(int row, std::vector<Cell>& cells, std::string& out) const {
    normalize(cells);
    if (xml_)
        xml_encode_row(row, cells, out);
    else
        biff_encode_row(row, cells, out);
}

bool Book::save(std::string_view path) {
    Output out(path);
    if (!out.ok() || !strings_.finish()) return false;
    const bool written = xml_ ? xml_save(*this, out) : biff_save(*this, out);
    return written && out.commit();
}

} // namespace xl

// The C functions: handles are the objects themselves; nothing throws out of them.
namespace {

xl::Book* book_of(BookHandle h) {
    return reinterpret_cast<xl::Book*>(h);
}
xl::Sheet* sheet_of(SheetHandle h) {
    return reinterpret_cast<xl::Sheet*>(h);
}
xl::Format* format_of(FormatHandle h) {
    return reinterpret_cast<xl::Format*>(h);
}

BookHandle create(bool xml) noexcept {
    try {
        return reinterpret_cast<BookHandle>(new xl::Book(xml));
    } catch (...) {
        return nullptr;
    }
}

// The format's number, or -1 for a format of another book.
int format_number(xl::Book& book, FormatHandle h) {
    if (!h) return 0;
    xl::Format* f = format_of(h);
    return book.format(f->number) == f ? f->number : -1;
}

template <class F> int guarded(F f) noexcept {
    try {
        return f() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // namespace

extern "C" {

BookHandle xlCreateBookCA(void) {
    return create(false);
}
BookHandle xlCreateXMLBookCA(void) {
    return create(true);
}

SheetHandle xlBookAddSheetA(BookHandle book, const char* name, SheetHandle init_sheet) {
    if (!book || init_sheet) return nullptr;
    try {
        return reinterpret_cast<SheetHandle>(book_of(book)->add_sheet(name ? name : ""));
    } catch (...) {
        return nullptr;
    }
}

void xlBookSetDefaultFontA(BookHandle book, const char* font_name, int font_size) {
    if (!book || !font_name || font_size <= 0) return;
    try {
        book_of(book)->set_default_font(font_name, font_size);
    } catch (...) {
    }
}

FormatHandle xlBookAddFormatA(BookHandle book, FormatHandle init_format) {
    if (!book || format_number(*book_of(book), init_format) < 0) return nullptr;
    try {
        return reinterpret_cast<FormatHandle>(book_of(book)->add_format(format_of(init_format)));
    } catch (...) {
        return nullptr;
    }
}

int xlBookSaveA(BookHandle book, const char* file_name) {
    return guarded([&] { return book && file_name && book_of(book)->save(file_name); });
}

void xlBookReleaseA(BookHandle book) {
    delete book_of(book);
}

void xlFormatSetNumFormatA(FormatHandle format, int num_format) {
    if (format) format_of(format)->num_format = num_format;
}
void xlFormatSetBorderTopA(FormatHandle format, int style) {
    if (format) format_of(format)->border_top = std::clamp(style, 0, 13);
}
void xlFormatSetBorderBottomA(FormatHandle format, int style) {
    if (format) format_of(format)->border_bottom = std::clamp(style, 0, 13);
}

int xlSheetWriteStrA(SheetHandle sheet, int row, int col, const char* value, FormatHandle format) {
    return guarded([&] {
        if (!sheet || !value) return false;
        xl::Sheet& s = *sheet_of(sheet);
        xl::Cell cell;
        cell.col = col;
        cell.format = format_number(s.book(), format);
        cell.text = true;
        if (cell.format < 0 || !s.accepts(row, col)) return false;
        return s.book().strings().intern(value, cell.string) && s.write(row, cell);
    });
}

int xlSheetWriteNumA(SheetHandle sheet, int row, int col, double value, FormatHandle format) {
    return guarded([&] {
        if (!sheet) return false;
        xl::Sheet& s = *sheet_of(sheet);
        xl::Cell cell;
        cell.col = col;
        cell.format = format_number(s.book(), format);
        cell.number = value;
        return cell.format >= 0 && s.write(row, cell);
    });
}

int xlSheetSetColA(SheetHandle sheet, int col_first, int col_last, double width, FormatHandle format, int hidden) {
    return guarded([&] {
        if (!sheet || !std::isfinite(width)) return false;
        xl::Sheet& s = *sheet_of(sheet);
        const int f = format_number(s.book(), format);
        return f >= 0 && s.set_col(col_first, col_last, {std::clamp(width, -1.0, 255.0), f, hidden != 0});
    });
}

int xlSheetSetRowA(SheetHandle sheet, int row, double height, FormatHandle format, int hidden) {
    return guarded([&] {
        if (!sheet || !std::isfinite(height)) return false;
        xl::Sheet& s = *sheet_of(sheet);
        const int f = format_number(s.book(), format);
        return f >= 0 && s.set_row(row, {std::clamp(height, 0.0, 409.0), f, hidden != 0});
    });
}

} // extern "C"
