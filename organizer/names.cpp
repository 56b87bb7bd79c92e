#include "organizer/names.h"

#include "runtime/text.h"

#include <string>

namespace velquin {

bool bad_folder_name(std::string_view name) {
    const std::string n = rt::clip(name);
    if (n.empty() || n.back() == '.') return true;
    for (const char ch : n) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || std::string_view("\\/:*?\"<>|").find(ch) != std::string_view::npos) return true;
    }
    return false;
}

bool bad_library_name(std::string_view name) {
    return bad_folder_name(name) || name.find('.') != std::string_view::npos;
}

} // namespace velquin
