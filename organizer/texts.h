// The program's own texts stand in the source as UTF-16 literals; windows, prompts and fields take CP949.
#pragma once

#include "runtime/text.h"

#include <string>
#include <string_view>

namespace velquin {

// A text of the program as CP949.
inline std::string k(std::u16string_view text) {
    return rt::to_cp949(text);
}

} // namespace velquin
