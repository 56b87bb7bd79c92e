// Names that become parts of paths on disk: a link's file name in its category folder, a category's folder
// below the link root, a new library's file in the start folder.
#pragma once

#include <string_view>

namespace velquin {

// True when the name (CP949, trailing blanks ignored) may not become a file or folder name: see rt::plain_name.
bool bad_path_name(std::string_view name);

// The same for a library's name, which also may hold no "." (the link root is the file name up to its
// extension).
bool bad_library_name(std::string_view name);

} // namespace velquin
