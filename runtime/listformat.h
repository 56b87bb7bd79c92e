// Column format strings of lists and tree lists, and what a column shows of a row.
//
// A format string is the columns one after another. Each column: a width in dialog units; L, C or R (alignment)
// with an optional indent in dialog units in parentheses; then modifiers in any order: '|' a line on the right
// edge, '_' a line under each row, 'M' resizable by the user, 'I' an icon before the text (its number is the
// field after the column's own), 'T' a tree column (the row's level is the field after the icon, or after the
// text and colours), '*' colours per row (four LONG fields after the text: text and background, then selected
// text and background), 'E(fg,bg,sfg,sbg)' default colours (empty parts: none; numbers may end in 'H' for hex);
// '~header~', optionally followed by the header's own alignment and indent ("~Name~L(0)"); '@picture@';
// '#field#' (the number of the row field shown, from 1). A column without '#n#' shows the field after the last
// field that the previous column used (colour, icon and level fields count as used).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/keyfile.h"

namespace rt {

struct ListColumn {
    int width = 0;        // dialog units
    char align = 'L';     // 'L', 'C' or 'R'
    int indent = 0;       // dialog units
    bool right_line = false, under_line = false, resizable = false;
    bool icon = false, tree = false, colours = false;
    std::optional<long> default_colour[4]; // E(...): text, background, selected text, selected background
    std::string header;                    // CP949
    char header_align = 0;                 // 'L', 'C' or 'R' written after the header; 0: the column's
    int header_indent = 0;                 // dialog units
    std::string picture;                   // without the '@' signs, e.g. "S80", "D9-"
    int field = 0;                         // the row field shown, from 1
    int icon_field = 0;                    // icon: its field, from 1; 0 none
    int colour_field = 0;                  // colours: the first of the four fields; 0 none
    int level_field = 0;                   // tree: the level's field; 0 none
};

// The columns of a format string; fields numbered as the rule above gives them. A malformed column (no width
// where one is expected, an unclosed ~ @ # or parenthesis) ends the list: the columns before it are kept.
std::vector<ListColumn> parse_list_format(std::string_view format);

// A format string for the columns (parse_list_format gives the same columns back).
std::string list_format(const std::vector<ListColumn>& columns);

// Field `field` (from 1) of a row described by `fields`, as a column shows it through its picture: text fields
// without trailing blanks, numbers and dates through rt::format. An empty picture shows text as it is and
// numbers in plain decimal. Out of range: empty.
std::string cell_text(const Field* fields, std::size_t count, const void* row, int field, std::string_view picture);
// A number field's value (icon numbers, colours, levels); 0 for a text field or out of range.
long cell_number(const Field* fields, std::size_t count, const void* row, int field);

} // namespace rt
