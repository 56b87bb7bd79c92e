// Column format strings: the parser, the writer, and the text a column shows of a row.
#include "runtime/listformat.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "runtime/picture.h"
#include "runtime/text.h"

namespace rt {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

char up(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The one-letter modifiers that switch a property of the column on, in the order the writer puts them.
struct Flag {
    char letter;
    bool ListColumn::*property;
};
constexpr Flag flags[] = {{'|', &ListColumn::right_line}, {'_', &ListColumn::under_line}, {'M', &ListColumn::resizable},
                          {'*', &ListColumn::colours},    {'I', &ListColumn::icon},       {'T', &ListColumn::tree}};

// Reads the text up to the closing `end` from s[i] on, walking CP949 characters so that a trail byte is never
// taken for the delimiter. Leaves i after the delimiter; false when it is missing.
bool read_until(std::string_view s, std::size_t& i, char end, std::string& out) {
    out.clear();
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (is_lead(c) && i + 1 < s.size()) {
            out.append(s.substr(i, 2));
            i += 2;
            continue;
        }
        ++i;
        if (static_cast<char>(c) == end) return true;
        out += static_cast<char>(c);
    }
    return false;
}

// A decimal number (digits, optional leading '-') at s[i]; false when there is none.
bool read_int(std::string_view s, std::size_t& i, long& v) {
    std::size_t j = i;
    const bool negative = j < s.size() && s[j] == '-';
    if (negative) ++j;
    if (j >= s.size() || !is_digit(s[j])) return false;
    long n = 0;
    while (j < s.size() && is_digit(s[j])) {
        if (n < 100000000L) n = n * 10 + (s[j] - '0');
        ++j;
    }
    v = negative ? -n : n;
    i = j;
    return true;
}

// One part of E(...): empty (none), decimal, or hexadecimal with a final 'H'.
bool read_colour(std::string_view part, std::optional<long>& out) {
    while (!part.empty() && part.front() == ' ')
        part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ')
        part.remove_suffix(1);
    if (part.empty()) {
        out.reset();
        return true;
    }
    const bool hex = up(part.back()) == 'H';
    if (hex) part.remove_suffix(1);
    bool negative = false;
    if (!part.empty() && part.front() == '-') {
        negative = true;
        part.remove_prefix(1);
    }
    if (part.empty()) return false;
    long long v = 0;
    for (char c : part) {
        int d = -1;
        if (is_digit(c))
            d = c - '0';
        else if (hex && up(c) >= 'A' && up(c) <= 'F')
            d = up(c) - 'A' + 10;
        if (d < 0) return false;
        v = v * (hex ? 16 : 10) + d;
        if (v > 0xFFFFFFFFLL) return false;
    }
    if (hex && v > 0x7FFFFFFF) v -= 0x100000000LL; // a 32-bit pattern such as FFFFFFFFH
    out = static_cast<long>(negative ? -v : v);
    return true;
}

// The fields a column uses after its text field, in the order of the rule: colours, icon, level. Returns the
// last field the column uses.
int assign_fields(ListColumn& c) {
    int next = c.field + 1;
    c.colour_field = 0;
    c.icon_field = 0;
    c.level_field = 0;
    if (c.colours) {
        c.colour_field = next;
        next += 4;
    }
    if (c.icon) c.icon_field = next++;
    if (c.tree) c.level_field = next++;
    return next - 1;
}

// The last field a column uses (text, colours, icon, level).
int last_field(const ListColumn& c) {
    int last = c.field;
    if (c.colour_field) last = std::max(last, c.colour_field + 3);
    last = std::max(last, c.icon_field);
    last = std::max(last, c.level_field);
    return last;
}

std::string colour_text(long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%lXH", static_cast<unsigned long>(v) & 0xFFFFFFFFUL);
    std::string s = buf;
    if (!is_digit(s.front())) s.insert(s.begin(), '0'); // a hex number starts with a digit
    return s;
}

} // namespace

std::vector<ListColumn> parse_list_format(std::string_view s) {
    std::vector<ListColumn> out;
    std::size_t i = 0;
    int previous_last = 0; // the last field that the previous column used
    while (i < s.size()) {
        ListColumn c;
        long width = 0;
        if (!read_int(s, i, width) || width < 0) break;
        c.width = static_cast<int>(width);
        if (i < s.size() && (up(s[i]) == 'L' || up(s[i]) == 'C' || up(s[i]) == 'R')) {
            c.align = up(s[i++]);
            if (i < s.size() && s[i] == '(') {
                ++i;
                long indent = 0;
                if (!read_int(s, i, indent) || i >= s.size() || s[i] != ')') return out;
                ++i;
                c.indent = static_cast<int>(indent);
            }
        }
        bool explicit_field = false;
        bool bad = false;
        std::string part;
        // Modifiers until the next column's width (or the end).
        while (i < s.size() && !is_digit(s[i]) && !bad) {
            const char m = up(s[i]);
            const auto flag = std::find_if(std::begin(flags), std::end(flags), [m](Flag f) { return f.letter == m; });
            if (flag != std::end(flags)) {
                c.*(flag->property) = true;
                ++i;
                continue;
            }
            switch (m) {
            case 'E': {
                ++i;
                if (i >= s.size() || s[i] != '(') {
                    bad = true;
                    break;
                }
                ++i;
                const std::size_t close = s.find(')', i);
                if (close == std::string_view::npos) {
                    bad = true;
                    break;
                }
                std::string_view inner = s.substr(i, close - i);
                i = close + 1;
                for (int k = 0; k < 4; ++k) {
                    const std::size_t comma = inner.find(',');
                    const std::string_view one = inner.substr(0, comma);
                    if (!read_colour(one, c.default_colour[k])) bad = true;
                    if (comma == std::string_view::npos) break;
                    inner.remove_prefix(comma + 1);
                }
                break;
            }
            case '~':
                ++i;
                if (!read_until(s, i, '~', c.header)) bad = true;
                break;
            case '@':
                ++i;
                if (!read_until(s, i, '@', c.picture)) bad = true;
                break;
            case '#': {
                ++i;
                long f = 0;
                if (!read_int(s, i, f) || f < 1 || i >= s.size() || s[i] != '#') {
                    bad = true;
                    break;
                }
                ++i;
                c.field = static_cast<int>(f);
                explicit_field = true;
                break;
            }
            case 'L':
            case 'C':
            case 'R': // after the header: the header's own alignment and indent
                if (c.header.empty() || c.header_align) {
                    bad = true;
                    break;
                }
                c.header_align = m;
                if (++i < s.size() && s[i] == '(') {
                    ++i;
                    long indent = 0;
                    if (!read_int(s, i, indent) || i >= s.size() || s[i] != ')') {
                        bad = true;
                        break;
                    }
                    ++i;
                    c.header_indent = static_cast<int>(indent);
                }
                break;
            case ' ':
                ++i;
                break;
            default:
                bad = true;
            }
        }
        if (bad) break;
        if (!explicit_field) c.field = previous_last + 1;
        previous_last = assign_fields(c);
        out.push_back(std::move(c));
    }
    return out;
}

std::string list_format(const std::vector<ListColumn>& columns) {
    std::string out;
    int previous_last = 0;
    for (const ListColumn& c : columns) {
        out += std::to_string(c.width);
        out += c.align == 'C' || c.align == 'R' ? c.align : 'L';
        if (c.indent) out += "(" + std::to_string(c.indent) + ")";
        for (const Flag f : flags)
            if (c.*(f.property)) out += f.letter;
        if (c.default_colour[0] || c.default_colour[1] || c.default_colour[2] || c.default_colour[3]) {
            out += "E(";
            for (int k = 0; k < 4; ++k) {
                if (k) out += ',';
                if (c.default_colour[k]) out += colour_text(*c.default_colour[k]);
            }
            out += ')';
        }
        if (!c.header.empty()) out += "~" + c.header + "~";
        if (!c.header.empty() && c.header_align) {
            out += c.header_align;
            out += "(" + std::to_string(c.header_indent) + ")";
        }
        if (!c.picture.empty()) out += "@" + c.picture + "@";
        if (c.field != previous_last + 1) out += "#" + std::to_string(c.field) + "#";
        previous_last = last_field(c);
    }
    return out;
}

namespace {

const Field* field_at(const Field* fields, std::size_t count, int field) {
    if (!fields || field < 1 || static_cast<std::size_t>(field) > count) return nullptr;
    return &fields[field - 1];
}

} // namespace

std::string cell_text(const Field* fields, std::size_t count, const void* row, int field, std::string_view picture) {
    const Field* f = field_at(fields, count, field);
    if (!f || !row) return {};
    if (f->type == FieldType::Text) {
        std::string_view text(static_cast<const char*>(row) + f->offset, f->size);
        const std::size_t nul = text.find('\0'); // a NUL-terminated field ends there
        if (nul != std::string_view::npos) text = text.substr(0, nul);
        if (picture.empty()) return clip(text);
        // A text field through a number picture reads as a number; through Sn it is cut.
        return clip(rt::format(text, picture));
    }
    const std::int64_t v = field_number(*f, row);
    if (picture.empty()) return std::to_string(v);
    return clip(rt::format(static_cast<double>(v), picture));
}

long cell_number(const Field* fields, std::size_t count, const void* row, int field) {
    const Field* f = field_at(fields, count, field);
    if (!f || !row || f->type == FieldType::Text) return 0;
    return static_cast<long>(field_number(*f, row));
}

} // namespace rt
