// Comparing the version that the maker's page announces with the program's own product version.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velquin {

// Up to four dot-separated numbers; missing parts count as 0.
using VersionNumbers = std::array<std::uint32_t, 4>;

// The announced version in a page text: the text without its first 6 bytes (the page's lead-in).
std::string version_from_page(std::string_view page);

// "a.b.c.d" from the fixed-information block's product version words, cut to 20 characters.
std::string product_version_text(std::uint32_t product_ms, std::uint32_t product_ls);

// The text with surrounding blanks and line ends removed, read as one to four dot-separated numbers; nothing when
// it is empty or holds anything else.
std::optional<VersionNumbers> parse_version(std::string_view text);

// True when the announced version is newer than the running one, number by number. An announcement that is not a
// version is never newer; a running version that cannot be read counts as 0.0.0.0.
bool announced_is_newer(std::string_view announced, std::string_view running);

} // namespace velquin
