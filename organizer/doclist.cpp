// Column layouts, row texts, the search test and folder names of the main window's tree and list.
#include "organizer/doclist.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/picture.h"
#include "runtime/text.h"

namespace velquin {

namespace {

// Bytes of the character that starts at `at`: 2 for a lead byte with its trail byte, else 1.
std::size_t char_length(std::string_view s, std::size_t at) {
    return rt::cut_point(s.substr(at), 1) == 1 ? 1 : 2;
}

} // namespace

std::string list_layout(std::int16_t treeno, std::int32_t wider) {
    // A title column narrower than nothing would end the layout where its width stands.
    wider = std::max(wider, -210);
    // The columns after the title are the same in every view but the index view.
    static const std::string rest_after_title = rt::to_cp949(
        u"L(4)|_M~제목~@S80@#2#20L(2)|_M~목차~@S5@#1#39L(2)|_M~분류~@S30@#3#15L|_MI~종류~@S3@29R(2)|_M~삽입문서~@S8@"
        u"15C(2)|_M~링크~@S8@#9#50C(2)|_M~링크파일1~@S100@");
    if (treeno == INDEX_VIEW)
        return rt::to_cp949(u"35C(2)|_M~목차~@S8@") + std::to_string(wider + 232) +
               rt::to_cp949(u"L(4)|_M~제목~@S80@39L(2)|_M~분류~@S30@15L|_MI~종류~@S3@29R(2)|_M~삽입문서~@S8@"
                            u"15C(2)|_M~링크~@S8@#9#50C(2)|_M~링크파일1~@S100@");
    const char16_t* first = treeno == TRASH ? u"35C(2)|_M~삭제일~@D9-@#7#" : u"35C(2)|_M~편집일~@D9-@#7#";
    return rt::to_cp949(first) + std::to_string(wider + 210) + rest_after_title;
}

std::string size_text(std::int32_t bytes) {
    // Rounded to the nearest whole unit, halves up.
    auto rounded = [](std::int64_t value, std::int64_t unit) { return (value + unit / 2) / unit; };
    std::string text;
    if (bytes >= 1000000)
        text = std::to_string(rounded(bytes, 1000000)) + " M";
    else if (bytes >= 1000)
        text = std::to_string(rounded(bytes, 1000)) + " K";
    else if (bytes != 0)
        text = std::to_string(bytes) + " b";
    return text.substr(0, 8);
}

std::int64_t size_of_text(std::string_view text) {
    std::int64_t value = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + (text[i] - '0');
    const std::string unit = rt::clip(text.substr(std::min(i, text.size())));
    if (unit == " M") return value * 1000000;
    if (unit == " K") return value * 1000;
    return value;
}

std::uint8_t icon_type(std::string_view ext) {
    const std::string e = rt::clip(ext);
    if (e == "DOC" || e == "HWP") return 1;
    if (e == "XLS" || e == "CEL") return 2;
    if (e == "PPT" || e == "SHW") return 3;
    return 0;
}

bool contains_text(std::string_view field, std::string_view text) {
    if (text.empty()) return true;
    // Walk the field character by character: a match may only start where a character starts, and must end
    // where one ends.
    for (std::size_t at = 0; at + text.size() <= field.size();) {
        if (field.compare(at, text.size(), text) == 0) {
            const std::size_t end = at + text.size();
            if (end == field.size() || rt::cut_point(field, end) == end) return true;
        }
        at += char_length(field, at);
    }
    return false;
}

std::string printed_number(std::string_view value) {
    const std::string text = rt::clip(value.substr(std::min(value.size(), value.find_first_not_of(' '))));
    if (!rt::is_numeric(text)) return std::string(value);
    const std::string shown = rt::format(rt::number(text), "N-7B");
    const std::size_t digits = shown.find_first_not_of(' ');
    return digits != std::string::npos && shown.substr(digits) == text ? shown : std::string(value);
}

} // namespace velquin
