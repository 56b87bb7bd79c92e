// Names that become folder and file names on disk: a category's folder below the link root, a new library's
// file in the start folder.
#pragma once

#include <string_view>

namespace velquin {

// True when the name (CP949, trailing blanks ignored) would not stay one folder under its parent: blank,
// ending in a dot (so also "." and ".."), or holding \ / : * ? " < > | or a control character. CP949's
// second bytes never take these values, so the bytes are tested as they are.
bool bad_folder_name(std::string_view name);

// The same for a library's name, which also may hold no "." (the link root is the file name up to its
// extension).
bool bad_library_name(std::string_view name);

} // namespace velquin
