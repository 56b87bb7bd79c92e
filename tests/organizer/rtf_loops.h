// The RTF clean-up written as plain loops: find the first occurrence from the start, cut it out, search again.
// The reference for the one-pass clean-up (its test and its benchmark).
#pragma once

#include <string>
#include <string_view>

namespace rtf_loops {

inline void remove_each(std::string& text, std::string_view pattern) {
    for (std::size_t p; (p = text.find(pattern)) != std::string::npos;)
        text = text.substr(0, p) + text.substr(p + pattern.size());
}

inline void clean(std::string& text) {
    std::string tag;
    const std::size_t p = text.find("Calibri") + 1; // counted from 1; 0 when not found
    if (p >= 22) tag = text.substr(p - 22, 3);
    tag.resize(3, ' ');
    if (tag != "   ") remove_each(text, tag + "\\lang1033");
    remove_each(text, "\\lang1042");
    remove_each(text, "\\lang1033");
}

} // namespace rtf_loops
