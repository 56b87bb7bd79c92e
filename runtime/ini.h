// INI files through the platform's profile-string functions. File names are taken relative to the current folder
// (".\Velquin.INI" is the file in the folder current now, never the Windows folder). Sections, keys and values are
// CP949 text; a file this module creates is written in UTF-16, so that every value comes back byte for byte
// whatever the system code page. A file that exists already keeps its encoding.
#pragma once

#ifdef _WIN32

#include "runtime/files.h"

#include <string>
#include <string_view>

namespace rt {

// The value of key in section, or default_value when the key or the file is missing.
std::string get_ini(std::string_view section, std::string_view key, std::string_view default_value,
                    std::string_view file);

// The value as a whole number (an optional '-' and decimal digits; 0 when it starts otherwise), or default_value
// when the key or the file is missing.
long get_ini_number(std::string_view section, std::string_view key, long default_value, std::string_view file);

// Writes the value, making the file and the section when missing. A failure (the file read-only, its folder
// gone) answers the system's error code, for the caller to tell the user.
FileResult put_ini(std::string_view section, std::string_view key, std::string_view value, std::string_view file);

// Removes the key from the section; a missing file has nothing to remove.
FileResult remove_ini(std::string_view section, std::string_view key, std::string_view file);

} // namespace rt

#endif
