// Texts that callers pass in the ANSI code page, as UTF-16.
#pragma once

#include <string>

namespace brovana {

// The text converted with the ANSI code page; a null text is the empty text.
std::wstring fromAnsi(const char* text);

} // namespace brovana
