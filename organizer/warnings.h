// The numbered standard messages of the data-file layer: their captions, icons, buttons and texts, built apart
// from showing them so that every message can be checked without a window.
#pragma once

#include <string>
#include <string_view>

namespace velquin {

enum class WarningIcon { None, Information, Exclamation };

// Standard button codes of the message boxes, summed for a set of buttons.
enum : int { BUTTON_OK = 1, BUTTON_YES = 2, BUTTON_NO = 4, BUTTON_RETRY = 16, BUTTON_CANCEL = 64 };

struct WarningMessage {
    bool shown = false;     // false for a number without a message
    std::u16string caption; // empty: the platform's default caption
    WarningIcon icon = WarningIcon::Information;
    int buttons = BUTTON_OK; // sum of the button codes
    int default_button = BUTTON_OK;
    std::u16string text;      // '|' would start a new line; these texts have none
    std::u16string stop_text; // when not empty, the program ends with this stop text after the answer...
    int ends_on = 0;          // ...on this answer only, or on any answer when 0
    bool returns_two = false; // an answer that does not end the program returns 2 instead of itself
};

// The description of the last data-file error as the messages quote it: for driver errors (90, 100) the driver's
// own text and code, otherwise the error's text and code, as "text (code)", cut to 150 bytes of CP949.
std::string warning_error_text(long code, std::string_view text, std::string_view driver_code,
                               std::string_view driver_text);

// Message `number` built with text1, text2 (CP949, trailing blanks dropped) and the error description.
WarningMessage build_warning(long number, std::string_view text1, std::string_view text2, std::string_view error_text,
                             long current_error);

} // namespace velquin
