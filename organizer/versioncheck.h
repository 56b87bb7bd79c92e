// The version check at start: the maker's page announces the newest version; when it is newer than the program's
// own, the version window offers the download page and the program ends if the user takes it.
#pragma once

#ifdef _WIN32

#include "runtime/window.h"

#include <string>

namespace velquin {

namespace versioncheck {

// The controls of the version window, numbered in the order of its description.
enum class Ctl : int {
    STRING8 = 1,
    STRING2,
    GROUP1,
    VERSION_PROMPT,
    VERSION,
    NEWVERSION_PROMPT,
    NEWVERSION,
    OK,
    CANCEL
};

// The page that announces the newest version: a short text whose first 6 bytes are a lead-in.
inline constexpr const char* VERSION_PAGE = "http://www.velquin.example/a/checkversion.php?n=100014";

// The portal's software search for the product name "벨퀸" (UTF-8, percent-encoded).
inline constexpr const char* DOWNLOAD_PAGE = "http://search.portal.example/search?query=%EB%B2%A8%ED%80%B8";

// The browser that shows the download page.
inline constexpr const char* BROWSER = "c:\\program Files\\Internet Explorer\\iexplore.exe";

// The version window P1$WINDOW.
rt::WindowDesc P1_WINDOW();

// The command line that opens the download page: the browser's path and the address, each quoted.
std::string download_command();

} // namespace versioncheck

// Fetches the announced version and compares it with the program's own; shows the version window when the
// announced one is newer. 1: go on with the start; 0: the user chose the download, the program ends. Any failure
// to fetch, or an answer of fewer than 2 or more than 20 bytes, goes on silently.
unsigned char VERSIONCHECK();

} // namespace velquin

#endif
