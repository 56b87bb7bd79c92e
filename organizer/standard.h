// The standard procedures shared by the program's windows: numbered data-file warnings, opening a data file
// with every way it can fail, and keeping a window's place in the settings file.
#pragma once

#ifdef _WIN32

#include "runtime/keyfile.h"
#include "runtime/window.h"

#include <string_view>

namespace velquin {

// Shows standard message `number` with the two texts and the last data-file error; returns the answer (2 for
// the rebuild question when it does not end the program). A number without a message shows nothing and returns
// 0. The messages marked so end the program with their stop text.
long STANDARDWARNING(long number, std::string_view text1, std::string_view text2 = {});

// A left-out optional argument of CHECKOPEN.
constexpr int OMITTED = -1;

// Opens the file, creating it when missing and create is 1; returns only with the file open, otherwise the
// program ends with a warning. mode left out is 42h.
void CHECKOPEN(rt::KeyFile& file, int create = OMITTED, int mode = OMITTED);

// Writes and restores the window's state, place and size in a section of a settings file.
void INISAVEWINDOW(rt::Window& window, std::string_view section, std::string_view file);
void INIRESTOREWINDOW(rt::Window& window, std::string_view section, std::string_view file);

// Refuses what was typed into an entry: a beep, the message, and the focus back on the entry so that the user
// mends it. Answers false, for the check that refuses.
bool refuse_entry(rt::Window& window, rt::Id entry, std::string_view text);

} // namespace velquin

#endif
