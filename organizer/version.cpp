#include "organizer/version.h"

namespace velquin {

std::string version_from_page(std::string_view page) {
    return page.size() > 6 ? std::string(page.substr(6)) : std::string();
}

std::string product_version_text(std::uint32_t ms, std::uint32_t ls) {
    std::string s = std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) +
                    "." + std::to_string(ls & 0xFFFF);
    if (s.size() > 20) s.resize(20);
    return s;
}

std::optional<VersionNumbers> parse_version(std::string_view text) {
    const std::string_view space = " \t\r\n";
    const auto first = text.find_first_not_of(space);
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(space) - first + 1);

    VersionNumbers v{};
    std::size_t part = 0;
    std::uint64_t value = 0;
    bool digits = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 0xFFFFFFFFu) return std::nullopt;
            digits = true;
        } else if (c == '.' && digits && part < 3) {
            v[part++] = static_cast<std::uint32_t>(value);
            value = 0;
            digits = false;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    v[part] = static_cast<std::uint32_t>(value);
    return v;
}

bool announced_is_newer(std::string_view announced, std::string_view running) {
    const auto a = parse_version(announced);
    if (!a) return false;
    return *a > parse_version(running).value_or(VersionNumbers{});
}

} // namespace velquin
