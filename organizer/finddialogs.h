// The editor's find and replace dialogs: "검색" (P54$W) and "찾아 바꾸기" (P55$W). The editor class runs each on a
// thread of its own; the dialog works on the editor and posts whether it found anything to the editor's thread.
#pragma once

#include <string_view>

namespace velquin {

// editor: the editor's reference as a decimal number (0 or no number: no editor); text: a search text to start
// with, or blank.
void RTFFINDDLG(std::string_view editor, std::string_view text);
void RTFFINDANDRELACEDLG(std::string_view editor, std::string_view text);

// Hands both dialogs to the editor class.
void register_find_dialogs();

} // namespace velquin
