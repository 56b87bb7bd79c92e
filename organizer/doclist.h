// The parts of the main window's category tree and document list that need no window: the list's column
// layouts, the texts a list row shows, and the search test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "organizer/office.h"

namespace velquin {

// Numbers of the fixed tree rows and the trash; rows numbered below FIXED_ROWS are the fixed ones.
inline constexpr std::int16_t ROOT_ROW = -30003;
inline constexpr std::int16_t DATE_VIEW = -30002;
inline constexpr std::int16_t INDEX_VIEW = -30001;
inline constexpr std::int16_t FIXED_ROWS = -30000;
inline constexpr std::int16_t TRASH = TRASH_NODE;

// The tree's column: 80 wide, the text with per-row colours, an icon and the level; the selected background.
inline constexpr const char* TREE_FORMAT = "80L*ITE(,,,0C97726H)";

// The document list's column layout for a view (TREENO of the chosen tree row); `wider` is how much wider the
// list is than when the window opened, given to the title column.
std::string list_layout(std::int16_t treeno, std::int32_t wider);

// The size text of an embedded document of `bytes` bytes: "1 M", "12 K", "999 b", blank for 0; at most 8 bytes.
std::string size_text(std::int32_t bytes);

// The number of bytes a size text stands for ("53 K" 53,000, "1 M" 1,000,000, "999 b" 999), 0 for a blank one:
// the size column sorts by it.
std::int64_t size_of_text(std::string_view text);

// The list's icon for a document type (EXT): 1 Word, 2 Excel, 3 PowerPoint, 0 none.
std::uint8_t icon_type(std::string_view ext);

// True when the search text occurs in the field byte for byte, starting and ending on whole CP949 characters
// of the field (never across the two bytes of one Hangul character). An empty text occurs everywhere.
bool contains_text(std::string_view field, std::string_view text);

// A list value as it prints in a column other than a date: through the picture "N-7B" when that picture shows it
// unchanged (a whole number without leading zeros or a plus sign that fits seven places, "12345" or "-12"); any other
// value ("3.5", "007", "0", "12345678", a telephone number, "12 K") prints as its text.
std::string printed_number(std::string_view value);

} // namespace velquin
