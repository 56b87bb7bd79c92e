// The .xls workbook: a BIFF8 stream (workbook globals, then one substream per sheet) in a compound file.
#include "xl/book.h"
#include "xl/bytes.h"
#include "xl/cfb.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace xl {

namespace {

constexpr std::uint64_t HEADER = 512; // the compound file's header, before the stream
constexpr int FIRST_CELL_XF = 15;     // XF 0-14 are style records; 15 is the plain cell format

void put_double(std::string& s, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    put32(s, static_cast<std::uint32_t>(bits));
    put32(s, static_cast<std::uint32_t>(bits >> 32));
}

// A record: type, length, body.
void record(std::string& out, unsigned type, std::string_view body) {
    put16(out, type);
    put16(out, static_cast<unsigned>(body.size()));
    out.append(body);
}

unsigned xf_of(int format) {
    return static_cast<unsigned>(format == 0 ? FIRST_CELL_XF : FIRST_CELL_XF + format);
}

// A short text with a one-byte length, always as UTF-16.
void short_text(std::string& s, std::u16string_view text, std::size_t max) {
    text = text.substr(0, max);
    put8(s, static_cast<unsigned>(text.size()));
    put8(s, 1);
    for (const char16_t c : text)
        put16(s, c);
}

std::string bof(unsigned kind) {
    std::string b, r;
    put16(b, 0x0600);
    put16(b, kind);
    put16(b, 0x0DBB); // build
    put16(b, 0x07CC); // year
    put32(b, 0);      // file history
    put32(b, 0x06);   // lowest version that reads it
    record(r, 0x0809, b);
    return r;
}

std::string xf(unsigned font, unsigned num_format, bool style, unsigned used, int top, int bottom) {
    std::string b;
    put16(b, font);
    put16(b, num_format);
    put16(b, style ? 0xFFF5 : 0x0001); // locked; a style has the parent 0xFFF
    put8(b, 0x20);                     // bottom-aligned
    put8(b, 0);
    put8(b, 0);
    put8(b, used);
    put32(b, static_cast<std::uint32_t>(top) << 8 | static_cast<std::uint32_t>(bottom) << 12);
    put32(b, (top ? 8u : 0u) | (bottom ? 8u : 0u) << 7); // black lines
    put16(b, 0x20C0);                                    // no pattern, default colours
    std::string r;
    record(r, 0x00E0, b);
    return r;
}

// The globals up to the sheet list; `sheet_list` receives the offsets (in the stream) of each sheet's position.
std::string globals(Book& book, std::vector<std::uint64_t>& sheet_list, std::uint64_t at) {
    std::string g = bof(0x0005), b;
    put16(b, 1200); // texts are UTF-16
    record(g, 0x0042, b);
    b.clear();
    for (unsigned v : {0u, 0u, 0x4000u, 0x2000u, 0x0038u, 0u, 0u, 1u, 0x0258u})
        put16(b, v);
    record(g, 0x003D, b); // WINDOW1
    b.clear();
    put16(b, 0);
    record(g, 0x0022, b); // dates count from 1900
    const std::u16string font = from_cp949(book.font_name());
    bool korean = false;
    for (const char16_t c : font)
        korean = korean || c >= 0x80;
    // Five fonts, the default one each time: a format's font number 4 stands for none, so the table's fifth
    // record is font 5, and readers expect the table to reach it.
    for (int i = 0; i < 5; ++i) {
        b.clear();
        put16(b, static_cast<unsigned>(book.font_size() * 20));
        put16(b, 0);
        put16(b, 0x7FFF); // automatic colour
        put16(b, 400);    // normal weight
        put16(b, 0);
        put8(b, 0);
        put8(b, 0);
        put8(b, korean ? 129 : 0);
        put8(b, 0);
        short_text(b, font, 31);
        record(g, 0x0031, b);
    }
    g += xf(0, 0, true, 0, 0, 0);
    for (int i = 1; i < FIRST_CELL_XF; ++i)
        g += xf(0, 0, true, 0xF4, 0, 0);
    g += xf(0, 0, false, 0, 0, 0);
    for (const auto& f : book.formats()) {
        const unsigned used = (f->num_format ? 0x04 : 0) | (f->border_top || f->border_bottom ? 0x20 : 0);
        g += xf(0, static_cast<unsigned>(f->num_format), false, used, f->border_top, f->border_bottom);
    }
    b.clear();
    put16(b, 0x8000); // built-in style "Normal" on XF 0
    put8(b, 0);
    put8(b, 0xFF);
    record(g, 0x0293, b);
    for (const auto& s : book.sheets()) {
        b.clear();
        put32(b, 0); // the sheet's position, set when it is written
        put16(b, 0); // visible worksheet
        short_text(b, from_cp949(s->name()), 31);
        sheet_list.push_back(at + g.size() + 4);
        record(g, 0x0085, b);
    }
    return g;
}

std::string row_record(int row, unsigned col_first, unsigned col_last, const RowInfo* info) {
    std::string b, r;
    put16(b, static_cast<unsigned>(row));
    put16(b, col_first);
    put16(b, col_last);
    const bool custom = info && info->height > 0;
    put16(b, custom ? static_cast<unsigned>(std::lround(info->height * 20)) & 0x7FFF : 0x00FF);
    put16(b, 0);
    put16(b, 0);
    std::uint32_t flags = 0x0100 | (custom ? 0x40 : 0) | (info && info->hidden ? 0x20 : 0);
    if (info && info->format) flags |= 0x80;
    put32(b, flags | (static_cast<std::uint32_t>(info && info->format ? xf_of(info->format) : FIRST_CELL_XF) << 16));
    record(r, 0x0208, b);
    return r;
}

// Rows go out in blocks of 32 row numbers (0-31, 32-63, ...): the ROW records of the block's rows, then their
// cells row by row, then a DBCELL record that points back at the first ROW record and at each row's first cell.
// The sheet's INDEX record lists the DBCELL of every block from the first row's to the last row's, empty ones too.
constexpr int ROW_BLOCK = 32;

class RowBlocks {
public:
    RowBlocks(Output& out, int first_block) : out_(out), block_(first_block) {}

    // A row of the block being filled or of a later one: its ROW record and its cell records.
    void add(int row, std::string row_record, std::string_view cells) {
        while (block_ < row / ROW_BLOCK)
            flush();
        rows_.push_back({std::move(row_record), std::string(cells)});
    }
    // Writes the blocks up to and including the last one.
    void finish(int last_block) {
        while (block_ <= last_block)
            flush();
    }
    // Stream positions of the DBCELL records written, in block order.
    const std::vector<std::uint32_t>& dbcells() const { return dbcells_; }

private:
    void flush() {
        std::string chunk;
        for (const Row& r : rows_)
            chunk += r.row_record;
        // Each row's first cell: the first from the end of the first ROW record, the others from the previous one.
        std::string offsets;
        std::size_t from = rows_.empty() ? 0 : rows_.front().row_record.size();
        for (const Row& r : rows_) {
            put16(offsets, static_cast<unsigned>(chunk.size() - from));
            from = chunk.size();
            chunk += r.cells;
        }
        std::string b;
        put32(b, rows_.empty() ? 0 : static_cast<std::uint32_t>(chunk.size())); // back to the first ROW record
        b += offsets;
        dbcells_.push_back(static_cast<std::uint32_t>(out_.tell() - HEADER + chunk.size()));
        record(chunk, 0x00D7, b); // DBCELL
        out_.write(chunk);
        rows_.clear();
        ++block_;
    }

    struct Row {
        std::string row_record, cells;
    };
    Output& out_;
    int block_;
    std::vector<Row> rows_;
    std::vector<std::uint32_t> dbcells_;
};

// A sheet's substream; rows stream from the sheet's spill to the output.
bool write_sheet(Sheet& sheet, bool first, Output& out) {
    const auto& rows = sheet.rows();
    // The rows that get a ROW record: those with cells and those with a height or format of their own.
    int low = sheet.empty() ? -1 : sheet.first_row(), high = sheet.empty() ? -1 : sheet.last_row();
    if (!rows.empty()) {
        low = low < 0 ? rows.begin()->first : std::min(low, rows.begin()->first);
        high = std::max(high, rows.rbegin()->first);
    }
    const int first_block = low < 0 ? 0 : low / ROW_BLOCK, last_block = low < 0 ? -1 : high / ROW_BLOCK;

    std::string s = bof(0x0010), b;
    // INDEX: the rows with cells, where DEFCOLWIDTH stands, and the DBCELL positions, filled in once written.
    const std::uint64_t index_at = out.tell() + s.size();
    put32(b, 0);
    put32(b, sheet.empty() ? 0 : static_cast<std::uint32_t>(sheet.first_row()));
    put32(b, sheet.empty() ? 0 : static_cast<std::uint32_t>(sheet.last_row() + 1));
    const std::size_t index_body = b.size() + 4;
    put32(b, static_cast<std::uint32_t>(out.tell() - HEADER + s.size() + 4 + index_body +
                                        4 * static_cast<std::size_t>(last_block - first_block + 1)));
    b.append(4 * static_cast<std::size_t>(last_block - first_block + 1), '\0');
    record(s, 0x020B, b);
    b.clear();
    put16(b, 8);
    record(s, 0x0055, b); // DEFCOLWIDTH: eight characters
    const auto& cols = sheet.cols();
    for (auto it = cols.begin(); it != cols.end();) {
        auto end = it;
        int last = it->first;
        while (std::next(end) != cols.end() && std::next(end)->first == last + 1 &&
               std::next(end)->second == it->second)
            last = (++end)->first;
        const ColInfo& c = it->second;
        if (c.width >= 0 || c.format || c.hidden) {
            b.clear();
            put16(b, static_cast<unsigned>(it->first));
            put16(b, static_cast<unsigned>(last));
            put16(b, static_cast<unsigned>(std::lround((c.width >= 0 ? c.width : 8.43) * 256)));
            put16(b, xf_of(c.format));
            put16(b, c.hidden ? 1 : 0);
            put16(b, 0);
            record(s, 0x007D, b);
        }
        it = std::next(end);
    }
    b.clear();
    put32(b, sheet.empty() ? 0 : static_cast<std::uint32_t>(sheet.first_row()));
    put32(b, sheet.empty() ? 0 : static_cast<std::uint32_t>(sheet.last_row() + 1));
    put16(b, sheet.empty() ? 0 : static_cast<unsigned>(sheet.first_col()));
    put16(b, sheet.empty() ? 0 : static_cast<unsigned>(sheet.last_col() + 1));
    put16(b, 0);
    record(s, 0x0200, b); // DIMENSIONS
    out.write(s);

    RowBlocks blocks(out, first_block);
    auto attr = rows.begin();
    const bool walked = sheet.for_each_row([&](int row, std::string_view cells) {
        for (; attr != rows.end() && attr->first < row; ++attr)
            blocks.add(attr->first, row_record(attr->first, 0, 0, &attr->second), {});
        const RowInfo* info = attr != rows.end() && attr->first == row ? &(attr++)->second : nullptr;
        // The encoded row starts with its first column and the column after its last.
        const auto u16 = [&](std::size_t at) {
            return static_cast<unsigned>(static_cast<unsigned char>(cells[at]) |
                                         static_cast<unsigned char>(cells[at + 1]) << 8);
        };
        blocks.add(row, row_record(row, u16(0), u16(2), info), cells.substr(4));
        return out.ok();
    });
    for (; attr != rows.end(); ++attr)
        blocks.add(attr->first, row_record(attr->first, 0, 0, &attr->second), {});
    blocks.finish(last_block);
    std::string positions;
    for (const std::uint32_t at : blocks.dbcells())
        put32(positions, at);
    if (!positions.empty()) out.patch(index_at + 4 + index_body, positions.data(), positions.size());

    std::string end;
    b.clear();
    put16(b, first ? 0x06B6 : 0x00B6); // grid, headers, zeros; the first sheet selected and shown
    put16(b, 0);                       // first row shown
    put16(b, 0);                       // first column shown
    put16(b, 0x40);                    // grid line colour: the automatic one
    put16(b, 0);
    put16(b, 0); // zoom of the page-break preview: the default
    put16(b, 0); // zoom of the normal view: the default
    put32(b, 0);
    record(end, 0x023E, b); // WINDOW2
    record(end, 0x000A, {});
    out.write(end);
    return walked && out.ok();
}

} // namespace

void biff_encode_row(int row, const std::vector<Cell>& cells, std::string& out) {
    put16(out, cells.empty() ? 0 : static_cast<unsigned>(cells.front().col));
    put16(out, cells.empty() ? 0 : static_cast<unsigned>(cells.back().col + 1));
    for (const Cell& c : cells) {
        std::string b;
        put16(b, static_cast<unsigned>(row));
        put16(b, static_cast<unsigned>(c.col));
        put16(b, xf_of(c.format));
        if (c.text) {
            put32(b, c.string);
            record(out, 0x00FD, b); // LABELSST
        } else if (c.number == std::floor(c.number) && std::fabs(c.number) < (1 << 29)) {
            // A whole number in 30 bits: an RK value, shifted left two places with the "integer" bit.
            put32(b, static_cast<std::uint32_t>(static_cast<std::int32_t>(c.number)) << 2 | 2);
            record(out, 0x027E, b);
        } else {
            put_double(b, c.number);
            record(out, 0x0203, b); // NUMBER
        }
    }
}

bool biff_save(Book& book, Output& out) {
    out.write(std::string(HEADER, '\0'));
    std::vector<std::uint64_t> sheet_list;
    out.write(globals(book, sheet_list, 0));
    // The string table with its two counts, then the end of the globals.
    SharedStrings& strings = book.strings();
    std::uint64_t text_cells = 0;
    for (const auto& s : book.sheets())
        text_cells += s->text_cells();
    std::string counts;
    put32(counts, static_cast<std::uint32_t>(text_cells));
    put32(counts, strings.unique());
    if (!strings.spill().patch(4, counts.data(), counts.size())) return false;
    const std::uint64_t sst_at = out.tell() - HEADER;
    out.write(strings.spill());
    // EXTSST: the start of every dsst-th text, in at most 128 buckets of a multiple of eight texts each.
    const std::uint32_t unique = strings.unique(), every = SharedStrings::MARK_EVERY;
    std::uint32_t dsst = std::max<std::uint32_t>(every, (unique + 127) / 128);
    dsst = (dsst + every - 1) / every * every;
    std::string ext;
    put16(ext, dsst);
    const auto& marks = strings.marks();
    for (std::uint32_t first = 0; first < unique; first += dsst) {
        const SharedStrings::Mark& m = marks.at(first / every);
        put32(ext, static_cast<std::uint32_t>(sst_at + m.at));
        put16(ext, m.in_record);
        put16(ext, 0);
    }
    std::string tail;
    record(tail, 0x00FF, ext);
    record(tail, 0x000A, {});
    out.write(tail);
    bool first = true;
    for (std::size_t i = 0; i < book.sheets().size() && out.ok(); ++i) {
        std::string at;
        put32(at, static_cast<std::uint32_t>(out.tell() - HEADER));
        out.patch(HEADER + sheet_list[i], at.data(), at.size());
        if (!write_sheet(*book.sheets()[i], first, out)) return false;
        first = false;
    }
    return finish_compound_file(out, out.tell() - HEADER);
}

} // namespace xl
