// Prompts: message boxes with the standard buttons or the program's own button texts, the popup menu, the stop
// prompt, the fatal halt and the beep. Every one asks the installed driver instead when there is one.
#pragma once

#include "runtime/driver.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// Standard buttons, given as a sum and answered as the code of the button pressed.
namespace button {
constexpr unsigned ok = 1, yes = 2, no = 4, retry = 16, cancel = 64;
}

enum class Modal { program, system };
// The text of a box: as a label, or selectable so that the user can copy it.
enum class BoxText { fixed, selectable };

// The texts of a '|'-separated list: "넵|아니" is {"넵", "아니"}; an empty text has none.
std::vector<std::string> split_bar(std::string_view text);

// In a message text: the character '|' itself, shown as it is, where a '|' would start a new line.
inline constexpr char SHOWN_BAR = '\x1F';

// A message text as shown: each '|' starts a new line ("\r\n"), so "||" leaves an empty line; SHOWN_BAR is '|'.
std::string box_text(std::string_view text);

#ifdef _WIN32

// A message box with standard buttons; default_button is the code of the default (0: the first). Answers the
// code of the button pressed. An empty caption is an empty title.
int message(std::string_view text, std::string_view caption = {}, Icon icon = Icon::none, unsigned buttons = button::ok,
            unsigned default_button = 0, Modal modal = Modal::program);

// A message box with the program's own buttons, given as "넵|아니"; default_button counts from 1. Answers the
// number of the button pressed; Esc and the close box answer the last button.
int message(std::string_view text, std::string_view caption, Icon icon, std::string_view buttons,
            int default_button = 1, Modal modal = Modal::program, BoxText shown = BoxText::fixed);

// A popup menu of the '|'-separated items at the mouse position. Answers the chosen item's number, or 0.
int popup(std::string_view items);

// The stop prompt, captioned "Stop": reports an error the program does not expect. Returns when the user goes on;
// ends the program (exit code 0, after the halt hook) when the user ends it.
void stop(std::string_view text);

// The fatal halt: the text in a box captioned "Halt" with the stop icon and one OK button, then the halt hook,
// then the process ends with exit code 0.
[[noreturn]] void halt(std::string_view text);

// The hook that halt() and an ended stop prompt run just before the process ends (the program restores what it
// changed on the desktop there). Replaces the one before; an empty function removes it.
void set_halt_hook(std::function<void()> hook);

// The system's plain warning beep.
void beep();
// The system's beep of a kind of message (Icon::exclamation: the exclamation beep).
void beep(Icon sound);

// The file-open dialog. title is CP949; path holds the starting file name, which may be a folder and a pattern
// ("C:\dir\*.VL1"), and receives the chosen file's full path (CP949). filter is "name|pattern|name2|pattern2"
// (a pattern written ".*.VL1" means "*.VL1"). False when the user cancels; path is then left as it was. The
// current folder is the same after the dialog as before it, whatever folder the user browsed.
bool file_open(std::string_view title, std::string& path, std::string_view filter);

// The save-as dialog, as file_open; an existing file is replaced after the user agreed.
bool file_save(std::string_view title, std::string& path, std::string_view filter);

#endif

} // namespace rt
