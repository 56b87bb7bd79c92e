// The rules of the spreadsheet export that need no window: the proposed file name, the name chosen in the dialog
// made into a workbook's name, the kind of workbook, the column widths, and which values are numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velquin {

// The title without trailing blanks, "_", the day as yymmdd, "_", the time as hhmmss, ".xls".
std::string proposed_workbook_name(std::string_view title, long day, long clock);

// The chosen name, with ".xls" added (after its trailing blanks are removed) when it holds ".XLS" nowhere in
// any case; "list.xls.txt" and "a.XLSX" stay as they are.
std::string workbook_name(std::string_view chosen);

// True when the name (without trailing blanks) ends in "x" or "X": an .xlsx workbook; else an .xls one.
bool is_xml_workbook(std::string_view name);

// The list rows a sheet holds below its header row: 65,535 in an .xls workbook, 1,048,575 in an .xlsx one.
inline constexpr std::size_t XLS_BODY_ROWS = 65535;
inline constexpr std::size_t XLSX_BODY_ROWS = 1048575;
std::size_t body_rows(std::string_view workbook_name);

// True for the list's two date columns, "편집일" and "삭제일".
bool is_date_header(std::string_view header);

// A list column's width in the sheet: its width in dialog units ÷ 4, plus 7 for a date column.
int sheet_column_width(std::int32_t list_width, std::string_view header);

// The serial day of a date cell's text (the list's day number as text; its first 6 characters count); none for
// a document without a date.
std::optional<double> date_serial(std::string_view text);

// The value when the whole text, blanks around it trimmed, is a plain number: an optional sign, digits with
// optional thousands commas, an optional decimal part. Anything else is text (nullopt).
std::optional<double> plain_number(std::string_view text);

} // namespace velquin
