// The .xlsx workbook: the package parts in a zip, each sheet's rows streamed from its spill into the archive.
#include "xl/book.h"
#include "xl/zip.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace xl {

namespace {

constexpr const char* XML_HEAD = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* CT_MAIN = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

void append_number(std::string& out, double v) {
    char buf[32];
    std::to_chars_result r;
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v));
    else
        r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void append_int(std::string& out, long long v) {
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// The column's letters: 0 is A, 26 is AA.
void append_col(std::string& out, int col) {
    char buf[4];
    int n = 0;
    for (++col; col > 0; col = (col - 1) / 26)
        buf[n++] = static_cast<char>('A' + (col - 1) % 26);
    while (n > 0)
        out += buf[--n];
}

void append_ref(std::string& out, int row, int col) {
    append_col(out, col);
    append_int(out, row + 1);
}

const char* border_name(int style) {
    static const char* const names[] = {"",
                                        "thin",
                                        "medium",
                                        "dashed",
                                        "dotted",
                                        "thick",
                                        "double",
                                        "hair",
                                        "mediumDashed",
                                        "dashDot",
                                        "mediumDashDot",
                                        "dashDotDot",
                                        "mediumDashDotDot",
                                        "slantDashDot"};
    return names[style >= 0 && style <= 13 ? style : 0];
}

void border_side(std::string& out, const char* side, int style) {
    out += '<';
    out += side;
    if (style == 0) {
        out += "/>";
        return;
    }
    out += " style=\"";
    out += border_name(style);
    out += "\"><color auto=\"1\"/></";
    out += side;
    out += '>';
}

// A part's head and the start of its root element in the spreadsheet namespace (and the relationships' one),
// open for more attributes.
std::string root(const char* element, bool relationships) {
    std::string x = XML_HEAD;
    x += '<';
    x += element;
    x += " xmlns=\"";
    x += MAIN_NS;
    x += '"';
    if (relationships) {
        x += " xmlns:r=\"";
        x += REL_NS;
        x += '"';
    }
    return x;
}

std::string styles(const Book& book) {
    std::string s = root("styleSheet", false);
    s += "><fonts count=\"1\"><font><sz val=\"";
    append_int(s, book.font_size());
    s += "\"/><name val=\"";
    append_xml_text(s, from_cp949(book.font_name()));
    s += "\"/><family val=\"2\"/>";
    for (const char c : book.font_name())
        if (static_cast<unsigned char>(c) >= 0x80) {
            s += "<charset val=\"129\"/>";
            break;
        }
    s += "</font></fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
         "<fill><patternFill patternType=\"gray125\"/></fill></fills>";
    // Border 0 is none; format n has border n.
    const auto& formats = book.formats();
    s += "<borders count=\"";
    append_int(s, static_cast<long long>(formats.size()) + 1);
    s += "\"><border><left/><right/><top/><bottom/><diagonal/></border>";
    for (const auto& f : formats) {
        s += "<border><left/><right/>";
        border_side(s, "top", f->border_top);
        border_side(s, "bottom", f->border_bottom);
        s += "<diagonal/></border>";
    }
    s += "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
         "</cellStyleXfs><cellXfs count=\"";
    append_int(s, static_cast<long long>(formats.size()) + 1);
    s += "\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
    for (const auto& f : formats) {
        s += "<xf numFmtId=\"";
        append_int(s, f->num_format);
        s += "\" fontId=\"0\" fillId=\"0\" borderId=\"";
        append_int(s, f->number);
        s += "\" xfId=\"0\"";
        if (f->num_format) s += " applyNumberFormat=\"1\"";
        if (f->border_top || f->border_bottom) s += " applyBorder=\"1\"";
        s += "/>";
    }
    s += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
         "</styleSheet>";
    return s;
}

void row_open(std::string& out, int row, const RowInfo* info, bool empty) {
    out += "<row r=\"";
    append_int(out, row + 1);
    out += '"';
    if (info && info->height > 0) {
        out += " ht=\"";
        append_number(out, info->height);
        out += "\" customHeight=\"1\"";
    }
    if (info && info->format) {
        out += " s=\"";
        append_int(out, info->format);
        out += "\" customFormat=\"1\"";
    }
    if (info && info->hidden) out += " hidden=\"1\"";
    out += empty ? "/>" : ">";
}

bool write_sheet(Sheet& sheet, bool first, Zip& zip) {
    std::string x = root("worksheet", true);
    x += "><dimension ref=\"";
    append_ref(x, sheet.empty() ? 0 : sheet.first_row(), sheet.empty() ? 0 : sheet.first_col());
    if (!sheet.empty() && (sheet.last_row() != sheet.first_row() || sheet.last_col() != sheet.first_col())) {
        x += ':';
        append_ref(x, sheet.last_row(), sheet.last_col());
    }
    x += "\"/><sheetViews><sheetView";
    if (first) x += " tabSelected=\"1\"";
    x += " workbookViewId=\"0\"/></sheetViews>";
    const auto& cols = sheet.cols();
    bool any_col = false;
    for (auto it = cols.begin(); it != cols.end();) {
        auto end = it;
        while (std::next(end) != cols.end() && std::next(end)->first == end->first + 1 &&
               std::next(end)->second == it->second)
            ++end;
        const ColInfo& c = it->second;
        if (c.width >= 0 || c.format || c.hidden) {
            x += any_col ? "" : "<cols>";
            any_col = true;
            x += "<col min=\"";
            append_int(x, it->first + 1);
            x += "\" max=\"";
            append_int(x, end->first + 1);
            x += "\" width=\"";
            append_number(x, c.width >= 0 ? c.width : 8.43);
            x += '"';
            if (c.width >= 0) x += " customWidth=\"1\"";
            if (c.format) {
                x += " style=\"";
                append_int(x, c.format);
                x += '"';
            }
            if (c.hidden) x += " hidden=\"1\"";
            x += "/>";
        }
        it = std::next(end);
    }
    if (any_col) x += "</cols>";
    x += "<sheetData>";

    const auto& rows = sheet.rows();
    auto attr = rows.begin();
    const bool walked = sheet.for_each_row([&](int row, std::string_view cells) {
        for (; attr != rows.end() && attr->first < row; ++attr)
            row_open(x, attr->first, &attr->second, true);
        const RowInfo* info = attr != rows.end() && attr->first == row ? &(attr++)->second : nullptr;
        row_open(x, row, info, false);
        x.append(cells);
        x += "</row>";
        if (x.size() >= (1u << 16)) {
            zip.add(x);
            x.clear();
        }
        return true;
    });
    for (; attr != rows.end(); ++attr)
        row_open(x, attr->first, &attr->second, true);
    x += "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
         "footer=\"0.3\"/></worksheet>";
    zip.add(x);
    return walked;
}

} // namespace

void append_xml_text(std::string& out, std::u16string_view text) {
    std::size_t plain = 0; // start of the run not yet written
    auto flush = [&](std::size_t to) {
        append_utf8(out, text.substr(plain, to - plain));
        plain = to + 1;
    };
    auto hex4 = [&](unsigned v) {
        static const char hex[] = "0123456789ABCDEF";
        out += "_x";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hex[(v >> shift) & 15];
        out += '_';
    };
    auto is_hex = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    };
    static constexpr std::pair<char16_t, const char*> entities[] = {
        {u'&', "&amp;"}, {u'<', "&lt;"}, {u'>', "&gt;"}, {u'"', "&quot;"}};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const auto entity =
            std::find_if(std::begin(entities), std::end(entities), [c](const auto& e) { return e.first == c; });
        if (entity != std::end(entities)) {
            flush(i);
            out += entity->second;
        } else if (c == u'_') {
            // A literal "_xHHHH_" would be read as an escape: its underscore is escaped itself.
            if (i + 6 < text.size() && text[i + 1] == u'x' && is_hex(text[i + 2]) && is_hex(text[i + 3]) &&
                is_hex(text[i + 4]) && is_hex(text[i + 5]) && text[i + 6] == u'_') {
                flush(i);
                hex4(u'_');
            }
        } else if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF) {
            flush(i);
            hex4(c);
        }
    }
    append_utf8(out, text.substr(plain));
}

// A cell that stands in the column after the row's previous cell (or in column A, as the row's first) leaves out
// its reference, as the format allows: references deflate poorly, and without them a sheet packs to about half.
void xml_encode_row(int row, const std::vector<Cell>& cells, std::string& out) {
    int next = 0; // the column a cell without a reference is read into
    for (const Cell& c : cells) {
        out += "<c";
        if (c.col != next) {
            out += " r=\"";
            append_ref(out, row, c.col);
            out += '"';
        }
        next = c.col + 1;
        if (c.format) {
            out += " s=\"";
            append_int(out, c.format);
            out += '"';
        }
        out += c.text ? " t=\"s\"><v>" : "><v>";
        if (c.text)
            append_int(out, c.string);
        else
            append_number(out, c.number);
        out += "</v></c>";
    }
}

bool xml_save(Book& book, Output& out) {
    Zip zip(out);
    const auto& sheets = book.sheets();
    std::string ct = XML_HEAD;
    ct += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
          "<Override PartName=\"/xl/workbook.xml\" ContentType=\"";
    ct += CT_MAIN;
    ct += "sheet.main+xml\"/>";
    for (std::size_t i = 1; i <= sheets.size(); ++i) {
        ct += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i) + ".xml\" ContentType=\"";
        ct += CT_MAIN;
        ct += "worksheet+xml\"/>";
    }
    ct += "<Override PartName=\"/xl/styles.xml\" ContentType=\"";
    ct += CT_MAIN;
    ct += "styles+xml\"/><Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"";
    ct += CT_MAIN;
    ct += "sharedStrings+xml\"/></Types>";
    zip.entry("[Content_Types].xml", ct);

    zip.entry("_rels/.rels", std::string(XML_HEAD) + "<Relationships xmlns=\"" + PKG_REL_NS +
                                 "\"><Relationship Id=\"rId1\" Type=\"" + REL_NS +
                                 "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");

    std::string wb = root("workbook", true);
    wb += "><bookViews><workbookView/></bookViews><sheets>";
    std::string rels = std::string(XML_HEAD) + "<Relationships xmlns=\"" + PKG_REL_NS + "\">";
    for (std::size_t i = 1; i <= sheets.size(); ++i) {
        const std::string n = std::to_string(i);
        wb += "<sheet name=\"";
        append_xml_text(wb, from_cp949(sheets[i - 1]->name()));
        wb += "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + REL_NS + "/worksheet\" Target=\"worksheets/sheet" + n +
                ".xml\"/>";
    }
    wb += "</sheets></workbook>";
    const std::string after = std::to_string(sheets.size() + 1), after2 = std::to_string(sheets.size() + 2);
    rels += "<Relationship Id=\"rId" + after + "\" Type=\"" + REL_NS + "/styles\" Target=\"styles.xml\"/>";
    rels += "<Relationship Id=\"rId" + after2 + "\" Type=\"" + REL_NS +
            "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
    zip.entry("xl/workbook.xml", wb);
    zip.entry("xl/_rels/workbook.xml.rels", rels);
    zip.entry("xl/styles.xml", styles(book));

    // The shared strings: the spill holds the <si> elements.
    SharedStrings& strings = book.strings();
    std::uint64_t text_cells = 0;
    for (const auto& s : sheets)
        text_cells += s->text_cells();
    zip.begin("xl/sharedStrings.xml");
    std::string head = root("sst", false);
    head += " count=\"";
    append_int(head, static_cast<long long>(text_cells));
    head += "\" uniqueCount=\"";
    append_int(head, strings.unique());
    head += "\">";
    zip.add(head);
    Spill& spill = strings.spill();
    if (!spill.rewind()) return false;
    std::string buf(1 << 16, '\0');
    for (std::uint64_t left = spill.size(); left > 0;) {
        const std::size_t n = spill.read(buf.data(), left < buf.size() ? static_cast<std::size_t>(left) : buf.size());
        if (n == 0) return false;
        zip.add(std::string_view(buf.data(), n));
        left -= n;
    }
    zip.add("</sst>");
    zip.end();

    for (std::size_t i = 0; i < sheets.size(); ++i) {
        zip.begin("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml");
        if (!write_sheet(*sheets[i], i == 0, zip)) return false;
        zip.end();
    }
    return zip.finish();
}

} // namespace xl
