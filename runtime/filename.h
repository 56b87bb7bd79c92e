// The one rule for a name that a program joins to a folder to make a path: the name must stay one plain file or
// folder in that folder on Windows, whatever the system does to odd names.
#pragma once

#include <string_view>

namespace rt {

// True when the CP949 name can be one file or folder in a folder: not empty, not ending in a dot or a blank
// (Windows drops them, so "x." is "x" and ".." or ". ." another folder), no \ / : * ? " < > | and no control
// character, and no device name (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, CONIN$, CONOUT$, in any case, also
// before an extension or blanks: "nul.txt", "Com1 .log"). The characters are those of the name as the wide file
// calls get it, so a byte that belongs to a double-byte character is never taken for a separator.
bool plain_name(std::string_view cp949);

} // namespace rt
