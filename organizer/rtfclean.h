// Clean-up of a document body's RTF source: the language control words that the editor writes around text in
// the Calibri font, and every \lang1042 and \lang1033, are removed.
#pragma once

#include <string>
#include <string_view>

namespace velquin {

// The font's number tag before the first "Calibri": the 3 bytes that stand 21 to 19 bytes before it (in
// "\f1\fswiss\fcharset0 Calibri;" that is "\f1"), as a 3-byte field; blank when "Calibri" does not occur or
// stands fewer than 21 bytes from the start.
std::string calibri_tag(std::string_view text);

// Removes the pattern as removing its first occurrence over and over until none is left would (occurrences
// that a removal joins together go too), in one pass: a byte is kept until the kept text ends in the pattern,
// which is then the first occurrence of the text still to be searched.
void remove_repeatedly(std::string& text, std::string_view pattern);

// The whole clean-up: with a font tag, every tag + "\lang1033"; then every "\lang1042"; then every "\lang1033".
void clean_rtf(std::string& text);

} // namespace velquin
