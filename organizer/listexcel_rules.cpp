// The export's file-name rules and cell values.
#include "organizer/listexcel_rules.h"

#include "runtime/picture.h"
#include "runtime/text.h"

#include <cstdlib>

namespace velquin {

namespace {

constexpr long SERIAL_ZERO = 36161; // the day number of 1899-12-30, the sheet's day 0

bool digit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string proposed_workbook_name(std::string_view title, long day, long clock) {
    return rt::clip(title) + "_" + rt::format(day, "D11") + "_" + rt::format(clock, "T5") + ".xls";
}

std::string workbook_name(std::string_view chosen) {
    const std::string name = rt::clip(chosen);
    return rt::upper(name).find(".XLS") == std::string::npos ? name + ".xls" : std::string(chosen);
}

bool is_xml_workbook(std::string_view name) {
    const std::string n = rt::clip(name);
    return !n.empty() && (n.back() == 'x' || n.back() == 'X');
}

std::size_t body_rows(std::string_view workbook_name) {
    return is_xml_workbook(workbook_name) ? XLSX_BODY_ROWS : XLS_BODY_ROWS;
}

bool is_date_header(std::string_view header) {
    static const std::string edited = rt::to_cp949(u"편집일"), deleted = rt::to_cp949(u"삭제일");
    const std::string h = rt::clip(header);
    return h == edited || h == deleted;
}

int sheet_column_width(std::int32_t list_width, std::string_view header) {
    return static_cast<int>(list_width / 4) + (is_date_header(header) ? 7 : 0);
}

std::optional<double> date_serial(std::string_view text) {
    const std::optional<double> day = plain_number(text.substr(0, 6));
    if (!day || *day == 0) return std::nullopt;
    return *day - SERIAL_ZERO;
}

std::optional<double> plain_number(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::string plain; // without the thousands commas
    std::size_t i = 0;
    if (text[0] == '+' || text[0] == '-') plain += text[i++];
    // Digits; commas only between groups of three after a first group of one to three.
    std::size_t group = 0, groups = 0;
    bool commas = false;
    for (; i < text.size() && (digit(text[i]) || text[i] == ','); ++i) {
        if (text[i] == ',') {
            if (group == 0 || (groups == 0 && group > 3) || (groups > 0 && group != 3)) return std::nullopt;
            commas = true;
            ++groups;
            group = 0;
            continue;
        }
        plain += text[i];
        ++group;
    }
    if (group == 0 || (commas && group != 3)) return std::nullopt;
    if (i < text.size() && text[i] == '.') {
        plain += text[i++];
        const std::size_t start = i;
        while (i < text.size() && digit(text[i]))
            plain += text[i++];
        if (i == start) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return std::strtod(plain.c_str(), nullptr);
}

} // namespace velquin
