#include "organizer/rtfclean.h"

#include "runtime/text.h"

#include <cstring>

namespace velquin {

std::string calibri_tag(std::string_view text) {
    const std::size_t p = text.find("Calibri");
    rt::Fixed<3> tag;
    if (p != std::string_view::npos && p >= 21) tag = text.substr(p - 21, 3);
    return std::string(tag.view());
}

void remove_repeatedly(std::string& text, std::string_view pattern) {
    const std::size_t m = pattern.size();
    if (m == 0) return;
    const char last = pattern.back();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        text[kept++] = c;
        if (c == last && kept >= m && std::memcmp(text.data() + kept - m, pattern.data(), m) == 0) kept -= m;
    }
    text.resize(kept);
}

void clean_rtf(std::string& text) {
    const std::string tag = calibri_tag(text);
    if (tag.find_first_not_of(' ') != std::string::npos) remove_repeatedly(text, tag + "\\lang1033");
    remove_repeatedly(text, "\\lang1042");
    remove_repeatedly(text, "\\lang1033");
}

} // namespace velquin
