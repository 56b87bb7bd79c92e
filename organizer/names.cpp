#include "organizer/names.h"

#include "runtime/filename.h"
#include "runtime/text.h"

namespace velquin {

bool bad_path_name(std::string_view name) {
    return !rt::plain_name(rt::clip(name));
}

bool bad_library_name(std::string_view name) {
    return bad_path_name(name) || name.find('.') != std::string_view::npos;
}

} // namespace velquin
