// Start-up steps of the program that need no window: the single-instance marker, the desktop's full-window
// drag setting, the folders and the library's root folder of linked files.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velquin {

// The library's path without the extension of its file name (the last "." in the file name and what follows);
// the whole path when the file name has none. Dots in folder names stay.
std::string library_root(std::string_view db_path);

// The default library in the start folder: the folder without trailing blanks, then "\myOFFICE.VL1".
std::string default_library(std::string_view home_path);

// The folder that holds a library file: the path up to its last "\" or "/" (the one of a drive's root kept);
// empty for a bare file name, which lies in the current folder.
std::string library_folder(std::string_view db_path);

// The library that the start opens: the stored DefaultDB, or the default library of the start folder when the
// stored one is blank, longer than `limit` bytes (the settings could not hold it whole) or lies in a folder that
// does not exist. `why` tells the user's message apart; a blank one needs none.
struct StartLibrary {
    enum class Why { none, too_long, folder_missing };
    std::string path;
    Why why = Why::none;
};
StartLibrary start_library(std::string_view stored, std::string_view home_path, std::size_t limit,
                           const std::function<bool(std::string_view folder)>& folder_exists);

#ifdef _WIN32
// Creates the named event name + "_UEvent" (name without trailing blanks, at most 259 bytes in all) and keeps it
// for the life of the process. Returns its handle as a number, or 0 when it existed already or could not be made.
long BEGINUNIQUE(std::string_view name);

// Closes the event that BEGINUNIQUE made, so that this process may start the program once more (tests).
void ENDUNIQUE();

// 1 when a top-level window's title is exactly the text (trailing blanks removed, at most 127 bytes), else 0.
unsigned char WINDOWEXISTS(std::string_view title);

// The desktop's full-window drag setting (1 on, 0 off) and its change, written to the profile and broadcast.
long full_window_drag();
void set_full_window_drag(long on);

// The current folder in CP949, in its short (8.3) form or its long form.
std::string current_folder_short();
std::string long_form(std::string_view path);

// The product version of the file name + ".exe", four numbers joined by "."; blank when it has none.
std::string CHECKVERSION(std::string_view file_name);
#endif

} // namespace velquin
